#include "run/DocumentBatch.h"

#include <exception>
#include <unordered_map>
#include <unordered_set>

#include "analysis/SourceCache.h"
#include "output/common/OutputPaths.h"
#include "output/estate/EstateReport.h"
#include "output/json/AnalysisDump.h"
#include "output/json/ProjectExport.h"
#include "run/clsVBInfo.h"
#include "text/Failure.h"
#include "text/SystemPath.h"
#include "text/Yield.h"

namespace qs {

namespace {

// The project file's name without its ".vbp" ending: the name its outputs take when the usual
// one (up to the first dot) is taken.
std::string WholeName(const std::string& in_sProjectFile) {
  const size_t slash = in_sProjectFile.find_last_of(kPathSeparators);
  std::string name =
      slash == std::string::npos ? in_sProjectFile : in_sProjectFile.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && HasProjectExtension(name)) name.resize(dot);
  return name;
}

// Restores what the call set in the driver's settings and events, however it ends.
class SettingsRestorer {
 public:
  explicit SettingsRestorer(clsVBInfo& io_oInfo)
      : m_info(io_oInfo), m_progress(io_oInfo.EvtProgress) {}
  ~SettingsRestorer() {
    RunSettings& s = m_info.Settings();
    s.alongsideReport = nullptr;
    s.sourceCache = nullptr;
    s.exposedClasses = nullptr;
    s.outputName.clear();
    s.deferCommit = false;
    m_info.EvtProgress = m_progress;
  }
  SettingsRestorer(const SettingsRestorer&) = delete;
  SettingsRestorer& operator=(const SettingsRestorer&) = delete;

 private:
  clsVBInfo& m_info;
  std::function<void(const RunProgress&)> m_progress;
};

}  // namespace

// One call's state: its projects in the order they are documented, and what they left.
struct DocumentBatch::Call {
  const ProjectList& list;
  clsVBInfo& info;
  const BatchSink& sink;
  BatchResult result;
  std::vector<size_t> order;
  std::vector<std::vector<size_t>> sourceRefs;
  bool estateWanted = false;
  EstateReport estate;
  /// The reports written so far (SameFileKey): a later project does not write over them.
  std::unordered_set<std::string> taken;
  /// Usual report paths claimed ahead by the project whose whole file name they are (CorLib.vbp
  /// claims CorLib_document/CorLib.html before CorLib.Build.vbp can take it), by SameFileKey.
  std::unordered_map<std::string, std::string> claimed;
};

DocumentBatch::DocumentBatch(BatchOptions in_oOptions) : m_options(std::move(in_oOptions)) {}

ProjectList DocumentBatch::Expand(const std::vector<std::string>& in_paths) const {
  ProjectList list;
  list.SetExcludes(m_options.excludes);
  for (const std::string& path : in_paths) list.Add(path);
  return list;
}

void DocumentBatch::RequestStop() {
  const std::lock_guard<std::mutex> lock(m_lock);
  m_stop.store(true);
  if (m_running) m_running->RequestStop();
}

BatchResult DocumentBatch::Run(const std::vector<std::string>& in_paths, clsVBInfo& io_oInfo,
                               const BatchSink& in_oSink) {
  ProjectList list;
  try {
    list = Expand(in_paths);
  } catch (const std::exception& e) {
    // ProjectList::Add never throws; a list that could not be had documents nothing, and the
    // caller hears why where the estate's failure would be.
    BatchResult failed;
    failed.complete = false;
    failed.estateFailure = "the paths cannot be read: " + FailureText(e);
    return failed;
  }
  if (in_oSink.inputProblem) {
    for (const ProjectList::Problem& p : list.Failures()) in_oSink.inputProblem(p, true);
    for (const ProjectList::Problem& p : list.Warnings()) in_oSink.inputProblem(p, false);
  }
  BatchResult result = Run(list, io_oInfo, in_oSink);
  if (!list.Failures().empty()) result.complete = false;
  return result;
}

BatchResult DocumentBatch::Run(const ProjectList& in_oList, clsVBInfo& io_oInfo,
                               const BatchSink& in_oSink) {
  Call call{in_oList, io_oInfo, in_oSink, {}, {}, {}, false, {}, {}, {}};
  try {
    const SettingsRestorer restore(io_oInfo);
    const std::vector<std::string>& projects = in_oList.Projects();
    RunSettings& s = io_oInfo.Settings();
    s.outDir = m_options.outDir;
    s.loadThreads = m_options.jobs;
    s.threads = m_options.jobs;
    // The export's places are counted from each file's line ends, found while it is loaded; the
    // export and the site list every declaration's uses.
    s.keepLineEnds = m_options.json;
    s.writeSite = m_options.site;
    s.site.codePage = m_options.codePage;
    s.crossReferences = m_options.json || m_options.site;
    s.defines = m_options.defines;
    s.siteDocs = m_options.docComments;
    // Read once for the export and the site alike.
    s.docComments = m_options.docComments && m_options.json;
    s.deferCommit = true;
    // A source file several of the projects list is read and tokenized once for the call.
    if (projects.size() > 1) {
      auto cache = std::make_shared<SourceCache>();
      std::vector<std::string> full;
      for (const std::string& project : projects) full.push_back(AbsolutePath(project));
      cache->Plan(full);
      s.sourceCache = std::move(cache);
    }
    if (in_oSink.progress) {
      std::function<void(const RunProgress&)> previous = io_oInfo.EvtProgress;
      const BatchSink* sink = &in_oSink;
      io_oInfo.EvtProgress = [previous, sink](const RunProgress& p) {
        if (previous) previous(p);
        sink->progress(p);
      };
    }
    // In an estate, a project is documented after the projects whose source it references:
    // their exposed classes resolve in it.
    call.estateWanted =
        m_options.estate && (m_options.json || m_options.site) && projects.size() > 1;
    call.sourceRefs.resize(projects.size());
    if (call.estateWanted) {
      std::vector<ProjectList::Problem> unread;
      call.sourceRefs = in_oList.SourceReferences(&unread);
      if (in_oSink.inputProblem)
        for (const ProjectList::Problem& p : unread) in_oSink.inputProblem(p, false);
    }
    call.order = ProjectList::ReferencedFirst(call.sourceRefs);
    ClaimUsualNames(call);
    for (size_t step = 0; step < call.order.size() && !call.result.stopped; ++step)
      RunProject(call, step);
    if (call.estateWanted && !call.result.stopped) {
      for (const ProjectList::Group& g : in_oList.Groups())
        call.estate.AddGroup({AbsolutePath(g.file), g.projects});
      const std::string& folder =
          m_options.estateFolder.empty() ? m_options.outDir : m_options.estateFolder;
      std::string reason;
      if (call.estate.Write(folder, m_options.json, reason)) {
        call.result.estate =
            AbsolutePath((folder.empty() ? std::string(".") : folder) + "/estate_site/index.html");
      } else {
        call.result.estateFailure = reason;
        call.result.complete = false;
      }
    }
  } catch (const std::exception& e) {
    // The caller sees an incomplete call with this reason where the estate's would be.
    call.result.complete = false;
    call.result.estateFailure = std::string("internal error: ") + FailureText(e);
  }
  return call.result;
}

void DocumentBatch::RunProject(Call& io_oCall, size_t in_nStep) {
  clsVBInfo& info = io_oCall.info;
  const size_t n = io_oCall.order[in_nStep];
  const std::string& project = io_oCall.list.Projects()[n];
  if (io_oCall.sink.projectStarting)
    io_oCall.sink.projectStarting(in_nStep, io_oCall.order.size(), project);
  // The driver gets the full path, as the window gives it: the report names the project file by
  // it, and it does not depend on the folder the call was started from.
  const std::string full = AbsolutePath(project);
  BatchProjectResult r;
  r.project = project;
  r.outputName = OutputNameFor(full, io_oCall, r.clashingReport);
  info.Settings().outputName = r.outputName;
  if (io_oCall.estateWanted)
    info.Settings().exposedClasses = io_oCall.estate.ExposedBy(io_oCall.sourceRefs[n]);

  // The export and the dump are written while the report is (they only read the finished
  // analysis), under temporary names, and put in place with it.
  PendingProjectJson json;
  PendingAnalysisDump dump;
  info.Settings().alongsideReport = [this, &info, &json, &dump, &full] {
    if (m_options.json) {
      info.RaiseProgress({RunProgress::Phase::kWritingExport, 0, 0, {}});
      ExportOptions exportOptions;
      exportOptions.codePage = m_options.codePage;
      exportOptions.pretty = m_options.pretty;
      exportOptions.docComments = m_options.docComments;
      json.Write(info.Analysis(), full, exportOptions, JsonListingPath(info.HtmlListing()));
    }
    if (m_options.dumpAnalysis) {
      const std::string& reported = info.Settings().reportedProjectFile;
      dump.Write(info.Analysis(), reported.empty() ? full : reported,
                 AnalysisListingPath(info.HtmlListing()));
    }
  };
  {
    const std::lock_guard<std::mutex> lock(m_lock);
    if (m_stop.load()) {
      io_oCall.result.stopped = true;
      io_oCall.result.complete = false;
      return;
    }
    m_running = &info;
  }
  info.GetFileInfo(full);
  {
    const std::lock_guard<std::mutex> lock(m_lock);
    m_running = nullptr;
    // A stop that reached the driver as its run ended must not stop the next call's first run.
    if (m_stop.load()) info.ClearStopRequest();
  }
  info.Settings().alongsideReport = nullptr;

  r.report = AbsolutePath(info.HtmlListing());
  r.reportFile = info.HtmlFile();
  if (m_options.json) r.json = AbsolutePath(JsonListingPath(info.HtmlListing()));
  if (m_options.site) r.site = AbsolutePath(info.SiteFolder() + "/index.html");
  if (m_options.dumpAnalysis) r.dump = AbsolutePath(AnalysisListingPath(info.HtmlListing()));
  r.warnings = info.Warnings();
  Commit(info, json, dump, r);
  r.reportWritten = info.ReportWritten();
  if (!r.reportWritten) r.failure = info.FailureReason();
  if (r.reportWritten) io_oCall.taken.insert(SameFileKey(info.HtmlListing()));
  if (!r.reportWritten || !r.jsonFailure.empty() || !r.siteFailure.empty() ||
      !r.dumpFailure.empty())
    io_oCall.result.complete = false;
  if (m_stop.load() && !r.reportWritten) io_oCall.result.stopped = true;
  if (io_oCall.estateWanted && !io_oCall.result.stopped) {
    std::string partly = io_oCall.estate.AddProject(
        n, info.Analysis(), project, r.reportWritten ? info.HtmlListing() : std::string(),
        m_options.codePage);
    if (!partly.empty()) r.warnings.push_back(std::move(partly));
    // With sites, each project links to its own.
    if (m_options.site)
      io_oCall.estate.LinkSite(n, AbsolutePath(info.SiteFolder() + "/index.html"));
  }
  if (io_oCall.sink.projectDone) io_oCall.sink.projectDone(r);
}

void DocumentBatch::Commit(clsVBInfo& io_oInfo, PendingProjectJson& io_oJson,
                           PendingAnalysisDump& io_oDump, BatchProjectResult& io_oResult) {
  // The call's last point of cancellation for this project: from here on its outputs are put in
  // place one after another, with no yield between.
  if (io_oInfo.OutputsPending() && m_stop.load()) io_oInfo.AbandonOutputs();
  if (!io_oInfo.OutputsPending()) return;
  const StopFlagScope noStop(nullptr);
  if (!io_oInfo.CommitReport()) return;
  if (m_options.json) {
    io_oResult.jsonWritten = io_oJson.Commit();
    if (!io_oResult.jsonWritten) io_oResult.jsonFailure = io_oJson.Reason();
  }
  if (m_options.site) {
    io_oResult.siteWritten = io_oInfo.CommitSite();
    if (!io_oResult.siteWritten) io_oResult.siteFailure = io_oInfo.SiteFailure();
    io_oResult.sitePictureNote = io_oInfo.SitePictureNote();
  }
  if (m_options.dumpAnalysis) {
    io_oResult.dumpWritten = io_oDump.Commit();
    if (!io_oResult.dumpWritten) io_oResult.dumpFailure = io_oDump.Reason();
  }
}

void DocumentBatch::ClaimUsualNames(Call& io_oCall) const {
  // A project's usual name is its file name up to the first dot; the project whose whole file
  // name it is has the first claim on it, whatever order the call documents the projects in.
  for (const size_t n : io_oCall.order) {
    const std::string full = AbsolutePath(io_oCall.list.Projects()[n]);
    const std::string usual = UsualOutputName(full);
    if (WholeName(full) != usual) continue;
    io_oCall.claimed.emplace(SameFileKey(ReportListingFor(full, m_options.outDir, usual)), full);
  }
}

std::string DocumentBatch::OutputNameFor(const std::string& in_sProject, Call& io_oCall,
                                         std::string& out_sClash) const {
  const auto taken = [&](const std::string& name) {
    const std::string key = SameFileKey(ReportListingFor(in_sProject, m_options.outDir, name));
    if (io_oCall.taken.count(key) != 0) return true;
    const auto claim = io_oCall.claimed.find(key);
    return claim != io_oCall.claimed.end() && claim->second != in_sProject;
  };
  const std::string usual = UsualOutputName(in_sProject);
  out_sClash.clear();
  if (!taken(usual)) return usual;
  out_sClash = AbsolutePath(ReportListingFor(in_sProject, m_options.outDir, usual));
  const std::string whole = WholeName(in_sProject);
  std::string name = whole;
  for (size_t k = 2; taken(name); ++k) name = whole + std::to_string(k);
  return name;
}

}  // namespace qs
