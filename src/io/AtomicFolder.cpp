#include "io/AtomicFolder.h"

#include <atomic>
#include <chrono>
#include <filesystem>

#include "text/SystemPath.h"

#ifdef __linux__
#include <fcntl.h>
#include <stdio.h>
#endif

namespace qs {

namespace fs = std::filesystem;

std::string MakeFreshFolder(const std::string& in_sBase, std::error_code& out_oError) {
  static std::atomic<unsigned> s_counter{0};
  const auto clock =
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  out_oError.clear();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name =
        in_sBase + std::to_string(clock % 1000000007ULL) + "-" + std::to_string(++s_counter);
    std::error_code ec;
    if (fs::create_directory(SystemPath(name), ec)) return name;
    if (ec && ec != std::errc::file_exists) {
      out_oError = ec;
      return "";
    }
  }
  out_oError = std::make_error_code(std::errc::file_exists);
  return "";
}

AtomicFolder::~AtomicFolder() {
  Abandon();
}

bool AtomicFolder::Fail(Step in_eStep, std::error_code in_oError) {
  m_step = in_eStep;
  m_error = in_oError;
  return false;
}

bool AtomicFolder::Open(const std::string& in_sTarget) {
  Abandon();
  m_target = in_sTarget;
  m_step = Step::kNone;
  m_error.clear();
  std::error_code ec;
  fs::create_directories(SystemPath(m_target).parent_path(), ec);
  m_temp = MakeFreshFolder(m_target + ".tmp-", ec);
  if (m_temp.empty()) return Fail(Step::kCreate, ec);
  return true;
}

bool AtomicFolder::Commit() {
  if (m_temp.empty())
    return Fail(Step::kPutInPlace, std::make_error_code(std::errc::bad_file_descriptor));
#ifdef __linux__
  // Exchanged with an earlier folder in one step; the earlier one, now under the temporary name,
  // is removed below.
  if (::renameat2(AT_FDCWD, m_temp.c_str(), AT_FDCWD, m_target.c_str(), RENAME_EXCHANGE) == 0) {
    Abandon();
    return true;
  }
#endif
  std::error_code ec;
  if (!fs::exists(SystemPath(m_target), ec)) {
    fs::rename(SystemPath(m_temp), SystemPath(m_target), ec);
    if (!ec) {
      m_temp.clear();
      return true;
    }
  }
  // An earlier folder that cannot be exchanged is moved aside first.
  std::error_code aside;
  const std::string old = MakeFreshFolder(m_target + ".old-", aside);
  if (old.empty()) {
    Abandon();
    return Fail(Step::kMoveAside, aside);
  }
  fs::rename(SystemPath(m_target), SystemPath(old + "/earlier"), aside);
  if (aside) {
    fs::remove_all(SystemPath(old), ec);
    Abandon();
    return Fail(Step::kMoveAside, aside);
  }
  std::error_code placed;
  fs::rename(SystemPath(m_temp), SystemPath(m_target), placed);
  if (placed) fs::rename(SystemPath(old + "/earlier"), SystemPath(m_target), ec);  // it comes back
  fs::remove_all(SystemPath(old), ec);  // what cannot be removed is left behind
  if (placed) {
    Abandon();
    return Fail(Step::kPutInPlace, placed);
  }
  m_temp.clear();
  return true;
}

void AtomicFolder::Abandon() {
  if (m_temp.empty()) return;
  std::error_code ec;
  fs::remove_all(SystemPath(m_temp), ec);  // what cannot be removed is left behind
  m_temp.clear();
}

}  // namespace qs
