// The keywords of the four keyword tables (code, project file, form header, class header): one
// row per keyword with its spelling, its token code and the tables that hold it.
//
// Everything else about keywords is derived from these rows: the hash tables the tokenizers look
// words up in (clsToken), the named codes (KwAs, VbpForm, FrmBegin ... in TokenCodes.h) and the
// canonical names of the built-in types. A word is matched exactly, letter case included.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

namespace qs {

/// The keyword tables a tokenizer can look words up in.
enum class KeywordTable : uint8_t { kCode, kProject, kForm, kClass };
inline constexpr KeywordTable kKeywordTables[] = {KeywordTable::kCode, KeywordTable::kProject,
                                                  KeywordTable::kForm, KeywordTable::kClass};

/// The bit of a table in KeywordRow::flags.
constexpr uint8_t TableBit(KeywordTable table) {
  return static_cast<uint8_t>(1u << static_cast<unsigned>(table));
}
inline constexpr uint8_t kInCode = TableBit(KeywordTable::kCode);
inline constexpr uint8_t kInProject = TableBit(KeywordTable::kProject);
inline constexpr uint8_t kInForm = TableBit(KeywordTable::kForm);
inline constexpr uint8_t kInClass = TableBit(KeywordTable::kClass);
inline constexpr uint8_t kAnyTable = kInCode | kInProject | kInForm | kInClass;
/// The words several tables share.
inline constexpr uint8_t kInProjectAndForm = kInProject | kInForm;
inline constexpr uint8_t kInFormAndClass = kInForm | kInClass;
inline constexpr uint8_t kInCodeFormAndClass = kInCode | kInForm | kInClass;

/// Marks a keyword that names a built-in type; its spelling is the type's canonical name.
inline constexpr uint8_t kBuiltinType = 0x10;
/// A built-in type's keyword (all of them are words of the code table).
inline constexpr uint8_t kTypeInCode = kInCode | kBuiltinType;

struct KeywordRow {
  std::string_view spelling;
  int32_t code;
  uint8_t flags;  // the tables that hold the word (kInCode ...), and kBuiltinType

  constexpr bool In(KeywordTable table) const { return (flags & TableBit(table)) != 0; }
  constexpr bool IsBuiltinType() const { return (flags & kBuiltinType) != 0; }
};

// The order of the rows is the order in which each table stores its words. The words that open
// the declarations the parsers look for most come first, so that they head their hash bucket;
// the rest of the code table follows in code order, then the header tables' words.
inline constexpr KeywordRow kKeywords[] = {
    // Code table: the leading declaration words.
    {"Private", 331, kInCode},
    {"Public", 329, kInCode},
    {"Friend", 311, kInCode},
    {"Static", 335, kInCode},
    {"Function", 343, kInCode},
    {"Sub", 344, kInCode},
    {"As", 301, kInCode},
    {"Optional", 326, kInCode},
    {"ByVal", 304, kInCode},
    {"ByRef", 303, kInCode},
    {"ParamArray", 327, kInCode},
    {"Property", 330, kInCode},
    {"Get", 312, kInCode},
    {"Let", 316, kInCode},
    {"Set", 334, kInCode},
    // Code table, 305 - 345: general keywords.
    {"Date", 305, kTypeInCode},
    {"Else", 306, kInCode},
    {"Empty", 307, kInCode},
    {"False", 309, kInCode},
    {"For", 310, kInCode},
    {"Input", 313, kInCode},
    {"Is", 314, kInCode},
    {"Len", 315, kInCode},
    {"Lock", 317, kInCode},
    {"Me", 318, kInCode},
    {"Mid", 319, kInCode},
    {"New", 320, kInCode},
    {"Next", 321, kInCode},
    {"Nothing", 322, kInCode},
    {"Null", 323, kInCode},
    {"On", 324, kInCode},
    {"Option", 325, kInCode},
    {"Print", 328, kInCode},
    {"Resume", 332, kInCode},
    {"Seek", 333, kInCode},
    {"Step", 336, kInCode},
    {"String", 337, kTypeInCode},
    {"Then", 338, kInCode},
    {"To", 340, kInCode},
    {"True", 341, kInCode},
    {"WithEvents", 342, kInCode},
    {"Open", 345, kInCode},
    // Code table, 552 - 639: statement keywords.
    {"Call", 552, kInCode},
    {"Close", 555, kInCode},
    {"Const", 556, kInCode},
    {"Declare", 558, kInCode},
    {"Dim", 561, kInCode},
    {"Do", 562, kInCode},
    {"Loop", 563, kInCode},
    {"End", 564, kInCode},
    {"Enum", 565, kInCode},
    {"Erase", 566, kInCode},
    {"Until", 567, kInCode},
    {"Event", 569, kInCode},
    {"Exit", 570, kInCode},
    {"Each", 573, kInCode},
    {"GoSub", 577, kInCode},
    {"GoTo", 579, kInCode},
    {"If", 580, kInCode},
    {"ElseIf", 581, kInCode},
    {"Implements", 582, kInCode},
    {"Kill", 584, kInCode},
    {"Unlock", 589, kInCode},
    {"LSet", 590, kInCode},
    {"Explicit", 600, kInCode},
    {"Put", 606, kInCode},
    {"RaiseEvent", 607, kInCode},
    {"Randomize", 608, kInCode},
    {"ReDim", 609, kInCode},
    {"Rem", 610, kInCode},
    {"Reset", 611, kInCode},
    {"RSet", 614, kInCode},
    {"Preserve", 617, kInCode},
    {"Select", 619, kInCode},
    {"Case", 620, kInCode},
    {"Stop", 625, kInCode},
    {"Type", 628, kInCode},
    {"Unload", 629, kInCode},
    {"While", 630, kInCode},
    {"Wend", 631, kInCode},
    {"With", 633, kInCode},
    {"Write", 634, kInCode},
    {"In", 635, kInCode},
    {"Array", 636, kInCode},
    {"DoEvents", 639, kInCode},
    // Code table, 709 - 718: operator words.
    {"AddressOf", 709, kInCode},
    {"And", 710, kInCode},
    {"Eqv", 711, kInCode},
    {"Imp", 712, kInCode},
    {"Like", 714, kInCode},
    {"Mod", 715, kInCode},
    {"Not", 716, kInCode},
    {"Or", 717, kInCode},
    {"Xor", 718, kInCode},
    // Code table, 751 - 762: type names.
    {"Byte", 751, kTypeInCode},
    {"Boolean", 752, kTypeInCode},
    {"Integer", 753, kTypeInCode},
    {"Long", 754, kTypeInCode},
    {"Currency", 755, kTypeInCode},
    {"Decimal", 756, kTypeInCode},
    {"Single", 757, kTypeInCode},
    {"Double", 758, kTypeInCode},
    {"Object", 760, kTypeInCode},
    {"Variant", 761, kTypeInCode},
    {"Any", 762, kInCode},
    // Attribute lines: in code and in both headers.
    {"Attribute", 845, kInCodeFormAndClass},
    // Code table, 2302 - 2641: words that may also be names.
    {"Binary", 2302, kInCode},
    {"Error", 2308, kInCode},
    {"Time", 2339, kInCode},
    {"AppActivate", 2550, kInCode},
    {"Beep", 2551, kInCode},
    {"ChDir", 2553, kInCode},
    {"ChDrive", 2554, kInCode},
    {"Deftype", 2559, kInCode},
    {"DeleteString", 2560, kInCode},
    {"FileCopy", 2571, kInCode},
    {"Line", 2586, kInCode},
    {"Load", 2587, kInCode},
    {"MkDir", 2592, kInCode},
    {"Name", 2593, kInCode},
    {"Base", 2595, kInCode},
    {"Compare", 2596, kInCode},
    {"Text", 2598, kInCode},
    {"Database", 2599, kInCode},
    {"RmDir", 2613, kInCode},
    {"SavePicture", 2615, kInCode},
    {"SaveSetting", 2616, kInCode},
    {"SendKeys", 2621, kInCode},
    {"SetAttr", 2623, kInCode},
    {"Width", 2632, kInCode},
    {"CallByName", 2637, kInCode},
    {"CreateObject", 2638, kInCode},
    {"Lib", 2640, kInCode},
    {"Alias", 2641, kInCode},
    // 801 - 818: the keys of project-file lines; some also open a form header's blocks.
    {"Type", 801, kInProject},
    {"Form", 802, kInProjectAndForm},
    {"Reference", 803, kInProject},
    {"UserControl", 804, kInProjectAndForm},
    {"Object", 805, kInProjectAndForm},
    {"PropertyPage", 806, kInProjectAndForm},
    {"Class", 807, kInProject},
    {"Module", 808, kInProject},
    {"Designer", 809, kInProject},
    {"IconForm", 810, kInProject},
    {"Startup", 811, kInProject},
    {"HelpFile", 812, kInProject},
    {"Title", 813, kInProject},
    {"Command32", 814, kInProject},
    {"Name", 815, kInProject},
    {"UserDocument", 816, kInProjectAndForm},
    {"ResFile32", 817, kInProject},
    {"RelatedDoc", 818, kInProject},
    // 820 - 854: form and class headers (845, Attribute, is with the code table above).
    {"VB", 820, kInForm},
    {"Begin", 821, kInForm},
    {"End", 822, kInForm},
    {"VERSION", 823, kInFormAndClass},
    {"Data", 824, kInForm},
    {"FileListBox", 825, kInForm},
    {"DirListBox", 826, kInForm},
    {"DriveListBox", 827, kInForm},
    {"VScrollBar", 828, kInForm},
    {"HScrollBar", 829, kInForm},
    {"ListBox", 830, kInForm},
    {"ComboBox", 831, kInForm},
    {"PictureBox", 832, kInForm},
    {"TextBox", 833, kInForm},
    {"OptionButton", 834, kInForm},
    {"Timer", 835, kInForm},
    {"CommandButton", 836, kInForm},
    {"OLE", 837, kInForm},
    {"Image", 838, kInForm},
    {"Line", 839, kInForm},
    {"Shape", 840, kInForm},
    {"Label", 841, kInForm},
    {"Frame", 842, kInForm},
    {"CheckBox", 843, kInForm},
    {"Menu", 844, kInForm},
    {"VB_Name", 846, kInFormAndClass},
    {"VB_GlobalNameSpace", 847, kInFormAndClass},
    {"VB_Creatable", 848, kInFormAndClass},
    {"VB_PredeclaredId", 849, kInFormAndClass},
    {"VB_Exposed", 850, kInFormAndClass},
    {"MDIForm", 851, kInForm},
    {"VB_Description", 852, kInFormAndClass},
    {"BEGIN", 853, kInClass},
    {"END", 854, kInClass},
};

/// The code of a keyword of a table. Used to name codes at compile time: a spelling the table
/// does not hold stops the build.
consteval int32_t KeywordCode(KeywordTable table, std::string_view spelling) {
  for (const KeywordRow& k : kKeywords)
    if (k.In(table) && k.spelling == spelling) return k.code;
  throw "not a keyword of this table";
}

namespace detail {

// The rows must leave every lookup with one answer: a spelling stands at most once in a table,
// and a code belongs to one row (a word that several tables share is one row). Type names are
// words of the code table.
consteval bool KeywordRowsAreUnambiguous() {
  for (size_t i = 0; i < std::size(kKeywords); ++i) {
    const KeywordRow& a = kKeywords[i];
    if ((a.flags & kAnyTable) == 0 || a.spelling.empty()) return false;
    if (a.IsBuiltinType() && !a.In(KeywordTable::kCode)) return false;
    for (size_t j = i + 1; j < std::size(kKeywords); ++j) {
      const KeywordRow& b = kKeywords[j];
      if (a.code == b.code) return false;
      if (a.spelling == b.spelling && (a.flags & b.flags & kAnyTable) != 0) return false;
    }
  }
  return true;
}
static_assert(KeywordRowsAreUnambiguous());

consteval bool IsKeywordCode(int32_t code) {
  for (const KeywordRow& k : kKeywords)
    if (k.code == code) return true;
  return false;
}

// The codes of the built-in type keywords lie between these two.
consteval int32_t TypeCodeBound(bool upper) {
  int32_t bound = upper ? INT32_MIN : INT32_MAX;
  for (const KeywordRow& k : kKeywords) {
    if (!k.IsBuiltinType()) continue;
    if (upper ? k.code > bound : k.code < bound) bound = k.code;
  }
  return bound;
}
inline constexpr int32_t kFirstTypeCode = TypeCodeBound(false);
inline constexpr int32_t kLastTypeCode = TypeCodeBound(true);

// For every code from kFirstTypeCode to kLastTypeCode: 1 + the index of its row when that row
// names a built-in type, else 0. A look-up is one range test and one byte.
consteval std::array<uint8_t, kLastTypeCode - kFirstTypeCode + 1> MakeTypeRowIndex() {
  std::array<uint8_t, kLastTypeCode - kFirstTypeCode + 1> index{};
  for (size_t i = 0; i < std::size(kKeywords); ++i)
    if (kKeywords[i].IsBuiltinType()) index[kKeywords[i].code - kFirstTypeCode] = uint8_t(i + 1);
  return index;
}
inline constexpr auto kTypeRowIndex = MakeTypeRowIndex();
static_assert(std::size(kKeywords) < 255, "kTypeRowIndex holds row numbers in one byte");

}  // namespace detail

// Codes of another keyword table that an Option statement may carry: the words Base, Compare,
// Binary, Text and Database in that table's numbering, 2000 below their codes here (Base is 2595
// here and 595 there). None of the four tables gives these codes; the Option statement accepts
// them beside ours, so a token stream numbered that way reads the same.
inline constexpr int32_t AltKwBase = 595;
inline constexpr int32_t AltKwCompare = 596;
inline constexpr int32_t AltKwBinary = 302;
inline constexpr int32_t AltKwText = 598;
inline constexpr int32_t AltKwDatabase = 599;
static_assert(!detail::IsKeywordCode(AltKwBase) && !detail::IsKeywordCode(AltKwCompare) &&
              !detail::IsKeywordCode(AltKwBinary) && !detail::IsKeywordCode(AltKwText) &&
              !detail::IsKeywordCode(AltKwDatabase));

/// The canonical name of a built-in type keyword's code ("String", "Long" ...), else "".
constexpr std::string_view TypeNameOfKeyword(int32_t code) {
  if (code < detail::kFirstTypeCode || code > detail::kLastTypeCode) return {};
  const uint8_t row = detail::kTypeRowIndex[static_cast<size_t>(code - detail::kFirstTypeCode)];
  return row == 0 ? std::string_view() : kKeywords[row - 1].spelling;
}

}  // namespace qs
