// The walk over the code: each module's tokens read line by line into significant tokens, each
// line's statements told apart and their names resolved (ResolverExpressions.cpp), procedures
// entered and left, labels and handlers linked; the modules walked on several threads, and the
// walks' outputs merged in module order.
#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "analysis/ResolverState.h"
#include "analysis/SourcePlaces.h"
#include "model/clsVBFileType.h"
#include "model/clsVBHeader.h"
#include "text/Keywords.h"
#include "text/Parallel.h"
#include "text/Yield.h"

namespace qs::resolver {

namespace {

// The length of each keyword's text by its code (0 for a code no keyword has): a keyword's code
// has one spelling, so its text need not be looked at for its length.
constexpr int32_t kKeywordCodes = 4096;
constexpr std::array<uint8_t, kKeywordCodes> kKeywordLength = [] {
  std::array<uint8_t, kKeywordCodes> lengths{};
  for (const KeywordRow& k : kKeywords)
    if (k.code > 0 && k.code < kKeywordCodes)
      lengths[static_cast<size_t>(k.code)] = static_cast<uint8_t>(k.spelling.size());
  return lengths;
}();

// Return (after GoSub, alone in its statement) and the Def-type statements (DefLng A-Z: read with
// the records) are statements, not names.
bool WordStatement(const Tok& t, bool alone) {
  return t.code == TokIdentifier &&
         ((alone && SameName(t.name, "Return")) || DefTypeWord(t.name) != 0);
}

}  // namespace

int32_t Resolver::ColumnOf(int32_t lineStart, int32_t pos) {
  int32_t from = lineStart;
  int32_t column = m_lineColumn;
  if (m_colLine == lineStart && m_colPos <= pos) {
    from = m_colPos;
    column = m_colValue;
  }
  for (int32_t p = from; p < pos; ++p) column += m_ts->TokenLenAt(p);
  m_colLine = lineStart;
  m_colPos = pos;
  m_colValue = column;
  return column;
}

void Resolver::ListPlaces(const CrossModule& mod, int32_t m) {
  m_places.clear();
  if (mod.header->AttributePtr > 0) m_places.emplace_back(mod.header->AttributePtr, mod.decl);
  const auto [first, end] = m_tab.declRange[static_cast<size_t>(m)];
  for (int32_t d = first; d < end; ++d) {
    const CrossDeclaration& decl = m_out.decls[static_cast<size_t>(d)];
    if (decl.pos >= 0) m_places.emplace_back(decl.pos, d);
  }
  std::sort(m_places.begin(), m_places.end());
  m_placeCursor = 0;
}

// A bracketed name in code ("[_First]") is placed at the name inside.
void Resolver::PlaceDeclarations(int32_t p, int32_t code, int32_t line, int32_t column,
                                 int32_t lineStart, int32_t codeStart, size_t& nextPlace) {
  for (; nextPlace < m_places.size() && m_places[nextPlace].first <= p; ++nextPlace) {
    if (m_places[nextPlace].first != p) continue;
    CrossDeclaration& d = m_out.decls[static_cast<size_t>(m_places[nextPlace].second)];
    d.line = line;
    d.column =
        (p >= codeStart ? column : ColumnOf(lineStart, p)) +
        (code == '[' || (code == TokIdentifier && m_ts->TokenStringAt(p).starts_with("[")) ? 1 : 0);
  }
}

// The token's text and length (TokenLenAt's): one look at the stream for a word.
void Resolver::ReadToken(int32_t p, int32_t code, int32_t line, int32_t& column) {
  const clsTokenStream& ts = *m_ts;
  const int32_t at = column;
  if (code == TokWhiteSpace) {
    column += ts.TokenLenAt(p);
    return;
  }
  std::string_view text;
  bool unread = false;
  if (code <= kLastCharacterCode) {
    column += code < 0 ? 0 : 1;
  } else if (IsNameToken(code)) {
    text = ts.TokenStringAt(p);
    column += static_cast<int32_t>(text.size());
    // A keyword written in another letter case is the keyword (the tokenizer matches the exact
    // spelling only); a line of a Type or Enum block opens with its member's name, whatever it is.
    if (code == TokIdentifier && !(m_block != 0 && m_toks.empty()))
      if (const int32_t keyword = KeywordNoCase(text); keyword != 0) code = keyword;
  } else if (code < kKeywordCodes && kKeywordLength[code] > 0) {
    column += kKeywordLength[code];
    unread = true;
  } else if (IsWordCode(code)) {
    text = ts.TokenStringAt(p);
    column += static_cast<int32_t>(text.size());
  } else {
    column += ts.TokenLenAt(p);
  }
  if (code == TokComment || code == TokUndefined) return;
  if (code == ']' && JoinBracketedName()) return;
  // Filled in place: most tokens of a file pass here.
  Tok& t = m_toks.emplace_back(Tok{p, code, line, at, 0, text, unread});
  if (code == '#' && m_toks.size() > 1) {
    // The end of a date literal: its words are no names, its ":" no statement's end.
    CollapseDateLiteral();
    return;
  }
  if (text.size() > 1 && text.front() == '[') {
    // A bracketed name of a form's code: one token with its brackets.
    t.name.remove_prefix(1);
    if (!t.name.empty() && t.name.back() == ']') t.name.remove_suffix(1);
    t.colAdd = 1;
    t.code = TokIdentifier;
  }
}

void Resolver::WalkModule(int32_t m) {
  CrossModule& mod = m_out.modules[static_cast<size_t>(m)];
  m_module = m;
  m_moduleDecl = mod.decl;
  m_ts = mod.header ? mod.header->TokenStream.get() : nullptr;
  m_proc = kNoDecl;
  m_block = 0;
  m_with.clear();
  m_implements.clear();
  m_foreignImplements.clear();
  m_moduleMemo.Clear();
  const size_t firstUse = m_walk->uses.size();
  m_walk->runs.push_back({firstUse, m});
  m_toks.clear();
  if (!m_ts) return;
  // The declarations with places in this file, by position.
  ListPlaces(mod, m);
  size_t nextPlace = 0;
  // The position of the next place: most tokens are none.
  int32_t nextPlaceAt = m_places.empty() ? INT32_MAX : m_places[0].first;

  const clsTokenStream& ts = *m_ts;
  const int32_t count = ts.Count();
  const int32_t codeStart = mod.header->CodePtr > 0 ? std::min(mod.header->CodePtr, count) : 0;
  int32_t line = 1;
  int32_t lineStart = 0;
  // The column of position p on its line, counted token by token in the code section (the
  // header's, which only places need, by ColumnOf).
  int32_t column = 1;
  bool lineJoined = false;
  // A comment ending in a continuation goes on over the next line: its tokens are no code.
  bool inComment = false;
  bool commentGoesOn = false;
  bool afterBlank = false;
  m_colLine = -1;
  // The lines conditional compilation leaves out are counted and placed, not read.
  const std::vector<std::pair<int32_t, int32_t>>& dead = m_tab.inactive[static_cast<size_t>(m)];
  size_t nextDead = 0;
  int32_t deadFrom = dead.empty() ? INT32_MAX : dead[0].first;
  m_lineColumn = 1;
  // The tokens that hold line ends (a string left open in a damaged file), once per line end:
  // each is counted when the walk has passed it.
  const std::vector<int32_t>& held = mod.header->HeldLineEnds;
  size_t nextHeld = 0;
  int32_t heldAt = held.empty() ? INT32_MAX : held[0];
  for (int32_t p = 0; p < count; ++p) {
    YieldPoint();
    if (p > heldAt) {
      CountHeldLineEnds(heldAt, ts.TokenStringAt(heldAt), line, lineStart, column);
      while (nextHeld < held.size() && held[nextHeld] <= heldAt) ++nextHeld;
      heldAt = nextHeld < held.size() ? held[nextHeld] : INT32_MAX;
    }
    const int32_t code = ts.TokenCodeAt(p);
    if (p == codeStart) column = ColumnOf(lineStart, p);
    if (p >= nextPlaceAt) {
      PlaceDeclarations(p, code, line, column, lineStart, codeStart, nextPlace);
      nextPlaceAt = nextPlace < m_places.size() ? m_places[nextPlace].first : INT32_MAX;
    }
    if (code == TokComment && p >= codeStart)
      commentGoesOn = EndsWithContinuation(ts.TokenStringAt(p));
    if (inComment && code != TokEndOfLine) {
      if (code != TokWhiteSpace && code != TokComment) commentGoesOn = code == '_' && afterBlank;
      afterBlank = code == TokWhiteSpace;
      continue;
    }
    if (code == TokEndOfLine) {
      afterBlank = false;
      inComment = commentGoesOn && p >= codeStart;
      commentGoesOn = false;
      if (inComment) {
        // This line's statement ends with its comment (the next line is the comment's).
        if (!m_toks.empty() && m_toks.back().code == '_') m_toks.pop_back();
        ProcessLine();
        m_toks.clear();
        ++line;
        lineStart = p + 1;
        column = 1;
        continue;
      }
      if (p >= codeStart) {
        // A continuation ("_" ending the line) joins the next line to this statement.
        lineJoined = !m_toks.empty() && m_toks.back().code == '_';
        if (lineJoined) {
          m_toks.pop_back();
        } else {
          ProcessLine();
          m_toks.clear();
        }
      }
      ++line;
      lineStart = p + 1;
      column = 1;
      m_lineColumn = 1;
      continue;
    }
    if (p < codeStart && (code == ClsVB_Exposed || code == FrmVB_Exposed)) {
      // "Attribute VB_Exposed = True" of the header: public members are callers' to use.
      int32_t q = p + 1;
      while (q < count && (ts.TokenCodeAt(q) == TokWhiteSpace || ts.TokenCodeAt(q) == '=')) ++q;
      mod.exposed = EqualsNoCase1252(ts.TokenStringAt(q), "True");
    }
    // The header's columns are counted by ColumnOf when a place needs one.
    if (p < codeStart) continue;
    if (p >= deadFrom) {
      if (p < dead[nextDead].second) {
        column += ts.TokenLenAt(p);
        continue;
      }
      ++nextDead;
      deadFrom = nextDead < dead.size() ? dead[nextDead].first : INT32_MAX;
    }
    ReadToken(p, code, line, column);
  }
  if (!m_toks.empty()) ProcessLine();
  m_toks.clear();
  if (m_proc >= 0) ExitProcedure();
  SettleModuleUses(firstUse);
}

void Resolver::SettleModuleUses(size_t firstUse) {
  // Uses the walk dropped (self-assignments, labels and names settled as external) leave.
  UseList::Block& uses = m_walk->uses;
  const auto walked = uses.begin() + static_cast<std::ptrdiff_t>(firstUse);
  uses.erase(std::remove_if(walked, uses.end(), [](const UseRecord& u) { return u.decl < 0; }),
             uses.end());
  // The walk records uses in file order but for a few settled late; a name has one use at most,
  // so positions are unique.
  const auto byPosition = [](const UseRecord& a, const UseRecord& b) { return a.pos < b.pos; };
  const auto firstKept = uses.begin() + static_cast<std::ptrdiff_t>(firstUse);
  if (!std::is_sorted(firstKept, uses.end(), byPosition))
    std::sort(firstKept, uses.end(), byPosition);
  // The uses of the walk's own declarations get their final ids at the merge.
  size_t k = firstUse;
  for (auto u = firstKept; u != uses.end(); ++u, ++k)
    if (u->decl >= kLocalBase) m_walk->localUses.push_back(k);
}

void Resolver::ProcessLine() {
  YieldPoint();
  const size_t n = m_toks.size();
  if (n == 0) return;
  size_t i = 0;
  // A line number or a label opens the line.
  if (m_toks[0].code == TokIdentifier && StartsWithDigit(m_toks[0].name)) {
    Label(m_toks[0]);
    i = 1;
    if (i < n && m_toks[i].code == ':') ++i;
  } else if (n >= 2 && IsNameToken(m_toks[0].code) && m_toks[1].code == ':' &&
             (n == 2 || m_toks[2].code != '=') && m_block == 0) {
    Label(m_toks[0]);
    i = 2;
  }
  while (i < n) i = Statement(i);
}

// The end of the statement from i: a ":" (not of a named argument ":=") or an Else outside
// parentheses, or the line's end.
size_t Resolver::StatementEnd(size_t i) const {
  int depth = 0;
  for (size_t k = i; k < m_toks.size(); ++k) {
    const int32_t code = m_toks[k].code;
    if (code == '(') ++depth;
    if (code == ')' && depth > 0) --depth;
    if (depth > 0) continue;
    if (code == ':' && !(k + 1 < m_toks.size() && m_toks[k + 1].code == '=')) return k;
    if (code == KwElse && k > i) return k;
  }
  return m_toks.size();
}

void Resolver::Label(const Tok& t) {
  if (m_proc < 0) return;
  // Every name of a line is a view of the stream or of the walk's ownedNames, which the run keeps.
  const auto id = static_cast<int32_t>(kLocalBase + m_walk->decls.size());
  CrossDeclaration& d = m_walk->decls.emplace_back();
  d.name = t.name;
  d.module = m_module;
  d.parent = m_scope;
  d.kind = DeclKind::kLabel;
  d.pos = t.pos;
  d.line = t.line;
  d.column = t.column + t.colAdd;
  // A label written twice in the procedure (#If branches) is one declaration.
  const auto [it, added] = m_labels.try_emplace(NameKey{0, t.name}, id);
  d.canonical = added ? id : it->second;
}

void Resolver::LabelUses(size_t from, size_t to) {
  if (m_proc < 0) return;
  for (size_t k = from; k < to; ++k) {
    const Tok& t = m_toks[k];
    if (t.code != TokIdentifier && !IsNameToken(t.code)) continue;
    const int32_t use = AddUse(kPending, t, UseKind::kRead);
    m_pending.push_back({use, t.name, true});
  }
}

// A declaration statement from its first word at i (Private, Public, Friend, Static, Dim, Const,
// Sub, Function, Property, Declare, Event, Enum, Type, WithEvents) to e.
void Resolver::Declaration(size_t i, size_t e) {
  size_t k = i;
  while (k < e && (m_toks[k].code == KwPrivate || m_toks[k].code == KwPublic ||
                   m_toks[k].code == KwFriend || m_toks[k].code == KwStatic))
    ++k;
  if (k >= e) return;
  const int32_t what = m_toks[k].code;
  if (what == KwSub || what == KwFunction || what == KwProperty) {
    size_t nameAt = k + 1;
    if (what == KwProperty && nameAt < e) ++nameAt;  // Get, Let or Set
    if (nameAt < e) {
      const auto it = std::lower_bound(m_places.begin(), m_places.end(),
                                       std::make_pair(m_toks[nameAt].pos, INT32_MIN));
      if (it != m_places.end() && it->first == m_toks[nameAt].pos &&
          IsProcedureKind(m_out.decls[static_cast<size_t>(it->second)].kind))
        EnterProcedure(it->second);
    }
    Walk(k + 1, e, kHeader);
  } else if (what == KwDeclare || what == KwEvent) {
    Walk(k + 1, e, kHeader);
  } else if (what == KwEnum || what == KwType) {
    m_block = what == KwEnum ? 1 : 2;
    Walk(k + 1, e, kDeclare);
  } else {
    // After ":" the records hold no declaration: the walk makes its declarators' own.
    m_walkDeclares = i > 0 && m_toks[i - 1].code == ':';
    m_walkKind = what == KwConst ? DeclKind::kConstant : DeclKind::kVariable;
    m_walkPublic = m_toks[i].code == KwPublic;
    Walk(what == KwDim || what == KwConst || what == KwWithEvents ? k + 1 : k, e, kDeclare);
    m_walkDeclares = false;
  }
}

// The owner of a With block's members: kLateWith when its object's type is not known.
int32_t Resolver::WithOwner(const Chain& c) const {
  if (!c.active) return kNoDecl;
  const int32_t owner = Owner(c);
  return owner < 0 && owner > kForeignClass && LateOwner(c) ? kLateWith : owner;
}

void Resolver::RaiseEvent(size_t i, size_t e) {
  if (i + 1 >= e) return;
  const Tok& t = Fetch(m_toks[i + 1]);
  if (const int32_t n2 = Find(m_moduleDecl, t.name); n2 >= 0) {
    for (int32_t nd = n2; nd >= 0; nd = m_tab.names.Next(nd)) {
      const int32_t d = m_tab.names.Decl(nd);
      if (m_out.decls[static_cast<size_t>(d)].kind == DeclKind::kEvent) {
        AddUse(d, t, UseKind::kCall);
        break;
      }
    }
  }
  Walk(i + 2, e, kRead);
}

void Resolver::ImplementsStatement(size_t i, size_t e) {
  if (i + 1 >= e) return;
  // "Implements IFoo" or "Implements Lib.IFoo": the procedures' prefix is the last name.
  size_t last = i + 1;
  while (last + 2 < e && m_toks[last + 1].code == '.' && IsWordCode(m_toks[last + 2].code))
    last += 2;
  const std::string_view name = Fetch(m_toks[last]).name;
  int32_t d = WalkLookupType(Fetch(m_toks[i + 1]).name);
  if (last != i + 1)
    d = EqualsNoCase1252(m_toks[i + 1].name, m_project) ? WalkLookupType(name) : kNoDecl;
  const bool project = d >= 0 && m_out.decls[static_cast<size_t>(d)].kind == DeclKind::kModule;
  if (d >= 0) {
    AddUse(d, m_toks[last], UseKind::kRead);
    if (project) m_implements.push_back(d);
  } else {
    CountExternal(m_toks[i + 1].name);
  }
  if (!project) m_foreignImplements.push_back(name);
  m_walk->implementations.push_back({m_module, project ? d : kNoDecl, name});
}

void Resolver::ForStatement(size_t i, size_t e) {
  size_t k = i + 1;
  if (k < e && m_toks[k].code == KwEach) ++k;
  size_t stop = k;
  int depth = 0;
  while (stop < e) {
    const int32_t c = m_toks[stop].code;
    if (c == '(') ++depth;
    if (c == ')' && depth > 0) --depth;
    if (depth == 0 && (c == '=' || c == KwIn)) break;
    ++stop;
  }
  MakeWrite(Walk(k, stop, kRead), false);
  if (stop < e) Walk(stop + 1, e, kRead);
}

size_t Resolver::Statement(size_t i) {
  const size_t n = m_toks.size();
  const size_t e = StatementEnd(i);
  const size_t next = e < n && m_toks[e].code == ':' ? e + 1 : e;
  const int32_t code = m_toks[i].code;
  switch (code) {
    case '#':
    case KwRem:
    case KwAttribute:
      if (code == KwAttribute) {
        for (size_t k = i + 1; k + 2 < n; ++k) {
          if (EqualsNoCase1252(Fetch(m_toks[k]).name, "VB_Exposed") && m_toks[k + 1].code == '=')
            m_out.modules[static_cast<size_t>(m_module)].exposed =
                EqualsNoCase1252(Fetch(m_toks[k + 2]).name, "True");
        }
      }
      return n;
    case KwOption:
      if (i + 1 < n && m_toks[i + 1].code == KwExplicit)
        m_out.modules[static_cast<size_t>(m_module)].optionExplicit = true;
      return next;
    case KwPrivate:
    case KwPublic:
    case KwFriend:
    case KwStatic:
    case KwDim:
    case KwConst:
    case KwSub:
    case KwFunction:
    case KwProperty:
    case KwDeclare:
    case KwEvent:
    case KwEnum:
    case KwType:
    case KwWithEvents:
      Declaration(i, e);
      return next;
    case KwEnd:
      if (i + 1 < e) {
        const int32_t what = m_toks[i + 1].code;
        if (what == KwSub || what == KwFunction || what == KwProperty) {
          if (m_proc >= 0) ExitProcedure();
        } else if (what == KwWith) {
          if (!m_with.empty()) m_with.pop_back();
        } else if (what == KwEnum || what == KwType) {
          m_block = 0;
        }
      }
      return next;
    case KwExit:
    case KwNext:
      return next;
    case KwWith: {
      const Chain c = Walk(i + 1, e, kRead);
      m_with.push_back(WithOwner(c));
      return next;
    }
    case KwGoTo:
    case KwGoSub:
      LabelUses(i + 1, e);
      return next;
    case KwOn: {
      size_t k = i + 1;
      if (k < e && m_toks[k].code == KwError) ++k;
      size_t go = k;
      while (go < e && m_toks[go].code != KwGoTo && m_toks[go].code != KwGoSub) ++go;
      Walk(k, go < e ? go : e, kRead);
      if (go < e) LabelUses(go + 1, e);
      return next;
    }
    case KwResume:
      if (i + 1 < e && m_toks[i + 1].code != KwNext) LabelUses(i + 1, i + 2);
      return next;
    case KwRaiseEvent:
      RaiseEvent(i, e);
      return next;
    case KwImplements:
      ImplementsStatement(i, e);
      return next;
    case KwLet:
    case KwSet:
      Assignment(i + 1, e, code == KwSet);
      return next;
    case KwFor:
      ForStatement(i, e);
      return next;
    case KwReDim:
    case KwErase:
      Targets(i + 1 < e && m_toks[i + 1].code == KwPreserve ? i + 2 : i + 1, e, code == KwReDim);
      return next;
    case KwIf:
    case KwElseIf: {
      size_t then = i + 1;
      while (then < n && m_toks[then].code != KwThen) ++then;
      Walk(i + 1, std::min(then, n), kRead);
      return then < n ? then + 1 : n;
    }
    case KwElse:
      return i + 1;
    case KwCall:
      Walk(i + 1, e, kRead);
      return next;
    default:
      break;
  }
  if (m_block != 0) {
    Walk(i, e, kDeclare);
    return next;
  }
  if (WordStatement(m_toks[i], i + 1 == e)) return next;
  if (RuntimeStatement(i, e)) return next;
  if (code == '.' || code == '!' || code == KwMe || IsNameToken(code)) {
    Assignment(i, e, false);
    return next;
  }
  Walk(i + 1, e, kRead);
  return next;
}

// The words of the runtime's statements are no names: file statements (Open ... For ... As #n,
// Line Input #, Input #, Get #, Width #, Name ... As ...), Global declarations, and statements
// written with name keywords (Beep, ChDir, Load, Error ...) unless the project declares the word.
// Reads their expressions; Input # and Line Input # write their targets, Get # its variable.
bool Resolver::RuntimeStatement(size_t i, size_t e) {
  const Tok& t = Fetch(m_toks[i]);
  const int32_t after = i + 1 < e ? m_toks[i + 1].code : 0;
  // An assignment to or a member of something bearing the word's name.
  if (after == '=' || after == '.' || after == '!') return false;
  // The first word at depth 0 from `from` with the code, or e.
  const auto find = [this, e](size_t from, int32_t code) {
    int depth = 0;
    for (size_t k = from; k < e; ++k) {
      if (m_toks[k].code == '(') ++depth;
      if (m_toks[k].code == ')' && depth > 0) --depth;
      if (depth == 0 && m_toks[k].code == code) return k;
    }
    return e;
  };
  // The project's own Sub, variable or control of the word's name comes first.
  const auto declared = [this, &t] {
    bool ambiguous = false;
    int32_t scope = 0;
    return LookupPlain(t.name, ambiguous, scope) >= 0 || ambiguous;
  };
  switch (t.code) {
    case KwOpen: {
      // Open path For mode [Access ...] [Lock ...] As [#]n [Len = size]
      const size_t forAt = find(i + 1, KwFor);
      const size_t asAt = find(forAt, KwAs);
      Walk(i + 1, forAt, kRead);
      if (asAt < e) Walk(asAt + 1, e, kRead);
      return true;
    }
    case KwLine:
      if (after != KwInput || declared()) return false;
      FileTargets(i + 2, e, 1);
      return true;
    case KwInput:
    case KwGet:
      if (after != '#') return false;
      FileTargets(i + 1, e, t.code == KwInput ? 1 : 2);
      return true;
    case KwWidth:
      if (after != '#' || declared()) return false;
      Walk(i + 1, e, kRead);
      return true;
    case KwName: {
      const size_t asAt = find(i + 1, KwAs);
      if (asAt >= e || declared()) return false;
      Walk(i + 1, asAt, kRead);
      Walk(asAt + 1, e, kRead);
      return true;
    }
    case KwBeep:
    case KwChDir:
    case KwChDrive:
    case KwMkDir:
    case KwRmDir:
    case KwFileCopy:
    case KwSetAttr:
    case KwSavePicture:
    case KwSaveSetting:
    case KwDeleteString:
    case KwSendKeys:
    case KwAppActivate:
    case KwLoad:
    case KwError:
      if (declared()) return false;
      Walk(i + 1, e, kRead);
      return true;
    case TokIdentifier:
      // Global, the old word for Public in a standard module.
      if (!EqualsNoCase1252(t.name, "Global") || !(IsNameToken(after) || after == KwConst) ||
          declared())
        return false;
      Walk(after == KwConst ? i + 2 : i + 1, e, kDeclare);
      return true;
    default:
      return false;
  }
}

void Resolver::EnterProcedure(int32_t proc) {
  if (m_proc >= 0) ExitProcedure();
  m_proc = proc;
  m_scope = Canonical(proc);
  m_procMemo.Clear();
  // The procedure's parameters and locals follow its declaration. A procedure with #If twins
  // has names of theirs in its scope too: those are looked up in the name table.
  m_procNamesKnown = m_scope == proc && m_tab.names.twinned[static_cast<size_t>(proc)] == 0;
  if (m_procNamesKnown) {
    for (auto d = static_cast<size_t>(proc) + 1;
         d < m_out.decls.size() && m_out.decls[d].parent == proc; ++d) {
      if (m_out.decls[d].canonical != static_cast<int32_t>(d) || !m_out.decls[d].active) continue;
      LookupMemo::Entry& e = m_procMemo.At(m_out.decls[d].name, m_tab.names.nameHash[d]);
      if (!e.filled) {
        e.filled = true;
        e.found = static_cast<int32_t>(d);
      }
    }
  }
  m_with.clear();
  Handler(proc);
}

// Event handlers, WithEvents handlers and interface members: linked to what raises or declares
// them.
void Resolver::Handler(int32_t proc) {
  CrossDeclaration& d = m_out.decls[static_cast<size_t>(proc)];
  const std::string_view name = d.name;
  const int32_t itemType = m_out.modules[static_cast<size_t>(m_module)].itemType;
  const Tok at{d.pos, TokIdentifier, d.line, d.column, 0, name};
  for (size_t u = name.find('_'); u != std::string_view::npos && u + 1 < name.size();
       u = name.find('_', u + 1)) {
    const std::string_view prefix = name.substr(0, u);
    const std::string_view rest = name.substr(u + 1);
    // The module's own events.
    const bool own = (itemType == kItemForm &&
                      (EqualsNoCase1252(prefix, "Form") || EqualsNoCase1252(prefix, "MDIForm"))) ||
                     (itemType == kItemUserControl && EqualsNoCase1252(prefix, "UserControl")) ||
                     (itemType == kItemUserDocument && EqualsNoCase1252(prefix, "UserDocument")) ||
                     (itemType == kItemPropertyPage && EqualsNoCase1252(prefix, "PropertyPage")) ||
                     (itemType == kItemClass && EqualsNoCase1252(prefix, "Class")) ||
                     (itemType == kItemDesigner && (EqualsNoCase1252(prefix, "DataEnvironment") ||
                                                    EqualsNoCase1252(prefix, "DataReport")));
    if (own) {
      d.handler = true;
      return;
    }
    if (const int32_t n = Find(m_moduleDecl, prefix); n >= 0) {
      for (int32_t k = n; k >= 0; k = m_tab.names.Next(k)) {
        const int32_t c = m_tab.names.Decl(k);
        const CrossDeclaration& cd = m_out.decls[static_cast<size_t>(c)];
        if (cd.kind == DeclKind::kControl || (cd.kind == DeclKind::kVariable && cd.withEvents)) {
          d.handler = true;
          AddUse(c, at, UseKind::kRead);
          EventHandler(c, rest, proc);
          return;
        }
      }
    }
    // A designer's objects (connections, commands) are named in its properties, not declared.
    if (itemType == kItemDesigner && Find(m_moduleDecl, prefix) < 0) {
      d.handler = true;
      return;
    }
    for (const int32_t i : m_implements) {
      if (!EqualsNoCase1252(m_out.decls[static_cast<size_t>(i)].name, prefix)) continue;
      d.handler = true;
      int32_t member = kNoDecl;
      if (d.kind == DeclKind::kPropertyGet || d.kind == DeclKind::kPropertyLet ||
          d.kind == DeclKind::kPropertySet) {
        member = Property(i, rest, d.kind);
        if (member >= 0 &&
            m_out.decls[static_cast<size_t>(member)].kind == DeclKind::kPropertyGet &&
            d.kind != DeclKind::kPropertyGet)
          member = kNoDecl;
      } else if (const int32_t n = Find(i, rest); n >= 0) {
        member = Best(n);
      }
      if (member >= 0) AddUse(member, at, UseKind::kCall);
      return;
    }
    for (const std::string_view i : m_foreignImplements) {
      if (!EqualsNoCase1252(i, prefix)) continue;
      d.implementsForeign = true;
      return;
    }
  }
}

void Resolver::EventHandler(int32_t source, std::string_view event, int32_t proc) {
  const int32_t owner = TypeOwner(source);
  if (owner < 0 || m_out.decls[static_cast<size_t>(owner)].kind != DeclKind::kModule) return;
  for (int32_t n = Find(owner, event); n >= 0; n = m_tab.names.Next(n)) {
    const int32_t e = m_tab.names.Decl(n);
    if (m_out.decls[static_cast<size_t>(e)].kind != DeclKind::kEvent) continue;
    m_walk->eventHandlers.emplace_back(Canonical(e), proc);
    return;
  }
}

void Resolver::ExitProcedure() {
  const int32_t proc = m_proc;
  const auto firstImplicit = static_cast<int32_t>(kLocalBase + m_walk->decls.size());
  for (const PendingUse& p : m_pending) {
    UseRecord& u = m_walk->uses[static_cast<size_t>(p.use)];
    if (p.label) {
      const auto it = m_labels.find(NameKey{0, p.name});
      u.decl = it != m_labels.end() ? it->second : kNoDecl;
      continue;
    }
    const auto it = m_assigned.find(NameKey{0, p.name});
    if (it == m_assigned.end()) {
      // Nothing declares the name and nothing assigns it here: a name of the runtime.
      CountExternal(p.name);
      u.decl = kNoDecl;
      continue;
    }
    if (it->second < 0) {
      // An implicit local variable, placed at its first use.
      const auto id = static_cast<int32_t>(kLocalBase + m_walk->decls.size());
      CrossDeclaration& d = m_walk->decls.emplace_back();
      d.name = p.name;
      d.module = m_module;
      d.parent = proc;
      d.kind = DeclKind::kImplicit;
      d.canonical = id;
      d.pos = u.pos;
      d.line = u.line;
      d.column = u.Column();
      it->second = id;
    }
    u.decl = it->second;
  }
  if (const auto end = static_cast<int32_t>(kLocalBase + m_walk->decls.size()); end > firstImplicit)
    m_walk->implicitLocals.emplace(proc, std::make_pair(firstImplicit, end));
  m_pending.clear();
  m_assigned.clear();
  m_labels.clear();
  m_with.clear();
  m_proc = kNoDecl;
  m_scope = kNoDecl;
}

void Resolver::WalkAll() {
  const size_t modules = m_out.modules.size();
  const size_t walks = std::max<size_t>(1, std::min<size_t>({ThreadsFor(0), modules, 8}));
  // Runs of modules of about the same number of tokens, in module order.
  std::vector<size_t> tokens(modules + 1, 0);
  for (size_t m = 0; m < modules; ++m) {
    const clsVBHeader* h = m_out.modules[m].header;
    tokens[m + 1] =
        tokens[m] + (h && h->TokenStream ? static_cast<size_t>(h->TokenStream->Count()) : 0);
  }
  std::vector<size_t> bounds(walks + 1, modules);
  bounds[0] = 0;
  for (size_t w = 1; w < walks; ++w) {
    const size_t goal = tokens[modules] / walks * w;
    bounds[w] =
        static_cast<size_t>(std::lower_bound(tokens.begin(), tokens.end(), goal) - tokens.begin());
    bounds[w] = std::clamp(bounds[w], bounds[w - 1], modules);
  }
  // Each run of modules has a walker and an output of its own, whichever thread walks it.
  std::vector<WalkOutput> outputs(walks);
  ParallelFor(
      walks,
      [&](size_t w) {
        Resolver walker(*this, outputs[w]);
        for (size_t m = bounds[w]; m < bounds[w + 1]; ++m)
          walker.WalkModule(static_cast<int32_t>(m));
      },
      static_cast<unsigned>(walks));
  for (WalkOutput& out : outputs) Merge(out);
}

// Appends a walk's output: its declarations get their final ids, its uses follow in module order.
void Resolver::Merge(WalkOutput& walk) {
  const auto base = static_cast<int32_t>(m_out.decls.size());
  const auto final = [base](int32_t id) {
    return id >= kLocalBase ? base + (id - kLocalBase) : id;
  };
  for (CrossDeclaration& d : walk.decls) {
    d.canonical = final(d.canonical);
    // A procedure's variable or constant the code declares where the records do not (ReDim of
    // an undeclared name, a declaration after ":"): the export lists it with the locals.
    if (d.parent >= 0 && d.canonical == static_cast<int32_t>(m_out.decls.size()) &&
        (d.kind == DeclKind::kVariable || d.kind == DeclKind::kConstant))
      m_out.walkLocals[d.parent].push_back(d.canonical);
    m_out.decls.push_back(d);
  }
  // The walk's records are kept where they are: no use is copied.
  for (const size_t k : walk.localUses) walk.uses[k].decl = final(walk.uses[k].decl);
  m_out.uses.Append(std::move(walk.uses), walk.runs);
  for (const auto& [proc, range] : walk.implicitLocals)
    m_out.implicitLocals.emplace(proc, std::make_pair(final(range.first), final(range.second)));
  for (const auto& [name, count] : walk.external) {
    const auto [it, added] =
        m_mergedExternal.try_emplace(Upper1252(name), static_cast<int32_t>(m_out.external.size()));
    if (added) m_out.external.emplace_back(name, 0);
    m_out.external[static_cast<size_t>(it->second)].second += count;
  }
  m_out.unresolvedMembers += walk.unresolvedMembers;
  m_out.ambiguous += walk.ambiguous;
  m_out.foreignUses.insert(m_out.foreignUses.end(), walk.foreignUses.begin(),
                           walk.foreignUses.end());
  m_out.implementations.insert(m_out.implementations.end(), walk.implementations.begin(),
                               walk.implementations.end());
  m_out.lateBound.insert(m_out.lateBound.end(), walk.lateBound.begin(), walk.lateBound.end());
  for (const auto& [event, handler] : walk.eventHandlers)
    m_out.eventHandlers.emplace_back(event, final(handler));
  // The names of labels and implicit locals may be views of these strings: the run keeps them.
  m_out.ownedNames.push_back(std::move(walk.ownedNames));
}

}  // namespace qs::resolver
