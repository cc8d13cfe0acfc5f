#include <gtest/gtest.h>

#include "text/Cp1252.h"

namespace qs {
namespace {

TEST(Cp1252, LettersAndDigitsOfTheCodePage) {
  for (unsigned c : {unsigned('a'), unsigned('Z'), unsigned('0'), 0xC0u, 0xE9u, 0xFFu, 0x8Au, 0x9Fu,
                     0xAAu, 0xB5u, 0xBAu, 0x83u, 0xB2u, 0xB3u, 0xB9u})
    EXPECT_TRUE(IsAlnum1252(static_cast<unsigned char>(c))) << c;
  for (unsigned c :
       {0u, unsigned('_'), unsigned(' '), 0xD7u, 0xF7u, 0x80u, 0xA0u, 0xBFu, 0x9Bu, 0xB1u, 0xBCu})
    EXPECT_FALSE(IsAlnum1252(static_cast<unsigned char>(c))) << c;
}

TEST(Cp1252, CaseFoldingCoversAccentedLetters) {
  EXPECT_EQ(Upper1252("abc\xE9\x9A\x9C\x9E\xFF"), "ABC\xC9\x8A\x8C\x8E\x9F");
  EXPECT_EQ(Lower1252("D:\\WORK\\\xC9T\xC9.VBP"), "d:\\work\\\xE9t\xE9.vbp");
  EXPECT_EQ(Upper1252("\xF7\xD7"), "\xF7\xD7");  // division and multiplication signs stay
  EXPECT_TRUE(EqualsNoCase1252("frmMain", "FRMMAIN"));
  EXPECT_TRUE(EqualsNoCase1252("\xC9t\xE9", "\xE9T\xC9"));
  EXPECT_FALSE(EqualsNoCase1252("frmMain", "frmMai"));
  EXPECT_EQ(HashNoCase1252("Module1"), HashNoCase1252("MODULE1"));
}

TEST(Cp1252, ConvertsToAndFromUtf8) {
  EXPECT_EQ(Cp1252ToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(Utf8To1252("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");
  EXPECT_EQ(Utf8To1252("\xE6\x97\xA5"), "?");  // a character the code page lacks
  EXPECT_EQ(Utf8To1252("a\xC3"), "a?");        // a sequence cut short
  EXPECT_EQ(Utf8To1252("\xFF"
                       "b"),
            "?b");  // not UTF-8 at all
  std::string all;
  for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
  EXPECT_EQ(Utf8To1252(Cp1252ToUtf8(all)), all);  // every byte survives the round trip
}

}  // namespace
}  // namespace qs
