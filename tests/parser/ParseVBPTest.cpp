#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ProjectTestUtil.h"
#include "model/clsVBFileTypes.h"
#include "text/TokenCodes.h"

namespace qs {
namespace {

using testing::FileKind;
using testing::ParseProject;
using testing::PositionOf;
using testing::PositionOfCode;
using testing::Tokenize;

std::vector<std::shared_ptr<clsVBFileType>> ItemsOf(const clsVBFileTypes& c) {
  return std::vector<std::shared_ptr<clsVBFileType>>(c.begin(), c.end());
}

// The one item of a project text that must yield exactly one.
std::shared_ptr<clsVBFileType> OnlyItem(std::string_view text) {
  auto items = ParseProject(text);
  if (!items || items->Count() != 1) {
    ADD_FAILURE() << "expected one item from: " << text;
    return std::make_shared<clsVBFileType>();
  }
  return items->Item(1);
}

TEST(ParseVBP, FormLineSplitsItsPath) {
  const std::string text = "Form=Forms\\frmMain.frm\r\n";
  auto item = OnlyItem(text);
  EXPECT_EQ(item->EType, kItemForm);
  EXPECT_EQ(item->ID, "Forms\\frmMain.frm");
  EXPECT_EQ(item->Path, "Forms\\");
  EXPECT_EQ(item->Body, "frmMain");
  EXPECT_EQ(item->Ext, "frm");
  EXPECT_EQ(item->InternalName, "frmMain");
  EXPECT_EQ(item->NewName, "frmMain");
  EXPECT_EQ(item->ExtName, "frmMain.frm");
  EXPECT_EQ(item->sFileValue, "Forms\\frmMain.frm");
  auto ts = Tokenize(text, FileKind::Project);
  ASSERT_TRUE(item->vPtr.has_value());
  EXPECT_EQ(item->vPtr->first, PositionOf(*ts, "Forms"));
  EXPECT_EQ(item->vPtr->second, PositionOfCode(*ts, TokEndOfLine));
}

TEST(ParseVBP, OnlyFormValuesAreTrimmed) {
  auto form = OnlyItem("Form=  frmA.frm \r\n");
  EXPECT_EQ(form->ID, "frmA.frm");
  EXPECT_EQ(form->Body, "frmA");

  auto ctl = OnlyItem("UserControl=  ctlA.ctl \r\n");
  EXPECT_EQ(ctl->EType, kItemUserControl);
  EXPECT_EQ(ctl->ID, "  ctlA.ctl ");
  EXPECT_EQ(ctl->Path, "");
  EXPECT_EQ(ctl->Body, "  ctlA");
  EXPECT_EQ(ctl->Ext, "ctl ");

  auto doc = OnlyItem("UserDocument=  Docs\\docA.dob\r\n");
  EXPECT_EQ(doc->Path, "  Docs\\") << "blanks before a \\ go to the folder";
  EXPECT_EQ(doc->Body, "docA");
}

TEST(ParseVBP, PropertyPageNameIsPrefixed) {
  auto item = OnlyItem("PropertyPage=ppgMain.pag\r\n");
  EXPECT_EQ(item->EType, kItemPropertyPage);
  EXPECT_EQ(item->InternalName, "__ppgMain");
  EXPECT_EQ(item->NewName, "ppgMain");
  EXPECT_EQ(item->ExtName, "ppgMain.pag");
}

TEST(ParseVBP, DesignerAndRelatedDocumentTakeThePathToTheLineEnd) {
  auto items = ParseProject("Designer=dsr\\DataEnv.Dsr\r\nRelatedDoc=..\\docs\\read me.txt\r\n");
  ASSERT_EQ(items->Count(), 2);
  EXPECT_EQ(items->Item(1)->EType, kItemDesigner);
  EXPECT_EQ(items->Item(1)->ExtName, "DataEnv.Dsr");
  EXPECT_EQ(items->DesignerCount, 1);
  EXPECT_EQ(items->Item(2)->EType, kItemRelatedDoc);
  EXPECT_EQ(items->Item(2)->Path, "..\\docs\\");
  EXPECT_EQ(items->Item(2)->Body, "read me");
}

TEST(ParseVBP, ClassLineSplitsNameAndPath) {
  auto item = OnlyItem("Class=clsItem; clsItem.cls\r\n");
  EXPECT_EQ(item->EType, kItemClass);
  EXPECT_EQ(item->InternalName, "clsItem");
  EXPECT_EQ(item->ID, "clsItem.cls");
  EXPECT_EQ(item->NewClsModName, "clsItem");
  EXPECT_EQ(item->ExtName, "clsItem.cls");

  // Blanks inside the name part are dropped.
  EXPECT_EQ(OnlyItem("Class=cls Item; Classes\\clsItem.cls\r\n")->InternalName, "clsItem");

  auto mod = OnlyItem("Module=modMain; Modules\\modMain.bas\r\n");
  EXPECT_EQ(mod->EType, kItemModule);
  EXPECT_EQ(mod->Path, "Modules\\");
  EXPECT_EQ(mod->InternalName, "modMain");
  EXPECT_EQ(mod->sFileValue, "Modules\\modMain.bas");
}

TEST(ParseVBP, ClassOrModuleLineWithoutSemicolonNamesTheFileBody) {
  auto items = ParseProject(
      "Module=Modules\\modUtil.bas\r\n"
      "Module=modB; modB.bas\r\n");
  ASSERT_EQ(items->Count(), 2) << "the name part must not run on into the next line";
  auto first = items->Item(1);
  EXPECT_EQ(first->ID, "Modules\\modUtil.bas");
  EXPECT_EQ(first->InternalName, "modUtil");
  EXPECT_EQ(first->Path, "Modules\\");
  EXPECT_EQ(first->sFileValue, "Modules\\modUtil.bas");
  EXPECT_EQ(items->Item(2)->InternalName, "modB");
  EXPECT_EQ(items->ModuleCount, 2);

  auto cls = OnlyItem("Class= clsX.cls");
  EXPECT_EQ(cls->ID, "clsX.cls");
  EXPECT_EQ(cls->InternalName, "clsX");
}

TEST(ParseVBP, NameTakesTheFirstQuotedLine) {
  auto item = OnlyItem("Name=\"Project1\"\r\nName=\"Other\"\r\n");
  EXPECT_EQ(item->EType, kItemName);
  EXPECT_EQ(item->ID, "\"Project1\"");
  EXPECT_EQ(item->ExtName, "\"Project1\"");
  EXPECT_EQ(item->InternalName, "Project1");
  EXPECT_EQ(item->NewName, "Project1");

  // An unquoted Name line yields nothing, so a later quoted one is taken.
  auto later = OnlyItem("Name=Project1\r\nName=\"Second\"\r\n");
  EXPECT_EQ(later->InternalName, "Second");
  EXPECT_EQ(ParseProject("Name=Project1\r\n")->Count(), 0);
}

TEST(ParseVBP, StartupAndIconFormValues) {
  auto subMain = OnlyItem("Startup=\"Sub Main\"\r\n");
  EXPECT_EQ(subMain->EType, kItemStartup);
  EXPECT_EQ(subMain->InternalName, "Sub Main");
  EXPECT_EQ(subMain->NewName, "Sub Main");
  EXPECT_EQ(subMain->ExtName, "\"Sub Main\"");

  auto none = OnlyItem("Startup=\"(None)\"\r\n");
  EXPECT_EQ(none->NewName, "(None)");

  auto form = OnlyItem("Startup=\"frmMain\"\r\n");
  EXPECT_EQ(form->InternalName, "frmMain");
  EXPECT_EQ(form->NewName, "");
  EXPECT_EQ(form->ExtName, "\"\"");

  // The comparison with Sub Main is exact.
  EXPECT_EQ(OnlyItem("Startup=\"sub main\"\r\n")->NewName, "");

  auto icon = OnlyItem("IconForm=\"frmAbout\"\r\n");
  EXPECT_EQ(icon->EType, kItemIconForm);
  EXPECT_EQ(icon->ID, "\"frmAbout\"");
  EXPECT_EQ(icon->InternalName, "frmAbout");
  EXPECT_EQ(icon->NewName, "");
  EXPECT_EQ(icon->ExtName, "\"\"");
}

TEST(ParseVBP, ResourceFileIsSplitFromItsUnquotedValue) {
  const std::string text = "ResFile32=\"res\\App.RES\"\r\n";
  auto item = OnlyItem(text);
  EXPECT_EQ(item->EType, kItemResFile32);
  EXPECT_EQ(item->ID, "\"res\\App.RES\"");
  EXPECT_EQ(item->Path, "res\\");
  EXPECT_EQ(item->Body, "App");
  EXPECT_EQ(item->Ext, "RES");
  EXPECT_EQ(item->InternalName, "App");
  EXPECT_EQ(item->NewName, "");
  EXPECT_EQ(item->ExtName, "\"App.RES\"");
  EXPECT_EQ(item->sFileValue, "res\\App.RES");
  auto ts = Tokenize(text, FileKind::Project);
  const int32_t pos = PositionOfCode(*ts, TokString);
  EXPECT_EQ(item->vPtr, std::make_optional(std::make_pair(pos, pos)));
}

TEST(ParseVBP, ReferenceFields) {
  auto item = OnlyItem(
      "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#"
      "..\\..\\WINDOWS\\system32\\stdole2.tlb#OLE Automation\r\n");
  EXPECT_EQ(item->EType, kItemReference);
  EXPECT_EQ(item->GuidRef, "{00020430-0000-0000-C000-000000000046}");
  EXPECT_EQ(item->MajorVer, "2.0");
  EXPECT_EQ(item->MinorVer, "0");
  EXPECT_EQ(item->ID, "OLE Automation");
  EXPECT_FALSE(item->vPtr.has_value());

  auto bare = OnlyItem("Reference=*\\G{00025E01-0000-0000-C000-000000000046}\r\n");
  EXPECT_EQ(bare->GuidRef, "{00025E01-0000-0000-C000-000000000046}");
  EXPECT_EQ(bare->MajorVer, "");
  EXPECT_EQ(bare->MinorVer, "");
  EXPECT_EQ(bare->ID, "");
}

TEST(ParseVBP, ReferencesToOtherProjectsYieldNothing) {
  auto items = ParseProject(
      "Reference=*\\Aother\\Other.vbp\r\n"
      "Reference=\\G{00020430-0000-0000-C000-000000000046}#2.0#0#x#Y\r\n");
  EXPECT_EQ(items->Count(), 0);
  EXPECT_EQ(items->ReferenceCount, 0);
}

TEST(ParseVBP, ObjectFieldsKeepTheBlankBeforeTheFile) {
  auto item = OnlyItem("Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; MSCOMCTL.OCX\r\n");
  EXPECT_EQ(item->EType, kItemObject);
  EXPECT_EQ(item->GuidRef, "{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}");
  EXPECT_EQ(item->MajorVer, "2.0");
  EXPECT_EQ(item->MinorVer, "0");
  EXPECT_EQ(item->ID, " MSCOMCTL.OCX");
  EXPECT_FALSE(item->vPtr.has_value());

  EXPECT_EQ(ParseProject("Object=*\\G{831FDD16}#2.0#0; X.OCX\r\n")->Count(), 0);
}

TEST(ParseVBP, LastLineWithoutLineBreakStillYieldsItsItem) {
  EXPECT_EQ(OnlyItem("Type=Exe\r\nForm=frmLast.frm")->Body, "frmLast");
  EXPECT_EQ(OnlyItem("Class=clsLast; clsLast.cls")->InternalName, "clsLast");
  EXPECT_EQ(OnlyItem("Module=modLast; modLast.bas ")->ID, "modLast.bas");
  EXPECT_EQ(OnlyItem("Name=\"Last\"")->InternalName, "Last");
  EXPECT_EQ(OnlyItem("RelatedDoc=notes.txt")->Body, "notes");
  EXPECT_EQ(OnlyItem("Reference=*\\G{AB}#1.0#0#x.tlb#Last Ref")->ID, "Last Ref");
  EXPECT_EQ(OnlyItem("Object={CD}#1.0#0; last.ocx")->ID, " last.ocx");

  const std::string text = "Form=frmLast.frm";
  auto item = OnlyItem(text);
  auto ts = Tokenize(text, FileKind::Project);
  ASSERT_TRUE(item->vPtr.has_value());
  EXPECT_EQ(item->vPtr->first, PositionOf(*ts, "frmLast"));
  EXPECT_EQ(item->vPtr->second, ts->Count()) << "the value ends where the stream ends";
}

TEST(ParseVBP, UnreadKeysAndUnknownLinesYieldNothing) {
  auto items = ParseProject(
      "Type=Exe\r\nTitle=\"My App\"\r\nHelpFile=\"\"\r\nCommand32=\"\"\r\n"
      "[MS Transaction Server]\r\nAutoRefresh=1\r\nMajorVer=1\r\n");
  EXPECT_EQ(items->Count(), 0);
}

TEST(ParseVBP, AKeyCountsOnlyWhenEqualsFollowsDirectly) {
  auto items = ParseProject(
      "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#x.tlb#Object Library\r\n"
      "RelatedDoc=docs\\Form.txt\r\n"
      "Form =frmSpaced.frm\r\n");
  ASSERT_EQ(items->Count(), 2);
  EXPECT_EQ(items->FormCount, 0);
  EXPECT_EQ(items->ObjectCount, 0);
  EXPECT_EQ(items->Item(1)->EType, kItemRelatedDoc);
  EXPECT_EQ(items->Item(2)->EType, kItemReference);
}

TEST(ParseVBP, ItemsComeInKeyOrderWhateverTheLineOrder) {
  auto items = ParseProject(
      "Object={AA}#1.0#0; a.ocx\r\n"
      "Reference=*\\G{BB}#1.0#0#b.tlb#B\r\n"
      "RelatedDoc=r.txt\r\n"
      "IconForm=\"frmB\"\r\n"
      "Startup=\"frmA\"\r\n"
      "ResFile32=\"app.res\"\r\n"
      "Module=modA; modA.bas\r\n"
      "Class=clsA; clsA.cls\r\n"
      "Designer=dsA.dsr\r\n"
      "UserDocument=udA.dob\r\n"
      "PropertyPage=ppA.pag\r\n"
      "UserControl=ucA.ctl\r\n"
      "Form=frmB.frm\r\n"
      "Form=frmA.frm\r\n"
      "Name=\"Proj\"\r\n");
  std::vector<int32_t> kinds;
  for (const auto& item : ItemsOf(*items)) kinds.push_back(item->EType);
  EXPECT_EQ(kinds, (std::vector<int32_t>{15, 2, 2, 5, 7, 11, 9, 8, 4, 10, 13, 14, 12, 3, 6}));
  // Within one key the items keep the order of their lines.
  EXPECT_EQ(items->Item("1")->Body, "frmB");
  EXPECT_EQ(items->Item("2")->Body, "frmA");
  EXPECT_EQ(items->FormCount, 2);
  EXPECT_EQ(items->UserControlCount, 1);
  EXPECT_EQ(items->PropertyPageCount, 1);
  EXPECT_EQ(items->UserDocumentCount, 1);
  EXPECT_EQ(items->DesignerCount, 1);
  EXPECT_EQ(items->ClassCount, 1);
  EXPECT_EQ(items->ModuleCount, 1);
  EXPECT_EQ(items->ReferenceCount, 1);
  EXPECT_EQ(items->ObjectCount, 1);
}

TEST(ParseVBP, FileValueKeepsEveryDotOfTheName) {
  auto item = OnlyItem("Form=frm.Main.frm\r\n");
  EXPECT_EQ(item->Body, "frm");
  EXPECT_EQ(item->Ext, "Main");
  EXPECT_EQ(item->ExtName, "frm.Main");
  EXPECT_EQ(item->sFileValue, "frm.Main.frm");

  auto dotted = OnlyItem("Form=frmX.\r\n");
  EXPECT_EQ(dotted->sFileValue, "frmX.");
  EXPECT_EQ(dotted->ExtName, "frmX.");
}

TEST(ParseVBP, EmptyProjectFileGivesEmptyCollection) {
  auto items = ParseProject("");
  ASSERT_NE(items, nullptr);
  EXPECT_EQ(items->Count(), 0);
  EXPECT_EQ(items->StartupForm, "");
}

}  // namespace
}  // namespace qs
