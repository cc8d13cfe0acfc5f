// The run-wide state shared by the driver, the header records and the code parser while the
// symbol table is filled.
//
// A thread that reads source files ahead of the run analyses each file into a table of its own
// (AnalyseAhead): it sets the run's state aside, under a lock, for the length of one file. The
// run's own thread does not touch this state while files are read ahead.
#pragma once

#include <memory>
#include <string>
#include <string_view>

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

/// Analyses the code section of one file, as the second pass would, into a table of its own and
/// leaves the module's entry on the header (clsVBHeader::PreparedEntry). One file at a time
/// across all threads (a lock); the globals are put back afterwards, so the run's thread may call
/// it too. Never throws.
class clsVBHeader;
void AnalyseAhead(clsVBHeader& io_oHeader, std::string_view in_sFallbackName);

}  // namespace qs
