// The code scan on hostile input: deep nesting, unclosed blocks and token soup must end
// normally, in one pass, with what could be read recorded.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "parser/AnalysisTestUtil.h"

namespace qs::testing {
namespace {

TEST(ScanRobustness, DeepParenthesesEndWithTheirLine) {
  const std::string open(10000, '(');
  const std::string close(10000, ')');
  std::string code = "Dim a" + open + "1" + close + " As Long, b As Long\r\n";
  code += "Sub S(x" + open + close + " As Long, y As Long)\r\nEnd Sub\r\n";
  code += "Dim c" + open + "\r\nDim d As Long\r\n";  // never closed
  EXPECT_EQ(Declarations(code),
            "EVar: Private a As Long, Private b As Long, Private c, Private d As Long; "
            "ESub: Public Sub S(local x#1 As Long, local y#1 As Long) Dim[] Const[]");
}

TEST(ScanRobustness, UnclosedBlocksEndAtTheEndOfTheFile) {
  EXPECT_EQ(Declarations("Enum E\r\n  A\r\n"), "EEnum: Public Enum E(A As Long)");
  EXPECT_EQ(Declarations("Sub S(a As Long"), "ESub: Public Sub S(local a#1 As Long) Dim[] Const[]");
  EXPECT_EQ(Declarations("Declare Function F Lib \"x\" (ByVal a"),
            "EDeclare: Public Function F(local a#2) Lib \"x\"");
  EXPECT_EQ(Declarations("Const A = (1, B = 2\r\nDim z\r\n"),
            "EVar: Private z; EConst: Const A As Long");
  EXPECT_EQ(Declarations("Dim x As A.\r\nDim y\r\n"), "EVar: Private x As A, Private y");
  EXPECT_EQ(Declarations("Public Enum [Open\r\nEnd Enum\r\n"), "");
}

TEST(ScanRobustness, ManyDeclarationsInOneModule) {
  std::string code;
  const int n = 20000;
  for (int i = 0; i < n; ++i) code += "Public v" + std::to_string(i) + " As Long\r\n";
  Analysed a = AnalyseModule(code);
  ASSERT_NE(a.entry, nullptr);
  ASSERT_EQ(a.entry->EVar.Count(), n);
  EXPECT_EQ(a.entry->EVar.Last()->EntryName, "v19999");
  EXPECT_EQ(a.entry->EVar.Last()->ID, n - 1);
}

TEST(ScanRobustness, TokenSoupEndsNormally) {
  // Deterministic soup of declaration words, punctuation and line ends in every order.
  const char* const words[] = {"Dim ",      "Const ",   "Sub ", "Function ", "End ",      "Enum ",
                               "Type ",     "Declare ", "As ",  "(",         ")",         ",",
                               "=",         "_",        "\r\n", "#",         "[",         "]",
                               "x",         "Long ",    "Lib ", "\"s\" ",    "Optional ", ".",
                               "Property ", "Get ",     "&H",   "1E",        "PtrSafe ",  "%"};
  uint32_t state = 12345;
  for (int round = 0; round < 50; ++round) {
    std::string code;
    for (int i = 0; i < 400; ++i) {
      state = state * 1103515245u + 12345u;
      code += words[(state >> 16) % std::size(words)];
    }
    Analysed a = AnalyseModule(code);
    ASSERT_NE(a.entry, nullptr) << code;
  }
}

}  // namespace
}  // namespace qs::testing
