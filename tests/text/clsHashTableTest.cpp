#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <string_view>

#include "text/Keywords.h"
#include "text/clsHashTable.h"
#include "text/clsToken.h"

namespace qs {
namespace {

TEST(clsHashTable, HashAndBucketOfTheWorkedExamples) {
  clsHashTable t;
  EXPECT_EQ(t.AllocateSize(), 2001);
  EXPECT_EQ(clsHashTable::FullHash("abc"), 751);
  EXPECT_EQ(t.BucketIndex("abc"), 752);
  EXPECT_EQ(clsHashTable::FullHash("As"), 279);
  EXPECT_EQ(t.BucketIndex("As"), 280);
  EXPECT_EQ(clsHashTable::FullHash("a"), 97 + 17);
}

TEST(clsHashTable, HashKeepsThirtyBitsAndReadsAtMost256Bytes) {
  const std::string longWord(300, '\xFF');
  const int32_t h = clsHashTable::FullHash(longWord);
  EXPECT_GE(h, 0);
  EXPECT_LT(h, 1 << 30);
  // Bytes beyond the 256th do not change the hash ...
  std::string other = longWord;
  other[299] = 'x';
  EXPECT_EQ(clsHashTable::FullHash(other), h);
  // ... but such words are still compared in full.
  clsHashTable t;
  t.AddToken(longWord, 900);
  int32_t code = 0;
  bool found = false;
  t.IsTokenFound(other, code, found);
  EXPECT_FALSE(found);
  t.IsTokenFound(longWord, code, found);
  EXPECT_TRUE(found);
  EXPECT_EQ(code, 900);
}

TEST(clsHashTable, HashStepThatPassesTheInt32RangeIsMasked) {
  // After the 24th byte the running hash is within 128 of 2^30, so doubling it and adding "z"
  // exceeds the largest int32_t before the low 30 bits are kept.
  const std::string word = "61AAAAAAAAAAAAAAABAAAAAAz";
  EXPECT_EQ(clsHashTable::FullHash(word), 120);
  clsToken main;
  main.InitialiseTokenTable();
  EXPECT_EQ(main.CodeOfHashed(word, clsHashTable::FullHash(word)), 283);
}

TEST(clsHashTable, NotFoundGivesMinusOne) {
  clsHashTable t;
  t.AddToken("Private", 331);
  int32_t code = 0;
  bool found = true;
  t.IsTokenFound("private", code, found);
  EXPECT_FALSE(found);
  EXPECT_EQ(code, -1);
  t.IsTokenFound("", code, found);
  EXPECT_FALSE(found);
  EXPECT_EQ(code, -1);
}

TEST(clsHashTable, WordsSharingABucketAreAllFoundAndTheFirstEntryWins) {
  clsHashTable t;
  // "ab" and "b" + 'a'-shifted spellings: find two distinct words with the same bucket.
  std::map<int32_t, std::string> byBucket;
  std::string first, second;
  for (char a = 'A'; a <= 'z' && second.empty(); ++a) {
    for (char b = 'A'; b <= 'z' && second.empty(); ++b) {
      for (char c = 'A'; c <= 'z'; ++c) {
        const std::string w{a, b, c};
        auto [it, fresh] = byBucket.emplace(t.BucketIndex(w), w);
        if (!fresh) {
          first = it->second;
          second = w;
          break;
        }
      }
    }
  }
  ASSERT_FALSE(second.empty());
  ASSERT_EQ(t.BucketIndex(first), t.BucketIndex(second));
  t.AddToken(first, 501);
  t.AddToken(second, 502);
  t.AddToken(first, 503);  // a repeat never answers
  int32_t code = 0;
  bool found = false;
  t.IsTokenFound(first, code, found);
  EXPECT_TRUE(found);
  EXPECT_EQ(code, 501);
  t.IsTokenFound(second, code, found);
  EXPECT_TRUE(found);
  EXPECT_EQ(code, 502);
  EXPECT_EQ(t.StoredCount(), 3);
}

TEST(clsHashTable, AllocateSizeNeverGoesBelow2001AndDiscardsWords) {
  clsHashTable t;
  t.AddToken("Sub", 344);
  t.SetAllocateSize(10);
  EXPECT_EQ(t.AllocateSize(), 2001);
  EXPECT_EQ(t.StoredCount(), 0);
  t.SetAllocateSize(5000);
  EXPECT_EQ(t.AllocateSize(), 10001);
  t.AddToken("Sub", 344);
  int32_t code = 0;
  bool found = false;
  t.IsTokenFound("Sub", code, found);
  EXPECT_TRUE(found);
  EXPECT_EQ(code, 344);
}

// The number of distinct words of a keyword table that land in a bucket an earlier distinct word
// already holds.
int Collisions(const clsToken& tok, KeywordTable table) {
  std::set<std::string_view> words;
  for (const KeywordRow& k : kKeywords)
    if (k.In(table)) words.insert(k.spelling);
  std::set<int32_t> used;
  int n = 0;
  for (const std::string_view w : words) {
    if (!used.insert(tok.HashTable().BucketIndex(w)).second) ++n;
  }
  return n;
}

TEST(clsHashTable, KeywordTablesHaveTheExpectedFewCollisions) {
  // Each keyword of a table is stored once.
  clsToken main;
  main.InitialiseTokenTable();
  EXPECT_EQ(main.HashTable().StoredCount(), 134);
  EXPECT_EQ(Collisions(main, KeywordTable::kCode), 6);

  clsToken form;
  form.InitialiseTokenTableForm();
  EXPECT_EQ(form.HashTable().StoredCount(), 38);
  EXPECT_EQ(Collisions(form, KeywordTable::kForm), 1);
}

}  // namespace
}  // namespace qs
