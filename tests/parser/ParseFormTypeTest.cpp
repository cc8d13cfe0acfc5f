#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProjectTestUtil.h"
#include "model/clsVBHeader.h"
#include "text/TokenCodes.h"

namespace qs {
namespace {

using testing::ParseForm;
using testing::PositionOf;
using testing::PositionOfCode;

std::vector<clsControlRecord> Records(const clsVBHeader& h) {
  return h.Controls();
}

const char kMainForm[] =
    "VERSION 5.00\r\n"
    "Begin VB.Form frmMain \r\n"
    "   Caption         =   \"Main Window\"\r\n"
    "   ClientHeight    =   3195\r\n"
    "End\r\n"
    "Attribute VB_Name = \"frmMain\"\r\n"
    "Attribute VB_GlobalNameSpace = False\r\n"
    "Attribute VB_Creatable = False\r\n"
    "Attribute VB_PredeclaredId = True\r\n"
    "Attribute VB_Exposed = False\r\n"
    "Option Explicit\r\n"
    "Private Sub Form_Load()\r\n"
    "End Sub\r\n";

TEST(ParseFormType, FormWithOneStringProperty) {
  auto r = ParseForm(kMainForm);
  ASSERT_NE(r.header, nullptr);
  const auto recs = Records(*r.header);
  ASSERT_EQ(recs.size(), 2u) << "the numeric ClientHeight records nothing";
  EXPECT_EQ(recs[0].sType, "Form");
  EXPECT_EQ(recs[0].sName, "frmMain");
  EXPECT_EQ(recs[0].lPtr, PositionOf(*r.stream, "frmMain"));
  EXPECT_EQ(recs[0].lPtr2, recs[0].lPtr);
  EXPECT_EQ(recs[0].lClassPtr, 0);
  EXPECT_EQ(recs[0].sControlName, "frmMain");
  EXPECT_EQ(recs[1].sType, "+Caption");
  EXPECT_EQ(recs[1].sName, "Main Window");
  EXPECT_EQ(recs[1].lPtr, PositionOf(*r.stream, "\"Main Window\""));
  EXPECT_EQ(recs[1].sControlName, "frmMain");

  EXPECT_EQ(r.header->Attribute_VBName, "\"frmMain\"");
  EXPECT_EQ(r.header->AttributePtr, PositionOf(*r.stream, "\"frmMain\""));
  EXPECT_EQ(r.header->CodePtr, PositionOf(*r.stream, "Option"));
  EXPECT_EQ(r.stream->TokenCodeAt(r.header->CodePtr - 1), TokEndOfLine);
}

TEST(ParseFormType, BinaryPropertyValue) {
  auto r = ParseForm(
      "Begin VB.Form frmPic\r\n"
      "   Icon = \"frmPic.frx\":0000\r\n"
      "   Picture = \"frmPic.frx\":abc\r\n"
      "   Tag = \"x\":\r\n"
      "End\r\n");
  const auto recs = Records(*r.header);
  ASSERT_EQ(recs.size(), 3u) << "a \":\" without an offset records nothing";
  EXPECT_EQ(recs[1].sType, "_\"frmPic.frx\"");
  EXPECT_EQ(recs[1].sName, "frmPic");
  EXPECT_EQ(recs[1].lPtr, PositionOf(*r.stream, "\"frmPic.frx\""));
  EXPECT_EQ(recs[1].sControlName, "frmPic");
  EXPECT_EQ(recs[2].sType, "_\"frmPic.frx\"");
  EXPECT_EQ(recs[2].lPtr, PositionOf(*r.stream, "\"frmPic.frx\"", 1));
}

TEST(ParseFormType, PropertyLineFormsAndDoubledQuotes) {
  auto r = ParseForm(
      "Begin VB.Label lblA\r\n"
      "Caption=\"Say \"\"hi\"\"\"\r\n"
      "   Enabled   =   0   'False\r\n"
      "   ToolTipText\r\n"
      "   BeginProperty Font \r\n"
      "   EndProperty\r\n"
      "End\r\n");
  const auto recs = Records(*r.header);
  ASSERT_EQ(recs.size(), 2u);
  EXPECT_EQ(recs[1].sType, "+Caption");
  EXPECT_EQ(recs[1].sName, "Say hi") << "every double quote is removed";
}

TEST(ParseFormType, LibraryControlOfTheOwnProjectGetsTheClassPosition) {
  auto r = ParseForm(
      "Begin VB.Form frmA\r\n"
      "   Begin MyProj.ucGauge gauge1\r\n"
      "   End\r\n"
      "   Begin myproj.ucGauge gauge2\r\n"
      "   End\r\n"
      "   Begin MSComctlLib.ListView lvwItems\r\n"
      "   End\r\n"
      "End\r\n",
      "MyProj");
  const auto recs = Records(*r.header);
  ASSERT_EQ(recs.size(), 4u);
  EXPECT_EQ(recs[1].sType, "MyProj.ucGauge");
  EXPECT_EQ(recs[1].sName, "gauge1");
  EXPECT_EQ(recs[1].lClassPtr, PositionOf(*r.stream, "ucGauge"));
  EXPECT_EQ(recs[1].sControlName, "gauge1");
  EXPECT_EQ(recs[2].sType, "myproj.ucGauge");
  EXPECT_EQ(recs[2].lClassPtr, 0) << "the library comparison is case-sensitive";
  EXPECT_EQ(recs[3].sType, "MSComctlLib.ListView");
  EXPECT_EQ(recs[3].lClassPtr, 0);
}

TEST(ParseFormType, UnknownControlTypesRecordNothing) {
  auto r = ParseForm(
      "Begin VB.Form frmA\r\n"
      "   Begin VB.Gizmo gz1\r\n"
      "   End\r\n"
      "   Begin Threed.Label lbl3d\r\n"
      "   End\r\n"
      "   Begin VB .CommandButton cmdSpaced\r\n"
      "   End\r\n"
      "End\r\n");
  const auto recs = Records(*r.header);
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_EQ(recs[0].sName, "frmA");
}

TEST(ParseFormType, NestedControlNameCarriesPastItsEnd) {
  auto r = ParseForm(
      "Begin VB.Form frmA\r\n"
      "   Caption = \"A\"\r\n"
      "   Begin VB.Frame fraOuter\r\n"
      "      Caption = \"Outer\"\r\n"
      "      Begin VB.CommandButton cmdInner\r\n"
      "         Caption = \"Inner\"\r\n"
      "      End\r\n"
      "      Tag = \"after\"\r\n"
      "   End\r\n"
      "End\r\n");
  const auto recs = Records(*r.header);
  ASSERT_EQ(recs.size(), 7u);
  EXPECT_EQ(recs[1].sControlName, "frmA");
  EXPECT_EQ(recs[2].sType, "Frame");
  EXPECT_EQ(recs[3].sControlName, "fraOuter");
  EXPECT_EQ(recs[4].sType, "CommandButton");
  EXPECT_EQ(recs[5].sControlName, "cmdInner");
  EXPECT_EQ(recs[6].sType, "+Tag");
  EXPECT_EQ(recs[6].sControlName, "cmdInner") << "End does not restore the outer name";
}

TEST(ParseFormType, DesignerBeginLines) {
  auto r = ParseForm(
      "VERSION 5.00\r\n"
      "Begin VB.Form frmHost\r\n"
      "End\r\n"
      "Begin {C0E45035-5775-11D0-B388-00A0C9055D8E} DataEnvironment1 \r\n"
      "   Caption = \"Env\"\r\n"
      "End\r\n"
      "Begin {11111111-2222} \r\n"
      "End\r\n"
      "Begin {33333333\r\n"
      "End\r\n");
  const auto recs = Records(*r.header);
  ASSERT_EQ(recs.size(), 4u) << "a brace without its closing brace records nothing";
  EXPECT_EQ(recs[1].sType, "{C0E45035-5775-11D0-B388-00A0C9055D8E}");
  EXPECT_EQ(recs[1].sName, "DataEnvironment1");
  EXPECT_EQ(recs[1].lPtr, PositionOf(*r.stream, "DataEnvironment1"));
  EXPECT_EQ(recs[1].sControlName, "");
  EXPECT_EQ(recs[2].sControlName, "frmHost") << "a designer does not change the current name";
  // Without a name: an empty record at the previous record's position.
  EXPECT_EQ(recs[3].sType, "");
  EXPECT_EQ(recs[3].sName, "");
  EXPECT_EQ(recs[3].lPtr, recs[2].lPtr);
}

TEST(ParseFormType, OnlyAVBNameLineStartsTheCodeAtItsLineEnd) {
  auto r = ParseForm("Attribute VB_Name = \"frmTiny\"\r\nOption Explicit\r\n");
  EXPECT_EQ(r.header->Attribute_VBName, "\"frmTiny\"");
  EXPECT_EQ(r.header->CodePtr, PositionOfCode(*r.stream, TokEndOfLine));
}

TEST(ParseFormType, BlankLineInsideTheAttributeBlockEndsTheHeader) {
  auto r = ParseForm(
      "Attribute VB_Name = \"frmA\"\r\n"
      "Attribute VB_Exposed = False\r\n"
      "\r\n"
      "Attribute VB_Creatable = False\r\n"
      "Option Explicit\r\n");
  // The code begins on the blank line: the first token after the VB_Exposed line.
  EXPECT_EQ(r.header->CodePtr, PositionOfCode(*r.stream, TokEndOfLine, 1) + 1);
  EXPECT_EQ(r.stream->TokenCodeAt(r.header->CodePtr), TokEndOfLine);
  EXPECT_LT(r.header->CodePtr, PositionOf(*r.stream, "VB_Creatable"));
}

TEST(ParseFormType, FileWithoutAttributesIsScannedToItsEnd) {
  auto r = ParseForm(
      "Begin VB.Form frmA\r\n"
      "End\r\n"
      "Private Sub X()\r\n"
      "  s = \"late\"\r\n"
      "End Sub\r\n");
  EXPECT_EQ(r.header->Attribute_VBName, "");
  EXPECT_EQ(r.header->AttributePtr, 0);
  EXPECT_EQ(r.header->CodePtr, 0);
  const auto recs = Records(*r.header);
  ASSERT_EQ(recs.size(), 2u);
  EXPECT_EQ(recs[1].sType, "+s");
  EXPECT_EQ(recs[1].sName, "late");
}

TEST(ParseFormType, VBNameWithoutStringStillSetsTheCodePosition) {
  auto r = ParseForm("Attribute VB_Name = frmA\r\nOption Explicit\r\n");
  EXPECT_EQ(r.header->Attribute_VBName, "");
  EXPECT_EQ(r.header->AttributePtr, 0);
  EXPECT_EQ(r.header->CodePtr, PositionOf(*r.stream, "Option"));
}

TEST(ParseFormType, StreamEndingInsideTheHeaderIsSafe) {
  for (const char* text :
       {"", "Begin", "Begin VB.Form", "Begin VB.", "Begin {a", "Attribute", "Attribute VB_Name",
        "Attribute VB_Exposed = False", "Caption = ", "Caption = \"x\":", "VERSION 5.00"}) {
    auto r = ParseForm(text);
    ASSERT_NE(r.header, nullptr) << text;
    EXPECT_GE(r.header->CodePtr, 0) << text;
    EXPECT_LE(r.header->CodePtr, r.stream->Count()) << text;
    EXPECT_TRUE(r.header->Controls().empty()) << text;
  }
  auto r = ParseForm("Attribute VB_Name = \"frmEnd\"");
  EXPECT_EQ(r.header->Attribute_VBName, "\"frmEnd\"");
  EXPECT_EQ(r.header->CodePtr, r.stream->Count());
}

}  // namespace
}  // namespace qs
