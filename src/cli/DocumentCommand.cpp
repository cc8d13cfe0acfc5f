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
#include "text/SystemPath.h"

namespace qs::cli {

namespace {

constexpr const char* kProgram = "quillscope-cli";

// The path as the user will look for it: absolute, without "." and ".." components.
std::string FullPath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(SystemPath(path), ec);
  if (ec) return path;
  return PlatformPath(p.lexically_normal());
}

// Key under which two report paths count as the same file (links and ".." resolved).
std::string SameFileKey(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::weakly_canonical(SystemPath(path), ec);
  return ec ? FullPath(path) : PlatformPath(p);
}

}  // namespace

bool HasProjectExtension(const std::string& in_sPath) {
  const std::string name = PlatformPath(SystemPath(in_sPath).filename());
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  return EqualsNoCase1252(std::string_view(name).substr(dot + 1), "vbp");
}

int RunDocument(const std::vector<std::string>& in_projects, const DocumentOptions& in_options,
                std::ostream& out, std::ostream& err) {
  auto info = std::make_unique<clsVBInfo>();
  info->Settings().outDir = in_options.outDir;
  info->Settings().loadThreads = in_options.jobs;
  // The export's places are counted from each file's line ends, found while it is loaded.
  info->Settings().keepLineEnds = in_options.json;
  std::set<std::string> reports;
  int status = 0;

  for (const std::string& project : in_projects) {
    if (!HasProjectExtension(project)) {
      err << kProgram << ": warning: " << project
          << ": the file name does not end in .vbp; reading it as a project file\n";
    }
    // The driver gets the full path, as the window gives it: the report names the project file
    // by it, and it does not depend on the folder the command was started from.
    info->GetFileInfo(FullPath(project));
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
    // The exports go beside the report; only a run that wrote its report exports.
    std::string jsonPath, reason;
    if (in_options.json) {
      ExportOptions exportOptions;
      exportOptions.codePage = in_options.codePage;
      exportOptions.pretty = in_options.pretty;
      if (!WriteRunProjectJson(*info, FullPath(project), exportOptions, jsonPath, reason)) {
        err << kProgram << ": " << project << ": " << FullPath(jsonPath) << ": " << reason << "\n";
        status = 1;
      }
    }
    if (in_options.dumpAnalysis && !WriteRunJson(*info, FullPath(project), jsonPath, reason)) {
      err << kProgram << ": " << project << ": " << FullPath(jsonPath) << ": " << reason << "\n";
      status = 1;
    }
  }
  out.flush();
  if (in_options.leaveLastRunToExit) {
    // The program ends right after this call. Freeing a large project's collections (millions
    // of small records, hundreds of megabytes) block by block would only make the user wait;
    // the system takes the whole address space back at once. So the driver, which holds the
    // last run's collections, is let go of without being freed, still reachable through this
    // pointer (volatile, so the store is kept and a leak checker finds the driver reachable).
    [[maybe_unused]] static clsVBInfo* volatile s_oLeftToExit = nullptr;
    s_oLeftToExit = info.release();
  }
  return status;
}

}  // namespace qs::cli
