#include "cli/DocumentCommand.h"

#include <memory>
#include <ostream>

#include "run/DocumentBatch.h"
#include "run/ProjectList.h"
#include "run/clsVBInfo.h"
#include "text/SystemPath.h"

namespace qs::cli {

namespace {

constexpr const char* kProgram = "quillscope-cli";

std::string FullPath(const std::string& path) {
  return AbsolutePath(path);
}

// The project's lines: its warnings, then the paths written (out) or why not (err), in the order
// the outputs are asked for.
void PrintProject(const BatchProjectResult& r, const DocumentOptions& in_options, std::ostream& out,
                  std::ostream& err) {
  const std::string& project = r.project;
  for (const std::string& warning : r.warnings) {
    if (!in_options.quiet) err << kProgram << ": warning: " << project << ": " << warning << "\n";
  }
  if (!r.clashingReport.empty() && !in_options.quiet) {
    err << kProgram << ": warning: " << project
        << ": writes the same report as another project of this call: " << r.clashingReport
        << "; written to " << r.report << " instead\n";
  }
  if (!r.reportWritten) {
    err << kProgram << ": " << project << ": " << r.failure << "\n";
    return;
  }
  if (!in_options.quiet) out << r.report << "\n";
  if (in_options.site) {
    if (!r.siteWritten) {
      err << kProgram << ": " << project << ": " << r.siteFailure << "\n";
    } else {
      if (!in_options.quiet) out << r.site << "\n";
      if (!r.sitePictureNote.empty() && !in_options.quiet)
        err << kProgram << ": warning: " << project
            << ": the site's pictures are not drawn: " << r.sitePictureNote << "\n";
    }
  }
  if (in_options.json && !r.jsonWritten) {
    err << kProgram << ": " << project << ": " << r.json << ": " << r.jsonFailure << "\n";
  }
  if (in_options.dumpAnalysis && !r.dumpWritten) {
    err << kProgram << ": " << project << ": " << r.dump << ": " << r.dumpFailure << "\n";
  }
}

}  // namespace

int RunDocument(const std::vector<std::string>& in_paths, const DocumentOptions& in_options,
                std::ostream& out, std::ostream& err) {
  BatchOptions options;
  options.outDir = in_options.outDir;
  options.json = in_options.json;
  options.pretty = in_options.pretty;
  options.site = in_options.site;
  options.dumpAnalysis = in_options.dumpAnalysis;
  options.codePage = in_options.codePage;
  options.docComments = in_options.docComments;
  options.jobs = in_options.jobs;
  options.excludes = in_options.excludes;
  options.defines = in_options.defines;
  DocumentBatch batch(std::move(options));
  BatchSink sink;
  sink.inputProblem = [&](const ProjectList::Problem& p, bool failure) {
    if (failure) {
      err << kProgram << ": " << p.path << ": " << p.message << "\n";
    } else if (!in_options.quiet) {
      err << kProgram << ": warning: " << p.path << ": " << p.message << "\n";
    }
  };
  sink.projectStarting = [&](size_t step, size_t count, const std::string& project) {
    if (in_options.progress && !in_options.quiet && count > 1)
      err << kProgram << ": project " << step + 1 << " of " << count << ": " << project << "\n";
  };
  sink.projectDone = [&](const BatchProjectResult& r) { PrintProject(r, in_options, out, err); };
  auto info = std::make_unique<clsVBInfo>();
  const BatchResult result = batch.Run(in_paths, *info, sink);
  if (!result.estateFailure.empty()) err << kProgram << ": " << result.estateFailure << "\n";
  out.flush();
  if (in_options.leaveLastRunToExit) LeaveRunToExit(info);
  return result.complete ? 0 : 1;
}

bool RunQuestion(clsVBInfo& io_oInfo, const std::string& in_sProject, bool in_bWarnings,
                 std::ostream& err) {
  io_oInfo.GetFileInfo(FullPath(in_sProject));
  if (in_bWarnings) {
    for (const std::string& warning : io_oInfo.Warnings())
      err << kProgram << ": warning: " << in_sProject << ": " << warning << "\n";
  }
  if (io_oInfo.RunCompleted()) return true;
  err << kProgram << ": " << in_sProject << ": " << io_oInfo.FailureReason() << "\n";
  return false;
}

void LeaveRunToExit(std::unique_ptr<clsVBInfo>& io_oInfo) {
  // The program ends right after this call. Freeing a large project's collections (the
  // declaration records, token streams and cross references, hundreds of megabytes) block by
  // block would only make the user wait: on the 2000-file benchmark project it takes about
  // 70 ms of a 1.1 s report-only run, most of it the symbol table's records. The system takes
  // the whole address space back at once. So the driver, which holds the
  // last run's collections, is let go of without being freed, still reachable through this
  // pointer (volatile, so the store is kept and a leak checker finds the driver reachable).
  [[maybe_unused]] static clsVBInfo* volatile s_oLeftToExit = nullptr;
  s_oLeftToExit = io_oInfo.release();
}

}  // namespace qs::cli
