// The resolver's last step: the indexes of the finished cross references (each declaration's
// uses, the analysis records' declarations, what each procedure calls) and each declaration's
// exposure.
#include <algorithm>
#include <unordered_set>
#include <utility>
#include <vector>

#include "analysis/ResolverState.h"
#include "model/clsVBFileType.h"

namespace qs::resolver {

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
  // The classes some class implements: their members' signatures are the interface's.
  std::vector<uint8_t> implemented(m_out.modules.size(), 0);
  for (const Implementation& i : m_out.implementations)
    if (i.iface >= 0)
      implemented[static_cast<size_t>(m_out.decls[static_cast<size_t>(i.iface)].module)] = 1;
  const auto interfaceMember = [&](const CrossDeclaration& p) {
    return p.implementsForeign || (p.parent < 0 && p.kind != DeclKind::kModule &&
                                   implemented[static_cast<size_t>(p.module)]);
  };
  // The member names read late-bound, and the modules whose Public members they may name.
  std::unordered_set<NameKey, NameKeyHash, NameKeyEqual> lateNames;
  for (const LateBoundUse& u : m_out.lateBound) lateNames.insert(NameKey{0, u.name});
  const auto lateBound = [&](const CrossDeclaration& d) {
    const int32_t type = m_out.modules[static_cast<size_t>(d.module)].itemType;
    return d.parent < 0 && d.isPublic && d.kind != DeclKind::kModule &&
           d.kind != DeclKind::kEvent && d.kind != DeclKind::kDeclare &&
           (type == kItemClass || type == kItemForm || type == kItemUserControl) &&
           lateNames.count(NameKey{0, d.name}) > 0;
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
    // Left out by conditional compilation: neither used nor unused.
    if (!d.active) {
      d.exposure = Exposure::kKept;
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
    } else if (d.implementsForeign || (parent && d.kind == DeclKind::kParameter &&
                                       !parent->handler && interfaceMember(*parent))) {
      d.exposure = Exposure::kImplements;
    } else if (parent && d.kind == DeclKind::kParameter &&
               (parent->handler || parent->kind == DeclKind::kEvent ||
                parent->kind == DeclKind::kDeclare || exposed(*parent))) {
      d.exposure = Exposure::kKept;
    } else if (lateBound(d)) {
      d.exposure = Exposure::kLateBound;
    } else if (exposed(d)) {
      d.exposure = Exposure::kExposed;
    } else {
      d.exposure = Exposure::kUnused;
    }
  }
}

}  // namespace qs::resolver
