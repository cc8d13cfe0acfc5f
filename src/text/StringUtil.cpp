#include "text/StringUtil.h"

namespace qs {

std::string FirstField(std::string_view in_sText, std::string_view in_sDelimiter) {
  if (in_sText.empty() || in_sDelimiter.empty()) return std::string(in_sText);
  return std::string(in_sText.substr(0, in_sText.find(in_sDelimiter)));
}

std::string WithoutQuotes(std::string_view in_sText) {
  std::string out;
  out.reserve(in_sText.size());
  for (char c : in_sText) {
    if (c != '"') out.push_back(c);
  }
  return out;
}

void SplitPath(std::string_view in_sPath, std::string& out_sFolder, std::string& out_sFile,
               std::string& out_sBody, std::string& out_sExt, char in_cSeparator) {
  out_sFolder.clear();
  out_sFile.clear();
  out_sBody.clear();
  out_sExt.clear();

  // The folder is everything up to and including the last separator: every part but the last,
  // each followed by the separator.
  const size_t lastSep = in_sPath.rfind(in_cSeparator);
  std::string_view file = in_sPath;
  if (lastSep != std::string_view::npos) {
    out_sFolder.assign(in_sPath.substr(0, lastSep + 1));
    file = in_sPath.substr(lastSep + 1);
  }
  out_sFile.assign(file);

  // Body: the first "."-piece; extension: the second piece, when there is one.
  const size_t firstDot = file.find('.');
  if (firstDot == std::string_view::npos) {
    out_sBody.assign(file);
    return;
  }
  out_sBody.assign(file.substr(0, firstDot));
  const std::string_view rest = file.substr(firstDot + 1);
  out_sExt.assign(rest.substr(0, rest.find('.')));
}

}  // namespace qs
