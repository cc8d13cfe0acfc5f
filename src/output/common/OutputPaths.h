// Where a project's outputs go, beside its report: the JSON export, the analysis dump and the
// site.
#pragma once

#include <string>
#include <string_view>

namespace qs {

/// The export's path beside a report: the report path with its ".html" ending replaced by
/// ".json" (".json" appended when it does not end in ".html").
std::string JsonListingPath(std::string_view in_sHtmlListing);

/// The analysis dump's path beside a report: the report path with ".analysis.json" for its
/// ".html" ending.
std::string AnalysisListingPath(std::string_view in_sHtmlListing);

/// The folder of the site of the project whose report folder is in in_sReportFolder (a folder
/// path ending in "/"): the folder beside it named in_sBody + "_site".
std::string SiteFolderBeside(const std::string& in_sReportFolder, const std::string& in_sBody);

}  // namespace qs
