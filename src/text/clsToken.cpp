#include "text/clsToken.h"

#include <memory>

#include "text/TokenCodes.h"

namespace qs {

namespace {

struct Keyword {
  const char* word;
  int32_t code;
};

// Main (code) table, in the order the words are stored. The words that open the declarations the
// parsers look for most come first; then every group follows in code order. A word stored twice
// keeps the code of its first entry: the later entries (the declaration group repeating the
// leading words, and the statement and type forms of some words such as "Function" 575 and
// "Sub" 626) never answer a lookup.
constexpr Keyword kMainTable[] = {
    // Leading declaration words.
    {"Private", 331},
    {"Public", 329},
    {"Friend", 311},
    {"Static", 335},
    {"Function", 343},
    {"Sub", 344},
    {"As", 301},
    {"Optional", 326},
    {"ByVal", 304},
    {"ByRef", 303},
    {"ParamArray", 327},
    {"Property", 330},
    {"Get", 312},
    {"Let", 316},
    {"Set", 334},
    // 301 - 345: declaration and general keywords.
    {"As", 301},
    {"ByRef", 303},
    {"ByVal", 304},
    {"Date", 305},
    {"Else", 306},
    {"Empty", 307},
    {"False", 309},
    {"For", 310},
    {"Friend", 311},
    {"Get", 312},
    {"Input", 313},
    {"Is", 314},
    {"Len", 315},
    {"Let", 316},
    {"Lock", 317},
    {"Me", 318},
    {"Mid", 319},
    {"New", 320},
    {"Next", 321},
    {"Nothing", 322},
    {"Null", 323},
    {"On", 324},
    {"Option", 325},
    {"Optional", 326},
    {"ParamArray", 327},
    {"Print", 328},
    {"Public", 329},
    {"Property", 330},
    {"Private", 331},
    {"Resume", 332},
    {"Seek", 333},
    {"Set", 334},
    {"Static", 335},
    {"Step", 336},
    {"String", 337},
    {"Then", 338},
    {"To", 340},
    {"True", 341},
    {"WithEvents", 342},
    {"Function", 343},
    {"Sub", 344},
    {"Open", 345},
    // 552 - 639: statement keywords.
    {"Call", 552},
    {"Close", 555},
    {"Const", 556},
    {"Date", 557},
    {"Declare", 558},
    {"Dim", 561},
    {"Do", 562},
    {"Loop", 563},
    {"End", 564},
    {"Enum", 565},
    {"Erase", 566},
    {"Until", 567},
    {"Event", 569},
    {"Exit", 570},
    {"Each", 573},
    {"Function", 575},
    {"Get", 576},
    {"GoSub", 577},
    {"GoTo", 579},
    {"If", 580},
    {"ElseIf", 581},
    {"Implements", 582},
    {"Input", 583},
    {"Kill", 584},
    {"Let", 585},
    {"Lock", 588},
    {"Unlock", 589},
    {"LSet", 590},
    {"Mid", 591},
    {"Explicit", 600},
    {"Open", 602},
    {"Put", 606},
    {"RaiseEvent", 607},
    {"Randomize", 608},
    {"ReDim", 609},
    {"Rem", 610},
    {"Reset", 611},
    {"RSet", 614},
    {"Preserve", 617},
    {"Seek", 618},
    {"Select", 619},
    {"Case", 620},
    {"Stop", 625},
    {"Sub", 626},
    {"Type", 628},
    {"Unload", 629},
    {"While", 630},
    {"Wend", 631},
    {"With", 633},
    {"Write", 634},
    {"In", 635},
    {"Array", 636},
    {"DoEvents", 639},
    // 709 - 718: operator words.
    {"AddressOf", 709},
    {"And", 710},
    {"Eqv", 711},
    {"Imp", 712},
    {"Is", 713},
    {"Like", 714},
    {"Mod", 715},
    {"Not", 716},
    {"Or", 717},
    {"Xor", 718},
    // 751 - 762: type names.
    {"Byte", 751},
    {"Boolean", 752},
    {"Integer", 753},
    {"Long", 754},
    {"Currency", 755},
    {"Decimal", 756},
    {"Single", 757},
    {"Double", 758},
    {"String", 759},
    {"Object", 760},
    {"Variant", 761},
    {"Any", 762},
    // 845: attribute lines.
    {"Attribute", 845},
    // 2302 - 2641: words that may also be names.
    {"Binary", 2302},
    {"Error", 2308},
    {"Time", 2339},
    {"AppActivate", 2550},
    {"Beep", 2551},
    {"ChDir", 2553},
    {"ChDrive", 2554},
    {"Deftype", 2559},
    {"DeleteString", 2560},
    {"FileCopy", 2571},
    {"Line", 2586},
    {"Load", 2587},
    {"MkDir", 2592},
    {"Name", 2593},
    {"Base", 2595},
    {"Compare", 2596},
    {"Text", 2598},
    {"Database", 2599},
    {"RmDir", 2613},
    {"SavePicture", 2615},
    {"SaveSetting", 2616},
    {"SendKeys", 2621},
    {"SetAttr", 2623},
    {"Width", 2632},
    {"CallByName", 2637},
    {"CreateObject", 2638},
    {"Lib", 2640},
    {"Alias", 2641},
};
static_assert(sizeof(kMainTable) / sizeof(kMainTable[0]) == 161);

constexpr Keyword kProjectTable[] = {
    {"Type", VbpType},
    {"Form", VbpForm},
    {"Reference", VbpReference},
    {"UserControl", VbpUserControl},
    {"UserDocument", VbpUserDocument},
    {"Object", VbpObject},
    {"PropertyPage", VbpPropertyPage},
    {"Class", VbpClass},
    {"Module", VbpModule},
    {"Designer", VbpDesigner},
    {"IconForm", VbpIconForm},
    {"Startup", VbpStartup},
    {"ResFile32", VbpResFile32},
    {"HelpFile", VbpHelpFile},
    {"Title", VbpTitle},
    {"Command32", VbpCommand32},
    {"Name", VbpName},
    {"RelatedDoc", VbpRelatedDoc},
};
static_assert(sizeof(kProjectTable) / sizeof(kProjectTable[0]) == 18);

constexpr Keyword kClassTable[] = {
    {"VERSION", ClsVERSION},
    {"BEGIN", ClsBEGIN},
    {"END", ClsEND},
    {"Attribute", ClsAttribute},
    {"VB_Name", ClsVB_Name},
    {"VB_GlobalNameSpace", ClsVB_GlobalNameSpace},
    {"VB_Creatable", ClsVB_Creatable},
    {"VB_PredeclaredId", ClsVB_PredeclaredId},
    {"VB_Exposed", ClsVB_Exposed},
    {"VB_Description", ClsVB_Description},
};
static_assert(sizeof(kClassTable) / sizeof(kClassTable[0]) == 10);

constexpr Keyword kFormTable[] = {
    {"VB", FrmVB},
    {"VERSION", FrmVERSION},
    {"Begin", FrmBegin},
    {"End", FrmEnd},
    {"Object", FrmObject},
    {"Form", FrmForm},
    {"MDIForm", FrmMDIForm},
    {"Data", FrmData},
    {"FileListBox", FrmFileListBox},
    {"DirListBox", FrmDirListBox},
    {"DriveListBox", FrmDriveListBox},
    {"VScrollBar", FrmVScrollBar},
    {"HScrollBar", FrmHScrollBar},
    {"ListBox", FrmListBox},
    {"ComboBox", FrmComboBox},
    {"PictureBox", FrmPictureBox},
    {"TextBox", FrmTextBox},
    {"OptionButton", FrmOptionButton},
    {"Timer", FrmTimer},
    {"CommandButton", FrmCommandButton},
    {"OLE", FrmOLE},
    {"Image", FrmImage},
    {"Line", FrmLine},
    {"Shape", FrmShape},
    {"Label", FrmLabel},
    {"Frame", FrmFrame},
    {"CheckBox", FrmCheckBox},
    {"Menu", FrmMenu},
    {"UserControl", FrmUserControl},
    {"PropertyPage", FrmPropertyPage},
    {"UserDocument", FrmUserDocument},
    {"Attribute", FrmAttribute},
    {"VB_Name", FrmVB_Name},
    {"VB_GlobalNameSpace", FrmVB_GlobalNameSpace},
    {"VB_Creatable", FrmVB_Creatable},
    {"VB_PredeclaredId", FrmVB_PredeclaredId},
    {"VB_Exposed", FrmVB_Exposed},
    {"VB_Description", FrmVB_Description},
};
static_assert(sizeof(kFormTable) / sizeof(kFormTable[0]) == 38);

template <size_t N>
void Fill(clsHashTable& table, const Keyword (&words)[N]) {
  for (const Keyword& k : words) table.AddToken(k.word, k.code);
}

// One filled table per word list, built on first use. A build that runs out of memory throws,
// and the next call tries again.
template <size_t N>
std::shared_ptr<const clsHashTable> BuildTable(const Keyword (&words)[N]) {
  auto table = std::make_shared<clsHashTable>();
  Fill(*table, words);
  return table;
}
const std::shared_ptr<const clsHashTable>& EmptyTable() {
  static const std::shared_ptr<const clsHashTable> table = std::make_shared<clsHashTable>();
  return table;
}
const std::shared_ptr<const clsHashTable>& MainTable() {
  static const std::shared_ptr<const clsHashTable> table = BuildTable(kMainTable);
  return table;
}
const std::shared_ptr<const clsHashTable>& ProjectTable() {
  static const std::shared_ptr<const clsHashTable> table = BuildTable(kProjectTable);
  return table;
}
const std::shared_ptr<const clsHashTable>& ClassTable() {
  static const std::shared_ptr<const clsHashTable> table = BuildTable(kClassTable);
  return table;
}
const std::shared_ptr<const clsHashTable>& FormTable() {
  static const std::shared_ptr<const clsHashTable> table = BuildTable(kFormTable);
  return table;
}

}  // namespace

clsToken::clsToken() {
  try {
    m_table = EmptyTable();
  } catch (...) {
    // No shared empty table: the object gets a table of its own below.
  }
  if (!m_table) m_table = std::make_shared<clsHashTable>();
}

void clsToken::InitialiseTokenTable() {
  try {
    Initialised = false;
    if (!m_table || m_table == EmptyTable()) {
      // The main table merged into an empty one is the main table itself.
      m_table = MainTable();
    } else {
      // Merging into a table that holds words already: into a copy of its own.
      auto merged = std::make_shared<clsHashTable>(*m_table);
      Fill(*merged, kMainTable);
      m_table = std::move(merged);
    }
    Initialised = true;
  } catch (...) {
    // The caller sees Initialised false; the object keeps the table it had.
    Initialised = false;
  }
}

void clsToken::IsTokenFound(std::string_view in_sTokenName, int32_t& out_lTokenCode,
                            bool& out_bfound) const {
  out_bfound = false;
  out_lTokenCode = TokIdentifier;
  if (!m_table) return;
  m_table->IsTokenFound(in_sTokenName, out_lTokenCode, out_bfound);
  if (!out_bfound) out_lTokenCode = TokIdentifier;
}

int32_t clsToken::CodeOf(std::string_view word) const {
  int32_t code = TokIdentifier;
  bool found = false;
  IsTokenFound(word, code, found);
  return code;
}

void clsToken::InitialiseTokenTableVBP() {
  try {
    Initialised = false;
    m_table = ProjectTable();
    Initialised = true;
  } catch (...) {
    // The caller sees Initialised false; the object keeps the table it had.
    Initialised = false;
  }
}

void clsToken::InitialiseTokenTableClass() {
  try {
    Initialised = false;
    m_table = ClassTable();
    Initialised = true;
  } catch (...) {
    // The caller sees Initialised false; the object keeps the table it had.
    Initialised = false;
  }
}

void clsToken::InitialiseTokenTableForm() {
  try {
    Initialised = false;
    m_table = FormTable();
    Initialised = true;
  } catch (...) {
    // The caller sees Initialised false; the object keeps the table it had.
    Initialised = false;
  }
}

}  // namespace qs
