#include "driver/clsVBInfo.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <system_error>

#include "analysis/SecondPass.h"
#include "analysis/SymGlobals.h"
#include "analysis/clsParser.h"
#include "analysis/clsSymTable.h"
#include "driver/ItemPathResolver.h"
#include "driver/ProgramInfo.h"
#include "driver/ReportModules.h"
#include "driver/ReportSummary.h"
#include "driver/ReportWriter.h"
#include "driver/modFiles.h"
#include "driver/modProjectName.h"
#include "project/clsVBFileType.h"
#include "project/clsVBFileTypes.h"
#include "project/clsVBHeader.h"
#include "text/ClsString.h"
#include "text/Cp1252.h"
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
  }
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
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
    Fail(std::string("internal error: ") + e.what());
  } catch (...) {
    Fail("internal error");
  }
  Raise(EvtEnd);
}

void clsVBInfo::Run(const std::string& in_sFilename) {
  ReleaseItems(m_oFileTypes);
  m_reportWritten = false;
  m_failureReason.clear();
  m_warnings.clear();
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
  struct stat st {};
  if (m_sProjectFile.empty() || ::stat(m_sProjectFile.c_str(), &st) != 0) {
    const int err = errno;
    Fail(err == EACCES ? "project file is not readable" : "project file not found");
    return;
  }
  if (S_ISDIR(st.st_mode)) {
    Fail("project file is a folder");
    return;
  }
  auto projectText = std::make_unique<ClsString>();
  if (!projectText->LoadFromFile(m_sProjectFile)) {
    Fail("project file is not readable");
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
}

void clsVBInfo::FirstPass(ItemPathResolver& io_oResolver) {
  // Items come grouped by kind, in the order the project file parser added them.
  for (const auto& item : *m_oFileTypes) {
    YieldToWindowSystem();
    if (!item) continue;
    switch (item->EType) {
      case kItemForm:
      case kItemUserControl:
      case kItemPropertyPage:
      case kItemDesigner:
      case kItemUserDocument:
        LoadFormItem(*item, io_oResolver);
        YieldToWindowSystem();
        break;
      case kItemModule:
      case kItemClass:
        LoadClassItem(*item, io_oResolver);
        YieldToWindowSystem();
        break;
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

void clsVBInfo::LoadFormItem(clsVBFileType& item, ItemPathResolver& io_oResolver) {
  LoadItem(item, io_oResolver, true);
}

void clsVBInfo::LoadClassItem(clsVBFileType& item, ItemPathResolver& io_oResolver) {
  LoadItem(item, io_oResolver, false);
}

void clsVBInfo::LoadItem(clsVBFileType& item, ItemPathResolver& io_oResolver, bool in_bFormLike) {
  try {
    // The file is opened by its value as written (Body "." Ext would lose every dot after the
    // first), mapped onto the platform's file system.
    std::string value = item.sFileValue;
    if (value.empty()) value = item.Path + item.Body + "." + item.Ext;
    const std::string path = io_oResolver.Resolve(value, m_sProjectDir);

    // A file that cannot be found or read is documented as an empty file; the run goes on.
    ClsString text;
    const std::string shown = Cp1252ToUtf8(value);
    if (path.empty()) {
      m_warnings.push_back(shown + ": source file not found");
    } else if (IsFolder(path)) {
      m_warnings.push_back(shown + ": source file is a folder");
    } else if (!text.LoadFromFile(path)) {
      m_warnings.push_back(shown + ": source file is not readable");
      text.SetLength(0);
    }

    std::shared_ptr<clsToken> keywords = std::make_shared<clsToken>();
    std::shared_ptr<clsTokenStream> stream;
    if (in_bFormLike) {
      text.TokenizeForm(keywords, stream);
    } else {
      text.TokenizeClass(keywords, stream);
    }
    clsParser parser;
    parser.InitParser(stream);
    std::shared_ptr<clsVBHeader> header =
        in_bFormLike ? parser.ParseFormType() : parser.ParseClassType();
    if (!header) return;
    header->TokenStream = stream;
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
    WriteModuleDetails(w, *g_oSymTable);
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
