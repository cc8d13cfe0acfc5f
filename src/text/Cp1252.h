// Code page 1252 character classes, letter case and conversions.
//
// Input files are single-byte text in code page 1252. The core keeps them as bytes in std::string;
// these helpers answer the questions the scanners and collections ask about such bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qs {

namespace detail {
constexpr std::array<uint8_t, 256> MakeAlnum1252() {
  std::array<uint8_t, 256> t{};
  for (unsigned c = '0'; c <= '9'; ++c) t[c] = 1;
  for (unsigned c = 'A'; c <= 'Z'; ++c) t[c] = 1;
  for (unsigned c = 'a'; c <= 'z'; ++c) t[c] = 1;
  for (unsigned c = 0xC0; c <= 0xFF; ++c) t[c] = (c != 0xD7 && c != 0xF7) ? 1 : 0;
  // Letters among the punctuation area of the code page: f-hook, S/s caron, OE/oe, Z/z caron,
  // Y diaeresis, the ordinal indicators and the micro sign.
  for (unsigned c : {0x83u, 0x8Au, 0x8Cu, 0x8Eu, 0x9Au, 0x9Cu, 0x9Eu, 0x9Fu, 0xAAu, 0xB5u, 0xBAu})
    t[c] = 1;
  // Digits among them: superscript two, three and one.
  for (unsigned c : {0xB2u, 0xB3u, 0xB9u}) t[c] = 1;
  return t;
}
constexpr std::array<uint8_t, 256> MakeUpper1252() {
  std::array<uint8_t, 256> t{};
  for (unsigned c = 0; c < 256; ++c) t[c] = static_cast<uint8_t>(c);
  for (unsigned c = 'a'; c <= 'z'; ++c) t[c] = static_cast<uint8_t>(c - 32);
  for (unsigned c = 0xE0; c <= 0xFE; ++c)
    if (c != 0xF7) t[c] = static_cast<uint8_t>(c - 32);
  t[0x9A] = 0x8A;  // s caron
  t[0x9C] = 0x8C;  // oe
  t[0x9E] = 0x8E;  // z caron
  t[0xFF] = 0x9F;  // y diaeresis
  return t;
}
constexpr std::array<uint8_t, 256> MakeLower1252() {
  std::array<uint8_t, 256> t{};
  for (unsigned c = 0; c < 256; ++c) t[c] = static_cast<uint8_t>(c);
  for (unsigned c = 'A'; c <= 'Z'; ++c) t[c] = static_cast<uint8_t>(c + 32);
  for (unsigned c = 0xC0; c <= 0xDE; ++c)
    if (c != 0xD7) t[c] = static_cast<uint8_t>(c + 32);
  t[0x8A] = 0x9A;
  t[0x8C] = 0x9C;
  t[0x8E] = 0x9E;
  t[0x9F] = 0xFF;
  return t;
}
}  // namespace detail

/// 1 for the letters and digits of code page 1252, 0 for every other byte.
inline constexpr std::array<uint8_t, 256> kCp1252Alnum = detail::MakeAlnum1252();
/// Upper- and lower-case partner of every byte (the byte itself when it has none).
inline constexpr std::array<uint8_t, 256> kCp1252Upper = detail::MakeUpper1252();
inline constexpr std::array<uint8_t, 256> kCp1252Lower = detail::MakeLower1252();

/// True for a letter or digit of code page 1252.
inline bool IsAlnum1252(unsigned char c) {
  return kCp1252Alnum[c] != 0;
}
inline unsigned char ToUpper1252(unsigned char c) {
  return kCp1252Upper[c];
}
inline unsigned char ToLower1252(unsigned char c) {
  return kCp1252Lower[c];
}

/// The text with every letter upper-cased (lower-cased) as code page 1252 folds it.
std::string Upper1252(std::string_view s);
std::string Lower1252(std::string_view s);

/// True when both texts are equal ignoring letter case as code page 1252 folds it.
bool EqualsNoCase1252(std::string_view a, std::string_view b);

/// A hash of the text that ignores letter case (consistent with EqualsNoCase1252).
size_t HashNoCase1252(std::string_view s);

/// Converts UTF-8 to code page 1252; a character the code page lacks becomes "?", and so does
/// every byte that is not valid UTF-8.
std::string Utf8To1252(std::string_view utf8);

/// Converts UTF-8 to code page 1252 exactly (the reverse of Cp1252ToUtf8), appending to out.
/// False, with out unchanged, when the text is not valid UTF-8 or holds a character the code page
/// lacks.
bool Utf8To1252Exact(std::string_view utf8, std::string& out);

/// Converts code page 1252 bytes to UTF-8. The five bytes the code page leaves undefined
/// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control characters of the same value, so the
/// conversion never loses a byte.
std::string Cp1252ToUtf8(std::string_view s);
/// The same conversion, appended to out (which keeps its room, so a reused buffer allocates once).
void AppendCp1252ToUtf8(std::string& out, std::string_view s);

}  // namespace qs
