#include "analysis/ProjectAnalyser.h"

#include <algorithm>
#include <exception>
#include <new>
#include <string>
#include <utility>

#include "analysis/ItemPathResolver.h"
#include "analysis/ProjectContents.h"
#include "analysis/SecondPass.h"
#include "analysis/SourceLoader.h"
#include "analysis/UseResolver.h"
#include "model/ClsSymEntry.h"
#include "model/clsSymTable.h"
#include "model/clsVBFileType.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "parser/clsParser.h"
#include "text/ClsString.h"
#include "text/Cp1252.h"
#include "text/LoadError.h"
#include "text/StringUtil.h"
#include "text/SystemPath.h"
#include "text/Yield.h"
#include "text/clsToken.h"
#include "text/clsTokenStream.h"

namespace qs {

namespace {

// "Forms\frmMain.frm: source file not found", "project file is too large".
std::string SourceMessage(LoadError in_eReason) {
  return std::string("source file ") + LoadErrorText(in_eReason);
}

std::string ProjectFailure(LoadError in_eReason) {
  return std::string("project file ") + LoadErrorText(in_eReason);
}

constexpr const char* kNoProjectLines = "holds no project lines";
constexpr const char* kPathNotWorkedOut =
    "the path of this source file could not be worked out (the file is not documented)";
constexpr const char* kNotProjectName =
    "the file name does not end in .vbp; reading it as a project file";

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

// Tells the progress sink; a sink that throws is ignored, unless it ran out of memory.
void Tell(const AnalysisOptions& in_oOptions, const RunProgress& in_oProgress) {
  if (!in_oOptions.progress) return;
  try {
    in_oOptions.progress(in_oProgress);
  } catch (const std::bad_alloc&) {
    throw;  // out of memory fails the run at its boundary
  } catch (...) {
    // A failing sink is ignored: the analysis goes on.
    return;
  }
}

// The source files of one analysis: worked out in the project's order, read ahead several at a
// time, and handed to their items in that order.
class SourceReading {
 public:
  SourceReading(const AnalysisOptions& in_oOptions, ProjectAnalysis& io_oAnalysis)
      : m_options(in_oOptions), m_analysis(io_oAnalysis) {}

  void Run();

 private:
  void Plan();
  void Take(SourceLoader& io_oLoader);
  void LoadItem(clsVBFileType& item, SourceFile& io_oFile);

  const AnalysisOptions& m_options;
  ProjectAnalysis& m_analysis;
  ItemPathResolver m_resolver;
  std::vector<SourceFile> m_files;
  std::vector<std::string> m_values;        // each file's value as written, for warnings
  std::vector<char> m_planned;              // false when the path could not be worked out
  std::vector<std::string> m_planFailures;  // why, for the file's warning ("" when planned)
};

void SourceReading::Run() {
  Plan();
  if (m_options.onSourcesPlanned) m_options.onSourcesPlanned(m_files.size());
  SourceLoader loader(m_files, m_options.loadThreads);
  Take(loader);
}

void SourceReading::Plan() {
  // A form's header parse recognises the project's own controls by the project name the run
  // has reached at that form (a Name line may come after some forms).
  std::string projectName = m_analysis.State().GetProjectName();
  for (const auto& item : *m_analysis.MutableFileTypes()) {
    YieldPoint();
    if (!item) continue;
    if (item->EType == kItemName) projectName = item->InternalName;
    if (!IsSourceItemType(item->EType)) continue;
    SourceFile& file = m_files.emplace_back();
    file.formLike = IsFormLikeItemType(item->EType);
    file.projectName = projectName;
    file.fallbackName = item->InternalName;
    file.keepLineEnds = m_options.keepLineEnds;
    file.cache = m_options.sourceCache;
    // The file is opened by its value as written (Body "." Ext would lose every dot after the
    // first), mapped onto the platform's file system.
    const std::string& value = m_values.emplace_back(item->FileValue());
    char& ok = m_planned.emplace_back(0);
    std::string& failure = m_planFailures.emplace_back();
    try {
      file.path = m_resolver.Resolve(value, m_analysis.ProjectFolder());
      item->sDiskPath = PathInProject(file.path, m_analysis.ProjectFolder());
      ok = 1;
    } catch (const std::bad_alloc&) {
      throw;  // out of memory fails the run at its boundary
    } catch (const std::exception& e) {
      // This item is not read; the item keeps whatever header it had, and Take tells the run
      // why in the file's warning. A stop (RunStopped) ends the run, not just this item.
      failure = e.what();
      continue;
    }
    if (m_options.onModuleAnalysed) {
      const size_t index = m_files.size() - 1;
      const auto& hook = m_options.onModuleAnalysed;
      file.onAnalysed = [&hook, index](const std::shared_ptr<const ClsSymEntry>& in_oEntry) {
        hook(index, in_oEntry);
      };
    }
  }
}

void SourceReading::Take(SourceLoader& io_oLoader) {
  clsVBFileTypes& items = *m_analysis.MutableFileTypes();
  size_t next = 0;
  // Items come grouped by kind, in the order the project file parser added them.
  for (const auto& item : items) {
    YieldPoint();
    if (!item) continue;
    if (IsSourceItemType(item->EType)) {
      const size_t index = next++;
      if (index >= m_files.size()) continue;
      const std::string& value = m_values[index];
      if (!m_planned[index]) {
        m_analysis.Warn(value, Cp1252ToUtf8(value),
                        kPathNotWorkedOut + std::string(": ") + m_planFailures[index]);
        continue;
      }
      SourceFile& file = io_oLoader.Take(index);
      if (file.outcome != LoadError::kNone)
        m_analysis.Warn(value, Cp1252ToUtf8(value), SourceMessage(file.outcome));
      // What a failure cut short while the file was read, in the order it happened.
      for (std::string& failure : file.warnings)
        m_analysis.Warn(value, Cp1252ToUtf8(value), std::move(failure));
      if (m_options.progress)
        Tell(m_options, {RunProgress::Phase::kReading, index + 1, m_files.size(),
                         Cp1252ToUtf8(m_values[index])});
      LoadItem(*item, file);
      YieldPoint();
      continue;
    }
    switch (item->EType) {
      case kItemStartup:
        items.StartupForm = item->InternalName;
        break;
      case kItemIconForm:
        items.IconForm = item->InternalName;
        break;
      case kItemName:
        m_analysis.MutableState().SetProjectName(item->InternalName);
        break;
      default:
        break;  // references, objects, resource file, related documents
    }
  }
}

void SourceReading::LoadItem(clsVBFileType& item, SourceFile& io_oFile) {
  // A file that cannot be found or read was tokenized as an empty file; the run goes on.
  std::shared_ptr<clsVBHeader> header = std::move(io_oFile.header);
  if (!header) return;
  header->TokenStream = std::move(io_oFile.stream);
  item.SetVBHeader(std::move(header));
}

// Hands what the parser recorded in the run state on as the run's warnings: those without a
// file are the project file's own.
void TakeRunWarnings(ProjectAnalysis& io_oAnalysis, const std::string& in_sProjectFileName) {
  std::vector<RunWarning>& warnings = io_oAnalysis.MutableState().warnings;
  for (RunWarning& w : warnings) {
    if (w.file.empty()) {
      io_oAnalysis.WarnProject(in_sProjectFileName, std::move(w.message));
    } else {
      io_oAnalysis.Warn(w.file, Cp1252ToUtf8(w.file), std::move(w.message));
    }
  }
  warnings.clear();
}

// The project keyword table, the project file's token stream and the item collection.
void ReadItems(std::unique_ptr<ClsString> in_oText, ProjectAnalysis& io_oAnalysis) {
  {
    std::shared_ptr<clsToken> keywords = std::make_shared<clsToken>();
    std::shared_ptr<clsTokenStream> stream;
    in_oText->TokenizeVBP(keywords, stream);
    in_oText.reset();
    clsParser parser(io_oAnalysis.MutableState());
    parser.InitParser(stream);
    io_oAnalysis.MutableFileTypes() = parser.ParseVBP();
  }
  if (!io_oAnalysis.MutableFileTypes())
    io_oAnalysis.MutableFileTypes() = std::make_shared<clsVBFileTypes>();
}

}  // namespace

bool HasProjectExtension(const std::string& in_sPath) {
  const std::string name = PlatformPath(SystemPath(in_sPath).filename());
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  return EqualsNoCase1252(std::string_view(name).substr(dot + 1), "vbp");
}

bool AnalyseProject(const std::string& in_sProjectFile, const AnalysisOptions& in_oOptions,
                    ProjectAnalysis& io_oAnalysis, std::string& out_sFailure) {
  out_sFailure.clear();
  // The project path is a platform path, so it splits at the platform's separator (on Windows
  // "/" counts too).
  std::string fileName, ext, projectDir, projectBody;
  std::string splitForm = in_sProjectFile;
  std::replace(splitForm.begin(), splitForm.end(), '/', kPathSeparator);
  SplitPath(splitForm, projectDir, fileName, projectBody, ext, kPathSeparator);
  io_oAnalysis.Reset(in_sProjectFile, projectDir, projectBody);
  io_oAnalysis.SetReportedProjectFile(in_oOptions.reportedProjectFile);
  io_oAnalysis.SetExposedClasses(in_oOptions.exposedClasses);

  // Any file is read as a project file; one whose name says otherwise is read with a warning.
  if (!HasProjectExtension(in_sProjectFile))
    io_oAnalysis.WarnProject(Utf8To1252(fileName), kNotProjectName);

  auto projectText = std::make_unique<ClsString>();
  LoadError projectError = LoadError::kNone;
  if (!projectText->LoadFromFile(in_sProjectFile, projectError)) {
    out_sFailure = ProjectFailure(projectError);
    return false;
  }
  if (in_oOptions.onProjectRead && !in_oOptions.onProjectRead(out_sFailure)) return false;

  ReadItems(std::move(projectText), io_oAnalysis);
  TakeRunWarnings(io_oAnalysis, Utf8To1252(fileName));
  // Any file can be picked as a project; one the parser finds nothing in is documented (an
  // empty report) with a word that it was probably not a project file.
  const clsVBFileTypes& items = *io_oAnalysis.FileTypes();
  if (items.Count() == 0 && items.ProjectType.empty()) {
    // The warning is the project file's own: its text does not repeat the name the caller
    // shows it under; its parts name the file as the export names files.
    io_oAnalysis.WarnProject(Utf8To1252(fileName), kNoProjectLines);
  }

  SourceReading(in_oOptions, io_oAnalysis).Run();

  // Second pass: the code analysis fills a new symbol table from every source file. The previous
  // analysis's table is freed first.
  RunState& state = io_oAnalysis.MutableState();
  state.ClearCurrentModule();
  state.g_oSymTable.reset();
  Tell(in_oOptions, {RunProgress::Phase::kAnalysing, 0, 0, {}});
  RunSecondPass(state, *io_oAnalysis.MutableFileTypes());
  TakeRunWarnings(io_oAnalysis, Utf8To1252(fileName));
  io_oAnalysis.SetModules(FindProjectModules(io_oAnalysis));
  return true;
}

void ResolveAnalysisReferences(
    ProjectAnalysis& io_oAnalysis, bool in_bIndexes,
    const std::vector<std::pair<std::string, std::string>>* in_pDefines) {
  const RunState& state = io_oAnalysis.State();
  CrossReferences& refs = io_oAnalysis.MutableCrossRefs();
  ResolveCrossReferences(*io_oAnalysis.FileTypes(), state.g_oSymTable.get(), state.GetProjectName(),
                         refs, io_oAnalysis.ExposedClasses().get(), in_bIndexes, in_pDefines);
  // Conditions that could not be evaluated, with their places: the file as the project file
  // writes it and the line.
  for (const CrossReferences::ConditionWarning& w : refs.conditionWarnings) {
    if (w.module < 0) {
      // Named as AnalyseProject names the project file's own warnings.
      std::string dir, fileName, body, ext;
      std::string splitForm = io_oAnalysis.ProjectFile();
      std::replace(splitForm.begin(), splitForm.end(), '/', kPathSeparator);
      SplitPath(splitForm, dir, fileName, body, ext, kPathSeparator);
      io_oAnalysis.WarnProject(Utf8To1252(fileName), Cp1252ToUtf8(w.message));
      continue;
    }
    const clsVBFileType* item = refs.modules[static_cast<size_t>(w.module)].item;
    const std::string file = item ? item->sFileValue : std::string();
    io_oAnalysis.Warn(file, Cp1252ToUtf8(file),
                      "line " + std::to_string(w.line) + ": " + Cp1252ToUtf8(w.message));
  }
}

void ReadAnalysisDocs(ProjectAnalysis& io_oAnalysis) {
  io_oAnalysis.SetDocs(ReadProjectDocs(io_oAnalysis));
}

}  // namespace qs
