// Small string operations shared by the parsers and the driver.
#pragma once

#include <string>
#include <string_view>

namespace qs {

/// The text before the first occurrence of in_sDelimiter (the whole text when it does not occur
/// or the delimiter is empty); "" for an empty text.
std::string FirstField(std::string_view in_sText, std::string_view in_sDelimiter);

/// A blank of a line: space or tab.
inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

/// The text without the blanks at its two ends.
inline std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

/// The text with every double quote removed.
std::string WithoutQuotes(std::string_view in_sText);

/// Splits a path into its folder (every component followed by the separator, "" when the path
/// has none), its file name (the last component), the body (file name up to its first ".") and
/// the extension (text between the first and the second ".", "" when there is no ".").
/// Project files write "\" between components, so that is the default separator; the driver
/// passes "/" for paths of the platform. C:\a\b.c.vbp gives C:\a\, b.c.vbp, b and c.
void SplitPath(std::string_view in_sPath, std::string& out_sFolder, std::string& out_sFile,
               std::string& out_sBody, std::string& out_sExt, char in_cSeparator = '\\');

}  // namespace qs
