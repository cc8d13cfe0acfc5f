#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "text/ClsString.h"
#include "text/Cp1252.h"
#include "text/Keywords.h"
#include "text/TokenCodes.h"
#include "text/clsToken.h"
#include "text/clsTokenStream.h"

namespace qs {
namespace {

const char* Name(KeywordTable t) {
  switch (t) {
    case KeywordTable::kCode:
      return "code";
    case KeywordTable::kProject:
      return "project";
    case KeywordTable::kForm:
      return "form";
    case KeywordTable::kClass:
      return "class";
  }
  return "?";
}

bool TableHolds(KeywordTable t, std::string_view spelling) {
  for (const KeywordRow& k : kKeywords)
    if (k.In(t) && k.spelling == spelling) return true;
  return false;
}

// Every row against every table: its code where the row says the table holds it; elsewhere an
// identifier, unless that table holds the same spelling as a keyword of its own (another row).
// Letter case counts: a spelling in other case is an identifier unless a table spells it so.
TEST(Keywords, EveryRowAnswersInItsTablesAndIsAnIdentifierElsewhere) {
  for (const KeywordTable t : kKeywordTables) {
    clsToken tok;
    tok.InitialiseTable(t);
    ASSERT_TRUE(tok.Initialised) << Name(t);
    for (const KeywordRow& k : kKeywords) {
      const std::string word(k.spelling);
      const int32_t code = tok.CodeOf(word);
      if (k.In(t)) {
        EXPECT_EQ(code, k.code) << word << " in " << Name(t);
      } else if (!TableHolds(t, word)) {
        EXPECT_EQ(code, TokIdentifier) << word << " in " << Name(t);
      } else {
        EXPECT_NE(code, k.code) << word << " in " << Name(t);
        EXPECT_NE(code, TokIdentifier) << word << " in " << Name(t);
      }
      for (const std::string& other : {Upper1252(word), Lower1252(word)}) {
        if (other == word || TableHolds(t, other)) continue;
        EXPECT_EQ(tok.CodeOf(other), TokIdentifier) << other << " in " << Name(t);
      }
    }
  }
}

// The tokenizers hash a word while they read it; they must find exactly what a lookup of the
// whole word finds, for every keyword of every table.
TEST(Keywords, TokenizersFindEveryKeywordOfTheirTable) {
  using Tokenizer =
      void (ClsString::*)(std::shared_ptr<clsToken>&, std::shared_ptr<clsTokenStream>&) const;
  const std::pair<KeywordTable, Tokenizer> tokenizers[] = {
      {KeywordTable::kCode, &ClsString::TokenizeEx},
      {KeywordTable::kProject, &ClsString::TokenizeVBP},
      {KeywordTable::kForm, &ClsString::TokenizeForm},
      {KeywordTable::kClass, &ClsString::TokenizeClass},
  };
  for (const auto& [t, tokenize] : tokenizers) {
    std::string text;
    for (const KeywordRow& k : kKeywords) {
      text.append(k.spelling);
      text += ' ';
    }
    ClsString s;
    s.SetText(text);
    std::shared_ptr<clsToken> keywords;
    std::shared_ptr<clsTokenStream> stream;
    (s.*tokenize)(keywords, stream);
    ASSERT_TRUE(stream && keywords);
    ASSERT_EQ(stream->Count(), 2 * static_cast<int32_t>(std::size(kKeywords))) << Name(t);
    int found = 0;
    for (int32_t i = 0; i < stream->Count(); i += 2) {
      const KeywordRow& k = kKeywords[i / 2];
      const int32_t code = stream->TokenCodeAt(i);
      EXPECT_EQ(code, keywords->CodeOf(k.spelling)) << k.spelling << " in " << Name(t);
      if (k.In(t)) {
        EXPECT_EQ(code, k.code) << k.spelling << " in " << Name(t);
        ++found;
      }
    }
    EXPECT_GT(found, 0) << Name(t);
  }
}

TEST(Keywords, BuiltinTypeNamesAreTheTypeKeywordsOfTheCodeTable) {
  clsToken tok;
  tok.InitialiseTokenTable();
  std::set<std::string_view> names;
  for (int32_t code = 0; code < 3000; ++code) {
    const std::string_view name = TypeNameOfKeyword(code);
    if (name.empty()) continue;
    EXPECT_TRUE(names.insert(name).second) << name;
    EXPECT_EQ(tok.CodeOf(name), code) << name;  // the name is the keyword that gives the code
  }
  const std::set<std::string_view> expected = {"Boolean", "Byte",   "Currency", "Date",
                                               "Decimal", "Double", "Integer",  "Long",
                                               "Object",  "Single", "String",   "Variant"};
  EXPECT_EQ(names, expected);
  // Neither "Any" nor the header tables' "Object" names a type.
  EXPECT_EQ(TypeNameOfKeyword(KwAny), "");
  EXPECT_EQ(TypeNameOfKeyword(VbpObject), "");
  EXPECT_EQ(TypeNameOfKeyword(TokIdentifier), "");
}

}  // namespace
}  // namespace qs
