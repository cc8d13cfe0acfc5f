// The names of a statement's expressions: every name of a range of a line's tokens resolved and
// recorded as a use, member chains (a.b(1).c) followed through their owners' types, and the
// targets of assignments, ReDim, Erase and file statements made writes.
#include <algorithm>
#include <string>
#include <string_view>

#include "analysis/ResolverState.h"
#include "model/ClsEntryPtr.h"
#include "model/clsVBFileType.h"
#include "text/Yield.h"

namespace qs::resolver {

int32_t Resolver::CountExternal(std::string_view name) {
  const auto [it, added] =
      m_external.try_emplace(NameKey{0, name}, static_cast<int32_t>(m_walk->external.size()));
  if (added) m_walk->external.emplace_back(std::string(name), 0);
  ++m_walk->external[static_cast<size_t>(it->second)].second;
  return it->second;
}

UseKind Resolver::KindOf(int32_t decl) const {
  switch (DeclAt(decl).kind) {
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
  u.decl = decl >= 0 ? DeclAt(decl).canonical : decl;
  u.from = m_proc >= 0 ? m_proc : m_moduleDecl;
  return static_cast<int32_t>(m_walk->uses.size()) - 1;
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

// ReDim and Erase: each comma-separated name is written; ReDim's bounds and types are read. A
// ReDim of a name nothing declares declares it: a dynamic array of the procedure.
void Resolver::Targets(size_t from, size_t to, bool withBounds) {
  EachItem(from, to, [&](size_t start, size_t end) {
    size_t as = start;
    while (as < end && m_toks[as].code != KwAs) ++as;
    if (withBounds && m_proc >= 0 && start + 1 < as && IsNameToken(m_toks[start].code) &&
        m_toks[start + 1].code == '(') {
      Tok& t = Fetch(m_toks[start]);
      bool ambiguous = false;
      int32_t scope = 0;
      if (!StartsWithDigit(t.name) && LookupPlain(t.name, ambiguous, scope) < 0 && !ambiguous) {
        int32_t owner = kNoDecl;
        int32_t value = 0;
        DeclaratorType(start, end, owner, value);
        WalkDeclaration(DeclKind::kVariable, t, owner, value);
        Walk(start + 1, end, kRead);
        return;
      }
    }
    MakeWrite(Walk(start, as, kRead), false);
    if (withBounds && as < end) Walk(as, end, kRead);
  });
}

void Resolver::DeclaratorType(size_t k, size_t end, int32_t& owner, int32_t& value) {
  owner = kNoDecl;
  value = 0;
  const Tok& name = m_toks[k];
  size_t p = k + 1;
  if (p < end && IsSuffix(m_toks[p].code) && m_toks[p].pos == name.pos + 1)
    value = SuffixType(m_toks[p++].code);
  int depth = 0;
  for (; p < end; ++p) {
    const int32_t code = m_toks[p].code;
    if (code == '(') ++depth;
    if (code == ')' && depth > 0) --depth;
    if (depth == 0 && (code == ',' || code == KwAs)) break;
  }
  if (p < end && m_toks[p].code == KwAs) {
    ++p;
    if (p < end && m_toks[p].code == KwNew) ++p;
    if (p < end) {
      if (const std::string_view builtin = TypeNameOfKeyword(m_toks[p].code); !builtin.empty()) {
        value = m_toks[p].code;
      } else if (IsNameToken(m_toks[p].code) && !(p + 1 < end && m_toks[p + 1].code == '.')) {
        owner = WalkLookupType(Fetch(m_toks[p]).name);
      }
    }
    return;
  }
  if (value != 0) return;
  // No type: the letter's default, else Variant.
  const auto first = name.name.empty() ? 0 : static_cast<unsigned char>(name.name[0] & 0xDF);
  value = first >= 'A' && first <= 'Z'
              ? m_out.modules[static_cast<size_t>(m_module)].defType[first - 'A']
              : 0;
  if (value == 0) value = KwVariant;
}

int32_t Resolver::WalkDeclaration(DeclKind kind, const Tok& t, int32_t owner, int32_t value) {
  const auto id = static_cast<int32_t>(kLocalBase + m_walk->decls.size());
  CrossDeclaration& d = m_walk->decls.emplace_back();
  d.name = t.name;
  d.module = m_module;
  d.parent = m_proc >= 0 ? m_scope : -1;
  d.kind = kind;
  d.canonical = id;
  d.pos = t.pos;
  d.line = t.line;
  d.column = t.column + t.colAdd;
  d.isPublic = m_walkPublic && m_proc < 0;
  const auto index = static_cast<size_t>(id - kLocalBase);
  if (m_localTypes.size() <= index) m_localTypes.resize(index + 1);
  m_localTypes[index] = LocalType{owner, value};
  // Later uses of the name in its scope find it.
  const size_t h = HashNoCase1252(t.name);
  LookupMemo::Entry& e = (m_proc >= 0 ? m_procMemo : m_moduleMemo).At(t.name, h);
  e.filled = true;
  e.ambiguous = false;
  e.found = id;
  e.scope = m_proc >= 0 ? m_scope : m_moduleDecl;
  return id;
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
  const CrossDeclaration& d = DeclAt(u.decl);
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
void Resolver::Head(const Tok& t, bool typeContext, int32_t suffix, Chain& cur) {
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
  // A name written with a type character names only a declaration of the character's type
  // (Left$ is the runtime's function, not a Left property); else it is external.
  if (d >= 0 && suffix != 0 && !typeContext && !SuffixFits(d, suffix)) {
    CountExternal(t.name);
    return;
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
  // A name nothing declares (an implicit local, a function of the runtime or of a library) gives
  // an object of unknown type when indexed or called; an implicit local is one itself.
  cur.undeclared = !typeContext;
  cur.late =
      !typeContext && m_proc >= 0 && !m_out.modules[static_cast<size_t>(m_module)].optionExplicit;
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

// Types whose members are bound only when the program runs.
static bool IsLateType(std::string_view type) {
  if (type.size() > 3 && EqualsNoCase1252(type.substr(0, 3), "VB.")) type.remove_prefix(3);
  return type.empty() || EqualsNoCase1252(type, "Object") || EqualsNoCase1252(type, "Variant") ||
         EqualsNoCase1252(type, "Control") || EqualsNoCase1252(type, "Form");
}

bool Resolver::LateOwner(const Chain& cur) const {
  if (cur.late) return true;
  if (cur.typed < 0) return false;
  const CrossDeclaration& d = DeclAt(cur.typed);
  // A name with no type written is a Variant unless a Def-type statement gives its letter another.
  const auto untypedLate = [&] {
    const int32_t value = ValueTypeOf(cur.typed);
    return value == KwVariant || value == KwObject;
  };
  std::string_view type;
  switch (d.kind) {
    case DeclKind::kImplicit:
      return true;
    case DeclKind::kVariable:
    case DeclKind::kParameter:
      if (!d.entry) return cur.typed >= kLocalBase && untypedLate();
      type = d.entry->EntryType;
      break;
    case DeclKind::kFunction:
    case DeclKind::kPropertyGet:
      if (!d.entry) return false;
      type = d.entry->ReturnType;
      break;
    default:
      return false;
  }
  if (type.empty()) return untypedLate();
  return IsLateType(type);
}

void Resolver::AddLateBound(std::string_view name, const Tok& t) {
  m_walk->lateBound.push_back({name, m_module, t.pos, t.line, t.column + t.colAdd});
}

// CallByName's name after "CallByName" at k (up to n): its second argument, when a string.
void Resolver::CallByNameArgument(size_t k, size_t n) {
  size_t a = k + 1;
  if (a < n && m_toks[a].code == '(') ++a;
  int depth = 0;
  for (; a < n; ++a) {
    const int32_t code = m_toks[a].code;
    if (code == '(') ++depth;
    if (code == ')' && --depth < 0) return;
    if (depth == 0 && code == ',') break;
  }
  if (a + 1 >= n || m_toks[a + 1].code != TokString) return;
  if (a + 2 < n && m_toks[a + 2].code != ',' && m_toks[a + 2].code != ')') return;
  // A string's text is not kept with its token: read from the stream, quotes and all.
  const Tok& s = m_toks[a + 1];
  const std::string_view text = m_ts->TokenStringAt(s.pos);
  if (text.size() < 3 || text.front() != '"' || text.back() != '"') return;
  const std::string_view name = text.substr(1, text.size() - 2);
  if (name.find('"') != std::string_view::npos) return;
  Tok at = s;
  ++at.column;  // the name's place, past the opening quote
  AddLateBound(name, at);
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
  bool late = false;
  if (cur.active) {
    owner = Owner(cur);
    if (owner == kNoDecl && !bang && cur.length == 1 && cur.use >= 0 && cur.typed >= 0)
      owner = ModuleQualifier(cur);
    late = owner == kNoDecl && LateOwner(cur);
  } else if (!m_with.empty()) {
    owner = m_with.back();
    late = owner == kLateWith;
  }
  ++cur.length;
  cur.active = true;
  cur.use = -1;
  cur.typed = kNoDecl;
  cur.foreign = -1;
  cur.late = false;
  if (!bang && owner <= kForeignClass) {
    ForeignMember(t, owner, cur);
    return k + 1;
  }
  if (bang || owner < 0) {
    ++m_walk->unresolvedMembers;
    // A member of an object of unknown type may be the project's; what it gives is unknown too.
    // "a!b" names no member (it is the default member's argument).
    if (late && !bang) AddLateBound(t.name, t);
    cur.late = late || bang;
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
    // A member a form-like module of the project does not declare itself (its Controls,
    // ActiveControl, Extender, ...) gives an object of unknown type.
    ++m_walk->unresolvedMembers;
    cur.owner = kNoDecl;
    const CrossDeclaration& o = m_out.decls[static_cast<size_t>(owner)];
    const int32_t itemType = m_out.modules[static_cast<size_t>(o.module)].itemType;
    cur.late = o.kind == DeclKind::kModule && itemType != kItemClass && itemType != kItemModule;
    return k + 1;
  }
  cur.scope = owner;
  cur.use = AddUse(d, t, KindOf(d));
  cur.typed = d;
  return k + 1;
}

// The "." or "!" at k of a walk's tokens (up to n): a number's decimal point, a type suffix, or the
// member after it. Returns the position of the last token read.
size_t Resolver::WalkDot(size_t k, size_t n, Chain& cur) {
  const Tok& t = m_toks[k];
  // A number's decimal point: "1.5", ".5".
  if (k + 1 < n && m_toks[k + 1].code == TokIdentifier && StartsWithDigit(m_toks[k + 1].name)) {
    cur = Chain{};
    return k + 1;
  }
  // "a!b" is a member; "a!" (with no name after it) is a type suffix.
  if (t.code == '!' &&
      !(k + 1 < n && m_toks[k + 1].pos == t.pos + 1 && IsWordCode(m_toks[k + 1].code))) {
    return k;
  }
  // A "." after a name or ")" with a blank between (on the same line) starts an argument: a
  // member of the With object ("Foo .X", "Debug.Print .Caption"), not a member of the name.
  if (t.code == '.' && k > 0) {
    const Tok& before = m_toks[k - 1];
    if (before.line == t.line && before.pos + 1 < t.pos &&
        (IsWordCode(before.code) || before.code == ')'))
      cur = Chain{};
  }
  k = Member(k, n, cur);
  if (k + 1 < n && IsSuffix(m_toks[k + 1].code) && m_toks[k + 1].code != '!' &&
      m_toks[k + 1].pos == m_toks[k].pos + 1)
    ++k;
  return k;
}

// The name at k of a walk's tokens [from, n): a number, a named argument, a declarator, or a use
// that heads a chain. Returns the position of the last token read.
size_t Resolver::WalkName(size_t k, size_t from, size_t n, bool& declarator, bool& typeContext,
                          Chain& cur) {
  const Tok& t = m_toks[k];
  if (t.name.empty()) {  // "[]": no name
    cur = Chain{};
    return k;
  }
  // A number, or the digits of a hexadecimal or octal literal (&H10, &O7).
  if (StartsWithDigit(t.name) ||
      (k > from && m_toks[k - 1].code == '&' && m_toks[k - 1].pos + 1 == t.pos &&
       (t.name[0] == 'H' || t.name[0] == 'h' || t.name[0] == 'O' || t.name[0] == 'o') &&
       !(k - 1 > from && m_toks[k - 2].pos + 1 == m_toks[k - 1].pos &&
         IsWordCode(m_toks[k - 2].code)))) {
    cur = Chain{};
    return k;
  }
  // A named argument ("Name:=") is no use.
  if (k + 2 < n && m_toks[k + 1].code == ':' && m_toks[k + 2].code == '=') {
    cur = Chain{};
    return k + 2;
  }
  // Names are read in file order, so the declarations' places are passed once.
  if (m_placeCursor > 0 && m_places[m_placeCursor - 1].first >= t.pos) m_placeCursor = 0;
  while (m_placeCursor < m_places.size() && m_places[m_placeCursor].first < t.pos) ++m_placeCursor;
  const bool declared = m_placeCursor < m_places.size() && m_places[m_placeCursor].first == t.pos;
  // A type-suffix character written after the name.
  const bool suffixed = k + 1 < n && IsSuffix(m_toks[k + 1].code) &&
                        m_toks[k + 1].pos == t.pos + 1 &&
                        !(m_toks[k + 1].code == '!' && k + 2 < n &&
                          m_toks[k + 2].pos == t.pos + 2 && IsWordCode(m_toks[k + 2].code));
  if (declared || declarator) {
    // A declarator the records leave out (after ":") is the walk's own declaration.
    if (!declared && m_walkDeclares && m_parens.empty()) {
      int32_t owner = kNoDecl;
      int32_t value = 0;
      DeclaratorType(k, n, owner, value);
      WalkDeclaration(m_walkKind, t, owner, value);
    }
    declarator = false;
    cur = Chain{};
  } else {
    Head(t, typeContext, suffixed ? m_toks[k + 1].code : 0, cur);
    // CallByName of the runtime (the project declares none) names a member in a string.
    if (cur.use < 0 && t.name.size() == 10 && EqualsNoCase1252(t.name, "CallByName"))
      CallByNameArgument(k, n);
  }
  typeContext = false;
  return suffixed ? k + 1 : k;
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
    const int32_t code = m_toks[k].code;
    if (code == '(') {
      // A procedure header's parameters are declarators.
      if (mode == kHeader && m_parens.empty()) declarator = true;
      m_parens.push_back(cur);
      cur = Chain{};
      continue;
    }
    if (code == ')') {
      // The end of a header's parameter list (an empty one too): what follows is no declarator.
      if (mode == kHeader && m_parens.size() == 1) declarator = false;
      if (!m_parens.empty()) {
        cur = m_parens.back();
        m_parens.pop_back();
        // What a name nothing declares gives when indexed or called (Controls(i),
        // CreateObject(...), PropertyPage.SelectedControls(0)) is an object of unknown type.
        if (cur.active && cur.undeclared && cur.typed < 0) cur.late = true;
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
      k = WalkDot(k, n, cur);
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
    k = WalkName(k, from, n, declarator, typeContext, cur);
  }
  return cur;
}

}  // namespace qs::resolver
