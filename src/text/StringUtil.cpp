#include "text/StringUtil.h"

namespace qs {

std::string FirstField(std::string_view in_sText, std::string_view in_sDelimiter) {
  try {
    if (in_sText.empty() || in_sDelimiter.empty()) return std::string(in_sText);
    return std::string(in_sText.substr(0, in_sText.find(in_sDelimiter)));
  } catch (...) {
    return std::string();
  }
}

}  // namespace qs
