// The code section scan: re-coding the section's words with the code keyword table and the
// statement dispatch that hands each declaration to its routine.
#include <exception>
#include <memory>
#include <mutex>
#include <utility>

#include "model/ClsEntry.h"
#include "model/ClsSymEntry.h"
#include "model/SymGlobals.h"
#include "parser/clsParser.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"
#include "text/clsToken.h"
#include "text/clsTokenStream.h"

namespace qs {

namespace {

// Makes one list of the module's entry the target of the next declaration. The entry is fetched
// by key each time, so a second file with the same name adds to the first file's entry. Without
// an entry the target is empty and the statement routines record nothing.
void SelectList(const SymbolTarget& sym, std::shared_ptr<ClsEntry> ClsSymEntry::*list) {
  std::shared_ptr<ClsSymEntry>& entry = *sym.entry;
  entry = *sym.table ? (*sym.table)->Item(std::string_view(*sym.key)) : nullptr;
  *sym.list = entry ? (*entry).*list : nullptr;
}

// The code keyword table never changes, so every file is re-coded with one table object
// instead of filling a fresh one per file. A table whose fill failed is filled again next time.
// Files may be re-coded on several threads at once: the table is handed out under a lock and
// shared, so a refill never frees a table another thread still reads.
std::shared_ptr<const clsToken> CodeKeywords() {
  static std::mutex lock;
  static std::shared_ptr<const clsToken> table;
  const std::lock_guard<std::mutex> guard(lock);
  if (!table || !table->Initialised) {
    auto fresh = std::make_shared<clsToken>();
    fresh->InitialiseTokenTable();
    table = std::move(fresh);
  }
  return table;
}

}  // namespace

void clsParser::RemapTokens(int32_t in_lCodePtr) {
  try {
    if (!m_oTokenStream) return;
    clsTokenStream& ts = *m_oTokenStream;
    if (in_lCodePtr < 0 || in_lCodePtr > ts.Count()) return;
    const std::shared_ptr<const clsToken> table = CodeKeywords();
    const clsToken& keywords = *table;
    // Characters, line ends, blanks, comments and strings keep their codes.
    ts.RecodeWords(in_lCodePtr, TokString, [&keywords](std::string_view word) {
      return keywords.CodeOfHashed(word, clsHashTable::FullHash(word));
    });
    ts.SetTokenPtr(in_lCodePtr);
  } catch (...) {
    // The words after the failure keep their codes; the scan reads them as plain names.
  }
}

void clsParser::ParseForwardDecl(int32_t in_lCodePtr) {
  try {
    ClearParseError();
    if (!m_oTokenStream) return;
    if (in_lCodePtr < 0 || in_lCodePtr > m_oTokenStream->Count()) return;
    m_oTokenStream->SetTokenPtr(in_lCodePtr);
    while (!AtEnd()) {
      YieldToWindowSystem();
      const int32_t at = CurPtr();
      switch (CurCode()) {
        case KwFriend:
        case KwPublic:
        case KwPrivate:
          ParseScopedDecl(CurCode());
          break;
        case KwOption:
          ParseOptionStatement();
          break;
        case KwProperty: {
          AcceptToken(KwProperty);
          SelectList(m_oSym, &ClsSymEntry::EProperty);
          const int32_t accessor = CurCode();
          if (accessor == KwGet || accessor == KwLet || accessor == KwSet)
            ParsePropertyDecl(accessor, "Public");
          break;
        }
        case KwWithEvents:
          SelectList(m_oSym, &ClsSymEntry::EVar);
          ParseVariableDecl("Private");
          break;
        case KwFunction:
          SelectList(m_oSym, &ClsSymEntry::EFunction);
          ParseFunctionDecl("Public");
          break;
        case KwSub:
          SelectList(m_oSym, &ClsSymEntry::ESub);
          ParseSubDecl("Public");
          break;
        case KwConst:
          SelectList(m_oSym, &ClsSymEntry::EConst);
          ParseConstDecl("");
          break;
        case KwDeclare:
          SelectList(m_oSym, &ClsSymEntry::EDeclare);
          ParseDeclareDecl("Public");
          break;
        case KwDim:
          AcceptToken(KwDim);
          SelectList(m_oSym, &ClsSymEntry::EVar);
          ParseVariableDecl("Private");
          break;
        case KwEnum:
          SelectList(m_oSym, &ClsSymEntry::EEnum);
          ParseEnumDecl("Public");
          break;
        case KwEvent:
          SelectList(m_oSym, &ClsSymEntry::EEvent);
          ParseEventDecl("Public");
          break;
        case KwType:
          SelectList(m_oSym, &ClsSymEntry::EType);
          ParseTypeDecl("Public");
          break;
        case '#':
          // #If, #ElseIf, #Else, #End If and #Const lines are read past whole.
          if (AtDirectiveLine()) SkipToLineEnd();
          break;
        default:
          break;
      }
      // Every statement routine consumes at least its keyword; anything else is passed over.
      if (CurPtr() <= at) Next();
    }
  } catch (...) {
    // The scan ends here: the module keeps the declarations recorded before the failure.
  }
}

void clsParser::ParseScopedDecl(int32_t keyword) {
  const char* scope = keyword == KwFriend ? "Friend" : keyword == KwPublic ? "Public" : "Private";
  if (!AcceptToken(keyword)) return;
  AcceptToken(KwStatic);
  const int32_t code = CurCode();
  switch (code) {
    case KwWithEvents:
      SelectList(m_oSym, &ClsSymEntry::EVar);
      ParseVariableDecl(scope);
      return;
    case KwProperty: {
      AcceptToken(KwProperty);
      const int32_t accessor = CurCode();
      if (accessor == KwGet || accessor == KwLet || accessor == KwSet) {
        SelectList(m_oSym, &ClsSymEntry::EProperty);
        ParsePropertyDecl(accessor, scope);
      }
      return;
    }
    case KwFunction:
      SelectList(m_oSym, &ClsSymEntry::EFunction);
      ParseFunctionDecl(scope);
      return;
    case KwSub:
      SelectList(m_oSym, &ClsSymEntry::ESub);
      ParseSubDecl(scope);
      return;
    case KwConst:
      SelectList(m_oSym, &ClsSymEntry::EConst);
      ParseConstDecl(scope);
      return;
    case KwDeclare:
      SelectList(m_oSym, &ClsSymEntry::EDeclare);
      ParseDeclareDecl(scope);
      return;
    case KwEnum:
      SelectList(m_oSym, &ClsSymEntry::EEnum);
      ParseEnumDecl(scope);
      return;
    case KwEvent:
      SelectList(m_oSym, &ClsSymEntry::EEvent);
      ParseEventDecl(scope);
      return;
    case KwType:
      SelectList(m_oSym, &ClsSymEntry::EType);
      ParseTypeDecl(scope);
      return;
    default:
      // A variable: a name token, or a bracketed name.
      if (IsNameToken(code) || code == '[') {
        SelectList(m_oSym, &ClsSymEntry::EVar);
        ParseVariableDecl(scope);
      }
      return;
  }
}

}  // namespace qs
