#include "analysis/SymGlobals.h"

#include <mutex>

#include "project/clsVBHeader.h"

namespace qs {

std::shared_ptr<clsSymTable> g_oSymTable;
std::string g_sSymTableKey;
std::shared_ptr<ClsSymEntry> g_oSymEntry;
std::shared_ptr<ClsEntry> g_oEntryList;

void AnalyseAhead(clsVBHeader& io_oHeader, std::string_view in_sFallbackName) {
  static std::mutex lock;
  std::unique_lock<std::mutex> guard;
  try {
    guard = std::unique_lock<std::mutex>(lock);
  } catch (...) {
    return;  // no entry prepared: the second pass analyses the file itself
  }
  // The run's state, set aside while this file is analysed into a fresh table.
  std::shared_ptr<clsSymTable> table = std::move(g_oSymTable);
  std::string key = std::move(g_sSymTableKey);
  std::shared_ptr<ClsSymEntry> entry = std::move(g_oSymEntry);
  std::shared_ptr<ClsEntry> list = std::move(g_oEntryList);
  try {
    io_oHeader.PreparedEntry.reset();
    g_oSymTable = std::make_shared<clsSymTable>();
    g_sSymTableKey.clear();
    g_oSymEntry.reset();
    g_oEntryList.reset();
    io_oHeader.GetForwardTypeDecl(in_sFallbackName);
    // The fresh table holds this module's entry only.
    if (g_oSymTable->Count() == 1) io_oHeader.PreparedEntry = g_oSymTable->Item(1L);
  } catch (...) {
    // No entry prepared: the second pass analyses the file itself.
  }
  g_oSymTable = std::move(table);
  g_sSymTableKey = std::move(key);
  g_oSymEntry = std::move(entry);
  g_oEntryList = std::move(list);
}

}  // namespace qs
