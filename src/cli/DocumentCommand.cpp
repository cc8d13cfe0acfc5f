#include "cli/DocumentCommand.h"

#include <memory>
#include <ostream>
#include <set>
#include <system_error>

#include "analysis/SourceCache.h"
#include "output/common/OutputPaths.h"
#include "output/estate/EstateReport.h"
#include "output/json/ProjectExport.h"
#include "run/ProjectList.h"
#include "run/RunExports.h"
#include "run/clsVBInfo.h"
#include "text/Cp1252.h"
#include "text/SystemPath.h"

namespace qs::cli {

namespace {

constexpr const char* kProgram = "quillscope-cli";

std::string FullPath(const std::string& path) {
  return AbsolutePath(path);
}

// The projects the paths name, with one line on err for each group file or folder that could
// not be read (status becomes 1) and each missing group member (a warning).
ProjectList ExpandInputs(const std::vector<std::string>& in_paths,
                         const DocumentOptions& in_options, std::ostream& err, int& io_status) {
  ProjectList list;
  list.SetExcludes(in_options.excludes);
  for (const std::string& path : in_paths) list.Add(path);
  for (const ProjectList::Problem& p : list.Failures()) {
    err << kProgram << ": " << p.path << ": " << p.message << "\n";
    io_status = 1;
  }
  if (!in_options.quiet) {
    for (const ProjectList::Problem& p : list.Warnings())
      err << kProgram << ": warning: " << p.path << ": " << p.message << "\n";
  }
  return list;
}

// A source file several of the projects list is read and tokenized once for the call: the
// cache is planned with the paths the runs are given.
std::shared_ptr<SourceCache> SharedSources(const std::vector<std::string>& in_projects) {
  if (in_projects.size() < 2) return nullptr;
  auto cache = std::make_shared<SourceCache>();
  std::vector<std::string> full;
  for (const std::string& project : in_projects) full.push_back(FullPath(project));
  cache->Plan(full);
  return cache;
}

// The estate outputs of a call with several projects, from the summaries of their runs.
bool WriteEstate(EstateReport& io_estate, const ProjectList& in_list,
                 const DocumentOptions& in_options, std::ostream& err) {
  for (const ProjectList::Group& g : in_list.Groups())
    io_estate.AddGroup({FullPath(g.file), g.projects});
  // With sites, each project links to its own.
  if (in_options.site) io_estate.LinkSites(in_options.outDir);
  std::string reason;
  if (io_estate.Write(in_options.outDir, in_options.json, reason)) return true;
  err << kProgram << ": " << reason << "\n";
  return false;
}

}  // namespace

int RunDocument(const std::vector<std::string>& in_paths, const DocumentOptions& in_options,
                std::ostream& out, std::ostream& err) {
  int status = 0;
  const ProjectList list = ExpandInputs(in_paths, in_options, err, status);
  const std::vector<std::string>& projects = list.Projects();
  const bool estateWanted = (in_options.json || in_options.site) && projects.size() > 1;
  EstateReport estate;
  auto info = std::make_unique<clsVBInfo>();
  info->Settings().outDir = in_options.outDir;
  info->Settings().loadThreads = in_options.jobs;
  info->Settings().threads = in_options.jobs;
  // The export's places are counted from each file's line ends, found while it is loaded.
  info->Settings().keepLineEnds = in_options.json;
  info->Settings().writeSite = in_options.site;
  info->Settings().site.codePage = in_options.codePage;
  // The export lists every declaration's uses.
  info->Settings().crossReferences = in_options.json || in_options.site;
  info->Settings().siteDocs = in_options.docComments;
  info->Settings().sourceCache = SharedSources(projects);
  std::set<std::string> reports;
  // In an estate, a project is documented after the projects whose source it references: their
  // exposed classes resolve in it.
  std::vector<std::vector<size_t>> sourceRefs(projects.size());
  if (estateWanted) sourceRefs = list.SourceReferences();
  const std::vector<size_t> order = ProjectList::ReferencedFirst(sourceRefs);

  for (size_t step = 0; step < order.size(); ++step) {
    const size_t n = order[step];
    const std::string& project = projects[n];
    if (in_options.progress && !in_options.quiet && projects.size() > 1)
      err << kProgram << ": project " << step + 1 << " of " << projects.size() << ": " << project
          << "\n";
    if (estateWanted) info->Settings().exposedClasses = estate.ExposedBy(sourceRefs[n]);
    // The export is written while the report is (both only read the finished analysis), and
    // put in place only once the report is.
    PendingProjectJson pendingJson;
    std::string jsonPath;
    if (in_options.json) {
      info->Settings().alongsideReport = [&] {
        ExportOptions exportOptions;
        exportOptions.codePage = in_options.codePage;
        exportOptions.pretty = in_options.pretty;
        exportOptions.docComments = in_options.docComments;
        jsonPath = JsonListingPath(info->HtmlListing());
        pendingJson.Write(info->Analysis(), FullPath(project), exportOptions, jsonPath);
      };
    }
    // The driver gets the full path, as the window gives it: the report names the project file
    // by it, and it does not depend on the folder the command was started from.
    info->GetFileInfo(FullPath(project));
    info->Settings().alongsideReport = nullptr;
    if (estateWanted)
      estate.AddProject(n, info->Analysis(), project,
                        info->ReportWritten() ? info->HtmlListing() : std::string(),
                        in_options.codePage);
    for (const std::string& warning : info->Warnings()) {
      if (!in_options.quiet) err << kProgram << ": warning: " << project << ": " << warning << "\n";
    }

    const std::string report = FullPath(info->HtmlListing());
    if (!reports.insert(SameFileKey(info->HtmlListing())).second && !in_options.quiet) {
      err << kProgram << ": warning: " << project
          << ": writes the same report as an earlier project of this call: " << report << "\n";
    }
    if (!info->ReportWritten()) {
      err << kProgram << ": " << project << ": " << info->FailureReason() << "\n";
      status = 1;
      continue;
    }
    if (!in_options.quiet) out << report << "\n";
    if (in_options.site) {
      if (info->SiteIndex().empty()) {
        err << kProgram << ": " << project << ": " << info->SiteFailure() << "\n";
        status = 1;
      } else {
        if (!in_options.quiet) out << FullPath(info->SiteIndex()) << "\n";
        if (!info->SitePictureNote().empty() && !in_options.quiet)
          err << kProgram << ": warning: " << project
              << ": the site's pictures are not drawn: " << info->SitePictureNote() << "\n";
      }
    }
    // The exports go beside the report; only a run that wrote its report exports.
    std::string reason;
    if (in_options.json && !pendingJson.Commit()) {
      err << kProgram << ": " << project << ": " << FullPath(jsonPath) << ": "
          << pendingJson.Reason() << "\n";
      status = 1;
    }
    if (in_options.dumpAnalysis && !WriteRunJson(*info, FullPath(project), jsonPath, reason)) {
      err << kProgram << ": " << project << ": " << FullPath(jsonPath) << ": " << reason << "\n";
      status = 1;
    }
  }
  if (estateWanted && !WriteEstate(estate, list, in_options, err)) status = 1;
  out.flush();
  if (in_options.leaveLastRunToExit) LeaveRunToExit(info);
  return status;
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
  // The program ends right after this call. Freeing a large project's collections (millions
  // of small records, hundreds of megabytes) block by block would only make the user wait;
  // the system takes the whole address space back at once. So the driver, which holds the
  // last run's collections, is let go of without being freed, still reachable through this
  // pointer (volatile, so the store is kept and a leak checker finds the driver reachable).
  [[maybe_unused]] static clsVBInfo* volatile s_oLeftToExit = nullptr;
  s_oLeftToExit = io_oInfo.release();
}

}  // namespace qs::cli
