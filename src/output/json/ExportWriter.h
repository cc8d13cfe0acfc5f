// The export's writer, shared by the files that write its parts (internal to output/json):
// ExportWriter writes the project, its modules with their controls and declarations, and the
// declarations' uses and doc comments through the one JSON writer (io/JsonWriter.h) onto the
// export's file, or onto a module's own text when the module is rendered ahead (ModulesAhead).
//
// ExportWriter's members are defined in ProjectExport.cpp (the document around the modules and
// the project), ExportModules.cpp (modules and controls), ExportDeclarations.cpp (declarations,
// their parameters, members and locals), ExportUses.cpp (uses and cross references) and
// ExportDocs.cpp (doc comments); each instantiates for the writers at the end of this file the
// members that the others call. ModulesAhead is ExportAhead.cpp's.
#pragma once

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "analysis/ProjectContents.h"
#include "analysis/ProjectDocs.h"
#include "analysis/SourcePlaces.h"
#include "io/AtomicFile.h"
#include "io/CodePage.h"
#include "io/JsonWriter.h"
#include "model/ClsEntryPtr.h"
#include "model/CrossReferences.h"
#include "model/DocComment.h"
#include "model/clsVBFileType.h"
#include "model/clsVBHeader.h"
#include "text/Parallel.h"
#include "text/clsTokenStream.h"

namespace qs {

class ProjectAnalysis;

namespace exportjson {

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
inline constexpr std::array<bool, 256> kPlainUtf8 = [] {
  std::array<bool, 256> plain{};
  for (size_t b = 0x20; b < 256; ++b) plain[b] = b != '"' && b != '\\';
  return plain;
}();

// The bytes of the code page's text that go into a JSON string unconverted: printable ASCII
// other than '"' and '\\', when the code page turns each of them, alone and all in a row, into
// the same character; none otherwise (a code page whose ASCII part differs, or that shifts on
// one of them, is always converted).
std::array<bool, 256> PlainBytesOf(CodePageText& cp);

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

// Writes "text" at out and returns the end (the text needs no escape).
inline char* PutQuoted(char* out, std::string_view in_sText) {
  *out++ = '"';
  CopyJsonBytes(out, in_sText);
  out += in_sText.size();
  *out++ = '"';
  return out;
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
  std::array<std::string_view, kExposureCount> exposureNames;
  /// The qualified names of the modules and procedures (those uses come from and calls go to),
  /// escaped: declaration d's is names[nameStart[d] .. nameStart[d + 1]), empty for the others.
  std::string names;
  std::vector<uint32_t> nameStart;
  /// The index in CrossReferences::modules of each module's item.
  std::unordered_map<const clsVBFileType*, int32_t> moduleOf;
  /// (event, handler) of CrossReferences::eventHandlers, sorted by event (handlers in file order).
  std::vector<std::pair<int32_t, int32_t>> eventHandlers;

  void Build(const CrossReferences& in_refs, CodePageText& cp);
};

// Appends the qualified name of a declaration ("Module.Procedure", "Module") to out as the
// contents of a JSON string (CrossReferences::QualifiedName through the code page, escaped);
// raw and text are reused buffers.
void AppendQualifiedName(const CrossReferences& refs, int32_t decl, CodePageText& cp,
                         std::string& raw, std::string& text, std::string& out);

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
  /// The doc comments written, with their warnings (null, the default: none).
  void SetDocs(const ProjectDocs* in_pDocs) { m_docs = in_pDocs; }
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
  void WriteDoc(const ProjectDocs::Comment& doc);
  void WriteDocWarnings(const std::vector<ProjectModule>& modules);
  // Cross references (written only when the run computed them).
  void WriteUses(int32_t decl);
  void WriteCalls(int32_t decl);
  void WriteLabels(int32_t decl);
  void WriteHandlers(int32_t decl);
  /// An event's handlers: their qualified names.
  void WriteEventHandlers(int32_t decl);
  /// The member key with the qualified names of the declarations declAt(k) gives for k in
  /// [first, end), composed in one piece (RawArray).
  template <class DeclAt>
  void QualifiedNameArray(std::string_view key, size_t first, size_t end, DeclAt&& declAt);
  /// What the module implements and, for an interface, which classes implement it.
  void WriteImplementations(const clsVBFileType& item);
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
  const ProjectDocs* m_docs = nullptr;
  std::unordered_set<std::string_view> m_paramNames;  ///< the doc's parameters written so far
  std::vector<ControlNode> m_controls;
};

// Modules rendered ahead on helper threads, each into a text of its own, at most kWindow modules
// ahead of the one being written: memory holds a few modules' texts, never the document. The
// helpers are threads of the run (text/Parallel.h): they take from its budget and stop with it.
class ModulesAhead {
 public:
  /// Starts up to in_nHelpers helpers, as many as the run's budget allows.
  ModulesAhead(const std::vector<ProjectModule>& in_modules, int in_nCodePage, unsigned in_nHelpers,
               const ProjectDocs* in_pDocs, const ExportRefs* in_pRefs);
  /// Stops the helpers and waits for them.
  ~ModulesAhead();
  ModulesAhead(const ModulesAhead&) = delete;
  ModulesAhead& operator=(const ModulesAhead&) = delete;

  /// The text of module i, once rendered; modules are taken in order, each released after use.
  /// Throws what a helper threw (RunStopped when the run was asked to stop).
  std::string_view Take(size_t i);
  void Release(size_t i);
  /// The helpers started; with none, nothing is rendered ahead and the writer renders every
  /// module itself.
  size_t Helpers() const { return m_helpers.Threads(); }

 private:
  static constexpr size_t kWindow = 16;
  struct Slot {
    std::string text;  ///< the module's text at its start (JsonTextOutput's buffer)
    size_t length = 0;
    size_t module = SIZE_MAX;  ///< the module whose text is ready here
  };
  void Helper();
  // Tells the helpers to end once their module is rendered.
  void Abort();

  const std::vector<ProjectModule>& m_modules;
  const int m_codePage;
  const ProjectDocs* m_docs;
  const ExportRefs* m_refs;
  std::mutex m_lock;
  std::condition_variable m_changed;
  size_t m_next = 0;      ///< the next module a helper takes
  size_t m_released = 0;  ///< modules before this one are written
  bool m_abort = false;
  std::exception_ptr m_error;
  Slot m_slots[kWindow];
  WorkerGroup m_helpers;  ///< last: joined first, while the lock and slots are still there
};

/// The writers of the export: the file's, compact or indented, and that of a module rendered ahead.
using CompactFileWriter = JsonWriter<FileOutput, false>;
using IndentedFileWriter = JsonWriter<FileOutput, true>;
using ModuleTextWriter = JsonWriter<JsonTextOutput, false>;

}  // namespace exportjson
}  // namespace qs
