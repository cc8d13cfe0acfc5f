#include "analysis/DocCoverage.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "analysis/ModuleDocs.h"
#include "analysis/ProjectAnalysis.h"
#include "analysis/SourcePlaces.h"
#include "io/CodePage.h"
#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"
#include "model/ClsSymEntry.h"
#include "model/clsSymTable.h"
#include "model/clsVBFileType.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "text/Cp1252.h"
#include "text/Yield.h"

namespace qs {

namespace {

bool IsPublic(const clsTokenStream* ts, int32_t pos) {
  if (!ts) return true;
  const std::string_view scope = SourceText::WrittenScope(*ts, pos);
  return scope.empty() || scope == "Public";
}

}  // namespace

DocCoverage MeasureDocCoverage(const ProjectAnalysis& in_oInfo, CodePageText& in_oCodePage) {
  DocCoverage result;
  const clsSymTable* table = in_oInfo.State().g_oSymTable.get();
  const auto& items = in_oInfo.FileTypes();
  if (!items || !table) return result;
  // Modules in the order the project file lists them; a table entry belongs to the first module
  // bearing its name, as in the export.
  std::vector<const clsVBFileType*> order;
  for (const auto& item : *items)
    if (item && IsSourceItemType(item->EType)) order.push_back(item.get());
  std::stable_sort(order.begin(), order.end(), [](const clsVBFileType* a, const clsVBFileType* b) {
    return (a->vPtr ? a->vPtr->first : 0) < (b->vPtr ? b->vPtr->first : 0);
  });
  std::unordered_set<const ClsSymEntry*> claimed;
  ModuleDocs docs;
  DocComment doc;
  LineIndex lines;
  std::vector<DocWarning> checked;
  std::unordered_map<std::string, bool> properties;  // lower-case name: documented
  for (const clsVBFileType* item : order) {
    YieldPoint();
    const clsVBHeader* header = item->VBHeader().get();
    const ClsSymEntry* entry = nullptr;
    if (header) {
      entry = table->Item(std::string_view(header->sVBTableName)).get();
      if (entry && !claimed.insert(entry).second) entry = nullptr;
    }
    DocCoverage::Module& module = result.modules.emplace_back();
    in_oCodePage.Append(module.name, header && !header->sVBTableName.empty()
                                         ? std::string_view(header->sVBTableName)
                                         : std::string_view(item->InternalName));
    if (!entry) continue;
    const clsTokenStream* ts = header->TokenStream.get();
    docs.Reset(header);
    lines.Reset(ts, header->LineEndsKept ? &header->LineEnds : nullptr);
    std::string file = item->sDiskPath;
    if (file.empty()) {
      std::string written = item->sFileValue;
      std::replace(written.begin(), written.end(), '\\', '/');
      in_oCodePage.Append(file, written);
    }
    properties.clear();
    const size_t warningsBefore = result.warnings.size();
    const std::pair<const ClsEntry*, const char*> lists[] = {
        {&entry->ESub, "sub"},     {&entry->EFunction, "function"}, {&entry->EProperty, "property"},
        {&entry->EEvent, "event"}, {&entry->EDeclare, "declare"},
    };
    for (const auto& [list, kind] : lists) {
      for (const auto& e : *list) {
        if (!e) continue;
        YieldPoint();
        const bool described = docs.Describe(*e, kind, doc);
        checked.clear();
        if (described) ModuleDocs::Check(*e, doc, checked);
        for (const DocWarning& w : checked) {
          const LineIndex::Place place = lines.PlaceOf(w.pos);
          DocCoverage::Warning& warning = result.warnings.emplace_back();
          warning.file = file;
          warning.line = place.line;
          warning.column = place.column;
          in_oCodePage.Append(warning.message, w.message);
        }
        if (!IsPublic(ts, e->lEntryptr)) continue;
        if (std::string_view(kind) == "property") {
          bool& documented = properties[Lower1252(e->EntryName)];
          documented = documented || described;
          continue;
        }
        ++module.total;
        if (described) ++module.documented;
      }
    }
    // The module's warnings in file order.
    std::stable_sort(result.warnings.begin() + static_cast<std::ptrdiff_t>(warningsBefore),
                     result.warnings.end(), [](const auto& a, const auto& b) {
                       return a.line != b.line ? a.line < b.line : a.column < b.column;
                     });
    for (const auto& [name, documented] : properties) {
      ++module.total;
      if (documented) ++module.documented;
    }
    result.documented += module.documented;
    result.total += module.total;
  }
  return result;
}

}  // namespace qs
