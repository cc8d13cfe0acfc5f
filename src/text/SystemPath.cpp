#include "text/SystemPath.h"

#include <cerrno>
#include <system_error>

namespace qs {

std::filesystem::path SystemPath(const std::string& in_sPath) {
  // A char8_t string is UTF-8 to std::filesystem on every platform.
  return std::filesystem::path(std::u8string(in_sPath.begin(), in_sPath.end()));
}

std::string PlatformPath(const std::filesystem::path& in_oPath) {
  const std::u8string text = in_oPath.u8string();
  return std::string(text.begin(), text.end());
}

std::string AbsolutePath(const std::string& in_sPath) {
  if (in_sPath.empty()) return in_sPath;
  std::filesystem::path path;
  try {
    path = SystemPath(in_sPath);
  } catch (const std::system_error&) {
    // Not UTF-8 (Windows): the path is used as given.
    return in_sPath;
  }
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(path, ec);
  return ec ? in_sPath : PlatformPath(full.lexically_normal());
}

std::FILE* OpenFile(const std::string& in_sPath, const char* in_sMode) {
#ifdef _WIN32
  // The narrow fopen reads the name in the machine's ANSI code page: the wide one takes every
  // name. The mode is ASCII.
  std::wstring mode;
  for (const char* m = in_sMode; *m != '\0'; ++m) mode += static_cast<wchar_t>(*m);
  try {
    return ::_wfopen(SystemPath(in_sPath).c_str(), mode.c_str());
  } catch (const std::system_error&) {
    // A path that is not UTF-8 names no file: the caller sees "not found". Any other failure
    // (out of memory) goes on to the caller.
    errno = ENOENT;
    return nullptr;
  }
#else
  return std::fopen(in_sPath.c_str(), in_sMode);
#endif
}

std::string SameFileKey(const std::string& in_sPath) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::weakly_canonical(SystemPath(in_sPath), ec);
  if (!ec) return PlatformPath(p);
  p = std::filesystem::absolute(SystemPath(in_sPath), ec);
  return ec ? in_sPath : PlatformPath(p.lexically_normal());
}

}  // namespace qs
