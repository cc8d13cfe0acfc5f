// The code analysis of one source file, started from its header record: the module's entry in
// the run's symbol table and the declarations of its code section.
#pragma once

#include <string_view>

namespace qs {

class clsVBHeader;
struct RunState;

/// Re-codes the file's code section onto the code keyword table (unless the loader already did),
/// enters the module in the run's symbol table under the header's VB_Name without quotes
/// (sVBTableName) and adds the declarations of its code section to that entry. A file whose
/// header has no VB_Name is entered under in_sFallbackName (the project item's internal name).
/// An entry prepared ahead (clsVBHeader::PreparedEntry) is taken over whole when the table has
/// no module of that name yet, with the warnings of its analysis. Nothing happens for a header
/// without a stream. A failure (an internal error) ends the module's analysis, keeping what was
/// recorded, with a warning in io_oRun.warnings (its file left for the caller to name). Throws only
/// std::bad_alloc (out of memory) and RunStopped.
void GetForwardTypeDecl(RunState& io_oRun, clsVBHeader& io_oHeader,
                        std::string_view in_sFallbackName = {});

/// Analyses the code section of one file, as the second pass would, into a run state of its own
/// and leaves the module's entry on the header (clsVBHeader::PreparedEntry), with the warnings of
/// its analysis (PreparedWarnings). Shares nothing with any run, so any thread may call it for a
/// file of its own. Throws only std::bad_alloc (out of memory) and RunStopped.
void AnalyseAhead(clsVBHeader& io_oHeader, std::string_view in_sFallbackName);

}  // namespace qs
