#include "model/Kinds.h"

#include <iterator>

#include "model/clsVBFileType.h"

namespace qs {

namespace {

// The words, in the order of the enumerations.
constexpr const char* kDeclKindWords[] = {
    "module",      "variable",    "constant",  "sub",     "function", "propertyGet",
    "propertyLet", "propertySet", "event",     "declare", "enum",     "enum-member",
    "type",        "type-member", "parameter", "label",   "control",  "implicit",
};
static_assert(std::size(kDeclKindWords) == static_cast<size_t>(DeclKind::kImplicit) + 1);

constexpr const char* kModuleKindWords[] = {
    "form", "module", "class", "userControl", "propertyPage", "userDocument", "designer",
};
static_assert(std::size(kModuleKindWords) == static_cast<size_t>(ModuleKind::kDesigner) + 1);

}  // namespace

const char* DeclKindName(DeclKind in_eKind) {
  const auto k = static_cast<size_t>(in_eKind);
  return k < std::size(kDeclKindWords) ? kDeclKindWords[k] : "variable";
}

bool IsProcedureKind(DeclKind in_eKind) {
  return in_eKind == DeclKind::kSub || in_eKind == DeclKind::kFunction || IsPropertyKind(in_eKind);
}

bool IsPropertyKind(DeclKind in_eKind) {
  return in_eKind == DeclKind::kPropertyGet || in_eKind == DeclKind::kPropertyLet ||
         in_eKind == DeclKind::kPropertySet;
}

ModuleKind ModuleKindOf(int32_t in_lItemType) {
  switch (in_lItemType) {
    case kItemForm:
      return ModuleKind::kForm;
    case kItemModule:
      return ModuleKind::kModule;
    case kItemClass:
      return ModuleKind::kClass;
    case kItemUserControl:
      return ModuleKind::kUserControl;
    case kItemPropertyPage:
      return ModuleKind::kPropertyPage;
    case kItemUserDocument:
      return ModuleKind::kUserDocument;
    default:
      return ModuleKind::kDesigner;
  }
}

const char* ModuleKindName(ModuleKind in_eKind) {
  const auto k = static_cast<size_t>(in_eKind);
  return k < std::size(kModuleKindWords) ? kModuleKindWords[k] : "designer";
}

}  // namespace qs
