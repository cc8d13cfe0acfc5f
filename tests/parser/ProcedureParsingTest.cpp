// Procedures: headers, parameter lists, return types, bodies with their locals, events and
// external declarations, each checked as the whole module entry it produces.
#include <gtest/gtest.h>

#include "parser/AnalysisTestUtil.h"

namespace qs::testing {
namespace {

struct Case {
  const char* code;
  const char* expected;
};

void RunCases(const Case* cases, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    SCOPED_TRACE(cases[i].code);
    EXPECT_EQ(Declarations(cases[i].code), cases[i].expected);
  }
}

TEST(ProcedureParsing, HeadersAndPassingModes) {
  const Case cases[] = {
      {"Private Function F(ByVal a As Long, Optional b As String = \"x\", "
       "ParamArray c() As Variant) As Boolean\r\nEnd Function\r\n",
       "EFunction: Private Function F(local a#2 As Long, local b#4 As String, "
       "local c#5 As Variant) -> Boolean Dim[] Const[]"},
      {"Sub S(Optional ByVal d As Integer, e As Long, ByRef f As Long)\r\nEnd Sub\r\n",
       "ESub: Public Sub S(local d#3 As Integer, local e#1 As Long, local f#1 As Long) Dim[] "
       "Const[]"},
      {"Sub S(a As Lib1.Class1, b As Class2, c As Any)\r\nEnd Sub\r\n",
       "ESub: Public Sub S(local a#1 As Lib1.Class1, local b#1 As Class2, local c#1) Dim[] "
       "Const[]"},
      {"Sub Main\r\nEnd Sub\r\n", "ESub: Public Sub Main Dim[] Const[]"},
      {"Sub Empty()\r\nEnd Sub\r\n", "ESub: Public Sub Empty() Dim[] Const[]"},
      {"Public Property Let Value(ByVal v As Variant)\r\nEnd Property\r\n"
       "Public Property Get Value() As Variant\r\nEnd Property\r\n"
       "Friend Property Set Obj(ByVal o As Object)\r\nEnd Property\r\n",
       "EProperty: Public Let Value(local v#2 As Variant) Dim[] Const[], "
       "Public Get Value() -> Variant Dim[] Const[], "
       "Friend Set Obj(local o#2 As Object) Dim[] Const[]"},
      {"Event Changed(ByVal NewValue As String)\r\n",
       "EEvent: Public Sub Changed(local NewValue#2 As String)"},
      {"Public Event Done()\r\nPrivate Sub After()\r\nEnd Sub\r\n",
       "ESub: Private Sub After() Dim[] Const[]; EEvent: Public Sub Done()"},
      {"Function G(x As Long) As Lib1.Result\r\nEnd Function\r\n",
       "EFunction: Public Function G(local x#1 As Long) -> Lib1.Result Dim[] Const[]"},
      {"Function NoType()\r\nEnd Function\r\n",
       "EFunction: Public Function NoType() Dim[] Const[]"},
  };
  RunCases(cases, std::size(cases));
}

TEST(ProcedureParsing, ModesBelongToTheirOwnParameter) {
  const Case cases[] = {
      {"Sub F(Optional a, b As Long)\r\nEnd Sub\r\n",
       "ESub: Public Sub F(local a#4, local b#1 As Long) Dim[] Const[]"},
      {"Sub F(ByVal a%, ByVal b, c$)\r\nEnd Sub\r\n",
       "ESub: Public Sub F(local a#2 As Integer, local b#2, local c#1 As String) Dim[] Const[]"},
      {"Sub F(ByVal Slot As Byte, Object As t_UserOBJ)\r\nEnd Sub\r\n",
       "ESub: Public Sub F(local Slot#2 As Byte, local Object#1 As t_UserOBJ) Dim[] Const[]"},
      {"Sub F(ByVal Name As String, Optional Step As Long = 1)\r\nEnd Sub\r\n",
       "ESub: Public Sub F(local Name#2 As String, local Step#4 As Long) Dim[] Const[]"},
  };
  RunCases(cases, std::size(cases));
}

TEST(ProcedureParsing, DefaultValues) {
  const Case cases[] = {
      {"Sub F(Optional n As Long = DEFAULT_N)\r\nEnd Sub\r\n",
       "ESub: Public Sub F(local n#4 As Long, default DEFAULT_N) Dim[] Const[]"},
      {"Sub F(Optional c As Long = &H8000000F, Optional o As Long = &O17)\r\nEnd Sub\r\n",
       "ESub: Public Sub F(local c#4 As Long, local o#4 As Long) Dim[] Const[]"},
      {"Sub F(Optional f As Long = A Or B Or C, Optional g As Double = 1E-06)\r\nEnd Sub\r\n",
       "ESub: Public Sub F(local f#4 As Long, default A, local g#4 As Double) Dim[] Const[]"},
      {"Sub F(Optional s As String = \"a,b\", Optional t As Boolean = True, "
       "Optional u As Long = Max(1, 2))\r\nEnd Sub\r\n",
       "ESub: Public Sub F(local s#4 As String, local t#4 As Boolean, local u#4 As Long, "
       "default Max) Dim[] Const[]"},
      {"Sub F(Optional k As Long = Module1.K_DEF, z As Long)\r\nEnd Sub\r\n",
       "ESub: Public Sub F(local k#4 As Long, default Module1, local z#1 As Long) Dim[] Const[]"},
  };
  RunCases(cases, std::size(cases));
}

TEST(ProcedureParsing, TypeSuffixesAndKeywordNames) {
  const Case cases[] = {
      {"Function F$(a%)\r\nEnd Function\r\n",
       "EFunction: Public Function F(local a#1 As Integer) -> String Dim[] Const[]"},
      {"Public Sub Reset()\r\nEnd Sub\r\nSub Unload()\r\nEnd Sub\r\n",
       "ESub: Public Sub Reset() Dim[] Const[], Public Sub Unload() Dim[] Const[]"},
      {"Property Get Object() As Object\r\nEnd Property\r\n",
       "EProperty: Public Get Object() -> Object Dim[] Const[]"},
      {"Sub Randomize()\r\nEnd Sub\r\nFunction Step() As Long\r\nEnd Function\r\n",
       "ESub: Public Sub Randomize() Dim[] Const[]; "
       "EFunction: Public Function Step() -> Long Dim[] Const[]"},
  };
  RunCases(cases, std::size(cases));
}

TEST(ProcedureParsing, BodiesAndLocals) {
  const Case cases[] = {
      {"Sub S()\r\n  Dim i As Long\r\n  Static n As Integer\r\n  Const K = 3\r\n"
       "  If i > 0 Then\r\n    Dim j As String, q\r\n  End If\r\n  x = 1\r\nEnd Sub\r\n",
       "ESub: Public Sub S() Dim[S i As Long, S n As Integer, S j As String, S q] "
       "Const[S Const K As Long]"},
      // A local Const right before End Sub does not swallow the procedures after it.
      {"Sub A()\r\n  Const K = 1\r\nEnd Sub\r\nSub B()\r\nEnd Sub\r\n",
       "ESub: Public Sub A() Dim[] Const[A Const K As Long], Public Sub B() Dim[] Const[]"},
      {"Sub A()\r\nConst K = 1\r\nDim x As Long\r\nConst L = \"s\", M = 2\r\nStatic y\r\n"
       "End Sub\r\n",
       "ESub: Public Sub A() Dim[A x As Long, A y] Const[A Const K As Long, A Const L As String, "
       "A Const M As Long]"},
      {"Function F() As Long\r\n  With x\r\n  End With\r\n  Select Case y\r\n  End Select\r\n"
       "  If a Then End\r\n  Dim z As Long\r\nEnd Function\r\n",
       "EFunction: Public Function F() -> Long Dim[F z As Long] Const[]"},
      {"Sub S()\r\n#If DEBUG Then\r\n  Dim d As Long\r\n#Const X = 1\r\n#End If\r\nEnd Sub\r\n",
       "ESub: Public Sub S() Dim[S d As Long] Const[]"},
      // A procedure without End takes the rest of the file as its body.
      {"Sub S()\r\n  Dim a As Long\r\nSub T()\r\n",
       "ESub: Public Sub S() Dim[S a As Long] Const[]"},
      {"Sub S(): Dim a As Long: End Sub\r\nDim m As Long\r\n",
       "EVar: Private m As Long; ESub: Public Sub S() Dim[S a As Long] Const[]"},
  };
  RunCases(cases, std::size(cases));
}

TEST(ProcedureParsing, ChainsAndContinuationsInParameterLists) {
  const Case cases[] = {
      {"Function F(a As A.B.C) As Long\r\nEnd Function\r\n",
       "EFunction: Public Function F(local a#1 As A.B.C) -> Long Dim[] Const[]"},
      {"Sub S(ByVal a As Long, _\r\n      ByVal b As _\r\n      String, _\r\n"
       "      Optional c As Long)\r\nEnd Sub\r\n",
       "ESub: Public Sub S(local a#2 As Long, local b#2 As String, local c#4 As Long) Dim[] "
       "Const[]"},
      {"Function F(x As Long) _\r\n    As String\r\nEnd Function\r\n",
       "EFunction: Public Function F(local x#1 As Long) -> String Dim[] Const[]"},
      {"Sub S(s As String * 10, t As Long)\r\nEnd Sub\r\n",
       "ESub: Public Sub S(local s#1 As String, local t#1 As Long) Dim[] Const[]"},
      {"Sub S([Name] As String)\r\nEnd Sub\r\n",
       "ESub: Public Sub S(local Name#1 As String) Dim[] Const[]"},
  };
  RunCases(cases, std::size(cases));
}

TEST(ProcedureParsing, Declares) {
  const Case cases[] = {
      {"Private Declare Function GetTickCount Lib \"kernel32\" () As Long\r\n",
       "EDeclare: Private Function GetTickCount() -> Long Lib \"kernel32\""},
      {"Declare Function Beep Lib \"kernel32\" (ByVal f As Long, ByVal d As Long) As Long\r\n",
       "EDeclare: Public Function Beep(local f#2 As Long, local d#2 As Long) -> Long Lib "
       "\"kernel32\""},
      {"Declare Function GetLCID% Lib \"kernel32\" ()\r\n",
       "EDeclare: Public Function GetLCID() -> Integer Lib \"kernel32\""},
      {"Public Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)\r\n",
       "EDeclare: Public Sub Sleep(local ms#2 As Long) Lib \"kernel32\""},
      {"Private Declare Function SendMessage Lib \"user32\" _\r\n    Alias \"SendMessageA\" _\r\n"
       "    (ByVal hwnd As Long, _\r\n     ByVal wMsg As Long, lParam As Any) As Long\r\n",
       "EDeclare: Private Function SendMessage(local hwnd#2 As Long, local wMsg#2 As Long, "
       "local lParam#1) -> Long Lib \"user32\" Alias \"SendMessageA\""},
      {"Private Declare PtrSafe Function GetTickCount Lib \"kernel32\" () As LongPtr\r\n"
       "Sub After()\r\nEnd Sub\r\n",
       "ESub: Public Sub After() Dim[] Const[]; "
       "EDeclare: Private Function GetTickCount() -> LongPtr Lib \"kernel32\""},
      {"#If VBA7 Then\r\nPrivate Declare PtrSafe Sub Sleep Lib \"kernel32\" (ByVal ms As Long)\r\n"
       "#Else\r\nPrivate Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)\r\n#End If\r\n",
       "EDeclare: Private Sub Sleep(local ms#2 As Long) Lib \"kernel32\", "
       "Private Sub Sleep(local ms#2 As Long) Lib \"kernel32\""},
      {"Declare Function NoLib (ByVal a As Long) As Long\r\n", "EDeclare: Public Function NoLib"},
  };
  RunCases(cases, std::size(cases));
}

TEST(ProcedureParsing, PositionsOfProceduresAndParameters) {
  Analysed a = AnalyseModule("Function Calc(ByVal n As Long, m) As Double\r\nEnd Function\r\n");
  ASSERT_NE(a.entry, nullptr);
  auto f = a.entry->EFunction.Item(1L);
  ASSERT_NE(f, nullptr);
  const auto& ts = *a.stream;
  EXPECT_EQ(f->lEntryptr, PositionOf(ts, "Calc"));
  // The last parameter type was a built-in keyword: its declarator position is 0.
  EXPECT_EQ(f->lEntryTypePtr, 0);
  EXPECT_EQ(f->Parameters->Item(1L)->lEntryptr, PositionOf(ts, "n"));
  EXPECT_EQ(f->Parameters->Item(1L)->lEntryTypePtr, 0);
  EXPECT_EQ(f->Parameters->Item(2L)->lEntryptr, PositionOf(ts, "m"));
  EXPECT_EQ(f->lProcStartPtr, 0);
  EXPECT_EQ(f->lProcEndPtr, 0);

  Analysed b = AnalyseModule(
      "Function G(c As Widget) As Double\r\nEnd Function\r\n"
      "Function H() As Long\r\nEnd Function\r\n");
  auto g = b.entry->EFunction.Item(1L);
  EXPECT_EQ(g->Parameters->Item(1L)->lEntryTypePtr, PositionOf(*b.stream, "Widget"));
  EXPECT_EQ(g->lEntryTypePtr, PositionOf(*b.stream, "Widget"));
  auto h = b.entry->EFunction.Item(2L);
  EXPECT_EQ(h->lEntryTypePtr, PositionOf(*b.stream, "H"));
}

}  // namespace
}  // namespace qs::testing
