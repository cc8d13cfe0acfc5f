// Module-level declarations that are not procedures: variables, constants, enumerations,
// user-defined types and Option statements, and the declarator routines they share with the
// procedure parser.
#include <string>

#include "model/ClsEntry.h"
#include "model/RunState.h"
#include "parser/TypeSuffix.h"
#include "parser/clsParser.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"
#include "text/clsFixup.h"
#include "text/clsTokenStream.h"

namespace qs {

namespace {

std::string JoinNames(const clsFixup& names) {
  std::string joined;
  for (const auto& rec : names) {
    if (!rec) continue;
    if (!joined.empty()) joined += '.';
    joined += rec->TokenString;
  }
  return joined;
}

std::shared_ptr<ClsEntryPtr> NewEntry(const std::string& name, int32_t ptr,
                                      std::string_view scope) {
  auto e = std::make_shared<ClsEntryPtr>();
  e->EntryName = name;
  e->lEntryptr = ptr;
  e->Scope.assign(scope);
  return e;
}

}  // namespace

bool clsParser::ParseDeclarator(clsFixPtr& out_decl, bool anyWord) {
  out_decl = clsFixPtr();
  std::string name;
  int32_t ptr = 0;
  if (!ReadName(anyWord, name, ptr)) return false;
  const std::string_view suffix = TypeNameOfSuffix(CurCode());
  if (!suffix.empty()) {
    Next();
    out_decl.SymType.assign(suffix);
    out_decl.SymTypeTable = m_oRun->g_sSymTableKey;
  }
  SkipWhitespace();
  out_decl.TokenString = std::move(name);
  out_decl.Ptr = ptr;
  out_decl.SymTable = m_oRun->g_sSymTableKey;
  return true;
}

bool clsParser::ParseSubscript() {
  if (CurCode() != '(') {
    SkipWhitespace();
    return false;
  }
  int32_t depth = 0;
  bool continued = false;  // a "_" stands last on the line so far
  while (!AtEnd()) {
    const int32_t code = CurCode();
    if (code == '(') {
      ++depth;
    } else if (code == ')') {
      if (--depth == 0) {
        Next();
        SkipWhitespace();
        return true;
      }
    } else if (code == TokEndOfLine) {
      if (!continued) return true;  // unbalanced: the statement ends with its line
      continued = false;
      Next();
      continue;
    }
    if (code == '_') {
      continued = true;
    } else if (code != TokWhiteSpace) {
      continued = false;
    }
    Next();
  }
  return true;
}

clsParser::TypeNameKind clsParser::ReadTypeName(std::string& out_sType, int32_t& out_lPtr) {
  out_sType.clear();
  out_lPtr = 0;
  const int32_t code = CurCode();
  const std::string_view builtin = TypeNameOfToken(code);
  if (!builtin.empty()) {
    AcceptToken(code);
    out_sType.assign(builtin);
    // String * n: the length is a number or a constant name.
    if (code == KwString && AcceptToken('*') && CurCode() >= TokIdentifier) AcceptToken(CurCode());
    return TypeNameKind::kBuiltin;
  }
  clsFixup names;
  if (!AcceptName(names)) return TypeNameKind::kNone;
  bool closed = false;
  ParseQualifiedName(names, closed, ')');
  out_sType = JoinNames(names);
  if (auto first = names.Item(1L)) out_lPtr = first->Ptr;
  return TypeNameKind::kNamed;
}

bool clsParser::ParseAsClause(clsFixPtr& inout_decl) {
  if (CurCode() != KwAs) return false;
  AcceptToken(KwAs);
  SkipLineContinuation();
  AcceptToken(KwNew);
  if (CurCode() == KwAny) {
    AcceptToken(KwAny);
    inout_decl.SymType.clear();
    inout_decl.SymTypeTable = m_oRun->g_sSymTableKey;
    return true;
  }
  std::string type;
  int32_t namePtr = 0;
  const TypeNameKind kind = ReadTypeName(type, namePtr);
  if (kind == TypeNameKind::kNone) return true;
  inout_decl.SymType = std::move(type);
  inout_decl.SymTypeTable = m_oRun->g_sSymTableKey;
  if (kind == TypeNameKind::kNamed) SkipWhitespace();
  return true;
}

void clsParser::ParseVariableDecl(std::string_view scope) {
  ParseLocalVariableDecl(m_oRun->g_oEntryList, scope);
}

void clsParser::ParseLocalVariableDecl(ClsEntry* list, std::string_view scope) {
  while (true) {
    AcceptToken(KwWithEvents);
    clsFixPtr decl;
    if (ParseDeclarator(decl)) {
      decl.HasSubscript = ParseSubscript();
      ParseAsClause(decl);
      SkipWhitespace();
      auto e = NewEntry(decl.TokenString, decl.Ptr, scope);
      e->EntryType = decl.SymType;
      e->lEntryTypePtr = decl.Ptr;
      if (list) list->Add(std::move(e));
    }
    if (CurCode() != ',') return;
    Next();
    SkipWhitespace();
    SkipLineContinuation();
  }
}

bool clsParser::ValueIsSingleString() const {
  if (!m_oTokenStream) return false;
  const clsTokenStream& ts = *m_oTokenStream;
  int32_t p = ts.TokenPtr();
  auto skipBlanks = [&] {
    while (ts.TokenCodeAt(p) == TokWhiteSpace) ++p;
  };
  skipBlanks();
  if (ts.TokenCodeAt(p) != '=') return false;
  ++p;
  skipBlanks();
  if (ts.TokenCodeAt(p) == '_') {  // a continuation right after "="
    int32_t q = p + 1;
    if (ts.TokenCodeAt(q) == TokWhiteSpace) ++q;
    if (ts.TokenCodeAt(q) == TokEndOfLine) {
      p = q + 1;
      skipBlanks();
    }
  }
  if (ts.TokenCodeAt(p) != TokString) return false;
  ++p;
  skipBlanks();
  const int32_t after = ts.TokenCodeAt(p);
  return after == ',' || after == TokEndOfLine || after == TokComment || after == ':' || after == 0;
}

void clsParser::ParseConstDecl(std::string_view scope) {
  ParseLocalConstDecl(m_oRun->g_oEntryList, scope);
}

void clsParser::ParseLocalConstDecl(ClsEntry* list, std::string_view scope) {
  if (!AcceptToken(KwConst)) return;
  while (true) {
    clsFixPtr decl;
    if (!ParseDeclarator(decl)) return;
    bool record = true;
    std::string type;
    int32_t typePtr = 0;
    if (AcceptToken(KwAs)) {
      SkipLineContinuation();
      int32_t namePtr = 0;
      switch (ReadTypeName(type, namePtr)) {
        case TypeNameKind::kBuiltin:
          break;
        case TypeNameKind::kNamed:
          SkipWhitespace();
          // A named type points at the constant's own name.
          typePtr = decl.Ptr;
          break;
        case TypeNameKind::kNone:
          record = false;
          break;
      }
    } else if (!decl.SymType.empty()) {
      type = decl.SymType;
    } else {
      type = ValueIsSingleString() ? "String" : "Long";
    }
    if (record) {
      auto e = NewEntry(decl.TokenString, decl.Ptr, scope);
      e->EntryType = std::move(type);
      e->lEntryTypePtr = typePtr;
      e->eEntrytype = kEntryConst;
      if (list) list->Add(std::move(e));
    }
    if (AcceptToken('=')) {
      clsFixup dropped;
      if (!SkipExpression(dropped, true)) return;  // ended after the line end
      SkipLineContinuation();
      continue;
    }
    if (CurCode() != ',') return;
    Next();
    SkipWhitespace();
    SkipLineContinuation();
  }
}

void clsParser::ParseEnumDecl(std::string_view scope) {
  if (!AcceptToken(KwEnum)) return;
  std::shared_ptr<ClsEntry> members;
  clsFixPtr decl;
  if (ParseDeclarator(decl)) {
    auto e = NewEntry(decl.TokenString, decl.Ptr, scope);
    e->eEntrytype = kEntryEnum;
    e->Parameters = std::make_shared<ClsEntry>();
    members = e->Parameters;
    if (m_oRun->g_oEntryList) m_oRun->g_oEntryList->Add(std::move(e));
  }
  while (!AtEnd() && CurCode() != KwEnd) {
    YieldPoint();
    if (AtDirectiveLine()) {
      SkipToLineEnd();
      continue;
    }
    clsFixPtr m;
    if (ParseDeclarator(m)) {
      auto e = NewEntry(m.TokenString, m.Ptr, "");
      e->EntryType = "Long";
      if (members) members->Add(std::move(e));
      if (AcceptToken('=')) {
        SkipEnumValue();
      } else {
        Next();
      }
    } else {
      Next();
    }
  }
  AcceptToken(KwEnd);
  AcceptToken(KwEnum);
}

void clsParser::ParseTypeDecl(std::string_view scope) {
  if (!AcceptToken(KwType)) return;
  std::shared_ptr<ClsEntry> members;
  clsFixPtr decl;
  if (ParseDeclarator(decl)) {
    auto e = NewEntry(decl.TokenString, decl.Ptr, scope);
    e->eEntrytype = kEntryType;
    e->Parameters = std::make_shared<ClsEntry>();
    members = e->Parameters;
    if (m_oRun->g_oEntryList) m_oRun->g_oEntryList->Add(std::move(e));
  }
  while (!AtEnd() && CurCode() != KwEnd) {
    YieldPoint();
    Next();
    SkipWhitespace();
    if (AtDirectiveLine()) {
      SkipToLineEnd();
      continue;
    }
    if (!AtDeclaredName()) continue;
    clsFixPtr m;
    if (!ParseDeclarator(m, true)) continue;
    auto e = NewEntry(m.TokenString, m.Ptr, "");
    m.HasSubscript = ParseSubscript();
    ParseAsClause(m);
    e->EntryType = m.SymType;
    e->lEntryTypePtr = m.Ptr;
    if (members) members->Add(std::move(e));
  }
  AcceptToken(KwEnd);
  AcceptToken(KwType);
}

void clsParser::ParseOptionStatement() {
  if (CurCode() != KwOption) return;
  Next();
  SkipWhitespace();
  switch (CurCode()) {
    case KwExplicit:
      AcceptToken(KwExplicit);
      break;
    case KwPrivate:
      AcceptToken(KwPrivate);
      if (CurCode() == VbpModule) AcceptToken(VbpModule);  // never in code: Module is a word
      break;
      // The Alt codes are the same words in another keyword table's numbering.
    case KwBase:
    case AltKwBase:
      AcceptToken(CurCode());
      if (CurCode() == TokIdentifier) Next();
      break;
    case KwCompare:
    case AltKwCompare: {
      AcceptToken(CurCode());
      const int32_t c = CurCode();
      if (c == KwBinary || c == AltKwBinary || c == KwText || c == AltKwText || c == KwDatabase ||
          c == AltKwDatabase)
        AcceptToken(c);
      break;
    }
    default:
      break;
  }
}

}  // namespace qs
