// The report's module sections: one summary table per module (the number of declarations of each
// kind) and one detail block per module (a section per kind of declaration it has: constants, API
// declarations, enumerations, types, subroutines, functions, events, properties, variables).
#pragma once

#include <cstdint>
#include <string_view>

namespace qs {

class ReportWriter;
class clsSymTable;

/// The module summaries: for every entry of the table, in table order, its heading and a table of
/// nine counts (all nine rows, zero counts included).
void WriteModuleSummaries(ReportWriter& io_oWriter, const clsSymTable& in_oSymTable);

/// The module details: for every entry of the table, in table order, its heading again and the
/// sections of the kinds it declares (a missing or empty list writes no section).
void WriteModuleDetails(ReportWriter& io_oWriter, const clsSymTable& in_oSymTable);

/// The passing-mode text of a parameter: "" (0), "ByRef" (1), "Byval" (2), "Optional Byval" (3),
/// "Optional ByRef" (4), "ParamArray" (5); "" for any other value.
std::string_view PassingModeText(int32_t in_lArgScope);
/// The kind of an API declaration: "Subroutine" (5), "Function" (6), "" otherwise.
std::string_view DeclareKindText(int32_t in_lEntryType);
/// The accessor of a property procedure: "Get" (7), "Set" (8), "Let" (9), "" otherwise.
std::string_view AccessorText(int32_t in_lEntryType);

}  // namespace qs
