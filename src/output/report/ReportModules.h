// The report's module sections: one summary table per module (the number of declarations of each
// kind) and one detail block per module (a section per kind of declaration it has: constants, API
// declarations, enumerations, types, subroutines, functions, events, properties, variables).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

class ClsSymEntry;
class ReportWriter;
class clsSymTable;

/// The module summaries: for every entry of the table, in table order, its heading and a table of
/// nine counts (all nine rows, zero counts included).
void WriteModuleSummaries(ReportWriter& io_oWriter, const clsSymTable& in_oSymTable);

/// One module's detail block rendered ahead of the report (while its file was read), with the
/// number of declarations the module had then. Declarations are only ever added, so the block
/// still stands for the module as long as that number has not changed.
struct ModuleDetailsAhead {
  std::shared_ptr<const ClsSymEntry> entry;  ///< held, so no other entry can take its address
  std::string lines;
  long declarations = -1;
};

/// Renders the entry's detail block as WriteModuleDetails writes it. Never throws (an empty
/// result, which is never used, when memory runs out).
ModuleDetailsAhead RenderModuleDetails(const std::shared_ptr<const ClsSymEntry>& in_oEntry);

/// The module details: for every entry of the table, in table order, its heading again and the
/// sections of the kinds it declares (a missing or empty list writes no section). A block
/// rendered ahead for an unchanged entry is written as it stands; every block of io_pAhead is
/// given back once its module is written (freeing them all at the end would keep a window
/// waiting).
void WriteModuleDetails(ReportWriter& io_oWriter, const clsSymTable& in_oSymTable,
                        std::vector<ModuleDetailsAhead>* io_pAhead = nullptr);

/// The passing-mode text of a parameter: "" (0), "ByRef" (1), "Byval" (2), "Optional Byval" (3),
/// "Optional ByRef" (4), "ParamArray" (5); "" for any other value.
std::string_view PassingModeText(int32_t in_lArgScope);
/// The kind of an API declaration: "Subroutine" (5), "Function" (6), "" otherwise.
std::string_view DeclareKindText(int32_t in_lEntryType);
/// The accessor of a property procedure: "Get" (7), "Set" (8), "Let" (9), "" otherwise.
std::string_view AccessorText(int32_t in_lEntryType);

}  // namespace qs
