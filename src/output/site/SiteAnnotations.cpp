#include "output/site/SiteAnnotations.h"

#include <algorithm>
#include <functional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "analysis/ProjectAnalysis.h"
#include "analysis/ProjectContents.h"
#include "analysis/ProjectDocs.h"
#include "model/ClsEntry.h"
#include "model/CrossReferences.h"
#include "model/clsVBFileType.h"
#include "model/clsVBHeader.h"
#include "text/Yield.h"

namespace qs {
namespace {

// The part of a description the page shows below the summary: without the summary it opens
// with, and without the tag lines ("@param ...") the page shows as the doc's parts. (A line that
// gives the summary under a label, "Purpose: ...", is left out where the page writes the lines.)
std::string_view DescriptionBody(std::string_view description, std::string_view summary) {
  if (!summary.empty() && description.substr(0, summary.size()) == summary) {
    description.remove_prefix(summary.size());
    while (!description.empty() && (description.front() == ' ' || description.front() == '\n'))
      description.remove_prefix(1);
  }
  if (!description.empty() && description.front() == '@') return {};
  const size_t tag = description.find("\n@");
  return tag == std::string_view::npos ? description : description.substr(0, tag);
}

SiteDoc ToSiteDoc(const ProjectDocs& in_oDocs, const ProjectDocs::Comment& in_oDoc) {
  SiteDoc doc;
  doc.summary = in_oDocs.View(in_oDoc.summary);
  const std::string_view description = in_oDocs.View(in_oDoc.description);
  // The summary is shown once. XML documentation's description only strings its elements'
  // texts together, which the page shows as the doc's parts.
  if (in_oDoc.source != DocSource::kXml)
    doc.description = DescriptionBody(description, doc.summary);
  // A description without tag lines (a heading block's, free text) holds its parameters,
  // returns and author as written, line by line: shown that way, they are not repeated as parts.
  const bool tagged = (!description.empty() && description.front() == '@') ||
                      description.find("\n@") != std::string_view::npos;
  if (!tagged && !doc.description.empty()) return doc;
  doc.params.reserve(in_oDoc.paramCount);
  for (uint32_t k = 0; k < in_oDoc.paramCount; ++k) {
    const auto& [name, about] = in_oDocs.params[in_oDoc.firstParam + k];
    doc.params.emplace_back(in_oDocs.View(name), in_oDocs.View(about));
  }
  doc.returns = in_oDocs.View(in_oDoc.returns);
  doc.remarks = in_oDocs.View(in_oDoc.remarks);
  doc.author = in_oDocs.View(in_oDoc.author);
  doc.date = in_oDocs.View(in_oDoc.date);
  return doc;
}

// Each module's lines that conditional compilation leaves out (source pages: dimmed).
std::function<void(const clsVBFileType&, std::vector<std::pair<int32_t, int32_t>>&)>
InactiveLinesOf(const CrossReferences& refs) {
  std::unordered_map<const clsVBFileType*, const std::vector<std::pair<int32_t, int32_t>>*>
      inactive;
  for (const CrossModule& mod : refs.modules)
    if (!mod.inactiveLines.empty()) inactive.emplace(mod.item, &mod.inactiveLines);
  return [inactive = std::move(inactive)](const clsVBFileType& m,
                                          std::vector<std::pair<int32_t, int32_t>>& out) {
    if (const auto it = inactive.find(&m); it != inactive.end()) out = *it->second;
  };
}

}  // namespace

void SiteAnnotations::TakeDocs(const std::vector<ProjectModule>& in_vModules,
                               const ProjectDocs& in_oDocs) {
  std::vector<DeclaredEntry> declared;
  size_t nextWarning = 0;
  for (size_t i = 0; i < in_vModules.size(); ++i) {
    YieldPoint();
    const ProjectModule& m = in_vModules[i];
    if (m.item == nullptr) continue;
    if (const ProjectDocs::Comment* doc = in_oDocs.Of(*m.item))
      m_moduleDocs.emplace(m.item, ToSiteDoc(in_oDocs, *doc));
    if (in_oDocs.measured && i < in_oDocs.modules.size()) {
      const ProjectDocs::Module& counted = in_oDocs.modules[i];
      m_coverage.emplace(m.item, std::pair{counted.documented, counted.total});
    }
    // The warnings of the procedures, properties, events and Declares, in file order.
    const size_t warningsBefore = m_docWarnings.size();
    for (; nextWarning < in_oDocs.warnings.size() &&
           in_oDocs.warnings[nextWarning].module == static_cast<int32_t>(i);
         ++nextWarning) {
      const ProjectDocs::Warning& w = in_oDocs.warnings[nextWarning];
      if (w.checked) m_docWarnings.push_back({{m.item, w.line, w.column}, w.message});
    }
    std::stable_sort(m_docWarnings.begin() + static_cast<std::ptrdiff_t>(warningsBefore),
                     m_docWarnings.end(), [](const SiteDocWarning& a, const SiteDocWarning& b) {
                       return a.place.line != b.place.line ? a.place.line < b.place.line
                                                           : a.place.column < b.place.column;
                     });
    // The declarations' comments (the site shows no member's).
    if (m.entry == nullptr) continue;
    ListDeclarations(*m.entry, declared);
    for (const DeclaredEntry& d : declared)
      if (const ProjectDocs::Comment* doc = in_oDocs.Of(*d.entry))
        m_docs.emplace(d.entry, ToSiteDoc(in_oDocs, *doc));
  }
  TakeSharedDocs(in_vModules);
}

void SiteAnnotations::TakeSharedDocs(const std::vector<ProjectModule>& in_vModules) {
  // A text three or more modules open with alike is boilerplate (a licence, a banner), not what
  // any one of them is about.
  constexpr int kShared = 3;
  const auto textOf = [](const SiteDoc& doc) {
    std::string text(doc.summary);
    text += '\n';
    text += doc.description;
    return text;
  };
  std::unordered_map<std::string, int> count;
  for (const ProjectModule& m : in_vModules)
    if (const auto it = m_moduleDocs.find(m.item); it != m_moduleDocs.end())
      ++count[textOf(it->second)];
  std::unordered_map<std::string, size_t> taken;
  for (const ProjectModule& m : in_vModules) {
    const auto it = m_moduleDocs.find(m.item);
    if (it == m_moduleDocs.end()) continue;
    std::string text = textOf(it->second);
    const int n = count[text];
    if (n < kShared) continue;
    if (taken.emplace(std::move(text), m_sharedDocs.size()).second)
      m_sharedDocs.emplace_back(it->second, n);
    m_moduleDocs.erase(it);
  }
}

SiteAnnotations::SiteAnnotations(const ProjectAnalysis& in_oInfo, const CrossReferences* in_pRefs,
                                 const ProjectDocs* in_pDocs)
    : m_refs(in_pRefs && in_pRefs->computed ? in_pRefs : nullptr) {
  if (in_pDocs && in_pDocs->read) TakeDocs(ListProjectModules(in_oInfo), *in_pDocs);
  if (m_refs == nullptr) return;
  const CrossReferences& refs = *m_refs;
  // Callers: the inverse of each procedure's calls, in the callers' order.
  // Counted first, then filled: two flat tables rather than a list per declaration.
  m_callerStart.assign(refs.decls.size() + 1, 0);
  for (size_t p = 0; p + 1 < refs.callStart.size(); ++p) {
    for (int32_t k = refs.callStart[p]; k < refs.callStart[p + 1]; ++k) {
      const auto callee = static_cast<size_t>(refs.callList[static_cast<size_t>(k)]);
      if (callee < refs.decls.size()) ++m_callerStart[callee + 1];
    }
  }
  for (size_t d = 0; d < refs.decls.size(); ++d) m_callerStart[d + 1] += m_callerStart[d];
  m_callerList.resize(static_cast<size_t>(m_callerStart.back()));
  std::vector<int32_t> filled(m_callerStart.begin(), m_callerStart.end() - 1);
  for (size_t p = 0; p + 1 < refs.callStart.size(); ++p) {
    for (int32_t k = refs.callStart[p]; k < refs.callStart[p + 1]; ++k) {
      const auto callee = static_cast<size_t>(refs.callList[static_cast<size_t>(k)]);
      if (callee < refs.decls.size())
        m_callerList[static_cast<size_t>(filled[callee]++)] = static_cast<int32_t>(p);
    }
  }

  // Each module's uses: the list holds them in the modules' order, so each module's are found by
  // halving.
  const UseList& uses = refs.uses;
  const auto firstOf = [&uses](int32_t module) {
    size_t lo = 0, hi = uses.size();
    while (lo < hi) {
      const size_t mid = lo + (hi - lo) / 2;
      if (uses[mid].module < module)
        lo = mid + 1;
      else
        hi = mid;
    }
    return lo;
  };
  for (size_t i = 0; i < refs.modules.size(); ++i) {
    if (refs.modules[i].item == nullptr) continue;
    const auto module = static_cast<int32_t>(i);
    m_usesIn.emplace(refs.modules[i].item, std::pair{firstOf(module), firstOf(module + 1)});
  }
  // Dependencies: one look at every use; a module is listed once per user module.
  std::vector<std::vector<char>> seen(refs.modules.size());
  for (const CrossUse& u : refs.uses) {
    const auto from = static_cast<size_t>(u.module);
    const auto to = static_cast<size_t>(refs.decls[static_cast<size_t>(u.decl)].module);
    if (from == to || from >= refs.modules.size() || to >= refs.modules.size()) continue;
    std::vector<char>& mark = seen[from];
    if (mark.empty()) mark.assign(refs.modules.size(), 0);
    if (mark[to]) continue;
    mark[to] = 1;
    const clsVBFileType* user = refs.modules[from].item;
    const clsVBFileType* used = refs.modules[to].item;
    if (user != nullptr && used != nullptr) m_dependencies[user].push_back(used);
  }
}

// What a class implements and the classes implementing it, from the Implements statements.
static auto InterfacesOf(const CrossReferences* refs) {
  return [refs](const clsVBFileType& m, std::vector<SiteInterface>& implements,
                std::vector<SiteInterface>& implementedBy) {
    const auto moduleOf = [refs](int32_t decl) {
      const CrossDeclaration& d = refs->decls[static_cast<size_t>(decl)];
      return SiteInterface{refs->modules[static_cast<size_t>(d.module)].item, d.name};
    };
    for (const Implementation& i : refs->implementations) {
      const CrossModule& from = refs->modules[static_cast<size_t>(i.module)];
      if (from.item == &m)
        implements.push_back(i.iface >= 0 ? moduleOf(i.iface) : SiteInterface{nullptr, i.name});
      if (i.iface >= 0 &&
          refs->modules[static_cast<size_t>(refs->decls[static_cast<size_t>(i.iface)].module)]
                  .item == &m)
        implementedBy.push_back(moduleOf(from.decl));
    }
  };
}

// Every Implements statement: the implementing class and the interface it names.
static auto ImplementationsOf(const CrossReferences* refs) {
  return [refs](std::vector<std::pair<const clsVBFileType*, SiteInterface>>& out) {
    for (const Implementation& i : refs->implementations) {
      const clsVBFileType* from = refs->modules[static_cast<size_t>(i.module)].item;
      if (i.iface < 0) {
        out.push_back({from, SiteInterface{nullptr, i.name}});
        continue;
      }
      const CrossDeclaration& d = refs->decls[static_cast<size_t>(i.iface)];
      out.push_back(
          {from, SiteInterface{refs->modules[static_cast<size_t>(d.module)].item, d.name}});
    }
  };
}

// The module doc comments several modules share, read from the table (which outlives them).
static auto SharedDocsOf(const std::vector<std::pair<SiteDoc, int>>& in_vShared) {
  return [&in_vShared](std::vector<std::pair<const SiteDoc*, int>>& out) {
    for (const auto& [doc, modules] : in_vShared) out.emplace_back(&doc, modules);
  };
}

SiteExtras SiteAnnotations::Extras() const {
  SiteExtras extras;
  if (!m_docs.empty() || !m_moduleDocs.empty()) {
    extras.docOf = [this](const ClsEntryPtr& e) -> const SiteDoc* {
      const auto it = m_docs.find(&e);
      return it == m_docs.end() ? nullptr : &it->second;
    };
    extras.moduleDocOf = [this](const clsVBFileType& m) -> const SiteDoc* {
      const auto it = m_moduleDocs.find(&m);
      return it == m_moduleDocs.end() ? nullptr : &it->second;
    };
  }
  if (!m_sharedDocs.empty()) extras.sharedModuleDocs = SharedDocsOf(m_sharedDocs);
  if (!m_coverage.empty()) {
    extras.coverageOf = [this](const clsVBFileType& m, int& documented, int& total) {
      const auto it = m_coverage.find(&m);
      if (it == m_coverage.end()) return false;
      documented = it->second.first;
      total = it->second.second;
      return true;
    };
    extras.docWarnings = [this](std::vector<SiteDocWarning>& out) {
      out.insert(out.end(), m_docWarnings.begin(), m_docWarnings.end());
    };
  }
  if (m_refs == nullptr) return extras;
  const CrossReferences* refs = m_refs;
  // Unused declarations (the canonical one of twins), in the modules' order and then by place;
  // made when asked (once, by the site), so that only the site holds them.
  extras.unused = [refs](const std::function<void(const SiteUnused&)>& visit) {
    const CrossReferences& all = *refs;
    std::vector<int32_t> unused;
    for (size_t i = 0; i < all.decls.size(); ++i) {
      const CrossDeclaration& d = all.decls[i];
      if (static_cast<size_t>(d.canonical) == i &&
          static_cast<size_t>(d.module) < all.modules.size() && d.exposure != Exposure::kUsed &&
          d.exposure != Exposure::kKept)
        unused.push_back(static_cast<int32_t>(i));
    }
    std::stable_sort(unused.begin(), unused.end(), [&all](int32_t x, int32_t y) {
      const CrossDeclaration& a = all.decls[static_cast<size_t>(x)];
      const CrossDeclaration& b = all.decls[static_cast<size_t>(y)];
      if (a.module != b.module) return a.module < b.module;
      return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    // One record, refilled for each: the list is never held whole.
    SiteUnused u;
    for (const int32_t i : unused) {
      const CrossDeclaration& d = all.decls[static_cast<size_t>(i)];
      u.place = {all.modules[static_cast<size_t>(d.module)].item, d.line, d.column};
      u.entry = d.entry;
      u.name.clear();
      all.AppendQualifiedName(i, u.name);
      u.kind = DeclKindName(d.kind);
      u.exposure = ExposureName(d.exposure);
      visit(u);
    }
  };
  extras.externalNames = [refs](std::vector<std::pair<std::string_view, uint32_t>>& out) {
    for (const auto& [name, count] : refs->external) out.emplace_back(name, count);
  };
  extras.usesOf = [refs](const ClsEntryPtr& e, std::vector<SiteUse>& out) {
    const int32_t decl = refs->DeclOf(&e);
    if (decl < 0) return;
    const auto c = static_cast<size_t>(refs->decls[static_cast<size_t>(decl)].canonical);
    for (int32_t k = refs->useStart[c]; k < refs->useStart[c + 1]; ++k) {
      const CrossUse& u = refs->uses[static_cast<size_t>(refs->useIndex[static_cast<size_t>(k)])];
      out.push_back({{refs->modules[static_cast<size_t>(u.module)].item, u.line, u.column},
                     UseKindName(u.kind)});
    }
  };
  extras.namesIn = [this](const clsVBFileType& m, std::vector<SiteName>& out) {
    const auto it = m_usesIn.find(&m);
    if (it == m_usesIn.end()) return;
    const std::vector<CrossDeclaration>& decls = m_refs->decls;
    for (size_t i = it->second.first; i < it->second.second; ++i) {
      // The record alone: the module is known.
      const UseRecord& u = *m_refs->uses.Record(i);
      const auto d = static_cast<size_t>(u.decl);
      if (d >= decls.size()) continue;
      // The canonical one of twins (its uses are theirs), else the declaration itself.
      const auto c = static_cast<size_t>(decls[d].canonical);
      out.push_back({u.line, u.Column(),
                     c < decls.size() && decls[c].entry ? decls[c].entry : decls[d].entry,
                     decls[d].kind == DeclKind::kModule
                         ? m_refs->modules[static_cast<size_t>(decls[d].module)].item
                         : nullptr});
    }
  };
  const auto entries = [refs](const int32_t* first, const int32_t* last,
                              std::vector<const ClsEntryPtr*>& out) {
    for (const int32_t* d = first; d != last; ++d) {
      const ClsEntryPtr* entry = refs->decls[static_cast<size_t>(*d)].entry;
      if (entry != nullptr) out.push_back(entry);
    }
  };
  extras.calleesOf = [refs, entries](const ClsEntryPtr& e, std::vector<const ClsEntryPtr*>& out) {
    const int32_t decl = refs->DeclOf(&e);
    if (decl < 0 || static_cast<size_t>(decl) + 1 >= refs->callStart.size()) return;
    const int32_t* list = refs->callList.data();
    entries(list + refs->callStart[static_cast<size_t>(decl)],
            list + refs->callStart[static_cast<size_t>(decl) + 1], out);
  };
  extras.callersOf = [this, entries](const ClsEntryPtr& e, std::vector<const ClsEntryPtr*>& out) {
    const int32_t decl = m_refs->DeclOf(&e);
    if (decl < 0 || static_cast<size_t>(decl) + 1 >= m_callerStart.size()) return;
    const int32_t* list = m_callerList.data();
    entries(list + m_callerStart[static_cast<size_t>(decl)],
            list + m_callerStart[static_cast<size_t>(decl) + 1], out);
  };
  extras.inactiveLinesOf = InactiveLinesOf(*refs);
  extras.dependenciesOf = [this](const clsVBFileType& m, std::vector<const clsVBFileType*>& out) {
    const auto it = m_dependencies.find(&m);
    if (it != m_dependencies.end()) out.insert(out.end(), it->second.begin(), it->second.end());
  };
  extras.interfacesOf = InterfacesOf(refs);
  extras.implementations = ImplementationsOf(refs);
  return extras;
}

void SiteAnnotations::FillEmpty(SiteExtras& io_oExtras) const {
  SiteExtras mine = Extras();
  if (!io_oExtras.usesOf) io_oExtras.usesOf = std::move(mine.usesOf);
  if (!io_oExtras.namesIn) io_oExtras.namesIn = std::move(mine.namesIn);
  if (!io_oExtras.calleesOf) io_oExtras.calleesOf = std::move(mine.calleesOf);
  if (!io_oExtras.callersOf) io_oExtras.callersOf = std::move(mine.callersOf);
  if (!io_oExtras.dependenciesOf) io_oExtras.dependenciesOf = std::move(mine.dependenciesOf);
  if (!io_oExtras.docOf) io_oExtras.docOf = std::move(mine.docOf);
  if (!io_oExtras.moduleDocOf) io_oExtras.moduleDocOf = std::move(mine.moduleDocOf);
  if (!io_oExtras.coverageOf) io_oExtras.coverageOf = std::move(mine.coverageOf);
  if (!io_oExtras.docWarnings) io_oExtras.docWarnings = std::move(mine.docWarnings);
  if (!io_oExtras.sharedModuleDocs) io_oExtras.sharedModuleDocs = std::move(mine.sharedModuleDocs);
  if (!io_oExtras.unused) io_oExtras.unused = std::move(mine.unused);
  if (!io_oExtras.externalNames) io_oExtras.externalNames = std::move(mine.externalNames);
  if (!io_oExtras.interfacesOf) io_oExtras.interfacesOf = std::move(mine.interfacesOf);
  if (!io_oExtras.implementations) io_oExtras.implementations = std::move(mine.implementations);
  if (!io_oExtras.inactiveLinesOf) io_oExtras.inactiveLinesOf = std::move(mine.inactiveLinesOf);
}

}  // namespace qs
