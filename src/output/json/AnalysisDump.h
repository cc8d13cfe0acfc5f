// The analysis dump of a run, for debugging: the project, its items with their headers, and
// every module's declarations from the symbol table as the analysis records them, as one JSON
// object in UTF-8 (docs/JSON.md). It follows the analysis and may change with it; the public
// export is ProjectExport.h.
#pragma once

#include <string>
#include <string_view>

#include "io/AtomicFile.h"
#include "output/common/OutputPaths.h"
#include "output/json/PendingJsonFile.h"

namespace qs {

class clsSymTable;
class clsVBFileTypes;
class ProjectAnalysis;

/// The export of one run as JSON text. in_sProjectFile is a platform path (UTF-8); the project
/// name and every value taken from the project's files are code page 1252 and are converted.
/// A missing collection or table gives an empty "items" or "modules" array.
std::string BuildJsonExport(std::string_view in_sProjectFile, std::string_view in_sProjectName,
                            const clsVBFileTypes* in_oFileTypes, const clsSymTable* in_oSymTable);

/// Writes the export text to in_sPath so that an earlier file is replaced only by a complete one
/// (WriteFileAtomically). False, with out_sReason set ("export cannot be written: ..." or
/// "stopped") and no file left behind, when that fails.
bool WriteJsonFile(const std::string& in_sPath, std::string_view in_sText,
                   std::string& out_sReason);

/// Dumps the analysis to in_sPath: the project file as given (in_sProjectFile), and the
/// analysis's project name, item collection and symbol table. False, with out_sReason set, when
/// it was not written.
bool WriteAnalysisDump(const ProjectAnalysis& in_oAnalysis, const std::string& in_sProjectFile,
                       const std::string& in_sPath, std::string& out_sReason);

/// A dump written ahead of its commit: Write fills the temporary file (alongside the report, say);
/// Commit then puts it in place. Dropped uncommitted, it leaves nothing behind and an earlier
/// dump as it was.
class PendingAnalysisDump : public PendingJsonFile {
 public:
  /// Writes the dump WriteAnalysisDump writes to the temporary file that will replace in_sPath.
  /// False, with Reason() set as WriteAnalysisDump says, on failure.
  bool Write(const ProjectAnalysis& in_oAnalysis, const std::string& in_sProjectFile,
             const std::string& in_sPath);
};

}  // namespace qs
