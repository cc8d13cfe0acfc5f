#include "driver/ProjectJson.h"

#include <rapidjson/prettywriter.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <unordered_set>
#include <utility>
#include <vector>

#include "driver/AtomicFile.h"
#include "driver/CodePage.h"
#include "driver/JsonExport.h"
#include "driver/JsonWriter.h"
#include "driver/ModuleDocs.h"
#include "driver/ProgramInfo.h"
#include "driver/ProjectContents.h"
#include "driver/SourcePlaces.h"
#include "driver/clsVBInfo.h"
#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"
#include "model/ClsSymEntry.h"
#include "model/CrossReferences.h"
#include "model/DocComment.h"
#include "model/clsSymTable.h"
#include "model/clsVBFileType.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "text/Cp1252.h"
#include "text/StringUtil.h"
#include "text/SystemPath.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"
#include "text/clsTokenStream.h"

namespace qs {

namespace {

// The writer's output: bytes gathered in a buffer and appended to the temporary file a buffer at
// a time, the disk asked to start writing every few megabytes so that the wait at the end is short.
class FileOutput {
 public:
  using Ch = char;
  explicit FileOutput(AtomicFile& io_oFile) : m_file(io_oFile) {}

  void Put(char c) {
    if (m_used == sizeof m_buffer) Drain();
    m_buffer[m_used++] = c;
  }
  // The writer announces how many bytes a string may take at most; when they fit in the buffer,
  // its bytes are stored without a check each.
  void Reserve(size_t n) {
    if (m_used + n > sizeof m_buffer) Drain();
    m_reserved = n <= sizeof m_buffer;
  }
  void PutReserved(char c) {
    if (m_reserved) {
      m_buffer[m_used++] = c;
    } else {
      Put(c);
    }
  }
  void Flush() { Drain(); }
  /// Appends text that is already JSON (a module rendered ahead), in one copy.
  void Append(std::string_view in_sText) {
    if (m_used + in_sText.size() > sizeof m_buffer) Drain();
    if (in_sText.size() > sizeof m_buffer) {
      m_used = 0;
      if (m_error == 0) m_error = m_file.Write(in_sText);
      m_written += in_sText.size();
      return;
    }
    std::memcpy(m_buffer + m_used, in_sText.data(), in_sText.size());
    m_used += in_sText.size();
  }
  /// 0, or the error number of the first write that failed.
  int Error() const { return m_error; }

 private:
  static constexpr uint64_t kWritebackSize = 8u << 20;
  void Drain() {
    if (m_used == 0) return;
    if (m_error == 0) m_error = m_file.Write(std::string_view(m_buffer, m_used));
    m_written += m_used;
    m_used = 0;
    if (m_error == 0 && m_written - m_writebackStart >= kWritebackSize) {
      m_file.StartWriteback(m_writebackStart, m_written - m_writebackStart);
      m_writebackStart = m_written;
    }
  }

  AtomicFile& m_file;
  char m_buffer[1 << 16];
  size_t m_used = 0;
  bool m_reserved = false;
  int m_error = 0;
  uint64_t m_written = 0;
  uint64_t m_writebackStart = 0;
};

// Found by the writer's unqualified calls in place of its one-byte-at-a-time defaults.
inline void PutReserve(FileOutput& out, size_t count) {
  out.Reserve(count);
}
inline void PutUnsafe(FileOutput& out, char c) {
  out.PutReserved(c);
}

// A documentation warning as the export writes it: UTF-8 file, place and message.
struct ExportDocWarning {
  std::string file;
  LineIndex::Place place;
  std::string message;
};

// The properties the control records name that a control object may not take as its own.
bool IsReservedControlKey(std::string_view key) {
  return key == "name" || key == "type" || key == "parent" || key == "line" || key == "column" ||
         key == "uses" || key == "handlers" || key == "exposure";
}

// What the writers of every module share about the cross references, worked out once per export.
struct ExportRefs {
  const CrossReferences* refs = nullptr;
  /// Each module's file as the export names it, escaped as the contents of a JSON string, by the
  /// index of CrossReferences::modules.
  std::vector<std::string> files;
  /// The labels of every procedure as (procedure, label) declarations, sorted by procedure, then
  /// by place.
  std::vector<std::pair<int32_t, int32_t>> labels;
  /// The index in CrossReferences::modules of each module's item.
  std::unordered_map<const clsVBFileType*, int32_t> moduleOf;

  void Build(const CrossReferences& in_refs, CodePageText& cp);
};

void ExportRefs::Build(const CrossReferences& in_refs, CodePageText& cp) {
  refs = &in_refs;
  std::string raw, text;
  for (const CrossModule& m : in_refs.modules) {
    text.clear();
    if (!m.item->sDiskPath.empty()) {
      text = m.item->sDiskPath;
    } else {
      raw.assign(m.item->sFileValue);
      std::replace(raw.begin(), raw.end(), '\\', '/');
      cp.Append(text, raw);
    }
    JsonWriter::AppendEscaped(files.emplace_back(), text);
    moduleOf.emplace(m.item, static_cast<int32_t>(files.size()) - 1);
  }
  for (size_t d = 0; d < in_refs.decls.size(); ++d) {
    if (in_refs.decls[d].kind == DeclKind::kLabel && in_refs.decls[d].parent >= 0)
      labels.emplace_back(in_refs.decls[d].parent, static_cast<int32_t>(d));
  }
  std::sort(labels.begin(), labels.end(), [&](const auto& a, const auto& b) {
    const int32_t pa = in_refs.decls[static_cast<size_t>(a.second)].pos;
    const int32_t pb = in_refs.decls[static_cast<size_t>(b.second)].pos;
    return a.first != b.first ? a.first < b.first : pa < pb;
  });
}

// The output under a writer: text composed ahead (modules, lists of uses) is copied into it.
template <class Writer>
struct OutputOf;
template <class Output>
struct OutputOf<rapidjson::Writer<Output>> {
  using type = Output;
};
template <class Output>
struct OutputOf<rapidjson::PrettyWriter<Output>> {
  using type = Output;
};

template <class Writer>
class ExportWriter {
 public:
  using Output = typename OutputOf<Writer>::type;
  /// io_oOut: the output under the writer.
  ExportWriter(Writer& w, Output& io_oOut, CodePageText& cp) : m_w(w), m_cp(cp), m_out(io_oOut) {}

  /// Writes the whole export. With in_nHelpers > 0 the modules are rendered ahead on that many
  /// helper threads and copied in as they come (compact output only).
  void Write(const clsVBInfo& info, const std::string& projectFile, unsigned in_nHelpers);
  void WriteModule(const ProjectModule& m);
  /// Whether doc comments are read and written (off by default).
  void SetDocComments(bool in_bOn) { m_docsOn = in_bOn; }
  /// The documentation warnings of the modules written so far, moved to the end of out.
  void TakeDocWarnings(std::vector<ExportDocWarning>& out) {
    for (auto& w : m_docWarnings) out.push_back(std::move(w));
    m_docWarnings.clear();
  }
  /// The cross references the declarations' uses come from (null: none are written).
  void SetCrossReferences(const ExportRefs* in_pRefs) {
    m_shared = in_pRefs;
    m_refs = in_pRefs ? in_pRefs->refs : nullptr;
  }

 private:
  void Key(const char* k) { m_w.Key(k, static_cast<rapidjson::SizeType>(std::strlen(k))); }
  void Utf8(std::string_view s) {
    m_w.String(s.data(), static_cast<rapidjson::SizeType>(s.size()));
  }
  // Bytes of the project's files, through the code page.
  void Source(std::string_view bytes) {
    m_text.clear();
    m_cp.Append(m_text, bytes);
    Utf8(m_text);
  }
  void Member(const char* key, std::string_view utf8) {
    Key(key);
    Utf8(utf8);
  }
  void SourceMember(const char* key, std::string_view bytes) {
    if (bytes.empty()) return;
    Key(key);
    Source(bytes);
  }
  // A path from the project file: "\" separators become "/".
  void PathMember(const char* key, std::string_view bytes) {
    if (bytes.empty()) return;
    m_raw.assign(bytes);
    std::replace(m_raw.begin(), m_raw.end(), '\\', '/');
    Key(key);
    Source(m_raw);
  }
  // The member key with the array composed in m_json: the writer puts what precedes a value (a
  // comma, in indented output a line break) and the text is copied after it in one piece.
  void RawArray(const char* key) {
    Key(key);
    m_w.RawValue(m_json.data(), 0, rapidjson::kArrayType);
    m_out.Append(m_json);
  }
  void Number(const char* key, int64_t value) {
    Key(key);
    m_w.Int64(value);
  }
  // The value written after "=" behind the name at the position, when there is one.
  void ValueMember(const char* key, int32_t namePos) {
    m_raw.clear();
    if (m_stream && SourceText::AppendValue(*m_stream, namePos, m_raw)) SourceMember(key, m_raw);
  }
  void Place(int32_t pos) {
    const LineIndex::Place p = m_lines.PlaceOf(pos);
    if (p.line == 0) return;
    Number("line", p.line);
    Number("column", p.column);
  }

  void WriteProject(const clsVBInfo& info, const std::string& projectFile);
  void WriteLibrary(const clsVBFileType& item);
  void WriteControls(const clsVBHeader* header);
  void WriteDeclaration(const DeclaredEntry& d);
  void WriteGlobalVariables(const clsVBFileType& item);
  void WriteParameters(const ClsEntryPtr& e);
  void WriteMembers(const ClsEntryPtr& e);
  void WriteLocals(const ClsEntryPtr& e);
  void WriteDoc();
  void WriteDocWarnings();
  // Cross references (written only when the run computed them).
  void WriteUses(int32_t decl);
  void WriteCalls(int32_t decl);
  void WriteLabels(int32_t decl);
  void WriteHandlers(int32_t decl);
  void WriteExternal();
  const std::string& QualifiedName(int32_t decl);

  const ExportRefs* m_shared = nullptr;
  const CrossReferences* m_refs = nullptr;
  struct NameSlot {
    int32_t decl = -1;
    std::string text;
  };
  static constexpr size_t kNameSlots = 1024;
  std::vector<NameSlot> m_names = std::vector<NameSlot>(kNameSlots);  ///< QualifiedName's cache
  std::string m_json;  ///< a list composed as JSON text (reused)

  Writer& m_w;
  CodePageText& m_cp;
  Output& m_out;
  const clsTokenStream* m_stream = nullptr;  ///< the module being written
  LineIndex m_lines;
  std::string m_text;  ///< UTF-8 text of the current value (reused)
  std::string m_raw;   ///< source bytes of the current value (reused)
  std::vector<DeclaredEntry> m_declared;
  std::vector<const ClsEntryPtr*> m_locals;
  bool m_docsOn = false;
  ModuleDocs m_docs;
  DocComment m_doc;
  std::string m_moduleFile;  ///< UTF-8 file of the module being written, for its warnings
  std::vector<DocWarning> m_checked;
  std::unordered_set<std::string_view> m_paramNames;  ///< the doc's parameters written so far
  std::vector<ExportDocWarning> m_docWarnings;
  std::vector<ControlNode> m_controls;
};

// The writer's output when a module is rendered ahead: the text of one module.
class TextOutput {
 public:
  using Ch = char;
  explicit TextOutput(std::string& io_sText) : m_text(io_sText) {}
  /// Starts the text again, keeping the room the string has.
  void Start() {
    m_text.resize(m_text.capacity());
    m_used = 0;
  }
  /// Cuts the text to what was written.
  void Finish() { m_text.resize(m_used); }
  void Put(char c) {
    if (m_used == m_text.size()) Grow(1);
    m_text[m_used++] = c;
  }
  void Flush() {}
  // Room for the longest form of a string, taken at once; the bytes are then stored unchecked.
  void Reserve(size_t n) {
    if (m_text.size() - m_used < n) Grow(n);
  }
  void PutReserved(char c) { m_text[m_used++] = c; }
  void Append(std::string_view in_sText) {
    Reserve(in_sText.size());
    std::memcpy(m_text.data() + m_used, in_sText.data(), in_sText.size());
    m_used += in_sText.size();
  }

 private:
  void Grow(size_t n) { m_text.resize(std::max(2 * m_text.size(), m_used + n + 4096)); }

  std::string& m_text;
  size_t m_used = 0;
};

inline void PutReserve(TextOutput& out, size_t count) {
  out.Reserve(count);
}
inline void PutUnsafe(TextOutput& out, char c) {
  out.PutReserved(c);
}

// Modules rendered ahead on helper threads, each into a text of its own, at most kWindow modules
// ahead of the one being written: memory holds a few modules' texts, never the document.
class ModulesAhead {
 public:
  ModulesAhead(const std::vector<ProjectModule>& in_modules, int in_nCodePage, unsigned in_nHelpers,
               bool in_bDocComments, const ExportRefs* in_pRefs);
  /// Stops the helpers and waits for them.
  ~ModulesAhead();
  ModulesAhead(const ModulesAhead&) = delete;
  ModulesAhead& operator=(const ModulesAhead&) = delete;

  /// The text of module i, once rendered; modules are taken in order, each released after use.
  /// Throws what a helper threw (RunStopped when the run was asked to stop).
  const std::string& Take(size_t i);
  /// The documentation warnings of module i (taken before it is released), moved to out.
  void TakeDocWarnings(size_t i, std::vector<ExportDocWarning>& out);
  void Release(size_t i);

 private:
  static constexpr size_t kWindow = 16;
  struct Slot {
    std::string text;
    std::vector<ExportDocWarning> docWarnings;
    size_t module = SIZE_MAX;  ///< the module whose text is ready here
  };
  void Helper();

  const std::vector<ProjectModule>& m_modules;
  const int m_codePage;
  const bool m_docComments;
  const ExportRefs* m_refs;
  const std::atomic<bool>* m_stopFlag;
  std::mutex m_lock;
  std::condition_variable m_changed;
  size_t m_next = 0;      ///< the next module a helper takes
  size_t m_released = 0;  ///< modules before this one are written
  bool m_abort = false;
  std::exception_ptr m_error;
  Slot m_slots[kWindow];
  std::vector<std::thread> m_threads;
};

template <class Writer>
void ExportWriter<Writer>::Write(const clsVBInfo& info, const std::string& projectFile,
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
  if (in_nHelpers > 0 && modules.size() > 1) {
    ModulesAhead ahead(modules, m_cp.CodePage(), in_nHelpers, m_docsOn, m_shared);
    // The modules' texts go into the output as they are, comma-separated; the writer only opens
    // and closes the array around them.
    for (size_t i = 0; i < modules.size(); ++i) {
      if (i > 0) m_out.Put(',');
      m_out.Append(ahead.Take(i));
      ahead.TakeDocWarnings(i, m_docWarnings);
      ahead.Release(i);
    }
  } else {
    for (const auto& m : modules) WriteModule(m);
  }
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
  WriteDocWarnings();
  m_w.EndObject();
  SetCrossReferences(nullptr);
}

template <class Writer>
void ExportWriter<Writer>::WriteDocWarnings() {
  Key("docWarnings");
  m_w.StartArray();
  for (const ExportDocWarning& w : m_docWarnings) {
    YieldPoint();
    m_w.StartObject();
    Member("file", w.file);
    Number("line", w.place.line);
    Number("column", w.place.column);
    Member("message", w.message);
    m_w.EndObject();
  }
  m_w.EndArray();
}

template <class Writer>
void ExportWriter<Writer>::WriteDoc() {
  Key("doc");
  m_w.StartObject();
  SourceMember("summary", m_doc.summary);
  SourceMember("description", m_doc.description);
  if (!m_doc.params.empty()) {
    Key("params");
    m_w.StartObject();
    m_paramNames.clear();
    for (const DocParam& p : m_doc.params) {
      // A name documented twice keeps its first text: an object has each key once.
      if (p.name.empty() || !m_paramNames.insert(p.name).second) continue;
      m_text.clear();
      m_cp.Append(m_text, p.name);
      Key(m_text.c_str());
      Source(p.text);
    }
    m_w.EndObject();
  }
  SourceMember("returns", m_doc.returns);
  SourceMember("remarks", m_doc.remarks);
  SourceMember("author", m_doc.author);
  SourceMember("date", m_doc.date);
  Member("source", DocSourceName(m_doc.source));
  m_w.EndObject();
}

template <class Writer>
void ExportWriter<Writer>::WriteProject(const clsVBInfo& info, const std::string& projectFile) {
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

template <class Writer>
void ExportWriter<Writer>::WriteModule(const ProjectModule& m) {
  YieldPoint();
  const clsVBFileType& item = *m.item;
  const clsVBHeader* header = item.VBHeader().get();
  m_stream = header ? header->TokenStream.get() : nullptr;
  m_lines.Reset(m_stream, header && header->LineEndsKept ? &header->LineEnds : nullptr);

  m_w.StartObject();
  SourceMember("name", header && !header->sVBTableName.empty()
                           ? std::string_view(header->sVBTableName)
                           : std::string_view(item.InternalName));
  Member("kind", ModuleKindWord(item.EType));
  if (!item.sDiskPath.empty()) {
    Member("file", item.sDiskPath);
  } else {
    PathMember("file", item.sFileValue);
  }
  Number("lines", m_lines.Lines());
  WriteControls(IsFormLikeItemType(item.EType) ? header : nullptr);
  if (m_docsOn) {
    m_docs.Reset(header);
    m_moduleFile = item.sDiskPath;
    if (m_moduleFile.empty()) {
      m_raw.assign(item.sFileValue);
      std::replace(m_raw.begin(), m_raw.end(), '\\', '/');
      m_cp.Append(m_moduleFile, m_raw);
    }
  }

  Key("declarations");
  m_w.StartArray();
  if (m.entry) {
    ListDeclarations(*m.entry, m_declared);
    for (const DeclaredEntry& d : m_declared) WriteDeclaration(d);
  }
  if (m_shared) WriteGlobalVariables(item);
  m_w.EndArray();
  if (m_docsOn && m_docs.DescribeModule(m_doc)) WriteDoc();
  m_w.EndObject();
}

template <class Writer>
void ExportWriter<Writer>::WriteControls(const clsVBHeader* header) {
  Key("controls");
  m_w.StartArray();
  if (header && m_stream) {
    ListControls(*header, *m_stream, m_controls);
    const std::vector<ControlNode>& controls = m_controls;
    std::vector<std::string> keys;
    for (const ControlNode& c : controls) {
      YieldPoint();
      m_w.StartObject();
      SourceMember("name", c.record->sName);
      SourceMember("type", c.record->sType);
      if (c.parent >= 0)
        SourceMember("parent", controls[static_cast<size_t>(c.parent)].record->sName);
      Place(c.record->lPtr);
      if (m_refs) {
        const int32_t decl = m_refs->DeclOf(c.record);
        if (decl >= 0) {
          WriteUses(decl);
          WriteHandlers(decl);
        }
      }
      keys.clear();
      for (const clsControlRecord* r : c.properties) {
        std::string key = r->sType.substr(1);
        if (key.empty()) continue;
        key[0] = static_cast<char>(ToLower1252(static_cast<unsigned char>(key[0])));
        if (IsReservedControlKey(key) || std::find(keys.begin(), keys.end(), key) != keys.end())
          continue;
        m_text.clear();
        m_cp.Append(m_text, key);
        Key(m_text.c_str());
        // The value as the literal writes it (the record's copy has lost its inner quotes).
        m_raw.clear();
        if (!SourceText::AppendStringValue(*m_stream, r->lPtr, m_raw)) m_raw = r->sName;
        Source(m_raw);
        keys.push_back(std::move(key));
      }
      m_w.EndObject();
    }
  }
  m_w.EndArray();
}

template <class Writer>
void ExportWriter<Writer>::WriteDeclaration(const DeclaredEntry& d) {
  YieldPoint();
  const ClsEntryPtr& e = *d.entry;
  m_w.StartObject();
  SourceMember("name", e.EntryName);
  Member("kind", d.kind);
  Member("scope", m_stream ? SourceText::WrittenScope(*m_stream, e.lEntryptr) : "");
  SourceMember("type", e.EntryType);
  SourceMember("returnType", e.ReturnType);
  if (e.eEntrytype == kEntryConst) ValueMember("value", e.lEntryptr);
  SourceMember("lib", WithoutQuotes(e.LibName));
  SourceMember("alias", WithoutQuotes(e.AliasName));
  if (m_stream) {
    m_raw.clear();
    SourceText::AppendLine(*m_stream, e.lEntryptr, m_raw);
    SourceMember("signature", m_raw);
  }
  Place(e.lEntryptr);
  if (m_refs) {
    const int32_t decl = m_refs->DeclOf(&e);
    WriteUses(decl);
    WriteCalls(decl);
    WriteLabels(decl);
  }
  const bool hasMembers = e.eEntrytype == kEntryEnum || e.eEntrytype == kEntryType;
  if (hasMembers) {
    Key("parameters");
    m_w.StartArray();
    m_w.EndArray();
    WriteMembers(e);
  } else {
    WriteParameters(e);
    Key("members");
    m_w.StartArray();
    m_w.EndArray();
  }
  WriteLocals(e);
  if (m_docsOn && m_docs.Describe(e, d.kind, m_doc)) {
    WriteDoc();
    m_checked.clear();
    ModuleDocs::Check(e, m_doc, m_checked);
    for (const DocWarning& w : m_checked) {
      ExportDocWarning& out = m_docWarnings.emplace_back();
      out.file = m_moduleFile;
      out.place = m_lines.PlaceOf(w.pos);
      m_cp.Append(out.message, w.message);
    }
  }
  m_w.EndObject();
}

// The type of a declarator as written ("Global a(1 To 3) As New clsThing" gives "clsThing"):
// what follows its "As" outside parentheses, "" without one.
std::string_view DeclaredType(std::string_view declarator) {
  int depth = 0;
  for (size_t i = 0; i + 4 <= declarator.size(); ++i) {
    const char c = declarator[i];
    if (c == '(') ++depth;
    if (c == ')' && depth > 0) --depth;
    if (depth == 0 && c == ' ' && EqualsNoCase1252(declarator.substr(i, 4), " As ")) {
      std::string_view type = declarator.substr(i + 4);
      if (type.size() > 4 && EqualsNoCase1252(type.substr(0, 4), "New ")) type.remove_prefix(4);
      return type;
    }
  }
  return {};
}

// The module's Global variables, which only the cross references know (the analysis keeps no
// record of them): after the records' declarations, with the members a variable's record gives.
template <class Writer>
void ExportWriter<Writer>::WriteGlobalVariables(const clsVBFileType& item) {
  const auto found = m_shared->moduleOf.find(&item);
  if (found == m_shared->moduleOf.end() || !m_stream) return;
  const CrossModule& mod = m_refs->modules[static_cast<size_t>(found->second)];
  for (int32_t id = mod.firstGlobal; id < mod.endGlobal; ++id) {
    const CrossDeclaration& d = m_refs->decls[static_cast<size_t>(id)];
    if (d.canonical != id || d.pos < 0) continue;
    YieldPoint();
    m_w.StartObject();
    SourceMember("name", d.name);
    Member("kind", "variable");
    Member("scope", "");
    m_raw.clear();
    SourceText::AppendDeclarator(*m_stream, d.pos, m_raw);
    const std::string type(DeclaredType(m_raw));  // a few per project
    SourceMember("type", type);
    m_raw.clear();
    SourceText::AppendLine(*m_stream, d.pos, m_raw);
    SourceMember("signature", m_raw);
    Place(d.pos);
    WriteUses(id);
    for (const char* list : {"parameters", "members", "locals"}) {
      Key(list);
      m_w.StartArray();
      m_w.EndArray();
    }
    m_w.EndObject();
  }
}

template <class Writer>
void ExportWriter<Writer>::WriteParameters(const ClsEntryPtr& e) {
  Key("parameters");
  m_w.StartArray();
  if (e.Parameters) {
    for (const auto& p : *e.Parameters) {
      // The list also holds the names a default value refers to; those are no parameters.
      if (!p || std::string_view(p->Scope) == "default") continue;
      YieldPoint();
      m_w.StartObject();
      SourceMember("name", p->EntryName);
      SourceMember("type", p->EntryType);
      const int32_t mode = p->eArgScope;
      Member("passing", mode == kArgByVal || mode == kArgOptionalByVal ? "byVal" : "byRef");
      Key("optional");
      m_w.Bool(mode == kArgOptional || mode == kArgOptionalByVal);
      Key("paramArray");
      m_w.Bool(mode == kArgParamArray);
      ValueMember("default", p->lEntryptr);
      Place(p->lEntryptr);
      if (m_refs) WriteUses(m_refs->DeclOf(p.get()));
      m_w.EndObject();
    }
  }
  m_w.EndArray();
}

template <class Writer>
void ExportWriter<Writer>::WriteMembers(const ClsEntryPtr& e) {
  Key("members");
  m_w.StartArray();
  if (e.Parameters) {
    for (const auto& m : *e.Parameters) {
      if (!m) continue;
      YieldPoint();
      m_w.StartObject();
      SourceMember("name", m->EntryName);
      if (e.eEntrytype == kEntryEnum) {
        ValueMember("value", m->lEntryptr);
      } else {
        SourceMember("type", m->EntryType);
      }
      Place(m->lEntryptr);
      if (m_docsOn && m_docs.DescribeMember(*m, m_doc)) WriteDoc();
      if (m_refs) WriteUses(m_refs->DeclOf(m.get()));
      m_w.EndObject();
    }
  }
  m_w.EndArray();
}

template <class Writer>
void ExportWriter<Writer>::WriteLocals(const ClsEntryPtr& e) {
  Key("locals");
  m_w.StartArray();
  m_locals.clear();
  for (const auto* list : {&e.EVar, &e.EConst}) {
    if (!*list) continue;
    for (const auto& l : **list)
      if (l) m_locals.push_back(l.get());
  }
  // In file order. Each local has a name position of its own; std::sort takes no buffer.
  std::sort(m_locals.begin(), m_locals.end(),
            [](const ClsEntryPtr* a, const ClsEntryPtr* b) { return a->lEntryptr < b->lEntryptr; });
  for (const ClsEntryPtr* l : m_locals) {
    YieldPoint();
    m_w.StartObject();
    SourceMember("name", l->EntryName);
    Member("kind", l->eEntrytype == kEntryConst ? "constant" : "variable");
    SourceMember("type", l->EntryType);
    Place(l->lEntryptr);
    if (m_refs) WriteUses(m_refs->DeclOf(l));
    m_w.EndObject();
  }
  // Then the implicit locals (no Option Explicit), each placed at its first use.
  const auto it = m_refs ? m_refs->implicitLocals.find(m_refs->DeclOf(&e))
                         : decltype(m_refs->implicitLocals.end()){};
  if (m_refs && it != m_refs->implicitLocals.end()) {
    for (int32_t d = it->second.first; d < it->second.second; ++d) {
      const CrossDeclaration& l = m_refs->decls[static_cast<size_t>(d)];
      m_w.StartObject();
      SourceMember("name", l.name);
      Member("kind", "implicit");
      Number("line", l.line);
      Number("column", l.column);
      WriteUses(d);
      m_w.EndObject();
    }
  }
  m_w.EndArray();
}

// The qualified name of a declaration ("Module.Procedure", "Module") as the contents of a JSON
// string, escaped. Kept in a small cache by declaration: the uses of a body name the same few.
template <class Writer>
const std::string& ExportWriter<Writer>::QualifiedName(int32_t decl) {
  static const std::string none;
  if (decl < 0 || static_cast<size_t>(decl) >= m_refs->decls.size()) return none;
  NameSlot& slot = m_names[static_cast<size_t>(decl) % kNameSlots];
  if (slot.decl != decl) {
    // CrossReferences::QualifiedName, composed in reused buffers.
    const CrossReferences& refs = *m_refs;
    const CrossDeclaration& d = refs.decls[static_cast<size_t>(decl)];
    m_raw.clear();
    if (d.kind != DeclKind::kModule) {
      m_raw.append(
          refs.decls[static_cast<size_t>(refs.modules[static_cast<size_t>(d.module)].decl)].name);
      m_raw += '.';
    }
    if (d.parent >= 0) {
      m_raw.append(refs.decls[static_cast<size_t>(d.parent)].name);
      m_raw += '.';
    }
    m_raw.append(d.name);
    m_text.clear();
    m_cp.Append(m_text, m_raw);
    slot.decl = decl;
    slot.text.clear();
    JsonWriter::AppendEscaped(slot.text, m_text);
  }
  return slot.text;
}

namespace {

constexpr int32_t kUsesAhead = 8;

void AppendNumber(std::string& out, int32_t n) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  out.append(digits, end);
}

void AppendQuoted(std::string& out, std::string_view escaped) {
  out += ",\"";
  out += escaped;
  out += '"';
}

}  // namespace

// A declaration's uses (in file order) and its exposure. A use is an array [line, column, kind,
// from, file] whose trailing elements are left out while they say what the declaration implies:
// kind "read", from the procedure of a local, parameter or label, file the declaring module's.
// The array is composed as text and handed to the writer whole: no writer call per use.
template <class Writer>
void ExportWriter<Writer>::WriteUses(int32_t decl) {
  if (decl < 0) return;
  const CrossReferences& refs = *m_refs;
  const CrossDeclaration& d = refs.decls[static_cast<size_t>(decl)];
  const auto c = static_cast<size_t>(d.canonical);
  m_json.assign(1, '[');
  const int32_t end = refs.useStart[c + 1];
  for (int32_t k = refs.useStart[c]; k < end; ++k) {
    YieldPoint();
    // A declaration's uses lie apart in the list of every use: the one a few steps ahead is
    // asked for now, so that the wait for memory overlaps the writing.
    if (k + kUsesAhead < end)
      __builtin_prefetch(refs.uses.Record(
          static_cast<size_t>(refs.useIndex[static_cast<size_t>(k + kUsesAhead)])));
    const CrossUse u = refs.uses[static_cast<size_t>(refs.useIndex[static_cast<size_t>(k)])];
    const bool file = u.module != d.module;
    const bool from = file || u.from != d.parent || d.parent < 0;
    m_json += k == refs.useStart[c] ? "[" : ",[";
    AppendNumber(m_json, u.line);
    m_json += ',';
    AppendNumber(m_json, u.column);
    if (from || u.kind != UseKind::kRead) AppendQuoted(m_json, UseKindName(u.kind));
    if (from) AppendQuoted(m_json, QualifiedName(u.from));
    if (file) AppendQuoted(m_json, m_shared->files[static_cast<size_t>(u.module)]);
    m_json += ']';
  }
  m_json += ']';
  RawArray("uses");
  Member("exposure", ExposureName(d.exposure));
}

// What a procedure calls: qualified names, once each, in first-call order.
template <class Writer>
void ExportWriter<Writer>::WriteCalls(int32_t decl) {
  if (decl < 0 || !IsProcedureKind(m_refs->decls[static_cast<size_t>(decl)].kind)) return;
  const auto d = static_cast<size_t>(decl);
  m_json.assign(1, '[');
  for (int32_t k = m_refs->callStart[d]; k < m_refs->callStart[d + 1]; ++k) {
    m_json += k == m_refs->callStart[d] ? "\"" : ",\"";
    m_json += QualifiedName(m_refs->callList[static_cast<size_t>(k)]);
    m_json += '"';
  }
  m_json += ']';
  RawArray("calls");
}

// A procedure's line labels and line numbers, in file order, with their uses.
template <class Writer>
void ExportWriter<Writer>::WriteLabels(int32_t decl) {
  if (decl < 0 || !IsProcedureKind(m_refs->decls[static_cast<size_t>(decl)].kind)) return;
  const auto& labels = m_shared->labels;
  auto it = std::lower_bound(labels.begin(), labels.end(), std::pair<int32_t, int32_t>(decl, -1));
  Key("labels");
  m_w.StartArray();
  for (; it != labels.end() && it->first == decl; ++it) {
    const CrossDeclaration& l = m_refs->decls[static_cast<size_t>(it->second)];
    m_w.StartObject();
    SourceMember("name", l.name);
    Number("line", l.line);
    Number("column", l.column);
    WriteUses(it->second);
    m_w.EndObject();
  }
  m_w.EndArray();
}

// A control's event handlers: the procedures whose name links them to it.
template <class Writer>
void ExportWriter<Writer>::WriteHandlers(int32_t decl) {
  const CrossReferences& refs = *m_refs;
  const auto c = static_cast<size_t>(refs.decls[static_cast<size_t>(decl)].canonical);
  Key("handlers");
  m_w.StartArray();
  for (int32_t k = refs.useStart[c]; k < refs.useStart[c + 1]; ++k) {
    const CrossUse& u = refs.uses[static_cast<size_t>(refs.useIndex[static_cast<size_t>(k)])];
    const CrossDeclaration& from = refs.decls[static_cast<size_t>(u.from)];
    if (from.pos == u.pos && from.module == u.module && from.handler) Source(from.name);
  }
  m_w.EndArray();
}

// The names the project does not declare, with their use counts.
template <class Writer>
void ExportWriter<Writer>::WriteExternal() {
  if (!m_refs) return;
  Key("external");
  m_w.StartArray();
  for (const auto& [name, count] : m_refs->external) {
    YieldPoint();
    m_w.StartObject();
    SourceMember("name", name);
    Number("count", count);
    m_w.EndObject();
  }
  m_w.EndArray();
}

ModulesAhead::ModulesAhead(const std::vector<ProjectModule>& in_modules, int in_nCodePage,
                           unsigned in_nHelpers, bool in_bDocComments, const ExportRefs* in_pRefs)
    : m_modules(in_modules),
      m_codePage(in_nCodePage),
      m_docComments(in_bDocComments),
      m_refs(in_pRefs),
      m_stopFlag(CurrentStopFlag()) {
  try {
    for (unsigned k = 0; k < in_nHelpers; ++k) m_threads.emplace_back([this] { Helper(); });
  } catch (...) {
    // No thread could be started: Take finds no helper and renders nothing; it reports that.
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_threads.empty()) m_error = std::current_exception();
  }
}

ModulesAhead::~ModulesAhead() {
  {
    std::lock_guard<std::mutex> guard(m_lock);
    m_abort = true;
  }
  m_changed.notify_all();
  for (std::thread& t : m_threads) t.join();
}

const std::string& ModulesAhead::Take(size_t i) {
  std::unique_lock<std::mutex> guard(m_lock);
  Slot& slot = m_slots[i % kWindow];
  m_changed.wait(guard, [&] { return slot.module == i || m_error; });
  if (slot.module != i) std::rethrow_exception(m_error);
  return slot.text;
}

void ModulesAhead::TakeDocWarnings(size_t i, std::vector<ExportDocWarning>& out) {
  std::lock_guard<std::mutex> guard(m_lock);
  Slot& slot = m_slots[i % kWindow];
  if (slot.module != i) return;
  for (auto& w : slot.docWarnings) out.push_back(std::move(w));
  slot.docWarnings.clear();
}

void ModulesAhead::Release(size_t i) {
  {
    std::lock_guard<std::mutex> guard(m_lock);
    m_slots[i % kWindow].module = SIZE_MAX;
    m_released = i + 1;
  }
  m_changed.notify_all();
}

void ModulesAhead::Helper() {
  try {
    // The run's stop request reaches the helper's yield points too.
    StopFlagScope scope(m_stopFlag);
    CodePageText cp;
    if (!cp.Open(m_codePage)) throw std::runtime_error("unknown code page");
    std::string text;
    TextOutput out(text);
    rapidjson::Writer<TextOutput> w(out);
    ExportWriter<rapidjson::Writer<TextOutput>> renderer(w, out, cp);
    renderer.SetDocComments(m_docComments);
    std::vector<ExportDocWarning> docWarnings;
    renderer.SetCrossReferences(m_refs);
    for (;;) {
      size_t i = 0;
      {
        std::unique_lock<std::mutex> guard(m_lock);
        m_changed.wait(guard, [&] {
          return m_abort || m_next >= m_modules.size() || m_next < m_released + kWindow;
        });
        if (m_abort || m_next >= m_modules.size()) return;
        i = m_next++;
      }
      out.Start();
      w.Reset(out);
      renderer.WriteModule(m_modules[i]);
      out.Finish();
      docWarnings.clear();
      renderer.TakeDocWarnings(docWarnings);
      {
        std::lock_guard<std::mutex> guard(m_lock);
        m_slots[i % kWindow].text.swap(text);
        m_slots[i % kWindow].docWarnings.swap(docWarnings);
        m_slots[i % kWindow].module = i;
      }
      m_changed.notify_all();
    }
  } catch (...) {
    // The writer's Take rethrows this, and the export fails with its reason.
    {
      std::lock_guard<std::mutex> guard(m_lock);
      if (!m_error) m_error = std::current_exception();
      m_abort = true;
    }
    m_changed.notify_all();
  }
}

// Helper threads that render modules ahead: one per processor, at most 8.
unsigned RenderHelpers() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : std::min(n, 8u);
}

template <class Writer>
int WriteWith(const clsVBInfo& info, const std::string& projectFile, CodePageText& cp,
              AtomicFile& file, bool docComments) {
  FileOutput out(file);
  Writer w(out);
  if constexpr (!std::is_same_v<Writer, rapidjson::Writer<FileOutput>>) w.SetIndent(' ', 2);
  // Pretty output is written in order by this thread: a module rendered apart would not carry
  // the indentation of its place.
  constexpr bool compact = std::is_same_v<Writer, rapidjson::Writer<FileOutput>>;
  ExportWriter<Writer> writer(w, out, cp);
  writer.SetDocComments(docComments);
  writer.Write(info, projectFile, compact ? RenderHelpers() : 0);
  out.Put('\n');
  out.Flush();
  return out.Error();
}

}  // namespace

namespace {

std::string ExportFailure(int in_nError) {
  return in_nError == AtomicFile::kStopped
             ? std::string("stopped")
             : std::string("export cannot be written: ") + std::strerror(in_nError);
}

}  // namespace

bool PendingProjectJson::Write(const clsVBInfo& in_oInfo, const std::string& in_sProjectFile,
                               const ExportOptions& in_oOptions, const std::string& in_sPath) {
  m_written = false;
  m_reason.clear();
  try {
    CodePageText cp;
    if (!cp.Open(in_oOptions.codePage)) {
      m_reason = "unknown code page " + std::to_string(in_oOptions.codePage);
      return false;
    }
    int err = m_file.Open(in_sPath);
    if (err == 0) {
      err = in_oOptions.pretty
                ? WriteWith<rapidjson::PrettyWriter<FileOutput>>(in_oInfo, in_sProjectFile, cp,
                                                                 m_file, in_oOptions.docComments)
                : WriteWith<rapidjson::Writer<FileOutput>>(in_oInfo, in_sProjectFile, cp, m_file,
                                                           in_oOptions.docComments);
    }
    // The wait for the disk is done here, on the writing thread; Commit only renames.
    if (err == 0) err = m_file.Finish();
    if (err == 0) {
      m_written = true;
      return true;
    }
    m_reason = ExportFailure(err);
  } catch (const RunStopped&) {
    m_reason = "stopped";  // the temporary file is removed below; an earlier export stays
  } catch (const std::exception& e) {
    // The caller gets false and this reason; an earlier export stays as it was.
    m_reason = std::string("export cannot be written: ") + e.what();
  } catch (...) {
    // The caller gets false and this reason; an earlier export stays as it was.
    m_reason = "export cannot be written";
  }
  m_file.Abandon();
  return false;
}

bool PendingProjectJson::Commit() {
  if (!m_written) {
    if (m_reason.empty()) m_reason = "export cannot be written";
    return false;
  }
  m_written = false;
  const int err = m_file.Commit();
  if (err == 0) return true;
  m_reason = ExportFailure(err);
  return false;
}

bool WriteProjectJson(const clsVBInfo& in_oInfo, const std::string& in_sProjectFile,
                      const ExportOptions& in_oOptions, const std::string& in_sPath,
                      std::string& out_sReason) {
  PendingProjectJson pending;
  const bool done =
      pending.Write(in_oInfo, in_sProjectFile, in_oOptions, in_sPath) && pending.Commit();
  out_sReason = done ? std::string() : pending.Reason();
  return done;
}

bool WriteRunProjectJson(const clsVBInfo& in_oInfo, const std::string& in_sProjectFile,
                         const ExportOptions& in_oOptions, std::string& out_sPath,
                         std::string& out_sReason) {
  out_sPath = JsonListingPath(in_oInfo.HtmlListing());
  out_sReason.clear();
  if (!in_oInfo.ReportWritten()) {
    out_sReason = "no export without a report";
    return false;
  }
  const std::string& reported = in_oInfo.Settings().reportedProjectFile;
  return WriteProjectJson(in_oInfo, reported.empty() ? in_sProjectFile : reported, in_oOptions,
                          out_sPath, out_sReason);
}

}  // namespace qs
