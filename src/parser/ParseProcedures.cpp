// Procedure headers (Sub, Function, Property Get/Let/Set, Event, Declare), their parameter
// lists and return types, and the scan of procedure bodies for locals and local constants.
#include <string>

#include "model/ClsEntry.h"
#include "model/RunState.h"
#include "parser/TypeSuffix.h"
#include "parser/clsParser.h"
#include "text/Cp1252.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"
#include "text/clsFixup.h"
#include "text/clsTokenStream.h"

namespace qs {

namespace {

int32_t PassingMode(bool optional, bool byVal, bool paramArray) {
  if (paramArray) return kArgParamArray;
  if (byVal && optional) return kArgOptionalByVal;
  if (byVal) return kArgByVal;
  if (optional) return kArgOptional;
  return kArgByRef;
}

}  // namespace

void clsParser::ParseSubDecl(std::string_view scope) {
  ParseProcedure(KwSub, kEntrySub, scope, KwSub, false);
}

void clsParser::ParseFunctionDecl(std::string_view scope) {
  ParseProcedure(KwFunction, kEntryFunction, scope, KwFunction, true);
}

void clsParser::ParsePropertyDecl(int32_t accessor, std::string_view scope) {
  const int32_t kind = accessor == KwGet   ? kEntryPropertyGet
                       : accessor == KwLet ? kEntryPropertyLet
                                           : kEntryPropertySet;
  ParseProcedure(accessor, kind, scope, KwProperty, accessor == KwGet);
}

void clsParser::ParseEventDecl(std::string_view scope) {
  ParseProcedure(KwEvent, kEntrySub, scope, 0, false);
}

void clsParser::ParseProcedure(int32_t leadCode, int32_t kind, std::string_view scope,
                               int32_t endKeyword, bool hasReturn) {
  if (!AcceptToken(leadCode)) return;
  // Procedures are named like statements often enough (Reset, Object, Unload): any word.
  clsFixPtr decl;
  if (!ParseDeclarator(decl, true)) return;
  auto e = std::make_shared<ClsEntryPtr>();
  e->EntryName = decl.TokenString;
  e->Scope.assign(scope);
  e->lEntryptr = decl.Ptr;
  e->eEntrytype = kind;
  if (m_oRun->g_oEntryList) m_oRun->g_oEntryList->Add(e);
  int32_t heldPtr = decl.Ptr;
  if (AcceptToken('(')) {
    e->Parameters = std::make_shared<ClsEntry>();
    ParseParameterList(*e->Parameters, heldPtr);
  }
  if (hasReturn) {
    SkipWhitespace();
    SkipLineContinuation();
    clsFixPtr returned;
    if (ParseAsClause(returned)) {
      e->ReturnType = returned.SymType;
      e->lEntryTypePtr = heldPtr;
    } else if (!decl.SymType.empty()) {  // Function F$()
      e->ReturnType = decl.SymType;
      e->lEntryTypePtr = decl.Ptr;
    }
  }
  if (endKeyword != 0) ParseProcedureBody(*e, endKeyword);
}

bool clsParser::AtDeclaredName() const {
  const int32_t code = CurCode();
  if (code == '[') return true;
  if (code < TokIdentifier || IsNumberToken(CurPtr())) return false;
  if (IsNameToken(code)) return true;
  // A word of any code names what is declared when As, a subscript or a type-suffix character
  // follows it: Object As t_UserOBJ, Next As Long.
  const int32_t after = CodeAfterBlanks(CurPtr());
  return after == KwAs || after == '(' || !TypeNameOfSuffix(after).empty();
}

bool clsParser::ParseParameterName(ClsEntry& list, std::shared_ptr<ClsEntryPtr>& out_entry,
                                   std::string_view scope, int32_t mode) {
  std::string name;
  int32_t ptr = 0;
  if (!ReadName(true, name, ptr)) return false;
  auto e = std::make_shared<ClsEntryPtr>();
  e->EntryName = std::move(name);
  e->Scope.assign(scope);
  e->lEntryptr = ptr;
  e->lEntryTypePtr = ptr;
  e->eArgScope = mode;
  const std::string_view suffix = TypeNameOfSuffix(CurCode());
  if (!suffix.empty()) {
    Next();
    e->EntryType.assign(suffix);
  }
  list.Add(e);
  out_entry = std::move(e);
  return true;
}

void clsParser::ParseParameterType(clsFixPtr& out_decl) {
  out_decl = clsFixPtr();
  out_decl.SymTable = m_oRun->g_sSymTableKey;
  if (CurCode() == KwAny) {
    AcceptToken(KwAny);
    return;
  }
  std::string type;
  int32_t namePtr = 0;
  const TypeNameKind kind = ReadTypeName(type, namePtr);
  if (kind == TypeNameKind::kNone) return;
  out_decl.SymType = std::move(type);
  out_decl.SymTypeTable = m_oRun->g_sSymTableKey;
  if (kind == TypeNameKind::kNamed) out_decl.Ptr = namePtr;
}

void clsParser::ParseParameterList(ClsEntry& params, int32_t& inout_lHeldPtr) {
  int32_t depth = 1;
  bool optional = false;
  bool byVal = false;
  bool paramArray = false;
  bool expectName = true;  // at the start of a parameter
  bool inDefault = false;  // inside a default value
  std::shared_ptr<ClsEntryPtr> last;
  while (!AtEnd()) {
    YieldPoint();
    const int32_t code = CurCode();
    if (depth == 1) {
      if (code == ',') {
        // Passing-mode keywords belong to the parameter they precede.
        optional = byVal = paramArray = false;
        expectName = true;
        inDefault = false;
        Next();
        continue;
      }
      if (!inDefault) {
        if (code == KwOptional || code == KwByVal || code == KwByRef || code == KwParamArray) {
          if (code == KwOptional) optional = true;
          if (code == KwByVal) byVal = true;
          if (code == KwByRef) byVal = false;
          if (code == KwParamArray) paramArray = true;
          Next();
          continue;
        }
        if (expectName && AtDeclaredName() &&
            ParseParameterName(params, last, "local", PassingMode(optional, byVal, paramArray))) {
          expectName = false;
          continue;
        }
        if (code == KwAs) {
          AcceptToken(KwAs);
          SkipLineContinuation();
          clsFixPtr type;
          ParseParameterType(type);
          if (last) {
            last->EntryType = type.SymType;
            last->lEntryTypePtr = type.Ptr;
            last->eArgScope = PassingMode(optional, byVal, paramArray);
          }
          inout_lHeldPtr = type.Ptr;
          expectName = false;
          continue;
        }
        if (code == '=') {
          // Only a name standing right after "=" is recorded; the rest of the value is passed.
          Next();
          SkipWhitespace();
          SkipLineContinuation();
          inDefault = true;
          expectName = false;
          if (CurCode() == TokIdentifier && !IsNumberToken(CurPtr()) &&
              ParseParameterName(params, last, "default", kArgNotSet)) {
            last->eArgScope = kArgNotSet;
            last->EntryType.clear();
            clsFixup chain;
            bool closed = false;
            ParseQualifiedName(chain, closed, ')');
          }
          continue;
        }
      }
    }
    if (code == '(') {
      ++depth;
    } else if (code == ')') {
      if (--depth == 0) {
        Next();
        return;
      }
    }
    Next();
  }
}

void clsParser::ParseProcedureBody(ClsEntryPtr& proc, int32_t endKeyword) {
  proc.EVar = std::make_shared<ClsEntry>();
  proc.EConst = std::make_shared<ClsEntry>();
  while (!AtEnd()) {
    YieldPoint();
    bool stepped = false;
    // Most body tokens are none of these: one code fetch decides.
    const int32_t code = CurCode();
    if (code == '#') {
      if (AtDirectiveLine()) SkipToLineEnd();
    } else if (code == KwDim || code == KwStatic) {
      AcceptToken(KwDim);
      AcceptToken(KwStatic);
      ParseLocalVariableDecl(proc.EVar.get(), proc.EntryName);
    } else if (code == KwConst) {
      // The constant's value walk ends after its line end: the next line's first token is
      // already current and must not be stepped over.
      ParseLocalConstDecl(proc.EConst.get(), proc.EntryName);
      stepped = true;
    }
    if (!stepped) Next();
    if (CurCode() == KwEnd) {
      const int32_t at = CurPtr();
      Next();
      SkipWhitespace();
      if (CurCode() == endKeyword) return;
      m_oTokenStream->SetTokenPtr(at);
    }
  }
}

void clsParser::ParseDeclareDecl(std::string_view scope) {
  if (!AcceptToken(KwDeclare)) return;
  SkipLineContinuation();
  // Declare PtrSafe (VBA7) is a modifier, never the declaration's name.
  if (CurCode() >= TokIdentifier && EqualsNoCase1252(CurText(), "PtrSafe")) {
    Next();
    SkipWhitespace();
    SkipLineContinuation();
  }
  int32_t kind = kEntryNotSet;
  if (AcceptToken(KwSub)) {
    kind = kEntrySub;
  } else if (AcceptToken(KwFunction)) {
    kind = kEntryFunction;
  }
  SkipLineContinuation();
  std::string name;
  int32_t ptr = 0;
  if (!ReadName(true, name, ptr)) return;
  auto e = std::make_shared<ClsEntryPtr>();
  e->EntryName = std::move(name);
  e->Scope.assign(scope);
  e->lEntryptr = ptr;
  e->eEntrytype = kind;
  if (m_oRun->g_oEntryList) m_oRun->g_oEntryList->Add(e);
  const std::string_view suffix = TypeNameOfSuffix(CurCode());
  if (!suffix.empty()) Next();
  SkipWhitespace();
  SkipLineContinuation();
  if (AcceptToken(KwLib)) {
    SkipLineContinuation();
    if (CurCode() != TokString) return;
    e->LibName.assign(CurText());
    Next();
    SkipWhitespace();
    SkipLineContinuation();
    if (AcceptToken(KwAlias)) {
      SkipLineContinuation();
      if (CurCode() == TokString) {
        e->AliasName.assign(CurText());
        Next();
        SkipWhitespace();
        SkipLineContinuation();
      }
    }
  } else {
    return;
  }
  int32_t heldPtr = ptr;
  if (AcceptToken('(')) {
    e->Parameters = std::make_shared<ClsEntry>();
    ParseParameterList(*e->Parameters, heldPtr);
  }
  SkipWhitespace();
  SkipLineContinuation();
  clsFixPtr returned;
  if (ParseAsClause(returned)) {
    e->ReturnType = returned.SymType;
  } else if (!suffix.empty()) {
    e->ReturnType.assign(suffix);
  }
}

}  // namespace qs
