// The analysis driver: one documentation run from a project file path to the finished report.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analysis/ProjectAnalyser.h"
#include "analysis/ProjectAnalysis.h"
#include "model/RunState.h"
#include "output/report/ReportModules.h"
#include "output/site/SiteWriter.h"

namespace qs {

class clsVBFileTypes;
class ReportWriter;
struct CrossReferences;
struct ExposedClass;
class SourceCache;

/// The name a run gives its outputs unless told another (RunSettings::outputName): the project
/// file's name up to its first dot ("CorLib" for CorLib.Build.vbp).
std::string UsualOutputName(const std::string& in_sProjectFile);

/// The report folder (ending in the platform's separator) a run of the project file (a platform
/// path) writes when its outputs are named in_sName: <folder>/<name>_document/.
std::string ReportFolderFor(const std::string& in_sProjectFile, const std::string& in_sOutDir,
                            const std::string& in_sName);

/// The report a run of the project file (a platform path) writes when its outputs are named
/// in_sName: <folder>/<name>_document/<name>.html, the folder being in_sOutDir or, when that is
/// empty, the project file's own.
std::string ReportListingFor(const std::string& in_sProjectFile, const std::string& in_sOutDir,
                             const std::string& in_sName);

/// What a run may be told from outside: where the report goes, and the values a test pins.
struct RunSettings {
  /// When set, the report folder is created under this folder instead of beside the project.
  std::string outDir;
  /// The name of the run's outputs, <name>_document/<name>.html and <name>_site/; empty means
  /// the usual one (UsualOutputName).
  std::string outputName;
  /// The report and the site are finished under temporary names and left pending when the run
  /// completes, for the caller to put in place with its own outputs (CommitReport, CommitSite)
  /// or drop (AbandonOutputs). Without it the run puts them in place itself as it ends.
  bool deferCommit = false;
  /// Stamp written into the report; empty means the current local time in the fixed long format
  /// ("Monday, December 7, 2026 14:05:09").
  std::string stamp;
  /// Folder that holds the program (and the style sheet); empty means the running executable's.
  std::string programFolder;
  /// Project file path as written into the report; empty means the path passed to GetFileInfo.
  std::string reportedProjectFile;
  /// Threads that read source files at the same time, the run's own included; 0 means one per
  /// processor. The report is the same whatever the number.
  unsigned loadThreads = 0;
  /// Threads the whole run may use at once, its own included (--jobs); 0 sets no cap, and each
  /// part uses the threads it asks for. The report is the same whatever the number.
  unsigned threads = 0;
  /// Each source file's line ends are found while it is loaded (clsVBHeader::LineEnds), on the
  /// loading threads while its tokens are fresh: set when the run will be exported with places.
  bool keepLineEnds = false;
  /// Work done on a thread of its own while the report is written, once the analysis is
  /// complete (an export written ahead, say): it may only read the run's results, and must not
  /// throw. It runs under the run's stop flag, and the run waits for it before it ends.
  std::function<void()> alongsideReport;
  /// Also write the documentation site (SiteWriter.h), <Body>_site/ beside the report folder:
  /// written alongside the report on a thread of its own, and put in place only once the report
  /// is. site.codePage converts its text; site.extras is where the cross references and the doc
  /// comments come in.
  bool writeSite = false;
  SiteOptions site;
  /// The site shows the doc comments of every module and declaration.
  bool siteDocs = true;
  /// The doc comments are read once the analysis is done (ProjectAnalysis::Docs, read alongside
  /// the report before the work alongside it and the site start): set when the export or the
  /// coverage shows them. A site with siteDocs has them read without it. The report does not
  /// change.
  bool docComments = false;
  /// Every use of every declaration is resolved after the analysis (CrossRefs): set when an
  /// output asks for cross references (--refs, --unused, --json). The report does not change.
  bool crossReferences = false;
  /// A question about the project (--refs, --unused) is answered from the run's records: no
  /// report folder is created and no report written; RunCompleted says whether the run ended.
  bool writeReport = true;
  /// Source files that other runs of the same call read too, tokenized once (null: every file
  /// is read by the run). The report is the same either way.
  std::shared_ptr<SourceCache> sourceCache;
  /// Classes that other projects of the same call expose, for the cross references of a project
  /// whose "Reference=*\A" lines name them (null: none). The report does not change.
  std::shared_ptr<const std::vector<ExposedClass>> exposedClasses;
  /// Conditional compilation constants (name, expression) that override or add to each
  /// project's CondComp ones in the cross references (--define); the report does not change.
  std::vector<std::pair<std::string, std::string>> defines;
};

class clsVBInfo {
 public:
  clsVBInfo();
  ~clsVBInfo();
  clsVBInfo(const clsVBInfo&) = delete;
  clsVBInfo& operator=(const clsVBInfo&) = delete;

  /// Full path of the report this run writes (or would have written), and its file name.
  const std::string& HtmlListing() const { return m_HtmlListing; }
  void SetHtmlListing(std::string v) { m_HtmlListing = std::move(v); }
  const std::string& HtmlFile() const { return m_HtmlFile; }
  /// The project file of the last run, as GetFileInfo was given it.
  const std::string& ProjectFile() const { return m_analysis.ProjectFile(); }
  void SetHtmlFile(std::string v) { m_HtmlFile = std::move(v); }

  /// One documentation run. Raises EvtBegin first and EvtEnd last, exactly once each, also when
  /// the run fails or is stopped. Never throws. Any thread may run it.
  void GetFileInfo(const std::string& in_sFilename);

  /// Asks the run on the stack (from any thread) to end early, or, when none is, the next run to
  /// end at once. A stopped run ends at its next yield point with ReportWritten() false and
  /// FailureReason() "stopped"; its report is never committed, so an earlier report stays as it
  /// was and no temporary file is left. A stop that comes after the report was renamed into
  /// place finds the run complete. The request is used up when the run ends.
  void RequestStop();
  /// Whether a stop has been requested and not yet used up.
  bool StopRequested() const { return m_stop.load(); }
  /// Forgets a stop requested while no run was on (one meant for a run that has ended).
  void ClearStopRequest() { m_stop.store(false); }

  /// Raised at the start and at the end of every run (handlers run inside GetFileInfo, on the
  /// run's thread).
  std::function<void()> EvtBegin;
  std::function<void()> EvtEnd;
  /// Raised on the run's thread as it moves on: once per source file read, and at the start
  /// of each later phase. A handler that throws is ignored.
  std::function<void(const RunProgress&)> EvtProgress;
  /// Raises EvtProgress, for work the caller adds to the run (an export written alongside the
  /// report, say).
  void RaiseProgress(const RunProgress& in_oProgress) const;

  /// Whether the last run wrote its report completely, and if not, why (for example
  /// "project file not found", "project file is a folder", "project file is not readable",
  /// "project file is too large", "project file changed while it was read").
  bool ReportWritten() const { return m_reportWritten; }
  const std::string& FailureReason() const { return m_failureReason; }

  /// Source files of the last run that could not be found or read, one line each in UTF-8
  /// ("Forms\frmMain.frm: source file not found", "...: source file is a folder", "is not
  /// readable", "is too large", "changed while it was read"); the run documents them as empty
  /// files.
  const std::vector<std::string>& Warnings() const { return m_analysis.Warnings(); }
  /// The same warnings in parts: the file as the project file writes it (project file bytes)
  /// and what happened to it ("source file not found", ...), in the same order.
  using WarningParts = AnalysisWarning;
  const std::vector<WarningParts>& WarningDetails() const { return m_analysis.WarningDetails(); }

  /// Whether the last run (RunSettings::deferCommit) completed and left its report, and its site
  /// when one was asked for, finished under temporary names. The run's last point of
  /// cancellation is behind it: putting them in place yields nowhere.
  bool OutputsPending() const { return m_pendingReport != nullptr; }
  /// Puts the pending report in place: ReportWritten() then says whether it is; a report that
  /// cannot be put in place drops the pending site too (FailureReason says why). No stop is
  /// looked at. False when nothing was pending.
  bool CommitReport();
  /// Puts the pending site in place once the report is (SiteIndex, or SiteFailure). No stop is
  /// looked at. False when no site was pending or it cannot be put in place.
  bool CommitSite();
  /// Drops the pending outputs, leaving every earlier output as it was; the run counts as
  /// stopped (FailureReason "stopped").
  void AbandonOutputs();
  /// The folder the last run's site goes to (or would have gone to).
  const std::string& SiteFolder() const { return m_siteFolder; }

  /// The site of the last run (RunSettings::writeSite): the full path of its index.html when it
  /// was put in place, else "" and why not (SiteFailure; "" when no site was asked for or the
  /// report failed). SitePictureNote says why pictures are missing from a written site ("" when
  /// none are).
  const std::string& SiteIndex() const { return m_siteIndex; }
  const std::string& SiteFailure() const { return m_siteFailure; }
  const std::string& SitePictureNote() const { return m_sitePictureNote; }

  RunSettings& Settings() { return m_settings; }
  const RunSettings& Settings() const { return m_settings; }

  /// The project item collection of the last run (null before the first run).
  const std::shared_ptr<clsVBFileTypes>& FileTypes() const { return m_analysis.FileTypes(); }

  /// The state of the last run: its symbol table and project name. The next run replaces it.
  const RunState& State() const { return m_analysis.State(); }

  /// The cross references of the last run (empty unless Settings().crossReferences was set).
  const CrossReferences& CrossRefs() const { return m_analysis.CrossRefs(); }
  /// Whether the last run read and analysed the project to its end (a report may still fail).
  bool RunCompleted() const { return m_analysis.Completed(); }

  /// The analysis of the last run, which every output reads.
  const ProjectAnalysis& Analysis() const { return m_analysis; }

 private:
  /// The run between the two events; ends early, with FailureReason set, when it fails.
  void Run(const std::string& in_sFilename);
  /// Writes the report to the temporary file that will replace HtmlListing; true when it is
  /// complete (then pending).
  bool WriteReport();
  /// The outputs of the run after the analysis: the report on this thread, the cross references,
  /// the work alongside and the site on others; ends with the outputs pending or put in place.
  void WriteOutputs();
  /// Drops whatever output is pending.
  void DropPending();
  void Fail(std::string in_sReason);
  /// Records a warning about in_sFile (code page bytes, as the project file names it).
  void Warn(const std::string& in_sFile, std::string in_sMessage);

  std::string m_HtmlListing;
  std::string m_HtmlFile;
  std::string m_sOutputFolder;
  bool m_reportWritten = false;
  std::string m_failureReason;
  /// The modules' report detail blocks rendered while their files were read (this run's only).
  std::vector<ModuleDetailsAhead> m_detailsAhead;
  /// Finished under temporary names, not yet put in place (RunSettings::deferCommit).
  std::unique_ptr<ReportWriter> m_pendingReport;
  std::unique_ptr<PendingSite> m_pendingSite;
  std::string m_siteFolder;
  std::string m_siteIndex;
  std::string m_siteFailure;
  std::string m_sitePictureNote;
  RunSettings m_settings;
  ProjectAnalysis m_analysis;
  /// Set by RequestStop; read at the yield points of the run's threads.
  std::atomic<bool> m_stop{false};
};

}  // namespace qs
