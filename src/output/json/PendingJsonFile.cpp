#include "output/json/PendingJsonFile.h"

#include <cstring>
#include <exception>

#include "text/Failure.h"
#include "text/Yield.h"

namespace qs {

namespace {

std::string WriteFailure(int in_nError) {
  return in_nError == AtomicFile::kStopped
             ? std::string("stopped")
             : std::string("export cannot be written: ") + std::strerror(in_nError);
}

}  // namespace

bool PendingJsonFile::WriteFile(const std::string& in_sPath,
                                const std::function<int(AtomicFile&)>& in_fWrite) {
  m_written = false;
  m_reason.clear();
  try {
    int err = m_file.Open(in_sPath);
    if (err == 0) err = in_fWrite(m_file);
    // The wait for the disk is done here, on the writing thread; Commit only renames.
    if (err == 0) err = m_file.Finish();
    if (err == 0) {
      m_written = true;
      return true;
    }
    m_reason = WriteFailure(err);
  } catch (const RunStopped&) {
    m_reason = "stopped";  // the temporary file is removed below; an earlier file stays
  } catch (const std::exception& e) {
    // The caller gets false and this reason; an earlier file stays as it was.
    m_reason = std::string("export cannot be written: ") + FailureText(e);
  } catch (...) {
    // The caller gets false and this reason; an earlier file stays as it was.
    m_reason = "export cannot be written";
  }
  m_file.Abandon();
  return false;
}

bool PendingJsonFile::Commit() {
  if (!m_written) {
    if (m_reason.empty()) m_reason = "export cannot be written";
    return false;
  }
  m_written = false;
  const int err = m_file.Commit();
  if (err == 0) return true;
  m_reason = WriteFailure(err);
  return false;
}

}  // namespace qs
