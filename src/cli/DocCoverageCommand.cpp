#include "cli/DocCoverageCommand.h"

#include <memory>
#include <ostream>

#include "analysis/DocCoverage.h"
#include "io/CodePage.h"
#include "output/answers/ReferenceAnswers.h"
#include "run/clsVBInfo.h"

namespace qs::cli {

std::string CoverageText(int in_nDocumented, int in_nTotal) {
  const long long percent =
      in_nTotal > 0 ? static_cast<long long>(in_nDocumented) * 100 / in_nTotal : 100;
  return std::to_string(in_nDocumented) + " of " + std::to_string(in_nTotal) + " documented (" +
         std::to_string(percent) + "%)";
}

int RunDocCoverage(const std::vector<std::string>& in_projects, const DocumentOptions& in_options,
                   std::ostream& out, std::ostream& err) {
  CodePageText cp;
  if (!cp.Open(in_options.codePage)) cp.Open(CodePageText::kDefault);
  auto info = std::make_unique<clsVBInfo>();
  info->Settings().loadThreads = in_options.jobs;
  info->Settings().threads = in_options.jobs;
  info->Settings().keepLineEnds = true;
  info->Settings().docComments = true;
  info->Settings().writeReport = false;
  int status = 0;
  for (const std::string& project : in_projects) {
    if (!RunQuestion(*info, project, false, err)) {
      status = 1;
      continue;
    }
    const DocCoverage coverage = MeasureDocCoverage(info->Analysis(), cp);
    for (const DocCoverage::Module& m : coverage.modules)
      out << m.name << ": " << CoverageText(m.documented, m.total) << "\n";
    out << "project: " << CoverageText(coverage.documented, coverage.total) << "\n";
    const std::string folder = AnswerFolder(project);
    for (const DocCoverage::Warning& w : coverage.warnings) {
      out << folder << w.file << ":" << w.line << ":" << w.column << ": warning: " << w.message
          << "\n";
    }
    if (in_options.failUnder >= 0 &&
        static_cast<long long>(coverage.documented) * 100 <
            static_cast<long long>(in_options.failUnder) * coverage.total)
      status = 1;
  }
  out.flush();
  return status;
}

}  // namespace qs::cli
