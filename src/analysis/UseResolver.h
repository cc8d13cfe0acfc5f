// The cross references of a run: every name in the code section of every source file resolved
// to the declaration it names, with Visual Basic's scoping rules (docs/JSON.md lists them).
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qs {

class clsSymTable;
class clsVBFileTypes;
struct CrossReferences;
struct ExposedClass;

/// Fills out_oRefs from the run's items (their headers and token streams) and symbol table:
/// one pass over each file's tokens, linear in the input. in_sProjectName recognises the
/// project's own controls and types written as "Project.Name". Throws RunStopped when the run
/// is asked to stop, and std::bad_alloc when memory runs out; nothing else.
/// in_pOtherClasses, when given, are classes other projects expose: a type name the project does
/// not declare falls back to them ("As Lib.clsThing", "As clsThing", "New Lib.clsThing"), and
/// members of variables of their types resolve to their members; such uses go to
/// CrossReferences::foreignUses.
/// in_bForExport false leaves out what only the export and the site read: the analysis records
/// in CrossReferences::declOf (the controls' are there), callStart/callList and useIndex stay
/// empty.
/// Conditional compilation is read as the compiler reads it: the project file's CondComp
/// constants, then in_pDefines (name, expression) over them, and each module's #Const lines;
/// the lines of branches left out hold no uses and their declarations are inactive
/// (CrossDeclaration::active, CrossModule::inactiveLines). What cannot be evaluated is read as
/// live and noted in CrossReferences::conditionWarnings.
void ResolveCrossReferences(
    const clsVBFileTypes& in_oItems, const clsSymTable* in_oTable, std::string_view in_sProjectName,
    CrossReferences& out_oRefs, const std::vector<ExposedClass>* in_pOtherClasses = nullptr,
    bool in_bForExport = true,
    const std::vector<std::pair<std::string, std::string>>* in_pDefines = nullptr);

}  // namespace qs
