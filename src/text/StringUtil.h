// Small string operations shared by the parsers.
#pragma once

#include <string>
#include <string_view>

namespace qs {

/// The text before the first occurrence of in_sDelimiter (the whole text when it does not occur
/// or the delimiter is empty); "" for an empty text.
std::string FirstField(std::string_view in_sText, std::string_view in_sDelimiter);

}  // namespace qs
