#include "analysis/SourcePlaces.h"

#include <algorithm>

#include "text/Cp1252.h"
#include "text/TokenCodes.h"
#include "text/clsTokenStream.h"

namespace qs {

HeldLineEnds LineEndsIn(std::string_view in_sText) {
  HeldLineEnds held;
  const size_t n = in_sText.size();
  // One byte at a time: the compiler makes a tight loop of it, faster than a search for two
  // characters on long texts (a whole file) and as fast on short ones.
  const char* text = in_sText.data();
  for (size_t i = 0; i < n; ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') continue;
    // CR LF is one line end, a lone CR or LF another.
    if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
    ++held.count;
    held.after = static_cast<int32_t>(i + 1);
  }
  return held;
}

void AppendHeldLineEnds(const clsTokenStream& in_oStream, std::vector<int32_t>& out) {
  if (!in_oStream.HoldsLineEnds()) return;
  const int32_t count = in_oStream.Count();
  for (int32_t p = 0; p < count; ++p) {
    const int32_t code = in_oStream.TokenCodeAt(p);
    // Only strings and names (a bracketed name is an identifier) may run on past a line end.
    if (code != TokString && code != TokUndefined && code != TokIdentifier) continue;
    const std::string_view text = in_oStream.TokenStringAt(p);
    if (!MayHoldLineEnds(code, text)) continue;
    out.insert(out.end(), static_cast<size_t>(LineEndsIn(text).count), p);
  }
}

void LineIndex::Reset(const clsTokenStream* in_oStream, const std::vector<int32_t>* in_pLineEnds,
                      const std::vector<int32_t>* in_pHeldEnds) {
  m_stream = in_oStream;
  m_ends = &m_ownEnds;
  m_ownEnds.clear();
  m_lines = 0;
  m_lastPos = -1;
  if (!in_oStream) return;
  if (!in_pLineEnds) {
    in_oStream->AppendPositionsOf(TokEndOfLine, m_ownEnds);
    std::vector<int32_t> held;
    AppendHeldLineEnds(*in_oStream, held);
    if (!held.empty()) {
      const size_t middle = m_ownEnds.size();
      m_ownEnds.insert(m_ownEnds.end(), held.begin(), held.end());
      std::inplace_merge(m_ownEnds.begin(), m_ownEnds.begin() + static_cast<ptrdiff_t>(middle),
                         m_ownEnds.end());
    }
  } else if (in_pHeldEnds && !in_pHeldEnds->empty()) {
    // Rare (a damaged file): the two lists merged into one of the index's own.
    m_ownEnds.resize(in_pLineEnds->size() + in_pHeldEnds->size());
    std::merge(in_pLineEnds->begin(), in_pLineEnds->end(), in_pHeldEnds->begin(),
               in_pHeldEnds->end(), m_ownEnds.begin());
  } else {
    m_ends = in_pLineEnds;
  }
  // Every line end ends a line; text after the last one is a line of its own.
  const int32_t count = in_oStream->Count();
  int32_t lastStart = m_ends->empty() ? 0 : m_ends->back() + 1;
  if (!m_ends->empty() && in_oStream->TokenCodeAt(m_ends->back()) != TokEndOfLine &&
      ColumnAfter(m_ends->back()) > 1)
    lastStart = m_ends->back();  // the token holding the last line end goes on after it
  m_lines = static_cast<int32_t>(m_ends->size()) + (lastStart < count ? 1 : 0);
}

int32_t LineIndex::ColumnAfter(int32_t in_lEndPos) const {
  if (m_stream->TokenCodeAt(in_lEndPos) == TokEndOfLine) return 1;
  const std::string_view text = m_stream->TokenStringAt(in_lEndPos);
  return 1 + static_cast<int32_t>(text.size()) - LineEndsIn(text).after;
}

LineIndex::Place LineIndex::PlaceOf(int32_t in_lPos) const {
  Place place;
  if (!m_stream || in_lPos < 0 || in_lPos >= m_stream->Count()) return place;
  if (m_stream->TokenCodeAt(in_lPos) == '[' && in_lPos + 1 < m_stream->Count()) ++in_lPos;
  // The line ends before the position give its line; the last of them, where the line starts.
  const auto before = std::lower_bound(m_ends->begin(), m_ends->end(), in_lPos);
  int32_t from = before == m_ends->begin() ? 0 : *(before - 1) + 1;
  place.line = static_cast<int32_t>(before - m_ends->begin()) + 1;
  place.column = before == m_ends->begin() ? 1 : ColumnAfter(*(before - 1));
  if (m_lastPos >= from && m_lastPos <= in_lPos && m_last.line == place.line) {
    from = m_lastPos;
    place.column = m_last.column;
  }
  for (int32_t p = from; p < in_lPos; ++p) place.column += m_stream->TokenLenAt(p);
  m_lastPos = in_lPos;
  m_last = place;
  return place;
}

namespace SourceText {

namespace {

bool IsBlank(int32_t code) {
  return code == TokWhiteSpace;
}

// True when the "_" at in_lPos continues its statement on the next line: blanks at most, then
// the line end, follow it.
bool IsContinuation(const clsTokenStream& ts, int32_t in_lPos) {
  if (ts.TokenCodeAt(in_lPos) != '_') return false;
  int32_t p = in_lPos + 1;
  while (IsBlank(ts.TokenCodeAt(p))) ++p;
  return ts.TokenCodeAt(p) == TokEndOfLine;
}

// True when the line end at in_lPos is joined to the next line by a continuation.
bool IsJoinedLineEnd(const clsTokenStream& ts, int32_t in_lPos) {
  int32_t p = in_lPos - 1;
  while (p >= 0 && IsBlank(ts.TokenCodeAt(p))) --p;
  return p >= 0 && ts.TokenCodeAt(p) == '_';
}

// The first token of the statement line holding in_lPos (continued lines included).
int32_t LineStart(const clsTokenStream& ts, int32_t in_lPos) {
  int32_t p = in_lPos;
  while (p > 0) {
    const int32_t code = ts.TokenCodeAt(p - 1);
    if (code == TokEndOfLine && !IsJoinedLineEnd(ts, p - 1)) break;
    --p;
  }
  return p;
}

// Appends the tokens from in_lFrom on until in_fStop says a token ends the text (or the
// statement ends), made into one line with single blanks.
template <class Stop>
void AppendTokens(const clsTokenStream& ts, int32_t in_lFrom, std::string& out, Stop&& in_fStop) {
  const size_t begin = out.size();
  bool blank = false;
  const int32_t count = ts.Count();
  for (int32_t p = in_lFrom; p < count; ++p) {
    const int32_t code = ts.TokenCodeAt(p);
    if (code == TokComment) break;
    if (code == TokEndOfLine) {
      if (!IsJoinedLineEnd(ts, p)) break;
      blank = true;
      continue;
    }
    if (IsBlank(code) || IsContinuation(ts, p)) {
      blank = true;
      continue;
    }
    if (in_fStop(code)) break;
    if (blank && out.size() > begin) out += ' ';
    blank = false;
    out.append(ts.TokenStringAt(p));
  }
}

}  // namespace

void AppendLine(const clsTokenStream& ts, int32_t in_lPos, std::string& out) {
  if (in_lPos < 0 || in_lPos >= ts.Count()) return;
  AppendTokens(ts, LineStart(ts, in_lPos), out, [](int32_t) { return false; });
}

void AppendDeclarator(const clsTokenStream& ts, int32_t in_lNamePos, std::string& out) {
  if (in_lNamePos < 0 || in_lNamePos >= ts.Count()) return;
  // The statement's start (after a ":" that ends an earlier one) and the comma outside
  // parentheses before the name, if any.
  int32_t start = LineStart(ts, in_lNamePos);
  int32_t comma = -1;
  int32_t depth = 0;
  for (int32_t p = start; p < in_lNamePos; ++p) {
    const int32_t code = ts.TokenCodeAt(p);
    if (code == '(') {
      ++depth;
    } else if (code == ')') {
      depth = std::max(0, depth - 1);
    } else if (depth == 0 && code == ':') {
      start = p + 1;
      comma = -1;
    } else if (depth == 0 && code == ',') {
      comma = p;
    }
  }
  const auto declaratorEnd = [&depth](int32_t code) {
    if (code == '(') ++depth;
    if (code == ')') return --depth < 0;
    return depth == 0 && (code == ',' || code == ':');
  };
  depth = 0;
  if (comma < 0) {
    AppendTokens(ts, start, out, declaratorEnd);
    return;
  }
  // The leading words: those before the first declarator's name.
  static const std::string_view kWords[] = {"Dim",    "Public", "Private", "Global",
                                            "Static", "Const",  "Friend"};
  const size_t begin = out.size();
  for (int32_t p = start; p < comma; ++p) {
    const int32_t code = ts.TokenCodeAt(p);
    if (IsBlank(code) || code == TokEndOfLine || IsContinuation(ts, p)) continue;
    const std::string_view word = ts.TokenStringAt(p);
    if (std::none_of(std::begin(kWords), std::end(kWords),
                     [word](std::string_view w) { return EqualsNoCase1252(word, w); }))
      break;
    out.append(word);
    out += ' ';
  }
  const size_t declarator = out.size();
  AppendTokens(ts, comma + 1, out, declaratorEnd);
  if (out.size() == declarator && declarator > begin) out.pop_back();  // no blank at the end
}

bool AppendValue(const clsTokenStream& ts, int32_t in_lNamePos, std::string& out) {
  if (in_lNamePos < 0 || in_lNamePos >= ts.Count()) return false;
  // The "=" must come before the declarator ends.
  int32_t depth = 0;
  int32_t p = in_lNamePos + 1;
  for (;; ++p) {
    const int32_t code = ts.TokenCodeAt(p);
    if (code == 0 || code == TokComment || code == ':') return false;
    if (code == TokEndOfLine) {
      if (!IsJoinedLineEnd(ts, p)) return false;
      continue;
    }
    if (code == '(') {
      ++depth;
    } else if (code == ')') {
      if (--depth < 0) return false;
    } else if (depth == 0 && code == ',') {
      return false;
    } else if (depth == 0 && code == '=') {
      break;
    }
  }
  depth = 0;
  AppendTokens(ts, p + 1, out, [&depth](int32_t code) {
    if (code == '(') ++depth;
    if (code == ')') return --depth < 0;
    return depth == 0 && (code == ',' || code == ':');
  });
  return true;
}

bool AppendStringValue(const clsTokenStream& ts, int32_t in_lPos, std::string& out) {
  if (ts.TokenCodeAt(in_lPos) != TokString) return false;
  std::string_view text = ts.TokenStringAt(in_lPos);
  if (!text.empty() && text.front() == '"') text.remove_prefix(1);
  if (!text.empty() && text.back() == '"') text.remove_suffix(1);
  for (size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == '"' && i + 1 < text.size() && text[i + 1] == '"') ++i;
  }
  return true;
}

const char* WrittenScope(const clsTokenStream& ts, int32_t in_lPos) {
  if (in_lPos < 0 || in_lPos >= ts.Count()) return "";
  int32_t p = LineStart(ts, in_lPos);
  while (IsBlank(ts.TokenCodeAt(p))) ++p;
  const std::string_view word = ts.TokenStringAt(p);
  for (const char* scope : {"Public", "Private", "Friend"})
    if (EqualsNoCase1252(word, scope)) return scope;
  return "";
}

}  // namespace SourceText

}  // namespace qs
