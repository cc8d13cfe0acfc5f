#include "parser/clsParser.h"

#include <exception>
#include <new>
#include <utility>

#include "text/ClsUniqArray.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"
#include "text/clsTokenStream.h"

namespace qs {

clsParser::clsParser(RunState& io_oRun)
    : m_oArgs(std::make_unique<ClsUniqArray>()), m_oRun(&io_oRun) {
  ClearParseError();
}

clsParser::clsParser()
    : m_oArgs(std::make_unique<ClsUniqArray>()),
      m_oOwnRun(std::make_unique<RunState>()),
      m_oRun(m_oOwnRun.get()) {
  ClearParseError();
}

clsParser::~clsParser() = default;

void clsParser::InitParser(std::shared_ptr<clsTokenStream> in_TokenStrm) {
  m_oTokenStream = std::move(in_TokenStrm);
}

void clsParser::Parse() {
  try {
    ClearParseError();
    if (!m_oTokenStream) return;
    m_oTokenStream->GoBOS();
    // Nothing in the walk records an error today; the loop is the place where a syntax check
    // would stop at the first one.
    while (!m_bParseError && !AtEnd()) {
      YieldPoint();
      Next();
    }
    if (m_bParseError && EvtParseError) {
      EvtParseError(m_sErr, m_sErrProc, m_lErrPtr, m_iErrTokenCode);
    }
  } catch (const std::bad_alloc&) {
    throw;  // out of memory fails the run at its boundary
  } catch (const std::exception& e) {
    // The walk ends here; the run hears of it as a warning.
    WarnFailure("the parse of this file ended early", e);
  }
}

void clsParser::WarnFailure(std::string_view in_sWhat, const std::exception& in_oFailure) {
  std::string message(in_sWhat);
  message += ": ";
  message += in_oFailure.what();
  m_oRun->Warn(std::move(message));
}

void clsParser::SetParseError(std::string_view in_sErr, std::string_view in_sErrProc,
                              int32_t in_lErrPtr, int16_t in_iErrTokenCode) {
  m_bParseError = true;
  m_sErr.assign(in_sErr);
  m_sErrProc.assign(in_sErrProc);
  m_lErrPtr = in_lErrPtr;
  m_iErrTokenCode = in_iErrTokenCode;
}

void clsParser::ClearParseError() {
  m_bParseError = false;
  m_sErr.clear();
  m_sErrProc.clear();
  m_lErrPtr = -1;
  m_iErrTokenCode = -1;
}

// ---- Cursor routines ----

void clsParser::SkipWhitespace() {
  if (!m_oTokenStream) return;
  while (m_oTokenStream->TokenCode() == TokWhiteSpace) m_oTokenStream->NextPtr();
}

bool clsParser::AcceptToken(int32_t code) {
  if (!m_oTokenStream || m_oTokenStream->TokenCode() != code) return false;
  m_oTokenStream->NextPtr();
  SkipWhitespace();
  return true;
}

bool clsParser::AcceptTypeKeyword() {
  const int32_t code = CurCode();
  if (TypeNameOfToken(code).empty()) return false;
  return AcceptToken(code);
}

std::string_view clsParser::TypeNameOfToken(int32_t code) {
  return TypeNameOfKeyword(code);
}

void clsParser::SkipLineContinuation() {
  if (CurCode() != '_') return;
  Next();
  SkipWhitespace();
  if (CurCode() == TokEndOfLine) {
    Next();
    SkipWhitespace();
  }
}

}  // namespace qs
