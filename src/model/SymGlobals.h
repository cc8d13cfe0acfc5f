// The run-wide state shared by the driver, the header records and the code parser while the
// symbol table is filled.
//
// A thread that reads source files ahead of the run analyses each file into a table of its own
// (AnalyseAhead), through a SymbolTarget that names that table instead of these globals.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "model/ClsEntry.h"
#include "model/ClsSymEntry.h"
#include "model/clsSymTable.h"

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

/// Where the code analysis records what it finds: the four values above, or a set of the same
/// four belonging to one file analysed ahead of the run.
struct SymbolTarget {
  std::shared_ptr<clsSymTable>* table;
  std::string* key;
  std::shared_ptr<ClsSymEntry>* entry;
  std::shared_ptr<ClsEntry>* list;
};
/// The run's own: the globals above.
SymbolTarget RunSymbols();

class clsVBHeader;
/// The header's code analysis (clsVBHeader::GetForwardTypeDecl) recording into the target.
void AnalyseHeaderInto(clsVBHeader& io_oHeader, const SymbolTarget& in_oTarget,
                       std::string_view in_sFallbackName);
/// Analyses the code section of one file, as the second pass would, into a table of its own and
/// leaves the module's entry on the header (clsVBHeader::PreparedEntry). Touches none of the
/// globals, so any thread may call it for a file of its own. Never throws.
void AnalyseAhead(clsVBHeader& io_oHeader, std::string_view in_sFallbackName);

}  // namespace qs
