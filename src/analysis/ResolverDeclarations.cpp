// The resolver's first step: each module's declarations, read from its records (and, for what the
// records leave out, its tokens), put in the declaration and name tables in module order.
#include <algorithm>
#include <array>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "analysis/ConditionalRegions.h"
#include "analysis/ResolverState.h"
#include "analysis/ResolverWords.h"
#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"
#include "model/ClsSymEntry.h"
#include "model/clsVBFileType.h"
#include "model/clsVBHeader.h"
#include "text/Parallel.h"
#include "text/Yield.h"

namespace qs::resolver {

namespace {

bool IsFormLikeKind(int32_t itemType) {
  return itemType == kItemForm || itemType == kItemUserControl || itemType == kItemPropertyPage ||
         itemType == kItemUserDocument || itemType == kItemDesigner;
}

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
  ConditionalRegions regions;        // the lines conditional compilation leaves out

  /// Reads the module's records; scopes is the reader's table for the procedures' names.
  void Read(const CrossModule& mod, int32_t m, LookupMemo& scopes,
            const CompileConstants& constants);
  bool Active(int32_t decl) const { return decls[static_cast<size_t>(decl)].active; }
  int32_t Add(DeclKind kind, const ClsEntryPtr* entry, std::string_view name, int32_t module,
              int32_t parent, int32_t pos);
  // A declaration conditional compilation leaves out stays out of the name table.
  void Insert(int32_t scope, int32_t decl, int32_t space = kNames) {
    if (Active(decl)) inserts.push_back({scope, decl, space, false});
  }
  /// Under the names of this module's declaration owner.
  void InsertIn(int32_t owner, int32_t decl) {
    if (Active(decl)) inserts.push_back({owner, decl, kNames, true});
  }
  void AddEntryList(const ClsEntry& list, DeclKind kind, bool isPublicModule);
  void AddProcedureNames(int32_t proc, const ClsEntryPtr& e);
  /// Whether the statement holding the token at pos opens with Global, the old word for Public
  /// in a standard module (the records give such a declaration no scope).
  bool WrittenGlobal(int32_t pos) const;
  /// The statements before the first procedure at end that the records leave out, in one pass:
  /// with globals, the variables of the Global lines; the Def-type statements (DefLng A-Z ...),
  /// each letter's default type.
  void ReadStatements(int32_t from, int32_t end, bool globals);
  /// The declarators of a Global line from p (after the word); gives the position of the token
  /// that ended the statement.
  int32_t AddGlobalStatement(int32_t p, int32_t end);
  /// The letters of a Def-type statement from p (after its word) get the type; gives the position
  /// of the token that ended the statement.
  int32_t ReadDefTypeStatement(int32_t type, int32_t p, int32_t end);
  std::array<int32_t, 26> defType{};
  /// Puts a name of the procedure's scope in: InsertIn with its twin among the scope's names.
  void AddProcedureName(int32_t proc, int32_t decl);
  void AddControls(const CrossModule& mod);
};

int32_t ModuleDecls::Add(DeclKind kind, const ClsEntryPtr* entry, std::string_view name,
                         int32_t module, int32_t parent, int32_t pos) {
  const auto id = static_cast<int32_t>(decls.size());
  CrossDeclaration& d = decls.emplace_back(NewDecl(kind, entry, name, module, parent, pos, id));
  // In a left-out branch, or a parameter, local or member of a declaration that is.
  d.active = !(pos >= 0 && regions.Inactive(pos)) &&
             (parent < 0 || decls[static_cast<size_t>(parent)].active);
  nameHash.push_back(static_cast<uint32_t>(HashNoCase1252(name)));
  return id;
}

void ModuleDecls::AddProcedureName(int32_t proc, int32_t decl) {
  const CrossDeclaration& d = decls[static_cast<size_t>(decl)];
  // A left-out name is nobody's twin and stays out of the table.
  if (!d.active) return;
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

void ModuleDecls::AddEntryList(const ClsEntry& list, DeclKind kind, bool isPublicModule) {
  for (const auto& e : list) {
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

void ModuleDecls::ReadStatements(int32_t from, int32_t end, bool globals) {
  if (!ts) return;
  end = std::min(end, ts->Count());
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
    if (!opens || code != TokIdentifier) continue;
    const std::string_view word = ts->TokenStringAt(p);
    int32_t stop = -1;
    if (globals && EqualsNoCase1252(word, "Global"))
      stop = AddGlobalStatement(p + 1, end);
    else if (const int32_t type = DefTypeWord(word); type != 0)
      stop = ReadDefTypeStatement(type, p + 1, end);
    if (stop >= 0) p = stop - 1;  // the token that ended the statement is read by the loop
  }
}

int32_t ModuleDecls::AddGlobalStatement(int32_t p, int32_t end) {
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
  p = skipBlanks(p);
  // Global Const is in the records (AddEntryList makes it public).
  if (p >= end) return end;
  if (ts->TokenCodeAt(p) == KwConst) return p + 1;
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
  return p;
}

int32_t ModuleDecls::ReadDefTypeStatement(int32_t type, int32_t p, int32_t end) {
  // A letter of a range: a one-letter word.
  const auto letter = [this](int32_t at) {
    const std::string_view w = ts->TokenStringAt(at);
    const auto c = w.size() == 1 ? static_cast<unsigned char>(w[0] & 0xDF) : 0;
    return c >= 'A' && c <= 'Z' ? static_cast<int32_t>(c - 'A') : -1;
  };
  // Letter ranges: A, B-D, ... up to the statement's end.
  int32_t first = -1;
  bool range = false;
  for (; p < end; ++p) {
    const int32_t c = ts->TokenCodeAt(p);
    if (c == TokEndOfLine || c == ':' || c == TokComment) break;
    if (c == '-') range = first >= 0;
    if (c != TokIdentifier) continue;
    const int32_t l = letter(p);
    if (l < 0) continue;
    const int32_t from_letter = range ? first : l;
    for (int32_t x = std::min(from_letter, l); x <= std::max(from_letter, l); ++x)
      defType[static_cast<size_t>(x)] = type;
    first = l;
    range = false;
  }
  return p;
}

void ModuleDecls::AddControls(const CrossModule& mod) {
  if (!mod.header || !IsFormLikeKind(mod.itemType)) return;
  // The module's controls by name: the module's scope holds no other name yet.
  std::unordered_map<NameKey, int32_t, NameKeyHash, NameKeyEqual> named;
  bool first = true;
  for (const clsControlRecord& record : mod.header->Controls()) {
    const clsControlRecord* r = &record;
    if (r->sType.empty() || r->sType[0] == '+' || r->sType[0] == '_') continue;
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

void ModuleDecls::Read(const CrossModule& mod, int32_t m, LookupMemo& scopes,
                       const CompileConstants& constants) {
  module = m;
  scopeNames = &scopes;
  moduleDecl = mod.decl;
  ts = mod.header ? mod.header->TokenStream.get() : nullptr;
  if (ts) FindConditionalRegions(*ts, std::max(mod.header->CodePtr, 0), constants, regions);
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
  if (!mod.header) return;
  // Global lines and Def-type statements stand before the first procedure.
  int32_t firstProcedure = ts ? ts->Count() : 0;
  for (const auto* list : {&e.ESub, &e.EFunction, &e.EProperty}) {
    for (const auto& proc : *list)
      if (proc && proc->lEntryptr > 0) firstProcedure = std::min(firstProcedure, proc->lEntryptr);
  }
  ReadStatements(mod.header->CodePtr, firstProcedure, isStd);
}

}  // namespace

void Resolver::ReadModuleDecls() {
  const size_t modules = m_out.modules.size();
  std::vector<ModuleDecls> read(modules);
  // Every other module on each of two readers; the records are read apart, the tables filled
  // below in module order.
  constexpr size_t kReaders = 2;
  const auto readEvery = [&](size_t from) {
    LookupMemo scopes;
    for (size_t m = from; m < modules; m += kReaders) {
      YieldPoint();
      read[m].Read(m_out.modules[m], static_cast<int32_t>(m), scopes, m_constants);
    }
  };
  // A question's run has the processors to itself. An export's resolution runs beside the
  // report's writing, which has the other processor: there every module is read on this thread.
  ParallelFor(kReaders, readEvery, m_forExport ? 1 : kReaders);
  size_t total = m_out.decls.size();
  NameTable& names = m_tab.names;
  size_t inserts = names.nodes.size();
  for (const ModuleDecls& r : read) {
    total += r.decls.size();
    for (const ModuleDecls::InsertEntry& e : r.inserts) inserts += e.ownTwin < 0 ? 1 : 0;
  }
  // Room for every declaration (labels and implicit locals come on top), so that the tables are
  // not copied while they grow.
  m_out.decls.reserve(total + total / 8);
  names.nameHash.reserve(total);
  names.twinned.reserve(total);
  names.nodes.reserve(inserts);
  // Each name put in takes one slot at most: the table is made large enough at once.
  names.Grow(names.used + (inserts - names.nodes.size()));
  for (size_t m = 0; m < modules; ++m) {
    YieldPoint();
    ModuleDecls& r = read[m];
    const auto base = static_cast<int32_t>(m_out.decls.size());
    for (CrossDeclaration& d : r.decls) {
      if (d.parent >= 0) d.parent += base;
      d.canonical += base;
      m_out.decls.push_back(d);
    }
    names.nameHash.insert(names.nameHash.end(), r.nameHash.begin(), r.nameHash.end());
    names.twinned.resize(m_out.decls.size(), 0);
    for (const auto& [record, id] : r.controls) m_out.declOf.emplace_back(record, base + id);
    for (const auto& [id, type] : r.controlTypes) m_tab.controlType.emplace(base + id, type);
    for (const ModuleDecls::InsertEntry& e : r.inserts)
      if (e.ownTwin < 0)
        Insert(e.inOwn ? Canonical(base + e.scope) : e.scope, base + e.decl, e.space);
    // The procedures' names once the module's own scope has them all (which procedures are
    // twins is known then): a procedure with no twin keeps its names out of the table.
    for (const ModuleDecls::InsertEntry& e : r.inserts) {
      if (e.ownTwin < 0) continue;
      const int32_t scope = base + e.scope;
      if (Canonical(scope) == scope && names.twinned[static_cast<size_t>(scope)] == 0)
        m_out.decls[static_cast<size_t>(base + e.decl)].canonical = base + e.ownTwin;
      else
        Insert(Canonical(scope), base + e.decl, e.space);
    }
    m_tab.declRange.emplace_back(base, static_cast<int32_t>(m_out.decls.size()));
    m_tab.inactive.push_back(std::move(r.regions.positions));
    m_out.modules[m].inactiveLines = std::move(r.regions.lines);
    for (ConditionalRegions::Problem& p : r.regions.problems)
      m_out.conditionWarnings.push_back({static_cast<int32_t>(m), p.line, std::move(p.message)});
    m_out.modules[m].firstGlobal = base + r.firstGlobal;
    m_out.modules[m].endGlobal = static_cast<int32_t>(m_out.decls.size());
    m_out.modules[m].defType = r.defType;
    r = ModuleDecls{};
  }
}

}  // namespace qs::resolver
