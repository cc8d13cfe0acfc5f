#include "run/clsVBInfo.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "analysis/ProjectAnalyser.h"
#include "io/ProgramInfo.h"
#include "io/modFiles.h"
#include "model/CrossReferences.h"
#include "model/clsSymTable.h"
#include "model/clsVBFileType.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "output/common/OutputPaths.h"
#include "output/report/ReportModules.h"
#include "output/report/ReportSummary.h"
#include "output/report/ReportWriter.h"
#include "output/site/SiteAnnotations.h"
#include "parser/clsParser.h"
#include "text/ClsString.h"
#include "text/Cp1252.h"
#include "text/LoadError.h"
#include "text/Parallel.h"
#include "text/StringUtil.h"
#include "text/SystemPath.h"
#include "text/Yield.h"
#include "text/clsToken.h"
#include "text/clsTokenStream.h"

namespace qs {

namespace {

// Raises an event; a handler that throws must not end the run or skip the other event.
void Raise(const std::function<void()>& evt) {
  if (!evt) return;
  try {
    evt();
  } catch (...) {
    // A failing handler is ignored: the run goes on and the other event is still raised.
    return;
  }
}

// "report folder cannot be created: PATH: REASON", the reason as the system gives it (a missing
// one is asked for by trying again).
std::string FolderFailure(const std::string& in_sFolder, std::error_code in_oError) {
  if (!in_oError) std::filesystem::create_directory(SystemPath(in_sFolder), in_oError);
  const std::string reason =
      in_oError ? in_oError.message() : std::string("a file of that name is in the way");
  return "report folder cannot be created: " + in_sFolder + ": " + reason;
}

// One thread says it is done; others wait for it.
class DoneSignal {
 public:
  void Set() {
    {
      const std::lock_guard<std::mutex> lock(m_lock);
      m_done = true;
    }
    m_changed.notify_all();
  }
  void Wait() {
    std::unique_lock<std::mutex> lock(m_lock);
    m_changed.wait(lock, [this] { return m_done; });
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_changed;
  bool m_done = false;
};

}  // namespace

namespace {

// The project path split at the platform's separator (on Windows "/" counts too, and the folder
// is written with "\\").
void SplitProjectPath(const std::string& in_sProjectFile, std::string& out_sFolder,
                      std::string& out_sFile, std::string& out_sBody) {
  std::string ext;
  std::string splitForm = in_sProjectFile;
  std::replace(splitForm.begin(), splitForm.end(), '/', kPathSeparator);
  SplitPath(splitForm, out_sFolder, out_sFile, out_sBody, ext, kPathSeparator);
}

// The folder the report folder is created in: the output folder, or the project's own.
std::string OutputBase(const std::string& in_sProjectFolder, const std::string& in_sOutDir) {
  if (in_sOutDir.empty()) return in_sProjectFolder;
  std::string base = in_sOutDir;
  std::replace(base.begin(), base.end(), '/', kPathSeparator);
  if (base.back() != kPathSeparator) base += kPathSeparator;
  return base;
}

}  // namespace

std::string UsualOutputName(const std::string& in_sProjectFile) {
  std::string folder, file, body;
  SplitProjectPath(in_sProjectFile, folder, file, body);
  return body;
}

std::string ReportFolderFor(const std::string& in_sProjectFile, const std::string& in_sOutDir,
                            const std::string& in_sName) {
  std::string folder, file, body;
  SplitProjectPath(in_sProjectFile, folder, file, body);
  return OutputBase(folder, in_sOutDir) + in_sName + "_document" + kPathSeparator;
}

std::string ReportListingFor(const std::string& in_sProjectFile, const std::string& in_sOutDir,
                             const std::string& in_sName) {
  return ReportFolderFor(in_sProjectFile, in_sOutDir, in_sName) + in_sName + ".html";
}

clsVBInfo::clsVBInfo() = default;

clsVBInfo::~clsVBInfo() = default;

void clsVBInfo::Fail(std::string in_sReason) {
  m_reportWritten = false;
  if (m_failureReason.empty()) m_failureReason = std::move(in_sReason);
}

void clsVBInfo::RaiseProgress(const RunProgress& in_oProgress) const {
  if (EvtProgress) Raise([&] { EvtProgress(in_oProgress); });
}

void clsVBInfo::Warn(const std::string& in_sFile, std::string in_sMessage) {
  m_analysis.Warn(in_sFile, Cp1252ToUtf8(in_sFile), std::move(in_sMessage));
}

void clsVBInfo::GetFileInfo(const std::string& in_sFilename) {
  // The yield points of this thread (and of the loader's helpers) answer to this run's flag.
  const StopFlagScope stopFlag(&m_stop);
  // Every thread of the run comes out of this budget (text/Parallel.h).
  ThreadBudget budget(m_settings.threads);
  const ThreadBudgetScope budgetScope(&budget);
  Raise(EvtBegin);
  try {
    Run(in_sFilename);
  } catch (const RunStopped&) {
    // Whatever was written is abandoned: the report writer removed its temporary file.
    m_reportWritten = false;
    m_failureReason = "stopped";
  } catch (const std::bad_alloc&) {
    // The caller gets no report, this failure reason and EvtEnd as usual.
    Fail("out of memory");
  } catch (const std::exception& e) {
    // The caller gets no report, this failure reason and EvtEnd as usual.
    Fail(std::string("internal error: ") + e.what());
  } catch (...) {
    // The caller gets no report, this failure reason and EvtEnd as usual.
    Fail("internal error");
  }
  // A run that failed drops what it finished ahead; a complete one leaves its outputs pending
  // only when the caller commits them (RunSettings::deferCommit).
  if (!m_failureReason.empty()) DropPending();
  // A run that failed while a stop was requested failed because of it, whatever step noticed.
  if (!m_reportWritten && !OutputsPending() && m_stop.load()) m_failureReason = "stopped";
  // The request is used up: the next run starts afresh.
  m_stop.store(false);
  Raise(EvtEnd);
}

void clsVBInfo::RequestStop() {
  m_stop.store(true);
}

void clsVBInfo::Run(const std::string& in_sFilename) {
  // A stop requested before the run began ends it before anything is created.
  ThrowIfStopped();
  m_reportWritten = false;
  m_failureReason.clear();
  m_detailsAhead.clear();
  DropPending();
  m_siteFolder.clear();
  m_siteIndex.clear();
  m_siteFailure.clear();
  m_sitePictureNote.clear();

  // Output names.
  const std::string name =
      m_settings.outputName.empty() ? UsualOutputName(in_sFilename) : m_settings.outputName;
  m_sOutputFolder = ReportFolderFor(in_sFilename, m_settings.outDir, name);
  m_HtmlFile = name + ".html";
  m_HtmlListing = m_sOutputFolder + m_HtmlFile;
  m_siteFolder = SiteFolderBeside(m_sOutputFolder, name);

  AnalysisOptions options;
  options.loadThreads = m_settings.loadThreads;
  options.keepLineEnds = m_settings.keepLineEnds || m_settings.writeSite;
  options.sourceCache = m_settings.sourceCache.get();
  options.exposedClasses = m_settings.exposedClasses;
  options.reportedProjectFile = m_settings.reportedProjectFile;
  if (EvtProgress) options.progress = [this](const RunProgress& p) { RaiseProgress(p); };
  // The report folder is made once the project file is read (a run that cannot read its
  // project leaves no folder behind), under the same path the report is written to.
  options.onProjectRead = [this](std::string& out_sReason) {
    if (!m_settings.writeReport) return true;
    const std::string folder = m_sOutputFolder.substr(0, m_sOutputFolder.size() - 1);
    std::error_code outDirError;
    if (!m_settings.outDir.empty())
      std::filesystem::create_directories(SystemPath(m_settings.outDir), outDirError);
    CreateFolder(folder);
    if (IsFolder(folder)) return true;
    out_sReason = FolderFailure(outDirError ? m_settings.outDir : folder, outDirError);
    return false;
  };
  // The report's detail block of each module is rendered on the loading threads, while the
  // file's tokens are fresh (only when a report is written).
  std::vector<ModuleDetailsAhead> details;
  if (m_settings.writeReport) {
    options.onModuleAnalysed = [&details](size_t in_nIndex,
                                          const std::shared_ptr<const ClsSymEntry>& in_oEntry) {
      details[in_nIndex] = RenderModuleDetails(in_oEntry);
    };
    options.onSourcesPlanned = [&details](size_t in_nFiles) { details.resize(in_nFiles); };
  }
  std::string failure;
  if (!AnalyseProject(in_sFilename, options, m_analysis, failure)) {
    Fail(failure);
    return;
  }
  for (ModuleDetailsAhead& d : details)
    if (d.entry) m_detailsAhead.push_back(std::move(d));
  details.clear();

  WriteOutputs();
  m_analysis.SetCompleted(true);
  // What the report did not take (a failed report, a module the table lost).
  m_detailsAhead.clear();
}

void clsVBInfo::WriteOutputs() {
  // After the analysis: the report is written on this thread while, on others, the cross
  // references are resolved and the doc comments read, and then the work alongside the report
  // (the export) is done, and the site is written once they are there. All of them only read the
  // analysis.
  std::exception_ptr refsError;
  DoneSignal refsDone;
  const bool docs = m_settings.docComments || (m_settings.writeSite && m_settings.siteDocs);
  const auto resolve = [this, docs, &refsError, &refsDone] {
    try {
      // A question (no report) reads the uses and the exposure only: the indexes of the export
      // and the site are left out.
      if (m_settings.crossReferences)
        ResolveAnalysisReferences(m_analysis, m_settings.writeReport, &m_settings.defines);
      // The doc comments, read once for every output that shows them.
      if (docs) ReadAnalysisDocs(m_analysis);
    } catch (...) {
      // Rethrown on the run's thread once the report is written: the run fails (or stops) as if
      // it had failed there.
      refsError = std::current_exception();
    }
    refsDone.Set();
  };
  if (!m_settings.writeReport) {
    // A question answered from the records: nothing is written.
    resolve();
    if (refsError) std::rethrow_exception(refsError);
    return;
  }
  RaiseProgress({RunProgress::Phase::kWritingReport, 0, 0, {}});
  if (m_settings.writeSite) m_pendingSite = std::make_unique<PendingSite>();
  bool reportDone = false;
  {
    // Joined on leaving the block, also when the report ends by an exception (a stop). Without
    // a thread to be had, the work runs here first, in this order: the site waits for the
    // cross references.
    WorkerGroup alongside;
    alongside.Start([this, &resolve, &refsError] {
      resolve();
      if (!refsError && m_settings.alongsideReport) m_settings.alongsideReport();
    });
    if (m_pendingSite) {
      PendingSite* site = m_pendingSite.get();
      alongside.Start([this, &refsDone, &refsError, site] {
        refsDone.Wait();
        if (refsError) return;
        RaiseProgress({RunProgress::Phase::kWritingSite, 0, 0, {}});
        // The pages show the doc comments and, when resolved, the cross references (what the
        // caller gave in the settings is kept).
        const SiteAnnotations annotations(
            m_analysis, m_settings.crossReferences ? &m_analysis.CrossRefs() : nullptr,
            m_settings.siteDocs ? &m_analysis.Docs() : nullptr);
        SiteOptions options = m_settings.site;
        annotations.FillEmpty(options.extras);
        site->Write(m_analysis, m_analysis.ProjectFile(), options, m_siteFolder);
      });
    }
    reportDone = WriteReport();
  }
  if (refsError) std::rethrow_exception(refsError);
  if (!reportDone) {
    DropPending();
    return;
  }
  // The run's last point of cancellation: a stop up to here leaves every earlier output as it
  // was; from here on every output is put in place, one after another, with no yield between.
  ThrowIfStopped();
  if (m_settings.deferCommit) return;
  if (CommitReport()) CommitSite();
}

bool clsVBInfo::CommitReport() {
  if (!m_pendingReport) return false;
  // Past the run's last point of cancellation: a stop requested now finds the run complete.
  const StopFlagScope noStop(nullptr);
  const std::unique_ptr<ReportWriter> report = std::move(m_pendingReport);
  m_reportWritten = report->Commit();
  if (!m_reportWritten) {
    Fail(report->FailureReason());
    m_pendingSite.reset();
  }
  return m_reportWritten;
}

bool clsVBInfo::CommitSite() {
  if (!m_pendingSite || !m_reportWritten) return false;
  const StopFlagScope noStop(nullptr);
  const std::unique_ptr<PendingSite> site = std::move(m_pendingSite);
  if (!site->Commit()) {
    m_siteFailure = site->Reason();
    return false;
  }
  m_siteIndex = m_siteFolder + "/index.html";
  m_sitePictureNote = site->PictureNote();
  return true;
}

void clsVBInfo::AbandonOutputs() {
  if (!OutputsPending()) return;
  DropPending();
  Fail("stopped");
}

void clsVBInfo::DropPending() {
  m_pendingReport.reset();
  m_pendingSite.reset();
}

bool clsVBInfo::WriteReport() {
  const std::string generator = ProgramGenerator();
  const std::string company = ProgramCompany();
  const std::string stamp = m_settings.stamp.empty() ? CurrentStamp() : m_settings.stamp;
  const std::string programFolder =
      m_settings.programFolder.empty() ? ProgramFolder() : m_settings.programFolder;
  const std::string& projectName = m_analysis.State().GetProjectName();

  auto report = std::make_unique<ReportWriter>();
  ReportWriter& w = *report;
  if (!w.Open(m_HtmlListing)) {
    Fail(w.FailureReason());
    return false;
  }
  w.WritePageHead(HtmlEscape(projectName), generator, company, stamp, programFolder);

  SummaryValues values;
  values.generator = generator;
  values.stamp = stamp;
  values.projectName = projectName;
  // Paths come from the platform as UTF-8; the report is code page 1252.
  values.projectFile = Utf8To1252(m_analysis.ReportedProjectFile());
  WriteProjectSummary(w, *m_analysis.FileTypes(), values);

  // Module summaries, then module detail sections: one block per symbol table entry each.
  if (m_analysis.State().g_oSymTable) {
    WriteModuleSummaries(w, *m_analysis.State().g_oSymTable);
    WriteModuleDetails(w, *m_analysis.State().g_oSymTable, &m_detailsAhead);
  }

  for (int i = 0; i <= 18; ++i) w.WriteLineBreak("");
  w.WriteLineBreak("<A HREF=\"" + ProgramHomePage() +
                   "\">Home of Quillscope</A> for information and latest releases.");
  w.WritePageEnd();
  if (!w.Finish()) {
    Fail(w.FailureReason());
    return false;
  }
  m_pendingReport = std::move(report);
  return true;
}

}  // namespace qs
