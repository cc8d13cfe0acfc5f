#include "io/ProgramInfo.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "text/SystemPath.h"

#ifdef _WIN32
#include <windows.h>
#endif

#ifndef QUILLSCOPE_VERSION_MAJOR
#error \
    "the build must define QUILLSCOPE_VERSION_MAJOR/MINOR/PATCH, QUILLSCOPE_COMPANY and QUILLSCOPE_HOMEPAGE"
#endif

namespace qs {

std::string ProgramVersion() {
  return std::to_string(QUILLSCOPE_VERSION_MAJOR) + "." + std::to_string(QUILLSCOPE_VERSION_MINOR) +
         "." + std::to_string(QUILLSCOPE_VERSION_PATCH);
}

std::string ProgramGenerator() {
  return "Quillscope - " + ProgramVersion();
}

std::string ProgramCompany() {
  return QUILLSCOPE_COMPANY;
}

std::string ProgramHomePage() {
  return QUILLSCOPE_HOMEPAGE;
}

std::string ProgramFolder() {
  namespace fs = std::filesystem;
#ifdef _WIN32
  // The module file name, as Windows gives it.
  try {
    std::wstring name(32768, L'\0');  // the longest path Windows has
    const DWORD n = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0 || n >= name.size()) return "";
    name.resize(n);
    return PlatformPath(fs::path(name).parent_path());
  } catch (const std::system_error&) {
    // A name that is no UTF-16: the caller sees a folder the platform cannot tell. Any other
    // failure (out of memory) goes on to the caller.
    return "";
  }
#else
  std::error_code ec;
  // /proc/self/exe names the executable with every link already resolved.
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) return "";
  fs::path canonical = fs::weakly_canonical(exe, ec);
  if (!ec) exe = canonical;
  return exe.parent_path().string();
#endif
}

std::string FormatStamp(const std::tm& in_tm) {
  // English names on purpose: the report's stamp is the same on every system, whatever locale
  // the window or the shell has set.
  static constexpr std::array<const char*, 7> kDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};
  static constexpr std::array<const char*, 12> kMonths = {
      "January", "February", "March",     "April",   "May",      "June",
      "July",    "August",   "September", "October", "November", "December"};
  const int wday = (in_tm.tm_wday >= 0 && in_tm.tm_wday < 7) ? in_tm.tm_wday : 0;
  const int mon = (in_tm.tm_mon >= 0 && in_tm.tm_mon < 12) ? in_tm.tm_mon : 0;
  char buf[96];
  std::snprintf(buf, sizeof buf, "%s, %s %d, %d %02d:%02d:%02d", kDays[wday], kMonths[mon],
                in_tm.tm_mday, in_tm.tm_year + 1900, in_tm.tm_hour, in_tm.tm_min, in_tm.tm_sec);
  return buf;
}

std::string CurrentStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  if (localtime_s(&local, &now) != 0) return "";
#else
  if (localtime_r(&now, &local) == nullptr) return "";
#endif
  return FormatStamp(local);
}

}  // namespace qs
