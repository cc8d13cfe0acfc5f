#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "text/ClsString.h"
#include "text/TokenCodes.h"
#include "text/clsToken.h"
#include "text/clsTokenStream.h"

namespace qs {
namespace {

struct Tok {
  int32_t code;
  std::string text;  // as readers see it (TokenString)
  bool operator==(const Tok&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Tok& t) {
  return os << "{" << t.code << ", \"" << t.text << "\"}";
}

enum class Kind { kCode, kVbp, kForm, kClass, kReduced };

std::shared_ptr<clsTokenStream> TokenizeText(Kind kind, const std::string& text) {
  ClsString s;
  s.SetText(text);
  std::shared_ptr<clsToken> kw;
  std::shared_ptr<clsTokenStream> out;
  switch (kind) {
    case Kind::kCode:
      s.TokenizeEx(kw, out);
      break;
    case Kind::kVbp:
      s.TokenizeVBP(kw, out);
      break;
    case Kind::kForm:
      s.TokenizeForm(kw, out);
      break;
    case Kind::kClass:
      s.TokenizeClass(kw, out);
      break;
    case Kind::kReduced:
      s.Tokenize(kw, out);
      break;
  }
  return out;
}

std::vector<Tok> Tokens(const clsTokenStream& s) {
  std::vector<Tok> v;
  for (int32_t i = 0; i < s.Count(); ++i)
    v.push_back({s.TokenCodeAt(i), std::string(s.TokenStringAt(i))});
  return v;
}

std::vector<Tok> Tokens(Kind kind, const std::string& text) {
  return Tokens(*TokenizeText(kind, text));
}

// Shorthands for the expected tokens.
const Tok EOL{278, "\r\n"};
const Tok SP{279, " "};
Tok Id(const std::string& w) {
  return {283, w};
}
Tok Ch(char c) {
  return {static_cast<unsigned char>(c), std::string(1, c)};
}

struct Case {
  std::string source;
  std::vector<Tok> tokens;
};

void Check(Kind kind, const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(Tokens(kind, c.source), c.tokens) << "source: " << c.source;
}

TEST(TokenizeEx, CommonSourceConstructs) {
  Check(Kind::kCode,
        {
            {"x = 1.5", {Id("x"), SP, Ch('='), SP, Id("1"), Ch('.'), Id("5")}},
            {"&H1F", {Ch('&'), Id("H1F")}},
            {"a <> b", {Id("a"), SP, Ch('<'), Ch('>'), SP, Id("b")}},
            {"s$", {Id("s"), Ch('$')}},
            {"#1/2/99#", {Ch('#'), Id("1"), Ch('/'), Id("2"), Ch('/'), Id("99"), Ch('#')}},
            {"a _\r\n", {Id("a"), SP, Ch('_'), EOL}},
            {"a: b", {Id("a"), Ch(':'), SP, Id("b")}},
            {"Rem text", {{610, "Rem"}, SP, Id("text")}},
            {"[x]", {Ch('['), Id("x"), Ch(']')}},
            {"Private Sub X()\r\n",
             {{331, "Private"}, SP, {344, "Sub"}, SP, Id("X"), Ch('('), Ch(')'), EOL}},
            {"private", {Id("private")}},
            {"x=1 'note\r\n", {Id("x"), Ch('='), Id("1"), SP, {280, "'note"}, EOL}},
            {"'comment\r\n", {{280, "'comment"}, EOL}},
            {"\t \tDim", {{279, "\t \t"}, {561, "Dim"}}},
            {"_x", {Ch('_'), Id("x")}},
            {"a_b__", {Id("a_b__")}},
            {"61AAAAAAAAAAAAAAABAAAAAAz Sub", {Id("61AAAAAAAAAAAAAAABAAAAAAz"), SP, {344, "Sub"}}},
            {"Function F() As String",
             {{343, "Function"},
              SP,
              Id("F"),
              Ch('('),
              Ch(')'),
              SP,
              {301, "As"},
              SP,
              {337, "String"}}},
        });
}

TEST(TokenizeEx, StringLiterals) {
  Check(Kind::kCode,
        {
            {"\"a\"\"b\"", {{282, "\"a\"\"b\""}}},
            {"\"\"", {{282, "\"\""}}},
            {"\"\"\"\"", {{282, "\"\"\"\""}}},
            {"x = \"it's\" 'c", {Id("x"), SP, Ch('='), SP, {282, "\"it's\""}, SP, {280, "'c"}}},
            // The string rule does not stop at a line end.
            {"\"a\r\nb\" c", {{282, "\"a\r\nb\""}, SP, Id("c")}},
        });
}

TEST(TokenizeEx, LineEnds) {
  Check(Kind::kCode, {
                         {"a\r\nb", {Id("a"), EOL, Id("b")}},
                         {"a\nb", {Id("a"), EOL, Id("b")}},
                         {"a\rb", {Id("a"), EOL, Id("b")}},
                         {"a\r\n\r\nb", {Id("a"), EOL, EOL, Id("b")}},
                         {"a\n\nb", {Id("a"), EOL, EOL, Id("b")}},
                         {"a\r\rb", {Id("a"), EOL, EOL, Id("b")}},
                         {"a\n\r\nb", {Id("a"), EOL, EOL, Id("b")}},
                         {"'x\nDim", {{280, "'x"}, EOL, {561, "Dim"}}},
                         {"'x\rDim", {{280, "'x"}, EOL, {561, "Dim"}}},
                         {"'x\r\nDim", {{280, "'x"}, EOL, {561, "Dim"}}},
                         {"'\n", {{280, "'"}, EOL}},
                     });
}

TEST(TokenizeEx, BytesOfTheCodePage) {
  Check(Kind::kCode,
        {
            {"caf\xE9 \xC6sop", {Id("caf\xE9"), SP, Id("\xC6sop")}},
            {"a\xD7"
             "b",
             {Id("a"), Ch('\xD7'), Id("b")}},
            {"\x80\xFF", {Ch('\x80'), Id("\xFF")}},
            {"\x8A\x9F\xAA\xB5\xBA", {Id("\x8A\x9F\xAA\xB5\xBA")}},
            {"\xA9\x85", {Ch('\xA9'), Ch('\x85')}},
            // Superscript two, three and one are digits: they continue a word.
            {"x\xB2 = y\xB3 + \xB9z",
             {Id("x\xB2"), SP, Ch('='), SP, Id("y\xB3"), SP, Ch('+'), SP, Id("\xB9z")}},
            {"Dim\xB2 Dim", {Id("Dim\xB2"), SP, {561, "Dim"}}},
        });
  // A zero byte inside the text is skipped.
  EXPECT_EQ(Tokens(Kind::kCode, std::string("a\0b", 3)), (std::vector<Tok>{Id("a"), Id("b")}));
}

TEST(TokenizeEx, OpenConstructsEndWithTheLastByteOfTheText) {
  const std::vector<std::pair<std::string, std::vector<Tok>>> cases = {
      {"x = \"abc", {Id("x"), SP, Ch('='), SP, {282, "\"abc"}}},
      {"\"", {{282, "\""}}},
      {"\"a\"\"", {{282, "\"a\"\""}}},
      {"' open", {{280, "' open"}}},
      {"'", {{280, "'"}}},
  };
  for (const auto& [source, expected] : cases) {
    auto s = TokenizeText(Kind::kCode, source);
    EXPECT_EQ(Tokens(*s), expected) << source;
    EXPECT_EQ(s->Text(0), source) << source;  // no zero byte was taken in
  }
}

TEST(TokenizeEx, StreamShape) {
  EXPECT_EQ(TokenizeText(Kind::kCode, "")->Count(), 0);
  auto s = TokenizeText(Kind::kCode, "a b");
  EXPECT_EQ(s->Count(), 3);
  EXPECT_EQ(s->TokenPtr(), 3);
  EXPECT_TRUE(s->EOS());
  // The last line without a line end ends with its last token.
  EXPECT_EQ(s->TokenCodeAt(2), TokIdentifier);
  // Single-character tokens are stored without text.
  auto p = TokenizeText(Kind::kCode, "(");
  p->GoBOS();
  EXPECT_EQ(p->TokenLen(), 1);
}

TEST(TokenizeEx, RebuiltTextEqualsAFileWithCrLfLineEnds) {
  const std::string source =
      "Attribute VB_Name = \"modMain\"\r\nOption Explicit\r\n\r\n' A comment\r\n"
      "Private Function Twice(ByVal n As Long) As Long\r\n"
      "    Twice = n * 2 ' doubled \"quote\r\nEnd Function\r\n";
  EXPECT_EQ(TokenizeText(Kind::kCode, source)->Text(0), source);
  EXPECT_EQ(TokenizeText(Kind::kForm, source)->Text(0), source);
  EXPECT_EQ(TokenizeText(Kind::kClass, source)->Text(0), source);
  // Other line ends come back as CR LF.
  EXPECT_EQ(TokenizeText(Kind::kCode, "a\nb\rc")->Text(0), "a\r\nb\r\nc");
}

TEST(TokenizeEx, KeywordObjectIsCreatedOrReusedAndLoaded) {
  ClsString s;
  s.SetText("Object");
  std::shared_ptr<clsToken> kw;
  std::shared_ptr<clsTokenStream> out = std::make_shared<clsTokenStream>();
  const clsTokenStream* before = out.get();
  s.TokenizeEx(kw, out);
  ASSERT_NE(kw, nullptr);
  EXPECT_TRUE(kw->Initialised);
  EXPECT_NE(out.get(), before);  // always a new stream
  EXPECT_EQ(out->TokenCodeAt(0), 760);
  // A caller's keyword object gets the main table added to what it holds.
  auto form = std::make_shared<clsToken>();
  form->InitialiseTokenTableForm();
  s.TokenizeEx(form, out);
  EXPECT_EQ(out->TokenCodeAt(0), 805);
  // Header tokenizers replace the table.
  s.TokenizeClass(form, out);
  EXPECT_EQ(out->TokenCodeAt(0), 283);
}

TEST(Tokenize, ReducedVariantDropsLayout) {
  Check(Kind::kReduced,
        {
            {"Private Sub X()\r\n", {{331, ""}, {344, ""}, Id("X"), Ch('('), Ch(')')}},
            {"x = \"s\" ' note\nEnd", {Id("x"), Ch('='), {282, "\"s\""}, {564, ""}}},
            {std::string("a\0b", 3), {Id("a"), Id("b")}},
        });
}

TEST(TokenizeVBP, ProjectFileLines) {
  Check(Kind::kVbp,
        {
            {"Type=Exe\r\n", {{801, "Type"}, Ch('='), Id("Exe"), EOL}},
            {"Form=frmMain.frm\r\n",
             {{802, "Form"}, Ch('='), Id("frmMain"), Ch('.'), Id("frm"), EOL}},
            {"Module=modMain; modMain.bas\r\n",
             {{808, "Module"},
              Ch('='),
              Id("modMain"),
              Ch(';'),
              SP,
              Id("modMain"),
              Ch('.'),
              Id("bas"),
              EOL}},
            {"Startup=\"frmMain\"\r\n", {{811, "Startup"}, Ch('='), {282, "\"frmMain\""}, EOL}},
            {"Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; MSCOMCTL.OCX\r\n",
             {{805, "Object"},
              Ch('='),
              Ch('{'),
              Id("831FDD16"),
              Ch('-'),
              Id("0C5C"),
              Ch('-'),
              Id("11D2"),
              Ch('-'),
              Id("A9FC"),
              Ch('-'),
              Id("0000F8754DA1"),
              Ch('}'),
              Ch('#'),
              Id("2"),
              Ch('.'),
              Id("0"),
              Ch('#'),
              Id("0"),
              Ch(';'),
              SP,
              Id("MSCOMCTL"),
              Ch('.'),
              Id("OCX"),
              EOL}},
            {"[MS Transaction Server]\r\n",
             {Ch('['), Id("MS"), SP, Id("Transaction"), SP, Id("Server"), Ch(']'), EOL}},
            {"Name=\"It's\" ' not a comment\n",
             {{815, "Name"},
              Ch('='),
              {282, "\"It's\""},
              SP,
              Ch('\''),
              SP,
              Id("not"),
              SP,
              Id("a"),
              SP,
              Id("comment"),
              EOL}},
        });
}

TEST(TokenizeForm, FormHeaderLines) {
  Check(
      Kind::kForm,
      {
          {"VERSION 5.00\r\n", {{823, "VERSION"}, SP, Id("5"), Ch('.'), Id("00"), EOL}},
          {"Begin VB.Form frmMain\r\n",
           {{821, "Begin"}, SP, {820, "VB"}, Ch('.'), {802, "Form"}, SP, Id("frmMain"), EOL}},
          {"   Caption         =   \"Main\"\r\n",
           {{279, "   "},
            Id("Caption"),
            {279, "         "},
            Ch('='),
            {279, "   "},
            {282, "\"Main\""},
            EOL}},
          {"End\r\n", {{822, "End"}, EOL}},
          {"Attribute VB_Name = \"frmMain\"\r\n",
           {{845, "Attribute"}, SP, {846, "VB_Name"}, SP, Ch('='), SP, {282, "\"frmMain\""}, EOL}},
          {"BEGIN", {Id("BEGIN")}},
          {"Begin [my name] x", {{821, "Begin"}, SP, Id("[my name]"), SP, Id("x")}},
          {"x [open name\r\nnext", {Id("x"), SP, Id("[open name\r\nnext")}},
          {"' note\r\n", {{280, "' note"}, EOL}},
          {"\"[a]\" [\"b\"]", {{282, "\"[a]\""}, SP, Id("[\"b\"]")}},
      });
  // The bracketed name left open ends with the text's last byte.
  auto s = TokenizeText(Kind::kForm, "[abc");
  EXPECT_EQ(Tokens(*s), (std::vector<Tok>{Id("[abc")}));
}

TEST(TokenizeClass, ClassHeaderLines) {
  Check(Kind::kClass,
        {
            {"VERSION 1.0 CLASS\r\n",
             {{823, "VERSION"}, SP, Id("1"), Ch('.'), Id("0"), SP, Id("CLASS"), EOL}},
            {"BEGIN\r\n", {{853, "BEGIN"}, EOL}},
            {"  MultiUse = -1  'True\r\n",
             {{279, "  "},
              Id("MultiUse"),
              SP,
              Ch('='),
              SP,
              Ch('-'),
              Id("1"),
              {279, "  "},
              {280, "'True"},
              EOL}},
            {"END\r\n", {{854, "END"}, EOL}},
            {"Attribute VB_Exposed = False\r\n",
             {{845, "Attribute"}, SP, {850, "VB_Exposed"}, SP, Ch('='), SP, Id("False"), EOL}},
            {"Begin", {Id("Begin")}},
            {"Dim a [b]", {Id("Dim"), SP, Id("a"), SP, Ch('['), Id("b"), Ch(']')}},
        });
}

TEST(Tokenizers, EmptyFileGivesEmptyStreamForEveryTokenizer) {
  for (Kind k : {Kind::kCode, Kind::kVbp, Kind::kForm, Kind::kClass, Kind::kReduced}) {
    auto s = TokenizeText(k, "");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Count(), 0);
    EXPECT_TRUE(s->EOS());
  }
}

TEST(Tokenizers, StaleBytesBehindAShortenedTextAreNotRead) {
  ClsString s;
  s.SetText("ab \"cd\" 'x");
  s.SetLength(2);
  std::shared_ptr<clsToken> kw;
  std::shared_ptr<clsTokenStream> out;
  s.TokenizeEx(kw, out);
  EXPECT_EQ(Tokens(*out), (std::vector<Tok>{Id("ab")}));
  s.SetLength(5);  // `ab "c`: the string is open at the end of the text
  s.TokenizeEx(kw, out);
  EXPECT_EQ(Tokens(*out), (std::vector<Tok>{Id("ab"), SP, {282, "\"c"}}));
}

}  // namespace
}  // namespace qs
