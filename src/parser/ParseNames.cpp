// Reading names: plain and bracketed names, numbers that look like words, dotted name chains,
// value expressions and conditional-compilation lines.
#include <string>

#include "parser/clsParser.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"
#include "text/clsFixup.h"
#include "text/clsTokenStream.h"

namespace qs {

namespace {

// A bracketed name is an identifier, and identifiers are at most 255 characters long; bounding
// the look for the closing "]" keeps a line full of unclosed brackets linear.
constexpr int32_t kMaxBracketTokens = 256;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
bool IsOctDigit(char c) {
  return c >= '0' && c <= '7';
}

}  // namespace

bool clsParser::IsNumberToken(int32_t in_lPtr) const {
  if (!m_oTokenStream) return false;
  const std::string_view text = m_oTokenStream->TokenStringAt(in_lPtr);
  if (text.empty()) return false;
  if (IsDigit(text[0])) return true;
  // &H1F and &O17 come out as "&" and a word; the word is the literal's digits.
  if (m_oTokenStream->TokenCodeAt(in_lPtr - 1) != '&' || text.size() < 2) return false;
  const char kind = text[0];
  const bool hex = kind == 'H' || kind == 'h';
  const bool oct = kind == 'O' || kind == 'o';
  if (!hex && !oct) return false;
  for (size_t i = 1; i < text.size(); ++i)
    if (hex ? !IsHexDigit(text[i]) : !IsOctDigit(text[i])) return false;
  return true;
}

bool clsParser::ReadName(bool anyWord, std::string& out_sName, int32_t& out_lPtr) {
  if (!m_oTokenStream) return false;
  clsTokenStream& ts = *m_oTokenStream;
  const int32_t at = ts.TokenPtr();
  const int32_t code = ts.TokenCode();
  if (code == '[') {
    // Class and module files: "[" name tokens "]" on one line.
    int32_t j = at + 1;
    const int32_t limit = at + kMaxBracketTokens;
    while (j < limit) {
      const int32_t c = ts.TokenCodeAt(j);
      if (c == ']' || c == TokEndOfLine || c == 0) break;
      ++j;
    }
    if (ts.TokenCodeAt(j) != ']' || j == at + 1) return false;
    std::string name;
    for (int32_t k = at + 1; k < j; ++k) name.append(ts.TokenStringAt(k));
    out_sName = std::move(name);
    out_lPtr = at;
    ts.SetTokenPtr(j + 1);
    return true;
  }
  if (code < TokIdentifier) return false;
  const std::string_view text = ts.TokenString();
  if (!text.empty() && text[0] == '[') {
    // Form files: the whole bracketed name is one token; one not closed on its line is no name.
    if (text.size() < 3 || text.back() != ']') return false;
    const std::string_view inner = text.substr(1, text.size() - 2);
    if (inner.find_first_of("\r\n]") != std::string_view::npos) return false;
    out_sName.assign(inner);
    out_lPtr = at;
    ts.NextPtr();
    return true;
  }
  if (!anyWord && !IsNameToken(code)) return false;
  if (IsNumberToken(at)) return false;
  out_sName.assign(text);
  out_lPtr = at;
  ts.NextPtr();
  return true;
}

bool clsParser::AtDirectiveLine() const {
  if (!m_oTokenStream || CurCode() != '#') return false;
  int32_t p = CurPtr() - 1;
  if (m_oTokenStream->TokenCodeAt(p) == TokWhiteSpace) --p;
  const int32_t before = m_oTokenStream->TokenCodeAt(p);
  return before == TokEndOfLine || p < 0;
}

void clsParser::SkipToLineEnd() {
  while (!AtEnd() && CurCode() != TokEndOfLine) {
    if (CurCode() == '_' && CodeAfterBlanks(CurPtr()) == TokEndOfLine) {
      Next();
      SkipWhitespace();
    }
    Next();
  }
}

int32_t clsParser::CodeAfterBlanks(int32_t in_lPtr) const {
  if (!m_oTokenStream) return 0;
  int32_t p = in_lPtr + 1;
  if (m_oTokenStream->TokenCodeAt(p) == TokWhiteSpace) ++p;  // blanks are one token
  return m_oTokenStream->TokenCodeAt(p);
}

bool clsParser::AcceptName(clsFixup& names) {
  std::string name;
  int32_t ptr = 0;
  if (!ReadName(false, name, ptr)) return false;
  names.AddTokenString(name, ptr);
  return true;
}

bool clsParser::ParseQualifiedName(clsFixup& names, bool& out_bclosed, int32_t in_iCloseCode) {
  out_bclosed = false;
  bool dotted = false;
  // The chain is ".Name" pairs, each name optionally followed by an argument list. Anything
  // else, a line end, "," or ")" in particular, ends it where it stands.
  while (true) {
    if (CurCode() == '(' && dotted) {
      const int32_t before = CurPtr();
      ParseSubscript();
      if (CurCode() != '.' || CurPtr() == before) break;
    }
    if (CurCode() != '.') break;
    Next();
    dotted = true;
    if (CurCode() == '_' && CodeAfterBlanks(CurPtr()) == TokEndOfLine) SkipLineContinuation();
    std::string name;
    int32_t ptr = 0;
    if (!ReadName(true, name, ptr)) break;
    if (auto rec = names.AddTokenString(name, ptr)) rec->Extended = true;
  }
  out_bclosed = in_iCloseCode != 0 && CurCode() == in_iCloseCode;
  return dotted;
}

bool clsParser::SkipExpression(clsFixup& names, bool stopAtComma) {
  int32_t depth = 0;
  while (!AtEnd()) {
    YieldPoint();
    const int32_t code = CurCode();
    if (code == '_') {
      AcceptToken('_');
      AcceptToken(TokEndOfLine);
      continue;
    }
    if (code == TokEndOfLine) {
      AcceptToken(TokEndOfLine);
      return false;
    }
    if (stopAtComma) {
      if (code == '(') {
        ++depth;
      } else if (code == ')') {
        if (depth > 0) --depth;
      } else if (code == ',' && depth == 0) {
        AcceptToken(',');
        return true;
      }
    }
    if (AcceptName(names)) {
      bool closed = false;
      if (CurCode() == '.') ParseQualifiedName(names, closed, 0);
      continue;
    }
    Next();
  }
  return false;
}

bool clsParser::SkipEnumValue() {
  clsFixup dropped;
  SkipExpression(dropped);
  return true;
}

}  // namespace qs
