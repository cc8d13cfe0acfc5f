// How the bytes of a project's files become UTF-8: the code page of the machine that wrote them
// (1252 in the West, 1250, 1251, 932, 936 and others elsewhere).
#pragma once

#include <string>
#include <string_view>

namespace qs {

class CodePageText {
 public:
  /// The code page the run assumes when none is given.
  static constexpr int kDefault = 1252;

  CodePageText() = default;
  ~CodePageText();
  CodePageText(const CodePageText&) = delete;
  CodePageText& operator=(const CodePageText&) = delete;

  /// Prepares the conversion from code page in_nCodePage (1252 by its own table, any other
  /// through the system's converter: iconv, on Windows the system's own code pages). False, with
  /// nothing changed, for a code page the system does not know.
  bool Open(int in_nCodePage);
  int CodePage() const { return m_codePage; }

  /// Appends the bytes to out as UTF-8. A byte that does not begin a valid character of the code
  /// page becomes U+FFFD, one per byte, so nothing is dropped without a mark.
  void Append(std::string& out, std::string_view in_sBytes);

  /// Appends UTF-8 text (a name as a user types it) to out in the code page, so it compares with
  /// the project's bytes. False, with out unchanged, when the text is not valid UTF-8 or holds a
  /// character the code page lacks.
  bool FromUtf8(std::string& out, std::string_view in_sUtf8) const;

  /// True when the system converts from the code page (1252 always).
  static bool IsKnown(int in_nCodePage);

 private:
  int m_codePage = kDefault;
  void* m_iconv = nullptr;  ///< iconv's converter; null for 1252 and on Windows
};

}  // namespace qs
