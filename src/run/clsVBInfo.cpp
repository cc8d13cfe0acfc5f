#include "run/clsVBInfo.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "analysis/ItemPathResolver.h"
#include "analysis/SecondPass.h"
#include "analysis/SourceLoader.h"
#include "analysis/UseResolver.h"
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

// "Forms\frmMain.frm: source file not found", "project file is too large".
std::string SourceMessage(LoadError in_eReason) {
  return std::string("source file ") + LoadErrorText(in_eReason);
}

// The found file's path relative to the project folder ("" when it was not found or lies
// outside that folder's path as written).
std::string PathInProject(const std::string& in_sFound, const std::string& in_sProjectDir) {
  if (in_sFound.empty()) return std::string();
  if (in_sProjectDir.empty()) return in_sFound;
  if (in_sFound.compare(0, in_sProjectDir.size(), in_sProjectDir) != 0) return std::string();
  size_t from = in_sProjectDir.size();
  while (from < in_sFound.size() && kPathSeparators.find(in_sFound[from]) != std::string::npos)
    ++from;
  std::string path = in_sFound.substr(from);
  // The export names it with "/" on every platform.
  if (kWindowsFileSystem) std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

std::string ProjectFailure(LoadError in_eReason) {
  return std::string("project file ") + LoadErrorText(in_eReason);
}

constexpr const char* kNoProjectLines = "holds no project lines";
constexpr const char* kNotProjectName =
    "the file name does not end in .vbp; reading it as a project file";

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

std::string ReportListingFor(const std::string& in_sProjectFile, const std::string& in_sOutDir,
                             const std::string& in_sName) {
  std::string folder, file, body;
  SplitProjectPath(in_sProjectFile, folder, file, body);
  return OutputBase(folder, in_sOutDir) + in_sName + "_document" + kPathSeparator + in_sName +
         ".html";
}

bool HasProjectExtension(const std::string& in_sPath) {
  const std::string name = PlatformPath(SystemPath(in_sPath).filename());
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  return EqualsNoCase1252(std::string_view(name).substr(dot + 1), "vbp");
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
  std::string fileName, projectDir, projectBody;
  SplitProjectPath(in_sFilename, projectDir, fileName, projectBody);
  m_analysis.Reset(in_sFilename, projectDir, projectBody);
  m_analysis.SetReportedProjectFile(m_settings.reportedProjectFile);
  m_analysis.SetExposedClasses(m_settings.exposedClasses);
  const std::string& name = m_settings.outputName.empty() ? projectBody : m_settings.outputName;
  m_sOutputFolder = OutputBase(projectDir, m_settings.outDir) + name + "_document" + kPathSeparator;
  m_HtmlFile = name + ".html";
  m_HtmlListing = m_sOutputFolder + m_HtmlFile;
  m_siteFolder = SiteFolderBeside(m_sOutputFolder, name);

  // Any file is read as a project file; one whose name says otherwise is read with a warning.
  if (!HasProjectExtension(in_sFilename)) {
    m_analysis.WarnProject(Utf8To1252(fileName), kNotProjectName);
  }

  // Read the project file before anything is created: a run that cannot read its project
  // leaves no folder behind.
  auto projectText = std::make_unique<ClsString>();
  LoadError projectError = LoadError::kNone;
  if (!projectText->LoadFromFile(in_sFilename, projectError)) {
    Fail(ProjectFailure(projectError));
    return;
  }

  // The report folder, created under the same path the report is written to.
  const std::string folder = m_sOutputFolder.substr(0, m_sOutputFolder.size() - 1);
  std::error_code outDirError;
  if (m_settings.writeReport && !m_settings.outDir.empty())
    std::filesystem::create_directories(SystemPath(m_settings.outDir), outDirError);
  if (m_settings.writeReport) CreateFolder(folder);
  if (m_settings.writeReport && !IsFolder(folder)) {
    Fail(FolderFailure(outDirError ? m_settings.outDir : folder, outDirError));
    return;
  }

  // Project reading: the project keyword table, its token stream and the item collection.
  {
    std::shared_ptr<clsToken> keywords = std::make_shared<clsToken>();
    std::shared_ptr<clsTokenStream> stream;
    projectText->TokenizeVBP(keywords, stream);
    projectText.reset();
    clsParser parser(m_analysis.MutableState());
    parser.InitParser(stream);
    m_analysis.MutableFileTypes() = parser.ParseVBP();
  }
  if (!m_analysis.MutableFileTypes())
    m_analysis.MutableFileTypes() = std::make_shared<clsVBFileTypes>();
  // Any file can be picked as a project; one the parser finds nothing in is documented (an
  // empty report) with a word that it was probably not a project file.
  if (m_analysis.MutableFileTypes()->Count() == 0 &&
      m_analysis.MutableFileTypes()->ProjectType.empty()) {
    // The warning is the project file's own: its text does not repeat the name the caller
    // shows it under; its parts name the file as the export names files.
    m_analysis.WarnProject(Utf8To1252(fileName), kNoProjectLines);
  }

  ItemPathResolver resolver;
  FirstPass(resolver);

  // Second pass: the code analysis fills a new symbol table from every source file. The previous
  // run's table is freed first.
  m_analysis.MutableState().ClearCurrentModule();
  m_analysis.MutableState().g_oSymTable.reset();
  RaiseProgress({RunProgress::Phase::kAnalysing, 0, 0, {}});
  RunSecondPass(m_analysis.MutableState(), *m_analysis.MutableFileTypes());

  WriteOutputs();
  m_analysis.SetCompleted(true);
  // What the report did not take (a failed report, a module the table lost).
  m_detailsAhead.clear();
}

void clsVBInfo::WriteOutputs() {
  // After the analysis: the report is written on this thread while, on others, the cross
  // references are resolved and then the work alongside the report (the export) is done, and the
  // site is written once the cross references are there. All of them only read the analysis.
  std::exception_ptr refsError;
  DoneSignal refsDone;
  const auto resolve = [this, &refsError, &refsDone] {
    try {
      // A question (no report) reads the uses and the exposure only: the indexes of the export
      // and the site are left out.
      if (m_settings.crossReferences)
        ResolveCrossReferences(
            *m_analysis.MutableFileTypes(), m_analysis.MutableState().g_oSymTable.get(),
            m_analysis.MutableState().GetProjectName(), m_analysis.MutableCrossRefs(),
            m_settings.exposedClasses.get(), m_settings.writeReport);
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
            m_settings.siteDocs);
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

void clsVBInfo::FirstPass(ItemPathResolver& io_oResolver) {
  // The source files are read ahead, several at a time, and handed to their items below in
  // collection order. Their paths are worked out first, here, in that order.
  std::vector<SourceFile> files;
  std::vector<std::string> values;  // each file's value as written, for warnings
  std::vector<char> planned;        // false when the path could not be worked out
  // A form's header parse recognises the project's own controls by the project name the run
  // has reached at that form (a Name line may come after some forms).
  std::string projectName = m_analysis.MutableState().GetProjectName();
  for (const auto& item : *m_analysis.MutableFileTypes()) {
    YieldPoint();
    if (!item) continue;
    if (item->EType == kItemName) projectName = item->InternalName;
    if (!IsSourceItemType(item->EType)) continue;
    SourceFile& file = files.emplace_back();
    file.formLike = IsFormLikeItemType(item->EType);
    file.projectName = projectName;
    file.fallbackName = item->InternalName;
    file.keepLineEnds = m_settings.keepLineEnds || m_settings.writeSite;
    file.cache = m_settings.sourceCache.get();
    std::string& value = values.emplace_back();
    char& ok = planned.emplace_back(0);
    try {
      // The file is opened by its value as written (Body "." Ext would lose every dot after the
      // first), mapped onto the platform's file system.
      value = item->sFileValue;
      if (value.empty()) value = item->Path + item->Body + "." + item->Ext;
      file.path = io_oResolver.Resolve(value, m_analysis.ProjectFolder());
      item->sDiskPath = PathInProject(file.path, m_analysis.ProjectFolder());
      ok = 1;
    } catch (const RunStopped&) {
      throw;  // a stop ends the run, not just this item
    } catch (...) {
      // This item's load ends here; the item keeps whatever header it had.
      continue;
    }
  }

  // The report's detail block of each module is rendered on the loading threads, while the
  // file's tokens are fresh (only when a report is written).
  std::vector<ModuleDetailsAhead> details(m_settings.writeReport ? files.size() : 0);
  for (size_t i = 0; i < details.size(); ++i) {
    files[i].onAnalysed = [&details, i](const std::shared_ptr<const ClsSymEntry>& in_oEntry) {
      details[i] = RenderModuleDetails(in_oEntry);
    };
  }
  SourceLoader loader(files, m_settings.loadThreads);
  size_t next = 0;
  // Items come grouped by kind, in the order the project file parser added them.
  for (const auto& item : *m_analysis.MutableFileTypes()) {
    YieldPoint();
    if (!item) continue;
    if (IsSourceItemType(item->EType)) {
      const size_t index = next++;
      if (index >= files.size() || !planned[index]) continue;
      SourceFile& file = loader.Take(index);
      if (index < details.size() && details[index].entry)
        m_detailsAhead.push_back(std::move(details[index]));
      if (file.outcome != LoadError::kNone) Warn(values[index], SourceMessage(file.outcome));
      if (EvtProgress)
        RaiseProgress(
            {RunProgress::Phase::kReading, index + 1, files.size(), Cp1252ToUtf8(values[index])});
      if (file.formLike) {
        LoadFormItem(*item, file);
      } else {
        LoadClassItem(*item, file);
      }
      YieldPoint();
      continue;
    }
    switch (item->EType) {
      case kItemStartup:
        m_analysis.MutableFileTypes()->StartupForm = item->InternalName;
        break;
      case kItemIconForm:
        m_analysis.MutableFileTypes()->IconForm = item->InternalName;
        break;
      case kItemName:
        m_analysis.MutableState().SetProjectName(item->InternalName);
        break;
      default:
        break;  // references, objects, resource file, related documents
    }
  }
}

void clsVBInfo::LoadFormItem(clsVBFileType& item, SourceFile& io_oFile) {
  LoadItem(item, io_oFile);
}

void clsVBInfo::LoadClassItem(clsVBFileType& item, SourceFile& io_oFile) {
  LoadItem(item, io_oFile);
}

void clsVBInfo::LoadItem(clsVBFileType& item, SourceFile& io_oFile) {
  try {
    // A file that cannot be found or read was tokenized as an empty file; the run goes on.
    std::shared_ptr<clsVBHeader> header = std::move(io_oFile.header);
    if (!header) return;
    header->TokenStream = std::move(io_oFile.stream);
    item.SetVBHeader(std::move(header));
  } catch (...) {
    // This item's load ends here; the item keeps whatever header it had.
    return;
  }
}

bool clsVBInfo::WriteReport() {
  const std::string generator = ProgramGenerator();
  const std::string company = ProgramCompany();
  const std::string stamp = m_settings.stamp.empty() ? CurrentStamp() : m_settings.stamp;
  const std::string programFolder =
      m_settings.programFolder.empty() ? ProgramFolder() : m_settings.programFolder;
  const std::string& projectName = m_analysis.MutableState().GetProjectName();

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
  WriteProjectSummary(w, *m_analysis.MutableFileTypes(), values);

  // Module summaries, then module detail sections: one block per symbol table entry each.
  if (m_analysis.MutableState().g_oSymTable) {
    WriteModuleSummaries(w, *m_analysis.MutableState().g_oSymTable);
    WriteModuleDetails(w, *m_analysis.MutableState().g_oSymTable, &m_detailsAhead);
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
