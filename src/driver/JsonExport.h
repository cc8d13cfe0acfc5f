// The analysis dump of a run, for debugging: the project, its items with their headers, and
// every module's declarations from the symbol table as the analysis records them, as one JSON
// object in UTF-8 (docs/JSON.md). It follows the analysis and may change with it; the public
// export is ProjectJson.h.
#pragma once

#include <string>
#include <string_view>

namespace qs {

class clsSymTable;
class clsVBFileTypes;
class clsVBInfo;

/// The export of one run as JSON text. in_sProjectFile is a platform path (UTF-8); the project
/// name and every value taken from the project's files are code page 1252 and are converted.
/// A missing collection or table gives an empty "items" or "modules" array.
std::string BuildJsonExport(std::string_view in_sProjectFile, std::string_view in_sProjectName,
                            const clsVBFileTypes* in_oFileTypes, const clsSymTable* in_oSymTable);

/// The export's path beside a report: the report path with its ".html" ending replaced by
/// ".json" (".json" appended when it does not end in ".html").
std::string JsonListingPath(std::string_view in_sHtmlListing);

/// The analysis dump's path beside a report: the report path with ".analysis.json" for its
/// ".html" ending.
std::string AnalysisListingPath(std::string_view in_sHtmlListing);

/// Writes the export text to in_sPath so that an earlier file is replaced only by a complete one
/// (WriteFileAtomically). False, with out_sReason set ("export cannot be written: ..." or
/// "stopped") and no file left behind, when that fails.
bool WriteJsonFile(const std::string& in_sPath, std::string_view in_sText,
                   std::string& out_sReason);

/// Dumps the last run of the driver beside its report (AnalysisListingPath): the project file as
/// the report names it (in_sProjectFile unless the run's settings give another), and the run's
/// project name, item collection and symbol table. Nothing is written, and false returned, when the
/// run did not write its report. out_sPath names the export file; out_sReason says why it was not
/// written.
bool WriteRunJson(const clsVBInfo& in_oInfo, const std::string& in_sProjectFile,
                  std::string& out_sPath, std::string& out_sReason);

}  // namespace qs
