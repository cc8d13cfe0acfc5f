#include "output/common/OutputPaths.h"

#include "text/SystemPath.h"

namespace qs {

std::string JsonListingPath(std::string_view in_sHtmlListing) {
  constexpr std::string_view kHtml = ".html";
  std::string path(in_sHtmlListing);
  if (path.size() >= kHtml.size() &&
      path.compare(path.size() - kHtml.size(), kHtml.size(), kHtml) == 0)
    path.resize(path.size() - kHtml.size());
  return path + ".json";
}

std::string AnalysisListingPath(std::string_view in_sHtmlListing) {
  std::string path = JsonListingPath(in_sHtmlListing);
  path.insert(path.size() - 5, ".analysis");
  return path;
}

std::string SiteFolderBeside(const std::string& in_sReportFolder, const std::string& in_sBody) {
  std::string folder = in_sReportFolder;
  while (!folder.empty() && kPathSeparators.find(folder.back()) != std::string_view::npos)
    folder.pop_back();
  const size_t slash = folder.find_last_of(kPathSeparators);
  folder.erase(slash == std::string::npos ? 0 : slash + 1);
  return folder + in_sBody + "_site";
}

}  // namespace qs
