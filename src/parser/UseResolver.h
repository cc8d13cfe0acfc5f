// The cross references of a run: every name in the code section of every source file resolved
// to the declaration it names, with Visual Basic's scoping rules (docs/JSON.md lists them).
#pragma once

#include <string_view>

namespace qs {

class clsSymTable;
class clsVBFileTypes;
struct CrossReferences;

/// Fills out_oRefs from the run's items (their headers and token streams) and symbol table:
/// one pass over each file's tokens, linear in the input. in_sProjectName recognises the
/// project's own controls and types written as "Project.Name". Throws RunStopped when the run
/// is asked to stop, and std::bad_alloc when memory runs out; nothing else.
void ResolveCrossReferences(const clsVBFileTypes& in_oItems, const clsSymTable* in_oTable,
                            std::string_view in_sProjectName, CrossReferences& out_oRefs);

}  // namespace qs
