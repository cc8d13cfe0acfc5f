// The kinds typed once: each declaration kind's and module kind's word, as every output writes
// it, and what the kinds' tests say of them.
#include <gtest/gtest.h>

#include <string>

#include "model/Kinds.h"
#include "model/clsVBFileType.h"

namespace qs {
namespace {

TEST(Kinds, EachDeclarationKindHasItsWord) {
  const struct {
    DeclKind kind;
    const char* word;
    bool procedure, property;
  } kCases[] = {
      {DeclKind::kModule, "module", false, false},
      {DeclKind::kVariable, "variable", false, false},
      {DeclKind::kConstant, "constant", false, false},
      {DeclKind::kSub, "sub", true, false},
      {DeclKind::kFunction, "function", true, false},
      {DeclKind::kPropertyGet, "propertyGet", true, true},
      {DeclKind::kPropertyLet, "propertyLet", true, true},
      {DeclKind::kPropertySet, "propertySet", true, true},
      {DeclKind::kEvent, "event", false, false},
      {DeclKind::kDeclare, "declare", false, false},
      {DeclKind::kEnum, "enum", false, false},
      {DeclKind::kEnumMember, "enum-member", false, false},
      {DeclKind::kType, "type", false, false},
      {DeclKind::kTypeMember, "type-member", false, false},
      {DeclKind::kParameter, "parameter", false, false},
      {DeclKind::kLabel, "label", false, false},
      {DeclKind::kControl, "control", false, false},
      {DeclKind::kImplicit, "implicit", false, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.word);
    EXPECT_EQ(std::string(DeclKindName(c.kind)), c.word);
    EXPECT_EQ(IsProcedureKind(c.kind), c.procedure);
    EXPECT_EQ(IsPropertyKind(c.kind), c.property);
  }
  // A value outside the enumeration (a damaged record) still has a word.
  EXPECT_EQ(std::string(DeclKindName(static_cast<DeclKind>(200))), "variable");
}

TEST(Kinds, EachSourceItemIsAModuleKindWithItsWord) {
  const struct {
    int32_t itemType;
    ModuleKind kind;
    const char* word;
  } kCases[] = {
      {kItemForm, ModuleKind::kForm, "form"},
      {kItemModule, ModuleKind::kModule, "module"},
      {kItemClass, ModuleKind::kClass, "class"},
      {kItemUserControl, ModuleKind::kUserControl, "userControl"},
      {kItemPropertyPage, ModuleKind::kPropertyPage, "propertyPage"},
      {kItemUserDocument, ModuleKind::kUserDocument, "userDocument"},
      {kItemDesigner, ModuleKind::kDesigner, "designer"},
      // Any other item is named as a designer is.
      {kItemReference, ModuleKind::kDesigner, "designer"},
      {-1, ModuleKind::kDesigner, "designer"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.itemType);
    EXPECT_EQ(ModuleKindOf(c.itemType), c.kind);
    EXPECT_EQ(std::string(ModuleKindName(c.kind)), c.word);
  }
}

}  // namespace
}  // namespace qs
