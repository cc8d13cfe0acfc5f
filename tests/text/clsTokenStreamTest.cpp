#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "text/TokenCodes.h"
#include "text/clsFixups.h"
#include "text/clsTokenStream.h"

namespace qs {
namespace {

namespace fs = std::filesystem;

std::string TempPath(const std::string& name) {
  const fs::path dir = fs::path(QS_BINARY_DIR) / "text_test_files";
  fs::create_directories(dir);
  return (dir / name).string();
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Private Sub X(): 331 279 344 279 283 40 41 278
void FillSample(clsTokenStream& s) {
  s.AddToken(KwPrivate, "Private");
  s.AddToken(TokWhiteSpace, " ");
  s.AddToken(KwSub, "Sub");
  s.AddToken(TokWhiteSpace, " ");
  s.AddToken(TokIdentifier, "X");
  s.AddToken('(', "");
  s.AddToken(')', "");
  s.AddToken(TokEndOfLine, "\r\n");
}

TEST(clsTokenStream, NewStreamIsEmptyAndAtItsEnd) {
  clsTokenStream s;
  EXPECT_EQ(s.Count(), 0);
  EXPECT_EQ(s.TokenPtr(), 0);
  EXPECT_TRUE(s.EOS());
  EXPECT_EQ(s.TokenCode(), 0);
  EXPECT_EQ(s.Capacity(), 1000);
  EXPECT_EQ(s.BookMarks().Count(), 0);
}

TEST(clsTokenStream, CursorMovesWithinMinusOneAndCountPlusOne) {
  clsTokenStream s;
  s.AddToken(TokIdentifier, "a");
  s.AddToken('=', "");
  s.AddToken(TokIdentifier, "b");
  EXPECT_EQ(s.Count(), 3);
  EXPECT_EQ(s.TokenPtr(), 3);
  EXPECT_TRUE(s.EOS());
  s.GoBOS();
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(s.EOS());
    s.NextPtr();
  }
  EXPECT_TRUE(s.EOS());
  s.NextPtr();  // count -> count + 1
  EXPECT_EQ(s.TokenPtr(), 4);
  s.NextPtr();  // no further
  EXPECT_EQ(s.TokenPtr(), 4);
  EXPECT_EQ(s.TokenCode(), 0);

  s.GoBOS();
  EXPECT_EQ(s.TokenCodePrev(), 0);
  s.PrevPtr();
  EXPECT_EQ(s.TokenPtr(), -1);
  EXPECT_EQ(s.TokenCode(), 0);
  EXPECT_EQ(s.TokenCodeAhead(1), TokIdentifier);
  s.PrevPtr();
  EXPECT_EQ(s.TokenPtr(), -1);

  s.SetTokenPtr(-1);
  EXPECT_EQ(s.TokenPtr(), -1);  // unchanged from before, not set
  s.SetTokenPtr(1);
  EXPECT_EQ(s.TokenPtr(), 1);
  s.SetTokenPtr(4);  // count + 1: ignored
  EXPECT_EQ(s.TokenPtr(), 1);
  s.SetTokenPtr(3);  // count: accepted
  EXPECT_EQ(s.TokenPtr(), 3);
  EXPECT_TRUE(s.EOS());
  EXPECT_EQ(s.TokenCodeAt(1), '=');
  EXPECT_EQ(s.TokenCodeAt(-2), 0);
  EXPECT_EQ(s.TokenCodeAt(1000000), 0);
}

TEST(clsTokenStream, ReadersSeeTheCharacterOfASingleCharacterToken) {
  clsTokenStream s;
  s.AddToken('(', "");
  s.AddToken(TokIdentifier, "Abc");
  s.AddToken('x', "stored text is ignored");
  s.GoBOS();
  EXPECT_EQ(s.TokenString(), "(");
  EXPECT_EQ(s.TokenLen(), 1);
  s.NextPtr();
  EXPECT_EQ(s.TokenString(), "Abc");
  EXPECT_EQ(s.TokenLen(), 3);
  s.NextPtr();
  EXPECT_EQ(s.TokenString(), "x");
  EXPECT_EQ(s.TokenLen(), 1);
  s.NextPtr();
  // Past the last token the code is 0 and readers see the character with code 0.
  EXPECT_EQ(s.TokenString(), std::string(1, '\0'));
  EXPECT_EQ(s.TokenStringAt(5000), "");
  EXPECT_EQ(s.TokenLenAt(-7), 0);
}

TEST(clsTokenStream, CapacityGrowsInStepsOfAThousandKeepingRecords) {
  clsTokenStream s;
  for (int i = 0; i < 1000; ++i) s.AddToken(TokIdentifier, std::to_string(i));
  EXPECT_EQ(s.Capacity(), 1000);
  s.AddToken(TokIdentifier, "1000");
  EXPECT_EQ(s.Capacity(), 2000);
  for (int i = 1001; i < 5500; ++i) s.AddToken(TokIdentifier, std::to_string(i));
  EXPECT_EQ(s.Capacity(), 6000);
  EXPECT_EQ(s.Count(), 5500);
  for (int i = 0; i < 5500; i += 499) {
    EXPECT_EQ(s.TokenStringAt(i), std::to_string(i));
    EXPECT_EQ(s.TokenCodeAt(i), TokIdentifier);
  }
  EXPECT_EQ(s.TokenCodeAt(5500), 0);  // allocated but never written
  s.Clear();
  EXPECT_EQ(s.Capacity(), 1000);
  EXPECT_EQ(s.Count(), 0);
  EXPECT_EQ(s.TokenPtr(), 0);
  EXPECT_EQ(s.TokenCodeAt(0), 0);
}

TEST(clsTokenStream, RewritesChangeTheRebuiltText) {
  clsTokenStream s;
  FillSample(s);
  EXPECT_EQ(s.Text(0), "Private Sub X()\r\n");
  EXPECT_EQ(s.Text(2), "Sub X()\r\n");
  EXPECT_EQ(s.TokenPtr(), 8);  // Text leaves the cursor where it was

  s.SetTokenPtr(4);
  s.MarkAsToken(TokIdentifier, "Renamed");
  EXPECT_EQ(s.Text(0), "Private Sub Renamed()\r\n");
  EXPECT_EQ(s.TokenLen(), 7);

  s.SetTokenPtr(0);
  s.MarkAsUndefined(TokUndefined);
  s.NextPtr();
  s.MarkAsUndefined(TokUndefined);
  EXPECT_EQ(s.Text(0), "Sub Renamed()\r\n");

  s.SetTokenStringAt(2, "Function");
  s.SetTokenPtr(2);
  s.SetTokenCode(KwFunction);
  EXPECT_EQ(s.TokenCode(), KwFunction);
  EXPECT_EQ(s.Text(0), "Function Renamed()\r\n");
  s.SetTokenString(s.TokenString());  // a view of the stream's own text
  EXPECT_EQ(s.TokenString(), "Function");
}

TEST(clsTokenStream, SentinelAndOutOfRangeWritesAreIgnored) {
  clsTokenStream s;
  FillSample(s);
  s.GoBOS();
  s.PrevPtr();
  s.MarkAsToken(TokIdentifier, "bad");
  s.SetTokenCode(99);
  s.AddToken(TokIdentifier, "bad");
  EXPECT_EQ(s.TokenCodeAt(-1), 0);
  EXPECT_EQ(s.Count(), 8);
  s.SetTokenStringAt(5000, "far");
  s.SetTokenStringAt(-1, "far");
  EXPECT_EQ(s.TokenStringAt(5000), "");
  EXPECT_EQ(s.Text(0), "Private Sub X()\r\n");
}

TEST(clsTokenStream, DumpRoundTrips) {
  clsTokenStream s;
  FillSample(s);
  s.SetTokenPtr(5);
  s.MarkAsToken('(', "kept");  // a stored text behind a single-character code survives too
  const std::string path = TempPath("roundtrip.dump");
  ASSERT_TRUE(s.SaveToFile(path));
  // Header, 1002 records of 10 bytes, and the texts "Private", " ", "Sub", " ", "X", "kept", CR LF.
  EXPECT_EQ(ReadAll(path).size(), 8u + 1002u * 10u + 19u);

  clsTokenStream back;
  ASSERT_TRUE(back.LoadFromFile(path));
  EXPECT_EQ(back.Count(), 8);
  EXPECT_EQ(back.TokenPtr(), 0);
  EXPECT_EQ(back.Capacity(), 1000);
  for (int32_t i = 0; i < 8; ++i) {
    EXPECT_EQ(back.TokenCodeAt(i), s.TokenCodeAt(i)) << i;
    EXPECT_EQ(back.TokenStringAt(i), s.TokenStringAt(i)) << i;
    EXPECT_EQ(back.TokenLenAt(i), s.TokenLenAt(i)) << i;
  }
  EXPECT_EQ(back.Text(0), s.Text(0));
}

TEST(clsTokenStream, SaveReplacesALongerEarlierDump) {
  const std::string path = TempPath("shrink.dump");
  clsTokenStream big;
  for (int i = 0; i < 1500; ++i) big.AddToken(TokIdentifier, "word");
  ASSERT_TRUE(big.SaveToFile(path));
  clsTokenStream small;
  FillSample(small);
  ASSERT_TRUE(small.SaveToFile(path));
  const std::string bytes = ReadAll(path);
  clsTokenStream expected;
  FillSample(expected);
  const std::string other = TempPath("shrink_expected.dump");
  ASSERT_TRUE(expected.SaveToFile(other));
  EXPECT_EQ(bytes, ReadAll(other));
}

TEST(clsTokenStream, SaveRefusesATextTooLongForTheDump) {
  const std::string path = TempPath("toolong.dump");
  WriteAll(path, "previous");
  clsTokenStream s;
  s.AddToken(TokComment, std::string(65536, 'x'));
  EXPECT_FALSE(s.SaveToFile(path));
  EXPECT_EQ(ReadAll(path), "previous");
  clsTokenStream ok;
  ok.AddToken(TokComment, std::string(65535, 'x'));
  EXPECT_TRUE(ok.SaveToFile(path));
  clsTokenStream back;
  ASSERT_TRUE(back.LoadFromFile(path));
  EXPECT_EQ(back.TokenLenAt(0), 65535);
}

TEST(clsTokenStream, LoadOfABadDumpLeavesAnEmptyStream) {
  clsTokenStream good;
  FillSample(good);
  const std::string goodPath = TempPath("good.dump");
  ASSERT_TRUE(good.SaveToFile(goodPath));
  const std::string bytes = ReadAll(goodPath);

  auto withInt = [&](size_t at, uint32_t v) {
    std::string b = bytes;
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return b;
  };
  struct Bad {
    const char* what;
    std::string bytes;
  };
  const Bad cases[] = {
      {"empty file", ""},
      {"short header", bytes.substr(0, 6)},
      {"truncated records", bytes.substr(0, bytes.size() - 3)},
      {"capacity beyond the file", withInt(0, 0x7FFFFFF0u)},
      {"negative capacity", withInt(0, 0xFFFFFFFEu)},
      {"negative count", withInt(4, 0xFFFFFFFFu)},
      {"count beyond capacity", withInt(4, 1002)},
      // First real record (after the 10-byte sentinel) has code 331 and text "Private".
      {"text length beyond the file",
       [&] {
         std::string b = bytes;
         b[8 + 10 + 4] = '\xFF';
         b[8 + 10 + 5] = '\xFF';
         return b;
       }()},
      {"length field disagrees", withInt(8 + 10 + 4 + 2 + 7, 3)},
  };
  for (const Bad& c : cases) {
    const std::string path = TempPath("bad.dump");
    WriteAll(path, c.bytes);
    clsTokenStream s;
    FillSample(s);
    EXPECT_FALSE(s.LoadFromFile(path)) << c.what;
    EXPECT_EQ(s.Count(), 0) << c.what;
    EXPECT_EQ(s.TokenPtr(), 0) << c.what;
    EXPECT_EQ(s.TokenCodeAt(0), 0) << c.what;
  }
  clsTokenStream s;
  FillSample(s);
  EXPECT_FALSE(s.LoadFromFile(TempPath("does_not_exist.dump")));
  EXPECT_EQ(s.Count(), 0);
}

TEST(clsTokenStream, TextFilesReplaceWhatWasThere) {
  clsTokenStream s;
  FillSample(s);
  const std::string path = TempPath("text.txt");
  WriteAll(path, std::string(100, 'z'));
  ASSERT_TRUE(s.SaveTextToFile(path));
  EXPECT_EQ(ReadAll(path), "Private Sub X()\r\n");
  ASSERT_TRUE(s.SavePointTextToFile(4, path));
  EXPECT_EQ(ReadAll(path), "X()\r\n");
  EXPECT_FALSE(s.SaveTextToFile(TempPath("no_such_dir/x.txt")));
}

}  // namespace
}  // namespace qs

namespace qs {
namespace {

// The positions of one code, across record blocks and after codes were changed in place.
TEST(clsTokenStream, PositionsOfACodeFollowTheRecords) {
  clsTokenStream ts;
  std::vector<int32_t> expected;
  for (int32_t i = 0; i < 300; ++i) {
    const bool lineEnd = i % 7 == 3;
    ts.AddToken(lineEnd ? TokEndOfLine : TokIdentifier, lineEnd ? "\r\n" : "word");
    if (lineEnd) expected.push_back(i);
  }
  ts.SetTokenPtr(12);
  ts.SetTokenCode(TokEndOfLine);  // one more
  ts.SetTokenPtr(3);
  ts.SetTokenCode(TokWhiteSpace);  // one fewer
  expected.erase(expected.begin());
  expected.insert(expected.begin() + 1, 12);
  std::vector<int32_t> found = {-5};  // appended to, not replaced
  ts.AppendPositionsOf(TokEndOfLine, found);
  found.erase(found.begin());
  EXPECT_EQ(found, expected);
  std::vector<int32_t> none;
  ts.AppendPositionsOf(0, none);
  ts.AppendPositionsOf(5000, none);
  EXPECT_TRUE(none.empty());
}

}  // namespace
}  // namespace qs
