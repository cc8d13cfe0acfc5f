// PendingSite: the site written by the builder (SiteBuilder.h) into a temporary folder beside
// its target, and put in place in one step when complete.
#include "output/site/SiteWriter.h"

#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>

#include "io/AtomicFolder.h"
#include "io/CodePage.h"
#include "output/site/SiteBuilder.h"
#include "text/Failure.h"
#include "text/SystemPath.h"
#include "text/Yield.h"

namespace qs {

PendingSite::~PendingSite() {
  Abandon();
}

void PendingSite::Abandon() {
  m_folder.Abandon();
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
    if (!m_folder.Open(m_target)) {
      m_reason = "site cannot be written: " + m_target + ".tmp-: " + m_folder.Error().message();
      return false;
    }
    site::SiteBuilder builder(in_oInfo, in_sProjectFile, in_oOptions, m_folder.Temp());
    builder.Write();
    m_pictureNote = builder.PictureNote();
    m_written = true;
    return true;
  } catch (const RunStopped&) {
    m_reason = "stopped";  // the temporary folder is removed below; an earlier site stays
  } catch (const std::exception& e) {
    // The caller gets false and this reason; an earlier site stays as it was.
    m_reason = std::string("site cannot be written: ") + FailureText(e);
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
  if (m_folder.Commit()) return true;
  m_reason = "site cannot be put in place: " + m_target + ": " + m_folder.Error().message();
  return false;
}

}  // namespace qs
