// Name-occurrence lists, the name registry, and the parser's name routines.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ParserTestPeer.h"
#include "parser/ProjectTestUtil.h"
#include "text/TokenCodes.h"
#include "text/clsFixup.h"
#include "text/clsFixups.h"
#include "text/clsTokenStream.h"

namespace qs {
namespace {

using Peer = clsParserTestPeer;

TEST(clsFixup, RecordsAreNumberedAndFoundByExactText) {
  clsFixup list;
  auto a = list.AddTokenString("Alpha", 4);
  auto b = list.AddTokenString("beta", 9);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->ID, "0");
  EXPECT_EQ(b->ID, "1");
  EXPECT_FALSE(a->Fixed);
  EXPECT_EQ(list.Item("1"), b);
  EXPECT_EQ(list.Last(), b);
  EXPECT_TRUE(list.TokenStringExists("Alpha"));
  EXPECT_FALSE(list.TokenStringExists("alpha")) << "text comparison counts letter case";

  b->SymType = "Long";
  b->HasSubscript = true;
  std::string type = "unchanged", typeOf = "unchanged";
  int32_t ptr = -5;
  bool subscript = false;
  EXPECT_FALSE(list.TokenStringExistsEx("gamma", type, ptr, typeOf, subscript));
  EXPECT_EQ(type, "unchanged");
  EXPECT_EQ(ptr, -5);
  EXPECT_TRUE(list.TokenStringExistsEx("beta", type, ptr, typeOf, subscript));
  EXPECT_EQ(type, "Long");
  EXPECT_EQ(ptr, 9);
  EXPECT_EQ(typeOf, "");
  EXPECT_TRUE(subscript);
}

TEST(clsFixups, AddVarGroupsOccurrencesByNameIgnoringCase) {
  clsFixups reg;
  reg.AddVar("Total", 3);
  reg.AddVar("TOTAL", 8);
  reg.AddVar("Other", 1);
  EXPECT_EQ(reg.Count(), 2);
  auto list = reg.Item("total");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->ID, "Total");
  ASSERT_EQ(list->Count(), 2);
  EXPECT_EQ(list->Item(1L)->Ptr, 3);
  EXPECT_EQ(list->Item(2L)->Ptr, 8);
  EXPECT_EQ(list->Item(2L)->TokenString, "");
  EXPECT_EQ(reg.Item("missing"), nullptr);
  EXPECT_FALSE(reg.Exists("missing"));
}

TEST(clsFixups, CounterKeysAndDuplicateIds) {
  clsFixups reg;
  reg.AddVarEx("x", 2);
  reg.AddVarEx("x", 5);
  EXPECT_EQ(reg.Count(), 2);
  EXPECT_EQ(reg.Item("1")->Item(1L)->TokenString, "x");
  EXPECT_EQ(reg.Item("1")->Item(1L)->Ptr, 5);
  auto named = std::make_shared<clsFixup>();
  named->ID = "1";
  reg.Add(named);  // the key "1" is taken: nothing changes
  EXPECT_EQ(reg.Count(), 2);
  reg.AddEx(named);
  EXPECT_EQ(reg.Item("2"), named);
  EXPECT_EQ(reg.Last(), named);
}

TEST(clsFixups, FixupRewritesOnlyOnce) {
  auto stream = testing::Tokenize("Dim total As Long\r\ntotal = 1\r\n", testing::FileKind::Class);
  const int32_t first = testing::PositionOf(*stream, "total");
  const int32_t second = testing::PositionOf(*stream, "total", 1);
  clsFixups& reg = stream->BookMarks();
  reg.AddVar("total", first);
  reg.AddVar("total", second);
  reg.Fixup(*stream, "TOTAL", "sum");
  EXPECT_EQ(stream->TokenStringAt(first), "sum");
  EXPECT_EQ(stream->TokenStringAt(second), "sum");
  EXPECT_TRUE(reg.Item("total")->Item(1L)->Fixed);
  reg.Fixup(*stream, "total", "other");
  EXPECT_EQ(stream->TokenStringAt(first), "sum");
  reg.Fixup(*stream, "nothing", "x");  // no list: nothing happens
  EXPECT_EQ(stream->Text(0), "Dim sum As Long\r\nsum = 1\r\n");
}

// A parser over code tokenized as a module and re-coded onto the code keyword table.
struct CodeParser {
  explicit CodeParser(std::string_view code)
      : stream(testing::Tokenize(code, testing::FileKind::Class)) {
    parser.InitParser(stream);
    parser.RemapTokens(0);
  }
  std::shared_ptr<clsTokenStream> stream;
  clsParser parser;
};

TEST(ParserNames, AcceptNameRefusesNumbersAndTakesBracketedNames) {
  CodeParser c("1E5 &H1F &O17 Hx [_First] [open ok");
  clsFixup names;
  auto& ts = *c.stream;
  EXPECT_FALSE(Peer::AcceptName(c.parser, names));
  EXPECT_EQ(ts.TokenPtr(), 0) << "a number stays current";
  ts.SetTokenPtr(testing::PositionOf(ts, "H1F"));
  EXPECT_FALSE(Peer::AcceptName(c.parser, names));
  ts.SetTokenPtr(testing::PositionOf(ts, "O17"));
  EXPECT_FALSE(Peer::AcceptName(c.parser, names));
  ts.SetTokenPtr(testing::PositionOf(ts, "Hx"));
  EXPECT_TRUE(Peer::AcceptName(c.parser, names)) << "not hex digits: a name";
  EXPECT_EQ(ts.TokenCode(), TokWhiteSpace) << "whitespace after the name is not skipped";
  ts.SetTokenPtr(testing::PositionOfCode(ts, '['));
  const int32_t bracket = ts.TokenPtr();
  EXPECT_TRUE(Peer::AcceptName(c.parser, names));
  ASSERT_EQ(names.Count(), 2);
  EXPECT_EQ(names.Item(2L)->TokenString, "_First");
  EXPECT_EQ(names.Item(2L)->Ptr, bracket);
  ts.SetTokenPtr(testing::PositionOfCode(ts, '[', 1));
  EXPECT_FALSE(Peer::AcceptName(c.parser, names)) << "a bracket not closed on its line";
}

TEST(ParserNames, QualifiedNameOfThreePartsJoinsAsWritten) {
  CodeParser c("Lib1.Sub2.Cls3, next");
  clsFixup names;
  bool closed = true;
  ASSERT_TRUE(Peer::AcceptName(c.parser, names));
  EXPECT_TRUE(Peer::ParseQualifiedName(c.parser, names, closed, ')'));
  EXPECT_FALSE(closed);
  ASSERT_EQ(names.Count(), 3);
  EXPECT_EQ(names.Item(1L)->TokenString + "." + names.Item(2L)->TokenString + "." +
                names.Item(3L)->TokenString,
            "Lib1.Sub2.Cls3");
  EXPECT_TRUE(names.Item(3L)->Extended);
  EXPECT_EQ(c.stream->TokenCode(), ',') << "the chain ends before the comma";

  CodeParser d("A.B)");
  clsFixup names2;
  ASSERT_TRUE(Peer::AcceptName(d.parser, names2));
  EXPECT_TRUE(Peer::ParseQualifiedName(d.parser, names2, closed, ')'));
  EXPECT_TRUE(closed);
  EXPECT_EQ(d.stream->TokenCode(), ')') << "the close character stays for the caller";

  CodeParser e("Widget x");
  clsFixup names3;
  ASSERT_TRUE(Peer::AcceptName(e.parser, names3));
  EXPECT_FALSE(Peer::ParseQualifiedName(e.parser, names3, closed, ')'));
}

TEST(ParserNames, SkipExpressionFollowsContinuationsAndStopsAtTheEnd) {
  CodeParser c("1 + a.b _\r\n  + c\r\n  next");
  clsFixup names;
  EXPECT_FALSE(Peer::SkipExpression(c.parser, names));
  EXPECT_EQ(c.stream->TokenString(), "next") << "after the line end and its blanks";
  ASSERT_EQ(names.Count(), 3);
  EXPECT_EQ(names.Item(1L)->TokenString, "a");
  EXPECT_EQ(names.Item(2L)->TokenString, "b");
  EXPECT_EQ(names.Item(3L)->TokenString, "c");

  CodeParser d("x + 1");  // last line without a line end
  clsFixup names2;
  Peer::SkipExpression(d.parser, names2);
  EXPECT_TRUE(d.stream->EOS());
}

}  // namespace
}  // namespace qs
