#include "cli/DocumentCommand.h"

#include <filesystem>
#include <memory>
#include <ostream>
#include <set>
#include <system_error>

#include "driver/JsonExport.h"
#include "driver/ProjectJson.h"
#include "driver/clsVBInfo.h"
#include "text/Cp1252.h"

namespace qs::cli {

namespace {

constexpr const char* kProgram = "quillscope-cli";

// The path as the user will look for it: absolute, without "." and ".." components.
std::string FullPath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  if (ec) return path;
  return p.lexically_normal().string();
}

// Key under which two report paths count as the same file (links and ".." resolved).
std::string SameFileKey(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
  return ec ? FullPath(path) : p.string();
}

}  // namespace

int RunDocument(const std::vector<std::string>& in_projects, const DocumentOptions& in_options,
                std::ostream& out, std::ostream& err) {
  auto info = std::make_unique<clsVBInfo>();
  info->Settings().outDir = in_options.outDir;
  info->Settings().loadThreads = in_options.jobs;
  // The export's places are counted from each file's line ends, found while it is loaded.
  info->Settings().keepLineEnds = in_options.json;
  info->Settings().writeSite = in_options.site;
  info->Settings().site.codePage = in_options.codePage;
  // The export lists every declaration's uses.
  info->Settings().crossReferences = in_options.json;
  std::set<std::string> reports;
  int status = 0;

  for (const std::string& project : in_projects) {
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
        pendingJson.Write(*info, FullPath(project), exportOptions, jsonPath);
      };
    }
    // The driver gets the full path, as the window gives it: the report names the project file
    // by it, and it does not depend on the folder the command was started from.
    info->GetFileInfo(FullPath(project));
    info->Settings().alongsideReport = nullptr;
    for (const std::string& warning : info->Warnings())
      err << kProgram << ": warning: " << project << ": " << warning << "\n";

    const std::string report = FullPath(info->HtmlListing());
    if (!reports.insert(SameFileKey(info->HtmlListing())).second) {
      err << kProgram << ": warning: " << project
          << ": writes the same report as an earlier project of this call: " << report << "\n";
    }
    if (!info->ReportWritten()) {
      err << kProgram << ": " << project << ": " << info->FailureReason() << "\n";
      status = 1;
      continue;
    }
    out << report << "\n";
    if (in_options.site) {
      if (info->SiteIndex().empty()) {
        err << kProgram << ": " << project << ": " << info->SiteFailure() << "\n";
        status = 1;
      } else {
        out << FullPath(info->SiteIndex()) << "\n";
        if (!info->SitePictureNote().empty())
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
  out.flush();
  if (in_options.leaveLastRunToExit) LeaveRunToExit(info);
  return status;
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
