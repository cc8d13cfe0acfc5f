// Words the resolver reads itself, beside the tokenizer's codes: keywords written in another
// letter case (the tokenizer matches a keyword's exact spelling, and the report depends on that),
// the Def-type statements, the type characters and the built-in types a declaration names.
// Internal to src/analysis; small and inline, for the walk asks for them on every word.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "text/Keywords.h"
#include "text/TokenCodes.h"

namespace qs::resolver {

namespace words {

constexpr unsigned char UpperAscii(unsigned char c) {
  return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c;
}

constexpr bool SameAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpperAscii(static_cast<unsigned char>(a[i])) !=
        UpperAscii(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

constexpr uint32_t HashAscii(std::string_view s) {
  uint32_t h = 2166136261u;
  for (const char c : s) h = (h ^ UpperAscii(static_cast<unsigned char>(c))) * 16777619u;
  return h;
}

// The code table's words that VB lets a program use as names too (functions and statements
// of the runtime: "Dim mid As Long", a parameter "step"): a name written in another case stays
// a name. Those of the name keywords' codes (kFirstNameKeyword on) are names anyway.
constexpr std::string_view kNotReserved[] = {
    "Mid",   "Len",   "Step",  "Seek", "Lock",      "Unlock", "Input",    "Open", "Close",    "Put",
    "Reset", "Write", "Print", "Kill", "Randomize", "Array",  "DoEvents", "Any",  "Attribute"};

constexpr bool Reserved(const KeywordRow& k) {
  if (!k.In(KeywordTable::kCode) || k.code >= kFirstNameKeyword) return false;
  for (const std::string_view w : kNotReserved)
    if (w == k.spelling) return false;
  return true;
}

constexpr size_t kSlots = 512;
constexpr size_t kShortest = 2;
constexpr size_t kLongest = 12;

// The code table's keywords by their upper-cased spelling: for each slot 1 + the row's index,
// or 0; open addressing with linear probes.
constexpr std::array<uint8_t, kSlots> kCodeWordSlots = [] {
  std::array<uint8_t, kSlots> slots{};
  for (size_t r = 0; r < std::size(kKeywords); ++r) {
    if (!Reserved(kKeywords[r])) continue;
    size_t s = HashAscii(kKeywords[r].spelling) & (kSlots - 1);
    while (slots[s] != 0) s = (s + 1) & (kSlots - 1);
    slots[s] = static_cast<uint8_t>(r + 1);
  }
  return slots;
}();

// For each first letter and length, the last letters of the reserved words: most names are
// told apart from every keyword by three looks at this table, before any hashing.
constexpr std::array<std::array<uint32_t, kLongest + 1>, 26> kLastLetters = [] {
  std::array<std::array<uint32_t, kLongest + 1>, 26> masks{};
  for (const KeywordRow& k : kKeywords) {
    if (!Reserved(k)) continue;
    const auto first = UpperAscii(static_cast<unsigned char>(k.spelling.front())) - 'A';
    const auto last = UpperAscii(static_cast<unsigned char>(k.spelling.back())) - 'A';
    masks[static_cast<size_t>(first)][k.spelling.size()] |= 1u << last;
  }
  return masks;
}();

consteval bool CodeWordsFit() {
  for (const KeywordRow& k : kKeywords)
    if (k.In(KeywordTable::kCode) &&
        (k.spelling.size() < kShortest || k.spelling.size() > kLongest))
      return false;
  return true;
}
static_assert(CodeWordsFit(), "a keyword of the code table is outside the lengths looked at");

}  // namespace words

/// The code of the code table's reserved word spelt as the word in any letter case (VB's
/// keywords are case-insensitive), or 0 for a word that is none.
inline int32_t KeywordNoCase(std::string_view word) {
  if (word.size() < words::kShortest || word.size() > words::kLongest) return 0;
  const auto first = static_cast<unsigned char>(word[0]);
  const auto upper = words::UpperAscii(first);
  const auto last = words::UpperAscii(static_cast<unsigned char>(word.back()));
  if (upper < 'A' || upper > 'Z' || last < 'A' || last > 'Z' ||
      (words::kLastLetters[upper - 'A'][word.size()] & (1u << (last - 'A'))) == 0)
    return 0;
  for (size_t s = words::HashAscii(word) & (words::kSlots - 1);;
       s = (s + 1) & (words::kSlots - 1)) {
    const uint8_t row = words::kCodeWordSlots[s];
    if (row == 0) return 0;
    if (words::SameAscii(kKeywords[row - 1].spelling, word)) return kKeywords[row - 1].code;
  }
}

/// The built-in type a Def-type statement's word gives its letters (the type keyword's code:
/// DefLng gives KwLong), or 0 for a word that is none.
inline int32_t DefTypeWord(std::string_view word) {
  if (word.size() < 6 || word.size() > 7 || !words::SameAscii(word.substr(0, 3), "Def")) return 0;
  struct Def {
    std::string_view word;
    int32_t type;
  };
  static constexpr Def kDefs[] = {
      {"DefBool", KwBoolean}, {"DefByte", KwByte},  {"DefInt", KwInteger}, {"DefLng", KwLong},
      {"DefCur", KwCurrency}, {"DefSng", KwSingle}, {"DefDbl", KwDouble},  {"DefDec", KwDecimal},
      {"DefDate", KwDate},    {"DefStr", KwString}, {"DefObj", KwObject},  {"DefVar", KwVariant}};
  for (const Def& d : kDefs)
    if (words::SameAscii(d.word, word)) return d.type;
  return 0;
}

/// The built-in type a type character gives (KwString for "$"), or 0.
inline int32_t SuffixType(int32_t code) {
  switch (code) {
    case '%':
      return KwInteger;
    case '&':
      return KwLong;
    case '!':
      return KwSingle;
    case '#':
      return KwDouble;
    case '@':
      return KwCurrency;
    case '$':
      return KwString;
    default:
      return 0;
  }
}

/// The built-in type a declared type names ("Long", "String * 10"): its keyword's code; 0 for
/// a type of another name (a class, a user type) or none.
inline int32_t BuiltinTypeOf(std::string_view type) {
  const size_t end = type.find_first_of(" *(");
  if (end != std::string_view::npos) type = type.substr(0, end);
  for (const KeywordRow& k : kKeywords)
    if (k.IsBuiltinType() && words::SameAscii(k.spelling, type)) return k.code;
  return 0;
}

/// Whether a built-in type's values have no members: every built-in type but Variant and Object.
inline bool HasNoMembers(int32_t type) {
  return type != 0 && type != KwVariant && type != KwObject;
}

/// Whether a comment's text ends with a line continuation (a blank, then "_"): VB goes on with
/// the comment on the next line.
inline bool EndsWithContinuation(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text.size() >= 2 && text.back() == '_' &&
         (text[text.size() - 2] == ' ' || text[text.size() - 2] == '\t');
}

}  // namespace qs::resolver
