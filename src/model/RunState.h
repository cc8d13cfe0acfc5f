// The state one documentation run shares between the driver, the header parsers and the code
// analysis: the symbol table being filled, the module and list receiving declarations, and the
// project name. The driver owns one and hands it to everything that reads or fills it, so two
// runs (one after the other, or at once on two threads) never see each other's state.
//
// The members keep the names the run-wide values have always had.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "model/ClsEntry.h"
#include "model/ClsSymEntry.h"
#include "model/clsSymTable.h"

namespace qs {

struct RunState {
  /// The symbol table of the current (or last) run. The second pass replaces it by a new, empty
  /// table.
  std::shared_ptr<clsSymTable> g_oSymTable;
  /// Key of the module being analysed (its VB_Name without quotes).
  std::string g_sSymTableKey;
  /// The entry of the module being analysed.
  std::shared_ptr<ClsSymEntry> g_oSymEntry;
  /// The list of g_oSymEntry that receives the next module-level declaration; null when none
  /// does. It points into g_oSymEntry, which keeps the entry alive while it is set.
  ClsEntry* g_oEntryList = nullptr;
  /// The project name from the project file's Name line ("" without one). A form's controls of
  /// the project's own library are recognised by it.
  std::string g_sProjectName;

  void SetProjectName(std::string_view in_sName) { g_sProjectName.assign(in_sName); }
  const std::string& GetProjectName() const { return g_sProjectName; }

  /// Forgets the module being analysed (key, entry and list); the table stays.
  void ClearCurrentModule() {
    g_sSymTableKey.clear();
    g_oSymEntry.reset();
    g_oEntryList = nullptr;
  }
};

}  // namespace qs
