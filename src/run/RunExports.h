// The JSON files written beside a run's report: the public export and the analysis dump, each
// only when the run wrote its report.
#pragma once

#include <string>

#include "output/json/AnalysisDump.h"
#include "output/json/ProjectExport.h"

namespace qs {

class clsVBInfo;

/// Dumps the last run of the driver beside its report (AnalysisListingPath): the project file as
/// the report names it (in_sProjectFile unless the run's settings give another), and the run's
/// project name, item collection and symbol table. Nothing is written, and false returned, when
/// the run did not write its report. out_sPath names the dump file; out_sReason says why it was
/// not written.
bool WriteRunJson(const clsVBInfo& in_oInfo, const std::string& in_sProjectFile,
                  std::string& out_sPath, std::string& out_sReason);

/// Writes the export beside the run's report (the report path with ".json" for ".html"), only
/// when the run wrote its report. out_sPath names the export file.
bool WriteRunProjectJson(const clsVBInfo& in_oInfo, const std::string& in_sProjectFile,
                         const ExportOptions& in_oOptions, std::string& out_sPath,
                         std::string& out_sReason);

}  // namespace qs
