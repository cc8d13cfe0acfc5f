#include <gtest/gtest.h>

#include "ProjectTestUtil.h"
#include "model/clsVBHeader.h"
#include "text/TokenCodes.h"

namespace qs {
namespace {

using testing::ParseClass;
using testing::PositionOf;
using testing::PositionOfCode;

TEST(ParseClassType, ClassModuleHeader) {
  auto r = ParseClass(
      "VERSION 1.0 CLASS\r\n"
      "BEGIN\r\n"
      "  MultiUse = -1  'True\r\n"
      "  Persistable = 0  'NotPersistable\r\n"
      "  DataBindingBehavior = 0  'vbNone\r\n"
      "  DataSourceBehavior  = 0  'vbNone\r\n"
      "  MTSTransactionMode  = 0  'NotAnMTSObject\r\n"
      "END\r\n"
      "Attribute VB_Name = \"clsItem\"\r\n"
      "Attribute VB_GlobalNameSpace = False\r\n"
      "Attribute VB_Creatable = True\r\n"
      "Attribute VB_PredeclaredId = False\r\n"
      "Attribute VB_Exposed = False\r\n"
      "Option Explicit\r\n");
  ASSERT_NE(r.header, nullptr);
  EXPECT_EQ(r.header->Attribute_VBName, "\"clsItem\"");
  EXPECT_EQ(r.header->AttributePtr, PositionOf(*r.stream, "\"clsItem\""));
  EXPECT_EQ(r.header->CodePtr, PositionOf(*r.stream, "Option"));
  EXPECT_TRUE(r.header->Controls().empty());
}

TEST(ParseClassType, StandardModuleCodeStartsAtTheEndOfItsFirstLine) {
  auto r = ParseClass("Attribute VB_Name = \"modMain\"\r\nOption Explicit\r\nPublic x As Long\r\n");
  EXPECT_EQ(r.header->Attribute_VBName, "\"modMain\"");
  EXPECT_EQ(r.header->CodePtr, PositionOfCode(*r.stream, TokEndOfLine));
}

TEST(ParseClassType, LowerCaseBeginIsNotABlock) {
  // Read as BEGIN, the line would hide the Attribute line behind it up to the end of the file.
  auto r = ParseClass("begin\r\nAttribute VB_Name = \"clsLower\"\r\nDim x\r\n");
  EXPECT_EQ(r.header->Attribute_VBName, "\"clsLower\"");
}

TEST(ParseClassType, BeginWithoutEndSkipsToTheEndOfTheFile) {
  auto r = ParseClass("BEGIN\r\n  MultiUse = -1\r\nAttribute VB_Name = \"clsX\"\r\n");
  EXPECT_EQ(r.header->Attribute_VBName, "");
  EXPECT_EQ(r.header->CodePtr, 0);
}

TEST(ParseClassType, BlankLineBetweenAttributesEndsTheHeader) {
  auto r = ParseClass(
      "Attribute VB_Name = \"clsA\"\r\n"
      "Attribute VB_Exposed = False\r\n"
      "\r\n"
      "Attribute VB_Description = \"later\"\r\n");
  EXPECT_EQ(r.header->Attribute_VBName, "\"clsA\"");
  EXPECT_EQ(r.header->CodePtr, PositionOfCode(*r.stream, TokEndOfLine, 1) + 1);
  EXPECT_LT(r.header->CodePtr, PositionOf(*r.stream, "Attribute", 2));
}

TEST(ParseClassType, FileWithoutAttributesHasNoName) {
  auto r = ParseClass("Option Explicit\r\nPublic Sub A()\r\nEnd Sub\r\n");
  EXPECT_EQ(r.header->Attribute_VBName, "");
  EXPECT_EQ(r.header->AttributePtr, 0);
  EXPECT_EQ(r.header->CodePtr, 0);
}

TEST(ParseClassType, EmptyFileGivesAnEmptyHeader) {
  auto r = ParseClass("");
  ASSERT_NE(r.header, nullptr);
  EXPECT_EQ(r.header->Attribute_VBName, "");
  EXPECT_EQ(r.header->CodePtr, 0);
}

}  // namespace
}  // namespace qs
