#include "analysis/ConditionalRegions.h"

#include <utility>
#include <vector>

#include "analysis/CompileConstants.h"
#include "text/Cp1252.h"
#include "text/TokenCodes.h"
#include "text/clsTokenStream.h"

namespace qs {

namespace {

// One #If block being read.
struct Block {
  bool outerLive = true;  // the lines around the block are read
  bool unknown = false;   // a condition of the block (or of one around it) could not be evaluated
  bool taken = false;     // a branch so far was true
  bool branchLive = true;
};

class RegionFinder {
 public:
  RegionFinder(const clsTokenStream& ts, const CompileConstants& project, ConditionalRegions& out)
      : m_ts(ts), m_constants(project), m_out(out) {}

  void Run(int32_t codeStart) {
    const int32_t count = m_ts.Count();
    // The tokenizer noted the "#" tokens that open their lines, with their lines: the other
    // tokens are not looked at.
    const std::vector<std::pair<int32_t, int32_t>>& hashes = m_ts.LineStartHashes();
    if (hashes.empty() || hashes.back().first < codeStart) return;
    for (const auto& [p, at] : hashes) {
      if (p < codeStart) continue;
      const int32_t lineBegin = p > 0 && m_ts.TokenCodeAt(p - 1) == TokWhiteSpace ? p - 1 : p;
      int32_t eol = p;
      while (eol < count && m_ts.TokenCodeAt(eol) != TokEndOfLine) ++eol;
      const bool wasLive = Live();
      Directive(p + 1, eol, at);
      const bool live = Live();
      if (wasLive && !live) {
        m_deadFrom = eol < count ? eol + 1 : count;
        m_deadLine = at + 1;
      } else if (!wasLive && live) {
        Close(lineBegin, at - 1);
      }
    }
    if (!m_blocks.empty()) {
      int32_t last = hashes.back().second;
      for (int32_t p = hashes.back().first; p < count; ++p)
        last += m_ts.TokenCodeAt(p) == TokEndOfLine ? 1 : 0;
      m_out.problems.push_back({last, "an #If block is not closed by #End If"});
      if (!Live()) Close(count, last);
    }
  }

 private:
  bool Live() const {
    return m_blocks.empty() || (m_blocks.back().outerLive && m_blocks.back().branchLive);
  }
  bool Unknown() const { return !m_blocks.empty() && m_blocks.back().unknown; }

  void Close(int32_t to, int32_t lastLine) {
    if (m_deadFrom < to) m_out.positions.emplace_back(m_deadFrom, to);
    if (m_deadLine <= lastLine) m_out.lines.emplace_back(m_deadLine, lastLine);
  }

  // The text of the tokens [from, to), comments left out; up to Then when stopAtThen.
  std::string Text(int32_t from, int32_t to, bool stopAtThen) const {
    std::string text;
    for (int32_t q = from; q < to; ++q) {
      const int32_t code = m_ts.TokenCodeAt(q);
      if (code == TokComment || (stopAtThen && code == KwThen)) break;
      text += m_ts.TokenStringAt(q);
    }
    return text;
  }

  int32_t Skip(int32_t q, int32_t to) const {
    while (q < to && m_ts.TokenCodeAt(q) == TokWhiteSpace) ++q;
    return q;
  }

  // The condition of an #If or #ElseIf: whether it holds; on failure the block becomes unknown.
  bool Condition(int32_t from, int32_t to, int32_t line, Block& b, std::string_view word) {
    bool holds = false;
    const std::string text = Text(from, to, true);
    if (m_constants.Condition(text, holds)) return holds;
    b.unknown = true;
    m_out.problems.push_back(
        {line, "the condition of " + std::string(word) + " (" + std::string(Trimmed(text)) +
                   ") cannot be evaluated: every branch of its block is read"});
    return true;
  }
  static std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
  }

  void Directive(int32_t from, int32_t to, int32_t line) {
    const int32_t at = Skip(from, to);
    const int32_t word = at < to ? m_ts.TokenCodeAt(at) : 0;
    if (word == KwIf) {
      Block b;
      b.outerLive = Live();
      b.unknown = Unknown();
      if (b.outerLive && !b.unknown) b.branchLive = b.taken = Condition(at + 1, to, line, b, "#If");
      m_blocks.push_back(b);
    } else if (word == KwElseIf || word == KwElse) {
      if (m_blocks.empty()) {
        m_out.problems.push_back({line, std::string(word == KwElse ? "#Else" : "#ElseIf") +
                                            " stands outside an #If block"});
        return;
      }
      Block& b = m_blocks.back();
      if (!b.outerLive || b.unknown) return;  // as the block's first branch: left out or read
      if (b.taken) {
        b.branchLive = false;
      } else if (word == KwElse) {
        b.branchLive = b.taken = true;
      } else {
        b.branchLive = b.taken = Condition(at + 1, to, line, b, "#ElseIf");
      }
    } else if (word == KwEnd) {
      if (m_blocks.empty())
        m_out.problems.push_back({line, "#End If stands outside an #If block"});
      else
        m_blocks.pop_back();
    } else if (word == KwConst && Live()) {
      // #Const Name = value, for the rest of the module.
      const int32_t nameAt = Skip(at + 1, to);
      const int32_t eq = Skip(nameAt + 1, to);
      std::string_view name = nameAt < to ? m_ts.TokenStringAt(nameAt) : std::string_view();
      if (eq < to && m_ts.TokenCodeAt(eq) == '=' &&
          m_constants.Define(name, Text(eq + 1, to, false)))
        return;
      m_out.problems.push_back({line, "the #Const line (" +
                                          std::string(Trimmed(Text(at + 1, to, false))) +
                                          ") cannot be evaluated: the constant stays as it was"});
    }
  }

  const clsTokenStream& m_ts;
  CompileConstants m_constants;  // the project's, with the module's #Const lines read so far
  ConditionalRegions& m_out;
  std::vector<Block> m_blocks;
  int32_t m_deadFrom = 0;
  int32_t m_deadLine = 0;
};

}  // namespace

void FindConditionalRegions(const clsTokenStream& in_oTokens, int32_t in_lCodeStart,
                            const CompileConstants& in_oProject, ConditionalRegions& out_oRegions) {
  out_oRegions = ConditionalRegions{};
  RegionFinder(in_oTokens, in_oProject, out_oRegions).Run(in_lCodeStart);
}

}  // namespace qs
