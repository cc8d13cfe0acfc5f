#include "run/RunExports.h"

#include "run/clsVBInfo.h"

namespace qs {

namespace {

// The project file as the report names it.
const std::string& ReportedFile(const clsVBInfo& in_oInfo, const std::string& in_sProjectFile) {
  const std::string& reported = in_oInfo.Settings().reportedProjectFile;
  return reported.empty() ? in_sProjectFile : reported;
}

}  // namespace

bool WriteRunJson(const clsVBInfo& in_oInfo, const std::string& in_sProjectFile,
                  std::string& out_sPath, std::string& out_sReason) {
  out_sPath = AnalysisListingPath(in_oInfo.HtmlListing());
  out_sReason.clear();
  if (!in_oInfo.ReportWritten()) {
    out_sReason = "no export without a report";
    return false;
  }
  return WriteAnalysisDump(in_oInfo.Analysis(), ReportedFile(in_oInfo, in_sProjectFile), out_sPath,
                           out_sReason);
}

bool WriteRunProjectJson(const clsVBInfo& in_oInfo, const std::string& in_sProjectFile,
                         const ExportOptions& in_oOptions, std::string& out_sPath,
                         std::string& out_sReason) {
  out_sPath = JsonListingPath(in_oInfo.HtmlListing());
  out_sReason.clear();
  if (!in_oInfo.ReportWritten()) {
    out_sReason = "no export without a report";
    return false;
  }
  return WriteProjectJson(in_oInfo.Analysis(), ReportedFile(in_oInfo, in_sProjectFile), in_oOptions,
                          out_sPath, out_sReason);
}

}  // namespace qs
