// One documentation call of several projects, as the command line and the window make it: the
// paths expanded into projects (ProjectList), the source files several of them list read once
// (SourceCache), the projects documented referenced first, each project's outputs (report, JSON
// export, site, analysis dump) written under temporary names and put in place together once its
// run can no longer be stopped, and the estate outputs written at the end.
//
// Within one call no project overwrites what another wrote: a project whose outputs would land
// where another project's do is written under its whole file name instead
// (CorLib.Build_document/CorLib.Build.html beside CorLib_document/CorLib.html), and if that is
// taken too, with a number after it (CorLib.Build2). The usual name goes first to the project
// whose whole file name it is (CorLib.vbp), then to the first project of the call.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "run/ProjectList.h"

namespace qs {

class clsVBInfo;
class PendingAnalysisDump;
class PendingProjectJson;
struct RunProgress;

/// What a call writes, for every project alike.
struct BatchOptions {
  /// When set, every project's outputs go under this folder (created when missing).
  std::string outDir;
  /// The JSON export beside each report (<Name>.json), indented with pretty.
  bool json = false;
  bool pretty = false;
  /// The documentation site beside each report folder (<Name>_site/).
  bool site = false;
  /// The analysis dump beside each report (<Name>.analysis.json).
  bool dumpAnalysis = false;
  /// The code page of the projects' files, for the text of the export, the site and the estate.
  int codePage = 1252;
  /// Doc comments in the export and the site.
  bool docComments = true;
  /// Threads the call may use at once; 0 means one per processor.
  unsigned jobs = 0;
  /// Folder scans skip names and paths matching these patterns (ProjectList::SetExcludes).
  std::vector<std::string> excludes;
  /// The estate outputs are written when the call documents several projects with the export or
  /// the site (EstateReport), into estateFolder (empty: outDir, and when that is empty too, the
  /// current folder).
  bool estate = true;
  std::string estateFolder;
  /// Conditional compilation constants (name, expression) that override or add to each
  /// project's CondComp ones in the cross references (--define); the report does not change.
  std::vector<std::pair<std::string, std::string>> defines;
};

/// What became of one project of the call. Paths are full platform paths; every path is empty
/// when that output was not asked for or not written.
struct BatchProjectResult {
  std::string project;  ///< the project file as given or found
  /// The run's warnings (UTF-8), in order.
  std::vector<std::string> warnings;
  /// When the project's usual outputs belong to another project of the call (one documented
  /// earlier, or the one whose whole file name the usual name is): that project's report, and
  /// the name this project's outputs were given instead.
  std::string clashingReport;
  std::string outputName;
  /// The report's path (written or not), its file name, and whether it was written; if not,
  /// failure says why ("stopped" when the call was stopped).
  std::string report;
  std::string reportFile;
  bool reportWritten = false;
  std::string failure;
  /// The export, the site's index.html and the dump: each path (as planned, whether written or
  /// not), whether it was written, and why not. The site's pictureNote says why its pictures
  /// are missing.
  std::string json;
  bool jsonWritten = false;
  std::string jsonFailure;
  std::string site;
  bool siteWritten = false;
  std::string siteFailure;
  std::string sitePictureNote;
  std::string dump;
  bool dumpWritten = false;
  std::string dumpFailure;
};

/// Where the call tells what it is doing; every member may be left empty. Each is called on the
/// thread that runs the call (progress also on the run's helper threads), and must not throw.
struct BatchSink {
  /// A path that could not be expanded (failure) or a group's missing member (not a failure).
  std::function<void(const ProjectList::Problem&, bool failure)> inputProblem;
  /// The project at in_nStep (0-based) of in_nCount is about to be documented.
  std::function<void(size_t in_nStep, size_t in_nCount, const std::string& in_sProject)>
      projectStarting;
  /// The run's progress, as clsVBInfo::EvtProgress gives it.
  std::function<void(const RunProgress&)> progress;
  /// A project is done: its outputs are in place, or were left as they were.
  std::function<void(const BatchProjectResult&)> projectDone;
};

/// What the call came to.
struct BatchResult {
  /// Every project's report was written, with every output asked for, and nothing failed.
  bool complete = true;
  /// The call was stopped (RequestStop): the projects after the one stopped were not documented.
  bool stopped = false;
  /// The estate's index.html when it was written; else why not ("" when none was due).
  std::string estate;
  std::string estateFailure;
};

class DocumentBatch {
 public:
  explicit DocumentBatch(BatchOptions in_oOptions);

  /// The projects the paths name, with the options' excludes.
  ProjectList Expand(const std::vector<std::string>& in_paths) const;

  /// Documents the projects the paths name (Expand; each problem goes to the sink first) with
  /// the driver, whose events and other settings the caller keeps. Never throws.
  BatchResult Run(const std::vector<std::string>& in_paths, clsVBInfo& io_oInfo,
                  const BatchSink& in_oSink);
  /// Documents the projects of a list the caller expanded (its problems are the caller's).
  BatchResult Run(const ProjectList& in_oList, clsVBInfo& io_oInfo, const BatchSink& in_oSink);

  /// Asks the call to stop, from any thread: the run going on ends early and commits nothing,
  /// and no further project is begun. A stop that comes once a project's outputs are being put
  /// in place lets them all be put in place first.
  void RequestStop();
  bool StopRequested() const { return m_stop.load(); }

 private:
  struct Call;
  void RunProject(Call& io_oCall, size_t in_nStep);
  /// Reserves each project's usual name for the project whose whole file name it is.
  void ClaimUsualNames(Call& io_oCall) const;
  /// The name of the project's outputs: its usual one unless another project of the call wrote
  /// there or claims it (then its whole file name, then that with a number).
  std::string OutputNameFor(const std::string& in_sProject, Call& io_oCall,
                            std::string& out_sClash) const;
  /// Puts the project's pending outputs in place together (report, export, site, dump), or
  /// drops them all when the call was stopped.
  void Commit(clsVBInfo& io_oInfo, PendingProjectJson& io_oJson, PendingAnalysisDump& io_oDump,
              BatchProjectResult& io_oResult);

  BatchOptions m_options;
  std::atomic<bool> m_stop{false};
  std::mutex m_lock;
  clsVBInfo* m_running = nullptr;  ///< the driver while a run is on (under m_lock)
};

}  // namespace qs
