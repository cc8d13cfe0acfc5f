// The conditions of #If lines as the compiler evaluates them: values, operators and their
// precedence, constants, and what cannot be evaluated.
#include <gtest/gtest.h>

#include <string>

#include "analysis/CompileConstants.h"

namespace qs {
namespace {

struct Row {
  const char* expression;
  bool evaluates;
  double number;               // the value when it evaluates to a number
  const char* text = nullptr;  // the value when it evaluates to a string
};

TEST(CompileConstants, EvaluatesAsTheCompilerDoes) {
  CompileConstants c;
  ASSERT_TRUE(c.DefineAll("DEBUG = 1 : Level = 3 : Name = \"a:b\""));
  ASSERT_TRUE(c.Define("Twice", "level * 2"));
  const Row rows[] = {
      // Values and constants (names in any letter case; unknown names are Empty).
      {"42", true, 42},
      {"&H10", true, 16},
      {"&HFFFF", true, -1},
      {"&HFFFF&", true, 65535},
      {"&O17", true, 15},
      {"True", true, -1},
      {"false", true, 0},
      {"debug", true, 1},
      {"TWICE", true, 6},
      {"Win32", true, -1},
      {"Win16", true, 0},
      {"VBA7", true, 0},
      {"Name", true, 0, "a:b"},
      {"\"x\"\"y\"", true, 0, "x\"y"},
      // Precedence: * before +, comparison before Not, Not before And, And before Or ...
      {"1 + 2 * 3", true, 7},
      {"(1 + 2) * 3", true, 9},
      {"-2 ^ 2", true, -4},
      {"7 \\ 2 + 7 Mod 4", true, 6},
      {"7 / 2", true, 3.5},
      {"10 - 4 - 3", true, 3},
      {"Not 1 = 2", true, -1},
      {"Not 0", true, -1},
      {"Not 1", true, -2},
      {"1 Or 2 And 0", true, 1},
      {"True Xor True Or False", true, 0},
      {"False Imp False", true, -1},
      {"True Imp False", true, 0},
      {"5 Eqv 5", true, -1},
      {"Level >= 3 And Level <> 4", true, -1},
      {"Level < 3 Or Debug = 1", true, -1},
      {"Name = \"a:b\"", true, -1},
      {"VBA7 = \"\"", true, -1},
      {"\"a\" < \"b\"", true, -1},
      {"\"a\" & 1", true, 0, "a1"},
      {"\"a\" + \"b\"", true, 0, "ab"},
      // What cannot be evaluated.
      {"", false, 0},
      {"1 +", false, 0},
      {"(1", false, 0},
      {"1 2", false, 0},
      {"Len(\"x\")", false, 0},
      {"1 / 0", false, 0},
      {"1 \\ 0", false, 0},
      {"1 Mod 0", false, 0},
      {"\"a\" = 1", false, 0},
      {"\"a\" * 2", false, 0},
      {"Not", false, 0},
      {"And 1", false, 0},
      {"&HZ", false, 0},
      {"1 ? 2", false, 0},
      {"\"open", false, 0},
      {"10 ^ 400", false, 0},
  };
  for (const Row& r : rows) {
    CompileConstants::Value v;
    EXPECT_EQ(c.Evaluate(r.expression, v), r.evaluates) << r.expression;
    if (!r.evaluates) continue;
    if (r.text) {
      EXPECT_EQ(v.kind, CompileConstants::Value::Kind::kString) << r.expression;
      EXPECT_EQ(v.text, r.text) << r.expression;
    } else {
      EXPECT_NE(v.kind, CompileConstants::Value::Kind::kString) << r.expression;
      EXPECT_DOUBLE_EQ(v.number, r.number) << r.expression;
    }
  }
}

TEST(CompileConstants, DefinitionsConditionsAndHostileInput) {
  CompileConstants c;
  // A bad part of a CondComp line is reported; the good ones stand.
  EXPECT_FALSE(c.DefineAll("A = 1 : B = ( : = 2 : C"));
  EXPECT_EQ(c.Lookup("a").number, 1);
  EXPECT_EQ(c.Lookup("B").kind, CompileConstants::Value::Kind::kEmpty);
  // A later definition replaces the earlier one; names must be names.
  EXPECT_TRUE(c.Define("a", "A + 1"));
  EXPECT_EQ(c.Lookup("A").number, 2);
  EXPECT_FALSE(c.Define("1x", "1"));
  EXPECT_FALSE(c.Define("", "1"));
  EXPECT_FALSE(CompileConstants::IsName("a-b"));
  EXPECT_TRUE(CompileConstants::IsName("Win_64"));
  // A condition holds when its value is not zero; a string is no condition.
  bool holds = false;
  EXPECT_TRUE(c.Condition("A - 2", holds));
  EXPECT_FALSE(holds);
  EXPECT_TRUE(c.Condition("A", holds));
  EXPECT_TRUE(holds);
  EXPECT_FALSE(c.Condition("\"x\"", holds));
  // Deep nesting is refused, not followed down the stack.
  const std::string deep = std::string(100000, '(') + "1" + std::string(100000, ')');
  EXPECT_FALSE(c.Condition(deep, holds));
  EXPECT_FALSE(c.Condition(std::string(100000, '-') + "1", holds));
  EXPECT_FALSE(c.Condition(std::string(50000, 'N') + "ot 1", holds));
  std::string nots;
  for (int i = 0; i < 1000; ++i) nots += "Not ";
  EXPECT_FALSE(c.Condition(nots + "0", holds));
  EXPECT_TRUE(c.Condition(std::string(60, '(') + "1" + std::string(60, ')'), holds));
}

}  // namespace
}  // namespace qs
