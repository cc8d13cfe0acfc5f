#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/TokenCodes.h"
#include "text/clsToken.h"

namespace qs {
namespace {

enum class Table { kMain, kProject, kForm, kClass };

clsToken Load(Table t) {
  clsToken tok;
  switch (t) {
    case Table::kMain:
      tok.InitialiseTokenTable();
      break;
    case Table::kProject:
      tok.InitialiseTokenTableVBP();
      break;
    case Table::kForm:
      tok.InitialiseTokenTableForm();
      break;
    case Table::kClass:
      tok.InitialiseTokenTableClass();
      break;
  }
  return tok;
}

struct Lookup {
  Table table;
  const char* word;
  int32_t code;
};

TEST(clsToken, WordsResolveToTheCodesOfTheActiveTable) {
  const Lookup cases[] = {
      {Table::kMain, "Private", 331},
      {Table::kMain, "private", 283},
      {Table::kMain, "PRIVATE", 283},
      {Table::kMain, "Function", 343},
      {Table::kMain, "Sub", 344},
      {Table::kMain, "Object", 760},
      {Table::kMain, "Name", 2593},
      {Table::kMain, "Line", 2586},
      {Table::kMain, "End", 564},
      {Table::kMain, "Is", 314},
      {Table::kMain, "String", 337},
      {Table::kMain, "Get", 312},
      {Table::kMain, "Open", 345},
      {Table::kMain, "Alias", 2641},
      {Table::kMain, "Attribute", 845},
      {Table::kMain, "Begin", 283},
      {Table::kMain, "", 283},
      {Table::kProject, "Name", 815},
      {Table::kProject, "Object", 805},
      {Table::kProject, "RelatedDoc", 818},
      {Table::kProject, "Private", 283},
      {Table::kForm, "Object", 805},
      {Table::kForm, "BEGIN", 283},
      {Table::kForm, "Begin", 821},
      {Table::kForm, "Line", 839},
      {Table::kForm, "MDIForm", 851},
      {Table::kForm, "VB_Description", 852},
      {Table::kClass, "BEGIN", 853},
      {Table::kClass, "Begin", 283},
      {Table::kClass, "END", 854},
      {Table::kClass, "False", 283},
      {Table::kClass, "Dim", 283},
  };
  for (const Lookup& c : cases) {
    const clsToken tok = Load(c.table);
    int32_t code = 0;
    bool found = false;
    tok.IsTokenFound(c.word, code, found);
    EXPECT_EQ(code, c.code) << c.word;
    EXPECT_EQ(found, c.code != TokIdentifier) << c.word;
    EXPECT_TRUE(tok.Initialised);
  }
}

TEST(clsToken, EveryKeywordOfTheMainTableHasItsListedCode) {
  // Spot the whole code range: the first and last of each group.
  const std::vector<std::pair<const char*, int32_t>> words = {
      {"As", 301},    {"Open", 345}, {"Call", 552}, {"DoEvents", 639}, {"AddressOf", 709},
      {"Xor", 718},   {"Byte", 751}, {"Any", 762},  {"Binary", 2302},  {"Error", 2308},
      {"Time", 2339}, {"Lib", 2640}, {"Date", 305}, {"Input", 313},    {"Lock", 317},
      {"Mid", 319},   {"Seek", 333}, {"Let", 316},  {"Set", 334},      {"Static", 335}};
  clsToken tok;
  tok.InitialiseTokenTable();
  for (const auto& [w, code] : words) EXPECT_EQ(tok.CodeOf(w), code) << w;
}

TEST(clsToken, HeaderInitialisersReplaceTheTableWhileTheMainTableMerges) {
  clsToken tok;
  tok.InitialiseTokenTableForm();
  EXPECT_EQ(tok.CodeOf("Object"), 805);
  tok.InitialiseTokenTable();  // merges: the form table's words were stored first and win
  EXPECT_EQ(tok.CodeOf("Object"), 805);
  EXPECT_EQ(tok.CodeOf("Dim"), 561);
  EXPECT_EQ(tok.HashTable().StoredCount(), 38 + 161);
  tok.InitialiseTokenTableClass();  // replaces
  EXPECT_EQ(tok.CodeOf("Object"), 283);
  EXPECT_EQ(tok.CodeOf("Dim"), 283);
  EXPECT_EQ(tok.HashTable().StoredCount(), 10);
  tok.InitialiseTokenTableVBP();
  EXPECT_EQ(tok.HashTable().StoredCount(), 18);
  EXPECT_EQ(tok.CodeOf("Startup"), 811);
}

TEST(clsToken, NewObjectKnowsNoWord) {
  clsToken tok;
  EXPECT_FALSE(tok.Initialised);
  EXPECT_EQ(tok.CodeOf("Private"), 283);
}

}  // namespace
}  // namespace qs
