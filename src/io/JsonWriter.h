// The JSON writer of every output (the export, the analysis dump, the estate's estate.json):
// objects, arrays, keys, strings, integers, Booleans and null, written straight into an output,
// compact or indented by two spaces per level, with the commas, colons and line breaks RapidJSON's
// Writer and PrettyWriter put.
//
// An output has Put(char), Append(text) and AppendQuoted(text); JsonTextOutput below writes into a
// text in memory, the export has one over its temporary file. Values a caller composes itself (a
// list of uses, a module rendered ahead) are appended to the output after Before().
//
// Strings come in two escapes:
// - String: the text's bytes as they are, '"', '\' and U+0000-U+001F escaped (\u00XX in capitals);
//   for text known to be UTF-8 (the export's, converted through the code page);
// - StringUtf8 / String1252 (and AppendJsonEscaped): UTF-8 checked, each byte that starts no valid
//   sequence written as U+FFFD, and DEL and the C1 controls escaped too (\u00xx in small letters),
//   so that the file stays plain, printable text.
//
// Nesting is tracked on an explicit stack, so the depth of the written structure never turns into
// depth of the C++ call stack. A writer used out of order (a key outside an object, a value where a
// key is expected, an unbalanced end) does not throw; Ok() answers false once the document ends.
#pragma once

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "text/Cp1252.h"

namespace qs {

/// Appends the UTF-8 text as the contents of a JSON string (without the quotes): '"', '\' and the
/// control characters U+0000-U+001F, U+007F and U+0080-U+009F are escaped; invalid UTF-8 becomes
/// U+FFFD.
void AppendJsonEscaped(std::string& io_sOut, std::string_view in_sUtf8);

/// Copies the bytes to out. Names and words are short: up to 16 bytes are moved in two
/// overlapping pieces of fixed size instead of a call.
[[gnu::always_inline]] inline void CopyJsonBytes(char* out, std::string_view in_sBytes) {
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

/// A writer's output in memory: the text at the start of a buffer that only grows (its length is
/// the room; the bytes past the text are left as they are, so a buffer reused costs no fill).
class JsonTextOutput {
 public:
  explicit JsonTextOutput(std::string& io_sBuffer) : m_text(io_sBuffer) { Start(); }
  /// Starts the text again at the buffer's start (the buffer may have been swapped for another).
  void Start() {
    m_used = 0;
    m_data = m_text.data();
    m_room = m_text.size();
  }
  /// The length of the text written since Start.
  size_t Used() const { return m_used; }
  /// Cuts the buffer to the text written, which it then holds alone.
  void Finish() { m_text.resize(m_used); }
  [[gnu::always_inline]] void Put(char c) {
    if (m_used == m_room) Grow(1);
    m_data[m_used++] = c;
  }
  void Flush() {}
  void Append(std::string_view in_sText) {
    if (m_room - m_used < in_sText.size()) Grow(in_sText.size());
    CopyJsonBytes(m_data + m_used, in_sText);
    m_used += in_sText.size();
  }
  void AppendQuoted(std::string_view in_sText) {
    if (m_room - m_used < in_sText.size() + 2) Grow(in_sText.size() + 2);
    char* const p = m_data + m_used;
    p[0] = '"';
    CopyJsonBytes(p + 1, in_sText);
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

template <class OutputType, bool kIndented>
class JsonWriter {
 public:
  using Output = OutputType;
  explicit JsonWriter(Output& io_oOut) : m_out(&io_oOut) {}
  /// Starts a new document on the output.
  void Reset(Output& io_oOut) {
    m_out = &io_oOut;
    m_levels.clear();
    m_outermost = 0;
    m_failed = false;
  }
  /// True while every call came in a valid order and exactly one outermost value is complete.
  bool Ok() const { return !m_failed && m_levels.empty() && m_outermost == 1; }

  /// Writes what precedes the next key or value: a comma or colon, in indented output a line
  /// break and indentation.
  void Before() {
    if (m_levels.empty()) {
      ++m_outermost;
      return;
    }
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
  void EndObject() { End('}', false); }
  void EndArray() { End(']', true); }
  /// The name of the next member of the current object, escaped as String does.
  void Key(std::string_view in_sName) {
    if (m_levels.empty() || m_levels.back().inArray || m_levels.back().count % 2 != 0)
      m_failed = true;
    String(in_sName);
  }
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
  /// A string value given as UTF-8 text, escaped as AppendJsonEscaped does.
  void StringUtf8(std::string_view in_sText) {
    m_escaped.clear();
    AppendJsonEscaped(m_escaped, in_sText);
    Before();
    m_out->AppendQuoted(m_escaped);
  }
  /// A string value given as code page 1252 bytes: converted to UTF-8, then as StringUtf8.
  void String1252(std::string_view in_sBytes);
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
  void Null() {
    Before();
    m_out->Append("null");
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
  void End(char c, bool inArray) {
    // An end with nothing open, of the other kind, or right after a key is written all the same;
    // the document is then not Ok.
    if (m_levels.empty()) {
      m_failed = true;
      m_out->Put(c);
      return;
    }
    const Level level = m_levels.back();
    if (level.inArray != inArray || (!inArray && level.count % 2 != 0)) m_failed = true;
    m_levels.pop_back();
    if constexpr (kIndented) {
      if (level.count != 0) NewLine(m_levels.size());
    }
    m_out->Put(c);
  }
  void NewLine(size_t depth) {
    m_out->Put('\n');
    for (size_t k = 0; k < 2 * depth; ++k) m_out->Put(' ');
  }

  Output* m_out;
  std::vector<Level> m_levels;
  size_t m_outermost = 0;  ///< outermost values begun
  bool m_failed = false;
  std::string m_escaped;  ///< StringUtf8's text, escaped (reused)
  std::string m_utf8;     ///< String1252's text as UTF-8 (reused)
};

template <class OutputType, bool kIndented>
void JsonWriter<OutputType, kIndented>::String1252(std::string_view in_sBytes) {
  m_utf8.clear();
  AppendCp1252ToUtf8(m_utf8, in_sBytes);
  StringUtf8(m_utf8);
}

}  // namespace qs
