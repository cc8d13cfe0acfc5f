// Cross references on small hand-written projects, one case per rule of name resolution, kinds of
// use and unused declarations, asked the way the command line asks (--refs, --unused); the sample
// project's answers; and inputs that would tempt a resolver into quadratic work or deep recursion.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "model/CrossReferences.h"
#include "output/answers/ReferenceAnswers.h"
#include "output/json/ProjectExport.h"
#include "run/ResolutionCases.h"
#include "run/RunExports.h"
#include "run/clsVBInfo.h"
#include "support/JsonText.h"
#include "support/TestFolder.h"
#include "text/Yield.h"

namespace qs {
namespace {

using test::Answer;
using test::Case;
using test::Compact;
using test::Crlf;
using test::ReadFile;
using test::TestFolder;

const Case kCases[] = {
    {"local shadows module and public names; Module.Name reaches past it",
     "Type=Exe\nModule=modA; a.bas\nModule=modB; b.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nOption Explicit\nPublic Count As Long\n"
       "Sub Bump()\n  Dim Count As Integer\n  Count = 1\n  modA.Count = Count + 1\nEnd Sub\n"},
      {"b.bas",
       "Attribute VB_Name = \"modB\"\nSub Use()\n  Count = 2: Debug.Print count\nEnd Sub\n"}},
     "refs=modA.Count",
     "a.bas:3:8: declaration: Public Count As Long\n"
     "a.bas:7:8: write: modA.Count = Count + 1\n"
     "b.bas:3:3: write: Count = 2: Debug.Print count\n"
     "b.bas:3:26: read: Count = 2: Debug.Print count\n"},
    {"the local is a declaration of its procedure",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nPublic Count As Long\n"
       "Sub Bump()\n  Dim Count As Integer\n  Count = 1\n  modA.Count = Count + 1\nEnd Sub\n"}},
     "refs=modA.Bump.Count",
     "a.bas:4:7: declaration: Dim Count As Integer\n"
     "a.bas:5:3: write: Count = 1\n"
     "a.bas:6:16: read: modA.Count = Count + 1\n"},
    {"a Public name of two standard modules is ambiguous unless the using module declares it",
     "Type=Exe\nModule=modA; a.bas\nModule=modB; b.bas\nModule=modC; c.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nPublic Sub Log()\nEnd Sub\nSub A1()\n  Log\nEnd Sub\n"},
      {"b.bas", "Attribute VB_Name = \"modB\"\nPublic Sub Log()\nEnd Sub\n"},
      {"c.bas", "Attribute VB_Name = \"modC\"\nSub C1()\n  Log\n  modB.Log\nEnd Sub\n"}},
     "refs=Log",
     "stderr:\nquillscope-cli: ambiguous: 'Log' names 2 declarations; ask for one of:\n"
     "  modA.Log  (sub, a.bas:2:12)\n"
     "  modB.Log  (sub, b.bas:2:12)\n",
     2},
    {"the using module's own Public name wins; the other module's is reached qualified",
     "Type=Exe\nModule=modA; a.bas\nModule=modB; b.bas\nModule=modC; c.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nPublic Sub Log()\nEnd Sub\nSub A1()\n  Log\nEnd Sub\n"},
      {"b.bas", "Attribute VB_Name = \"modB\"\nPublic Sub Log()\nEnd Sub\n"},
      {"c.bas", "Attribute VB_Name = \"modC\"\nSub C1()\n  Log\n  modB.Log\nEnd Sub\n"}},
     "refs=modB.Log",
     "b.bas:2:12: declaration: Public Sub Log()\n"
     "c.bas:4:8: call: modB.Log\n"},
    {"Me, a form's default instance, controls, control arrays and their handlers",
     "Type=Exe\nForm=f.frm\nModule=modA; a.bas\n",
     {{"f.frm",
       "VERSION 5.00\nBegin VB.Form frmMain\n   Begin VB.TextBox txtName\n   End\n"
       "   Begin VB.TextBox txtName\n      Index = 1\n   End\nEnd\n"
       "Attribute VB_Name = \"frmMain\"\nPublic Title As String\n"
       "Private Sub txtName_Change(Index As Integer)\n  Me.Title = txtName(Index).Text\nEnd Sub\n"},
      {"a.bas",
       "Attribute VB_Name = \"modA\"\nSub Main()\n  frmMain.Title = \"x\"\n"
       "  frmMain.txtName(0).Text = frmMain.Title\nEnd Sub\n"}},
     "refs=frmMain.txtName",
     "f.frm:3:21: declaration: Begin VB.TextBox txtName\n"
     "f.frm:11:13: read: Private Sub txtName_Change(Index As Integer)\n"
     "f.frm:12:14: read: Me.Title = txtName(Index).Text\n"
     "a.bas:4:11: read: frmMain.txtName(0).Text = frmMain.Title\n"},
    {"a chain: every step's type known; the last name of a target is written, the others read",
     "Type=Exe\nClass=clsNode; n.cls\nModule=modA; a.bas\n",
     {{"n.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsNode\"\n"
       "Public Next_ As clsNode\nPublic Value As Long\n"
       "Public Function Child() As clsNode\n  Set Child = Next_\nEnd Function\n"},
      {"a.bas",
       "Attribute VB_Name = \"modA\"\nPrivate Type Pair\n  Left As clsNode\n  Tag As Long\nEnd "
       "Type\n"
       "Sub Walk(p As Pair)\n  p.Left.Next_.Child().Value = p.Tag\n  p.Left.Unknown.Value = 1\nEnd "
       "Sub\n"}},
     "refs=clsNode.Value",
     "n.cls:6:8: declaration: Public Value As Long\n"
     "a.bas:7:24: write: p.Left.Next_.Child().Value = p.Tag\n"},
    {"With resolves .Member against the type of its object; Set and Let pick the property",
     "Type=Exe\nClass=clsItem; i.cls\nModule=modA; a.bas\n",
     {{"i.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsItem\"\n"
       "Private m As Object\nPublic Property Get Owner() As Object\n  Set Owner = m\nEnd Property\n"
       "Public Property Let Owner(v As Object)\nEnd Property\n"
       "Public Property Set Owner(v As Object)\n  Set m = v\nEnd Property\n"},
      {"a.bas",
       "Attribute VB_Name = \"modA\"\nSub S()\n  Dim it As New clsItem\n  With it\n"
       "    Set .Owner = Nothing\n    .Owner = .Owner\n  End With\nEnd Sub\n"}},
     "refs=Owner",
     "i.cls:6:21: declaration: Public Property Get Owner() As Object\n"
     "i.cls:9:21: declaration: Public Property Let Owner(v As Object)\n"
     "i.cls:11:21: declaration: Public Property Set Owner(v As Object)\n"
     "a.bas:5:10: call: Set .Owner = Nothing\n"
     "a.bas:6:6: call: .Owner = .Owner\n"
     "a.bas:6:15: call: .Owner = .Owner\n"},
    {"WithEvents handlers and RaiseEvent",
     "Type=Exe\nClass=clsSrc; s.cls\nForm=f.frm\n",
     {{"s.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsSrc\"\n"
       "Public Event Changed(ByVal v As Long)\nSub Fire()\n  RaiseEvent Changed(1)\nEnd Sub\n"},
      {"f.frm",
       "VERSION 5.00\nBegin VB.Form frmA\nEnd\nAttribute VB_Name = \"frmA\"\n"
       "Private WithEvents src As clsSrc\n"
       "Private Sub src_Changed(ByVal v As Long)\nEnd Sub\nPrivate Sub Form_Load()\n"
       "  Set src = New clsSrc\n  src.Fire\nEnd Sub\n"}},
     "refs=frmA.src",
     "f.frm:5:20: declaration: Private WithEvents src As clsSrc\n"
     "f.frm:6:13: read: Private Sub src_Changed(ByVal v As Long)\n"
     "f.frm:9:7: write: Set src = New clsSrc\n"
     "f.frm:10:3: read: src.Fire\n"},
    {"RaiseEvent calls the module's event",
     "Type=Exe\nClass=clsSrc; s.cls\n",
     {{"s.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsSrc\"\n"
       "Public Event Changed(ByVal v As Long)\nSub Fire()\n  RaiseEvent Changed(1)\nEnd Sub\n"}},
     "refs=Changed",
     "s.cls:5:14: declaration: Public Event Changed(ByVal v As Long)\n"
     "s.cls:7:14: call: RaiseEvent Changed(1)\n"},
    {"Implements: I_Member procedures call the interface's members",
     "Type=Exe\nClass=IShape; i.cls\nClass=clsBox; b.cls\n",
     {{"i.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"IShape\"\n"
       "Public Function Area() As Double\nEnd Function\n"},
      {"b.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsBox\"\nImplements IShape\n"
       "Private Function IShape_Area() As Double\n  IShape_Area = 1#\nEnd Function\n"}},
     "refs=IShape.Area",
     "i.cls:5:17: declaration: Public Function Area() As Double\n"
     "b.cls:6:18: call: Private Function IShape_Area() As Double\n"},
    {"#If twins are one declaration; continuations, suffixes, strings and comments",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\n#If VBA7 Then\nPrivate Declare PtrSafe Function GetTick& Lib "
       "\"k\" ()\n"
       "#Else\nPrivate Declare Function GetTick& Lib \"k\" ()\n#End If\n"
       "Sub S()\n  Dim t&\n  t& = GetTick& + _\n    GetTick() ' GetTick\n"
       "  Debug.Print \"GetTick\": Rem GetTick\nEnd Sub\n"}},
     "refs=GetTick",
     "a.bas:5:26: declaration: Private Declare Function GetTick& Lib \"k\" ()\n"
     "a.bas:9:8: call: t& = GetTick& + _\n"
     "a.bas:10:5: call: GetTick() ' GetTick\n"},
    {"labels and line numbers; Next, named arguments and a function's own result are no uses",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nFunction F(ByVal n As Long) As Long\n"
       "  Dim i As Long\n  On Error GoTo Failed\n  For i = 1 To n\n    F = F + i\n  Next i\n"
       "  MsgBox Prompt:=i\n10 Exit Function\nFailed:\n  Resume 10\nEnd Function\n"}},
     "refs=modA.F.i",
     "a.bas:3:7: declaration: Dim i As Long\n"
     "a.bas:5:7: write: For i = 1 To n\n"
     "a.bas:6:13: read: F = F + i\n"
     "a.bas:8:18: read: MsgBox Prompt:=i\n"},
    {"a function's uses: its own result is no use, a call of itself is",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nFunction F(ByVal n As Long) As Long\n"
       "  F = 1\n  If n > 0 Then F = n * F(n - 1)\nEnd Function\n"}},
     "refs=F",
     "a.bas:2:10: declaration: Function F(ByVal n As Long) As Long\n"
     "a.bas:4:25: call: If n > 0 Then F = n * F(n - 1)\n"},
    {"a label's uses: GoTo, On Error GoTo, Resume",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nSub S()\n  On Error GoTo Failed\n  GoTo Failed\n"
       "Failed:\n  Resume Failed\nEnd Sub\n"}},
     "refs=modA.S.Failed",
     "a.bas:5:1: declaration: Failed:\n"
     "a.bas:3:17: read: On Error GoTo Failed\n"
     "a.bas:4:8: read: GoTo Failed\n"
     "a.bas:6:10: read: Resume Failed\n"},
    {"without Option Explicit an assigned undeclared name is an implicit local",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nSub S()\n  Debug.Print total\n  total = 1\n"
       "  Debug.Print Unassigned\nEnd Sub\n"}},
     "refs=modA.S.total",
     "a.bas:3:15: declaration: Debug.Print total\n"
     "a.bas:3:15: read: Debug.Print total\n"
     "a.bas:4:3: write: total = 1\n"},
    {"an unknown name and a bare name naming nothing",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas", "Attribute VB_Name = \"modA\"\n"}},
     "refs=modA.Nothing",
     "stderr:\nquillscope-cli: no declaration is named 'modA.Nothing'\n",
     1},
    {"unused in an Exe project: private, public, parameters, labels, enum members of used enums",
     "Type=Exe\nStartup=\"Sub Main\"\nModule=modA; a.bas\nClass=clsC; c.cls\nForm=f.frm\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nOption Explicit\nPublic Enum Color\n  Red\n  Blue\nEnd Enum\n"
       "Private Const Unused1 = 1\nPublic Declare Function Beep2 Lib \"k\" (ByVal a As Long) As "
       "Long\n"
       "Sub Main()\n  Dim c As Color\nSkip:\nEnd Sub\nSub Helper(x As Long)\nEnd Sub\n"},
      {"c.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsC\"\nAttribute VB_Exposed = True\n"
       "Public Sub Api()\nEnd Sub\nPrivate Sub Class_Initialize()\nEnd Sub\n"},
      {"f.frm",
       "VERSION 5.00\nBegin VB.Form frmF\n   Begin VB.CommandButton cmdGo\n   End\n"
       "   Begin VB.Label lblNote\n   End\nEnd\nAttribute VB_Name = \"frmF\"\n"
       "Private Sub cmdGo_Click()\nEnd Sub\nPrivate Sub Form_Load()\nEnd Sub\n"}},
     "unused",
     "a.bas:7:15: unused constant modA.Unused1\n"
     "a.bas:8:25: unused declare modA.Beep2\n"
     "a.bas:10:7: unused variable modA.Main.c\n"
     "a.bas:11:1: unused label modA.Main.Skip\n"
     "a.bas:13:5: unused sub modA.Helper\n"
     "a.bas:13:12: unused parameter modA.Helper.x\n"
     "c.cls:6:12: unused sub clsC.Api\n"},
    {"exposed in an ActiveX project: Public members of exposed classes (their parameters kept), "
     "not of modules or Friend",
     "Type=OleDll\nModule=modA; a.bas\nClass=clsC; c.cls\nClass=clsHidden; h.cls\n",
     {{"a.bas", "Attribute VB_Name = \"modA\"\nPublic Sub Shared()\nEnd Sub\n"},
      {"c.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsC\"\nAttribute VB_Exposed = True\n"
       "Public Sub Api(ByVal n As Long)\nEnd Sub\nFriend Sub Inner()\nEnd Sub\n"
       "Public Sub Used(ByVal spare As Long)\nEnd Sub\nSub Caller()\n  Used 1\nEnd Sub\n"},
      {"h.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsHidden\"\nAttribute VB_Exposed = "
       "False\n"
       "Public Sub Api2()\nEnd Sub\n"}},
     "exposed",
     "a.bas:2:12: unused sub modA.Shared\n"
     "c.cls:6:12: exposed sub clsC.Api\n"
     "c.cls:8:12: unused sub clsC.Inner\n"
     "c.cls:12:5: exposed sub clsC.Caller\n"
     "h.cls:6:12: unused sub clsHidden.Api2\n"},
    {"bang access reads its object's default member; the field after ! is no name",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nOption Explicit\nSub S(rs As Object)\n  Dim Total As Long\n"
       "  Total = rs!Total + rs![Total]\n  With rs\n    !Total = !Total + Total\n"
       "  End With\nEnd Sub\n"}},
     "refs=modA.S.Total",
     "a.bas:4:7: declaration: Dim Total As Long\n"
     "a.bas:5:3: write: Total = rs!Total + rs![Total]\n"
     "a.bas:7:23: read: !Total = !Total + Total\n"},
    {"file statements: their words are no names; Input #, Line Input # and Get # write",
     "Type=Exe\nModule=modA; a.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nSub S(f As Integer)\n  Dim s As String\n"
       "  Open s For Binary Access Read Lock Write As #f Len = 4\n  Line Input #f, s\n"
       "  Input #f, s\n  Get #f, 1, s\n  Print #f, Tab(2); s\n  Name s As s\nEnd Sub\n"}},
     "refs=modA.S.s",
     "a.bas:3:7: declaration: Dim s As String\n"
     "a.bas:4:8: read: Open s For Binary Access Read Lock Write As #f Len = 4\n"
     "a.bas:5:18: write: Line Input #f, s\n"
     "a.bas:6:13: write: Input #f, s\n"
     "a.bas:7:14: write: Get #f, 1, s\n"
     "a.bas:8:21: read: Print #f, Tab(2); s\n"
     "a.bas:9:8: read: Name s As s\n"
     "a.bas:9:13: read: Name s As s\n"},
    {"#If twins with other declarations of the name between them are one declaration",
     "Type=Exe\nStartup=\"Sub Main\"\nModule=modA; a.bas\nClass=clsA; c.cls\n",
     {{"c.cls",
       "VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"clsA\"\n#If VBA7 Then\n"
       "Public Property Get Size() As Long\nEnd Property\n"
       "Public Property Let Size(ByVal v As Long)\nEnd Property\n#Else\n"
       "Public Property Get Size() As Long\nEnd Property\n"
       "Public Property Let Size(ByVal v As Long)\nEnd Property\n#End If\n"},
      {"a.bas",
       "Attribute VB_Name = \"modA\"\nSub Main()\n  Dim c As New clsA\n  c.Size = c.Size\n"
       "End Sub\n"}},
     "unused",
     "c.cls:13:32: unused parameter clsA.Size.v\n"},
    {"Global variables and constants are Public ones of their standard module",
     "Type=Exe\nModule=modA; a.bas\nModule=modB; b.bas\n",
     {{"a.bas",
       "Attribute VB_Name = \"modA\"\nOption Explicit\n"
       "Global gCount As Long, gNames(1 To 3) As String ' two\nGlobal Const gMax = 5\n"
       "global gSpare%: Global _\n  gLast\nSub Helper()\n  Global = 1\nEnd Sub\n"},
      {"b.bas",
       "Attribute VB_Name = \"modB\"\nOption Explicit\nSub Main()\n"
       "  gCount = gMax + UBound(gNames)\n  modA.gCount = gLast\nEnd Sub\n"}},
     "unused",
     "a.bas:5:8: unused variable modA.gSpare\n"
     "a.bas:7:5: unused sub modA.Helper\n"
     "b.bas:3:5: unused sub modB.Main\n"},
    {"a Global variable's uses across modules",
     "Type=Exe\nModule=modA; a.bas\nModule=modB; b.bas\n",
     {{"a.bas", "Attribute VB_Name = \"modA\"\nGlobal gCount As Long, gNames(1 To 3) As String\n"},
      {"b.bas",
       "Attribute VB_Name = \"modB\"\nSub Main()\n  gCount = UBound(gNames)\n"
       "  modA.gCount = gCount + 1\nEnd Sub\n"}},
     "refs=gCount",
     "a.bas:2:8: declaration: Global gCount As Long, gNames(1 To 3) As String\n"
     "b.bas:3:3: write: gCount = UBound(gNames)\n"
     "b.bas:4:8: write: modA.gCount = gCount + 1\n"
     "b.bas:4:17: read: modA.gCount = gCount + 1\n"},
};

TEST(CrossReferences, AnswersFollowTheResolutionRules) {
  test::CheckCases(kCases, "xref");
}

TEST(CrossReferences, ExternalNamesAreCountedNeverErrors) {
  const Case c{"external",
               "Type=Exe\nModule=modA; a.bas\n",
               {{"a.bas",
                 "Attribute VB_Name = \"modA\"\nOption Explicit\nSub S()\n"
                 "  MsgBox Format$(Now, \"yyyy\"): MsgBox Len(x)\n  Err.Raise 5\nEnd Sub\n"
                 // The words of statements, a Declare's library and bang fields are no names.
                 "Private Sub T(rs As Object, f As Integer, s As String)\n"
                 "  Open s For Append Access Write Shared As #f\n  Print #f, Spc(2); Tab(4); s\n"
                 "  Line Input #f, s: Input #f, s: Get #f, 1, s: Put #f, , s: Write #f, s\n"
                 "  Width #f, 80: Seek #f, 1: Lock #f: Unlock #f: Close #f\n"
                 "  Name s As s: Beep: ChDir s: MkDir s: Load rs: Error 5\n"
                 "  s = rs!Name: rs![Full Name] = s\n  With rs\n    !Total = !Count\n  End With\n"
                 "  T rs, f, s\nEnd Sub\n"
                 "Private Declare Function GetTick Lib \"kernel32\" Alias \"GetTickCount\" () As "
                 "Long\nGlobal gTotal As Long\n"}},
               "unused",
               ""};
  clsVBInfo info;
  int status = -1;
  EXPECT_EQ(Answer(c, status, info, "xref-external"),
            "a.bas:3:5: unused sub modA.S\n"
            "a.bas:19:26: unused declare modA.GetTick\n");
  std::vector<std::pair<std::string, uint32_t>> expected = {
      {"MsgBox", 2}, {"Format", 1}, {"Now", 1}, {"x", 1}, {"Err", 1}};
  EXPECT_EQ(info.CrossRefs().external, expected);
  EXPECT_EQ(info.CrossRefs().unresolvedMembers, 5u);  // Raise of Err, four bang fields
}

// The export carries the same answers: uses (as [line, column, kind, from, file], what the
// declaration implies left out), exposure, calls, labels, controls' handlers, implicit locals and
// the external names.
TEST(CrossReferences, TheExportCarriesUsesCallsAndExternalNames) {
  TestFolder dir("xref-json");
  dir.Write("f.frm",
            Crlf("VERSION 5.00\nBegin VB.Form frmA\n   Begin VB.CommandButton cmdGo\n   End\nEnd\n"
                 "Attribute VB_Name = \"frmA\"\nPrivate Sub cmdGo_Click()\n  n = Twice(2)\n"
                 "  MsgBox n\nEnd Sub\nPublic Function Twice(ByVal v As Long) As Long\n"
                 "  Twice = v * 2\nEnd Function\n"));
  dir.Write("a.bas",
            Crlf("Attribute VB_Name = \"modA\"\nGlobal gTotal As Long\nSub Go()\n"
                 "  On Error GoTo Done\n  x = frmA.Twice(3): gTotal = x\nDone:\nEnd Sub\n"));
  const std::string vbp = dir.Write("P.vbp", "Type=Exe\r\nForm=f.frm\r\nModule=modA; a.bas\r\n");
  clsVBInfo info;
  info.Settings().outDir = dir / "out";
  info.Settings().crossReferences = true;
  info.GetFileInfo(vbp);
  ASSERT_TRUE(info.ReportWritten()) << info.FailureReason();
  std::string path, reason;
  ASSERT_TRUE(WriteRunProjectJson(info, vbp, ExportOptions{}, path, reason)) << reason;
  rapidjson::Document doc;
  doc.Parse(ReadFile(path).c_str());
  ASSERT_FALSE(doc.HasParseError());
  const rapidjson::Value& module = doc["modules"][0];
  const rapidjson::Value& control = module["controls"][1];
  EXPECT_EQ(Compact(control["handlers"]), "[\"cmdGo_Click\"]");
  EXPECT_EQ(Compact(control["uses"]), "[[7,13,\"read\",\"frmA.cmdGo_Click\"]]");
  const rapidjson::Value& click = module["declarations"][0];
  EXPECT_EQ(Compact(click["calls"]), "[\"frmA.Twice\"]");
  EXPECT_EQ(Compact(click["locals"][0]),
            "{\"name\":\"n\",\"kind\":\"implicit\",\"line\":8,\"column\":3,\"uses\":[[8,3,"
            "\"write\"],[9,10]],\"exposure\":\"used\"}");
  EXPECT_EQ(Compact(click["labels"]), "[]");
  const rapidjson::Value& twice = module["declarations"][1];
  EXPECT_EQ(std::string(twice["exposure"].GetString()), "used");
  EXPECT_EQ(Compact(twice["parameters"][0]["uses"]), "[[12,11]]");
  // A use in another module names its file.
  EXPECT_EQ(Compact(twice["uses"]),
            "[[8,7,\"call\",\"frmA.cmdGo_Click\"],[5,12,\"call\",\"modA.Go\",\"a.bas\"]]");
  EXPECT_EQ(
      Compact(doc["modules"][1]["declarations"][0]["labels"]),
      "[{\"name\":\"Done\",\"line\":6,\"column\":1,\"uses\":[[4,17]],\"exposure\":\"used\"}]");
  // A Global variable, which the analysis keeps no record of, follows the records' declarations.
  EXPECT_EQ(Compact(doc["modules"][1]["declarations"][1]),
            "{\"name\":\"gTotal\",\"kind\":\"variable\",\"scope\":\"\",\"type\":\"Long\","
            "\"signature\":\"Global gTotal As Long\",\"line\":2,\"column\":8,\"uses\":[[5,22,"
            "\"write\",\"modA.Go\"]],\"exposure\":\"used\",\"parameters\":[],\"members\":[],"
            "\"locals\":[]}");
  EXPECT_EQ(Compact(doc["external"]), "[{\"name\":\"MsgBox\",\"count\":1}]");
  // Indented, the uses (written as composed text) are the same values.
  ExportOptions pretty;
  pretty.pretty = true;
  ASSERT_TRUE(WriteRunProjectJson(info, vbp, pretty, path, reason)) << reason;
  rapidjson::Document indented;
  indented.Parse(ReadFile(path).c_str());
  ASSERT_FALSE(indented.HasParseError());
  EXPECT_TRUE(indented == doc);
}

// The sample: what its code really uses, and a run whose report stays as it was.
TEST(CrossReferences, SampleProjectAnswers) {
  clsVBInfo info;
  info.Settings().crossReferences = true;
  info.Settings().writeReport = false;
  info.GetFileInfo(QS_SOURCE_DIR "/examples/Inventory/Inventory.vbp");
  ASSERT_TRUE(info.RunCompleted());
  std::ostringstream out, err;
  EXPECT_EQ(AnswerRefs(info.Analysis(), "modMain.IsDirty", "", out, err), kRefsFound);
  EXPECT_EQ(out.str(),
            "Modules/modMain.bas:178:21: declaration: Public Property Get IsDirty() As Boolean\n"
            "Modules/modMain.bas:182:21: declaration: Public Property Let IsDirty(ByVal bValue As "
            "Boolean)\n"
            "frmMain.frm:164:34: call: Me.Caption = APP_TITLE & IIf(IsDirty, \" *\", \"\")\n"
            "frmMain.frm:194:8: call: If IsDirty Then\n"
            "frmMain.frm:224:5: call: IsDirty = True\n"
            "frmMain.frm:228:5: call: IsDirty = True\n"
            "frmMain.frm:243:5: call: IsDirty = False\n"
            "frmMain.frm:258:9: call: IsDirty = True\n");
  out.str("");
  EXPECT_EQ(AnswerRefs(info.Analysis(), "ctlQuantity.Min", "", out, err), kRefsFound);
  EXPECT_NE(out.str().find("Controls/ppgQuantity.pag:60:13: call: ctl.Min = Val(txtMin.Text)\n"),
            std::string::npos)
      << out.str();
  out.str("");
  AnswerUnused(info.Analysis(), false, "", out);
  // Handlers, the startup Sub Main and exposed class members are never listed unused.
  for (const char* kept : {"Form_Load", "mnuFileExit_Click", "modMain.Main ", "clsItem.Clone",
                           "cnInventory_WillConnect"})
    EXPECT_EQ(out.str().find(kept), std::string::npos) << kept << "\n" << out.str();
  EXPECT_NE(out.str().find("unused constant frmMain.COL_SKU\n"), std::string::npos);
}

// Inputs that could make a resolver rescan: work (yield points) doubles with the input.
TEST(CrossReferences, WorkGrowsLinearlyOnHostileInput) {
  const auto work = [](const std::string& tag, const std::string& code) {
    TestFolder dir("xref-bounds-" + tag);
    dir.Write("m.bas", "Attribute VB_Name = \"modM\"\r\n" + code);
    dir.Write("P.vbp", "Module=modM; m.bas\r\n");
    clsVBInfo info;
    info.Settings().crossReferences = true;
    info.Settings().writeReport = false;
    info.Settings().loadThreads = 1;
    const uint64_t before = YieldPointChecks();
    info.GetFileInfo(dir / "P.vbp");
    EXPECT_TRUE(info.RunCompleted()) << tag;
    return YieldPointChecks() - before;
  };
  const std::pair<const char*, std::string (*)(int)> shapes[] = {
      {"one-name-used-often",
       [](int n) {
         std::string code = "Public Counter As Long\r\nSub S()\r\n";
         for (int i = 0; i < n; ++i) code += "  Counter = Counter + 1\r\n";
         return code + "End Sub\r\n";
       }},
      {"long-chain",
       [](int n) {
         std::string code = "Private Type T\r\n  Self As Long\r\nEnd Type\r\nSub S(x As T)\r\n  x";
         for (int i = 0; i < n; ++i) code += ".Self";
         return code + " = 1\r\nEnd Sub\r\n";
       }},
      {"recursion-and-self-reference",
       [](int n) {
         std::string code;
         for (int i = 0; i < n; ++i) {
           const std::string k = std::to_string(i);
           code += "Const C" + k + " = C" + k + " + 1\r\nFunction F" + k + "() As Long\r\n  F" + k +
                   " = F" + k + "() + C" + k + "\r\nEnd Function\r\n";
         }
         return code;
       }},
      {"unresolvable-chains-and-withs",
       [](int n) {
         std::string code = "Sub S()\r\n";
         for (int i = 0; i < n; ++i) code += "  With a.b(c).d!e\r\n  .f.g = .h(.i)\r\n";
         return code + "End Sub\r\n";
       }},
      {"same-name-everywhere",
       [](int n) {
         std::string code;
         for (int i = 0; i < n; ++i)
           code += "Public Enum E" + std::to_string(i) + "\r\n  Same\r\nEnd Enum\r\n";
         return code + "Sub S()\r\n  x = Same\r\nEnd Sub\r\n";
       }},
  };
  for (const auto& [tag, shape] : shapes) {
    const uint64_t w1 = work(std::string(tag) + "-1", shape(5000));
    const uint64_t w2 = work(std::string(tag) + "-2", shape(10000));
    EXPECT_LE(w2 * 2, w1 * 5) << tag << ": " << w1 << " -> " << w2;
    EXPECT_GE(w2 * 2, w1 * 3) << tag << ": " << w1 << " -> " << w2;
  }
}

}  // namespace
}  // namespace qs
