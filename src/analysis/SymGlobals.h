// The run-wide state shared by the driver, the header records and the code parser while the
// symbol table is filled.
#pragma once

#include <memory>
#include <string>

#include "analysis/ClsEntry.h"
#include "analysis/ClsSymEntry.h"
#include "analysis/clsSymTable.h"

namespace qs {

/// The symbol table of the current (or last) run. The second pass replaces it by a new, empty
/// table; the driver creates one when it is created and releases it when it is destroyed.
extern std::shared_ptr<clsSymTable> g_oSymTable;
/// Key of the module being analysed (its VB_Name without quotes).
extern std::string g_sSymTableKey;
/// The entry of the module being analysed; fetched by key before each declaration.
extern std::shared_ptr<ClsSymEntry> g_oSymEntry;
/// The list of g_oSymEntry that receives the next module-level declaration.
extern std::shared_ptr<ClsEntry> g_oEntryList;

}  // namespace qs
