// A JSON file written ahead of its commit, the export's and the analysis dump's alike: written to
// a temporary file beside its target (while, say, the report is still being written on another
// thread), then renamed over it by Commit. Dropped uncommitted, it leaves nothing behind and an
// earlier file as it was.
#pragma once

#include <functional>
#include <string>

#include "io/AtomicFile.h"

namespace qs {

class PendingJsonFile {
 public:
  /// Renames a written file over its target. False, with Reason() set, when it was not written
  /// or cannot be put in place.
  bool Commit();
  /// Why the file was not written or put in place ("export cannot be written: ...", "stopped").
  const std::string& Reason() const { return m_reason; }

 protected:
  /// Opens the temporary file that will replace in_sPath and has in_fWrite fill it (0, or an
  /// error number), then waits for the disk. False, with Reason() set, on failure; a stop, or a
  /// failure in_fWrite throws, is caught here and the temporary file removed.
  bool WriteFile(const std::string& in_sPath, const std::function<int(AtomicFile&)>& in_fWrite);
  /// Says why the file was not written (the caller's own check failed before WriteFile).
  void Refuse(std::string in_sReason) {
    m_written = false;
    m_reason = std::move(in_sReason);
  }

 private:
  AtomicFile m_file;
  bool m_written = false;
  std::string m_reason;
};

}  // namespace qs
