// Platform paths: how the program names files to the system. A platform path is UTF-8 text on
// every platform, "/"-separated on Linux, "\"-separated with drive letters on Windows, and
// reaches the system only through these helpers, which hand Windows its UTF-16 form.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace qs {

#ifdef _WIN32
/// The file system works the Windows way: "\" separates (and "/" too), drive letters begin
/// absolute paths, the system itself ignores letter case, and the program names its folder in
/// lower case in links.
inline constexpr bool kWindowsFileSystem = true;
#else
inline constexpr bool kWindowsFileSystem = false;
#endif

/// The separator the platform writes between a path's parts.
inline constexpr char kPathSeparator = kWindowsFileSystem ? '\\' : '/';

/// The characters that separate a path's parts: "/" everywhere, "\" on Windows too.
inline constexpr std::string_view kPathSeparators = kWindowsFileSystem ? "\\/" : "/";

/// The platform path as std::filesystem takes it. (std::filesystem reads a narrow string as
/// UTF-8 on Linux, but through the C library's locale, byte by byte, under MinGW.) On Windows a
/// path that is not UTF-8 throws std::filesystem::filesystem_error; on Linux nothing is converted.
std::filesystem::path SystemPath(const std::string& in_sPath);

/// A std::filesystem path as a platform path.
std::string PlatformPath(const std::filesystem::path& in_oPath);

/// The platform path as the user will look for it: absolute (from the current folder), without
/// "." and ".." parts. The path itself when the system cannot tell the current folder, or (on
/// Windows) when the path is not UTF-8.
std::string AbsolutePath(const std::string& in_sPath);

/// std::fopen by platform path; null (errno set) when the file cannot be opened.
std::FILE* OpenFile(const std::string& in_sPath, const char* in_sMode);

/// Key under which two paths name the same file (absolute, links and ".." resolved).
std::string SameFileKey(const std::string& in_sPath);

}  // namespace qs
