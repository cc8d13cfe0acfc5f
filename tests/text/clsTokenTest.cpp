#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/TokenCodes.h"
#include "text/clsToken.h"

namespace qs {
namespace {

clsToken Load(KeywordTable t) {
  clsToken tok;
  tok.InitialiseTable(t);
  return tok;
}

struct Lookup {
  KeywordTable table;
  const char* word;
  int32_t code;
};

TEST(clsToken, WordsResolveToTheCodesOfTheActiveTable) {
  const Lookup cases[] = {
      {KeywordTable::kCode, "Private", 331},
      {KeywordTable::kCode, "private", 283},
      {KeywordTable::kCode, "PRIVATE", 283},
      {KeywordTable::kCode, "Function", 343},
      {KeywordTable::kCode, "Sub", 344},
      {KeywordTable::kCode, "Object", 760},
      {KeywordTable::kCode, "Name", 2593},
      {KeywordTable::kCode, "Line", 2586},
      {KeywordTable::kCode, "End", 564},
      {KeywordTable::kCode, "Is", 314},
      {KeywordTable::kCode, "String", 337},
      {KeywordTable::kCode, "Get", 312},
      {KeywordTable::kCode, "Open", 345},
      {KeywordTable::kCode, "Alias", 2641},
      {KeywordTable::kCode, "Attribute", 845},
      {KeywordTable::kCode, "Begin", 283},
      {KeywordTable::kCode, "", 283},
      {KeywordTable::kProject, "Name", 815},
      {KeywordTable::kProject, "Object", 805},
      {KeywordTable::kProject, "RelatedDoc", 818},
      {KeywordTable::kProject, "Private", 283},
      {KeywordTable::kForm, "Object", 805},
      {KeywordTable::kForm, "BEGIN", 283},
      {KeywordTable::kForm, "Begin", 821},
      {KeywordTable::kForm, "Line", 839},
      {KeywordTable::kForm, "MDIForm", 851},
      {KeywordTable::kForm, "VB_Description", 852},
      {KeywordTable::kClass, "BEGIN", 853},
      {KeywordTable::kClass, "Begin", 283},
      {KeywordTable::kClass, "END", 854},
      {KeywordTable::kClass, "False", 283},
      {KeywordTable::kClass, "Dim", 283},
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
  EXPECT_EQ(tok.HashTable().StoredCount(), 38 + 134);
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
