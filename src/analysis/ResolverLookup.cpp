// What a name names, with Visual Basic's scoping rules: a plain name in the procedure's, the
// module's and the project's scopes, a type name, a declaration's type (whose members follow a
// use of it), and the classes other projects expose.
#include <atomic>
#include <string>
#include <string_view>

#include "analysis/ResolverState.h"
#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"

namespace qs::resolver {

int32_t Resolver::Property(int32_t scope, std::string_view name, DeclKind want) const {
  int32_t fallback = kNoDecl;
  for (int32_t n = Find(scope, name); n >= 0; n = m_tab.names.Next(n)) {
    const int32_t d = m_tab.names.Decl(n);
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
    for (int32_t k = n; k >= 0; k = m_tab.names.Next(k)) {
      if (m_out.decls[static_cast<size_t>(m_tab.names.Decl(k))].module !=
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
  if (const int32_t n = FindHashed(moduleDecl, name, h, kTypes); n >= 0) return m_tab.names.Decl(n);
  return LookupProjectType(name, h);
}

int32_t Resolver::LookupProjectType(std::string_view name, size_t h) const {
  if (const int32_t n = FindHashed(kPublicScope, name, h, kTypes); n >= 0)
    return m_tab.names.Decl(n);
  if (const int32_t n = FindHashed(kModuleScope, name, h); n >= 0) return m_tab.names.Decl(n);
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
  if (decl >= kLocalBase) {
    const auto i = static_cast<size_t>(decl - kLocalBase);
    return i < m_localTypes.size() ? m_localTypes[i].owner : kNoDecl;
  }
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
      if (const auto it = m_tab.controlType.find(decl); it != m_tab.controlType.end())
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

int32_t Resolver::ValueTypeOf(int32_t decl) const {
  if (decl < 0) return 0;
  if (decl >= kLocalBase) {
    const auto i = static_cast<size_t>(decl - kLocalBase);
    return i < m_localTypes.size() ? m_localTypes[i].value : 0;
  }
  const CrossDeclaration& d = m_out.decls[static_cast<size_t>(decl)];
  std::string_view type;
  switch (d.kind) {
    case DeclKind::kVariable:
    case DeclKind::kConstant:
    case DeclKind::kParameter:
    case DeclKind::kTypeMember:
      if (d.entry) type = d.entry->EntryType;
      break;
    case DeclKind::kFunction:
    case DeclKind::kPropertyGet:
    case DeclKind::kDeclare:
      if (d.entry) type = d.entry->ReturnType;
      break;
    case DeclKind::kEnumMember:
      return KwLong;
    default:
      return 0;
  }
  if (!type.empty()) return BuiltinTypeOf(type);
  // No type written: the Def-type statements' default for the name's first letter.
  const auto first = d.name.empty() ? 0 : static_cast<unsigned char>(d.name[0] & 0xDF);
  if (first >= 'A' && first <= 'Z') {
    const int32_t def =
        m_out.modules[static_cast<size_t>(d.module)].defType[static_cast<size_t>(first - 'A')];
    if (def != 0) return def;
  }
  return KwVariant;
}

int32_t Resolver::ModuleQualifier(Chain& cur) {
  const CrossDeclaration& d = DeclAt(cur.typed);
  if (d.kind != DeclKind::kVariable && d.kind != DeclKind::kConstant &&
      d.kind != DeclKind::kParameter)
    return kNoDecl;
  const int32_t n = Find(kModuleScope, d.name);
  if (n < 0 || !HasNoMembers(ValueTypeOf(cur.typed))) return kNoDecl;
  const int32_t module = m_tab.names.Decl(n);
  UseRecord& u = m_walk->uses[static_cast<size_t>(cur.use)];
  u.decl = Canonical(module);
  u.SetKind(UseKind::kRead);
  cur.typed = module;
  cur.scope = kModuleScope;
  return module;
}

}  // namespace qs::resolver
