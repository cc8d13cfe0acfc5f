#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ParserTestPeer.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "parser/clsParser.h"
#include "text/ClsUniqArray.h"
#include "text/TokenCodes.h"
#include "text/clsTokenStream.h"

namespace qs {
namespace {

using Peer = clsParserTestPeer;

// A stream from (code, text) pairs, cursor at the first token.
std::shared_ptr<clsTokenStream> Stream(const std::vector<std::pair<int32_t, std::string>>& toks) {
  auto ts = std::make_shared<clsTokenStream>();
  for (const auto& [code, text] : toks) ts->AddToken(code, text);
  ts->GoBOS();
  return ts;
}

const std::pair<int32_t, std::string> kBlank{TokWhiteSpace, "  "};
const std::pair<int32_t, std::string> kEol{TokEndOfLine, "\r\n"};

TEST(ParserFrame, AcceptTokenStepsOverMatchAndFollowingBlanksOnly) {
  auto ts = Stream({{'(', ""}, kBlank, kBlank, {TokIdentifier, "x"}, {')', ""}});
  clsParser p;
  p.InitParser(ts);
  EXPECT_FALSE(Peer::AcceptToken(p, ')'));
  EXPECT_EQ(ts->TokenPtr(), 0) << "a token with another code leaves the cursor";
  EXPECT_TRUE(Peer::AcceptToken(p, '('));
  EXPECT_EQ(ts->TokenPtr(), 3) << "both whitespace tokens after the match are skipped";
  EXPECT_TRUE(Peer::AcceptToken(p, TokIdentifier));
  EXPECT_EQ(ts->TokenPtr(), 4);
  EXPECT_TRUE(Peer::AcceptToken(p, ')'));
  EXPECT_TRUE(ts->EOS());
  // Past the end every read is code 0: nothing more is accepted and the cursor stays.
  EXPECT_FALSE(Peer::AcceptToken(p, ')'));
  EXPECT_EQ(ts->TokenPtr(), 5);
}

TEST(ParserFrame, SkipWhitespaceStopsAtEndOfLineAndComments) {
  auto ts = Stream({kBlank, kBlank, {TokComment, "' c"}, kEol});
  clsParser p;
  p.InitParser(ts);
  Peer::SkipWhitespace(p);
  EXPECT_EQ(ts->TokenPtr(), 2);
  Peer::SkipWhitespace(p);
  EXPECT_EQ(ts->TokenPtr(), 2) << "a comment is not whitespace";
}

TEST(ParserFrame, LineContinuationReachesFirstTokenOfNextLine) {
  auto ts = Stream({{'_', ""}, kBlank, kEol, kBlank, {TokIdentifier, "ByVal"}});
  clsParser p;
  p.InitParser(ts);
  Peer::SkipLineContinuation(p);
  EXPECT_EQ(ts->TokenPtr(), 4);
}

TEST(ParserFrame, UnderscoreNotFollowedByLineEndStepsOverItsBlanksOnly) {
  auto ts = Stream({{'_', ""}, kBlank, {TokIdentifier, "x"}, kEol});
  clsParser p;
  p.InitParser(ts);
  Peer::SkipLineContinuation(p);
  EXPECT_EQ(ts->TokenPtr(), 2);

  // A cursor that is not on "_" does not move, even before an end of line.
  auto ts2 = Stream({{TokIdentifier, "x"}, kEol});
  p.InitParser(ts2);
  Peer::SkipLineContinuation(p);
  EXPECT_EQ(ts2->TokenPtr(), 0);
}

TEST(ParserFrame, TypeNamesOfTheTwelveBuiltInTypes) {
  const std::vector<std::pair<int32_t, std::string>> types = {
      {KwString, "String"},   {KwByte, "Byte"},     {KwBoolean, "Boolean"},
      {KwInteger, "Integer"}, {KwLong, "Long"},     {KwCurrency, "Currency"},
      {KwDecimal, "Decimal"}, {KwSingle, "Single"}, {KwDouble, "Double"},
      {KwDate, "Date"},       {KwObject, "Object"}, {KwVariant, "Variant"}};
  for (const auto& [code, name] : types) EXPECT_EQ(Peer::TypeNameOfToken(code), name) << code;
  // Any is a keyword but not a type of its own; identifiers and characters give nothing.
  for (int32_t code : {KwAny, TokIdentifier, KwAs, 0, int32_t{'$'}, KwName}) {
    EXPECT_EQ(Peer::TypeNameOfToken(code), "") << code;
  }
}

TEST(ParserFrame, AcceptTypeKeywordTakesOnlyBuiltInTypes) {
  auto ts = Stream({{KwAny, "Any"}, kBlank, {KwLong, "Long"}, kBlank, kEol});
  clsParser p;
  p.InitParser(ts);
  EXPECT_FALSE(Peer::AcceptTypeKeyword(p));
  EXPECT_EQ(ts->TokenPtr(), 0);
  ts->SetTokenPtr(2);
  EXPECT_TRUE(Peer::AcceptTypeKeyword(p));
  EXPECT_EQ(ts->TokenPtr(), 4);
  EXPECT_FALSE(Peer::AcceptTypeKeyword(p));
}

TEST(ParserFrame, ErrorStateIsSetAndCleared) {
  clsParser p;
  // A new parser starts cleared.
  EXPECT_FALSE(Peer::HasError(p));
  EXPECT_EQ(Peer::ErrPtr(p), -1);
  EXPECT_EQ(Peer::ErrTokenCode(p), -1);

  Peer::SetParseError(p, "missing name", "ParseDim", 17, 283);
  EXPECT_TRUE(Peer::HasError(p));
  EXPECT_EQ(Peer::ErrText(p), "missing name");
  EXPECT_EQ(Peer::ErrProc(p), "ParseDim");
  EXPECT_EQ(Peer::ErrPtr(p), 17);
  EXPECT_EQ(Peer::ErrTokenCode(p), 283);

  Peer::ClearParseError(p);
  EXPECT_FALSE(Peer::HasError(p));
  EXPECT_EQ(Peer::ErrText(p), "");
  EXPECT_EQ(Peer::ErrProc(p), "");
  EXPECT_EQ(Peer::ErrPtr(p), -1);
  EXPECT_EQ(Peer::ErrTokenCode(p), -1);
}

TEST(ParserFrame, ParseClearsAnEarlierErrorAndWalksToTheEndWithoutRaising) {
  auto ts = Stream({{TokIdentifier, "a"}, kBlank, {TokIdentifier, "b"}, kEol});
  ts->SetTokenPtr(2);
  clsParser p;
  p.InitParser(ts);
  int raised = 0;
  p.EvtParseError = [&](const std::string&, const std::string&, int32_t, int16_t) { ++raised; };
  Peer::SetParseError(p, "stale", "Earlier", 1, 40);
  p.Parse();
  EXPECT_EQ(raised, 0);
  EXPECT_FALSE(Peer::HasError(p));
  EXPECT_TRUE(ts->EOS());
}

TEST(ParserFrame, ArgsStartsEmptyAndStaysWithTheParser) {
  clsParser p;
  EXPECT_EQ(p.Args().Count(), 0);
  EXPECT_TRUE(p.Args().Add(std::string("x"), "k"));
  EXPECT_EQ(p.Args().Count(), 1);
  EXPECT_TRUE(p.Args().Exists("K"));
}

TEST(ParserFrame, TheStreamStaysSharedWithItsOwner) {
  auto ts = Stream({kEol});
  {
    clsParser p;
    p.InitParser(ts);
    EXPECT_EQ(p.TokenStream(), ts);
    EXPECT_EQ(ts.use_count(), 2);
  }
  EXPECT_EQ(ts.use_count(), 1) << "the parser releases its share when it goes";
}

TEST(ParserFrame, RoutinesOnAnUnboundParserDoNothing) {
  clsParser p;
  Peer::SkipWhitespace(p);
  Peer::SkipLineContinuation(p);
  EXPECT_FALSE(Peer::AcceptToken(p, 0));
  EXPECT_FALSE(Peer::AcceptTypeKeyword(p));
  p.Parse();
  EXPECT_FALSE(Peer::HasError(p));
  // Binding an empty stream is the same as no stream at all.
  p.InitParser(nullptr);
  EXPECT_EQ(p.TokenStream(), nullptr);
  EXPECT_NE(p.ParseClassType(), nullptr);
  EXPECT_NE(p.ParseFormType(), nullptr);
  auto items = p.ParseVBP();
  ASSERT_NE(items, nullptr);
  EXPECT_EQ(items->Count(), 0);
}

}  // namespace
}  // namespace qs
