#include "analysis/DocCoverage.h"

#include <algorithm>
#include <string_view>

#include "analysis/ProjectAnalysis.h"
#include "analysis/ProjectDocs.h"
#include "io/CodePage.h"
#include "model/clsVBFileType.h"
#include "model/clsVBHeader.h"
#include "text/Yield.h"

namespace qs {

DocCoverage MeasureDocCoverage(const ProjectAnalysis& in_oInfo, CodePageText& in_oCodePage) {
  DocCoverage result;
  const ProjectDocs& docs = in_oInfo.Docs();
  if (!docs.read || !docs.measured) return result;
  // The modules in the order the project file lists them, each with the table entry the analysis
  // gave it.
  const std::vector<ProjectModule>& modules = in_oInfo.Modules();
  size_t nextWarning = 0;
  for (size_t i = 0; i < modules.size() && i < docs.modules.size(); ++i) {
    YieldPoint();
    const clsVBFileType* item = modules[i].item;
    const clsVBHeader* header = item ? item->VBHeader().get() : nullptr;
    DocCoverage::Module& module = result.modules.emplace_back();
    if (item) {
      in_oCodePage.Append(module.name, header && !header->sVBTableName.empty()
                                           ? std::string_view(header->sVBTableName)
                                           : std::string_view(item->InternalName));
    }
    module.documented = docs.modules[i].documented;
    module.total = docs.modules[i].total;
    result.documented += module.documented;
    result.total += module.total;
    // The module's warnings (only a module with declarations has any), in file order.
    const size_t warningsBefore = result.warnings.size();
    std::string file;
    bool fileKnown = false;
    for (; nextWarning < docs.warnings.size() &&
           docs.warnings[nextWarning].module == static_cast<int32_t>(i);
         ++nextWarning) {
      const ProjectDocs::Warning& w = docs.warnings[nextWarning];
      if (!w.checked) continue;
      if (!fileKnown) {
        fileKnown = true;
        file = item->sDiskPath;
        if (file.empty()) {
          std::string written = item->sFileValue;
          std::replace(written.begin(), written.end(), '\\', '/');
          in_oCodePage.Append(file, written);
        }
      }
      DocCoverage::Warning& warning = result.warnings.emplace_back();
      warning.file = file;
      warning.line = w.line;
      warning.column = w.column;
      in_oCodePage.Append(warning.message, w.message);
    }
    std::stable_sort(result.warnings.begin() + static_cast<std::ptrdiff_t>(warningsBefore),
                     result.warnings.end(), [](const auto& a, const auto& b) {
                       return a.line != b.line ? a.line < b.line : a.column < b.column;
                     });
  }
  return result;
}

}  // namespace qs
