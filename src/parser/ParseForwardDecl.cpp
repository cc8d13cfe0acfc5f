// The code section scan: re-coding the section's words with the code keyword table and the
// statement dispatch that hands each declaration to its routine.
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <utility>

#include "model/ClsEntry.h"
#include "model/ClsSymEntry.h"
#include "model/RunState.h"
#include "parser/clsParser.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"
#include "text/clsToken.h"
#include "text/clsTokenStream.h"

namespace qs {

namespace {

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
  } catch (const std::bad_alloc&) {
    throw;  // out of memory fails the run at its boundary
  } catch (const std::exception& e) {
    // The words after the failure keep their codes (the scan reads them as plain names); the
    // run hears of it as a warning.
    WarnFailure("the keywords of this module's code could not all be recognised", e);
  }
}

void clsParser::ParseForwardDecl(int32_t in_lCodePtr) {
  try {
    ClearParseError();
    if (!m_oTokenStream) return;
    if (in_lCodePtr < 0 || in_lCodePtr > m_oTokenStream->Count()) return;
    m_oTokenStream->SetTokenPtr(in_lCodePtr);
    while (!AtEnd()) {
      YieldPoint();
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
        case '#':
          // #If, #ElseIf, #Else, #End If and #Const lines are read past whole.
          if (AtDirectiveLine()) SkipToLineEnd();
          break;
        default:
          ParseDeclaration("");
          break;
      }
      // Every statement routine consumes at least its keyword; anything else is passed over.
      if (CurPtr() <= at) Next();
    }
  } catch (const std::bad_alloc&) {
    throw;  // out of memory fails the run at its boundary
  } catch (const std::exception& e) {
    // The scan ends here: the module keeps the declarations recorded before the failure, and
    // the run hears of it as a warning.
    WarnFailure(kModuleAnalysisEnded, e);
  }
}

void clsParser::ParseScopedDecl(int32_t keyword) {
  const char* scope = keyword == KwFriend ? "Friend" : keyword == KwPublic ? "Public" : "Private";
  if (!AcceptToken(keyword)) return;
  AcceptToken(KwStatic);
  ParseDeclaration(scope);
}

void clsParser::SelectList(ClsEntry ClsSymEntry::*in_oList) {
  // The entry is fetched by key each time, so a second file with the same name adds to the first
  // file's entry. Without an entry the target is empty and the statement routines record nothing.
  RunState& run = *m_oRun;
  run.g_oSymEntry =
      run.g_oSymTable ? run.g_oSymTable->Item(std::string_view(run.g_sSymTableKey)) : nullptr;
  run.g_oEntryList = run.g_oSymEntry ? &((*run.g_oSymEntry).*in_oList) : nullptr;
}

void clsParser::ParseDeclaration(std::string_view in_sScope) {
  // Without a scope word every kind has its own default: Public for procedures, events, Declares,
  // enumerations and types, Private for variables, none for constants.
  const bool scoped = !in_sScope.empty();
  const auto scopeOr = [&](std::string_view unscoped) { return scoped ? in_sScope : unscoped; };
  const int32_t code = CurCode();
  switch (code) {
    case KwWithEvents:
      SelectList(&ClsSymEntry::EVar);
      ParseVariableDecl(scopeOr("Private"));
      return;
    case KwProperty: {
      AcceptToken(KwProperty);
      const int32_t accessor = CurCode();
      if (accessor == KwGet || accessor == KwLet || accessor == KwSet) {
        SelectList(&ClsSymEntry::EProperty);
        ParsePropertyDecl(accessor, scopeOr("Public"));
      }
      return;
    }
    case KwFunction:
      SelectList(&ClsSymEntry::EFunction);
      ParseFunctionDecl(scopeOr("Public"));
      return;
    case KwSub:
      SelectList(&ClsSymEntry::ESub);
      ParseSubDecl(scopeOr("Public"));
      return;
    case KwConst:
      SelectList(&ClsSymEntry::EConst);
      ParseConstDecl(scopeOr(""));
      return;
    case KwDeclare:
      SelectList(&ClsSymEntry::EDeclare);
      ParseDeclareDecl(scopeOr("Public"));
      return;
    case KwEnum:
      SelectList(&ClsSymEntry::EEnum);
      ParseEnumDecl(scopeOr("Public"));
      return;
    case KwEvent:
      SelectList(&ClsSymEntry::EEvent);
      ParseEventDecl(scopeOr("Public"));
      return;
    case KwType:
      SelectList(&ClsSymEntry::EType);
      ParseTypeDecl(scopeOr("Public"));
      return;
    case KwDim:
      // Dim stands alone: "Public Dim" declares nothing.
      if (scoped) return;
      AcceptToken(KwDim);
      SelectList(&ClsSymEntry::EVar);
      ParseVariableDecl("Private");
      return;
    default:
      // After a scope word, a name (or a bracketed name) starts a variable.
      if (scoped && (IsNameToken(code) || code == '[')) {
        SelectList(&ClsSymEntry::EVar);
        ParseVariableDecl(in_sScope);
      }
      return;
  }
}

}  // namespace qs
