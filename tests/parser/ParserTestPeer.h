// Test access to the private routines of clsParser (the class names this struct as a friend).
// Every test of the analysis program that needs a private parser routine uses this one
// definition, so there is exactly one clsParserTestPeer in the program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "parser/clsParser.h"
#include "text/clsFixup.h"

namespace qs {

struct clsParserTestPeer {
  static void SkipWhitespace(clsParser& p) { p.SkipWhitespace(); }
  static bool AcceptToken(clsParser& p, int32_t code) { return p.AcceptToken(code); }
  static bool AcceptTypeKeyword(clsParser& p) { return p.AcceptTypeKeyword(); }
  static std::string_view TypeNameOfToken(int32_t code) { return clsParser::TypeNameOfToken(code); }
  static void SkipLineContinuation(clsParser& p) { p.SkipLineContinuation(); }

  static void SetParseError(clsParser& p, std::string_view err, std::string_view proc, int32_t ptr,
                            int16_t code) {
    p.SetParseError(err, proc, ptr, code);
  }
  static void ClearParseError(clsParser& p) { p.ClearParseError(); }
  static bool HasError(const clsParser& p) { return p.m_bParseError; }
  static const std::string& ErrText(const clsParser& p) { return p.m_sErr; }
  static const std::string& ErrProc(const clsParser& p) { return p.m_sErrProc; }
  static int32_t ErrPtr(const clsParser& p) { return p.m_lErrPtr; }
  static int16_t ErrTokenCode(const clsParser& p) { return p.m_iErrTokenCode; }

  // Name routines of the code analysis.
  static bool AcceptName(clsParser& p, clsFixup& names) { return p.AcceptName(names); }
  static bool ParseQualifiedName(clsParser& p, clsFixup& names, bool& closed, int32_t close) {
    return p.ParseQualifiedName(names, closed, close);
  }
  static bool SkipExpression(clsParser& p, clsFixup& names) { return p.SkipExpression(names); }
};

}  // namespace qs
