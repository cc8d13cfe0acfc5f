// The public JSON export of a run (format 2): the project, its modules with their controls and
// declarations, every place as file, line and column, written as it is produced straight into
// the temporary file that replaces the export when complete. docs/JSON.md describes it.
#pragma once

#include <string>

#include "io/AtomicFile.h"
#include "output/json/PendingJsonFile.h"

namespace qs {

class ProjectAnalysis;

struct ExportOptions {
  /// The code page of the project's files; their bytes become UTF-8 through it.
  int codePage = 1252;
  /// Indented output instead of the compact form.
  bool pretty = false;
  /// The doc comments of declarations, members and modules ("doc") and the documentation
  /// warnings ("docWarnings", then always empty) are read and written.
  bool docComments = true;
};

/// An export written ahead of its commit: Write fills the temporary file while, say, the report
/// is still being written on another thread; Commit then puts it in place. Dropped uncommitted,
/// it leaves nothing behind and an earlier export as it was.
class PendingProjectJson : public PendingJsonFile {
 public:
  /// Writes the export of the driver's analysis (complete, only read) to the temporary file
  /// that will replace in_sPath. False, with Reason() set as WriteProjectJson says, on failure.
  bool Write(const ProjectAnalysis& in_oInfo, const std::string& in_sProjectFile,
             const ExportOptions& in_oOptions, const std::string& in_sPath);
};

/// Writes the export of the driver's last run to in_sPath (an earlier file is replaced only by
/// a complete one). in_sProjectFile is the project file's platform path; its file name is
/// written. False, with out_sReason set ("export cannot be written: ...", "unknown code page N"
/// or "stopped") and no file left behind, when that fails.
bool WriteProjectJson(const ProjectAnalysis& in_oInfo, const std::string& in_sProjectFile,
                      const ExportOptions& in_oOptions, const std::string& in_sPath,
                      std::string& out_sReason);

}  // namespace qs
