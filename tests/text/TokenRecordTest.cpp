// The token stream's compact records: codes and text places that a 4-byte record cannot hold
// must read back exactly as written, through every reader, a rewrite, a shrink and a dump.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "text/TokenCodes.h"
#include "text/clsTokenStream.h"

namespace qs {
namespace {

namespace fs = std::filesystem;

std::string TempPath(const std::string& name) {
  const fs::path dir = fs::path(QS_BINARY_DIR) / "text_test_files";
  fs::create_directories(dir);
  return (dir / name).string();
}

// A code that is neither a character nor in the record's code range, one at its edge, and
// ordinary ones.
const std::vector<int32_t> kOddCodes = {-1, -70000, 4094, 4095, 4096, 100000, 2147483647, 0, 283};

TEST(TokenRecords, CodesOutsideTheRecordRangeReadBackExactly) {
  clsTokenStream s;
  for (int32_t code : kOddCodes) s.AddToken(code, "w" + std::to_string(code));
  ASSERT_EQ(s.Count(), static_cast<int32_t>(kOddCodes.size()));
  for (size_t i = 0; i < kOddCodes.size(); ++i) {
    const auto p = static_cast<int32_t>(i);
    EXPECT_EQ(s.TokenCodeAt(p), kOddCodes[i]) << i;
    const int32_t code = kOddCodes[i];
    if (code < 0) {
      EXPECT_EQ(s.TokenStringAt(p), "");
    } else if (code <= 255) {
      EXPECT_EQ(s.TokenLenAt(p), 1);
    } else {
      EXPECT_EQ(s.TokenStringAt(p), "w" + std::to_string(code));
    }
  }
  // Rewriting a wide code with a narrow one and back again.
  s.SetTokenPtr(0);
  s.SetTokenCode(TokIdentifier);
  EXPECT_EQ(s.TokenCode(), TokIdentifier);
  EXPECT_EQ(s.TokenString(), "w-1");
  s.SetTokenCode(-5);
  EXPECT_EQ(s.TokenCode(), -5);
  s.SetTokenCode(300);
  EXPECT_EQ(s.TokenCode(), 300);
  EXPECT_EQ(s.TokenString(), "w-1");
}

TEST(TokenRecords, TextsFarFromTheirBlockKeepTheirPlace) {
  clsTokenStream s;
  // Long texts early in a block push later texts of the same block far above its base.
  const std::string big(700 * 1024, 'x');
  std::vector<std::string> texts;
  for (int i = 0; i < 200; ++i) {
    texts.push_back(i % 3 == 0 ? big + std::to_string(i) : "t" + std::to_string(i));
    s.AddToken(TokString, texts.back());
  }
  for (int i = 0; i < 200; ++i) ASSERT_EQ(s.TokenStringAt(i), texts[static_cast<size_t>(i)]) << i;

  // Rewrites late in a long stream store their text at the arena's end, far from the block of
  // an early token.
  s.SetTokenStringAt(1, "renamed");
  s.SetTokenPtr(2);
  s.MarkAsToken(TokIdentifier, "marked");
  EXPECT_EQ(s.TokenStringAt(1), "renamed");
  EXPECT_EQ(s.TokenCodeAt(2), TokIdentifier);
  EXPECT_EQ(s.TokenStringAt(2), "marked");
  s.MarkAsUndefined(TokUndefined);
  EXPECT_EQ(s.TokenLenAt(2), 0);
  // A second rewrite of the same slot replaces the first.
  s.SetTokenStringAt(1, "again");
  EXPECT_EQ(s.TokenStringAt(1), "again");
  EXPECT_EQ(s.TokenStringAt(4), texts[4]);
}

TEST(TokenRecords, SharedTextsAndEmptyTextsStayDistinct) {
  clsTokenStream s;
  s.AddToken(TokWhiteSpace, " ");
  s.AddToken(TokEndOfLine, "\r\n");
  s.AddToken(TokIdentifier, "");
  s.AddToken(TokWhiteSpace, "  ");
  s.AddToken(TokComment, "'\r\n");
  EXPECT_EQ(s.TokenStringAt(0), " ");
  EXPECT_EQ(s.TokenStringAt(1), "\r\n");
  EXPECT_EQ(s.TokenStringAt(2), "");
  EXPECT_EQ(s.TokenStringAt(3), "  ");
  EXPECT_EQ(s.TokenStringAt(4), "'\r\n");
  EXPECT_EQ(s.Text(0), " \r\n  '\r\n");
}

// Runs of blanks up to 64 long share one text outside the arena; longer runs, runs with a tab
// and blank-led texts that are not all blanks are stored. Each reads back as written, also after
// a rewrite in either direction, a re-coding and a dump.
TEST(TokenRecords, RunsOfBlanksReadBackWhateverTheirLength) {
  clsTokenStream s;
  std::vector<std::string> texts;
  for (size_t n = 1; n <= 70; ++n) texts.push_back(std::string(n, ' '));
  texts.push_back("  \t ");
  texts.push_back("   x");
  texts.push_back(std::string(64, ' ') + "y");
  for (const std::string& t : texts) {
    s.AddToken(TokWhiteSpace, t);
    s.AddToken(TokIdentifier, "w");
  }
  std::string all;
  for (const std::string& t : texts) all += t + "w";
  EXPECT_EQ(s.Text(0), all);
  for (size_t i = 0; i < texts.size(); ++i) {
    const auto p = static_cast<int32_t>(2 * i);
    EXPECT_EQ(s.TokenStringAt(p), texts[i]) << i;
    EXPECT_EQ(s.TokenLenAt(p), static_cast<int32_t>(texts[i].size())) << i;
    EXPECT_EQ(s.TokenCodeAt(p), TokWhiteSpace) << i;
    EXPECT_EQ(s.TokenStringAt(p + 1), "w") << i;
  }
  // A word rewritten to a run of blanks and a run rewritten to a word.
  s.SetTokenStringAt(1, std::string(9, ' '));
  s.SetTokenStringAt(4, "ident");
  EXPECT_EQ(s.TokenStringAt(1), std::string(9, ' '));
  EXPECT_EQ(s.TokenStringAt(4), "ident");
  EXPECT_EQ(s.TokenStringAt(2), std::string(2, ' '));
  // Re-coding passes whitespace by (its code is below the limit), whatever its text, and reads
  // every word's text, the one rewritten to blanks included.
  std::vector<std::string> seen;
  s.RecodeWords(0, TokString, [&seen](std::string_view w) {
    seen.emplace_back(w);
    return TokIdentifier;
  });
  std::vector<std::string> words(texts.size(), "w");
  words[0] = std::string(9, ' ');
  EXPECT_EQ(seen, words);

  const std::string path = TempPath("blank_runs.dump");
  ASSERT_TRUE(s.SaveToFile(path));
  clsTokenStream t;
  ASSERT_TRUE(t.LoadFromFile(path));
  ASSERT_EQ(t.Count(), s.Count());
  for (int32_t p = 0; p < s.Count(); ++p) ASSERT_EQ(t.TokenStringAt(p), s.TokenStringAt(p)) << p;
}

TEST(TokenRecords, ShrinkChangesNothingVisibleAndAppendingGoesOn) {
  clsTokenStream s;
  s.Reserve(100000, 1 << 20);
  for (int i = 0; i < 3000; ++i) s.AddToken(i % 2 ? TokIdentifier : '+', "n" + std::to_string(i));
  const std::string before = s.Text(0);
  const int32_t capacity = s.Capacity();
  s.ShrinkToFit();
  EXPECT_EQ(s.Text(0), before);
  EXPECT_EQ(s.Count(), 3000);
  EXPECT_EQ(s.Capacity(), capacity);
  EXPECT_EQ(s.TokenPtr(), 3000);
  for (int i = 3000; i < 3300; ++i) s.AddToken(TokIdentifier, "m" + std::to_string(i));
  EXPECT_EQ(s.Count(), 3300);
  EXPECT_EQ(s.TokenStringAt(1), "n1");
  EXPECT_EQ(s.TokenStringAt(3299), "m3299");
}

TEST(TokenRecords, WritingAheadOfTheLastRecordAndOverwritingBehindIt) {
  clsTokenStream s;
  for (int i = 0; i < 10; ++i) s.AddToken(TokIdentifier, "a" + std::to_string(i));
  // Overwrite from the middle: the slots behind take new codes and texts.
  s.SetTokenPtr(3);
  s.AddToken(-9, "neg");
  s.AddToken(5000, "wide");
  EXPECT_EQ(s.TokenCodeAt(3), -9);
  EXPECT_EQ(s.TokenStringAt(3), "");
  EXPECT_EQ(s.TokenCodeAt(4), 5000);
  EXPECT_EQ(s.TokenStringAt(4), "wide");
  EXPECT_EQ(s.TokenStringAt(5), "a5");
  // Setting the code of a position inside the capacity but past the records.
  s.SetTokenPtr(s.Count());
  s.SetTokenCode(TokIdentifier);
  EXPECT_EQ(s.TokenCode(), TokIdentifier);
  EXPECT_EQ(s.TokenCodeAt(s.Count() + 50), 0);
}

TEST(TokenRecords, DumpRoundTripsOddCodesAndFarTexts) {
  clsTokenStream s;
  const std::string big(60000, 'q');
  for (int32_t code : kOddCodes) s.AddToken(code, "c" + std::to_string(code));
  for (int i = 0; i < 40; ++i) s.AddToken(TokComment, big);
  s.SetTokenStringAt(2, "late");
  const std::string path = TempPath("token_records.dump");
  ASSERT_TRUE(s.SaveToFile(path));
  clsTokenStream t;
  ASSERT_TRUE(t.LoadFromFile(path));
  ASSERT_EQ(t.Count(), s.Count());
  ASSERT_EQ(t.Capacity(), s.Capacity());
  for (int32_t p = -1; p <= s.Capacity(); ++p) {
    ASSERT_EQ(t.TokenCodeAt(p), s.TokenCodeAt(p)) << p;
    ASSERT_EQ(t.TokenStringAt(p), s.TokenStringAt(p)) << p;
  }
  EXPECT_EQ(t.TokenStringAt(2), "late");
  EXPECT_EQ(t.TokenCodeAt(-1), 0);
}

}  // namespace
}  // namespace qs
