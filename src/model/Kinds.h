// The kinds of what a project declares, typed once: a declaration's kind and a module's kind,
// each with the one table of the words the outputs write for it (the JSON export, the site, its
// search index, the answers). Everything before the outputs compares the enumerations.
#pragma once

#include <cstdint>

namespace qs {

enum class DeclKind : uint8_t {
  kModule,
  kVariable,
  kConstant,
  kSub,
  kFunction,
  kPropertyGet,
  kPropertyLet,
  kPropertySet,
  kEvent,
  kDeclare,
  kEnum,
  kEnumMember,
  kType,
  kTypeMember,
  kParameter,
  kLabel,
  kControl,
  kImplicit,
};

/// The word for a declaration's kind as the outputs write it: "module", "variable",
/// "constant", "sub", "function", "propertyGet", "propertyLet", "propertySet", "event",
/// "declare", "enum", "enum-member", "type", "type-member", "parameter", "label", "control",
/// "implicit".
const char* DeclKindName(DeclKind in_eKind);
/// True for subs, functions, property procedures (the kinds with a body and locals).
bool IsProcedureKind(DeclKind in_eKind);
/// True for a property's Get, Let and Set.
bool IsPropertyKind(DeclKind in_eKind);

/// The kind of a source module (the project file's item kinds that name one).
enum class ModuleKind : uint8_t {
  kForm,
  kModule,
  kClass,
  kUserControl,
  kPropertyPage,
  kUserDocument,
  kDesigner,
};

/// The module kind of a project item's kind (kItem...); kDesigner for any other.
ModuleKind ModuleKindOf(int32_t in_lItemType);
/// The word for a module's kind as the outputs write it: "form", "module", "class",
/// "userControl", "propertyPage", "userDocument", "designer".
const char* ModuleKindName(ModuleKind in_eKind);

}  // namespace qs
