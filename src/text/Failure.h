// The words for a failure the user hears of: what the exception says, and "out of memory" for a
// failed allocation (whose own text, "std::bad_alloc", says nothing to a user).
#pragma once

#include <exception>
#include <new>
#include <string>

namespace qs {

inline std::string FailureText(const std::exception& in_oError) {
  if (dynamic_cast<const std::bad_alloc*>(&in_oError) != nullptr) return "out of memory";
  return in_oError.what();
}

}  // namespace qs
