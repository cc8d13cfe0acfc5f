#include "model/SymGlobals.h"

#include "model/clsVBHeader.h"

namespace qs {

std::shared_ptr<clsSymTable> g_oSymTable;
std::string g_sSymTableKey;
std::shared_ptr<ClsSymEntry> g_oSymEntry;
std::shared_ptr<ClsEntry> g_oEntryList;

SymbolTarget RunSymbols() {
  return SymbolTarget{&g_oSymTable, &g_sSymTableKey, &g_oSymEntry, &g_oEntryList};
}

void AnalyseAhead(clsVBHeader& io_oHeader, std::string_view in_sFallbackName) {
  try {
    io_oHeader.PreparedEntry.reset();
    std::shared_ptr<clsSymTable> table = std::make_shared<clsSymTable>();
    std::string key;
    std::shared_ptr<ClsSymEntry> entry;
    std::shared_ptr<ClsEntry> list;
    AnalyseHeaderInto(io_oHeader, SymbolTarget{&table, &key, &entry, &list}, in_sFallbackName);
    // The fresh table holds this module's entry only.
    if (table && table->Count() == 1) io_oHeader.PreparedEntry = table->Item(1L);
  } catch (...) {
    // No entry prepared: the second pass analyses the file itself.
  }
}

}  // namespace qs
