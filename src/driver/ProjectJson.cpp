#include "driver/ProjectJson.h"

#include <rapidjson/prettywriter.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <atomic>
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
#include "driver/ProgramInfo.h"
#include "driver/SourcePlaces.h"
#include "driver/clsVBInfo.h"
#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"
#include "model/ClsSymEntry.h"
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

const char* ModuleKind(int32_t eType) {
  switch (eType) {
    case kItemForm:
      return "form";
    case kItemModule:
      return "module";
    case kItemClass:
      return "class";
    case kItemUserControl:
      return "userControl";
    case kItemPropertyPage:
      return "propertyPage";
    case kItemUserDocument:
      return "userDocument";
    default:
      return "designer";
  }
}

// A module's declaration with the word for its kind, for the merge into file order.
struct Declared {
  const ClsEntryPtr* entry;
  const char* kind;
  int32_t order;  ///< place in the lists, for declarations sharing a position
};

// A source module to export: its item and the table entry holding its declarations (null when
// another module of the same name holds them, or the file was not analysed).
struct ModuleToWrite {
  const clsVBFileType* item;
  const ClsSymEntry* entry;
};

// The properties the control records name that a control object may not take as its own.
bool IsReservedControlKey(std::string_view key) {
  return key == "name" || key == "type" || key == "parent" || key == "line" || key == "column";
}

template <class Writer>
class ExportWriter {
 public:
  /// in_pOut: the output under the writer, into which modules rendered ahead are copied (null
  /// when none are).
  ExportWriter(Writer& w, CodePageText& cp, FileOutput* in_pOut = nullptr)
      : m_w(w), m_cp(cp), m_out(in_pOut) {}

  /// Writes the whole export. With in_nHelpers > 0 the modules are rendered ahead on that many
  /// helper threads and copied in as they come (compact output only).
  void Write(const clsVBInfo& info, const std::string& projectFile, unsigned in_nHelpers);
  void WriteModule(const ModuleToWrite& m);

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
  void WriteDeclaration(const Declared& d);
  void WriteParameters(const ClsEntryPtr& e);
  void WriteMembers(const ClsEntryPtr& e);
  void WriteLocals(const ClsEntryPtr& e);

  Writer& m_w;
  CodePageText& m_cp;
  FileOutput* m_out;
  const clsTokenStream* m_stream = nullptr;  ///< the module being written
  LineIndex m_lines;
  std::string m_text;  ///< UTF-8 text of the current value (reused)
  std::string m_raw;   ///< source bytes of the current value (reused)
  std::vector<Declared> m_declared;
  std::vector<const ClsEntryPtr*> m_locals;
};

// The writer's output when a module is rendered ahead: the text of one module.
class TextOutput {
 public:
  using Ch = char;
  explicit TextOutput(std::string& io_sText) : m_text(io_sText) {}
  void Put(char c) { m_text.push_back(c); }
  void Flush() {}
  // Room for the longest form of a string, taken at once; the bytes are then stored unchecked.
  void Reserve(size_t n) {
    if (m_text.capacity() - m_text.size() < n) m_text.reserve(2 * m_text.capacity() + n);
  }
  void PutReserved(char c) { m_text.push_back(c); }

 private:
  std::string& m_text;
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
  ModulesAhead(const std::vector<ModuleToWrite>& in_modules, int in_nCodePage,
               unsigned in_nHelpers);
  /// Stops the helpers and waits for them.
  ~ModulesAhead();
  ModulesAhead(const ModulesAhead&) = delete;
  ModulesAhead& operator=(const ModulesAhead&) = delete;

  /// The text of module i, once rendered; modules are taken in order, each released after use.
  /// Throws what a helper threw (RunStopped when the run was asked to stop).
  const std::string& Take(size_t i);
  void Release(size_t i);

 private:
  static constexpr size_t kWindow = 16;
  struct Slot {
    std::string text;
    size_t module = SIZE_MAX;  ///< the module whose text is ready here
  };
  void Helper();

  const std::vector<ModuleToWrite>& m_modules;
  const int m_codePage;
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
  m_w.StartObject();
  Number("format", 2);
  Key("generator");
  m_w.StartObject();
  Member("name", "Quillscope");
  Member("version", ProgramVersion());
  m_w.EndObject();
  Number("codepage", m_cp.CodePage());
  WriteProject(info, projectFile);

  // Modules in the order the project file lists them; each table entry goes to the first module
  // (in the order the run analysed them) that bears its name, as the analysis put it there.
  std::vector<std::pair<int32_t, ModuleToWrite>> modules;
  std::unordered_set<const ClsSymEntry*> claimed;
  const clsSymTable* table = info.State().g_oSymTable.get();
  if (const auto& items = info.FileTypes()) {
    for (const auto& item : *items) {
      YieldPoint();
      if (!item || !IsSourceItemType(item->EType)) continue;
      const ClsSymEntry* entry = nullptr;
      if (const auto& header = item->VBHeader(); header && table) {
        entry = table->Item(std::string_view(header->sVBTableName)).get();
        if (entry && !claimed.insert(entry).second) entry = nullptr;
      }
      modules.push_back({item->vPtr ? item->vPtr->first : 0, {item.get(), entry}});
    }
  }
  std::stable_sort(modules.begin(), modules.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  Key("modules");
  m_w.StartArray();
  if (m_out && in_nHelpers > 0 && modules.size() > 1) {
    std::vector<ModuleToWrite> list;
    list.reserve(modules.size());
    for (const auto& m : modules) list.push_back(m.second);
    ModulesAhead ahead(list, m_cp.CodePage(), in_nHelpers);
    // The modules' texts go into the output as they are, comma-separated; the writer only opens
    // and closes the array around them.
    for (size_t i = 0; i < list.size(); ++i) {
      if (i > 0) m_out->Put(',');
      m_out->Append(ahead.Take(i));
      ahead.Release(i);
    }
  } else {
    for (const auto& m : modules) WriteModule(m.second);
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
void ExportWriter<Writer>::WriteModule(const ModuleToWrite& m) {
  YieldPoint();
  const clsVBFileType& item = *m.item;
  const clsVBHeader* header = item.VBHeader().get();
  m_stream = header ? header->TokenStream.get() : nullptr;
  m_lines.Reset(m_stream, header && header->LineEndsKept ? &header->LineEnds : nullptr);

  m_w.StartObject();
  SourceMember("name", header && !header->sVBTableName.empty()
                           ? std::string_view(header->sVBTableName)
                           : std::string_view(item.InternalName));
  Member("kind", ModuleKind(item.EType));
  if (!item.sDiskPath.empty()) {
    Member("file", item.sDiskPath);
  } else {
    PathMember("file", item.sFileValue);
  }
  Number("lines", m_lines.Lines());
  WriteControls(IsFormLikeItemType(item.EType) ? header : nullptr);

  Key("declarations");
  m_w.StartArray();
  if (m.entry) {
    m_declared.clear();
    const std::pair<const std::shared_ptr<ClsEntry>*, const char*> lists[] = {
        {&m.entry->EVar, "variable"},    {&m.entry->EConst, "constant"},
        {&m.entry->ESub, "sub"},         {&m.entry->EFunction, "function"},
        {&m.entry->EProperty, nullptr},  {&m.entry->EType, "type"},
        {&m.entry->EEnum, "enum"},       {&m.entry->EEvent, "event"},
        {&m.entry->EDeclare, "declare"},
    };
    for (const auto& [list, kind] : lists) {
      if (!*list) continue;
      for (const auto& e : **list) {
        if (!e) continue;
        const char* k = kind;
        if (!k) {
          k = e->eEntrytype == kEntryPropertyLet   ? "propertyLet"
              : e->eEntrytype == kEntryPropertySet ? "propertySet"
                                                   : "propertyGet";
        }
        m_declared.push_back({e.get(), k, 0});
      }
    }
    // By the name's position; the lists' own order where two share one. (std::sort takes no
    // buffer of its own, unlike a stable sort.)
    for (size_t i = 0; i < m_declared.size(); ++i) m_declared[i].order = static_cast<int32_t>(i);
    std::sort(m_declared.begin(), m_declared.end(), [](const Declared& a, const Declared& b) {
      return a.entry->lEntryptr != b.entry->lEntryptr ? a.entry->lEntryptr < b.entry->lEntryptr
                                                      : a.order < b.order;
    });
    for (const Declared& d : m_declared) WriteDeclaration(d);
  }
  m_w.EndArray();
  m_w.EndObject();
}

template <class Writer>
void ExportWriter<Writer>::WriteControls(const clsVBHeader* header) {
  Key("controls");
  m_w.StartArray();
  if (header && m_stream) {
    // The records in file order: controls (from Begin lines) and string properties ("+Name").
    struct Control {
      const clsControlRecord* record;
      int parent = -1;
      std::vector<const clsControlRecord*> properties;
    };
    std::vector<Control> controls;
    std::vector<int> stack;  // the open Begin blocks: a control's index, -1 for one not listed
    int propertyBlocks = 0;  // open BeginProperty blocks (their values belong to no control)
    const ClsUniqArray& records = header->Controls();
    long next = 1;
    // The records up to the position: each control is a child of the innermost listed control
    // open around it, each property belongs to the control whose block is innermost.
    const auto takeRecordsBefore = [&](int32_t pos, int32_t lineEnd, bool beginLine) {
      for (; next <= records.Count(); ++next) {
        const clsControlRecord* r = records.ItemAs<clsControlRecord>(next);
        if (!r) continue;
        if (r->lPtr >= (beginLine ? lineEnd : pos)) break;
        const bool isProperty = !r->sType.empty() && r->sType[0] == '+';
        const bool isControl = !r->sType.empty() && r->sType[0] != '+' && r->sType[0] != '_';
        if (isProperty) {
          if (propertyBlocks == 0 && !stack.empty() && stack.back() >= 0)
            controls[static_cast<size_t>(stack.back())].properties.push_back(r);
        } else if (isControl && beginLine && r->lPtr >= pos) {
          // The control this Begin line opens.
          int parent = -1;
          for (auto it = stack.rbegin(); it != stack.rend() && parent < 0; ++it) parent = *it;
          controls.push_back({r, parent, {}});
          stack.push_back(static_cast<int>(controls.size()) - 1);
          ++next;
          return true;
        } else if (isControl) {
          controls.push_back({r, -1, {}});
        }
      }
      return false;
    };
    const clsTokenStream& ts = *m_stream;
    const int32_t end = header->CodePtr > 0 ? std::min(header->CodePtr, ts.Count()) : ts.Count();
    bool lineStart = true;
    for (int32_t p = 0; p < end; ++p) {
      YieldPoint();
      const int32_t code = ts.TokenCodeAt(p);
      if (code == TokEndOfLine) {
        lineStart = true;
        continue;
      }
      if (!lineStart || code == TokWhiteSpace) continue;
      lineStart = false;
      const std::string_view word = ts.TokenStringAt(p);
      if (EqualsNoCase1252(word, "Begin")) {
        int32_t lineEnd = p;
        while (lineEnd < end && ts.TokenCodeAt(lineEnd) != TokEndOfLine) ++lineEnd;
        if (!takeRecordsBefore(p, lineEnd, true)) stack.push_back(-1);
      } else if (EqualsNoCase1252(word, "End")) {
        takeRecordsBefore(p, p, false);
        if (!stack.empty()) stack.pop_back();
      } else if (EqualsNoCase1252(word, "BeginProperty")) {
        takeRecordsBefore(p, p, false);
        ++propertyBlocks;
      } else if (EqualsNoCase1252(word, "EndProperty")) {
        takeRecordsBefore(p, p, false);
        if (propertyBlocks > 0) --propertyBlocks;
      }
    }
    takeRecordsBefore(INT32_MAX, INT32_MAX, false);

    std::vector<std::string> keys;
    for (const Control& c : controls) {
      YieldPoint();
      m_w.StartObject();
      SourceMember("name", c.record->sName);
      SourceMember("type", c.record->sType);
      if (c.parent >= 0)
        SourceMember("parent", controls[static_cast<size_t>(c.parent)].record->sName);
      Place(c.record->lPtr);
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
void ExportWriter<Writer>::WriteDeclaration(const Declared& d) {
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
  m_w.EndObject();
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
    m_w.EndObject();
  }
  m_w.EndArray();
}

ModulesAhead::ModulesAhead(const std::vector<ModuleToWrite>& in_modules, int in_nCodePage,
                           unsigned in_nHelpers)
    : m_modules(in_modules), m_codePage(in_nCodePage), m_stopFlag(CurrentStopFlag()) {
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
    ExportWriter<rapidjson::Writer<TextOutput>> renderer(w, cp);
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
      text.clear();
      w.Reset(out);
      renderer.WriteModule(m_modules[i]);
      {
        std::lock_guard<std::mutex> guard(m_lock);
        m_slots[i % kWindow].text.swap(text);
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
              AtomicFile& file) {
  FileOutput out(file);
  Writer w(out);
  if constexpr (!std::is_same_v<Writer, rapidjson::Writer<FileOutput>>) w.SetIndent(' ', 2);
  // Pretty output is written in order by this thread: a module rendered apart would not carry
  // the indentation of its place.
  constexpr bool compact = std::is_same_v<Writer, rapidjson::Writer<FileOutput>>;
  ExportWriter<Writer>(w, cp, &out).Write(info, projectFile, compact ? RenderHelpers() : 0);
  out.Put('\n');
  out.Flush();
  return out.Error();
}

}  // namespace

bool WriteProjectJson(const clsVBInfo& in_oInfo, const std::string& in_sProjectFile,
                      const ExportOptions& in_oOptions, const std::string& in_sPath,
                      std::string& out_sReason) {
  out_sReason.clear();
  try {
    CodePageText cp;
    if (!cp.Open(in_oOptions.codePage)) {
      out_sReason = "unknown code page " + std::to_string(in_oOptions.codePage);
      return false;
    }
    AtomicFile file;
    int err = file.Open(in_sPath);
    if (err == 0) {
      err =
          in_oOptions.pretty
              ? WriteWith<rapidjson::PrettyWriter<FileOutput>>(in_oInfo, in_sProjectFile, cp, file)
              : WriteWith<rapidjson::Writer<FileOutput>>(in_oInfo, in_sProjectFile, cp, file);
    }
    if (err == 0) err = file.Commit();
    if (err == 0) return true;
    out_sReason = err == AtomicFile::kStopped
                      ? std::string("stopped")
                      : std::string("export cannot be written: ") + std::strerror(err);
  } catch (const RunStopped&) {
    out_sReason = "stopped";  // the temporary file was removed; an earlier export stays
  } catch (const std::exception& e) {
    // The caller gets false and this reason; an earlier export stays as it was.
    out_sReason = std::string("export cannot be written: ") + e.what();
  } catch (...) {
    // The caller gets false and this reason; an earlier export stays as it was.
    out_sReason = "export cannot be written";
  }
  return false;
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
