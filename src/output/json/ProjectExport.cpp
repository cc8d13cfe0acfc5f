// The export's entry points and its writing thread: the document around the modules (the
// project with its libraries, the run's warnings) and the modules, rendered ahead by helpers or
// here in order, put into the temporary file.
#include "output/json/ProjectExport.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/ProjectAnalysis.h"
#include "analysis/ProjectDocs.h"
#include "io/ProgramInfo.h"
#include "model/clsVBFileTypes.h"
#include "output/json/ExportWriter.h"
#include "text/Failure.h"
#include "text/Parallel.h"
#include "text/SystemPath.h"
#include "text/Yield.h"

namespace qs {

namespace exportjson {

std::array<bool, 256> PlainBytesOf(CodePageText& cp) {
  std::array<bool, 256> plain{};
  std::string printable, converted;
  for (int b = 0x20; b < 0x7F; ++b) {
    const char c = static_cast<char>(b);
    converted.clear();
    cp.Append(converted, std::string_view(&c, 1));
    if (converted.size() != 1 || converted[0] != c) return plain;
    printable += c;
  }
  converted.clear();
  cp.Append(converted, printable);
  if (converted != printable) return plain;
  for (size_t b = 0x20; b < 0x7F; ++b) plain[b] = kPlainUtf8[b];
  return plain;
}

template <class Writer>
void ExportWriter<Writer>::Write(const ProjectAnalysis& info, const std::string& projectFile,
                                 unsigned in_nHelpers) {
  ExportRefs shared;
  if (info.CrossRefs().computed) {
    shared.Build(info.CrossRefs(), m_cp);
    SetCrossReferences(&shared);
  }
  m_w.StartObject();
  Number("format", 2);
  Key("generator");
  m_w.StartObject();
  Member("name", "Quillscope");
  Member("version", ProgramVersion());
  m_w.EndObject();
  Number("codepage", m_cp.CodePage());
  WriteProject(info, projectFile);

  const std::vector<ProjectModule> modules = ListProjectModules(info);
  Key("modules");
  m_w.StartArray();
  std::optional<ModulesAhead> ahead;
  if (in_nHelpers > 0 && modules.size() > 1)
    ahead.emplace(modules, m_cp.CodePage(), in_nHelpers, m_docs, m_shared);
  if (ahead && ahead->Helpers() > 0) {
    // The modules' texts go into the output as they are, comma-separated; the writer only opens
    // and closes the array around them.
    for (size_t i = 0; i < modules.size(); ++i) {
      if (i > 0) m_out.Put(',');
      m_out.Append(ahead->Take(i));
      ahead->Release(i);
    }
  } else {
    // One module, indented output, or no helper to be had: the modules are rendered here.
    for (const auto& m : modules) WriteModule(m);
  }
  ahead.reset();
  m_w.EndArray();

  Key("warnings");
  m_w.StartArray();
  for (const auto& w : info.WarningDetails()) {
    YieldPoint();
    m_w.StartObject();
    PathMember("file", w.file);
    Member("message", w.message);
    m_w.EndObject();
  }
  m_w.EndArray();
  WriteExternal();
  WriteDocWarnings(modules);
  m_w.EndObject();
  SetCrossReferences(nullptr);
}

template <class Writer>
void ExportWriter<Writer>::WriteProject(const ProjectAnalysis& info,
                                        const std::string& projectFile) {
  const clsVBFileTypes none;
  const clsVBFileTypes& t = info.FileTypes() ? *info.FileTypes() : none;
  Key("project");
  m_w.StartObject();
  SourceMember("name", info.State().GetProjectName());
  const std::string fileName = PlatformPath(SystemPath(projectFile).filename());
  if (!fileName.empty()) Member("file", fileName);
  SourceMember("type", t.ProjectType);
  SourceMember("startup", t.StartupForm);
  SourceMember("iconForm", t.IconForm);
  Key("counts");
  m_w.StartObject();
  const std::pair<const char*, int32_t> counts[] = {
      {"forms", t.FormCount},
      {"modules", t.ModuleCount},
      {"classes", t.ClassCount},
      {"userControls", t.UserControlCount},
      {"propertyPages", t.PropertyPageCount},
      {"userDocuments", t.UserDocumentCount},
      {"designers", t.DesignerCount},
      {"references", t.ReferenceCount},
      {"objects", t.ObjectCount},
  };
  for (const auto& [key, value] : counts) Number(key, value);
  m_w.EndObject();
  for (const auto& [key, kind] :
       {std::pair{"references", kItemReference}, std::pair{"objects", kItemObject}}) {
    Key(key);
    m_w.StartArray();
    for (const auto& item : t) {
      if (item && item->EType == kind) WriteLibrary(*item);
    }
    m_w.EndArray();
  }
  for (const auto& item : t) {
    if (item && item->EType == kItemResFile32) {
      PathMember("resourceFile", item->sFileValue);
      break;
    }
  }
  Key("relatedDocuments");
  m_w.StartArray();
  for (const auto& item : t) {
    if (!item || item->EType != kItemRelatedDoc) continue;
    m_raw.assign(item->sFileValue);
    std::replace(m_raw.begin(), m_raw.end(), '\\', '/');
    Source(m_raw);
  }
  m_w.EndArray();
  m_w.EndObject();
}

template <class Writer>
void ExportWriter<Writer>::WriteLibrary(const clsVBFileType& item) {
  YieldPoint();
  m_w.StartObject();
  // A reference line ends with the library's description; an object line names only its file.
  const bool isObject = item.EType == kItemObject;
  m_raw.assign(isObject ? item.sLibraryFile : item.ID);
  SourceMember("name", m_raw);
  SourceMember("guid", item.GuidRef);
  SourceMember("version", item.MajorVer);
  PathMember("file", item.sLibraryFile);
  m_w.EndObject();
}

template void ExportWriter<CompactFileWriter>::Write(const ProjectAnalysis&, const std::string&,
                                                     unsigned);
template void ExportWriter<IndentedFileWriter>::Write(const ProjectAnalysis&, const std::string&,
                                                      unsigned);

}  // namespace exportjson

namespace {

using exportjson::ExportWriter;
using exportjson::FileOutput;

// Helper threads that render modules ahead while this thread writes them out: one per thread the
// run may use (at most 8), as many as its budget then allows; none when the run has one thread
// only (--jobs 1), which then writes the whole export itself.
unsigned RenderHelpers() {
  const unsigned threads = ThreadsFor(0);
  return threads <= 1 ? 0 : std::min(threads, 8u);
}

template <bool kIndented>
int WriteWith(const ProjectAnalysis& info, const std::string& projectFile, CodePageText& cp,
              AtomicFile& file, bool docComments) {
  FileOutput out(file);
  JsonWriter<FileOutput, kIndented> w(out);
  ExportWriter<JsonWriter<FileOutput, kIndented>> writer(w, out, cp);
  // The doc comments the analysis read (ReadAnalysisDocs); an analysis made without them has
  // them read here, for this export alone.
  ProjectDocs own;
  if (docComments && !info.Docs().read) own = ReadProjectDocs(info);
  writer.SetDocs(!docComments ? nullptr : info.Docs().read ? &info.Docs() : &own);
  // Indented output is written in order by this thread: a module rendered apart would not carry
  // the indentation of its place.
  writer.Write(info, projectFile, kIndented ? 0 : RenderHelpers());
  out.Put('\n');
  out.Flush();
  return out.Error();
}

}  // namespace

bool PendingProjectJson::Write(const ProjectAnalysis& in_oInfo, const std::string& in_sProjectFile,
                               const ExportOptions& in_oOptions, const std::string& in_sPath) {
  CodePageText cp;
  if (!cp.Open(in_oOptions.codePage)) {
    Refuse("unknown code page " + std::to_string(in_oOptions.codePage));
    return false;
  }
  return WriteFile(in_sPath, [&](AtomicFile& io_oFile) {
    return in_oOptions.pretty
               ? WriteWith<true>(in_oInfo, in_sProjectFile, cp, io_oFile, in_oOptions.docComments)
               : WriteWith<false>(in_oInfo, in_sProjectFile, cp, io_oFile, in_oOptions.docComments);
  });
}

bool WriteProjectJson(const ProjectAnalysis& in_oInfo, const std::string& in_sProjectFile,
                      const ExportOptions& in_oOptions, const std::string& in_sPath,
                      std::string& out_sReason) {
  PendingProjectJson pending;
  const bool done =
      pending.Write(in_oInfo, in_sProjectFile, in_oOptions, in_sPath) && pending.Commit();
  out_sReason = done ? std::string() : pending.Reason();
  return done;
}

}  // namespace qs
