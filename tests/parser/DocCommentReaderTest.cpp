// Doc comments read from hand-written modules: every convention, every placement and their
// mixtures, each shown as one line of the record's members.
#include <gtest/gtest.h>

#include <string>

#include "model/DocComment.h"
#include "parser/AnalysisTestUtil.h"
#include "parser/DocCommentReader.h"

namespace qs {
namespace {

using Target = DocCommentReader::Target;

// "source|S=summary|D=description|P:name=text|R=returns|M=remarks|A=author|T=date", line
// breaks shown as "~"; "-" when nothing describes the declaration.
std::string Render(const DocComment& d) {
  if (d.Empty()) return "-";
  std::string out = DocSourceName(d.source);
  const auto add = [&out](const char* label, const std::string& text) {
    if (text.empty()) return;
    out += std::string("|") + label;
    for (char c : text) out += c == '\n' ? '~' : c;
  };
  add("S=", d.summary);
  add("D=", d.description);
  for (const DocParam& p : d.params) add("P:", p.name + "=" + p.text);
  add("R=", d.returns);
  add("M=", d.remarks);
  add("A=", d.author);
  add("T=", d.date);
  return out;
}

// The declaration (or member of an enumeration or type) of that name in the module.
const ClsEntryPtr* Find(const ClsSymEntry& m, const std::string& name) {
  for (const auto* list : {&m.EVar, &m.EConst, &m.ESub, &m.EFunction, &m.EProperty, &m.EType,
                           &m.EEnum, &m.EEvent, &m.EDeclare}) {
    for (const auto& e : *list) {
      if (e && e->EntryName == name) return e.get();
      if (e && e->Parameters && (e->eEntrytype == kEntryEnum || e->eEntrytype == kEntryType))
        for (const auto& member : *e->Parameters)
          if (member && member->EntryName == name) return member.get();
    }
  }
  return nullptr;
}

struct Case {
  const char* label;
  const char* code;
  const char* name;  ///< "" for the module
  Target target;
  const char* expected;
};

const Case kCases[] = {
    {"free block above: first sentence",
     "' Adds the item. Keeps the order.\r\nSub Add(x)\r\nEnd Sub\r\n", "Add", Target::kProcedure,
     "text|S=Adds the item.|D=Adds the item. Keeps the order."},
    {"Rem lines, paragraphs, no period",
     "Dim a\r\nRem Counts the items\r\n'\r\nRem for the list\r\nSub Count()\r\nEnd Sub\r\n",
     "Count", Target::kProcedure, "text|S=Counts the items|D=Counts the items~for the list"},
    {"a block a blank line separates describes nothing",
     "Dim a\r\n\r\n' Lonely words.\r\n\r\nSub Foo()\r\nEnd Sub\r\n", "Foo", Target::kProcedure,
     "-"},
    {"comments opening the body",
     "Dim a\r\nSub Foo()\r\n  ' Does foo.\r\n\r\n  ' Twice.\r\n  a = 1\r\n  ' Not this.\r\nEnd "
     "Sub\r\n",
     "Foo", Target::kProcedure, "text|S=Does foo.|D=Does foo.~Twice."},
    {"the next procedure's block is not a body",
     "Dim a\r\nSub Foo()\r\nEnd Sub\r\n' Bar's.\r\nSub Bar()\r\nEnd Sub\r\n", "Foo",
     Target::kProcedure, "-"},
    {"attribute in the body (IDE boilerplate)",
     "Dim a\r\nPublic Property Get Text() As String\r\nAttribute Text.VB_Description = "
     "\"Returns/sets the \"\"text\"\".\"\r\n  Text = a\r\nEnd Property\r\n",
     "Text", Target::kProcedure,
     "attribute|S=Returns/sets the \"text\".|D=Returns/sets the \"text\"."},
    {"attribute of another name is not taken",
     "Dim a\r\nSub Foo()\r\nAttribute Bar.VB_Description = \"Bar's.\"\r\nEnd Sub\r\n", "Foo",
     Target::kProcedure, "-"},
    {"event: attribute on the next line",
     "Public Event Changed(ByVal n As Long)\r\nAttribute Changed.VB_Description = \"Raised after a "
     "change.\"\r\n",
     "Changed", Target::kEvent, "attribute|S=Raised after a change.|D=Raised after a change."},
    {"variable: VB_VarDescription after it",
     "Dim a\r\nPublic Count As Long\r\nAttribute Count.VB_VarDescription = \"Items so far.\"\r\n",
     "Count", Target::kVariable, "attribute|S=Items so far.|D=Items so far."},
    {"trailing comment on a Dim line", "Dim a\r\nDim nCount As Long ' items in the list\r\n",
     "nCount", Target::kVariable, "text|S=items in the list|D=items in the list"},
    {"trailing comment after a continued line", "Dim a\r\nConst X = 1 + _\r\n  2 ' the sum\r\n",
     "X", Target::kVariable, "text|S=the sum|D=the sum"},
    {"enumeration member: trailing and above",
     "Enum Colour\r\n  ' The first.\r\n  Red = 1 ' warm\r\n  Blue\r\nEnd Enum\r\n", "Red",
     Target::kMember, "text|S=The first.|D=The first.~warm"},
    {"type member without comment",
     "Type Pair\r\n  A As Long ' left\r\n  B As Long\r\nEnd Type\r\n", "B", Target::kMember, "-"},
    {"annotations: description kept, others dropped",
     "Dim a\r\n'@Folder(\"Util\")\r\n'@Description(\"Trims the text.\")\r\nFunction "
     "Trim2(s)\r\nEnd Function\r\n",
     "Trim2", Target::kProcedure, "annotation|S=Trims the text.|D=Trims the text."},
    {"annotation and attribute saying the same are kept once",
     "Dim a\r\n'@Description(\"Trims.\")\r\nFunction T(s)\r\nAttribute T.VB_Description = "
     "\"Trims.\"\r\nEnd Function\r\n",
     "T", Target::kProcedure, "annotation|S=Trims.|D=Trims."},
    {"'' block with tags",
     "Dim a\r\n'' Finds an item. Fast.\r\n'' @param sKey the key,\r\n''   case-blind\r\n'' @param "
     "[lFrom] where to start\r\n"
     "'' @returns the index\r\n'' @see Items\r\n'' @author Ann\r\n'' @example Find(\"a\")\r\n"
     "Function Find(sKey, lFrom)\r\nEnd Function\r\n",
     "Find", Target::kProcedure,
     "tags|S=Finds an item.|D=Finds an item. Fast.~@param sKey the key, case-blind~@param [lFrom] "
     "where to "
     "start~@returns the index~@see Items~@author Ann~@example Find(\"a\")|P:sKey=the key, "
     "case-blind|P:lFrom=where to start|R=the index|M=See: Items~Example: Find(\"a\")|A=Ann"},
    {"heading block framed by banners over a procedure with an attribute inside",
     "Dim a\r\n'***************************************\r\n' Procedure : Save\r\n' Purpose   : "
     "Writes the file.\r\n"
     "'             Overwrites it.\r\n' Inputs:\r\n'   sPath - where\r\n'   bForce: even when "
     "read-only\r\n"
     "' returns : True when written\r\n' Assumptions: the folder exists\r\n' Author : Bo\r\n' "
     "DATE: 2001-02-03\r\n"
     "'***************************************\r\nFunction Save(sPath, bForce) As Boolean\r\n"
     "Attribute Save.VB_Description = \"Saves.\"\r\nEnd Function\r\n",
     "Save", Target::kProcedure,
     "attribute|S=Saves.|D=Saves.~Purpose   : Writes the file. Overwrites it.~Inputs:~sPath - "
     "where~bForce: "
     "even when read-only~returns : True when written~Assumptions: the folder exists~Author : "
     "Bo~DATE: "
     "2001-02-03|P:sPath=where|P:bForce=even when read-only|R=True when written|M=Assumptions: the "
     "folder exists|A=Bo|T=2001-02-03"},
    {"''' XML documentation",
     "Dim a\r\n''' <summary>Sums\r\n''' two numbers.</summary>\r\n''' <param name=\"x\">the "
     "first</param>\r\n"
     "''' <returns>the <b>sum</b></returns>\r\n''' <remarks>No overflow check.</remarks>\r\n"
     "Function Sum(x, y)\r\nEnd Function\r\n",
     "Sum", Target::kProcedure,
     "xml|S=Sums two numbers.|D=Sums two numbers. the first the sum No overflow check.|P:x=the "
     "first|R=the sum|M=No overflow check."},
    {"markup only describes nothing",
     "Dim a\r\n''' <summary> </summary>\r\n' Procedure : F\r\nSub F()\r\nEnd Sub\r\n", "F",
     Target::kProcedure, "-"},
    {"attribute lines inside a block do not break it",
     "Dim a\r\n' Keeps the cache.\r\nAttribute m.VB_VarHelpID = -1\r\nPrivate m As Collection\r\n",
     "m", Target::kVariable, "text|S=Keeps the cache.|D=Keeps the cache."},
    {"module: opening block separated by a blank line, banners dropped",
     "Option Explicit\r\n'=====\r\n' modTest - helpers.\r\n'=====\r\n\r\nDim a\r\n", "",
     Target::kProcedure, "text|S=modTest - helpers.|D=modTest - helpers."},
    {"module: a block touching the first declaration is the declaration's",
     "' The count.\r\n'@ModuleDescription(\"Counting.\")\r\nDim nCount\r\n", "", Target::kProcedure,
     "annotation|S=Counting.|D=Counting."},
    {"the declaration keeps that block", "' The count.\r\nDim nCount\r\n", "nCount",
     Target::kVariable, "text|S=The count.|D=The count."},
    // Text as written: lists and label lines keep their lines; prose is no parameter. A "* "
    // line is a frame (the star is dropped), not a list item.
    {"a procedure closed on its line has no body: the next block is not its",
     "Dim a\r\nPublic Sub Clear(): End Sub\r\n\r\n''\r\n' @param Value the item.\r\n"
     "Public Sub Add(Value)\r\nEnd Sub\r\n",
     "Clear", Target::kProcedure, "-"},
    {"label lines and list items start lines of their own",
     "Dim a\r\n' Draws the grid. Fast.\r\n' Created: 2001-02-03\r\n' Last updated : 2004\r\n"
     "' - rows,\r\n'   then columns\r\n' * cells\r\n' 1. first\r\n' 2) second\r\n"
     "' See http://x.org/a: here\r\nSub Draw()\r\nEnd Sub\r\n",
     "Draw", Target::kProcedure,
     "text|S=Draws the grid.|D=Draws the grid. Fast.~Created: 2001-02-03~Last updated : 2004~- "
     "rows, then columns cells~1. first~2) second See http://x.org/a: here"},
    {"values and hyphenated words under a parameters heading are no parameters",
     "Dim a\r\n' Purpose: Sets the mode.\r\n' Inputs:\r\n'   nMode - the mode, one of\r\n"
     "'   0 - normal\r\n'   1 - multi-image\r\n'   multi-image tiles\r\n'   bOn: switch\r\n"
     "Sub SetMode(nMode, bOn)\r\nEnd Sub\r\n",
     "SetMode", Target::kProcedure,
     "headings|S=Sets the mode.|D=Purpose: Sets the mode.~Inputs:~nMode - the mode, one of~0 - "
     "normal~1 - multi-image multi-image tiles~bOn: switch|P:nMode=the mode, one of 0 - normal 1 - "
     "multi-image multi-image tiles|P:bOn=switch"},
    {"@param with a {Type} before the name and a bracketed member name",
     "Dim a\r\n''\r\n' Parses.\r\n' @param {String} sJson the text\r\n' @param [(n)] in "
     "parentheses\r\n' @param [lFrom] where\r\nFunction P(sJson, lFrom)\r\nEnd Function\r\n",
     "P", Target::kProcedure,
     "tags|S=Parses.|D=Parses.~@param {String} sJson the text~@param [(n)] in parentheses~@param "
     "[lFrom] where|P:sJson=the text|P:(n)=in parentheses|P:lFrom=where"},
};

TEST(DocCommentReaderTest, ReadsEveryConventionAndPlacement) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.label);
    testing::Analysed a = testing::AnalyseModule(c.code);
    ASSERT_TRUE(a.entry);
    DocCommentReader reader;
    reader.Reset(a.stream.get(), a.header->CodePtr);
    DocComment doc;
    bool found = false;
    if (*c.name == '\0') {
      found = reader.DescribeModule(doc);
    } else {
      const ClsEntryPtr* e = Find(*a.entry, c.name);
      ASSERT_TRUE(e) << c.name;
      found = reader.Describe(e->lEntryptr, e->EntryName, c.target, doc);
    }
    EXPECT_EQ(found, !doc.Empty());
    EXPECT_EQ(Render(doc), c.expected);
  }
}

}  // namespace
}  // namespace qs
