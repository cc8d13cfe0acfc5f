#include "analysis/UseResolver.h"

#include <algorithm>
#include <unordered_set>
#include <utility>
#include <vector>

#include "analysis/ResolverState.h"
#include "model/ClsSymEntry.h"
#include "model/clsSymTable.h"
#include "model/clsVBFileType.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "text/Yield.h"

namespace qs {

namespace resolver {

int32_t Resolver::AddDecl(DeclKind kind, const ClsEntryPtr* entry, std::string_view name,
                          int32_t module, int32_t parent, int32_t pos) {
  const auto id = static_cast<int32_t>(m_out.decls.size());
  m_out.decls.push_back(NewDecl(kind, entry, name, module, parent, pos, id));
  m_tab.names.nameHash.push_back(static_cast<uint32_t>(HashNoCase1252(name)));
  m_tab.names.twinned.push_back(0);
  return id;
}

void Resolver::Run(const clsVBFileTypes& items, const clsSymTable* table) {
  m_activeX = EqualsNoCase1252(items.ProjectType, "OleDll") ||
              EqualsNoCase1252(items.ProjectType, "OleExe") ||
              EqualsNoCase1252(items.ProjectType, "Control");
  m_startup = items.StartupForm;
  // The conditional compilation constants: the project file's, then those the caller gives.
  if (!m_constants.DefineAll(items.CondComp))
    m_out.conditionWarnings.push_back(
        {-1, 0,
         "the CondComp line (" + items.CondComp +
             ") cannot be fully evaluated: the constants it could not set are Empty"});
  if (m_defines) {
    for (const auto& [name, value] : *m_defines)
      if (!m_constants.Define(name, value))
        m_out.conditionWarnings.push_back(
            {-1, 0, "the constant " + name + " = " + value + " cannot be evaluated"});
  }
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

}  // namespace resolver

void ResolveCrossReferences(const clsVBFileTypes& in_oItems, const clsSymTable* in_oTable,
                            std::string_view in_sProjectName, CrossReferences& out_oRefs,
                            const std::vector<ExposedClass>* in_pOtherClasses, bool in_bForExport,
                            const std::vector<std::pair<std::string, std::string>>* in_pDefines) {
  out_oRefs = CrossReferences{};
  resolver::Resolver resolver(in_sProjectName, out_oRefs);
  resolver.SetForeignClasses(in_pOtherClasses);
  resolver.SetForExport(in_bForExport);
  resolver.SetDefines(in_pDefines);
  resolver.Run(in_oItems, in_oTable);
}

}  // namespace qs
