#include "output/json/ProjectExport.h"

#include <algorithm>
#include <array>
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

#include "analysis/ModuleDocs.h"
#include "analysis/ProjectAnalysis.h"
#include "analysis/ProjectContents.h"
#include "analysis/SourcePlaces.h"
#include "io/AtomicFile.h"
#include "io/CodePage.h"
#include "io/JsonWriter.h"
#include "io/ProgramInfo.h"
#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"
#include "model/ClsSymEntry.h"
#include "model/CrossReferences.h"
#include "model/DocComment.h"
#include "model/clsSymTable.h"
#include "model/clsVBFileType.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "output/json/AnalysisDump.h"
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
  explicit FileOutput(AtomicFile& io_oFile) : m_file(io_oFile) {}

  [[gnu::always_inline]] void Put(char c) {
    if (m_used == sizeof m_buffer) Drain();
    m_buffer[m_used++] = c;
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
  /// Appends the text between double quotes (text that needs no escape).
  void AppendQuoted(std::string_view in_sText) {
    Put('"');
    Append(in_sText);
    Put('"');
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
  int m_error = 0;
  uint64_t m_written = 0;
  uint64_t m_writebackStart = 0;
};

// The bytes a JSON string holds as they are: all but the control characters U+0000-U+001F, '"'
// and '\\' (the writer escapes just those).
constexpr std::array<bool, 256> kPlainUtf8 = [] {
  std::array<bool, 256> plain{};
  for (size_t b = 0x20; b < 256; ++b) plain[b] = b != '"' && b != '\\';
  return plain;
}();

// The bytes of the code page's text that go into a JSON string unconverted: printable ASCII
// other than '"' and '\\', when the code page turns each of them, alone and all in a row, into
// the same character; none otherwise (a code page whose ASCII part differs, or that shifts on
// one of them, is always converted).
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

// Whether every byte of the text is plain by the table.
inline bool IsPlain(const bool* in_aPlain, std::string_view in_sText) {
  for (const char c : in_sText) {
    if (!in_aPlain[static_cast<unsigned char>(c)]) return false;
  }
  return true;
}

// A text composed through a pointer in a buffer that only grows: room is made before each piece,
// and the bytes written there are kept up to the end given back.
class ComposedText {
 public:
  void Clear() { m_used = 0; }
  /// At least in_nBytes of room after the text.
  char* Room(size_t in_nBytes) {
    if (m_buffer.size() - m_used < in_nBytes) Grow(in_nBytes);
    return m_buffer.data() + m_used;
  }
  /// Keeps what was written up to in_pEnd (a pointer into the last room made).
  void Keep(const char* in_pEnd) { m_used = static_cast<size_t>(in_pEnd - m_buffer.data()); }
  std::string_view View() const { return std::string_view(m_buffer.data(), m_used); }

 private:
  [[gnu::noinline]] void Grow(size_t in_nBytes) {
    m_buffer.resize(std::max(2 * m_buffer.size(), m_used + in_nBytes + 256));
  }

  std::string m_buffer;
  size_t m_used = 0;
};

// Writes the number's decimal digits at out (room for 11 bytes) and returns the end. Lines and
// columns are small and never negative: up to four digits are written two at a time.
inline char* PutNumber(char* out, int32_t in_lValue) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  if (in_lValue < 0 || in_lValue >= 10000) return std::to_chars(out, out + 11, in_lValue).ptr;
  const auto v = static_cast<uint32_t>(in_lValue);
  if (v < 10) {
    *out = static_cast<char>('0' + v);
    return out + 1;
  }
  if (v < 100) {
    std::memcpy(out, kPairs + 2 * v, 2);
    return out + 2;
  }
  if (v < 1000) {
    *out = static_cast<char>('0' + v / 100);
    std::memcpy(out + 1, kPairs + 2 * (v % 100), 2);
    return out + 3;
  }
  std::memcpy(out, kPairs + 2 * (v / 100), 2);
  std::memcpy(out + 2, kPairs + 2 * (v % 100), 2);
  return out + 4;
}

// Copies the bytes to out. Names and words are short: up to 16 bytes are moved in two
// overlapping pieces of fixed size instead of a call.
[[gnu::always_inline]] inline void CopyBytes(char* out, std::string_view in_sBytes) {
  const char* in = in_sBytes.data();
  const size_t n = in_sBytes.size();
  if (n >= 8 && n <= 16) {
    std::memcpy(out, in, 8);
    std::memcpy(out + n - 8, in + n - 8, 8);
  } else if (n >= 4 && n < 8) {
    std::memcpy(out, in, 4);
    std::memcpy(out + n - 4, in + n - 4, 4);
  } else if (n < 4) {
    for (size_t k = 0; k < n; ++k) out[k] = in[k];
  } else {
    std::memcpy(out, in, n);
  }
}

// Writes "text" at out and returns the end (the text needs no escape).
inline char* PutQuoted(char* out, std::string_view in_sText) {
  *out++ = '"';
  CopyBytes(out, in_sText);
  out += in_sText.size();
  *out++ = '"';
  return out;
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
  /// UseKindName of each use kind, ExposureName of each exposure.
  std::array<std::string_view, 4> kindNames;
  std::array<std::string_view, 4> exposureNames;
  /// The qualified names of the modules and procedures (those uses come from and calls go to),
  /// escaped: declaration d's is names[nameStart[d] .. nameStart[d + 1]), empty for the others.
  std::string names;
  std::vector<uint32_t> nameStart;
  /// The index in CrossReferences::modules of each module's item.
  std::unordered_map<const clsVBFileType*, int32_t> moduleOf;

  void Build(const CrossReferences& in_refs, CodePageText& cp);
};

// Appends the qualified name of a declaration ("Module.Procedure", "Module") to out as the
// contents of a JSON string (CrossReferences::QualifiedName through the code page, escaped);
// raw and text are reused buffers.
void AppendQualifiedName(const CrossReferences& refs, int32_t decl, CodePageText& cp,
                         std::string& raw, std::string& text, std::string& out) {
  const CrossDeclaration& d = refs.decls[static_cast<size_t>(decl)];
  raw.clear();
  if (d.kind != DeclKind::kModule) {
    raw.append(
        refs.decls[static_cast<size_t>(refs.modules[static_cast<size_t>(d.module)].decl)].name);
    raw += '.';
  }
  if (d.parent >= 0) {
    raw.append(refs.decls[static_cast<size_t>(d.parent)].name);
    raw += '.';
  }
  raw.append(d.name);
  text.clear();
  cp.Append(text, raw);
  JsonWriter::AppendEscaped(out, text);
}

void ExportRefs::Build(const CrossReferences& in_refs, CodePageText& cp) {
  refs = &in_refs;
  for (size_t k = 0; k < kindNames.size(); ++k) {
    kindNames[k] = UseKindName(static_cast<UseKind>(k));
    exposureNames[k] = ExposureName(static_cast<Exposure>(k));
  }
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
  nameStart.reserve(in_refs.decls.size() + 1);
  for (size_t d = 0; d < in_refs.decls.size(); ++d) {
    const DeclKind kind = in_refs.decls[d].kind;
    if (kind == DeclKind::kLabel && in_refs.decls[d].parent >= 0)
      labels.emplace_back(in_refs.decls[d].parent, static_cast<int32_t>(d));
    nameStart.push_back(static_cast<uint32_t>(names.size()));
    if (kind == DeclKind::kModule || IsProcedureKind(kind))
      AppendQualifiedName(in_refs, static_cast<int32_t>(d), cp, raw, text, names);
  }
  nameStart.push_back(static_cast<uint32_t>(names.size()));
  std::sort(labels.begin(), labels.end(), [&](const auto& a, const auto& b) {
    const int32_t pa = in_refs.decls[static_cast<size_t>(a.second)].pos;
    const int32_t pb = in_refs.decls[static_cast<size_t>(b.second)].pos;
    return a.first != b.first ? a.first < b.first : pa < pb;
  });
}

// The JSON writer of the export over its output (FileOutput, TextOutput): objects, arrays, keys,
// strings, integers and Booleans, compact or indented by two spaces per level, with the commas,
// colons and line breaks RapidJSON's Writer and PrettyWriter put. Values composed by the caller
// (plain strings, lists of uses) are appended to the output after Before().
template <class OutputType, bool kIndented>
class JsonText {
 public:
  using Output = OutputType;
  explicit JsonText(Output& io_oOut) : m_out(&io_oOut) {}
  /// Starts a new document on the output.
  void Reset(Output& io_oOut) {
    m_out = &io_oOut;
    m_levels.clear();
  }

  /// Writes what precedes the next key or value: a comma or colon, in indented output a line
  /// break and indentation.
  void Before() {
    if (m_levels.empty()) return;
    Level& level = m_levels.back();
    if constexpr (kIndented) {
      if (level.inArray) {
        if (level.count > 0) m_out->Put(',');
        NewLine(m_levels.size());
      } else if (level.count % 2 == 0) {
        if (level.count > 0) m_out->Put(',');
        NewLine(m_levels.size());
      } else {
        m_out->Put(':');
        m_out->Put(' ');
      }
    } else {
      if (level.count > 0) m_out->Put(level.inArray || level.count % 2 == 0 ? ',' : ':');
    }
    ++level.count;
  }
  void StartObject() { Start('{', false); }
  void StartArray() { Start('[', true); }
  void EndObject() { End('}'); }
  void EndArray() { End(']'); }
  /// A key or string value: '"', '\\' and the control characters U+0000-U+001F escaped.
  void String(std::string_view in_sText) {
    Before();
    m_out->Put('"');
    for (const char c : in_sText) {
      const auto b = static_cast<unsigned char>(c);
      if (b >= 0x20 && c != '"' && c != '\\') {
        m_out->Put(c);
        continue;
      }
      // The short forms of '"', '\\', backspace, tab, line feed, form feed and carriage return;
      // the other control characters as \u00XX.
      static constexpr std::string_view kFrom("\"\\\b\t\n\f\r", 7);
      static constexpr std::string_view kShort("\"\\btnfr", 7);
      m_out->Put('\\');
      const size_t k = kFrom.find(c);
      if (k != std::string_view::npos) {
        m_out->Put(kShort[k]);
      } else {
        m_out->Append("u00");
        m_out->Put("0123456789ABCDEF"[b >> 4]);
        m_out->Put("0123456789ABCDEF"[b & 0xF]);
      }
    }
    m_out->Put('"');
  }
  void Int64(int64_t in_lValue) {
    Before();
    char digits[24];
    m_out->Append(std::string_view(
        digits, static_cast<size_t>(std::to_chars(digits, digits + sizeof digits, in_lValue).ptr -
                                    digits)));
  }
  void Bool(bool in_bValue) {
    Before();
    m_out->Append(in_bValue ? "true" : "false");
  }

 private:
  struct Level {
    bool inArray;
    uint64_t count;  ///< keys and values written in it
  };
  void Start(char c, bool inArray) {
    Before();
    m_out->Put(c);
    m_levels.push_back(Level{inArray, 0});
  }
  void End(char c) {
    const bool empty = m_levels.back().count == 0;
    m_levels.pop_back();
    if constexpr (kIndented) {
      if (!empty) NewLine(m_levels.size());
    }
    m_out->Put(c);
  }
  void NewLine(size_t depth) {
    m_out->Put('\n');
    for (size_t k = 0; k < 2 * depth; ++k) m_out->Put(' ');
  }

  Output* m_out;
  std::vector<Level> m_levels;
};

template <class Writer>
class ExportWriter {
 public:
  using Output = typename Writer::Output;
  /// io_oOut: the output under the writer.
  ExportWriter(Writer& w, Output& io_oOut, CodePageText& cp)
      : m_w(w), m_cp(cp), m_out(io_oOut), m_plainBytes(PlainBytesOf(cp)) {}

  /// Writes the whole export. With in_nHelpers > 0 the modules are rendered ahead on that many
  /// helper threads and copied in as they come (compact output only).
  void Write(const ProjectAnalysis& info, const std::string& projectFile, unsigned in_nHelpers);
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
  // A key or string value that needs no escape and no conversion: the writer puts what
  // precedes it (a comma or colon, in indented output a line break) and the text is copied after
  // it between quotes in one piece.
  void Quoted(std::string_view text) {
    m_w.Before();
    m_out.AppendQuoted(text);
  }
  // A key of the format: a plain name.
  void Key(std::string_view k) { Quoted(k); }
  // A key taken from the project's files (UTF-8), escaped as it needs.
  void TextKey(std::string_view k) {
    if (IsPlain(kPlainUtf8.data(), k)) {
      Quoted(k);
    } else {
      m_w.String(k);
    }
  }
  void Utf8(std::string_view s) {
    if (IsPlain(kPlainUtf8.data(), s)) {
      Quoted(s);
    } else {
      m_w.String(s);
    }
  }
  // Bytes of the project's files, through the code page; printable ASCII the code page keeps
  // as it is goes out unconverted.
  void Source(std::string_view bytes) {
    if (IsPlain(m_plainBytes.data(), bytes)) {
      Quoted(bytes);
      return;
    }
    m_text.clear();
    m_cp.Append(m_text, bytes);
    Utf8(m_text);
  }
  void Member(std::string_view key, std::string_view utf8) {
    Key(key);
    Utf8(utf8);
  }
  void SourceMember(std::string_view key, std::string_view bytes) {
    if (bytes.empty()) return;
    Key(key);
    Source(bytes);
  }
  // A path from the project file: "\" separators become "/".
  void PathMember(std::string_view key, std::string_view bytes) {
    if (bytes.empty()) return;
    m_raw.assign(bytes);
    std::replace(m_raw.begin(), m_raw.end(), '\\', '/');
    Key(key);
    Source(m_raw);
  }
  // The member key with the array composed in m_json: the writer puts what precedes a value (a
  // comma, in indented output a line break) and the text is copied after it in one piece.
  void RawArray(std::string_view key) {
    Key(key);
    m_w.Before();
    m_out.Append(m_json.View());
  }
  void Number(std::string_view key, int64_t value) {
    Key(key);
    m_w.Int64(value);
  }
  // The value written after "=" behind the name at the position, when there is one.
  void ValueMember(std::string_view key, int32_t namePos) {
    m_raw.clear();
    if (m_stream && SourceText::AppendValue(*m_stream, namePos, m_raw)) SourceMember(key, m_raw);
  }
  void Place(int32_t pos) {
    const LineIndex::Place p = m_lines.PlaceOf(pos);
    if (p.line == 0) return;
    Number("line", p.line);
    Number("column", p.column);
  }

  void WriteProject(const ProjectAnalysis& info, const std::string& projectFile);
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
  std::string_view QualifiedName(int32_t decl);
  int32_t DeclOf(const void* record);

  const ExportRefs* m_shared = nullptr;
  const CrossReferences* m_refs = nullptr;
  size_t m_declOfHint = 0;  ///< where DeclOf found the last record in CrossReferences::declOf
  struct NameSlot {
    int32_t decl = -1;
    std::string text;
  };
  static constexpr size_t kNameSlots = 1024;
  std::vector<NameSlot> m_names = std::vector<NameSlot>(kNameSlots);  ///< QualifiedName's cache
  ComposedText m_json;  ///< a list composed as JSON text (reused)

  Writer& m_w;
  CodePageText& m_cp;
  Output& m_out;
  const std::array<bool, 256> m_plainBytes;  ///< PlainBytesOf the code page
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

// The writer's output when a module is rendered ahead: the text of one module, at the start of a
// buffer that only grows (its length is the room; the bytes past the text are left as they are).
class TextOutput {
 public:
  explicit TextOutput(std::string& io_sBuffer) : m_text(io_sBuffer) {}
  /// Starts the text again at the buffer's start (the buffer may have been swapped for another).
  void Start() {
    m_used = 0;
    m_data = m_text.data();
    m_room = m_text.size();
  }
  /// The length of the text written since Start.
  size_t Used() const { return m_used; }
  [[gnu::always_inline]] void Put(char c) {
    if (m_used == m_room) Grow(1);
    m_data[m_used++] = c;
  }
  void Flush() {}
  void Append(std::string_view in_sText) {
    if (m_room - m_used < in_sText.size()) Grow(in_sText.size());
    CopyBytes(m_data + m_used, in_sText);
    m_used += in_sText.size();
  }
  void AppendQuoted(std::string_view in_sText) {
    if (m_room - m_used < in_sText.size() + 2) Grow(in_sText.size() + 2);
    char* const p = m_data + m_used;
    p[0] = '"';
    CopyBytes(p + 1, in_sText);
    p[in_sText.size() + 1] = '"';
    m_used += in_sText.size() + 2;
  }

 private:
  [[gnu::noinline]] void Grow(size_t n) {
    m_text.resize(std::max(2 * m_text.size(), m_used + n + 4096));
    m_data = m_text.data();
    m_room = m_text.size();
  }

  std::string& m_text;
  char* m_data = nullptr;  ///< m_text's bytes
  size_t m_room = 0;       ///< m_text's length
  size_t m_used = 0;
};

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
  std::string_view Take(size_t i);
  /// The documentation warnings of module i (taken before it is released), moved to out.
  void TakeDocWarnings(size_t i, std::vector<ExportDocWarning>& out);
  void Release(size_t i);

 private:
  static constexpr size_t kWindow = 16;
  struct Slot {
    std::string text;  ///< the module's text at its start (TextOutput's buffer)
    size_t length = 0;
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
      TextKey(m_text);
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
        const int32_t decl = DeclOf(c.record);
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
        TextKey(m_text);
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
    const int32_t decl = DeclOf(&e);
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
      if (m_refs) WriteUses(DeclOf(p.get()));
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
      if (m_refs) WriteUses(DeclOf(m.get()));
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
    if (m_refs) WriteUses(DeclOf(l));
    m_w.EndObject();
  }
  // Then the implicit locals (no Option Explicit), each placed at its first use.
  const auto it =
      m_refs ? m_refs->implicitLocals.find(DeclOf(&e)) : decltype(m_refs->implicitLocals.end()){};
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

// The qualified name of a declaration as the contents of a JSON string: the one worked out ahead
// for modules and procedures, others kept in a small cache by declaration.
template <class Writer>
std::string_view ExportWriter<Writer>::QualifiedName(int32_t decl) {
  if (decl < 0 || static_cast<size_t>(decl) >= m_refs->decls.size()) return {};
  const auto d = static_cast<size_t>(decl);
  const uint32_t start = m_shared->nameStart[d];
  if (start != m_shared->nameStart[d + 1])
    return std::string_view(m_shared->names).substr(start, m_shared->nameStart[d + 1] - start);
  NameSlot& slot = m_names[d % kNameSlots];
  if (slot.decl != decl) {
    slot.decl = decl;
    slot.text.clear();
    AppendQualifiedName(*m_refs, decl, m_cp, m_raw, m_text, slot.text);
  }
  return slot.text;
}

// CrossReferences::DeclOf, searched from where the last record was found: the records of a
// module lie near each other in memory and are asked for mostly in address order, so the search
// steps forward 1, 2, 4, ... entries and then halves that range.
template <class Writer>
int32_t ExportWriter<Writer>::DeclOf(const void* record) {
  const auto& list = m_refs->declOf;
  const auto before = [](const std::pair<const void*, int32_t>& entry, const void* p) {
    return std::less<const void*>()(entry.first, p);
  };
  size_t first = 0;
  size_t last = list.size();
  if (m_declOfHint < list.size() && before(list[m_declOfHint], record)) {
    // The record lies after the last one found: past first, up to first + step.
    first = m_declOfHint;
    size_t step = 1;
    while (first + step < list.size() && before(list[first + step], record)) {
      first += step;
      step *= 2;
    }
    last = std::min(list.size(), first + step + 1);
  }
  const auto it =
      std::lower_bound(list.begin() + static_cast<std::ptrdiff_t>(first),
                       list.begin() + static_cast<std::ptrdiff_t>(last), record, before);
  if (it == list.end() || it->first != record) return -1;
  m_declOfHint = static_cast<size_t>(it - list.begin());
  return it->second;
}

namespace {

constexpr int32_t kUsesAhead = 8;

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
  // The longest use without its strings: [line,column] and the commas and quotes around three.
  constexpr size_t kUseRoom = 48;
  m_json.Clear();
  char* p = m_json.Room(1);
  *p++ = '[';
  m_json.Keep(p);
  const int32_t begin = refs.useStart[c];
  const int32_t end = refs.useStart[c + 1];
  for (int32_t k = begin; k < end; ++k) {
    YieldPoint();
    // A declaration's uses lie apart in the list of every use: the one a few steps ahead is
    // asked for now, so that the wait for memory overlaps the writing.
    if (k + kUsesAhead < end)
      __builtin_prefetch(refs.uses.Record(
          static_cast<size_t>(refs.useIndex[static_cast<size_t>(k + kUsesAhead)])));
    const CrossUse u = refs.uses[static_cast<size_t>(refs.useIndex[static_cast<size_t>(k)])];
    const bool file = u.module != d.module;
    const bool from = file || u.from != d.parent || d.parent < 0;
    const bool kind = from || u.kind != UseKind::kRead;
    const std::string_view kindName =
        kind ? m_shared->kindNames[static_cast<size_t>(u.kind) & 3] : std::string_view();
    const std::string_view fromName = from ? QualifiedName(u.from) : "";
    const std::string_view fileName =
        file ? std::string_view(m_shared->files[static_cast<size_t>(u.module)]) : "";
    p = m_json.Room(kUseRoom + kindName.size() + fromName.size() + fileName.size());
    if (k > begin) *p++ = ',';
    *p++ = '[';
    p = PutNumber(p, u.line);
    *p++ = ',';
    p = PutNumber(p, u.column);
    if (kind) {
      *p++ = ',';
      p = PutQuoted(p, kindName);
    }
    if (from) {
      *p++ = ',';
      p = PutQuoted(p, fromName);
    }
    if (file) {
      *p++ = ',';
      p = PutQuoted(p, fileName);
    }
    *p++ = ']';
    m_json.Keep(p);
  }
  p = m_json.Room(1);
  *p++ = ']';
  m_json.Keep(p);
  RawArray("uses");
  Member("exposure", m_shared->exposureNames[static_cast<size_t>(d.exposure) & 3]);
}

// What a procedure calls: qualified names, once each, in first-call order.
template <class Writer>
void ExportWriter<Writer>::WriteCalls(int32_t decl) {
  if (decl < 0 || !IsProcedureKind(m_refs->decls[static_cast<size_t>(decl)].kind)) return;
  const auto d = static_cast<size_t>(decl);
  m_json.Clear();
  char* p = m_json.Room(1);
  *p++ = '[';
  m_json.Keep(p);
  for (int32_t k = m_refs->callStart[d]; k < m_refs->callStart[d + 1]; ++k) {
    const std::string_view name = QualifiedName(m_refs->callList[static_cast<size_t>(k)]);
    p = m_json.Room(name.size() + 3);
    if (k > m_refs->callStart[d]) *p++ = ',';
    p = PutQuoted(p, name);
    m_json.Keep(p);
  }
  p = m_json.Room(1);
  *p++ = ']';
  m_json.Keep(p);
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

std::string_view ModulesAhead::Take(size_t i) {
  std::unique_lock<std::mutex> guard(m_lock);
  Slot& slot = m_slots[i % kWindow];
  m_changed.wait(guard, [&] { return slot.module == i || m_error; });
  if (slot.module != i) std::rethrow_exception(m_error);
  return std::string_view(slot.text.data(), slot.length);
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
    JsonText<TextOutput, false> w(out);
    ExportWriter<JsonText<TextOutput, false>> renderer(w, out, cp);
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
      docWarnings.clear();
      renderer.TakeDocWarnings(docWarnings);
      {
        std::lock_guard<std::mutex> guard(m_lock);
        m_slots[i % kWindow].text.swap(text);
        m_slots[i % kWindow].length = out.Used();
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

template <bool kIndented>
int WriteWith(const ProjectAnalysis& info, const std::string& projectFile, CodePageText& cp,
              AtomicFile& file, bool docComments) {
  FileOutput out(file);
  JsonText<FileOutput, kIndented> w(out);
  ExportWriter<JsonText<FileOutput, kIndented>> writer(w, out, cp);
  writer.SetDocComments(docComments);
  // Indented output is written in order by this thread: a module rendered apart would not carry
  // the indentation of its place.
  writer.Write(info, projectFile, kIndented ? 0 : RenderHelpers());
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

bool PendingProjectJson::Write(const ProjectAnalysis& in_oInfo, const std::string& in_sProjectFile,
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
                ? WriteWith<true>(in_oInfo, in_sProjectFile, cp, m_file, in_oOptions.docComments)
                : WriteWith<false>(in_oInfo, in_sProjectFile, cp, m_file, in_oOptions.docComments);
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
