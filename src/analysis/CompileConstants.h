// The conditional compilation constants of a project and the evaluation of the conditions of its
// #If and #ElseIf lines, as the Visual Basic compiler reads them: constants from the project
// file's CondComp line, from --define and from a module's #Const lines; Win32 is True and Win16
// False; any other name is Empty (False). Values are numbers (True is -1) or strings; the
// operators are Not And Or Xor Eqv Imp, the comparisons, + - * / \ Mod ^ & and unary minus, with
// Visual Basic's precedence. Code-page bytes in, no exceptions out, recursion bounded.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qs {

class CompileConstants {
 public:
  struct Value {
    enum class Kind : uint8_t { kEmpty, kNumber, kString };
    Kind kind = Kind::kEmpty;
    double number = 0;
    std::string text;
  };

  /// Sets (or replaces) the constant to the value of the expression, which may use the constants
  /// set so far. False, and nothing set, when the expression cannot be evaluated.
  bool Define(std::string_view in_sName, std::string_view in_sExpression);
  /// Reads "NAME = expr : OTHER = expr" (a project file's CondComp value, its quotes removed):
  /// each definition that can be read is set; false when one could not be (the others stand).
  bool DefineAll(std::string_view in_sList);
  /// The value of the expression; false when it cannot be evaluated (a syntax error, a function
  /// call, a division by zero, a string where a number is needed, nesting too deep).
  bool Evaluate(std::string_view in_sExpression, Value& out_oValue) const;
  /// Whether a condition holds (its value is not zero); false when it cannot be evaluated.
  bool Condition(std::string_view in_sExpression, bool& out_bTrue) const;
  /// The value of a constant; Empty for a name no one set (Win32 and Win16 are predefined).
  Value Lookup(std::string_view in_sName) const;

  /// Whether the text is a name a constant may have (a letter, then letters, digits or "_").
  static bool IsName(std::string_view in_sName);

 private:
  std::vector<std::pair<std::string, Value>> m_values;  // upper-cased names, in order of setting
};

}  // namespace qs
