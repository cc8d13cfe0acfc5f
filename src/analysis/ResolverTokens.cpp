// The reading of a line's tokens beyond one token at a time: a bracketed name of several tokens
// joined, a date literal made one number, and the line ends a token holds (a string left open in a
// damaged file) counted.
#include <string>
#include <utility>

#include "analysis/ResolverState.h"
#include "analysis/SourcePlaces.h"

namespace qs::resolver {

bool Resolver::JoinBracketedName() {
  if (m_toks.size() < 2) return false;
  // "[" name "]" of a module's code: one name, placed at its first character. The name is the
  // bytes between the brackets, which may be several tokens ("_" "First").
  size_t open = m_toks.size();
  while (open > 0 && m_toks[open - 1].code != '[' && m_toks.size() - open < 8) --open;
  if (open == 0 || m_toks[open - 1].code != '[' || open >= m_toks.size()) return false;
  std::string name;
  for (size_t k = open; k < m_toks.size(); ++k) name.append(m_ts->TokenStringAt(m_toks[k].pos));
  Tok merged = m_toks[open - 1];
  merged.code = TokIdentifier;
  merged.line = m_toks[open].line;
  merged.column = m_toks[open].column;
  merged.name = m_walk->ownedNames.emplace_back(std::move(name));
  m_toks.resize(open - 1);
  m_toks.push_back(merged);
  return true;
}

void Resolver::CollapseDateLiteral() {
  // A date literal is short: "#", numbers, "/", "-", ":", "." and AM/PM (A, P), then "#".
  constexpr size_t kLongest = 16;
  const size_t close = m_toks.size() - 1;
  const size_t stop = close > kLongest ? close - kLongest : 0;
  bool digits = false;
  bool separator = false;
  for (size_t k = close; k-- > stop;) {
    const Tok& t = m_toks[k];
    if (t.code == '#') {
      // A "#" right after a name or a number is its type character.
      const bool suffix = k > 0 && m_toks[k - 1].pos + 1 == t.pos &&
                          (IsWordCode(m_toks[k - 1].code) || m_toks[k - 1].code == ')');
      if (!digits || !separator || k + 1 == close || suffix) return;
      // One number token in its place, at the opening "#".
      m_toks[k].code = TokIdentifier;
      m_toks[k].name = "0";
      m_toks[k].unread = false;
      m_toks.resize(k + 1);
      return;
    }
    if (t.line != m_toks[close].line) return;
    if (t.code == '/' || t.code == '-' || t.code == ':' || t.code == '.') {
      separator = true;
    } else if (t.code == TokIdentifier && StartsWithDigit(t.name)) {
      digits = true;
    } else if (!(t.code == TokIdentifier && (SameName(t.name, "AM") || SameName(t.name, "PM") ||
                                             SameName(t.name, "A") || SameName(t.name, "P")))) {
      return;
    }
  }
}

void Resolver::CountHeldLineEnds(int32_t p, std::string_view text, int32_t& line,
                                 int32_t& lineStart, int32_t& column) {
  const HeldLineEnds held = LineEndsIn(text);
  if (held.count == 0) return;
  line += held.count;
  lineStart = p + 1;
  column = 1 + static_cast<int32_t>(text.size()) - held.after;
  m_lineColumn = column;
  m_colLine = -1;
}

}  // namespace qs::resolver
