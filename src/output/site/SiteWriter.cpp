// PendingSite: the site written by the builder (SiteBuilder.h) into a temporary folder beside
// its target, and put in place in one step when complete.
#include "output/site/SiteWriter.h"

#ifdef __linux__
#include <fcntl.h>
#include <stdio.h>
#endif

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>

#include "io/CodePage.h"
#include "output/site/SiteBuilder.h"
#include "text/SystemPath.h"
#include "text/Yield.h"

namespace qs {

namespace {

// Creates a new folder named in_sBase + a suffix no other folder has, and returns its name; ""
// (errno set) when none can be made.
std::string MakeFreshFolder(const std::string& in_sBase) {
  static std::atomic<unsigned> s_counter{0};
  const auto clock =
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name =
        in_sBase + std::to_string(clock % 1000000007ULL) + "-" + std::to_string(++s_counter);
    std::error_code ec;
    if (std::filesystem::create_directory(SystemPath(name), ec)) return name;
    if (ec && ec != std::errc::file_exists) {
      errno = ec.value();
      return "";
    }
  }
  errno = EEXIST;
  return "";
}

}  // namespace

PendingSite::~PendingSite() {
  Abandon();
}

void PendingSite::Abandon() {
  if (m_temp.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(SystemPath(m_temp), ec);  // what cannot be removed is left
  m_temp.clear();
  m_written = false;
}

bool PendingSite::Write(const ProjectAnalysis& in_oInfo, const std::string& in_sProjectFile,
                        const SiteOptions& in_oOptions, const std::string& in_sFolder) {
  Abandon();
  m_reason.clear();
  m_pictureNote.clear();
  m_target = in_sFolder;
  try {
    if (!CodePageText::IsKnown(in_oOptions.codePage)) {
      m_reason = "unknown code page " + std::to_string(in_oOptions.codePage);
      return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(SystemPath(m_target).parent_path(), ec);
    const std::string temp = MakeFreshFolder(m_target + ".tmp-");
    if (temp.empty()) {
      m_reason = "site cannot be written: " + m_target + ".tmp-: " + std::strerror(errno);
      return false;
    }
    m_temp = temp;
    site::SiteBuilder builder(in_oInfo, in_sProjectFile, in_oOptions, m_temp);
    builder.Write();
    m_pictureNote = builder.PictureNote();
    m_written = true;
    return true;
  } catch (const RunStopped&) {
    m_reason = "stopped";  // the temporary folder is removed below; an earlier site stays
  } catch (const std::exception& e) {
    // The caller gets false and this reason; an earlier site stays as it was.
    m_reason = std::string("site cannot be written: ") + e.what();
  } catch (...) {
    // The caller gets false and this reason; an earlier site stays as it was.
    m_reason = "site cannot be written";
  }
  Abandon();
  return false;
}

bool PendingSite::Commit() {
  if (!m_written) {
    if (m_reason.empty()) m_reason = "site cannot be written";
    return false;
  }
  m_written = false;
  // The folder is exchanged with an earlier site in one step where the system can; the earlier
  // site, now in the temporary folder, is removed afterwards.
  namespace fs = std::filesystem;
#ifdef __linux__
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
  // An earlier site that cannot be exchanged is moved aside first.
  const std::string aside = MakeFreshFolder(m_target + ".old-");
  std::error_code moved;
  if (!aside.empty()) fs::rename(SystemPath(m_target), SystemPath(aside + "/site"), moved);
  if (!aside.empty() && !moved) {
    fs::rename(SystemPath(m_temp), SystemPath(m_target), moved);
    if (!moved) {
      fs::remove_all(SystemPath(aside), ec);  // what cannot be removed is left behind
      m_temp.clear();
      return true;
    }
    fs::rename(SystemPath(aside + "/site"), SystemPath(m_target), ec);  // the earlier site back
  }
  if (!aside.empty()) fs::remove_all(SystemPath(aside), ec);
  m_reason = "site cannot be put in place: " + m_target + ": " +
             (moved ? moved.message() : std::string(std::strerror(errno)));
  Abandon();
  return false;
}

}  // namespace qs
