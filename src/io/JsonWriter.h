// A small streaming JSON writer: objects, arrays, strings, integers, Booleans and null, written
// into one UTF-8 text with two-space indentation.
//
// Nesting is tracked on an explicit stack, so the depth of the written structure never turns into
// depth of the C++ call stack. A writer used out of order (a value where a key is expected, an
// unbalanced end) does not throw; it marks itself failed and Ok() answers false.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

class JsonWriter {
 public:
  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();

  /// The name of the next member of the current object (UTF-8 text).
  void Key(std::string_view in_sName);

  /// A string value given as code page 1252 bytes: converted to UTF-8, then escaped.
  void String1252(std::string_view in_sBytes);
  /// A string value given as UTF-8 text; a byte sequence that is not valid UTF-8 becomes U+FFFD.
  void StringUtf8(std::string_view in_sText);
  void Number(int64_t in_lValue);
  void Bool(bool in_bValue);
  void Null();

  /// The text written so far, followed by a line end once the outermost value is complete.
  const std::string& Text() const { return m_text; }
  /// True while every call came in a valid order and the outermost value is complete.
  bool Ok() const { return m_ok && m_stack.empty() && m_done; }

  /// Appends the UTF-8 text as the contents of a JSON string (without the quotes): '"', '\' and
  /// the control characters U+0000-U+001F, U+007F and U+0080-U+009F are escaped; invalid UTF-8
  /// becomes U+FFFD.
  static void AppendEscaped(std::string& io_sOut, std::string_view in_sUtf8);

 private:
  struct Frame {
    bool isObject;
    bool keyPending;  ///< objects: a key was written, its value has not
    long count;       ///< members or elements written so far
  };
  // Writes what must precede a value here (comma, line break, indentation); false when a value
  // is not allowed at this point.
  bool BeforeValue();
  void AfterValue();
  void NewLine(size_t depth);
  void End(bool isObject);

  std::string m_text;
  std::vector<Frame> m_stack;
  bool m_ok = true;
  bool m_done = false;
};

}  // namespace qs
