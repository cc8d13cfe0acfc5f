#include "analysis/CompileConstants.h"

#include <cmath>
#include <cstdio>

#include "text/Cp1252.h"

namespace qs {

namespace {

using Value = CompileConstants::Value;
using Kind = CompileConstants::Value::Kind;

// Nested parentheses, Not and unary minus deeper than this are not evaluated: a hostile line
// cannot exhaust the stack.
constexpr int kMaxDepth = 64;
// Numbers beyond this are no longer exact integers: bitwise operators refuse them.
constexpr double kLargestInteger = 9007199254740992.0;

enum class Tk : uint8_t { kEnd, kNumber, kString, kName, kOp, kError };

// Reads an expression's text and evaluates it by recursive descent, one level per precedence.
class Reader {
 public:
  Reader(std::string_view text, const CompileConstants& constants)
      : m_text(text), m_constants(constants) {
    Advance();
  }

  bool Whole(Value& out) {
    if (!Imp(out)) return false;
    return m_tk == Tk::kEnd;
  }

 private:
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  static bool IsNameChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return IsDigit(c) || c == '_' || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u >= 0xC0;
  }
  bool Word(std::string_view w) const { return m_tk == Tk::kName && EqualsNoCase1252(m_word, w); }
  bool Op(std::string_view o) const { return m_tk == Tk::kOp && m_word == o; }

  // A hexadecimal or octal literal (&H1F, &O17, &HFFFF& for a Long): without the "&" suffix,
  // four digits or fewer are an Integer and eight or fewer a Long, negative when the top bit is
  // set.
  void Radix(size_t& i, int base) {
    uint64_t v = 0;
    size_t digits = 0;
    for (; i < m_text.size(); ++i, ++digits) {
      const char c = m_text[i];
      int d = -1;
      if (IsDigit(c)) d = c - '0';
      if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
      if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
      if (d < 0 || d >= base) break;
      if (v > (uint64_t{1} << 40)) {
        m_tk = Tk::kError;
        return;
      }
      v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    }
    bool longSuffix = false;
    if (i < m_text.size() && (m_text[i] == '&' || m_text[i] == '%'))
      longSuffix = m_text[i++] == '&';
    if (digits == 0 || v > 0xFFFFFFFFull) {
      m_tk = Tk::kError;
      return;
    }
    int64_t n = static_cast<int64_t>(v);
    if (!longSuffix && v <= 0xFFFF && base == 16 && digits <= 4)
      n = static_cast<int16_t>(v);
    else
      n = static_cast<int32_t>(static_cast<uint32_t>(v));
    m_tk = Tk::kNumber;
    m_number = static_cast<double>(n);
  }

  void Advance() {
    size_t i = m_at;
    while (i < m_text.size() && (m_text[i] == ' ' || m_text[i] == '\t')) ++i;
    m_start = i;
    if (i >= m_text.size()) {
      m_tk = Tk::kEnd;
      m_at = i;
      return;
    }
    const char c = m_text[i];
    if (c == '&' && i + 1 < m_text.size() &&
        (m_text[i + 1] == 'H' || m_text[i + 1] == 'h' || m_text[i + 1] == 'O' ||
         m_text[i + 1] == 'o')) {
      i += 2;
      Radix(i, m_text[i - 1] == 'H' || m_text[i - 1] == 'h' ? 16 : 8);
    } else if (IsDigit(c) || (c == '.' && i + 1 < m_text.size() && IsDigit(m_text[i + 1]))) {
      const size_t from = i;
      while (i < m_text.size() && (IsDigit(m_text[i]) || m_text[i] == '.')) ++i;
      std::string digits(m_text.substr(from, i - from));
      char* end = nullptr;
      m_number = std::strtod(digits.c_str(), &end);
      m_tk = end == digits.c_str() + digits.size() ? Tk::kNumber : Tk::kError;
      // A type character may follow (1&, 2#).
      if (i < m_text.size() && (m_text[i] == '%' || m_text[i] == '&' || m_text[i] == '!' ||
                                m_text[i] == '#' || m_text[i] == '@'))
        ++i;
    } else if (c == '"') {
      m_string.clear();
      m_tk = Tk::kError;
      for (++i; i < m_text.size(); ++i) {
        if (m_text[i] != '"') {
          m_string += m_text[i];
        } else if (i + 1 < m_text.size() && m_text[i + 1] == '"') {
          m_string += '"';
          ++i;
        } else {
          ++i;
          m_tk = Tk::kString;
          break;
        }
      }
    } else if (IsNameChar(c)) {
      while (i < m_text.size() && IsNameChar(m_text[i])) ++i;
      // A type character ends a constant's name (Debug%): it names the same constant.
      m_word = m_text.substr(m_start, i - m_start);
      if (i < m_text.size() && (m_text[i] == '%' || m_text[i] == '&' || m_text[i] == '!' ||
                                m_text[i] == '#' || m_text[i] == '@' || m_text[i] == '$'))
        ++i;
      m_tk = Tk::kName;
    } else if ((c == '<' || c == '>') && i + 1 < m_text.size() &&
               (m_text[i + 1] == '=' || (c == '<' && m_text[i + 1] == '>'))) {
      m_tk = Tk::kOp;
      i += 2;
    } else if (std::string_view("=<>+-*/\\^&()").find(c) != std::string_view::npos) {
      m_tk = Tk::kOp;
      ++i;
    } else {
      m_tk = Tk::kError;
      ++i;
    }
    if (m_tk == Tk::kOp) m_word = m_text.substr(m_start, i - m_start);
    m_at = i;
  }

  static bool ToInteger(const Value& v, int64_t& out) {
    if (v.kind == Kind::kString) return false;
    const double n = std::nearbyint(v.number);
    if (!(std::fabs(n) < kLargestInteger)) return false;
    out = static_cast<int64_t>(n);
    return true;
  }
  static bool ToNumber(const Value& v, double& out) {
    if (v.kind == Kind::kString) return false;
    out = v.number;
    return true;
  }
  static void SetNumber(Value& v, double n) {
    v.kind = Kind::kNumber;
    v.number = n;
    v.text.clear();
  }
  static void SetBool(Value& v, bool b) { SetNumber(v, b ? -1 : 0); }

  // The logical (bitwise) operators, lowest first: Imp, Eqv, Xor, Or, And.
  bool Imp(Value& out) { return Logical(out, 0); }
  bool Logical(Value& out, int level) {
    static constexpr std::string_view kWords[] = {"Imp", "Eqv", "Xor", "Or", "And"};
    if (!(level < 4 ? Logical(out, level + 1) : NotLevel(out))) return false;
    while (Word(kWords[level])) {
      Advance();
      Value right;
      if (!(level < 4 ? Logical(right, level + 1) : NotLevel(right))) return false;
      int64_t a = 0;
      int64_t b = 0;
      if (!ToInteger(out, a) || !ToInteger(right, b)) return false;
      const int64_t r = level == 0   ? (~a | b)
                        : level == 1 ? ~(a ^ b)
                        : level == 2 ? (a ^ b)
                        : level == 3 ? (a | b)
                                     : (a & b);
      SetNumber(out, static_cast<double>(r));
    }
    return true;
  }
  bool NotLevel(Value& out) {
    if (!Word("Not")) return Comparison(out);
    if (++m_depth > kMaxDepth) return false;
    Advance();
    if (!NotLevel(out)) return false;
    --m_depth;
    int64_t a = 0;
    if (!ToInteger(out, a)) return false;
    SetNumber(out, static_cast<double>(~a));
    return true;
  }
  bool Comparison(Value& out) {
    if (!Concatenation(out)) return false;
    for (;;) {
      if (m_tk != Tk::kOp) return true;
      const std::string_view op = m_word;
      if (op != "=" && op != "<>" && op != "<" && op != ">" && op != "<=" && op != ">=")
        return true;
      Advance();
      Value right;
      if (!Concatenation(right)) return false;
      int order = 0;
      const bool strings = out.kind == Kind::kString || right.kind == Kind::kString;
      if (strings) {
        // A string compares with a string or Empty (""), never with a number.
        if ((out.kind == Kind::kNumber) || (right.kind == Kind::kNumber)) return false;
        const int c = out.text.compare(right.text);
        order = c < 0 ? -1 : c > 0 ? 1 : 0;
      } else {
        order = out.number < right.number ? -1 : out.number > right.number ? 1 : 0;
      }
      const bool holds = op == "="    ? order == 0
                         : op == "<>" ? order != 0
                         : op == "<"  ? order < 0
                         : op == ">"  ? order > 0
                         : op == "<=" ? order <= 0
                                      : order >= 0;
      SetBool(out, holds);
    }
  }
  static std::string Text(const Value& v) {
    if (v.kind != Kind::kNumber) return v.text;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.15g", v.number);
    return buffer;
  }
  bool Concatenation(Value& out) {
    if (!Additive(out)) return false;
    while (Op("&")) {
      Advance();
      Value right;
      if (!Additive(right)) return false;
      out.text = Text(out) + Text(right);
      out.kind = Kind::kString;
    }
    return true;
  }
  bool Additive(Value& out) {
    if (!Modulo(out)) return false;
    while (Op("+") || Op("-")) {
      const bool plus = m_word == "+";
      Advance();
      Value right;
      if (!Modulo(right)) return false;
      if (plus && out.kind == Kind::kString && right.kind == Kind::kString) {
        out.text += right.text;
        continue;
      }
      double a = 0;
      double b = 0;
      if (!ToNumber(out, a) || !ToNumber(right, b)) return false;
      SetNumber(out, plus ? a + b : a - b);
    }
    return true;
  }
  bool Modulo(Value& out) {
    if (!IntegerDivision(out)) return false;
    while (Word("Mod")) {
      Advance();
      Value right;
      if (!IntegerDivision(right)) return false;
      int64_t a = 0;
      int64_t b = 0;
      if (!ToInteger(out, a) || !ToInteger(right, b) || b == 0) return false;
      SetNumber(out, static_cast<double>(a % b));
    }
    return true;
  }
  bool IntegerDivision(Value& out) {
    if (!Multiplicative(out)) return false;
    while (Op("\\")) {
      Advance();
      Value right;
      if (!Multiplicative(right)) return false;
      int64_t a = 0;
      int64_t b = 0;
      if (!ToInteger(out, a) || !ToInteger(right, b) || b == 0) return false;
      SetNumber(out, static_cast<double>(a / b));
    }
    return true;
  }
  bool Multiplicative(Value& out) {
    if (!Unary(out)) return false;
    while (Op("*") || Op("/")) {
      const bool times = m_word == "*";
      Advance();
      Value right;
      if (!Unary(right)) return false;
      double a = 0;
      double b = 0;
      if (!ToNumber(out, a) || !ToNumber(right, b) || (!times && b == 0)) return false;
      SetNumber(out, times ? a * b : a / b);
    }
    return true;
  }
  bool Unary(Value& out) {
    if (!Op("-") && !Op("+")) return Power(out);
    const bool minus = m_word == "-";
    if (++m_depth > kMaxDepth) return false;
    Advance();
    if (!Unary(out)) return false;
    --m_depth;
    double a = 0;
    if (!ToNumber(out, a)) return false;
    SetNumber(out, minus ? -a : a);
    return true;
  }
  bool Power(Value& out) {
    if (!Primary(out)) return false;
    while (Op("^")) {
      Advance();
      Value right;
      if (!Primary(right)) return false;
      double a = 0;
      double b = 0;
      if (!ToNumber(out, a) || !ToNumber(right, b)) return false;
      const double r = std::pow(a, b);
      if (!std::isfinite(r)) return false;
      SetNumber(out, r);
    }
    return true;
  }
  bool Primary(Value& out) {
    switch (m_tk) {
      case Tk::kNumber:
        SetNumber(out, m_number);
        Advance();
        return true;
      case Tk::kString:
        out.kind = Kind::kString;
        out.text = m_string;
        Advance();
        return true;
      case Tk::kName: {
        if (Word("True") || Word("False")) {
          SetBool(out, Word("True"));
          Advance();
          return true;
        }
        // The operators' words stand where a value is missing: no value.
        for (const std::string_view w : {"Not", "And", "Or", "Xor", "Eqv", "Imp", "Mod"})
          if (Word(w)) return false;
        out = m_constants.Lookup(m_word);
        Advance();
        // A function call (Len(...)) is not evaluated.
        return !Op("(");
      }
      case Tk::kOp:
        if (Op("(")) {
          if (++m_depth > kMaxDepth) return false;
          Advance();
          if (!Imp(out) || !Op(")")) return false;
          --m_depth;
          Advance();
          return true;
        }
        return false;
      default:
        return false;
    }
  }

  std::string_view m_text;
  const CompileConstants& m_constants;
  size_t m_at = 0;
  size_t m_start = 0;
  Tk m_tk = Tk::kEnd;
  std::string_view m_word;
  std::string m_string;
  double m_number = 0;
  int m_depth = 0;
};

}  // namespace

bool CompileConstants::IsName(std::string_view in_sName) {
  if (in_sName.empty()) return false;
  const auto first = static_cast<unsigned char>(in_sName[0]);
  if (!((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z') || first >= 0xC0))
    return false;
  for (const char c : in_sName) {
    const auto u = static_cast<unsigned char>(c);
    if (!((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_' ||
          u >= 0xC0))
      return false;
  }
  return true;
}

bool CompileConstants::Evaluate(std::string_view in_sExpression, Value& out_oValue) const {
  Reader reader(in_sExpression, *this);
  Value v;
  if (!reader.Whole(v)) return false;
  out_oValue = std::move(v);
  return true;
}

bool CompileConstants::Condition(std::string_view in_sExpression, bool& out_bTrue) const {
  Value v;
  if (!Evaluate(in_sExpression, v) || v.kind == Value::Kind::kString) return false;
  out_bTrue = v.kind == Value::Kind::kNumber && v.number != 0;
  return true;
}

CompileConstants::Value CompileConstants::Lookup(std::string_view in_sName) const {
  for (const auto& [name, value] : m_values)
    if (EqualsNoCase1252(name, in_sName)) return value;
  Value v;
  if (EqualsNoCase1252(in_sName, "Win32") || EqualsNoCase1252(in_sName, "Win16")) {
    v.kind = Value::Kind::kNumber;
    v.number = EqualsNoCase1252(in_sName, "Win32") ? -1 : 0;
  }
  return v;
}

bool CompileConstants::Define(std::string_view in_sName, std::string_view in_sExpression) {
  if (!IsName(in_sName)) return false;
  Value v;
  if (!Evaluate(in_sExpression, v)) return false;
  for (auto& [name, value] : m_values) {
    if (EqualsNoCase1252(name, in_sName)) {
      value = std::move(v);
      return true;
    }
  }
  m_values.emplace_back(Upper1252(in_sName), std::move(v));
  return true;
}

bool CompileConstants::DefineAll(std::string_view in_sList) {
  bool all = true;
  while (!in_sList.empty()) {
    // Definitions are separated by ":" outside string literals.
    size_t end = 0;
    bool quoted = false;
    while (end < in_sList.size() && (quoted || in_sList[end] != ':')) {
      if (in_sList[end] == '"') quoted = !quoted;
      ++end;
    }
    std::string_view part = in_sList.substr(0, end);
    in_sList.remove_prefix(end < in_sList.size() ? end + 1 : end);
    const size_t eq = part.find('=');
    const auto trim = [](std::string_view s) {
      while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
      while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
      return s;
    };
    if (trim(part).empty()) continue;
    if (eq == std::string_view::npos ||
        !Define(trim(part.substr(0, eq)), trim(part.substr(eq + 1))))
      all = false;
  }
  return all;
}

}  // namespace qs
