// Token codes: single characters, the token kinds the tokenizers make, and the names of the
// keyword codes of the four keyword tables (code, project file, form header, class header).
// The keywords and their codes are rows of kKeywords (Keywords.h); every name here takes its value
// from those rows.
#pragma once

#include <cstdint>
#include <string_view>

#include "text/Keywords.h"

namespace qs {

// Codes 1..255 are single characters: the code is the byte value.
inline constexpr int32_t kLastCharacterCode = 255;
inline constexpr int32_t TokEndOfLine = 278;   // one per line end; text "\r\n"
inline constexpr int32_t TokWhiteSpace = 279;  // a run of blanks and tabs
inline constexpr int32_t TokComment = 280;     // an apostrophe comment, apostrophe included
inline constexpr int32_t TokUndefined = 281;   // marked undefined; skipped when text is rebuilt
inline constexpr int32_t TokString = 282;      // a string literal with its quotes
inline constexpr int32_t TokIdentifier = 283;  // any word that is not a keyword of the table

/// Codes from here up are keywords that may also serve as names.
inline constexpr int32_t kFirstNameKeyword = 2001;

/// True for a code that may be a name: an identifier or a keyword of code 2001 and above.
inline constexpr bool IsNameToken(int32_t code) {
  return code == TokIdentifier || code >= kFirstNameKeyword;
}

namespace detail {
consteval bool KeywordCodesFollowTheTokenKinds() {
  for (const KeywordRow& k : kKeywords)
    if (k.code <= TokIdentifier) return false;
  return true;
}
static_assert(KeywordCodesFollowTheTokenKinds(),
              "a keyword code would read as a character or token kind");

consteval int32_t CodeWord(std::string_view s) {
  return KeywordCode(KeywordTable::kCode, s);
}
consteval int32_t ProjectWord(std::string_view s) {
  return KeywordCode(KeywordTable::kProject, s);
}
consteval int32_t FormWord(std::string_view s) {
  return KeywordCode(KeywordTable::kForm, s);
}
consteval int32_t ClassWord(std::string_view s) {
  return KeywordCode(KeywordTable::kClass, s);
}
}  // namespace detail

// Main (code) table.
inline constexpr int32_t KwAs = detail::CodeWord("As");
inline constexpr int32_t KwByRef = detail::CodeWord("ByRef");
inline constexpr int32_t KwByVal = detail::CodeWord("ByVal");
inline constexpr int32_t KwDate = detail::CodeWord("Date");
inline constexpr int32_t KwElse = detail::CodeWord("Else");
inline constexpr int32_t KwEmpty = detail::CodeWord("Empty");
inline constexpr int32_t KwFalse = detail::CodeWord("False");
inline constexpr int32_t KwFor = detail::CodeWord("For");
inline constexpr int32_t KwFriend = detail::CodeWord("Friend");
inline constexpr int32_t KwGet = detail::CodeWord("Get");
inline constexpr int32_t KwInput = detail::CodeWord("Input");
inline constexpr int32_t KwIs = detail::CodeWord("Is");
inline constexpr int32_t KwLen = detail::CodeWord("Len");
inline constexpr int32_t KwLet = detail::CodeWord("Let");
inline constexpr int32_t KwLock = detail::CodeWord("Lock");
inline constexpr int32_t KwMe = detail::CodeWord("Me");
inline constexpr int32_t KwMid = detail::CodeWord("Mid");
inline constexpr int32_t KwNew = detail::CodeWord("New");
inline constexpr int32_t KwNext = detail::CodeWord("Next");
inline constexpr int32_t KwNothing = detail::CodeWord("Nothing");
inline constexpr int32_t KwNull = detail::CodeWord("Null");
inline constexpr int32_t KwOn = detail::CodeWord("On");
inline constexpr int32_t KwOption = detail::CodeWord("Option");
inline constexpr int32_t KwOptional = detail::CodeWord("Optional");
inline constexpr int32_t KwParamArray = detail::CodeWord("ParamArray");
inline constexpr int32_t KwPrint = detail::CodeWord("Print");
inline constexpr int32_t KwPublic = detail::CodeWord("Public");
inline constexpr int32_t KwProperty = detail::CodeWord("Property");
inline constexpr int32_t KwPrivate = detail::CodeWord("Private");
inline constexpr int32_t KwResume = detail::CodeWord("Resume");
inline constexpr int32_t KwSeek = detail::CodeWord("Seek");
inline constexpr int32_t KwSet = detail::CodeWord("Set");
inline constexpr int32_t KwStatic = detail::CodeWord("Static");
inline constexpr int32_t KwStep = detail::CodeWord("Step");
inline constexpr int32_t KwString = detail::CodeWord("String");
inline constexpr int32_t KwThen = detail::CodeWord("Then");
inline constexpr int32_t KwTo = detail::CodeWord("To");
inline constexpr int32_t KwTrue = detail::CodeWord("True");
inline constexpr int32_t KwWithEvents = detail::CodeWord("WithEvents");
inline constexpr int32_t KwFunction = detail::CodeWord("Function");
inline constexpr int32_t KwSub = detail::CodeWord("Sub");
inline constexpr int32_t KwOpen = detail::CodeWord("Open");
inline constexpr int32_t KwCall = detail::CodeWord("Call");
inline constexpr int32_t KwClose = detail::CodeWord("Close");
inline constexpr int32_t KwConst = detail::CodeWord("Const");
inline constexpr int32_t KwDeclare = detail::CodeWord("Declare");
inline constexpr int32_t KwDim = detail::CodeWord("Dim");
inline constexpr int32_t KwDo = detail::CodeWord("Do");
inline constexpr int32_t KwLoop = detail::CodeWord("Loop");
inline constexpr int32_t KwEnd = detail::CodeWord("End");
inline constexpr int32_t KwEnum = detail::CodeWord("Enum");
inline constexpr int32_t KwErase = detail::CodeWord("Erase");
inline constexpr int32_t KwUntil = detail::CodeWord("Until");
inline constexpr int32_t KwEvent = detail::CodeWord("Event");
inline constexpr int32_t KwExit = detail::CodeWord("Exit");
inline constexpr int32_t KwEach = detail::CodeWord("Each");
inline constexpr int32_t KwGoSub = detail::CodeWord("GoSub");
inline constexpr int32_t KwGoTo = detail::CodeWord("GoTo");
inline constexpr int32_t KwIf = detail::CodeWord("If");
inline constexpr int32_t KwElseIf = detail::CodeWord("ElseIf");
inline constexpr int32_t KwImplements = detail::CodeWord("Implements");
inline constexpr int32_t KwKill = detail::CodeWord("Kill");
inline constexpr int32_t KwUnlock = detail::CodeWord("Unlock");
inline constexpr int32_t KwLSet = detail::CodeWord("LSet");
inline constexpr int32_t KwExplicit = detail::CodeWord("Explicit");
inline constexpr int32_t KwPut = detail::CodeWord("Put");
inline constexpr int32_t KwRaiseEvent = detail::CodeWord("RaiseEvent");
inline constexpr int32_t KwRandomize = detail::CodeWord("Randomize");
inline constexpr int32_t KwReDim = detail::CodeWord("ReDim");
inline constexpr int32_t KwRem = detail::CodeWord("Rem");
inline constexpr int32_t KwReset = detail::CodeWord("Reset");
inline constexpr int32_t KwRSet = detail::CodeWord("RSet");
inline constexpr int32_t KwPreserve = detail::CodeWord("Preserve");
inline constexpr int32_t KwSelect = detail::CodeWord("Select");
inline constexpr int32_t KwCase = detail::CodeWord("Case");
inline constexpr int32_t KwStop = detail::CodeWord("Stop");
inline constexpr int32_t KwType = detail::CodeWord("Type");
inline constexpr int32_t KwUnload = detail::CodeWord("Unload");
inline constexpr int32_t KwWhile = detail::CodeWord("While");
inline constexpr int32_t KwWend = detail::CodeWord("Wend");
inline constexpr int32_t KwWith = detail::CodeWord("With");
inline constexpr int32_t KwWrite = detail::CodeWord("Write");
inline constexpr int32_t KwIn = detail::CodeWord("In");
inline constexpr int32_t KwArray = detail::CodeWord("Array");
inline constexpr int32_t KwDoEvents = detail::CodeWord("DoEvents");
inline constexpr int32_t KwAddressOf = detail::CodeWord("AddressOf");
inline constexpr int32_t KwAnd = detail::CodeWord("And");
inline constexpr int32_t KwEqv = detail::CodeWord("Eqv");
inline constexpr int32_t KwImp = detail::CodeWord("Imp");
inline constexpr int32_t KwLike = detail::CodeWord("Like");
inline constexpr int32_t KwMod = detail::CodeWord("Mod");
inline constexpr int32_t KwNot = detail::CodeWord("Not");
inline constexpr int32_t KwOr = detail::CodeWord("Or");
inline constexpr int32_t KwXor = detail::CodeWord("Xor");
inline constexpr int32_t KwByte = detail::CodeWord("Byte");
inline constexpr int32_t KwBoolean = detail::CodeWord("Boolean");
inline constexpr int32_t KwInteger = detail::CodeWord("Integer");
inline constexpr int32_t KwLong = detail::CodeWord("Long");
inline constexpr int32_t KwCurrency = detail::CodeWord("Currency");
inline constexpr int32_t KwDecimal = detail::CodeWord("Decimal");
inline constexpr int32_t KwSingle = detail::CodeWord("Single");
inline constexpr int32_t KwDouble = detail::CodeWord("Double");
inline constexpr int32_t KwObject = detail::CodeWord("Object");
inline constexpr int32_t KwVariant = detail::CodeWord("Variant");
inline constexpr int32_t KwAny = detail::CodeWord("Any");
inline constexpr int32_t KwAttribute = detail::CodeWord("Attribute");
inline constexpr int32_t KwBinary = detail::CodeWord("Binary");
inline constexpr int32_t KwError = detail::CodeWord("Error");
inline constexpr int32_t KwTime = detail::CodeWord("Time");
inline constexpr int32_t KwAppActivate = detail::CodeWord("AppActivate");
inline constexpr int32_t KwBeep = detail::CodeWord("Beep");
inline constexpr int32_t KwChDir = detail::CodeWord("ChDir");
inline constexpr int32_t KwChDrive = detail::CodeWord("ChDrive");
inline constexpr int32_t KwDeftype = detail::CodeWord("Deftype");
inline constexpr int32_t KwDeleteString = detail::CodeWord("DeleteString");
inline constexpr int32_t KwFileCopy = detail::CodeWord("FileCopy");
inline constexpr int32_t KwLine = detail::CodeWord("Line");
inline constexpr int32_t KwLoad = detail::CodeWord("Load");
inline constexpr int32_t KwMkDir = detail::CodeWord("MkDir");
inline constexpr int32_t KwName = detail::CodeWord("Name");
inline constexpr int32_t KwBase = detail::CodeWord("Base");
inline constexpr int32_t KwCompare = detail::CodeWord("Compare");
inline constexpr int32_t KwText = detail::CodeWord("Text");
inline constexpr int32_t KwDatabase = detail::CodeWord("Database");
inline constexpr int32_t KwRmDir = detail::CodeWord("RmDir");
inline constexpr int32_t KwSavePicture = detail::CodeWord("SavePicture");
inline constexpr int32_t KwSaveSetting = detail::CodeWord("SaveSetting");
inline constexpr int32_t KwSendKeys = detail::CodeWord("SendKeys");
inline constexpr int32_t KwSetAttr = detail::CodeWord("SetAttr");
inline constexpr int32_t KwWidth = detail::CodeWord("Width");
inline constexpr int32_t KwCallByName = detail::CodeWord("CallByName");
inline constexpr int32_t KwCreateObject = detail::CodeWord("CreateObject");
inline constexpr int32_t KwLib = detail::CodeWord("Lib");
inline constexpr int32_t KwAlias = detail::CodeWord("Alias");

// Project-file table.
inline constexpr int32_t VbpType = detail::ProjectWord("Type");
inline constexpr int32_t VbpForm = detail::ProjectWord("Form");
inline constexpr int32_t VbpReference = detail::ProjectWord("Reference");
inline constexpr int32_t VbpUserControl = detail::ProjectWord("UserControl");
inline constexpr int32_t VbpUserDocument = detail::ProjectWord("UserDocument");
inline constexpr int32_t VbpObject = detail::ProjectWord("Object");
inline constexpr int32_t VbpPropertyPage = detail::ProjectWord("PropertyPage");
inline constexpr int32_t VbpClass = detail::ProjectWord("Class");
inline constexpr int32_t VbpModule = detail::ProjectWord("Module");
inline constexpr int32_t VbpDesigner = detail::ProjectWord("Designer");
inline constexpr int32_t VbpIconForm = detail::ProjectWord("IconForm");
inline constexpr int32_t VbpStartup = detail::ProjectWord("Startup");
inline constexpr int32_t VbpResFile32 = detail::ProjectWord("ResFile32");
inline constexpr int32_t VbpHelpFile = detail::ProjectWord("HelpFile");
inline constexpr int32_t VbpTitle = detail::ProjectWord("Title");
inline constexpr int32_t VbpCommand32 = detail::ProjectWord("Command32");
inline constexpr int32_t VbpName = detail::ProjectWord("Name");
inline constexpr int32_t VbpRelatedDoc = detail::ProjectWord("RelatedDoc");

// Form-file header table.
inline constexpr int32_t FrmVB = detail::FormWord("VB");
inline constexpr int32_t FrmOptionButton = detail::FormWord("OptionButton");
inline constexpr int32_t FrmVERSION = detail::FormWord("VERSION");
inline constexpr int32_t FrmTimer = detail::FormWord("Timer");
inline constexpr int32_t FrmBegin = detail::FormWord("Begin");
inline constexpr int32_t FrmCommandButton = detail::FormWord("CommandButton");
inline constexpr int32_t FrmEnd = detail::FormWord("End");
inline constexpr int32_t FrmOLE = detail::FormWord("OLE");
inline constexpr int32_t FrmObject = detail::FormWord("Object");
inline constexpr int32_t FrmImage = detail::FormWord("Image");
inline constexpr int32_t FrmForm = detail::FormWord("Form");
inline constexpr int32_t FrmLine = detail::FormWord("Line");
inline constexpr int32_t FrmMDIForm = detail::FormWord("MDIForm");
inline constexpr int32_t FrmShape = detail::FormWord("Shape");
inline constexpr int32_t FrmData = detail::FormWord("Data");
inline constexpr int32_t FrmLabel = detail::FormWord("Label");
inline constexpr int32_t FrmFileListBox = detail::FormWord("FileListBox");
inline constexpr int32_t FrmFrame = detail::FormWord("Frame");
inline constexpr int32_t FrmDirListBox = detail::FormWord("DirListBox");
inline constexpr int32_t FrmCheckBox = detail::FormWord("CheckBox");
inline constexpr int32_t FrmDriveListBox = detail::FormWord("DriveListBox");
inline constexpr int32_t FrmMenu = detail::FormWord("Menu");
inline constexpr int32_t FrmVScrollBar = detail::FormWord("VScrollBar");
inline constexpr int32_t FrmUserControl = detail::FormWord("UserControl");
inline constexpr int32_t FrmHScrollBar = detail::FormWord("HScrollBar");
inline constexpr int32_t FrmPropertyPage = detail::FormWord("PropertyPage");
inline constexpr int32_t FrmListBox = detail::FormWord("ListBox");
inline constexpr int32_t FrmUserDocument = detail::FormWord("UserDocument");
inline constexpr int32_t FrmComboBox = detail::FormWord("ComboBox");
inline constexpr int32_t FrmAttribute = detail::FormWord("Attribute");
inline constexpr int32_t FrmPictureBox = detail::FormWord("PictureBox");
inline constexpr int32_t FrmVB_Name = detail::FormWord("VB_Name");
inline constexpr int32_t FrmTextBox = detail::FormWord("TextBox");
inline constexpr int32_t FrmVB_GlobalNameSpace = detail::FormWord("VB_GlobalNameSpace");
inline constexpr int32_t FrmVB_Creatable = detail::FormWord("VB_Creatable");
inline constexpr int32_t FrmVB_PredeclaredId = detail::FormWord("VB_PredeclaredId");
inline constexpr int32_t FrmVB_Exposed = detail::FormWord("VB_Exposed");
inline constexpr int32_t FrmVB_Description = detail::FormWord("VB_Description");

// Class-file header table.
inline constexpr int32_t ClsVERSION = detail::ClassWord("VERSION");
inline constexpr int32_t ClsBEGIN = detail::ClassWord("BEGIN");
inline constexpr int32_t ClsEND = detail::ClassWord("END");
inline constexpr int32_t ClsAttribute = detail::ClassWord("Attribute");
inline constexpr int32_t ClsVB_Name = detail::ClassWord("VB_Name");
inline constexpr int32_t ClsVB_GlobalNameSpace = detail::ClassWord("VB_GlobalNameSpace");
inline constexpr int32_t ClsVB_Creatable = detail::ClassWord("VB_Creatable");
inline constexpr int32_t ClsVB_PredeclaredId = detail::ClassWord("VB_PredeclaredId");
inline constexpr int32_t ClsVB_Exposed = detail::ClassWord("VB_Exposed");
inline constexpr int32_t ClsVB_Description = detail::ClassWord("VB_Description");

}  // namespace qs
