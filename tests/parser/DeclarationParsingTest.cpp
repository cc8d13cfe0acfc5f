// Module-level declarations: variables, constants, enumerations, types and Option statements,
// each checked as the whole module entry it produces (so nothing extra may be recorded).
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

TEST(DeclarationParsing, Variables) {
  const Case cases[] = {
      {"Private WithEvents m_oDoc As Document\r\n", "EVar: Private m_oDoc As Document"},
      {"Public x As Integer, y As New Collection\r\n",
       "EVar: Public x As Integer, Public y As Collection"},
      {"Dim d As Date, a As Any, n As Long\r\n",
       "EVar: Private d As Date, Private a, Private n As Long"},
      {"Dim c As ADODB.Recordset\r\n", "EVar: Private c As ADODB.Recordset"},
      {"Dim x As A.B.C\r\n", "EVar: Private x As A.B.C"},
      {"Friend f As Long\r\n", "EVar: Friend f As Long"},
      {"Public Static k As Long\r\n", "EVar: Public k As Long"},
      {"WithEvents w As Timer\r\n", "EVar: Private w As Timer"},
      {"Dim\r\nDim z As Long\r\n", "EVar: Private z As Long"},
      {"Global g As Long\r\n", ""},
  };
  RunCases(cases, std::size(cases));
}

TEST(DeclarationParsing, DeclaratorsWithoutAsAreRecordedWithTheirSuffixType) {
  const Case cases[] = {
      {"Dim v\r\n", "EVar: Private v"},
      {"Dim x%\r\n", "EVar: Private x As Integer"},
      {"Public a, b As Long\r\n", "EVar: Public a, Public b As Long"},
      {"Dim a As Long, b\r\n", "EVar: Private a As Long, Private b"},
      {"Dim a&, b!, c#, d@, e$, f%\r\n",
       "EVar: Private a As Long, Private b As Single, Private c As Double, "
       "Private d As Currency, Private e As String, Private f As Integer"},
      {"Dim arr$(10), n\r\n", "EVar: Private arr As String, Private n"},
  };
  RunCases(cases, std::size(cases));
}

TEST(DeclarationParsing, ContinuationsFixedStringsSubscriptsAndChains) {
  const Case cases[] = {
      {"Dim x As Long, _\r\n    y As Long\r\n", "EVar: Private x As Long, Private y As Long"},
      {"Dim s As _\r\n    String, t As Byte\r\n", "EVar: Private s As String, Private t As Byte"},
      {"Dim s As String * 20, t As Long\r\n", "EVar: Private s As String, Private t As Long"},
      {"Dim s As String * MAX_LEN, t As Long\r\n", "EVar: Private s As String, Private t As Long"},
      {"Dim a(UBound(b)) As Long, c As Integer\r\n",
       "EVar: Private a As Long, Private c As Integer"},
      {"Dim m(1 To 3, 0 To (n - 1)) As Double\r\n", "EVar: Private m As Double"},
      // An unclosed subscript ends with its line; the next line is read as usual.
      {"Dim a(1 To 3\r\nDim b As Long\r\n", "EVar: Private a, Private b As Long"},
      {"Dim a(1 To _\r\n 3) As Long\r\n", "EVar: Private a As Long"},
      {"Dim u As A.B.C, v As Long\r\n", "EVar: Private u As A.B.C, Private v As Long"},
      // A chain never takes a name from the next line.
      {"Dim t As A.B.C\r\nFoo.Bar\r\nDim w As Long\r\n",
       "EVar: Private t As A.B.C, Private w As Long"},
      {"Dim o As Excel.Application, _\r\n p As Object\r\n",
       "EVar: Private o As Excel.Application, Private p As Object"},
  };
  RunCases(cases, std::size(cases));
}

TEST(DeclarationParsing, Constants) {
  const Case cases[] = {
      {"Const K = 3\r\n", "EConst: Const K As Long"},
      {"Private Const S As String = \"abc\"\r\n", "EConst: Private Const S As String"},
      {"Public Const P As MyEnum = 1\r\n", "EConst: Public Const P As MyEnum"},
      {"Const A = 1, B = 2\r\n", "EConst: Const A As Long, Const B As Long"},
      {"Const A As MyEnum = 1, B As MyEnum = 2\r\n",
       "EConst: Const A As MyEnum, Const B As MyEnum"},
      {"Const S = \"x\", T = 5, U = \"a\" & \"b\", V$ = \"a\" & \"b\", W# = 1\r\n",
       "EConst: Const S As String, Const T As Long, Const U As Long, Const V As String, "
       "Const W As Double"},
      // A "," inside parentheses belongs to the value.
      {"Const A = IIf(x, 1, 2), B = 3\r\n", "EConst: Const A As Long, Const B As Long"},
      {"Const A = 1, _\r\n      B = 2\r\n", "EConst: Const A As Long, Const B As Long"},
      {"Const A = 1 + _\r\n    2\r\nDim b As Long\r\n",
       "EVar: Private b As Long; EConst: Const A As Long"},
      {"Const Z = &H8000000F\r\n", "EConst: Const Z As Long"},
      {"Const F = 1E-06\r\n", "EConst: Const F As Long"},
      {"Const Q As String * 2 = \"ab\"\r\n", "EConst: Const Q As String"},
      {"Const N As Lib1.Kind = 1\r\n", "EConst: Const N As Lib1.Kind"},
      // The last line of a file without a line end.
      {"Const L = 7", "EConst: Const L As Long"},
  };
  RunCases(cases, std::size(cases));
}

TEST(DeclarationParsing, EnumsAndTypes) {
  const Case cases[] = {
      {"Enum E\r\n  A = 1\r\n  B\r\nEnd Enum\r\n", "EEnum: Public Enum E(A As Long, B As Long)"},
      {"Private Enum Colors\r\n  Red = &HFF\r\n  Green = &HFF00&\r\n  Blue = Red Or Green\r\n"
       "End Enum\r\n",
       "EEnum: Private Enum Colors(Red As Long, Green As Long, Blue As Long)"},
      {"Public Enum E\r\n  [_First] = 0\r\n  Last\r\n  [_Last] = Last\r\nEnd Enum\r\n",
       "EEnum: Public Enum E(_First As Long, Last As Long, _Last As Long)"},
      {"Enum\r\n  A = 1\r\nEnd Enum\r\nDim x As Long\r\n", "EVar: Private x As Long"},
      {"Type T\r\n  x As Long\r\n  y(3) As Single\r\nEnd Type\r\n",
       "EType: Public Type T(x As Long, y As Single)"},
      {"Private Type Slot\r\n  Object(1 To 4) As Slot\r\n  Next As Long\r\n  Case As String\r\n"
       "  Name As String * 32\r\n  Flags%\r\nEnd Type\r\n",
       "EType: Private Type Slot(Object As Slot, Next As Long, Case As String, Name As String, "
       "Flags As Integer)"},
      {"Type U\r\n  a As Lib1.Cls\r\n  b As _\r\n    Long\r\nEnd Type\r\n",
       "EType: Public Type U(a As Lib1.Cls, b As Long)"},
      // A Type block whose End is missing ends at the end of the stream.
      {"Type V\r\n  a As Long\r\n", "EType: Public Type V(a As Long)"},
  };
  RunCases(cases, std::size(cases));
}

TEST(DeclarationParsing, OptionStatementsRecordNothing) {
  const Case cases[] = {
      {"Option Explicit\r\nOption Private Module\r\nOption Base 1\r\nOption Compare Text\r\n"
       "Dim z As Long\r\n",
       "EVar: Private z As Long"},
      {"Option Compare Binary\r\nOption Compare Database\r\n", ""},
  };
  RunCases(cases, std::size(cases));
}

TEST(DeclarationParsing, ConditionalCompilationLinesAreSkippedWhole) {
  const Case cases[] = {
      {"#Const DEBUG = 1\r\nConst REAL = 2\r\n", "EConst: Const REAL As Long"},
      {"Type T\r\n#If Win64 Then\r\n  h As LongPtr\r\n#Else\r\n  h As Long\r\n#End If\r\n"
       "End Type\r\nDim after As Long\r\n",
       "EVar: Private after As Long; EType: Public Type T(h As LongPtr, h As Long)"},
      {"Enum E\r\n  #If A Then\r\n  X = 1\r\n  #End If\r\nEnd Enum\r\n",
       "EEnum: Public Enum E(X As Long)"},
      // Both branches are documented, as written.
      {"#If VBA7 Then\r\nPublic p As LongPtr\r\n#Else\r\nPublic p As Long\r\n#End If\r\n",
       "EVar: Public p As LongPtr, Public p As Long"},
  };
  RunCases(cases, std::size(cases));
}

TEST(DeclarationParsing, PositionsAreTheNamesOwnTokens) {
  Analysed a = AnalyseModule(
      "Const A = 1, B = 2\r\nPublic Enum E\r\n  [_First] = 0\r\nEnd Enum\r\n"
      "Dim v As Long\r\n");
  ASSERT_NE(a.entry, nullptr);
  const auto& ts = *a.stream;
  ASSERT_EQ(a.entry->EConst.Count(), 2);
  EXPECT_EQ(a.entry->EConst.Item(1L)->lEntryptr, PositionOf(ts, "A"));
  EXPECT_EQ(a.entry->EConst.Item(2L)->lEntryptr, PositionOf(ts, "B"));
  EXPECT_EQ(a.entry->EConst.Item(1L)->lEntryTypePtr, 0);
  auto member = a.entry->EEnum.Item(1L)->Parameters->Item(1L);
  EXPECT_EQ(member->lEntryptr, PositionOfCode(ts, '['));
  auto v = a.entry->EVar.Item(1L);
  EXPECT_EQ(v->lEntryptr, PositionOf(ts, "v"));
  EXPECT_EQ(v->lEntryTypePtr, v->lEntryptr);
  EXPECT_EQ(v->eEntrytype, kEntryNotSet);
}

TEST(DeclarationParsing, BracketedNamesInForms) {
  // The form tokenizer makes one token of a bracketed name.
  Analysed a = AnalyseForm("Private Enum E\r\n  [_First] = 0\r\n  [A B]\r\nEnd Enum\r\n");
  ASSERT_NE(a.entry, nullptr);
  EXPECT_EQ(ShowModule(*a.entry), "EEnum: Private Enum E(_First As Long, A B As Long)");
  EXPECT_EQ(a.entry->EEnum.Item(1L)->Parameters->Item(1L)->lEntryptr,
            PositionOf(*a.stream, "[_First]"));
}

TEST(DeclarationParsing, BracketNotClosedOnItsLineIsNoName) {
  // In a form the unclosed bracket runs on as one token to the next "]".
  Analysed a = AnalyseForm("Enum E\r\n  [_First = 0\r\n  B\r\nEnd Enum\r\nDim x As [Z]\r\n");
  ASSERT_NE(a.entry, nullptr);
  EXPECT_EQ(ShowModule(*a.entry), "EEnum: Public Enum E()");
}

}  // namespace
}  // namespace qs::testing
