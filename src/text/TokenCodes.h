// Token codes: single characters, the token kinds the tokenizers make, and the keyword codes
// of the four keyword tables (code, project file, form header, class header).
#pragma once

#include <cstdint>

namespace qs {

// Codes 1..255 are single characters: the code is the byte value.
inline constexpr int32_t TokEndOfLine = 278;   // one per line end; text "\r\n"
inline constexpr int32_t TokWhiteSpace = 279;  // a run of blanks and tabs
inline constexpr int32_t TokComment = 280;     // an apostrophe comment, apostrophe included
inline constexpr int32_t TokUndefined = 281;   // marked undefined; skipped when text is rebuilt
inline constexpr int32_t TokString = 282;      // a string literal with its quotes
inline constexpr int32_t TokIdentifier = 283;  // any word that is not a keyword of the table

/// Codes from here up are keywords that may also serve as names.
inline constexpr int32_t kFirstNameKeyword = 2001;

/// True for a code that may be a name: an identifier or a keyword of code 2001 and above.
inline constexpr bool IsNameToken(int32_t code) { return code == TokIdentifier || code >= kFirstNameKeyword; }

// Main (code) table.
inline constexpr int32_t KwAs = 301;
inline constexpr int32_t KwByRef = 303;
inline constexpr int32_t KwByVal = 304;
inline constexpr int32_t KwDate = 305;
inline constexpr int32_t KwElse = 306;
inline constexpr int32_t KwEmpty = 307;
inline constexpr int32_t KwFalse = 309;
inline constexpr int32_t KwFor = 310;
inline constexpr int32_t KwFriend = 311;
inline constexpr int32_t KwGet = 312;
inline constexpr int32_t KwInput = 313;
inline constexpr int32_t KwIs = 314;
inline constexpr int32_t KwLen = 315;
inline constexpr int32_t KwLet = 316;
inline constexpr int32_t KwLock = 317;
inline constexpr int32_t KwMe = 318;
inline constexpr int32_t KwMid = 319;
inline constexpr int32_t KwNew = 320;
inline constexpr int32_t KwNext = 321;
inline constexpr int32_t KwNothing = 322;
inline constexpr int32_t KwNull = 323;
inline constexpr int32_t KwOn = 324;
inline constexpr int32_t KwOption = 325;
inline constexpr int32_t KwOptional = 326;
inline constexpr int32_t KwParamArray = 327;
inline constexpr int32_t KwPrint = 328;
inline constexpr int32_t KwPublic = 329;
inline constexpr int32_t KwProperty = 330;
inline constexpr int32_t KwPrivate = 331;
inline constexpr int32_t KwResume = 332;
inline constexpr int32_t KwSeek = 333;
inline constexpr int32_t KwSet = 334;
inline constexpr int32_t KwStatic = 335;
inline constexpr int32_t KwStep = 336;
inline constexpr int32_t KwString = 337;
inline constexpr int32_t KwThen = 338;
inline constexpr int32_t KwTo = 340;
inline constexpr int32_t KwTrue = 341;
inline constexpr int32_t KwWithEvents = 342;
inline constexpr int32_t KwFunction = 343;
inline constexpr int32_t KwSub = 344;
inline constexpr int32_t KwOpen = 345;
inline constexpr int32_t KwCall = 552;
inline constexpr int32_t KwClose = 555;
inline constexpr int32_t KwConst = 556;
inline constexpr int32_t KwDeclare = 558;
inline constexpr int32_t KwDim = 561;
inline constexpr int32_t KwDo = 562;
inline constexpr int32_t KwLoop = 563;
inline constexpr int32_t KwEnd = 564;
inline constexpr int32_t KwEnum = 565;
inline constexpr int32_t KwErase = 566;
inline constexpr int32_t KwUntil = 567;
inline constexpr int32_t KwEvent = 569;
inline constexpr int32_t KwExit = 570;
inline constexpr int32_t KwEach = 573;
inline constexpr int32_t KwGoSub = 577;
inline constexpr int32_t KwGoTo = 579;
inline constexpr int32_t KwIf = 580;
inline constexpr int32_t KwElseIf = 581;
inline constexpr int32_t KwImplements = 582;
inline constexpr int32_t KwKill = 584;
inline constexpr int32_t KwUnlock = 589;
inline constexpr int32_t KwLSet = 590;
inline constexpr int32_t KwExplicit = 600;
inline constexpr int32_t KwPut = 606;
inline constexpr int32_t KwRaiseEvent = 607;
inline constexpr int32_t KwRandomize = 608;
inline constexpr int32_t KwReDim = 609;
inline constexpr int32_t KwRem = 610;
inline constexpr int32_t KwReset = 611;
inline constexpr int32_t KwRSet = 614;
inline constexpr int32_t KwPreserve = 617;
inline constexpr int32_t KwSelect = 619;
inline constexpr int32_t KwCase = 620;
inline constexpr int32_t KwStop = 625;
inline constexpr int32_t KwType = 628;
inline constexpr int32_t KwUnload = 629;
inline constexpr int32_t KwWhile = 630;
inline constexpr int32_t KwWend = 631;
inline constexpr int32_t KwWith = 633;
inline constexpr int32_t KwWrite = 634;
inline constexpr int32_t KwIn = 635;
inline constexpr int32_t KwArray = 636;
inline constexpr int32_t KwDoEvents = 639;
inline constexpr int32_t KwAddressOf = 709;
inline constexpr int32_t KwAnd = 710;
inline constexpr int32_t KwEqv = 711;
inline constexpr int32_t KwImp = 712;
inline constexpr int32_t KwLike = 714;
inline constexpr int32_t KwMod = 715;
inline constexpr int32_t KwNot = 716;
inline constexpr int32_t KwOr = 717;
inline constexpr int32_t KwXor = 718;
inline constexpr int32_t KwByte = 751;
inline constexpr int32_t KwBoolean = 752;
inline constexpr int32_t KwInteger = 753;
inline constexpr int32_t KwLong = 754;
inline constexpr int32_t KwCurrency = 755;
inline constexpr int32_t KwDecimal = 756;
inline constexpr int32_t KwSingle = 757;
inline constexpr int32_t KwDouble = 758;
inline constexpr int32_t KwObject = 760;
inline constexpr int32_t KwVariant = 761;
inline constexpr int32_t KwAny = 762;
inline constexpr int32_t KwAttribute = 845;
inline constexpr int32_t KwBinary = 2302;
inline constexpr int32_t KwError = 2308;
inline constexpr int32_t KwTime = 2339;
inline constexpr int32_t KwAppActivate = 2550;
inline constexpr int32_t KwBeep = 2551;
inline constexpr int32_t KwChDir = 2553;
inline constexpr int32_t KwChDrive = 2554;
inline constexpr int32_t KwDeftype = 2559;
inline constexpr int32_t KwDeleteString = 2560;
inline constexpr int32_t KwFileCopy = 2571;
inline constexpr int32_t KwLine = 2586;
inline constexpr int32_t KwLoad = 2587;
inline constexpr int32_t KwMkDir = 2592;
inline constexpr int32_t KwName = 2593;
inline constexpr int32_t KwBase = 2595;
inline constexpr int32_t KwCompare = 2596;
inline constexpr int32_t KwText = 2598;
inline constexpr int32_t KwDatabase = 2599;
inline constexpr int32_t KwRmDir = 2613;
inline constexpr int32_t KwSavePicture = 2615;
inline constexpr int32_t KwSaveSetting = 2616;
inline constexpr int32_t KwSendKeys = 2621;
inline constexpr int32_t KwSetAttr = 2623;
inline constexpr int32_t KwWidth = 2632;
inline constexpr int32_t KwCallByName = 2637;
inline constexpr int32_t KwCreateObject = 2638;
inline constexpr int32_t KwLib = 2640;
inline constexpr int32_t KwAlias = 2641;

// Project-file table.
inline constexpr int32_t VbpType = 801;
inline constexpr int32_t VbpForm = 802;
inline constexpr int32_t VbpReference = 803;
inline constexpr int32_t VbpUserControl = 804;
inline constexpr int32_t VbpUserDocument = 816;
inline constexpr int32_t VbpObject = 805;
inline constexpr int32_t VbpPropertyPage = 806;
inline constexpr int32_t VbpClass = 807;
inline constexpr int32_t VbpModule = 808;
inline constexpr int32_t VbpDesigner = 809;
inline constexpr int32_t VbpIconForm = 810;
inline constexpr int32_t VbpStartup = 811;
inline constexpr int32_t VbpResFile32 = 817;
inline constexpr int32_t VbpHelpFile = 812;
inline constexpr int32_t VbpTitle = 813;
inline constexpr int32_t VbpCommand32 = 814;
inline constexpr int32_t VbpName = 815;
inline constexpr int32_t VbpRelatedDoc = 818;

// Form-file header table.
inline constexpr int32_t FrmVB = 820;
inline constexpr int32_t FrmOptionButton = 834;
inline constexpr int32_t FrmVERSION = 823;
inline constexpr int32_t FrmTimer = 835;
inline constexpr int32_t FrmBegin = 821;
inline constexpr int32_t FrmCommandButton = 836;
inline constexpr int32_t FrmEnd = 822;
inline constexpr int32_t FrmOLE = 837;
inline constexpr int32_t FrmObject = 805;
inline constexpr int32_t FrmImage = 838;
inline constexpr int32_t FrmForm = 802;
inline constexpr int32_t FrmLine = 839;
inline constexpr int32_t FrmMDIForm = 851;
inline constexpr int32_t FrmShape = 840;
inline constexpr int32_t FrmData = 824;
inline constexpr int32_t FrmLabel = 841;
inline constexpr int32_t FrmFileListBox = 825;
inline constexpr int32_t FrmFrame = 842;
inline constexpr int32_t FrmDirListBox = 826;
inline constexpr int32_t FrmCheckBox = 843;
inline constexpr int32_t FrmDriveListBox = 827;
inline constexpr int32_t FrmMenu = 844;
inline constexpr int32_t FrmVScrollBar = 828;
inline constexpr int32_t FrmUserControl = 804;
inline constexpr int32_t FrmHScrollBar = 829;
inline constexpr int32_t FrmPropertyPage = 806;
inline constexpr int32_t FrmListBox = 830;
inline constexpr int32_t FrmUserDocument = 816;
inline constexpr int32_t FrmComboBox = 831;
inline constexpr int32_t FrmAttribute = 845;
inline constexpr int32_t FrmPictureBox = 832;
inline constexpr int32_t FrmVB_Name = 846;
inline constexpr int32_t FrmTextBox = 833;
inline constexpr int32_t FrmVB_GlobalNameSpace = 847;
inline constexpr int32_t FrmVB_Creatable = 848;
inline constexpr int32_t FrmVB_PredeclaredId = 849;
inline constexpr int32_t FrmVB_Exposed = 850;
inline constexpr int32_t FrmVB_Description = 852;

// Class-file header table.
inline constexpr int32_t ClsVERSION = 823;
inline constexpr int32_t ClsBEGIN = 853;
inline constexpr int32_t ClsEND = 854;
inline constexpr int32_t ClsAttribute = 845;
inline constexpr int32_t ClsVB_Name = 846;
inline constexpr int32_t ClsVB_GlobalNameSpace = 847;
inline constexpr int32_t ClsVB_Creatable = 848;
inline constexpr int32_t ClsVB_PredeclaredId = 849;
inline constexpr int32_t ClsVB_Exposed = 850;
inline constexpr int32_t ClsVB_Description = 852;

}  // namespace qs
