#include "driver/clsVBInfo.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "driver/ItemPathResolver.h"
#include "driver/ProgramInfo.h"
#include "driver/ReportModules.h"
#include "driver/ReportSummary.h"
#include "driver/ReportWriter.h"
#include "driver/SourceLoader.h"
#include "driver/modFiles.h"
#include "model/SymGlobals.h"
#include "model/clsSymTable.h"
#include "model/clsVBFileType.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "model/modProjectName.h"
#include "parser/SecondPass.h"
#include "parser/clsParser.h"
#include "text/ClsString.h"
#include "text/Cp1252.h"
#include "text/LoadError.h"
#include "text/StringUtil.h"
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
  }
}

// "Forms\frmMain.frm: source file not found", "project file is too large".
std::string SourceWarning(const std::string& in_sShown, LoadError in_eReason) {
  return in_sShown + ": source file " + LoadErrorText(in_eReason);
}

std::string ProjectFailure(LoadError in_eReason) {
  return std::string("project file ") + LoadErrorText(in_eReason);
}

// The previous run's collections of a large project hold hundreds of megabytes in millions of
// blocks; freeing them in one go would keep the window waiting. Freed a piece at a time with a
// yield between the pieces instead. Only what nobody else holds is taken apart.
void ReleaseItems(std::shared_ptr<clsVBFileTypes>& io_oItems) {
  std::shared_ptr<clsVBFileTypes> items = std::move(io_oItems);
  if (!items || items.use_count() != 1) return;
  for (const auto& item : *items) {
    YieldToWindowSystem();
    if (item && item.use_count() == 1) item->SetVBHeader(nullptr);
  }
}

// The allocator keeps freed small blocks aside and merges them all when a larger block is next
// requested or freed; after a table of millions of small records, that one merge alone would keep
// the window waiting for tens of milliseconds. A block of a few kilobytes requested after each
// piece keeps the merging in small steps.
void MergeFreedBlocks() {
  ::operator delete(::operator new(4096));
}

void ReleaseSymbolTable() {
  g_oSymEntry.reset();
  g_oEntryList.reset();
  std::shared_ptr<clsSymTable> table = std::move(g_oSymTable);
  if (!table || table.use_count() != 1) return;
  for (const auto& entry : *table) {
    if (!entry || entry.use_count() != 1) continue;
    // The entry dies with the table; its lists go first, one at a time.
    for (std::shared_ptr<ClsEntry>* list :
         {&entry->EVar, &entry->EConst, &entry->ESub, &entry->EFunction, &entry->EProperty,
          &entry->EType, &entry->EEnum, &entry->EEvent, &entry->EDeclare}) {
      YieldToWindowSystem();
      list->reset();
      MergeFreedBlocks();
    }
  }
}

}  // namespace

clsVBInfo::clsVBInfo() {
  g_oSymTable = std::make_shared<clsSymTable>();
}

clsVBInfo::~clsVBInfo() {
  m_oFileTypes.reset();
  g_oSymTable.reset();
}

void clsVBInfo::Fail(std::string in_sReason) {
  m_reportWritten = false;
  if (m_failureReason.empty()) m_failureReason = std::move(in_sReason);
}

void clsVBInfo::GetFileInfo(const std::string& in_sFilename) {
  Raise(EvtBegin);
  try {
    Run(in_sFilename);
  } catch (const std::exception& e) {
    // The caller gets no report, this failure reason and EvtEnd as usual.
    Fail(std::string("internal error: ") + e.what());
  } catch (...) {
    // The caller gets no report, this failure reason and EvtEnd as usual.
    Fail("internal error");
  }
  Raise(EvtEnd);
}

void clsVBInfo::Run(const std::string& in_sFilename) {
  ReleaseItems(m_oFileTypes);
  m_reportWritten = false;
  m_failureReason.clear();
  m_warnings.clear();
  m_detailsAhead.clear();
  // A project without a Name line has no name, not the previous project's.
  SetProjectName("");

  // Output names. The project path is a platform path, so it splits at "/".
  m_sProjectFile = in_sFilename;
  std::string fileName, ext;
  SplitPath(m_sProjectFile, m_sProjectDir, fileName, m_sProjectBody, ext, '/');
  std::string base = m_sProjectDir;
  if (!m_settings.outDir.empty()) {
    base = m_settings.outDir;
    if (base.back() != '/') base += '/';
  }
  m_sOutputFolder = base + m_sProjectBody + "_document/";
  m_HtmlFile = m_sProjectBody + ".html";
  m_HtmlListing = m_sOutputFolder + m_HtmlFile;

  // Read the project file before anything is created: a run that cannot read its project
  // leaves no folder behind.
  auto projectText = std::make_unique<ClsString>();
  LoadError projectError = LoadError::kNone;
  if (!projectText->LoadFromFile(m_sProjectFile, projectError)) {
    Fail(ProjectFailure(projectError));
    return;
  }

  // The report folder, created under the same path the report is written to.
  const std::string folder = m_sOutputFolder.substr(0, m_sOutputFolder.size() - 1);
  if (!m_settings.outDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(m_settings.outDir, ec);
  }
  CreateFolder(folder);
  if (!IsFolder(folder)) {
    Fail("report folder cannot be created");
    return;
  }

  // Project reading: the project keyword table, its token stream and the item collection.
  {
    std::shared_ptr<clsToken> keywords = std::make_shared<clsToken>();
    std::shared_ptr<clsTokenStream> stream;
    projectText->TokenizeVBP(keywords, stream);
    projectText.reset();
    clsParser parser;
    parser.InitParser(stream);
    m_oFileTypes = parser.ParseVBP();
  }
  if (!m_oFileTypes) m_oFileTypes = std::make_shared<clsVBFileTypes>();

  ItemPathResolver resolver;
  FirstPass(resolver);

  // Second pass: the code analysis fills a new symbol table from every source file. The previous
  // run's table is freed first, in pieces.
  ReleaseSymbolTable();
  RunSecondPass(*m_oFileTypes);

  m_reportWritten = WriteReport();
  // What the report did not take (a failed report, a module the table lost) goes a block at a
  // time.
  for (ModuleDetailsAhead& d : m_detailsAhead) {
    YieldToWindowSystem();
    d = ModuleDetailsAhead();
  }
  m_detailsAhead.clear();
}

void clsVBInfo::FirstPass(ItemPathResolver& io_oResolver) {
  // The source files are read ahead, several at a time, and handed to their items below in
  // collection order. Their paths are worked out first, here, in that order.
  std::vector<SourceFile> files;
  std::vector<std::string> values;  // each file's value as written, for warnings
  std::vector<char> planned;        // false when the path could not be worked out
  // A form's header parse recognises the project's own controls by the project name the run
  // has reached at that form (a Name line may come after some forms).
  std::string projectName = GetProjectName();
  for (const auto& item : *m_oFileTypes) {
    YieldToWindowSystem();
    if (!item) continue;
    if (item->EType == kItemName) projectName = item->InternalName;
    if (!IsSourceItemType(item->EType)) continue;
    SourceFile& file = files.emplace_back();
    file.formLike = IsFormLikeItemType(item->EType);
    file.projectName = projectName;
    file.fallbackName = item->InternalName;
    std::string& value = values.emplace_back();
    char& ok = planned.emplace_back(0);
    try {
      // The file is opened by its value as written (Body "." Ext would lose every dot after the
      // first), mapped onto the platform's file system.
      value = item->sFileValue;
      if (value.empty()) value = item->Path + item->Body + "." + item->Ext;
      file.path = io_oResolver.Resolve(value, m_sProjectDir);
      ok = 1;
    } catch (...) {
      // This item's load ends here; the item keeps whatever header it had.
    }
  }

  SourceLoader loader(files, m_settings.loadThreads);
  size_t next = 0;
  // Items come grouped by kind, in the order the project file parser added them.
  for (const auto& item : *m_oFileTypes) {
    YieldToWindowSystem();
    if (!item) continue;
    if (IsSourceItemType(item->EType)) {
      const size_t index = next++;
      if (index >= files.size() || !planned[index]) continue;
      SourceFile& file = loader.Take(index);
      if (file.details.entry) m_detailsAhead.push_back(std::move(file.details));
      if (file.outcome != LoadError::kNone)
        m_warnings.push_back(SourceWarning(Cp1252ToUtf8(values[index]), file.outcome));
      if (file.formLike) {
        LoadFormItem(*item, file);
      } else {
        LoadClassItem(*item, file);
      }
      YieldToWindowSystem();
      continue;
    }
    switch (item->EType) {
      case kItemStartup:
        m_oFileTypes->StartupForm = item->InternalName;
        break;
      case kItemIconForm:
        m_oFileTypes->IconForm = item->InternalName;
        break;
      case kItemName:
        SetProjectName(item->InternalName);
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
  }
}

bool clsVBInfo::WriteReport() {
  const std::string generator = ProgramGenerator();
  const std::string company = ProgramCompany();
  const std::string stamp = m_settings.stamp.empty() ? CurrentStamp() : m_settings.stamp;
  const std::string programFolder =
      m_settings.programFolder.empty() ? ProgramFolder() : m_settings.programFolder;
  const std::string& projectName = GetProjectName();

  ReportWriter w;
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
  values.projectFile = Utf8To1252(
      m_settings.reportedProjectFile.empty() ? m_sProjectFile : m_settings.reportedProjectFile);
  WriteProjectSummary(w, *m_oFileTypes, values);

  // Module summaries, then module detail sections: one block per symbol table entry each.
  if (g_oSymTable) {
    WriteModuleSummaries(w, *g_oSymTable);
    WriteModuleDetails(w, *g_oSymTable, &m_detailsAhead);
  }

  for (int i = 0; i <= 18; ++i) w.WriteLineBreak("");
  w.WriteLineBreak("<A HREF=\"" + ProgramHomePage() +
                   "\">Home of Quillscope</A> for information and latest releases.");
  w.WritePageEnd();
  if (!w.Commit()) {
    Fail(w.FailureReason());
    return false;
  }
  return true;
}

}  // namespace qs
