// The code section scan: re-coding, the statement dispatch with its scopes, and the second pass
// over a project's items.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/SecondPass.h"
#include "parser/AnalysisTestUtil.h"
#include "text/TokenCodes.h"

namespace qs::testing {
namespace {

struct Case {
  const char* code;
  const char* expected;
};

TEST(StatementDispatch, ScopesAndDefaults) {
  const Case cases[] = {
      {"Private Sub A()\r\nEnd Sub\r\nSub B()\r\nEnd Sub\r\n",
       "ESub: Private Sub A() Dim[] Const[], Public Sub B() Dim[] Const[]"},
      {"Public Function F()\r\nEnd Function\r\nFunction G()\r\nEnd Function\r\n",
       "EFunction: Public Function F() Dim[] Const[], Public Function G() Dim[] Const[]"},
      {"Friend Property Get P() As Long\r\nEnd Property\r\nProperty Get Q()\r\nEnd Property\r\n",
       "EProperty: Friend Get P() -> Long Dim[] Const[], Public Get Q() Dim[] Const[]"},
      {"Private Declare Function A Lib \"a\" ()\r\nDeclare Sub B Lib \"b\"\r\n",
       "EDeclare: Private Function A() Lib \"a\", Public Sub B Lib \"b\""},
      {"Dim a As Long\r\nPrivate b As Long\r\nPublic c As Long\r\n",
       "EVar: Private a As Long, Private b As Long, Public c As Long"},
      {"Const A = 1\r\nPrivate Const B = 2\r\nPublic Const C = 3\r\n",
       "EConst: Const A As Long, Private Const B As Long, Public Const C As Long"},
      {"Enum A\r\nEnd Enum\r\nPrivate Enum B\r\nEnd Enum\r\n",
       "EEnum: Public Enum A(), Private Enum B()"},
      {"Type A\r\nEnd Type\r\nPrivate Type B\r\nEnd Type\r\n",
       "EType: Public Type A(), Private Type B()"},
      {"Static Sub X()\r\nEnd Sub\r\nPrivate Static Function Y()\r\nEnd Function\r\n",
       "ESub: Public Sub X() Dim[] Const[]; EFunction: Private Function Y() Dim[] Const[]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(Declarations(c.code), c.expected);
  }
}

TEST(StatementDispatch, LinesThatRecordNothing) {
  const char* const cases[] = {
      "",
      "\r\n",
      "Dim\r\n",
      "Property Value()\r\n",
      "Global g As Long\r\n",
      "Implements IThing\r\nAttribute Foo.VB_UserMemId = 0\r\n",
      "Private\r\nPublic 5\r\nFriend = 1\r\n",
      "Sub\r\nFunction\r\nEnum\r\nType\r\nConst\r\nDeclare\r\nEvent\r\nWithEvents\r\n",
      "#If A Then\r\n#ElseIf B Then\r\n#Else\r\n#End If\r\n",
  };
  for (const char* code : cases) {
    SCOPED_TRACE(code);
    Analysed a = AnalyseModule(code);
    ASSERT_NE(a.entry, nullptr) << "the module's entry exists even without declarations";
    EXPECT_EQ(ShowModule(*a.entry), "");
  }
}

TEST(StatementDispatch, StatementsAfterEndLinesAreRead) {
  EXPECT_EQ(Declarations("Sub A()\r\nEnd Sub\r\nDim x As Long\r\nProperty Get P()\r\n"
                         "End Property\r\nConst K = 1\r\n"),
            "EVar: Private x As Long; EConst: Const K As Long; ESub: Public Sub A() Dim[] Const[]; "
            "EProperty: Public Get P() Dim[] Const[]");
}

TEST(RemapTokens, CodeSectionWordsGetCodeTableCodes) {
  // In a form, Label is a header keyword and Dim an identifier until the code is re-coded.
  Analysed a = AnalyseForm("Dim Label As Long\r\nPrivate Sub Form_Load()\r\nEnd Sub\r\n");
  ASSERT_NE(a.entry, nullptr);
  EXPECT_EQ(ShowModule(*a.entry),
            "EVar: Private Label As Long; ESub: Private Sub Form_Load() Dim[] Const[]");
  const auto& ts = *a.stream;
  EXPECT_EQ(ts.TokenCodeAt(PositionOf(ts, "Label", 1)), TokIdentifier);
  EXPECT_EQ(ts.TokenCodeAt(PositionOf(ts, "Dim")), KwDim);
  EXPECT_EQ(ts.TokenCodeAt(PositionOf(ts, "Label")), FrmLabel) << "the header keeps its codes";
}

TEST(RemapTokens, PositionOutsideTheStreamChangesNothing) {
  auto stream = Tokenize("Dim x\r\n", FileKind::Class);
  clsParser p;
  p.InitParser(stream);
  p.RemapTokens(99);
  p.RemapTokens(-1);
  EXPECT_EQ(stream->TokenCodeAt(0), TokIdentifier);
  p.ParseForwardDecl(99);  // no entry and no crash
  p.RemapTokens(0);
  EXPECT_EQ(stream->TokenCodeAt(0), KwDim);
  EXPECT_EQ(stream->TokenPtr(), 0);
}

TEST(GetForwardTypeDecl, CodeStartingAtTheLastTokenAddsAnEmptyEntry) {
  Analysed a = AnalyseModule("");
  ASSERT_NE(a.entry, nullptr);
  EXPECT_EQ(a.header->sVBTableName, "modTest");
  EXPECT_EQ(a.entry->EntryName, "modTest");
  EXPECT_EQ(ShowModule(*a.entry), "");
}

TEST(GetForwardTypeDecl, HeaderWithoutVBNameUsesTheFallbackName) {
  ParsedHeader parsed = ParseClass("Public x As Long\r\n");
  ASSERT_NE(parsed.header, nullptr);
  parsed.header->TokenStream = parsed.stream;
  RunState run;
  run.g_oSymTable = std::make_shared<clsSymTable>();
  GetForwardTypeDecl(run, *parsed.header, "modNoName");
  EXPECT_EQ(parsed.header->sVBTableName, "modNoName");
  ASSERT_NE(run.g_oSymTable->Item("modNoName"), nullptr);
  EXPECT_EQ(ShowModule(*run.g_oSymTable->Item("modNoName")), "EVar: Public x As Long");

  ParsedHeader bare = ParseClass("Public y As Long\r\n");
  bare.header->TokenStream = bare.stream;
  GetForwardTypeDecl(run, *bare.header);  // no fallback: the empty key, as before
  ASSERT_NE(run.g_oSymTable->Item(""), nullptr);
  EXPECT_EQ(ShowModule(*run.g_oSymTable->Item("")), "EVar: Public y As Long");
}

TEST(GetForwardTypeDecl, QuotesAreRemovedFromTheKey) {
  ParsedHeader parsed = ParseClass("Attribute VB_Name = \"a\"\"b\"\r\nDim z\r\n");
  parsed.header->TokenStream = parsed.stream;
  RunState run;
  run.g_oSymTable = std::make_shared<clsSymTable>();
  GetForwardTypeDecl(run, *parsed.header, "fallback");
  EXPECT_EQ(parsed.header->sVBTableName, "ab");
  EXPECT_TRUE(run.g_oSymTable->Exists("ab"));
}

TEST(GetForwardTypeDecl, HeaderWithoutStreamDoesNothing) {
  clsVBHeader header;
  header.Attribute_VBName = "\"x\"";
  RunState run;
  run.g_oSymTable = std::make_shared<clsSymTable>();
  GetForwardTypeDecl(run, header);
  EXPECT_EQ(run.g_oSymTable->Count(), 0);
}

// A source item whose header was parsed from `text` (no header when text is null).
std::shared_ptr<clsVBFileType> Item(int32_t type, const std::string& internalName,
                                    const char* text) {
  auto item = std::make_shared<clsVBFileType>();
  item->EType = type;
  item->InternalName = internalName;
  if (text) {
    ParsedHeader parsed = IsFormLikeItemType(type) ? ParseForm(text) : ParseClass(text);
    if (parsed.header) parsed.header->TokenStream = parsed.stream;
    item->SetVBHeader(parsed.header);
  }
  return item;
}

TEST(SecondPass, EntriesInCollectionOrderSharedNamesAndMissingHeaders) {
  RunState run;
  run.g_oSymTable = std::make_shared<clsSymTable>();
  run.g_oSymTable->CreateSymbolTableEntry("stale");
  clsVBFileTypes items;
  items.Add(Item(kItemClass, "clsB", "Attribute VB_Name = \"clsB\"\r\nPublic b As Long\r\n"));
  items.Add(Item(kItemReference, "ref", nullptr));
  items.Add(Item(kItemModule, "modGone", nullptr));  // a file that could not be read
  items.Add(Item(kItemModule, "modA", "Attribute VB_Name = \"modA\"\r\nDim a As Long\r\n"));
  items.Add(Item(kItemModule, "modNoName", "Sub N()\r\nEnd Sub\r\n"));
  // Equal names (letter case aside) share the first file's entry.
  items.Add(Item(kItemModule, "other", "Attribute VB_Name = \"MODA\"\r\nDim a2 As Long\r\n"));
  items.Add(Item(kItemForm, "frmMain",
                 "VERSION 5.00\r\nBegin VB.Form frmMain\r\nEnd\r\n"
                 "Attribute VB_Name = \"frmMain\"\r\nPrivate Sub Form_Load()\r\nEnd Sub\r\n"));
  RunSecondPass(run, items);
  ASSERT_NE(run.g_oSymTable, nullptr);
  std::vector<std::string> names;
  for (const auto& e : *run.g_oSymTable) names.push_back(e->EntryName);
  EXPECT_EQ(names, (std::vector<std::string>{"clsB", "modA", "modNoName", "frmMain"}));
  EXPECT_EQ(ShowModule(*run.g_oSymTable->Item("modA")),
            "EVar: Private a As Long, Private a2 As Long");
  EXPECT_EQ(ShowModule(*run.g_oSymTable->Item("modNoName")), "ESub: Public Sub N() Dim[] Const[]");
  EXPECT_EQ(ShowModule(*run.g_oSymTable->Item("frmMain")),
            "ESub: Private Sub Form_Load() Dim[] Const[]");
}

}  // namespace
}  // namespace qs::testing
