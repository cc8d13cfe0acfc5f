// Cross references of statements the walk reads itself: a With member as a call's first
// argument, a qualifier naming both a module and a variable, ReDim of an undeclared array, type
// characters, keywords in any letter case, comments continued over lines, Def-type statements,
// Return, date literals and declarations after ":".
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include "run/ResolutionCases.h"
#include "run/RunExports.h"
#include "support/JsonText.h"

namespace qs {
namespace {

using test::Case;

// A module with a user type, a variable of it and a Sub taking one argument (lines 1 to 9).
#define QS_POINT_MODULE                                                                    \
  "Attribute VB_Name = \"modA\"\nOption Explicit\nType TPoint\n  X As Long\n  Y As Long\n" \
  "End Type\nPrivate P As TPoint\nSub Show(ByVal v As Long)\nEnd Sub\n"

const Case kCases[] = {
    // A "." after a name with a blank between starts an argument: the With object's member.
    {"a With member as the first argument of calls without parentheses",
     "Type=Exe\nModule=modA; a.bas\nClass=clsC; c.cls\n",
     {{"a.bas", QS_POINT_MODULE "Sub S(c As clsC)\n  With P\n    Show .X\n    Debug.Print .Y; .X\n"
                                "    c.M .X\n    Show .X + .Y: Show (.X)\n  End With\nEnd Sub\n"},
      {"c.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsC\"\n"
       "Public Sub M(ByVal v As Long)\nEnd Sub\n"}},
     "refs=modA.TPoint.X",
     "a.bas:4:3: declaration: X As Long\n"
     "a.bas:12:11: read: Show .X\n"
     "a.bas:13:22: read: Debug.Print .Y; .X\n"
     "a.bas:14:10: read: c.M .X\n"
     "a.bas:15:11: read: Show .X + .Y: Show (.X)\n"
     "a.bas:15:26: read: Show .X + .Y: Show (.X)\n"},
    {"the argument's call is still a call of the name before it, and a member without a blank "
     "stays the name's",
     "Type=Exe\nModule=modA; a.bas\nClass=clsC; c.cls\n",
     {{"a.bas", QS_POINT_MODULE
       "Sub S(c As clsC)\n  With P\n    c.M .Y\n    c.M c.N.X\n  End With\nEnd Sub\n"},
      {"c.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsC\"\n"
       "Public Sub M(ByVal v As Long)\nEnd Sub\nPublic Function N() As clsC\nEnd Function\n"
       "Public Property Get X() As Long\nEnd Property\n"}},
     "refs=clsC.X",
     "c.cls:9:21: declaration: Public Property Get X() As Long\n"
     "a.bas:13:13: call: c.M c.N.X\n"},
    // A variable whose type has no members before a member: the module of that name.
    {"a module's name and a Long variable's: the qualifier is the module",
     "Type=Exe\nModule=modA; a.bas\nModule=Units; u.bas\nModule=modB; b.bas\n",
     {{"a.bas", "Attribute VB_Name = \"modA\"\nOption Explicit\nPublic Units As Long\n"},
      {"u.bas",
       "Attribute VB_Name = \"Units\"\nOption Explicit\nPublic Sub DoDamage(ByVal n As Long)\n"
       "End Sub\n"},
      {"b.bas",
       "Attribute VB_Name = \"modB\"\nOption Explicit\nSub S()\n  Units.DoDamage Units\n"
       "  Units = Units + 1\nEnd Sub\n"}},
     "refs=Units.DoDamage",
     "u.bas:3:12: declaration: Public Sub DoDamage(ByVal n As Long)\n"
     "b.bas:4:9: call: Units.DoDamage Units\n"},
    {"the variable keeps its own uses; the module's member is called",
     "Type=Exe\nModule=modA; a.bas\nModule=Units; u.bas\nModule=modB; b.bas\n",
     {{"a.bas", "Attribute VB_Name = \"modA\"\nOption Explicit\nPublic Units As Long\n"},
      {"u.bas",
       "Attribute VB_Name = \"Units\"\nOption Explicit\nPublic Sub DoDamage(ByVal n As Long)\n"
       "End Sub\n"},
      {"b.bas",
       "Attribute VB_Name = \"modB\"\nOption Explicit\nSub S()\n  Units.DoDamage Units\n"
       "  Units = Units + 1\nEnd Sub\n"}},
     "refs=modA.Units",
     "a.bas:3:8: declaration: Public Units As Long\n"
     "b.bas:4:18: read: Units.DoDamage Units\n"
     "b.bas:5:3: write: Units = Units + 1\n"
     "b.bas:5:11: read: Units = Units + 1\n"},
    {"an Object or untyped (Variant) variable may have members: it stays the qualifier; a "
     "DefLng letter makes an untyped one a Long",
     "Type=Exe\nModule=modA; a.bas\nModule=Units; u.bas\nModule=Things; t.bas\n"
     "Module=modB; b.bas\n",
     {{"a.bas", "Attribute VB_Name = \"modA\"\nDefLng U\nPublic Units\nPublic Things As Object\n"},
      {"u.bas", "Attribute VB_Name = \"Units\"\nPublic Sub Go()\nEnd Sub\n"},
      {"t.bas", "Attribute VB_Name = \"Things\"\nPublic Sub Go()\nEnd Sub\n"},
      {"b.bas", "Attribute VB_Name = \"modB\"\nSub S()\n  Units.Go\n  Things.Go\nEnd Sub\n"}},
     "unused",
     "a.bas:3:8: unused variable modA.Units\n"
     "t.bas:2:12: unused sub Things.Go\n"
     "b.bas:2:5: unused sub modB.S\n"},
    // ReDim of a name nothing declares makes a dynamic array of the procedure.
    {"ReDim declares an undeclared array, typed by its As clause, under Option Explicit",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nOption Explicit\nType TRank\n  Score As Long\nEnd Type\n"
       "Sub S()\n  ReDim rank(3) As TRank\n  rank(1).Score = 5\n  ReDim Preserve rank(4)\n"
       "  Debug.Print rank(1).Score\nEnd Sub\n"}},
     "refs=modA.S.rank",
     "a.bas:7:9: declaration: ReDim rank(3) As TRank\n"
     "a.bas:8:3: read: rank(1).Score = 5\n"
     "a.bas:9:18: write: ReDim Preserve rank(4)\n"
     "a.bas:10:15: read: Debug.Print rank(1).Score\n"},
    {"ReDim's array: its elements' fields are the type's members",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nOption Explicit\nType TRank\n  Score As Long\nEnd Type\n"
       "Sub S()\n  ReDim rank(3) As TRank\n  rank(1).Score = 5\n  ReDim Preserve rank(4)\n"
       "  Debug.Print rank(1).Score\nEnd Sub\n"}},
     "refs=modA.TRank.Score",
     "a.bas:4:3: declaration: Score As Long\n"
     "a.bas:8:11: write: rank(1).Score = 5\n"
     "a.bas:10:23: read: Debug.Print rank(1).Score\n"},
    {"ReDim of a declared array or of a module's declares nothing; an unused ReDim array is "
     "reported",
     "Type=Exe\nStartup=\"Sub Main\"\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nOption Explicit\nPrivate Held() As Long\nSub Main()\n"
       "  Dim mine() As String\n  ReDim Held(2), mine(3)\n  ReDim spare(2)\n"
       "  Debug.Print Held(0); mine(0)\nEnd Sub\n"}},
     "unused",
     "a.bas:7:9: unused variable modA.Main.spare\n"},
    // A type character binds a name only to a declaration of its type.
    {"Left$ in a class with a Left property is the runtime's function",
     "Type=Exe\nClass=clsC; c.cls\n",
     {{"c.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsC\"\nOption Explicit\n"
       "Public Property Get Left() As Long\nEnd Property\nPublic Function Title$()\n"
       "  Dim s$, n As Long\n  s = Left$(s, 3) & Title$\n  n = Left + n\nEnd Function\n"}},
     "refs=clsC.Left",
     "c.cls:6:21: declaration: Public Property Get Left() As Long\n"
     "c.cls:11:7: call: n = Left + n\n"},
    {"type characters: names of the character's type (declared so, with it, or by a Def "
     "letter) match; others are external",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nOption Explicit\nDefStr S\nPublic Left As Long\n"
       "Sub T()\n  Dim sName, count%, total As Double, cash As Currency, sng As Single\n"
       "  sName$ = Left$(sName$, count%) & total# & cash@ & sng! & Left& & count&\nEnd Sub\n"}},
     "external",
     "Left 1\ncount 1\n"},
    // Words that are no names.
    {"keywords in any case, continued comments, Def-type statements, Return and date literals",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nDefObj A-Z\ndefint I, J - K\n"
       "Const X as integer = 12\nPublic PM As Long, AM As Long\n"
       "Sub S(ByVal Stamp As Date)\n  ' a comment _\n  that goes on _\n  and on\n"
       "  If stamp = #12/31/9999 11:59:59 PM# then Gosub Here\n  exit sub\nHere:\n"
       "  Stamp = #1/1/2000#: Stamp = #10:30 AM# + PM: Debug.Print Stamp ' ends _\n"
       "    here\n  Return\nEnd Sub\n"}},
     "external",
     "Debug 1\n"},
    {"a date literal's words are no uses of declarations bearing their names",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nPublic PM As Long, AM As Long\n"
       "Sub S(ByVal Stamp As Date)\n  Stamp = #10:30 AM# + PM: Stamp = #12/31/9999 11:59:59 PM#\n"
       "End Sub\n"}},
     "refs=modA.PM",
     "a.bas:2:8: declaration: Public PM As Long, AM As Long\n"
     "a.bas:4:24: read: Stamp = #10:30 AM# + PM: Stamp = #12/31/9999 11:59:59 PM#\n"},
    {"a Def-type letter types untyped declarations: DefObj A-Z makes an untyped name an Object",
     "Type=Exe\nModule=modA; a.bas\nModule=Units; u.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nDefObj A-Z\nPublic Units\nSub S()\n  Units.Go\nEnd Sub\n"},
      {"u.bas", "Attribute VB_Name = \"Units\"\nPublic Sub Go()\nEnd Sub\n"}},
     "refs=modA.Units",
     "a.bas:3:8: declaration: Public Units\n"
     "a.bas:5:3: read: Units.Go\n"},
    // Declarations after ":" that the records leave out.
    {"declarations after \":\" in a module and a procedure, with later uses bound to them",
     "Type=Exe\nStartup=\"Sub Main\"\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nOption Explicit\nPrivate a As Long: Private c%\n"
       "Sub Main()\n  Dim x As Long: Dim y As Long, z As TSpare: Const k = 2\n"
       "  a = 1: c = 2\n  y = c + x + k\nEnd Sub\nPrivate Type TSpare\n  n As Long\nEnd Type\n"}},
     "unused",
     "a.bas:5:33: unused variable modA.Main.z\n"},
    {"a declaration after \":\" is its procedure's, typed by its As clause",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nOption Explicit\nPrivate Type TPair\n  n As Long\nEnd Type\n"
       "Sub Main()\n  Dim x As Long: Dim p As TPair\n  p.n = x\n  Debug.Print p.n\nEnd Sub\n"}},
     "refs=modA.TPair.n",
     "a.bas:4:3: declaration: n As Long\n"
     "a.bas:8:5: write: p.n = x\n"
     "a.bas:9:17: read: Debug.Print p.n\n"},
};

TEST(ResolutionStatements, TheWalkReadsStatementsAndWordsAsVisualBasicDoes) {
  test::CheckCases(kCases, "xref-statements");
}

// The locals the code declares where the analysis records do not (ReDim of an undeclared name)
// are listed by the export after the procedure's other locals, with their uses.
TEST(ResolutionStatements, TheExportListsTheLocalsTheCodeDeclares) {
  test::TestFolder dir("xref-statements-json");
  dir.Write("a.bas", test::Crlf("Attribute VB_Name = \"modA\"\nOption Explicit\nSub Fill()\n"
                                "  ReDim rank(3) As Long\n  rank(0) = 1: Dim k As Long\n"
                                "  k = rank(0)\nEnd Sub\n"));
  const std::string vbp = dir.Write("P.vbp", "Type=Exe\r\nModule=modA; a.bas\r\n");
  rapidjson::Document doc;
  ASSERT_TRUE(test::ExportOf(dir, vbp, doc));
  const rapidjson::Value& locals = doc["modules"][0]["declarations"][0]["locals"];
  // The Dim after ":" has a record (it comes first, with its type); ReDim's rank has none.
  EXPECT_EQ(test::Compact(locals),
            "[{\"name\":\"k\",\"kind\":\"variable\",\"type\":\"Long\",\"line\":5,\"column\":20,"
            "\"uses\":[[6,3,\"write\"]],\"exposure\":\"used\"},{\"name\":\"rank\",\"kind\":"
            "\"variable\",\"line\":4,\"column\":9,\"uses\":[[5,3,\"write\"],[6,7]],\"exposure\":"
            "\"used\"}]");
}

}  // namespace
}  // namespace qs
