#include "analysis/UseResolver.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <deque>
#include <exception>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"
#include "model/ClsSymEntry.h"
#include "model/CrossReferences.h"
#include "model/clsSymTable.h"
#include "model/clsVBFileType.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "text/Cp1252.h"
#include "text/Keywords.h"
#include "text/TokenCodes.h"
#include "text/Yield.h"
#include "text/clsTokenStream.h"

namespace qs {

namespace {

// Name scopes of the lookup table besides declarations' own ids (a module's or a procedure's
// names, a type's or an enumeration's members are keyed by that declaration's id).
constexpr int32_t kPublicScope = -1;  // Public names of standard modules, Public enumerations
constexpr int32_t kModuleScope = -2;  // module names
// Name spaces: names, and the types and enumerations As may name.
constexpr int32_t kNames = 0;
constexpr int32_t kTypes = 2;

constexpr int32_t kNoDecl = -1;
constexpr int32_t kPending = -2;  // a use whose declaration is settled at the procedure's end

struct NameKey {
  int32_t scope;
  std::string_view name;
  int32_t space = kNames;
};
struct NameKeyHash {
  size_t operator()(const NameKey& k) const {
    return HashNoCase1252(k.name) ^
           (static_cast<size_t>(static_cast<uint32_t>(k.scope)) * 0x9E3779B1u) ^
           (static_cast<size_t>(k.space) << 7);
  }
};
struct NameKeyEqual {
  bool operator()(const NameKey& a, const NameKey& b) const {
    return a.scope == b.scope && a.space == b.space && EqualsNoCase1252(a.name, b.name);
  }
};

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
};

// EqualsNoCase1252 for the short names the lookups compare, without a call into the library.
inline bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x != y && kCp1252Upper[x] != kCp1252Upper[y]) return false;
  }
  return true;
}

bool IsSuffix(int32_t code) {
  return code == '%' || code == '&' || code == '!' || code == '#' || code == '@' || code == '$';
}

bool IsWordCode(int32_t code) {
  return code > kLastCharacterCode && code != TokEndOfLine && code != TokWhiteSpace &&
         code != TokComment && code != TokUndefined && code != TokString;
}

bool StartsWithDigit(std::string_view s) {
  return !s.empty() && s[0] >= '0' && s[0] <= '9';
}

bool IsFormLikeKind(int32_t itemType) {
  return itemType == kItemForm || itemType == kItemUserControl || itemType == kItemPropertyPage ||
         itemType == kItemUserDocument || itemType == kItemDesigner;
}

// The name table: open addressing, one slot per (scope, name space, name), each the head of a
// chain of the declarations bearing the name there. No allocation per entry.
struct Slot {
  uint32_t hash = 0;
  int32_t scopeKey = 0;  // scope * 4 + name space
  int32_t head = -1;     // first node; -1 for an empty slot
};
struct Node {
  int32_t decl;
  int32_t next;
  int32_t tail;  // the chain's last node (kept in its first node)
};

// What every walk reads: the name table and the declarations' types, complete before any walk.
struct Tables {
  std::vector<Slot> slots;
  size_t used = 0;
  std::vector<Node> nodes;
  std::vector<uint32_t> nameHash;  // HashNoCase1252 of each declaration's name
  std::vector<uint8_t> twinned;    // 1 for a declaration an #If twin shares
  // TypeOwner of each declaration, -3 before it is worked out: worked out by the walks when a
  // member follows a use (each writes the same value, so they may race on it).
  std::unique_ptr<std::atomic<int32_t>[]> typeOf;
  std::vector<std::pair<int32_t, int32_t>> declRange;  // each module's declarations [first, end)
  std::unordered_map<int32_t, std::string_view> controlType;
};

// What a walk found for the names it looked up since it was last cleared (a procedure's names,
// a module's): a small table that stays in the cache, where the name table does not.
class LookupMemo {
 public:
  struct Entry {
    std::string_view name;
    int32_t key = 0;  // what the name is looked up as (kPlain, kType, an owner's members)
    uint32_t hash = 0;
    bool used = false;    // the slot holds the name
    bool filled = false;  // found, ambiguous and scope are the name's answer
    bool ambiguous = false;
    int32_t found = kNoDecl;  // a node or a declaration, as the caller keeps it
    int32_t scope = 0;
    int32_t external = -1;  // a module's memo: the name's index among the walk's external names
  };
  static constexpr int32_t kPlain = -1;
  static constexpr int32_t kType = -2;
  /// The entry of the name looked up as key: filled when it was kept, else a new one to fill.
  Entry& At(std::string_view name, uint32_t nameHash, int32_t key = kPlain) {
    if ((m_usedSlots.size() + 1) * 2 > m_slots.size()) Grow();
    const size_t mask = m_slots.size() - 1;
    const uint32_t hash = nameHash ^ (static_cast<uint32_t>(key) * 0x9E3779B1u);
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      Entry& e = m_slots[i];
      if (!e.used) {
        e.used = true;
        m_usedSlots.push_back(static_cast<uint32_t>(i));
        e.name = name;
        e.key = key;
        e.hash = hash;
        return e;
      }
      if (e.hash == hash && e.key == key && SameName(e.name, name)) return e;
    }
  }
  /// The entry of the name looked up as key, filled by fill(entry) when it was not kept yet.
  template <class Fill>
  Entry& Kept(std::string_view name, size_t nameHash, int32_t key, Fill&& fill) {
    Entry& e = At(name, static_cast<uint32_t>(nameHash), key);
    if (!e.filled) {
      e.filled = true;
      fill(e);
    }
    return e;
  }
  /// What an entry of a name answers: its declaration, with whether it is ambiguous and where.
  static int32_t Answer(const Entry& e, bool& ambiguous, int32_t& scope) {
    ambiguous = e.ambiguous;
    scope = e.scope;
    return e.found;
  }
  /// The entry of the name looked up as key; null when there is none.
  const Entry* Find(std::string_view name, uint32_t nameHash, int32_t key) const {
    if (m_slots.empty()) return nullptr;
    const size_t mask = m_slots.size() - 1;
    const uint32_t hash = nameHash ^ (static_cast<uint32_t>(key) * 0x9E3779B1u);
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      const Entry& e = m_slots[i];
      if (!e.used) return nullptr;
      if (e.hash == hash && e.key == key && SameName(e.name, name)) return &e;
    }
  }
  void Clear() {
    for (const uint32_t i : m_usedSlots) m_slots[i] = Entry{};
    m_usedSlots.clear();
  }

 private:
  void Grow() {
    std::vector<Entry> old(std::max<size_t>(64, m_slots.size() * 2));
    old.swap(m_slots);
    m_usedSlots.clear();
    const size_t mask = m_slots.size() - 1;
    for (const Entry& e : old) {
      if (!e.used) continue;
      size_t i = e.hash & mask;
      while (m_slots[i].used) i = (i + 1) & mask;
      m_slots[i] = e;
      m_usedSlots.push_back(static_cast<uint32_t>(i));
    }
  }
  std::vector<Entry> m_slots;
  std::vector<uint32_t> m_usedSlots;
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
  std::exception_ptr error;
};

// Joins a thread on leaving a scope, also when the scope is left by an exception.
struct JoinOnExit {
  std::thread& thread;
  ~JoinOnExit() {
    if (thread.joinable()) thread.join();
  }
};

// A name declared again with the same kind by the same owner in a scope of its module is a twin
// of an #If block (one declaration for the cross references) when one of the first kTwinScan
// declarations of the name in the scope has its kind: a name declared very often in one scope
// costs no quadratic work.
constexpr int32_t kTwinScan = 16;

// One module's declarations as its records give them, read on any thread: ids from 0 (the
// module's first) and the names to put in the name table, in the order they go in. Insert's
// scope is a declaration of the run, or with inOwn one of these (whose canonical declaration is
// the scope once the table has it).
struct ModuleDecls {
  struct InsertEntry {
    int32_t scope;
    int32_t decl;
    int32_t space;
    bool inOwn;
    // A procedure's, event's or Declare's parameter or local: the first of its twins among the
    // names of that scope (itself when it has none). When the scope is no twin and has none,
    // that settles the name: the walks find such names from the declarations, not the table.
    int32_t ownTwin = -1;
  };
  std::vector<CrossDeclaration> decls;
  std::vector<uint32_t> nameHash;  // HashNoCase1252 of each name
  std::vector<InsertEntry> inserts;
  std::vector<std::pair<const void*, int32_t>> controls;  // each control record's declaration
  std::vector<std::pair<int32_t, std::string_view>> controlTypes;
  int32_t module = 0;
  int32_t moduleDecl = 0;
  int32_t firstGlobal = 0;  // the Global variables come last
  const clsTokenStream* ts = nullptr;
  LookupMemo* scopeNames = nullptr;  // the reader's: the names of the procedure being read

  /// Reads the module's records; scopes is the reader's table for the procedures' names.
  void Read(const CrossModule& mod, int32_t m, LookupMemo& scopes);
  int32_t Add(DeclKind kind, const ClsEntryPtr* entry, std::string_view name, int32_t module,
              int32_t parent, int32_t pos);
  void Insert(int32_t scope, int32_t decl, int32_t space = kNames) {
    inserts.push_back({scope, decl, space, false});
  }
  /// Under the names of this module's declaration owner.
  void InsertIn(int32_t owner, int32_t decl) { inserts.push_back({owner, decl, kNames, true}); }
  void AddEntryList(const std::shared_ptr<ClsEntry>& list, DeclKind kind, bool isPublicModule);
  void AddProcedureNames(int32_t proc, const ClsEntryPtr& e);
  /// Whether the statement holding the token at pos opens with Global, the old word for Public
  /// in a standard module (the records give such a declaration no scope).
  bool WrittenGlobal(int32_t pos) const;
  /// The variables of the Global lines before the first procedure at end: the records hold
  /// none of them.
  void AddGlobalVariables(int32_t from, int32_t end);
  /// Puts a name of the procedure's scope in: InsertIn with its twin among the scope's names.
  void AddProcedureName(int32_t proc, int32_t decl);
  void AddControls(const CrossModule& mod);
};

class Resolver {
 public:
  Resolver(std::string_view projectName, CrossReferences& out)
      : m_project(projectName), m_out(out), m_tab(m_ownTables) {}
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
  void WalkModule(int32_t m);
  Resolver(const Resolver&) = delete;
  Resolver& operator=(const Resolver&) = delete;

 private:
  // Declaration table.
  int32_t AddDecl(DeclKind kind, const ClsEntryPtr* entry, std::string_view name, int32_t module,
                  int32_t parent, int32_t pos);
  void Insert(int32_t scope, int32_t decl, int32_t space = kNames);
  int32_t Find(int32_t scope, std::string_view name, int32_t space = kNames) const {
    return FindHashed(scope, name, HashNoCase1252(name), space);
  }
  /// Find with the name's hash (HashNoCase1252) worked out once for several scopes.
  int32_t FindHashed(int32_t scope, std::string_view name, size_t nameHash,
                     int32_t space = kNames) const;
  int32_t Canonical(int32_t decl) const { return m_out.decls[static_cast<size_t>(decl)].canonical; }
  /// Reads every module's declarations from its records (on two threads) and puts them in the
  /// declaration and name tables in module order.
  void ReadModuleDecls();

  // Lookup.
  int32_t Best(int32_t node) const;
  int32_t Property(int32_t scope, std::string_view name, DeclKind want) const;
  /// A name in the procedure's, the module's, the project's and the modules' scopes.
  int32_t LookupPlain(std::string_view name, bool& ambiguous, int32_t& out_scope);
  /// The same outside the procedure (name hashed by HashNoCase1252 as h).
  int32_t LookupOutside(std::string_view name, size_t h, bool& ambiguous, int32_t& out_scope);
  /// The same in the project's scopes: Public names of standard modules, then module names.
  int32_t LookupProject(std::string_view name, size_t h, bool& ambiguous, int32_t& out_scope) const;
  int32_t LookupType(std::string_view name, int32_t moduleDecl) const;
  /// LookupType in the module walked, kept in its memo.
  int32_t WalkLookupType(std::string_view name) {
    const size_t h = HashNoCase1252(name);
    return m_moduleMemo
        .Kept(name, h, LookupMemo::kType,
              [&](LookupMemo::Entry& fill) {
                if (const int32_t n = FindHashed(m_moduleDecl, name, h, kTypes); n >= 0) {
                  fill.found = m_nodes[static_cast<size_t>(n)].decl;
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

  // The walk.
  void ProcessLine();
  size_t Statement(size_t i);
  size_t StatementEnd(size_t i) const;
  Chain Walk(size_t from, size_t to, int mode);
  size_t Member(size_t k, size_t to, Chain& cur);
  void Head(const Tok& t, bool typeContext, Chain& cur);
  void MakeWrite(const Chain& c, bool isSet);
  void Assignment(size_t from, size_t to, bool isSet);
  void Targets(size_t from, size_t to, bool withBounds);
  bool RuntimeStatement(size_t i, size_t e);
  void FileTargets(size_t from, size_t to, size_t firstWritten);
  template <class Item>
  void EachItem(size_t from, size_t to, Item&& item);
  void LabelUses(size_t from, size_t to);
  void Label(const Tok& t);
  void EnterProcedure(int32_t proc);
  void ExitProcedure();
  void Handler(int32_t proc);
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
  /// Counts a use of a name nothing declares; returns its index among the walk's external names.
  int32_t CountExternal(std::string_view name);
  /// The indexes after the walks; with forExport also those only the export and the site read.
  void Finish(bool forExport);
  /// The uses' counts per declaration; with lists also each declaration's uses (useIndex).
  void FinishUseIndexes(bool lists);
  void FinishExportIndexes();
  void ComputeExposure();

  size_t SlotOf(int32_t scopeKey, std::string_view name, uint32_t hash) const;
  /// Doubles the name table, or more: room for `names` names within the table's fill limit.
  void Grow(size_t names = 0);
  /// Walks the modules on one thread per processor (at most one per module), then merges.
  void WalkAll();
  void Merge(WalkOutput& walk);
  CrossDeclaration& LocalDecl(int32_t id) {
    return m_walk->decls[static_cast<size_t>(id - kLocalBase)];
  }

  std::string_view m_project;
  CrossReferences& m_out;
  Tables m_ownTables;
  Tables& m_tab;
  std::vector<Slot>& m_slots{m_tab.slots};
  size_t& m_used{m_tab.used};
  std::vector<Node>& m_nodes{m_tab.nodes};
  std::vector<uint32_t>& m_nameHash{m_tab.nameHash};
  std::vector<std::pair<int32_t, int32_t>>& m_declRange{m_tab.declRange};
  std::unordered_map<int32_t, std::string_view>& m_controlType{m_tab.controlType};
  std::vector<std::pair<int32_t, int32_t>> m_places;  // (position, decl) of the module walked
  size_t m_placeCursor = 0;  // the first place at or after the name being read
  std::unordered_map<NameKey, int32_t, NameKeyHash, NameKeyEqual> m_external;  // a walk's
  std::unordered_map<std::string, int32_t> m_mergedExternal;  // upper-cased name -> index
  bool m_activeX = false;
  bool m_forExport = true;
  std::string_view m_startup;
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
  LookupMemo m_procMemo;                     // cleared at each procedure's start
  bool m_procNamesKnown = false;             // m_procMemo holds every name of the procedure's scope
  LookupMemo::Entry* m_lastPlain = nullptr;  // LookupPlain's entry, until m_moduleMemo changes
  LookupMemo m_moduleMemo;                   // cleared at each module's start
  LookupMemo m_runMemo;  // what the project's scopes and owners give: kept for the walk
};

// Walk modes.
constexpr int kRead = 0;
constexpr int kDeclare = 1;  // Dim, Const, module-level variables: declarators at depth 0
constexpr int kHeader = 2;   // procedure, event and Declare headers: parameters at depth 1

// A declaration of its own (canonical: itself) with the given id.
CrossDeclaration NewDecl(DeclKind kind, const ClsEntryPtr* entry, std::string_view name,
                         int32_t module, int32_t parent, int32_t pos, int32_t id) {
  CrossDeclaration d;
  d.entry = entry;
  d.name = name;
  d.module = module;
  d.parent = parent;
  d.pos = pos;
  d.kind = kind;
  d.canonical = id;
  return d;
}

int32_t Resolver::AddDecl(DeclKind kind, const ClsEntryPtr* entry, std::string_view name,
                          int32_t module, int32_t parent, int32_t pos) {
  const auto id = static_cast<int32_t>(m_out.decls.size());
  m_out.decls.push_back(NewDecl(kind, entry, name, module, parent, pos, id));
  m_nameHash.push_back(static_cast<uint32_t>(HashNoCase1252(name)));
  m_tab.twinned.push_back(0);
  return id;
}

// The first slot a hash probes: its bits mixed, so that the names of one scope spread.
size_t FirstSlot(uint32_t hash, size_t mask) {
  return static_cast<size_t>((static_cast<uint64_t>(hash) * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}

// The key of a name in a scope: the name's hash (HashNoCase1252) and the scope's key mixed.
uint32_t SlotHash(size_t nameHash, int32_t scopeKey) {
  return static_cast<uint32_t>(nameHash) ^ (static_cast<uint32_t>(scopeKey) * 0x85EBCA6Bu);
}

size_t Resolver::SlotOf(int32_t scopeKey, std::string_view name, uint32_t hash) const {
  const size_t mask = m_slots.size() - 1;
  for (size_t i = FirstSlot(hash, mask);; i = (i + 1) & mask) {
    const Slot& slot = m_slots[i];
    if (slot.head < 0) return i;
    if (slot.hash == hash && slot.scopeKey == scopeKey &&
        SameName(
            m_out.decls[static_cast<size_t>(m_nodes[static_cast<size_t>(slot.head)].decl)].name,
            name))
      return i;
  }
}

void Resolver::Grow(size_t names) {
  size_t size = std::max<size_t>(1024, m_slots.size() * 2);
  while (names * 8 > size * 5) size *= 2;
  std::vector<Slot> old(size);
  old.swap(m_slots);
  const size_t mask = m_slots.size() - 1;
  for (const Slot& slot : old) {
    if (slot.head < 0) continue;
    size_t i = FirstSlot(slot.hash, mask);
    while (m_slots[i].head >= 0) i = (i + 1) & mask;
    m_slots[i] = slot;
  }
}

int32_t Resolver::FindHashed(int32_t scope, std::string_view name, size_t nameHash,
                             int32_t space) const {
  if (m_slots.empty()) return -1;
  const int32_t key = scope * 4 + space;
  return m_slots[SlotOf(key, name, SlotHash(nameHash, key))].head;
}

// Appends the declaration to the chain of its name in the scope. A name declared again with the
// same kind by the same owner in a scope of its module is a twin of an #If block: one declaration
// for the cross references, so it stays out.
void Resolver::Insert(int32_t scope, int32_t decl, int32_t space) {
  if (Canonical(decl) != decl) return;
  // At most 5/8 full: a name no scope declares ends its probe soon.
  if ((m_used + 1) * 8 > m_slots.size() * 5) Grow();
  CrossDeclaration& d = m_out.decls[static_cast<size_t>(decl)];
  const int32_t key = scope * 4 + space;
  const uint32_t hash = SlotHash(m_nameHash[static_cast<size_t>(decl)], key);
  Slot& slot = m_slots[SlotOf(key, d.name, hash)];
  const auto node = static_cast<int32_t>(m_nodes.size());
  if (slot.head < 0) {
    slot = Slot{hash, key, node};
    ++m_used;
    m_nodes.push_back({decl, -1, node});
    return;
  }
  Node& head = m_nodes[static_cast<size_t>(slot.head)];
  if (scope >= 0 && d.kind != DeclKind::kControl) {
    // Other declarations of the name may stand between the twins (a property's Get before the
    // Let of its twin): the first kTwinScan of the chain are looked at.
    const int32_t parent = d.parent >= 0 ? Canonical(d.parent) : -1;
    int looked = 0;
    for (int32_t n = slot.head; n >= 0 && looked < kTwinScan;
         n = m_nodes[static_cast<size_t>(n)].next, ++looked) {
      const CrossDeclaration& o =
          m_out.decls[static_cast<size_t>(m_nodes[static_cast<size_t>(n)].decl)];
      const int32_t otherParent = o.parent >= 0 ? Canonical(o.parent) : -1;
      if (o.kind == d.kind && o.module == d.module && parent == otherParent) {
        d.canonical = o.canonical;
        m_tab.twinned[static_cast<size_t>(o.canonical)] = 1;
        return;
      }
    }
  }
  m_nodes[static_cast<size_t>(head.tail)].next = node;
  head.tail = node;
  m_nodes.push_back({decl, -1, node});
}

int32_t ModuleDecls::Add(DeclKind kind, const ClsEntryPtr* entry, std::string_view name,
                         int32_t module, int32_t parent, int32_t pos) {
  const auto id = static_cast<int32_t>(decls.size());
  decls.push_back(NewDecl(kind, entry, name, module, parent, pos, id));
  nameHash.push_back(static_cast<uint32_t>(HashNoCase1252(name)));
  return id;
}

void ModuleDecls::AddProcedureName(int32_t proc, int32_t decl) {
  const CrossDeclaration& d = decls[static_cast<size_t>(decl)];
  const uint32_t h = nameHash[static_cast<size_t>(decl)];
  // Per name: the number of its declarations that are no twins (kPlain), and the first of each
  // kind with its place among those.
  const int32_t kindKey = -16 - static_cast<int32_t>(d.kind);
  int32_t twin = decl;
  if (const LookupMemo::Entry* same = scopeNames->Find(d.name, h, kindKey);
      same && same->scope < kTwinScan) {
    twin = same->found;
  } else {
    LookupMemo::Entry& names = scopeNames->At(d.name, h, LookupMemo::kPlain);
    if (!names.filled) {
      names.filled = true;
      names.found = 0;
    }
    const int32_t place = names.found++;
    if (!same) {
      // At may move the entries: the kind's entry is made after the name's count is read.
      LookupMemo::Entry& first = scopeNames->At(d.name, h, kindKey);
      first.filled = true;
      first.found = decl;
      first.scope = place;
    }
  }
  InsertEntry& e = inserts.emplace_back(InsertEntry{proc, decl, kNames, true});
  e.ownTwin = twin;
}

void ModuleDecls::AddProcedureNames(int32_t proc, const ClsEntryPtr& e) {
  const int32_t module = decls[static_cast<size_t>(proc)].module;
  scopeNames->Clear();
  if (e.Parameters) {
    for (const auto& p : *e.Parameters) {
      // The list also holds the names a default value refers to; those are no parameters.
      if (!p || std::string_view(p->Scope) == "default") continue;
      AddProcedureName(
          proc, Add(DeclKind::kParameter, p.get(), p->EntryName, module, proc, p->lEntryptr));
    }
  }
  for (const auto* list : {&e.EVar, &e.EConst}) {
    if (!*list) continue;
    const DeclKind kind = list == &e.EVar ? DeclKind::kVariable : DeclKind::kConstant;
    for (const auto& l : **list)
      if (l) AddProcedureName(proc, Add(kind, l.get(), l->EntryName, module, proc, l->lEntryptr));
  }
}

void ModuleDecls::AddEntryList(const std::shared_ptr<ClsEntry>& list, DeclKind kind,
                               bool isPublicModule) {
  if (!list) return;
  for (const auto& e : *list) {
    if (!e) continue;
    DeclKind k = kind;
    if (kind == DeclKind::kPropertyGet) {
      k = e->eEntrytype == kEntryPropertyLet   ? DeclKind::kPropertyLet
          : e->eEntrytype == kEntryPropertySet ? DeclKind::kPropertySet
                                               : DeclKind::kPropertyGet;
    }
    const int32_t id = Add(k, e.get(), e->EntryName, module, -1, e->lEntryptr);
    const std::string_view scope = e->Scope;
    decls[static_cast<size_t>(id)].isPublic =
        scope == "Public" ||
        (scope.empty() && (k == DeclKind::kVariable || k == DeclKind::kConstant) &&
         WrittenGlobal(e->lEntryptr));
    decls[static_cast<size_t>(id)].isFriend = scope == "Friend";
    if (k == DeclKind::kVariable && ts) {
      int32_t p = e->lEntryptr - 1;
      while (p >= 0 && ts->TokenCodeAt(p) == TokWhiteSpace) --p;
      decls[static_cast<size_t>(id)].withEvents = ts->TokenCodeAt(p) == KwWithEvents;
    }
    Insert(moduleDecl, id);
    const bool isPublic = decls[static_cast<size_t>(id)].isPublic;
    if (isPublic && (isPublicModule || k == DeclKind::kEnum)) Insert(kPublicScope, id);
    if (k == DeclKind::kEnum || k == DeclKind::kType) {
      Insert(moduleDecl, id, kTypes);
      if (isPublic) Insert(kPublicScope, id, kTypes);
    }
    if (k == DeclKind::kEnum || k == DeclKind::kType) {
      const DeclKind memberKind =
          k == DeclKind::kEnum ? DeclKind::kEnumMember : DeclKind::kTypeMember;
      if (e->Parameters) {
        for (const auto& mem : *e->Parameters) {
          if (!mem) continue;
          const int32_t mid =
              Add(memberKind, mem.get(), mem->EntryName, module, id, mem->lEntryptr);
          decls[static_cast<size_t>(mid)].isPublic = isPublic;
          InsertIn(id, mid);
          if (k == DeclKind::kEnum) {
            Insert(moduleDecl, mid);
            if (isPublic) Insert(kPublicScope, mid);
          }
        }
      }
    } else if (IsProcedureKind(k) || k == DeclKind::kEvent || k == DeclKind::kDeclare) {
      AddProcedureNames(id, *e);
    }
  }
}

// A statement starts after a line end that no continuation ("_") precedes, or after a ":".
bool ModuleDecls::WrittenGlobal(int32_t pos) const {
  if (!ts || pos <= 0 || pos >= ts->Count()) return false;
  // A statement longer than this is not looked at: the scan stays short whatever the input.
  constexpr int32_t kLongest = 512;
  int32_t p = pos - 1;
  for (; p >= 0 && pos - p < kLongest; --p) {
    const int32_t code = ts->TokenCodeAt(p);
    if (code == ':') break;
    if (code != TokEndOfLine) continue;
    int32_t q = p - 1;
    while (q >= 0 && ts->TokenCodeAt(q) == TokWhiteSpace) --q;
    if (q < 0 || ts->TokenCodeAt(q) != '_') break;
  }
  if (p >= 0 && pos - p >= kLongest) return false;
  int32_t start = p + 1;
  while (start < pos && ts->TokenCodeAt(start) == TokWhiteSpace) ++start;
  return ts->TokenCodeAt(start) == TokIdentifier &&
         EqualsNoCase1252(ts->TokenStringAt(start), "Global");
}

void ModuleDecls::AddGlobalVariables(int32_t from, int32_t end) {
  if (!ts) return;
  end = std::min(end, ts->Count());
  // Blanks and line continuations ("_" before a line's end).
  const auto skipBlanks = [this, end](int32_t p) {
    for (;;) {
      while (p < end && ts->TokenCodeAt(p) == TokWhiteSpace) ++p;
      if (p >= end || ts->TokenCodeAt(p) != '_') return p;
      int32_t q = p + 1;
      while (q < end && ts->TokenCodeAt(q) == TokWhiteSpace) ++q;
      if (q >= end || ts->TokenCodeAt(q) != TokEndOfLine) return p;
      p = q + 1;
    }
  };
  bool statementStart = true;
  for (int32_t p = std::max(from, 0); p < end; ++p) {
    const int32_t code = ts->TokenCodeAt(p);
    if (code == TokEndOfLine || code == ':') {
      statementStart = true;
      continue;
    }
    if (code == TokWhiteSpace) continue;
    const bool opens = statementStart;
    statementStart = false;
    if (!opens || code != TokIdentifier || !EqualsNoCase1252(ts->TokenStringAt(p), "Global"))
      continue;
    p = skipBlanks(p + 1);
    // Global Const is in the records (AddEntryList makes it public).
    if (p >= end || ts->TokenCodeAt(p) == KwConst) continue;
    // Declarators: name [suffix] [(bounds)] [As [New] type], separated by commas.
    for (;;) {
      p = skipBlanks(p);
      if (p < end && ts->TokenCodeAt(p) == KwWithEvents) p = skipBlanks(p + 1);
      if (p >= end || !IsNameToken(ts->TokenCodeAt(p))) break;
      const int32_t id = Add(DeclKind::kVariable, nullptr, ts->TokenStringAt(p), module, -1, p);
      decls[static_cast<size_t>(id)].isPublic = true;
      Insert(moduleDecl, id);
      Insert(kPublicScope, id);
      // On to the next declarator at depth 0, or the statement's end.
      int depth = 0;
      bool more = false;
      for (++p; p < end; ++p) {
        const int32_t c = ts->TokenCodeAt(p);
        if (c == '(') ++depth;
        if (c == ')' && depth > 0) --depth;
        if (c == ',' && depth == 0) {
          more = true;
          ++p;
          break;
        }
        if (c == ':' || c == TokComment) break;
        if (c == TokEndOfLine) {
          int32_t q = p - 1;
          while (q >= 0 && ts->TokenCodeAt(q) == TokWhiteSpace) --q;
          if (q < 0 || ts->TokenCodeAt(q) != '_') break;
        }
      }
      if (!more) break;
    }
    --p;  // the token that ended the statement is read by the loop
  }
}

void ModuleDecls::AddControls(const CrossModule& mod) {
  if (!mod.header || !IsFormLikeKind(mod.itemType)) return;
  const ClsUniqArray& records = mod.header->Controls();
  // The module's controls by name: the module's scope holds no other name yet.
  std::unordered_map<NameKey, int32_t, NameKeyHash, NameKeyEqual> named;
  bool first = true;
  for (long i = 1; i <= records.Count(); ++i) {
    const clsControlRecord* r = records.ItemAs<clsControlRecord>(i);
    if (!r || r->sType.empty() || r->sType[0] == '+' || r->sType[0] == '_') continue;
    // The first Begin block is the form (user control, document, ...) itself.
    if (first) {
      first = false;
      continue;
    }
    // A control array's elements share one declaration: the first.
    const auto [it, added] =
        named.try_emplace(NameKey{0, r->sName}, static_cast<int32_t>(decls.size()));
    if (!added) {
      controls.emplace_back(r, it->second);
      continue;
    }
    const int32_t id = Add(DeclKind::kControl, nullptr, r->sName, module, -1, r->lPtr);
    controls.emplace_back(r, id);
    controlTypes.emplace_back(id, r->sType);
    Insert(moduleDecl, id);
  }
}

void ModuleDecls::Read(const CrossModule& mod, int32_t m, LookupMemo& scopes) {
  module = m;
  scopeNames = &scopes;
  moduleDecl = mod.decl;
  ts = mod.header ? mod.header->TokenStream.get() : nullptr;
  AddControls(mod);
  firstGlobal = static_cast<int32_t>(decls.size());
  if (!mod.entry) return;
  const bool isStd = mod.itemType == kItemModule;
  const ClsSymEntry& e = *mod.entry;
  AddEntryList(e.EVar, DeclKind::kVariable, isStd);
  AddEntryList(e.EConst, DeclKind::kConstant, isStd);
  AddEntryList(e.ESub, DeclKind::kSub, isStd);
  AddEntryList(e.EFunction, DeclKind::kFunction, isStd);
  AddEntryList(e.EProperty, DeclKind::kPropertyGet, isStd);
  AddEntryList(e.EType, DeclKind::kType, isStd);
  AddEntryList(e.EEnum, DeclKind::kEnum, isStd);
  AddEntryList(e.EEvent, DeclKind::kEvent, false);
  AddEntryList(e.EDeclare, DeclKind::kDeclare, isStd);
  firstGlobal = static_cast<int32_t>(decls.size());
  if (isStd && mod.header) {
    // Global lines stand before the first procedure.
    int32_t firstProcedure = ts ? ts->Count() : 0;
    for (const auto* list : {&e.ESub, &e.EFunction, &e.EProperty}) {
      if (!*list) continue;
      for (const auto& proc : **list)
        if (proc && proc->lEntryptr > 0) firstProcedure = std::min(firstProcedure, proc->lEntryptr);
    }
    AddGlobalVariables(mod.header->CodePtr, firstProcedure);
  }
}

void Resolver::ReadModuleDecls() {
  const size_t modules = m_out.modules.size();
  std::vector<ModuleDecls> read(modules);
  std::vector<std::exception_ptr> errors;
  const std::atomic<bool>* stopFlag = CurrentStopFlag();
  // Every other module on each of two threads; the records are read apart, the tables filled
  // below in module order.
  constexpr size_t kReaders = 2;
  errors.resize(kReaders);
  const auto readEvery = [&](size_t from) {
    try {
      const StopFlagScope scope(stopFlag);
      LookupMemo scopes;
      for (size_t m = from; m < modules; m += kReaders) {
        YieldPoint();
        read[m].Read(m_out.modules[m], static_cast<int32_t>(m), scopes);
      }
    } catch (...) {
      // Rethrown on the run's thread below, once both readers have ended.
      errors[from] = std::current_exception();
    }
  };
  std::thread helper;
  {
    // A question's run has the processors to itself. An export's resolution runs beside the
    // report's writing, which has the other processor: there every module is read here.
    if (m_forExport) {
      readEvery(1);
    } else {
      try {
        helper = std::thread(readEvery, 1);
      } catch (const std::system_error&) {
        // No thread: its modules are read on this thread.
        readEvery(1);
      }
    }
    const JoinOnExit join{helper};
    readEvery(0);
  }
  for (const std::exception_ptr& e : errors)
    if (e) std::rethrow_exception(e);
  size_t total = m_out.decls.size();
  size_t inserts = m_nodes.size();
  for (const ModuleDecls& r : read) {
    total += r.decls.size();
    for (const ModuleDecls::InsertEntry& e : r.inserts) inserts += e.ownTwin < 0 ? 1 : 0;
  }
  // Room for every declaration (labels and implicit locals come on top), so that the tables are
  // not copied while they grow.
  m_out.decls.reserve(total + total / 8);
  m_nameHash.reserve(total);
  m_tab.twinned.reserve(total);
  m_nodes.reserve(inserts);
  // Each name put in takes one slot at most: the table is made large enough at once.
  Grow(m_used + (inserts - m_nodes.size()));
  for (size_t m = 0; m < modules; ++m) {
    YieldPoint();
    ModuleDecls& r = read[m];
    const auto base = static_cast<int32_t>(m_out.decls.size());
    for (CrossDeclaration& d : r.decls) {
      if (d.parent >= 0) d.parent += base;
      d.canonical += base;
      m_out.decls.push_back(d);
    }
    m_nameHash.insert(m_nameHash.end(), r.nameHash.begin(), r.nameHash.end());
    m_tab.twinned.resize(m_out.decls.size(), 0);
    for (const auto& [record, id] : r.controls) m_out.declOf.emplace_back(record, base + id);
    for (const auto& [id, type] : r.controlTypes) m_controlType.emplace(base + id, type);
    for (const ModuleDecls::InsertEntry& e : r.inserts)
      if (e.ownTwin < 0)
        Insert(e.inOwn ? Canonical(base + e.scope) : e.scope, base + e.decl, e.space);
    // The procedures' names once the module's own scope has them all (which procedures are
    // twins is known then): a procedure with no twin keeps its names out of the table.
    for (const ModuleDecls::InsertEntry& e : r.inserts) {
      if (e.ownTwin < 0) continue;
      const int32_t scope = base + e.scope;
      if (Canonical(scope) == scope && m_tab.twinned[static_cast<size_t>(scope)] == 0)
        m_out.decls[static_cast<size_t>(base + e.decl)].canonical = base + e.ownTwin;
      else
        Insert(Canonical(scope), base + e.decl, e.space);
    }
    m_declRange.emplace_back(base, static_cast<int32_t>(m_out.decls.size()));
    m_out.modules[m].firstGlobal = base + r.firstGlobal;
    m_out.modules[m].endGlobal = static_cast<int32_t>(m_out.decls.size());
    r = ModuleDecls{};
  }
}

// The declaration a chain of same-named declarations gives: a property's Get before its Let and
// Set.
int32_t Resolver::Best(int32_t node) const {
  int32_t found = kNoDecl;
  for (int32_t n = node; n >= 0; n = m_nodes[static_cast<size_t>(n)].next) {
    const int32_t d = m_nodes[static_cast<size_t>(n)].decl;
    const DeclKind k = m_out.decls[static_cast<size_t>(d)].kind;
    if (k != DeclKind::kPropertyLet && k != DeclKind::kPropertySet) return d;
    if (found < 0) found = d;
  }
  return found;
}

int32_t Resolver::Property(int32_t scope, std::string_view name, DeclKind want) const {
  int32_t fallback = kNoDecl;
  for (int32_t n = Find(scope, name); n >= 0; n = m_nodes[static_cast<size_t>(n)].next) {
    const int32_t d = m_nodes[static_cast<size_t>(n)].decl;
    const DeclKind k = m_out.decls[static_cast<size_t>(d)].kind;
    if (k == want) return d;
    if (fallback < 0 && (k == DeclKind::kPropertyLet || k == DeclKind::kPropertySet)) fallback = d;
  }
  return fallback;
}

int32_t Resolver::LookupPlain(std::string_view name, bool& ambiguous, int32_t& out_scope) {
  ambiguous = false;
  const size_t h = HashNoCase1252(name);
  if (m_scope >= 0) {
    int32_t found = kNoDecl;
    if (m_procNamesKnown) {
      // Every name of the procedure is in the memo: one not there is none of its names.
      if (const LookupMemo::Entry* e =
              m_procMemo.Find(name, static_cast<uint32_t>(h), LookupMemo::kPlain))
        found = e->found;
    } else {
      found = m_procMemo
                  .Kept(name, h, LookupMemo::kPlain,
                        [&](LookupMemo::Entry& fill) {
                          const int32_t n = FindHashed(m_scope, name, h);
                          fill.found = n >= 0 ? Best(n) : kNoDecl;
                        })
                  .found;
    }
    if (found >= 0) {
      out_scope = m_scope;
      return found;
    }
  }
  // What the module's scopes give a name is the same for all its procedures.
  LookupMemo::Entry& e =
      m_moduleMemo.Kept(name, h, LookupMemo::kPlain, [&](LookupMemo::Entry& fill) {
        fill.found = LookupOutside(name, h, fill.ambiguous, fill.scope);
      });
  m_lastPlain = &e;
  return LookupMemo::Answer(e, ambiguous, out_scope);
}

int32_t Resolver::LookupOutside(std::string_view name, size_t h, bool& ambiguous,
                                int32_t& out_scope) {
  if (const int32_t n = FindHashed(m_moduleDecl, name, h); n >= 0) {
    out_scope = m_moduleDecl;
    return Best(n);
  }
  // What the project's scopes give a name is the same for every module.
  return LookupMemo::Answer(m_runMemo.Kept(name, h, LookupMemo::kPlain,
                                           [&](LookupMemo::Entry& fill) {
                                             fill.found =
                                                 LookupProject(name, h, fill.ambiguous, fill.scope);
                                           }),
                            ambiguous, out_scope);
}

int32_t Resolver::LookupProject(std::string_view name, size_t h, bool& ambiguous,
                                int32_t& out_scope) const {
  if (const int32_t n = FindHashed(kPublicScope, name, h); n >= 0) {
    const int32_t d = Best(n);
    // Declared Public by two modules (and not by the using one): ambiguous.
    for (int32_t k = n; k >= 0; k = m_nodes[static_cast<size_t>(k)].next) {
      if (m_out.decls[static_cast<size_t>(m_nodes[static_cast<size_t>(k)].decl)].module !=
          m_out.decls[static_cast<size_t>(d)].module) {
        ambiguous = true;
        return kNoDecl;
      }
    }
    out_scope = kPublicScope;
    return d;
  }
  out_scope = kModuleScope;
  if (const int32_t n = FindHashed(kModuleScope, name, h); n >= 0) return Best(n);
  return kNoDecl;
}

int32_t Resolver::LookupType(std::string_view name, int32_t moduleDecl) const {
  const size_t h = HashNoCase1252(name);
  if (const int32_t n = FindHashed(moduleDecl, name, h, kTypes); n >= 0)
    return m_nodes[static_cast<size_t>(n)].decl;
  return LookupProjectType(name, h);
}

int32_t Resolver::LookupProjectType(std::string_view name, size_t h) const {
  if (const int32_t n = FindHashed(kPublicScope, name, h, kTypes); n >= 0)
    return m_nodes[static_cast<size_t>(n)].decl;
  if (const int32_t n = FindHashed(kModuleScope, name, h); n >= 0)
    return m_nodes[static_cast<size_t>(n)].decl;
  return kNoDecl;
}

int32_t Resolver::ResolveTypeName(std::string_view type, int32_t module) const {
  if (type.size() > 4 && EqualsNoCase1252(type.substr(0, 4), "New ")) type.remove_prefix(4);
  const size_t end = type.find_first_of(" *(");
  if (end != std::string_view::npos) type = type.substr(0, end);
  if (const size_t dot = type.find('.'); dot != std::string_view::npos) {
    // Project.Name names one of the project's own; another library's type is known when that
    // library is another project of the call that exposes it.
    if (!EqualsNoCase1252(type.substr(0, dot), m_project)) return ForeignType(type);
    type.remove_prefix(dot + 1);
  }
  if (type.empty()) return kNoDecl;
  const int32_t own = LookupType(type, m_out.modules[static_cast<size_t>(module)].decl);
  return own >= 0 ? own : ForeignType(type);
}

void Resolver::SetForeignClasses(const std::vector<ExposedClass>* classes) {
  if (!classes || classes->empty()) return;
  m_foreignTable.classes = classes;
  auto& names = m_foreignTable.names;
  for (size_t c = 0; c < classes->size(); ++c) {
    const ExposedClass& cls = (*classes)[c];
    const auto id = static_cast<int32_t>(c);
    names.try_emplace(NameKey{kAnyScope, cls.name, kClasses}, id);
    const int32_t project =
        names.try_emplace(NameKey{kAnyScope, cls.project, kProjects}, id).first->second;
    names.try_emplace(NameKey{project, cls.name, kClasses}, id);
    for (size_t m = 0; m < cls.members.size(); ++m)
      names.try_emplace(NameKey{id, cls.members[m].name, kMembers}, static_cast<int32_t>(m));
  }
  m_foreign = &m_foreignTable;
}

int32_t Resolver::FindForeign(int32_t scope, std::string_view name, int32_t space) const {
  if (!m_foreign) return kNoDecl;
  const auto it = m_foreign->names.find(NameKey{scope, name, space});
  return it == m_foreign->names.end() ? kNoDecl : it->second;
}

int32_t Resolver::ForeignType(std::string_view type, int32_t in_lContext) const {
  if (!m_foreign || type.empty()) return kNoDecl;
  int32_t project = kNoDecl;
  if (in_lContext >= 0) {
    const std::string& own = (*m_foreign->classes)[static_cast<size_t>(in_lContext)].project;
    project = FindForeign(kAnyScope, own, kProjects);
  }
  if (const size_t dot = type.find('.'); dot != std::string_view::npos) {
    project = FindForeign(kAnyScope, type.substr(0, dot), kProjects);
    if (project < 0) return kNoDecl;
    type.remove_prefix(dot + 1);
  }
  int32_t c = project >= 0 ? FindForeign(project, type, kClasses) : kNoDecl;
  if (c < 0 && in_lContext < 0) c = FindForeign(kAnyScope, type, kClasses);
  return c >= 0 ? kForeignClass - c : kNoDecl;
}

void Resolver::ForeignMember(const Tok& t, int32_t owner, Chain& cur) {
  cur.owner = kNoDecl;
  if (owner <= kForeignProject) {
    const int32_t c = FindForeign(kForeignProject - owner, t.name, kClasses);
    if (c >= 0) {
      AddForeignUse(c, -1, t, UseKind::kRead);
      cur.owner = kForeignClass - c;
      return;
    }
  } else {
    const int32_t c = kForeignClass - owner;
    const int32_t m = FindForeign(c, t.name, kMembers);
    if (m >= 0) {
      const ExposedClass::Member& member =
          (*m_foreign->classes)[static_cast<size_t>(c)].members[static_cast<size_t>(m)];
      const bool call = member.kind != DeclKind::kVariable && member.kind != DeclKind::kConstant;
      AddForeignUse(c, m, t, call ? UseKind::kCall : UseKind::kRead);
      cur.foreign = static_cast<int32_t>(m_walk->foreignUses.size()) - 1;
      cur.owner = ForeignType(member.type, c);
      return;
    }
  }
  ++m_walk->unresolvedMembers;
}

void Resolver::AddForeignUse(int32_t cls, int32_t member, const Tok& t, UseKind kind) {
  ForeignUse& u = m_walk->foreignUses.emplace_back();
  u.module = m_module;
  u.line = t.line;
  u.column = t.column + t.colAdd;
  u.cls = cls;
  u.member = member;
  u.kind = kind;
}

// The declaration whose members follow a use of decl: a module, a user type or an enumeration;
// kNoDecl when its type is not one of the project's.
int32_t Resolver::TypeOwner(int32_t decl) const {
  if (decl < 0) return kNoDecl;
  std::atomic<int32_t>& slot = m_tab.typeOf[static_cast<size_t>(decl)];
  if (const int32_t known = slot.load(std::memory_order_relaxed); known != -3) return known;
  const CrossDeclaration& d = m_out.decls[static_cast<size_t>(decl)];
  int32_t cached = kNoDecl;
  switch (d.kind) {
    case DeclKind::kModule:
    case DeclKind::kType:
    case DeclKind::kEnum:
      cached = decl;
      break;
    case DeclKind::kControl:
      // A control of the project's own user control ("Project.ctlName") has its members.
      if (const auto it = m_controlType.find(decl); it != m_controlType.end())
        cached = ResolveTypeName(it->second, d.module);
      break;
    case DeclKind::kFunction:
    case DeclKind::kPropertyGet:
    case DeclKind::kDeclare:
      if (d.entry) cached = ResolveTypeName(d.entry->ReturnType, d.module);
      break;
    default:
      if (d.entry) cached = ResolveTypeName(d.entry->EntryType, d.module);
      break;
  }
  slot.store(cached, std::memory_order_relaxed);
  return cached;
}

int32_t Resolver::CountExternal(std::string_view name) {
  const auto [it, added] =
      m_external.try_emplace(NameKey{0, name}, static_cast<int32_t>(m_walk->external.size()));
  if (added) m_walk->external.emplace_back(std::string(name), 0);
  ++m_walk->external[static_cast<size_t>(it->second)].second;
  return it->second;
}

int32_t Resolver::ColumnOf(int32_t lineStart, int32_t pos) {
  int32_t from = lineStart;
  int32_t column = 1;
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

UseKind Resolver::KindOf(int32_t decl) const {
  switch (m_out.decls[static_cast<size_t>(decl)].kind) {
    case DeclKind::kSub:
    case DeclKind::kFunction:
    case DeclKind::kPropertyGet:
    case DeclKind::kPropertyLet:
    case DeclKind::kPropertySet:
    case DeclKind::kEvent:
    case DeclKind::kDeclare:
      return UseKind::kCall;
    default:
      return UseKind::kRead;
  }
}

int32_t Resolver::AddUse(int32_t decl, const Tok& t, UseKind kind) {
  UseRecord& u = m_walk->uses.emplace_back();
  u.pos = t.pos;
  u.line = t.line;
  u.columnKind = UseRecord::Pack(t.column + t.colAdd, kind);
  u.decl = decl >= 0 ? m_out.decls[static_cast<size_t>(decl)].canonical : decl;
  u.from = m_proc >= 0 ? m_proc : m_moduleDecl;
  return static_cast<int32_t>(m_walk->uses.size()) - 1;
}

void Resolver::Run(const clsVBFileTypes& items, const clsSymTable* table) {
  m_activeX = EqualsNoCase1252(items.ProjectType, "OleDll") ||
              EqualsNoCase1252(items.ProjectType, "OleExe") ||
              EqualsNoCase1252(items.ProjectType, "Control");
  m_startup = items.StartupForm;
  // Modules in the project file's order; a table entry belongs to the first module bearing its
  // name.
  std::vector<std::pair<int32_t, const clsVBFileType*>> order;
  for (const auto& item : items) {
    if (item && IsSourceItemType(item->EType))
      order.emplace_back(item->vPtr ? item->vPtr->first : 0, item.get());
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::unordered_set<const ClsSymEntry*> claimed;
  for (const auto& [place, item] : order) {
    YieldPoint();
    CrossModule& mod = m_out.modules.emplace_back();
    mod.item = item;
    mod.itemType = item->EType;
    mod.header = item->VBHeader().get();
    if (mod.header && table) {
      mod.entry = table->Item(std::string_view(mod.header->sVBTableName)).get();
      if (mod.entry && !claimed.insert(mod.entry).second) mod.entry = nullptr;
    }
    const std::string_view name = mod.header && !mod.header->sVBTableName.empty()
                                      ? std::string_view(mod.header->sVBTableName)
                                      : std::string_view(item->InternalName);
    const auto m = static_cast<int32_t>(m_out.modules.size()) - 1;
    mod.decl = AddDecl(DeclKind::kModule, nullptr, name, m, -1,
                       mod.header ? mod.header->AttributePtr : -1);
    m_out.decls.back().isPublic = true;
    Insert(kModuleScope, mod.decl);
  }
  ReadModuleDecls();
  // The declarations' types are worked out by the walks, for the uses a member follows.
  m_tab.typeOf = std::make_unique<std::atomic<int32_t>[]>(m_out.decls.size());
  for (size_t d = 0; d < m_out.decls.size(); ++d)
    m_tab.typeOf[d].store(-3, std::memory_order_relaxed);
  WalkAll();
  // The walks are done with the name table: its room goes back before the indexes are built.
  m_tab = Tables{};
  Finish(m_forExport);
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
  m_moduleMemo.Clear();
  const size_t firstUse = m_walk->uses.size();
  m_walk->runs.push_back({firstUse, m});
  m_toks.clear();
  if (!m_ts) return;
  // The declarations with places in this file, by position.
  m_places.clear();
  if (mod.header->AttributePtr > 0) m_places.emplace_back(mod.header->AttributePtr, mod.decl);
  const auto [first, end] = m_declRange[static_cast<size_t>(m)];
  for (int32_t d = first; d < end; ++d) {
    const CrossDeclaration& decl = m_out.decls[static_cast<size_t>(d)];
    if (decl.pos >= 0) m_places.emplace_back(decl.pos, d);
  }
  std::sort(m_places.begin(), m_places.end());
  size_t nextPlace = 0;
  // The position of the next place: most tokens are none.
  int32_t nextPlaceAt = m_places.empty() ? INT32_MAX : m_places[0].first;
  m_placeCursor = 0;

  const clsTokenStream& ts = *m_ts;
  const int32_t count = ts.Count();
  const int32_t codeStart = mod.header->CodePtr > 0 ? std::min(mod.header->CodePtr, count) : 0;
  int32_t line = 1;
  int32_t lineStart = 0;
  // The column of position p on its line, counted token by token in the code section (the
  // header's, which only places need, by ColumnOf).
  int32_t column = 1;
  bool lineJoined = false;
  m_colLine = -1;
  for (int32_t p = 0; p < count; ++p) {
    YieldPoint();
    const int32_t code = ts.TokenCodeAt(p);
    if (p == codeStart) column = ColumnOf(lineStart, p);
    // A bracketed name in code ("[_First]") is placed at the name inside.
    if (p >= nextPlaceAt) {
      for (; nextPlace < m_places.size() && m_places[nextPlace].first <= p; ++nextPlace) {
        if (m_places[nextPlace].first != p) continue;
        CrossDeclaration& d = m_out.decls[static_cast<size_t>(m_places[nextPlace].second)];
        d.line = line;
        d.column =
            (p >= codeStart ? column : ColumnOf(lineStart, p)) +
            (code == '[' || (code == TokIdentifier && ts.TokenStringAt(p).starts_with("[")) ? 1
                                                                                            : 0);
      }
      nextPlaceAt = nextPlace < m_places.size() ? m_places[nextPlace].first : INT32_MAX;
    }
    if (code == TokEndOfLine) {
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
      continue;
    }
    if (p < codeStart && (code == ClsVB_Exposed || code == FrmVB_Exposed)) {
      // "Attribute VB_Exposed = True" of the header: public members are callers' to use.
      int32_t q = p + 1;
      while (q < count && (ts.TokenCodeAt(q) == TokWhiteSpace || ts.TokenCodeAt(q) == '=')) ++q;
      mod.exposed = EqualsNoCase1252(ts.TokenStringAt(q), "True");
    }
    if (p < codeStart) continue;
    // The token's text and length (TokenLenAt's): one look at the stream for a word.
    const int32_t at = column;
    if (code == TokWhiteSpace) {
      column += ts.TokenLenAt(p);
      continue;
    }
    std::string_view text;
    bool unread = false;
    if (code <= kLastCharacterCode) {
      column += code < 0 ? 0 : 1;
    } else if (IsNameToken(code)) {
      text = ts.TokenStringAt(p);
      column += static_cast<int32_t>(text.size());
    } else if (code < kKeywordCodes && kKeywordLength[code] > 0) {
      column += kKeywordLength[code];
      unread = true;
    } else if (IsWordCode(code)) {
      text = ts.TokenStringAt(p);
      column += static_cast<int32_t>(text.size());
    } else {
      column += ts.TokenLenAt(p);
    }
    if (code != TokComment && code != TokUndefined) {
      if (code == ']' && m_toks.size() >= 2) {
        // "[" name "]" of a module's code: one name, placed at its first character. The name is
        // the bytes between the brackets, which may be several tokens ("_" "First").
        size_t open = m_toks.size();
        while (open > 0 && m_toks[open - 1].code != '[' && m_toks.size() - open < 8) --open;
        if (open > 0 && m_toks[open - 1].code == '[' && open < m_toks.size()) {
          std::string name;
          for (size_t k = open; k < m_toks.size(); ++k)
            name.append(ts.TokenStringAt(m_toks[k].pos));
          Tok merged = m_toks[open - 1];
          merged.code = TokIdentifier;
          merged.line = m_toks[open].line;
          merged.column = m_toks[open].column;
          merged.name = m_walk->ownedNames.emplace_back(std::move(name));
          m_toks.resize(open - 1);
          m_toks.push_back(merged);
          continue;
        }
      }
      // Filled in place: most tokens of a file pass here.
      Tok& t = m_toks.emplace_back(Tok{p, code, line, at, 0, text, unread});
      if (text.size() > 1 && text.front() == '[') {
        // A bracketed name of a form's code: one token with its brackets.
        t.name.remove_prefix(1);
        if (!t.name.empty() && t.name.back() == ']') t.name.remove_suffix(1);
        t.colAdd = 1;
        t.code = TokIdentifier;
      }
    }
  }
  if (!m_toks.empty()) ProcessLine();
  m_toks.clear();
  if (m_proc >= 0) ExitProcedure();
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
    case KwWithEvents: {
      size_t k = i;
      while (k < e && (m_toks[k].code == KwPrivate || m_toks[k].code == KwPublic ||
                       m_toks[k].code == KwFriend || m_toks[k].code == KwStatic))
        ++k;
      if (k >= e) return next;
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
        Walk(what == KwDim || what == KwConst || what == KwWithEvents ? k + 1 : k, e, kDeclare);
      }
      return next;
    }
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
      m_with.push_back(c.active ? Owner(c) : kNoDecl);
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
      if (i + 1 < e) {
        const Tok& t = Fetch(m_toks[i + 1]);
        if (const int32_t n2 = Find(m_moduleDecl, t.name); n2 >= 0) {
          for (int32_t nd = n2; nd >= 0; nd = m_nodes[static_cast<size_t>(nd)].next) {
            const int32_t d = m_nodes[static_cast<size_t>(nd)].decl;
            if (m_out.decls[static_cast<size_t>(d)].kind == DeclKind::kEvent) {
              AddUse(d, t, UseKind::kCall);
              break;
            }
          }
        }
        Walk(i + 2, e, kRead);
      }
      return next;
    case KwImplements:
      if (i + 1 < e) {
        const int32_t d = WalkLookupType(Fetch(m_toks[i + 1]).name);
        if (d >= 0) {
          AddUse(d, m_toks[i + 1], UseKind::kRead);
          if (m_out.decls[static_cast<size_t>(d)].kind == DeclKind::kModule)
            m_implements.push_back(d);
        } else {
          CountExternal(m_toks[i + 1].name);
        }
      }
      return next;
    case KwLet:
    case KwSet:
      Assignment(i + 1, e, code == KwSet);
      return next;
    case KwFor: {
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
      return next;
    }
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

// "#n, a, b" of a file statement: the items from the firstWritten-th on (0: the file number) are
// written, the others read.
void Resolver::FileTargets(size_t from, size_t to, size_t firstWritten) {
  size_t item = 0;
  EachItem(from, to, [&](size_t start, size_t end) {
    const Chain c = Walk(start, end, kRead);
    if (item++ >= firstWritten) MakeWrite(c, false);
  });
}

// Calls item(start, end) for each comma-separated item of [from, to) (commas in parentheses
// excepted).
template <class Item>
void Resolver::EachItem(size_t from, size_t to, Item&& item) {
  size_t start = from;
  int depth = 0;
  for (size_t k = from; k <= to; ++k) {
    const int32_t code = k < to ? m_toks[k].code : ',';
    if (code == '(') ++depth;
    if (code == ')' && depth > 0) --depth;
    if (depth > 0 || code != ',') continue;
    item(start, k);
    start = k + 1;
  }
}

// "target = value" or a call statement ("Foo a, b", "obj.Method x").
void Resolver::Assignment(size_t from, size_t to, bool isSet) {
  // The target is a chain: names, ".", "!", suffixes and parenthesised arguments only.
  int depth = 0;
  size_t eq = to;
  for (size_t k = from; k < to; ++k) {
    const int32_t code = m_toks[k].code;
    if (code == '(') ++depth;
    if (code == ')' && depth > 0) --depth;
    if (depth > 0 || code == '(' || code == ')') continue;
    if (code == '=') {
      eq = k;
      break;
    }
    const bool chainToken = code == '.' || code == '!' || code == KwMe || IsWordCode(code) ||
                            (IsSuffix(code) && k > from && m_toks[k - 1].pos + 1 == m_toks[k].pos);
    if (!chainToken || (k > from && IsWordCode(code) && IsWordCode(m_toks[k - 1].code))) break;
  }
  if (eq == to) {
    Walk(from, to, kRead);
    return;
  }
  MakeWrite(Walk(from, eq, kRead), isSet);
  Walk(eq + 1, to, kRead);
}

// ReDim and Erase: each comma-separated name is written; ReDim's bounds and types are read.
void Resolver::Targets(size_t from, size_t to, bool withBounds) {
  EachItem(from, to, [&](size_t start, size_t end) {
    size_t as = start;
    while (as < end && m_toks[as].code != KwAs) ++as;
    MakeWrite(Walk(start, as, kRead), false);
    if (withBounds && as < end) Walk(as, end, kRead);
  });
}

void Resolver::MakeWrite(const Chain& c, bool isSet) {
  if (c.active && c.use < 0 && c.foreign >= 0) {
    ForeignUse& u = m_walk->foreignUses[static_cast<size_t>(c.foreign)];
    if (u.kind == UseKind::kRead) u.kind = UseKind::kWrite;
    return;
  }
  if (!c.active || c.use < 0) return;
  UseRecord& u = m_walk->uses[static_cast<size_t>(c.use)];
  if (u.decl == kPending) {
    u.SetKind(UseKind::kWrite);
    for (auto it = m_pending.rbegin(); it != m_pending.rend(); ++it) {
      if (it->use == c.use) {
        m_assigned.try_emplace(NameKey{0, it->name}, kNoDecl);
        break;
      }
    }
    return;
  }
  if (u.decl < 0) return;
  const CrossDeclaration& d = m_out.decls[static_cast<size_t>(u.decl)];
  // A function or property assigning its own result inside itself is no use.
  if (c.length == 1 && m_proc >= 0) {
    const CrossDeclaration& proc = m_out.decls[static_cast<size_t>(m_proc)];
    if ((proc.kind == DeclKind::kFunction || proc.kind == DeclKind::kPropertyGet) &&
        d.module == proc.module && d.parent < 0 && EqualsNoCase1252(d.name, proc.name) &&
        (d.kind == DeclKind::kFunction || d.kind == DeclKind::kPropertyGet ||
         d.kind == DeclKind::kPropertyLet || d.kind == DeclKind::kPropertySet)) {
      u.decl = kNoDecl;
      return;
    }
  }
  if (d.kind == DeclKind::kPropertyGet || d.kind == DeclKind::kPropertyLet ||
      d.kind == DeclKind::kPropertySet) {
    const int32_t p =
        Property(c.scope, d.name, isSet ? DeclKind::kPropertySet : DeclKind::kPropertyLet);
    if (p >= 0) u.decl = m_out.decls[static_cast<size_t>(p)].canonical;
    u.SetKind(UseKind::kCall);
    return;
  }
  if (KindOf(u.decl) == UseKind::kRead) u.SetKind(UseKind::kWrite);
}

// The first name of a chain.
void Resolver::Head(const Tok& t, bool typeContext, Chain& cur) {
  cur = Chain{};
  cur.active = true;
  cur.length = 1;
  bool ambiguous = false;
  int32_t d;
  if (typeContext) {
    d = WalkLookupType(t.name);
    cur.scope = m_moduleDecl;
  } else {
    d = LookupPlain(t.name, ambiguous, cur.scope);
  }
  if (d >= 0) {
    cur.use = AddUse(d, t, KindOf(d));
    cur.typed = d;
    return;
  }
  cur.owner = kNoDecl;
  // A type the project does not declare: another project's exposed class, or the project
  // whose class follows.
  if (typeContext && m_foreign) {
    if (const int32_t c = FindForeign(kAnyScope, t.name, kClasses); c >= 0) {
      AddForeignUse(c, -1, t, UseKind::kRead);
      cur.owner = kForeignClass - c;
      return;
    }
    if (const int32_t p = FindForeign(kAnyScope, t.name, kProjects); p >= 0) {
      cur.owner = kForeignProject - p;
      return;
    }
  }
  if (ambiguous) {
    ++m_walk->ambiguous;
    return;
  }
  // Spc(n) and Tab(n) of Print's arguments are its syntax.
  if (!typeContext && (EqualsNoCase1252(t.name, "Spc") || EqualsNoCase1252(t.name, "Tab"))) return;
  if (!typeContext && m_proc >= 0 && !m_out.modules[static_cast<size_t>(m_module)].optionExplicit) {
    cur.use = AddUse(kPending, t, UseKind::kRead);
    m_pending.push_back({cur.use, t.name, false});
    return;
  }
  if (typeContext) {
    CountExternal(t.name);
    return;
  }
  // The name's entry of LookupPlain above keeps its index among the external names.
  LookupMemo::Entry& e = *m_lastPlain;
  if (e.external < 0)
    e.external = CountExternal(t.name);
  else
    ++m_walk->external[static_cast<size_t>(e.external)].second;
}

// The member after the "." or "!" at k; returns the position of the member's name.
size_t Resolver::Member(size_t k, size_t to, Chain& cur) {
  const bool bang = m_toks[k].code == '!';
  if (k + 1 >= to || !IsWordCode(m_toks[k + 1].code)) {
    cur = Chain{};
    return k;
  }
  const Tok& t = Fetch(m_toks[k + 1]);
  // After a name or ")" the chain goes on; at an expression's start the With object is the owner.
  int32_t owner = kNoDecl;
  if (cur.active) {
    owner = Owner(cur);
  } else if (!m_with.empty()) {
    owner = m_with.back();
  }
  ++cur.length;
  cur.active = true;
  cur.use = -1;
  cur.typed = kNoDecl;
  cur.foreign = -1;
  if (!bang && owner <= kForeignClass) {
    ForeignMember(t, owner, cur);
    return k + 1;
  }
  if (bang || owner < 0) {
    ++m_walk->unresolvedMembers;
    cur.owner = kNoDecl;
    return k + 1;
  }
  // An owner's members are looked up again and again: kept for the walk.
  const int32_t d = m_runMemo
                        .Kept(t.name, HashNoCase1252(t.name), owner,
                              [&](LookupMemo::Entry& fill) {
                                const int32_t n = Find(owner, t.name);
                                fill.found = n >= 0 ? Best(n) : kNoDecl;
                              })
                        .found;
  if (d < 0) {
    ++m_walk->unresolvedMembers;
    cur.owner = kNoDecl;
    return k + 1;
  }
  cur.scope = owner;
  cur.use = AddUse(d, t, KindOf(d));
  cur.typed = d;
  return k + 1;
}

// Reads the tokens [from, to): every name is resolved and recorded as a use. Returns the chain
// the range ends with (its last element is the target of an assignment that follows).
Chain Resolver::Walk(size_t from, size_t to, int mode) {
  Chain cur;
  m_parens.clear();
  // Declarations start with a declarator (a header's name; a line of an Enum or Type block too).
  bool declarator = mode == kDeclare || mode == kHeader;
  bool typeContext = false;
  const size_t n = std::min(to, m_toks.size());
  for (size_t k = from; k < n; ++k) {
    YieldPoint();
    const Tok& t = m_toks[k];
    const int32_t code = t.code;
    if (code == '(') {
      // A procedure header's parameters are declarators.
      if (mode == kHeader && m_parens.empty()) declarator = true;
      m_parens.push_back(cur);
      cur = Chain{};
      continue;
    }
    if (code == ')') {
      if (!m_parens.empty()) {
        cur = m_parens.back();
        m_parens.pop_back();
      } else {
        cur = Chain{};
      }
      continue;
    }
    if (code == ',') {
      if ((mode == kDeclare && m_parens.empty()) || (mode == kHeader && m_parens.size() == 1))
        declarator = true;
      cur = Chain{};
      continue;
    }
    if (code == '.' || code == '!') {
      // A number's decimal point: "1.5", ".5".
      if (k + 1 < n && m_toks[k + 1].code == TokIdentifier && StartsWithDigit(m_toks[k + 1].name)) {
        ++k;
        cur = Chain{};
        continue;
      }
      // "a!b" is a member; "a!" (with no name after it) is a type suffix.
      if (code == '!' &&
          !(k + 1 < n && m_toks[k + 1].pos == t.pos + 1 && IsWordCode(m_toks[k + 1].code))) {
        continue;
      }
      k = Member(k, n, cur);
      if (k + 1 < n && IsSuffix(m_toks[k + 1].code) && m_toks[k + 1].code != '!' &&
          m_toks[k + 1].pos == m_toks[k].pos + 1)
        ++k;
      continue;
    }
    if (code == KwAs || code == KwNew || code == KwImplements) {
      typeContext = true;
      cur = Chain{};
      continue;
    }
    // The words of a Declare's library and entry point.
    if (mode == kHeader && (code == KwLib || code == KwAlias)) {
      cur = Chain{};
      continue;
    }
    if (code == KwByVal || code == KwByRef || code == KwOptional || code == KwParamArray ||
        code == KwWithEvents) {
      if (mode == kHeader || mode == kDeclare) declarator = true;
      continue;
    }
    if (code == KwMe) {
      cur = Chain{};
      cur.active = true;
      cur.owner = m_moduleDecl;
      cur.scope = m_moduleDecl;
      continue;
    }
    if (code == '=') {
      cur = Chain{};
      typeContext = false;
      continue;
    }
    if (!IsNameToken(code)) {
      cur = Chain{};
      if (code != '*') typeContext = false;
      continue;
    }
    if (t.name.empty()) {  // "[]": no name
      cur = Chain{};
      continue;
    }
    // A number, or the digits of a hexadecimal or octal literal (&H10, &O7).
    if (StartsWithDigit(t.name) ||
        (k > from && m_toks[k - 1].code == '&' && m_toks[k - 1].pos + 1 == t.pos &&
         (t.name[0] == 'H' || t.name[0] == 'h' || t.name[0] == 'O' || t.name[0] == 'o') &&
         !(k - 1 > from && m_toks[k - 2].pos + 1 == m_toks[k - 1].pos &&
           IsWordCode(m_toks[k - 2].code)))) {
      cur = Chain{};
      continue;
    }
    // A named argument ("Name:=") is no use.
    if (k + 2 < n && m_toks[k + 1].code == ':' && m_toks[k + 2].code == '=') {
      k += 2;
      cur = Chain{};
      continue;
    }
    // Names are read in file order, so the declarations' places are passed once.
    if (m_placeCursor > 0 && m_places[m_placeCursor - 1].first >= t.pos) m_placeCursor = 0;
    while (m_placeCursor < m_places.size() && m_places[m_placeCursor].first < t.pos)
      ++m_placeCursor;
    const bool declared = m_placeCursor < m_places.size() && m_places[m_placeCursor].first == t.pos;
    if (declared || declarator) {
      declarator = false;
      cur = Chain{};
    } else {
      Head(t, typeContext, cur);
    }
    typeContext = false;
    // A type-suffix character written after the name.
    if (k + 1 < n && IsSuffix(m_toks[k + 1].code) && m_toks[k + 1].pos == t.pos + 1 &&
        !(m_toks[k + 1].code == '!' && k + 2 < n && m_toks[k + 2].pos == t.pos + 2 &&
          IsWordCode(m_toks[k + 2].code)))
      ++k;
  }
  return cur;
}

void Resolver::EnterProcedure(int32_t proc) {
  if (m_proc >= 0) ExitProcedure();
  m_proc = proc;
  m_scope = Canonical(proc);
  m_procMemo.Clear();
  // The procedure's parameters and locals follow its declaration. A procedure with #If twins
  // has names of theirs in its scope too: those are looked up in the name table.
  m_procNamesKnown = m_scope == proc && m_tab.twinned[static_cast<size_t>(proc)] == 0;
  if (m_procNamesKnown) {
    for (auto d = static_cast<size_t>(proc) + 1;
         d < m_out.decls.size() && m_out.decls[d].parent == proc; ++d) {
      if (m_out.decls[d].canonical != static_cast<int32_t>(d)) continue;
      LookupMemo::Entry& e = m_procMemo.At(m_out.decls[d].name, m_nameHash[d]);
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
      for (int32_t k = n; k >= 0; k = m_nodes[static_cast<size_t>(k)].next) {
        const int32_t c = m_nodes[static_cast<size_t>(k)].decl;
        const CrossDeclaration& cd = m_out.decls[static_cast<size_t>(c)];
        if (cd.kind == DeclKind::kControl || (cd.kind == DeclKind::kVariable && cd.withEvents)) {
          d.handler = true;
          AddUse(c, at, UseKind::kRead);
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
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const size_t walks = std::max<size_t>(1, std::min<size_t>({cores, modules, 8}));
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
  std::vector<WalkOutput> outputs(walks);
  const std::atomic<bool>* stopFlag = CurrentStopFlag();
  const auto walk = [&](size_t w) {
    try {
      const StopFlagScope scope(stopFlag);
      Resolver walker(*this, outputs[w]);
      for (size_t m = bounds[w]; m < bounds[w + 1]; ++m) walker.WalkModule(static_cast<int32_t>(m));
    } catch (...) {
      // Rethrown on the run's thread below, once every walk has ended.
      outputs[w].error = std::current_exception();
    }
  };
  std::vector<std::thread> threads;
  for (size_t w = 1; w < walks; ++w) {
    try {
      threads.emplace_back(walk, w);
    } catch (const std::system_error&) {
      // No thread: this run of modules is walked on the run's thread below.
      outputs[w].error = nullptr;
      walk(w);
    }
  }
  walk(0);
  for (std::thread& t : threads) t.join();
  for (WalkOutput& out : outputs)
    if (out.error) std::rethrow_exception(out.error);
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
  // The names of labels and implicit locals may be views of these strings: the run keeps them.
  m_out.ownedNames.push_back(std::move(walk.ownedNames));
}

void Resolver::Finish(bool forExport) {
  // The uses of each file are in position order (WalkModule). The indexes only the export and
  // the site read are left out for a question.
  if (forExport) FinishExportIndexes();
  FinishUseIndexes(forExport);
  // Without the export's indexes DeclOf still finds the controls (AddControls put them in).
  if (!forExport) std::sort(m_out.declOf.begin(), m_out.declOf.end());
  m_out.computed = true;
}

void Resolver::FinishUseIndexes(bool lists) {
  auto& uses = m_out.uses;
  const size_t nd = m_out.decls.size();
  m_out.useStart.assign(nd + 1, 0);
  uses.ForEachFile([&](int32_t, auto first, auto end) {
    for (auto u = first; u != end; ++u) ++m_out.useStart[static_cast<size_t>(u->decl) + 1];
  });
  for (size_t d = 0; d < nd; ++d) m_out.useStart[d + 1] += m_out.useStart[d];
  if (lists) {
    m_out.useIndex.resize(uses.size());
    std::vector<int32_t> fill(m_out.useStart.begin(), m_out.useStart.end() - 1);
    int32_t index = 0;
    uses.ForEachFile([&](int32_t, auto first, auto end) {
      for (auto u = first; u != end; ++u)
        m_out.useIndex[static_cast<size_t>(fill[static_cast<size_t>(u->decl)]++)] = index++;
    });
  }
  for (size_t d = 0; d < nd; ++d) {
    CrossDeclaration& decl = m_out.decls[d];
    const auto c = static_cast<size_t>(decl.canonical);
    decl.uses = static_cast<uint32_t>(m_out.useStart[c + 1] - m_out.useStart[c]);
  }
  ComputeExposure();
}

void Resolver::FinishExportIndexes() {
  auto& uses = m_out.uses;
  const size_t nd = m_out.decls.size();
  // The records' declarations (the controls' are in already), built once the name table is gone.
  size_t records = m_out.declOf.size();
  for (const CrossDeclaration& d : m_out.decls) records += d.entry ? 1 : 0;
  m_out.declOf.reserve(records);
  for (size_t d = 0; d < nd; ++d)
    if (m_out.decls[d].entry)
      m_out.declOf.emplace_back(m_out.decls[d].entry, static_cast<int32_t>(d));
  std::sort(m_out.declOf.begin(), m_out.declOf.end());
  // What each procedure calls, once each, in first-call order. A procedure's uses follow each
  // other, so the last caller of each callee tells a repeated call; the module's own uses (from
  // its declarations, between procedures) are told by a set.
  std::vector<int32_t> lastCaller(nd, -1);
  std::unordered_set<uint64_t> seen;
  m_out.callStart.assign(nd + 1, 0);
  std::vector<std::pair<int32_t, int32_t>> calls;
  uses.ForEachFile([&](int32_t, auto first, auto end) {
    for (auto u = first; u != end; ++u) {
      if (u->Kind() != UseKind::kCall) continue;
      int32_t& last = lastCaller[static_cast<size_t>(u->decl)];
      if (last == u->from) continue;
      last = u->from;
      if (m_out.decls[static_cast<size_t>(u->from)].kind == DeclKind::kModule &&
          !seen.insert((static_cast<uint64_t>(static_cast<uint32_t>(u->from)) << 32) |
                       static_cast<uint32_t>(u->decl))
               .second)
        continue;
      calls.emplace_back(u->from, u->decl);
      ++m_out.callStart[static_cast<size_t>(u->from) + 1];
    }
  });
  for (size_t d = 0; d < nd; ++d) m_out.callStart[d + 1] += m_out.callStart[d];
  m_out.callList.resize(calls.size());
  std::vector<int32_t> fill(m_out.callStart.begin(), m_out.callStart.end() - 1);
  for (const auto& [from, decl] : calls)
    m_out.callList[static_cast<size_t>(fill[static_cast<size_t>(from)]++)] = decl;
}

void Resolver::ComputeExposure() {
  const bool startupMain = EqualsNoCase1252(m_startup, "Sub Main");
  // A Public member of an exposed class, user control or document of an ActiveX project: outside
  // callers may use it, and its signature is not the project's to change.
  const auto exposed = [this](const CrossDeclaration& d) {
    const CrossModule& mod = m_out.modules[static_cast<size_t>(d.module)];
    return m_activeX && d.parent < 0 && d.kind != DeclKind::kModule && d.isPublic && mod.exposed &&
           (mod.itemType == kItemClass || mod.itemType == kItemUserControl ||
            mod.itemType == kItemUserDocument);
  };
  for (size_t i = 0; i < m_out.decls.size(); ++i) {
    CrossDeclaration& d = m_out.decls[i];
    const CrossModule& mod = m_out.modules[static_cast<size_t>(d.module)];
    const CrossDeclaration* parent =
        d.parent >= 0 ? &m_out.decls[static_cast<size_t>(d.parent)] : nullptr;
    if (static_cast<size_t>(d.canonical) != i) {
      d.exposure = m_out.decls[static_cast<size_t>(d.canonical)].exposure;
      continue;
    }
    if (d.kind == DeclKind::kModule || d.handler) {
      d.exposure = Exposure::kKept;
    } else if (d.uses > 0) {
      d.exposure = Exposure::kUsed;
    } else if (startupMain && d.kind == DeclKind::kSub && mod.itemType == kItemModule &&
               EqualsNoCase1252(d.name, "Main")) {
      d.exposure = Exposure::kKept;
    } else if (parent && (d.kind == DeclKind::kEnumMember || d.kind == DeclKind::kTypeMember) &&
               parent->exposure != Exposure::kUnused) {
      d.exposure = Exposure::kKept;
    } else if (parent && d.kind == DeclKind::kParameter &&
               (parent->handler || parent->kind == DeclKind::kEvent ||
                parent->kind == DeclKind::kDeclare || exposed(*parent))) {
      d.exposure = Exposure::kKept;
    } else if (exposed(d)) {
      d.exposure = Exposure::kExposed;
    } else {
      d.exposure = Exposure::kUnused;
    }
  }
}

}  // namespace

void ResolveCrossReferences(const clsVBFileTypes& in_oItems, const clsSymTable* in_oTable,
                            std::string_view in_sProjectName, CrossReferences& out_oRefs,
                            const std::vector<ExposedClass>* in_pOtherClasses, bool in_bForExport) {
  out_oRefs = CrossReferences{};
  Resolver resolver(in_sProjectName, out_oRefs);
  resolver.SetForeignClasses(in_pOtherClasses);
  resolver.SetForExport(in_bForExport);
  resolver.Run(in_oItems, in_oTable);
}

}  // namespace qs
