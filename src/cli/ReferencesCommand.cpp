#include "cli/ReferencesCommand.h"

#include <algorithm>
#include <memory>
#include <ostream>

#include "cli/DocumentCommand.h"
#include "output/answers/ReferenceAnswers.h"
#include "run/clsVBInfo.h"

namespace qs::cli {

int RunReferences(const std::vector<std::string>& in_projects, const ReferencesOptions& in_options,
                  std::ostream& out, std::ostream& err) {
  auto info = std::make_unique<clsVBInfo>();
  info->Settings().loadThreads = in_options.jobs;
  info->Settings().threads = in_options.jobs;
  info->Settings().crossReferences = true;
  info->Settings().writeReport = false;
  info->Settings().defines = in_options.defines;
  int status = 0;
  for (const std::string& project : in_projects) {
    if (!RunQuestion(*info, project, true, err)) {
      status = std::max(status, 1);
      continue;
    }
    const std::string folder = AnswerFolder(project);
    AnswerOptions answers;
    answers.codePage = in_options.codePage;
    answers.controls = in_options.controls;
    if (!in_options.refs.empty()) {
      status = std::max(status,
                        AnswerRefs(info->Analysis(), in_options.refs, folder, out, err, answers));
    } else {
      // --fail counts what is listed: controls only when --controls lists them.
      const size_t printed =
          AnswerUnused(info->Analysis(), in_options.exposed, folder, out, answers);
      if (in_options.fail && printed > 0) status = std::max(status, 1);
    }
  }
  out.flush();
  if (in_options.leaveLastRunToExit) LeaveRunToExit(info);
  return status;
}

}  // namespace qs::cli
