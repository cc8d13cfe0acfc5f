#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "text/ClsString.h"

namespace qs {
namespace {

namespace fs = std::filesystem;

std::string TempFile(const std::string& name, const std::string& bytes) {
  const fs::path dir = fs::path(QS_BINARY_DIR) / "text_test_files";
  fs::create_directories(dir);
  const std::string path = (dir / name).string();
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

ClsString Of(const std::string& text) {
  ClsString s;
  s.SetText(text);
  return s;
}

TEST(ClsString, FreshObjectHasRoomButNoText) {
  ClsString s;
  EXPECT_EQ(s.Length(), 0);
  EXPECT_EQ(s.Capacity(), 520);
  EXPECT_EQ(s.Text(), "");
  EXPECT_EQ(s.Char(519), std::string(1, '\0'));
}

TEST(ClsString, AssigningTextSizesTheBuffer) {
  ClsString s = Of("abc");
  EXPECT_EQ(s.Length(), 3);
  EXPECT_EQ(s.Capacity(), 263);
  EXPECT_EQ(s.Text(), "abc");
  EXPECT_EQ(s.Char(1), "b");
  EXPECT_EQ(s.Char(-5), "a");
  EXPECT_EQ(s.Char(10000), std::string(1, '\0'));
  EXPECT_EQ(s.Char(3), std::string(1, '\0'));  // first spare byte
}

TEST(ClsString, AllocateKeepsExistingBytes) {
  ClsString s = Of("hello");
  s.SetAllocateBufferSize(2);
  EXPECT_EQ(s.Text(), "he");
  EXPECT_EQ(s.Capacity(), 262);
  s.SetAllocateBufferSize(5);
  EXPECT_EQ(s.Text(), "hello");
  s.SetAllocateBufferSize(-1);  // refused
  EXPECT_EQ(s.Length(), 5);
}

TEST(ClsString, LengthIsClampedToTheBuffer) {
  ClsString s = Of("abc");
  s.SetLength(2);
  EXPECT_EQ(s.Text(), "ab");
  s.SetLength(1000);
  EXPECT_EQ(s.Length(), 262);
  s.SetLength(-4);
  EXPECT_EQ(s.Length(), 0);
}

struct CountCase {
  const char* what;
  std::string text;
  int32_t words;
  int32_t lines;
};

TEST(ClsString, WordAndLineCounts) {
  const CountCase cases[] = {
      {"empty", "", 0, 0},
      {"underscore joins words", "ab_c d", 2, 0},
      {"underscore may start a word", "_x", 1, 0},
      {"CR LF counts", "a\r\nb", 2, 1},
      {"trailing CR LF counts", "a\r\nb\r\n", 2, 2},
      {"bare LF does not count", "a\nb", 2, 0},
      {"bare CR does not count", "a\rb", 2, 0},
      {"CR CR LF counts once", "\r\r\n", 0, 1},
      {"accented letters are word bytes", "caf\xE9 na\xEFve \xD7", 2, 0},
      {"digits are word bytes", "x1 22 ,;", 2, 0},
      {"superscript digits are word bytes", "x\xB2 \xB3y a\xB9_ \xB1", 3, 0},
  };
  for (const CountCase& c : cases) {
    const ClsString s = Of(c.text);
    EXPECT_EQ(s.WordCount(), c.words) << c.what;
    EXPECT_EQ(s.LineCount(), c.lines) << c.what;
    int32_t wc = -7, lc = -7;
    s.WordLineCount(wc, lc);
    EXPECT_EQ(wc, c.words) << c.what;
    EXPECT_EQ(lc, c.lines) << c.what;
  }
}

TEST(ClsString, WordReturnsTheNthWord) {
  const ClsString s = Of("ab_c d");
  EXPECT_EQ(s.Word(1), "ab_c");
  EXPECT_EQ(s.Word(2), "d");
  EXPECT_EQ(s.Word(3), "");
  EXPECT_EQ(s.Word(0), "");
  EXPECT_EQ(s.Word(-1), "");
  EXPECT_EQ(Of("  x,y  ").Word(2), "y");
}

TEST(ClsString, CountsIgnoreBytesBehindAShortenedText) {
  ClsString s = Of("ab cd\r\nef");
  s.SetLength(3);  // "ab " — "cd" stays in the buffer behind the text
  EXPECT_EQ(s.WordCount(), 1);
  EXPECT_EQ(s.Word(2), "");
  s.SetLength(6);  // "ab cd\r" — the LF lies behind the text
  EXPECT_EQ(s.LineCount(), 0);
}

TEST(ClsString, LoadsAWholeFile) {
  std::string bytes = "Attribute VB_Name = \"m\"\r\n";
  bytes += std::string("\0\xFF\x80", 3);
  const std::string path = TempFile("load.bas", bytes);
  ClsString s;
  ASSERT_TRUE(s.LoadFromFile(path));
  EXPECT_EQ(s.Length(), static_cast<int32_t>(bytes.size()));
  EXPECT_EQ(s.Capacity(), s.Length() + 260);
  EXPECT_EQ(s.Text(), bytes);
  for (int32_t i = s.Length(); i <= s.Capacity(); ++i) ASSERT_EQ(s.Char(i)[0], '\0') << i;
}

TEST(ClsString, LoadOfAnEmptyOrMissingFile) {
  ClsString empty;
  ASSERT_TRUE(empty.LoadFromFile(TempFile("empty.bas", "")));
  EXPECT_EQ(empty.Length(), 0);
  EXPECT_EQ(empty.Text(), "");
  EXPECT_EQ(empty.WordCount(), 0);
  EXPECT_EQ(empty.LineCount(), 0);

  ClsString s = Of("keep");
  EXPECT_FALSE(s.LoadFromFile(TempFile("x", "") + ".missing"));
  EXPECT_EQ(s.Text(), "keep");
  EXPECT_FALSE(s.LoadFromFile(QS_BINARY_DIR));  // a folder
  EXPECT_EQ(s.Text(), "keep");
}

TEST(ClsString, LoadOverLongerTextLeavesNoStaleBytes) {
  ClsString s = Of(std::string(100, 'q'));
  ASSERT_TRUE(s.LoadFromFile(TempFile("short.bas", "ab")));
  EXPECT_EQ(s.Text(), "ab");
  EXPECT_EQ(s.Char(2), std::string(1, '\0'));
  EXPECT_EQ(s.Char(50), std::string(1, '\0'));
}

}  // namespace
}  // namespace qs
