// Type-suffix characters: the type that %, &, !, #, @ or $ written after a name gives.
#pragma once

#include <cstdint>
#include <string_view>

namespace qs {

/// The type name a type-suffix character gives; "" for any other code.
inline std::string_view TypeNameOfSuffix(int32_t code) {
  switch (code) {
    case '%':
      return "Integer";
    case '&':
      return "Long";
    case '!':
      return "Single";
    case '#':
      return "Double";
    case '@':
      return "Currency";
    case '$':
      return "String";
    default:
      return {};
  }
}

}  // namespace qs
