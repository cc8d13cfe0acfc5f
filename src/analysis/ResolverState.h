// The cross-reference resolver (UseResolver.h) inside: what a run reads (the tables every walk
// shares), what one walk gives, and the Resolver that fills them. Internal to src/analysis. Its
// work is spread over files by step, each defining the Resolver's functions of its step:
//
// - UseResolver.cpp: the run (the modules in order, the steps one after the other);
// - ResolverTables.h/.cpp: the name table and the walk's memo of names looked up;
// - ResolverDeclarations.cpp: each module's declarations read from its records;
// - ResolverLookup.cpp: what a name, a type name or a member names (other projects' too);
// - ResolverTokens.cpp: bracketed names, date literals and line ends inside tokens, as read;
// - ResolverWalk.cpp: the walk over each module's tokens, line by line, statement by statement,
//   on several threads, and the merge of the walks' outputs;
// - ResolverExpressions.cpp: the names of a statement's expressions, chains and assignments;
// - ResolverIndexes.cpp: the indexes of the finished cross references and the exposure.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "analysis/CompileConstants.h"
#include "analysis/ResolverTables.h"
#include "analysis/ResolverWords.h"
#include "model/CrossReferences.h"
#include "text/Cp1252.h"
#include "text/TokenCodes.h"
#include "text/clsTokenStream.h"

namespace qs {

class clsSymTable;
class clsVBFileTypes;

namespace resolver {

// One significant token of a logical line (continued lines joined, blanks and comments left out).
struct Tok {
  int32_t pos;
  int32_t code;
  int32_t line;
  int32_t column;         // the 1-based byte column of the token on its physical line
  int32_t colAdd;         // added to column for the name's place: 1 past a form's bracket, else 0
  std::string_view name;  // the name of a word (a bracketed name without its brackets)
  bool unread = false;    // a keyword that is no name: its text is read when asked (Fetch)
};

// The state of a member chain (a.b(1).c) while its tokens are read.
struct Chain {
  bool active = false;
  int32_t owner = kNoDecl;  // the type of the last element: a module, type or enum declaration
  int32_t typed = kNoDecl;  // when set, owner is TypeOwner(typed), worked out when a member follows
  int32_t use = -1;         // the last element's use
  int32_t scope = 0;        // where the last element was found
  int32_t length = 0;       // elements so far
  int32_t foreign = -1;     // the last element's use of another project's member (foreignUses)
  bool late = false;        // the last element's type is unknown: its members are late-bound
  bool undeclared = false;  // the chain starts with a name nothing declares (PropertyPage, ...)
};

inline bool IsSuffix(int32_t code) {
  return code == '%' || code == '&' || code == '!' || code == '#' || code == '@' || code == '$';
}

inline bool IsWordCode(int32_t code) {
  return code > kLastCharacterCode && code != TokEndOfLine && code != TokWhiteSpace &&
         code != TokComment && code != TokUndefined && code != TokString;
}

inline bool StartsWithDigit(std::string_view s) {
  return !s.empty() && s[0] >= '0' && s[0] <= '9';
}

// What every walk reads: the name table and the declarations' types, complete before any walk.
struct Tables {
  NameTable names;
  // TypeOwner of each declaration, -3 before it is worked out: worked out by the walks when a
  // member follows a use (each writes the same value, so they may race on it).
  std::unique_ptr<std::atomic<int32_t>[]> typeOf;
  std::vector<std::pair<int32_t, int32_t>> declRange;  // each module's declarations [first, end)
  std::unordered_map<int32_t, std::string_view> controlType;
  // Each module's token positions [from, to) that conditional compilation leaves out, in order.
  std::vector<std::vector<std::pair<int32_t, int32_t>>> inactive;
};

// Other projects' exposed classes (ResolveCrossReferences' in_pOtherClasses), by name: a class
// by its name {kAnyScope, name, kClasses}, a project by its name {kAnyScope, name, kProjects}
// (giving its first class), a class of a project {first class, name, kClasses}, a member of a
// class {class, name, kMembers}. A chain whose owner is one of them holds kForeignClass - class,
// or kForeignProject - the project's first class: below every declaration id and sentinel.
struct ForeignTable {
  const std::vector<ExposedClass>* classes = nullptr;
  std::unordered_map<NameKey, int32_t, NameKeyHash, NameKeyEqual> names;
};
constexpr int32_t kAnyScope = -1;
constexpr int32_t kClasses = 3;
constexpr int32_t kProjects = 4;
constexpr int32_t kMembers = 5;
constexpr int32_t kForeignClass = -16;
constexpr int32_t kForeignProject = -(1 << 28);

// Declarations a walk makes itself (labels, implicit locals) have ids from kLocalBase on until
// the walks' outputs are merged.
constexpr int32_t kLocalBase = 1 << 30;

// What one walk of a run of modules gives, merged in module order when all walks have ended.
struct WalkOutput {
  UseList::Block uses;
  std::vector<UseList::FileRun> runs;  // the first use of each module walked
  std::vector<std::pair<std::string, uint32_t>> external;
  uint64_t unresolvedMembers = 0;
  uint64_t ambiguous = 0;
  std::vector<CrossDeclaration> decls;  // ids kLocalBase + index
  std::vector<size_t> localUses;        // the uses of those, by index in uses
  std::unordered_map<int32_t, std::pair<int32_t, int32_t>> implicitLocals;
  std::deque<std::string> ownedNames;  // bracketed names spread over several tokens
  std::vector<ForeignUse> foreignUses;
  std::vector<Implementation> implementations;
  std::vector<LateBoundUse> lateBound;
  std::vector<std::pair<int32_t, int32_t>> eventHandlers;  // (event, handler)
};

// A With block's owner when its object's type is not known: its members are late-bound.
constexpr int32_t kLateWith = -3;

// Walk modes.
constexpr int kRead = 0;
constexpr int kDeclare = 1;  // Dim, Const, module-level variables: declarators at depth 0
constexpr int kHeader = 2;   // procedure, event and Declare headers: parameters at depth 1

class Resolver {
 public:
  Resolver(std::string_view projectName, CrossReferences& out)
      : m_project(projectName), m_out(out), m_tab(m_ownTables) {
    m_ownTables.names.decls = &m_out.decls;
  }
  /// A walker: reads the master's tables and declarations, writes its own output.
  Resolver(const Resolver& master, WalkOutput& walk)
      : m_project(master.m_project),
        m_out(master.m_out),
        m_tab(master.m_tab),
        m_activeX(master.m_activeX),
        m_startup(master.m_startup),
        m_walk(&walk),
        m_foreign(master.m_foreign) {}

  /// Fills the table of other projects' exposed classes (before Run).
  void SetForeignClasses(const std::vector<ExposedClass>* classes);

  void Run(const clsVBFileTypes& items, const clsSymTable* table);
  /// Whether Run builds the indexes only the export and the site read (declOf's analysis
  /// records, callStart and callList).
  void SetForExport(bool forExport) { m_forExport = forExport; }
  /// Constants (name, expression) that override or add to the project file's CondComp ones.
  void SetDefines(const std::vector<std::pair<std::string, std::string>>* defines) {
    m_defines = defines;
  }
  void WalkModule(int32_t m);
  Resolver(const Resolver&) = delete;
  Resolver& operator=(const Resolver&) = delete;

 private:
  // Declaration table (UseResolver.cpp, ResolverDeclarations.cpp).
  int32_t AddDecl(DeclKind kind, const ClsEntryPtr* entry, std::string_view name, int32_t module,
                  int32_t parent, int32_t pos);
  void Insert(int32_t scope, int32_t decl, int32_t space = kNames) {
    m_tab.names.Insert(scope, decl, space);
  }
  int32_t Find(int32_t scope, std::string_view name, int32_t space = kNames) const {
    return m_tab.names.Find(scope, name, space);
  }
  /// Find with the name's hash (HashNoCase1252) worked out once for several scopes.
  int32_t FindHashed(int32_t scope, std::string_view name, size_t nameHash,
                     int32_t space = kNames) const {
    return m_tab.names.FindHashed(scope, name, nameHash, space);
  }
  int32_t Canonical(int32_t decl) const { return m_out.decls[static_cast<size_t>(decl)].canonical; }
  /// Reads every module's declarations from its records (two readers, on threads of the run's
  /// budget) and puts them in the declaration and name tables in module order.
  void ReadModuleDecls();

  // Lookup (ResolverLookup.cpp).
  int32_t Best(int32_t node) const { return m_tab.names.Best(node); }
  int32_t Property(int32_t scope, std::string_view name, DeclKind want) const;
  /// A name in the procedure's, the module's, the project's and the modules' scopes.
  int32_t LookupPlain(std::string_view name, bool& ambiguous, int32_t& out_scope);
  /// The same outside the procedure (name hashed by HashNoCase1252 as h). Inline: defined, and
  /// used, in ResolverLookup.cpp alone, like LookupProject.
  inline int32_t LookupOutside(std::string_view name, size_t h, bool& ambiguous,
                               int32_t& out_scope);
  /// The same in the project's scopes: Public names of standard modules, then module names.
  inline int32_t LookupProject(std::string_view name, size_t h, bool& ambiguous,
                               int32_t& out_scope) const;
  int32_t LookupType(std::string_view name, int32_t moduleDecl) const;
  /// LookupType in the module walked, kept in its memo.
  int32_t WalkLookupType(std::string_view name) {
    const size_t h = HashNoCase1252(name);
    return m_moduleMemo
        .Kept(name, h, LookupMemo::kType,
              [&](LookupMemo::Entry& fill) {
                if (const int32_t n = FindHashed(m_moduleDecl, name, h, kTypes); n >= 0) {
                  fill.found = m_tab.names.Decl(n);
                  return;
                }
                fill.found = m_runMemo
                                 .Kept(name, h, LookupMemo::kType,
                                       [&](LookupMemo::Entry& project) {
                                         project.found = LookupProjectType(name, h);
                                       })
                                 .found;
              })
        .found;
  }
  /// The types of other modules and the module names.
  int32_t LookupProjectType(std::string_view name, size_t h) const;
  int32_t TypeOwner(int32_t decl) const;
  /// The built-in type of a declaration's values (the type keyword's code: KwLong ...; a name
  /// without type or type character has its letter's Def-type default, else Variant); 0 for
  /// one of another type (a class, a user type) or with no value (a module, a Sub).
  int32_t ValueTypeOf(int32_t decl) const;
  /// Whether a name written with the type character suffix may name decl: a declaration of
  /// the character's type.
  bool SuffixFits(int32_t decl, int32_t suffix) const {
    return ValueTypeOf(decl) == SuffixType(suffix);
  }
  /// A chain of one name of a variable whose type has no members, with a member following: the
  /// module (form, class) of that name when there is one, which the use then names instead.
  int32_t ModuleQualifier(Chain& cur);
  /// The declaration of any id: the run's, or the walk's own (kLocalBase on).
  const CrossDeclaration& DeclAt(int32_t id) const {
    return id >= kLocalBase ? m_walk->decls[static_cast<size_t>(id - kLocalBase)]
                            : m_out.decls[static_cast<size_t>(id)];
  }
  /// The type whose members follow the chain.
  int32_t Owner(const Chain& c) const { return c.typed >= 0 ? TypeOwner(c.typed) : c.owner; }
  int32_t ResolveTypeName(std::string_view type, int32_t module) const;
  /// Another project's exposed class named by a type name ("Lib.clsThing", "clsThing"; within
  /// the class in_lContext's project first when given): kForeignClass - its index, or kNoDecl.
  int32_t ForeignType(std::string_view type, int32_t in_lContext = -1) const;
  int32_t FindForeign(int32_t scope, std::string_view name, int32_t space) const;
  /// The member name t after an owner that is another project or its class.
  void ForeignMember(const Tok& t, int32_t owner, Chain& cur);
  void AddForeignUse(int32_t cls, int32_t member, const Tok& t, UseKind kind);

  // The walk over a module's tokens (ResolverWalk.cpp). The steps declared always_inline run for
  // every token or statement, each called from one place: each is defined, and used, in its file
  // alone, and inlined where it is called (as the compiler inlines a function of one file called
  // once, which it does not do for a member that several files see).
  /// The declarations with places in the module walked, by position.
  void ListPlaces(const CrossModule& mod, int32_t m);
  /// Sets the line and column of the declarations placed at token p.
  void PlaceDeclarations(int32_t p, int32_t code, int32_t line, int32_t column, int32_t lineStart,
                         int32_t codeStart, size_t& nextPlace);
  /// Reads the token at p of the code into the line's tokens; column is the token's and moves
  /// past it.
  [[gnu::always_inline]] inline void ReadToken(int32_t p, int32_t code, int32_t line,
                                               int32_t& column);
  /// After the token at p, whose text may hold line ends: when it does, the line is counted on
  /// past them and the next line starts inside the token.
  void CountHeldLineEnds(int32_t p, std::string_view text, int32_t& line, int32_t& lineStart,
                         int32_t& column);
  /// At a "]" closing "[" name "]" of a module's code: the name's tokens become one name.
  bool JoinBracketedName();
  /// The module's uses in position order, without those the walk dropped.
  void SettleModuleUses(size_t firstUse);
  void ProcessLine();
  [[gnu::always_inline]] inline size_t Statement(size_t i);
  [[gnu::always_inline]] inline size_t StatementEnd(size_t i) const;
  [[gnu::always_inline]] inline void Declaration(size_t i, size_t e);
  void RaiseEvent(size_t i, size_t e);
  int32_t WithOwner(const Chain& c) const;
  void ImplementsStatement(size_t i, size_t e);
  [[gnu::always_inline]] inline void ForStatement(size_t i, size_t e);
  [[gnu::always_inline]] inline bool RuntimeStatement(size_t i, size_t e);
  void LabelUses(size_t from, size_t to);
  void Label(const Tok& t);
  /// A variable or constant the walk declares itself (an undeclared ReDim's array, a declaration
  /// after ":" that the records leave out) at the name t, of the procedure walked or else of the
  /// module: later uses of the name in its scope find it. Its type: the owner of its members and
  /// its values' built-in type.
  int32_t WalkDeclaration(DeclKind kind, const Tok& t, int32_t owner, int32_t value);
  /// The type the declarator whose name is at k gives (type character, As type) up to the next
  /// "," at depth 0 or end: its members' owner and its values' built-in type.
  void DeclaratorType(size_t k, size_t end, int32_t& owner, int32_t& value);
  /// At a "#" ending a date literal (#1/1/2000#, #10:30 AM#): its tokens become one number.
  void CollapseDateLiteral();
  void EnterProcedure(int32_t proc);
  void ExitProcedure();
  void Handler(int32_t proc);
  /// A WithEvents variable's or control's handler: kept with the event of its type it handles.
  void EventHandler(int32_t source, std::string_view event, int32_t proc);
  /// Walks the modules in runs of about the same size, one per processor (within the run's
  /// thread budget, at most one per module), then merges their outputs in module order.
  void WalkAll();
  void Merge(WalkOutput& walk);

  // The names of a statement's expressions (ResolverExpressions.cpp); always_inline as above.
  Chain Walk(size_t from, size_t to, int mode);
  [[gnu::always_inline]] inline size_t WalkDot(size_t k, size_t n, Chain& cur);
  [[gnu::always_inline]] inline size_t WalkName(size_t k, size_t from, size_t n, bool& declarator,
                                                bool& typeContext, Chain& cur);
  [[gnu::always_inline]] inline size_t Member(size_t k, size_t to, Chain& cur);
  [[gnu::always_inline]] inline void Head(const Tok& t, bool typeContext, int32_t suffix,
                                          Chain& cur);
  /// Whether the members of the chain's last element are late-bound (its type is not known).
  bool LateOwner(const Chain& cur) const;
  void AddLateBound(std::string_view name, const Tok& t);
  /// CallByName obj, "Member", ...: the string names a member late-bound.
  void CallByNameArgument(size_t k, size_t n);
  void MakeWrite(const Chain& c, bool isSet);
  void Assignment(size_t from, size_t to, bool isSet);
  void Targets(size_t from, size_t to, bool withBounds);
  void FileTargets(size_t from, size_t to, size_t firstWritten);
  template <class Item>
  void EachItem(size_t from, size_t to, Item&& item);
  int32_t AddUse(int32_t decl, const Tok& t, UseKind kind);
  UseKind KindOf(int32_t decl) const;
  /// The token with its text read (a keyword's is read only when asked).
  Tok& Fetch(Tok& t) {
    if (t.unread) {
      t.name = m_ts->TokenStringAt(t.pos);
      t.unread = false;
    }
    return t;
  }
  /// The 1-based byte column of the position on the line starting at lineStart; counted on from
  /// the last column asked for on the same line.
  int32_t ColumnOf(int32_t lineStart, int32_t pos);
  int32_t m_colLine = -1;
  int32_t m_colPos = 0;
  int32_t m_colValue = 1;
  /// The column of the line's first token: past 1 when the line starts inside a token holding
  /// line ends.
  int32_t m_lineColumn = 1;
  /// Counts a use of a name nothing declares; returns its index among the walk's external names.
  int32_t CountExternal(std::string_view name);

  // The indexes (ResolverIndexes.cpp).
  /// The indexes after the walks; with forExport also those only the export and the site read.
  void Finish(bool forExport);
  /// The uses' counts per declaration; with lists also each declaration's uses (useIndex).
  void FinishUseIndexes(bool lists);
  void FinishExportIndexes();
  void ComputeExposure();

  CrossDeclaration& LocalDecl(int32_t id) {
    return m_walk->decls[static_cast<size_t>(id - kLocalBase)];
  }

  std::string_view m_project;
  CrossReferences& m_out;
  Tables m_ownTables;
  Tables& m_tab;
  std::vector<std::pair<int32_t, int32_t>> m_places;  // (position, decl) of the module walked
  size_t m_placeCursor = 0;  // the first place at or after the name being read
  std::unordered_map<NameKey, int32_t, NameKeyHash, NameKeyEqual> m_external;  // a walk's
  std::unordered_map<std::string, int32_t> m_mergedExternal;  // upper-cased name -> index
  bool m_activeX = false;
  bool m_forExport = true;
  std::string_view m_startup;
  const std::vector<std::pair<std::string, std::string>>* m_defines = nullptr;
  CompileConstants m_constants;  // the project's conditional compilation constants
  WalkOutput* m_walk = nullptr;  // a walker's output
  ForeignTable m_foreignTable;
  const ForeignTable* m_foreign = nullptr;  // the master's table, when it was given classes
  // The labels of the procedure being walked: name -> declaration.
  std::unordered_map<NameKey, int32_t, NameKeyHash, NameKeyEqual> m_labels;

  // The module being walked.
  int32_t m_module = 0;
  int32_t m_moduleDecl = 0;
  const clsTokenStream* m_ts = nullptr;
  std::vector<Tok> m_toks;
  std::vector<Chain> m_parens;
  std::vector<int32_t> m_with;
  std::vector<int32_t> m_implements;
  std::vector<std::string_view> m_foreignImplements;  // interfaces the project does not declare
  int32_t m_proc = kNoDecl;
  int32_t m_scope = kNoDecl;  // the procedure whose names are looked up (the first of twins)
  int m_block = 0;            // 1 inside Enum, 2 inside Type
  // Uses whose declaration is settled at the end of the procedure: labels, and names nothing
  // declares (implicit locals without Option Explicit, else external).
  struct PendingUse {
    int32_t use;
    std::string_view name;
    bool label;
  };
  std::vector<PendingUse> m_pending;
  std::unordered_map<NameKey, int32_t, NameKeyHash, NameKeyEqual> m_assigned;  // name -> implicit
  // The walk's own declarations' types, by id - kLocalBase (none past the end).
  struct LocalType {
    int32_t owner = kNoDecl;
    int32_t value = 0;
  };
  std::vector<LocalType> m_localTypes;
  // A declaration statement after ":" (which the records leave out): the kind its declarators
  // without a place get, and whether it is Public.
  bool m_walkDeclares = false;
  DeclKind m_walkKind = DeclKind::kVariable;
  bool m_walkPublic = false;
  LookupMemo m_procMemo;                     // cleared at each procedure's start
  bool m_procNamesKnown = false;             // m_procMemo holds every name of the procedure's scope
  LookupMemo::Entry* m_lastPlain = nullptr;  // LookupPlain's entry, until m_moduleMemo changes
  LookupMemo m_moduleMemo;                   // cleared at each module's start
  LookupMemo m_runMemo;  // what the project's scopes and owners give: kept for the walk
};

}  // namespace resolver
}  // namespace qs
