// A file that replaces its target only when complete: written to a new temporary file beside
// the target and renamed over it at the end, so an earlier file is never left truncated or half
// written. The report and the JSON export are both written this way.
#pragma once

#include <cerrno>
#include <cstdint>
#include <string>
#include <string_view>

namespace qs {

class AtomicFile {
 public:
  /// The error number Commit returns when the run on this thread has been asked to stop: the
  /// target is then left as it was.
  static constexpr int kStopped = ECANCELED;

  AtomicFile() = default;
  /// A file that was not committed is abandoned: its temporary file is removed.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  /// Creates the temporary file that will replace in_sTarget (a platform path). 0, or the error
  /// number when it cannot be created.
  int Open(const std::string& in_sTarget);
  /// Appends the bytes. 0, or the error number.
  int Write(std::string_view in_sBytes);
  /// Asks the system to start writing in_nLength bytes from in_nOffset to the disk without
  /// waiting, so the wait at Commit covers only the rest.
  void StartWriteback(uint64_t in_nOffset, uint64_t in_nLength);
  /// Waits for the disk and closes the temporary file, without renaming it yet: a file written
  /// ahead is finished on its own thread and committed later. 0, or the error number (the
  /// temporary file is then removed).
  int Finish();
  /// Finishes the file when that is not done yet, then renames it over the target, unless the
  /// run on this thread has been asked to stop (kStopped). 0 when the complete file is in place;
  /// otherwise the temporary file is removed, the target is untouched and the error is returned.
  int Commit();
  /// Closes and removes the temporary file; the target is not touched.
  void Abandon();

  bool IsOpen() const { return m_fd >= 0; }

 private:
  int m_fd = -1;
  std::string m_target;
  std::string m_temp;
};

/// Writes the text to in_sPath through an AtomicFile. 0, or the error number (AtomicFile::kStopped
/// when the run was asked to stop); no file is left behind on failure.
int WriteFileAtomically(const std::string& in_sPath, std::string_view in_sText);

}  // namespace qs
