// The command line's main job: document each project file given, print each report's path.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "run/clsVBInfo.h"

namespace qs::cli {

struct DocumentOptions {
  /// When set, every report folder goes under this folder (created when missing).
  std::string outDir;
  /// Also export each project as JSON (format 2): <Body>.json beside each written report.
  bool json = false;
  /// Indent that export.
  bool pretty = false;
  /// Also write the documentation site: <Body>_site/ beside each written report folder.
  bool site = false;
  /// The code page of the projects' files, for the text of the export and of the site.
  int codePage = 1252;
  /// Also dump the analysis records for debugging: <Body>.analysis.json beside each report.
  bool dumpAnalysis = false;
  /// Threads that read source files at the same time; 0 means one per processor.
  unsigned jobs = 0;
  /// Read doc comments into the JSON export (its "doc" members and "docWarnings").
  bool docComments = true;
  /// Print the documentation coverage instead of writing reports (--doc-coverage), and fail
  /// when the project's share is below failUnder percent (-1: never).
  bool docCoverage = false;
  int failUnder = -1;
  /// Folder scans skip files and folders whose name or path below the folder matches one of
  /// these patterns ("*" and "?", any letter case).
  std::vector<std::string> excludes;
  /// Conditional compilation constants (name, expression) that override or add to each
  /// project's CondComp ones in the cross references (--define); the report does not change.
  std::vector<std::pair<std::string, std::string>> defines;
  /// Print only errors: no report paths, warnings or progress.
  bool quiet = false;
  /// Print "project n of m" on err as each project of several begins (set when err is a
  /// terminal).
  bool progress = false;
  /// Set by the program's entry point, which returns from main right after the call: the last
  /// project's collections are then left to the system, which takes them back at once, instead
  /// of being freed block by block.
  bool leaveLastRunToExit = false;
};

/// Documents the projects that the paths name (project files, group files, folders; see
/// ProjectList), each once, in the order first met. Each written report's full path goes to out,
/// one line each; warnings and one line per failed project, group or folder go to err. With the
/// JSON export and more than one project, the estate outputs are written too (EstateReport).
/// Returns 0 when every report was written, else 1.
int RunDocument(const std::vector<std::string>& in_projects, const DocumentOptions& in_options,
                std::ostream& out, std::ostream& err);

/// Runs the driver (its settings as the caller made them) on one project given on the command
/// line, for a question that writes no report. With in_bWarnings, the run's warnings go to err;
/// a run that fails gets one line there. Returns whether the run completed.
bool RunQuestion(clsVBInfo& io_oInfo, const std::string& in_sProject, bool in_bWarnings,
                 std::ostream& err);

/// Lets go of the driver without freeing the last run's collections: the program ends right after.
void LeaveRunToExit(std::unique_ptr<clsVBInfo>& io_oInfo);

/// True when the file name's last suffix is "vbp" in any letter case (Server.VBP, a.b.vbp).
using qs::HasProjectExtension;

}  // namespace qs::cli
