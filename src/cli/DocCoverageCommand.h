// quillscope-cli --doc-coverage: how much of each project is documented, and the documentation
// warnings, without writing a report.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/DocumentCommand.h"

namespace qs::cli {

/// For each project: one line per module "MODULE: N of M documented (P%)", then "project: N of
/// M documented (P%)", then each documentation warning as "PATH:LINE:COLUMN: warning: MESSAGE"
/// (PATH: the project's folder as given, joined with the module's path inside it). A project
/// that cannot be read gets one line on err. Returns 0; 1 when a project failed or, with
/// in_options.failUnder >= 0, when a project's share is below it.
int RunDocCoverage(const std::vector<std::string>& in_projects, const DocumentOptions& in_options,
                   std::ostream& out, std::ostream& err);

/// "N of M documented (P%)": P rounded down, 100 when M is 0.
std::string CoverageText(int in_nDocumented, int in_nTotal);

}  // namespace qs::cli
