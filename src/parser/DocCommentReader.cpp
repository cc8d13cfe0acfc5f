#include "parser/DocCommentReader.h"

#include <algorithm>

#include "text/Cp1252.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"
#include "text/clsTokenStream.h"

namespace qs {

namespace {

static_assert(KwAttribute == FrmAttribute && KwAttribute == ClsAttribute,
              "Attribute lines are found by one code in every keyword table");

// The next token after p that is no blank, on the same line (p itself when past the line).
int32_t NextSolid(const clsTokenStream& ts, int32_t p) {
  ++p;
  while (ts.TokenCodeAt(p) == TokWhiteSpace) ++p;
  return p;
}

// True when the tokens [from, to) hold "End Sub", "End Function" or "End Property".
bool ClosesProcedure(const clsTokenStream& ts, int32_t from, int32_t to) {
  for (int32_t p = from; p < to; ++p) {
    if (ts.TokenCodeAt(p) != KwEnd) continue;
    const int32_t next = ts.TokenCodeAt(NextSolid(ts, p));
    if (next == KwSub || next == KwFunction || next == KwProperty) return true;
  }
  return false;
}

}  // namespace

void DocCommentReader::Reset(const clsTokenStream* in_oStream, int32_t in_lCodeStart,
                             const std::vector<int32_t>* in_pLineEnds) {
  m_stream = in_oStream;
  m_lines.clear();
  m_codeLine = 0;
  if (!in_oStream) return;
  const clsTokenStream& ts = *in_oStream;
  const int32_t count = ts.Count();
  const std::vector<int32_t>* ends = in_pLineEnds;
  if (!ends) {
    m_ownEnds.clear();
    ts.AppendPositionsOf(TokEndOfLine, m_ownEnds);
    ends = &m_ownEnds;
  }
  m_lines.reserve(ends->size() + 1);
  // Each line is read at its two ends only: its first token that is no blank says what it is, and
  // a comment runs to the line's end, so the last token says whether one ends it.
  int32_t start = 0;
  for (size_t i = 0; i <= ends->size(); ++i) {
    YieldPoint();
    const int32_t end = i < ends->size() ? std::min((*ends)[i], count) : count;
    if (i == ends->size() && start >= end) break;  // no text after the last line end
    Line line;
    line.start = start;
    int32_t p = start;
    while (p < end && ts.TokenCodeAt(p) == TokWhiteSpace) ++p;
    if (p < end) {
      line.first = p;
      const int32_t code = ts.TokenCodeAt(p);
      // A keyword carries its code (Attribute the same in every table); a word that is none in
      // the stream's table (a code section not re-coded yet) is compared by its text.
      const std::string_view word =
          code == TokIdentifier ? ts.TokenStringAt(p) : std::string_view();
      if (code == TokComment || code == KwRem || EqualsNoCase1252(word, "Rem")) {
        line.kind = kComment;
        line.comment = p;
      } else if (code == KwAttribute || EqualsNoCase1252(word, "Attribute")) {
        line.kind = kAttribute;
      } else if (p < in_lCodeStart) {
        line.kind = kHeader;
      } else {
        line.kind = code == KwOption || EqualsNoCase1252(word, "Option") ? kOption : kCode;
      }
      int32_t last = end - 1;
      while (last > p && ts.TokenCodeAt(last) == TokWhiteSpace) --last;
      const int32_t lastCode = ts.TokenCodeAt(last);
      if (lastCode == TokComment && line.kind != kComment) line.comment = last;
      line.continued = lastCode == '_' && (line.kind == kCode || line.kind == kHeader);
    }
    m_lines.push_back(line);
    start = end + 1;
  }
  if (in_lCodeStart > 0 && !m_lines.empty()) m_codeLine = LineOf(in_lCodeStart);
}

size_t DocCommentReader::LineOf(int32_t in_lPos) const {
  const auto after = std::upper_bound(m_lines.begin(), m_lines.end(), in_lPos,
                                      [](int32_t pos, const Line& l) { return pos < l.start; });
  return after == m_lines.begin() ? 0 : static_cast<size_t>(after - m_lines.begin()) - 1;
}

void DocCommentReader::AddBreak() {
  if (!m_block.empty() && m_block.back().marks != DocCommentParser::kBreak)
    m_block.push_back({0, 0, DocCommentParser::kBreak});
}

void DocCommentReader::AddComment(const Line& line) {
  const clsTokenStream& ts = *m_stream;
  const auto begin = static_cast<uint32_t>(m_text.size());
  uint8_t marks = 1;
  if (ts.TokenCodeAt(line.comment) == TokComment) {
    std::string_view text = ts.TokenStringAt(line.comment);
    size_t n = 0;
    while (n < text.size() && text[n] == '\'') ++n;
    marks = static_cast<uint8_t>(std::min<size_t>(n, 3));
    m_text.append(text.substr(n));
  } else {
    // A Rem line: its text is every token after the word, up to the line's end.
    for (int32_t p = line.comment + 1;; ++p) {
      const int32_t code = ts.TokenCodeAt(p);
      if (code == TokEndOfLine || code == 0) break;
      m_text.append(ts.TokenStringAt(p));
    }
  }
  m_block.push_back({begin, static_cast<uint32_t>(m_text.size()) - begin, marks});
}

void DocCommentReader::AddAttribute(const Line& line, std::string_view in_sName) {
  // Attribute NAME.VB_Description = "text", or Attribute VB_Description = "text" for a module.
  const clsTokenStream& ts = *m_stream;
  int32_t p = NextSolid(ts, line.first);
  std::string_view member = ts.TokenStringAt(p);
  if (ts.TokenCodeAt(NextSolid(ts, p)) == '.') {
    if (in_sName.empty() || !EqualsNoCase1252(member, in_sName)) return;
    p = NextSolid(ts, NextSolid(ts, p));
    member = ts.TokenStringAt(p);
    if (!EqualsNoCase1252(member, "VB_Description") &&
        !EqualsNoCase1252(member, "VB_VarDescription"))
      return;
  } else if (!in_sName.empty() || !EqualsNoCase1252(member, "VB_Description")) {
    return;
  }
  p = NextSolid(ts, p);
  if (ts.TokenCodeAt(p) != '=') return;
  p = NextSolid(ts, p);
  if (ts.TokenCodeAt(p) != TokString) return;
  std::string_view text = ts.TokenStringAt(p);
  if (!text.empty() && text.front() == '"') text.remove_prefix(1);
  if (!text.empty() && text.back() == '"') text.remove_suffix(1);
  const auto begin = static_cast<uint32_t>(m_text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    m_text += text[i];
    if (text[i] == '"' && i + 1 < text.size() && text[i + 1] == '"') ++i;
  }
  m_block.push_back(
      {begin, static_cast<uint32_t>(m_text.size()) - begin, DocCommentParser::kAttribute});
}

bool DocCommentReader::Describe(int32_t in_lNamePos, std::string_view in_sName, Target in_eTarget,
                                DocComment& out) {
  out.Clear();
  if (!m_stream || m_lines.empty() || in_lNamePos < 0 || in_lNamePos >= m_stream->Count())
    return false;
  m_text.clear();
  m_block.clear();
  const size_t n = m_lines.size();
  const size_t at = LineOf(in_lNamePos);
  size_t first = at;  // the statement's first and last lines
  while (first > m_codeLine && m_lines[first - 1].continued) --first;
  size_t last = at;
  while (last + 1 < n && m_lines[last].continued) ++last;

  // The block directly above.
  size_t top = first;
  while (top > m_codeLine &&
         (m_lines[top - 1].kind == kComment || m_lines[top - 1].kind == kAttribute))
    --top;
  for (size_t i = top; i < first; ++i) {
    if (m_lines[i].kind == kComment) {
      AddComment(m_lines[i]);
    } else {
      AddAttribute(m_lines[i], in_sName);
    }
  }
  // What follows the statement: a procedure's body up to its first statement; the attribute
  // lines after an event, variable or constant.
  if (in_eTarget != Target::kDeclaration && in_eTarget != Target::kMember) {
    // A procedure closed on its own line ("Sub F(): End Sub") has no body: the comments after
    // it belong to what follows.
    const int32_t statementEnd = last + 1 < n ? m_lines[last + 1].start : m_stream->Count();
    const bool body = in_eTarget == Target::kProcedure &&
                      !ClosesProcedure(*m_stream, m_lines[first].start, statementEnd);
    AddBreak();
    for (size_t i = last + 1; i < n; ++i) {
      const Line& l = m_lines[i];
      if (l.kind == kAttribute) {
        AddAttribute(l, in_sName);
      } else if (body && l.kind == kComment) {
        AddComment(l);
      } else if (body && l.kind == kBlank) {
        AddBreak();
      } else {
        break;
      }
    }
  }
  // The comment at the end of a variable's or member's own line.
  if (in_eTarget == Target::kVariable || in_eTarget == Target::kMember) {
    const Line& l = m_lines[last];
    if (l.kind == kCode && l.comment >= 0) {
      AddBreak();
      AddComment(l);
    }
  }
  m_parser.Parse(m_text, m_block, DocCommentParser::Scope::kDeclaration, out);
  return !out.Empty();
}

bool DocCommentReader::DescribeModule(DocComment& out) {
  out.Clear();
  if (!m_stream) return false;
  m_text.clear();
  m_block.clear();
  const size_t n = m_lines.size();
  // Attribute VB_Description among the module's attribute lines (before its first statement).
  for (size_t i = 0; i < n && m_lines[i].kind != kCode; ++i)
    if (m_lines[i].kind == kAttribute) AddAttribute(m_lines[i], {});
  AddBreak();
  size_t i = m_codeLine;
  while (i < n &&
         (m_lines[i].kind == kBlank || m_lines[i].kind == kAttribute || m_lines[i].kind == kOption))
    ++i;
  for (; i < n && m_lines[i].kind != kBlank && m_lines[i].kind != kCode; ++i)
    if (m_lines[i].kind == kComment) AddComment(m_lines[i]);
  // A block that touches the first declaration describes that declaration; its module
  // annotations still describe the module.
  const bool separated = i == n || m_lines[i].kind == kBlank;
  m_parser.Parse(m_text, m_block,
                 separated ? DocCommentParser::Scope::kModule
                           : DocCommentParser::Scope::kModuleAnnotationsOnly,
                 out);
  return !out.Empty();
}

}  // namespace qs
