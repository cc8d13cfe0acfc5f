// Writes a synthetic Visual Basic 6 project for the whole-run benchmarks: a project file and the
// forms, user controls, classes and standard modules it lists, with headers laid out as Visual
// Basic writes them and code that uses every kind of declaration the analysis records.
//
//   gen_project_tool --files N --out DIR [--seed S] [--name NAME]
//
// The output depends only on the arguments: the same arguments give the same bytes on every
// machine. That is why the random numbers come from a generator of our own (the distributions of
// <random> differ between standard libraries), why only integer arithmetic is used, and why the
// files are written in binary mode.
//
// Every project has the same mix whatever N: procedure bodies and the bytes aimed at per file are
// those of a large estate (2000 files come to more than 60 MB of source), so projects of different
// sizes differ only in their number of files, and the growth of a run's time and memory from one
// size to the next measures the program rather than a change in what the files hold.

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace qs::bench {
namespace {

constexpr uint64_t kDefaultSeed = 0x5155494C4C53ull;  // "QUILLS"

// splitmix64: small, fast and defined to the bit.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  /// A number in [0, n); 0 when n <= 0.
  int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }
  /// A number in [lo, hi].
  int Range(int lo, int hi) { return lo + Below(hi - lo + 1); }
  bool Chance(int percent) { return Below(100) < percent; }
  template <class T, size_t N>
  const T& Pick(const T (&a)[N]) {
    return a[Below(static_cast<int>(N))];
  }
  const char* Pick(std::initializer_list<const char*> l) {
    return l.begin()[Below(static_cast<int>(l.size()))];
  }
  template <class T>
  const T& Pick(const std::vector<T>& v) {
    return v[Below(static_cast<int>(v.size()))];
  }

 private:
  uint64_t state_;
};

// Text built from parts. It is always written with braces, Cat{a, b, c}: the parts of a braced
// list are evaluated from left to right, whereas the arguments of a call are evaluated in an
// unspecified order, which would let two compilers draw the random numbers in different orders.
class Cat {
 public:
  template <class... A>
  Cat(const A&... a) {  // NOLINT: implicit, so that a braced list converts
    (Put(a), ...);
  }
  operator const std::string&() const { return text_; }  // NOLINT
  const std::string& Str() const { return text_; }

 private:
  void Put(std::string_view v) { text_ += v; }
  void Put(const char* v) { text_ += v; }
  void Put(const std::string& v) { text_ += v; }
  void Put(const Cat& v) { text_ += v.text_; }
  void Put(char c) { text_ += c; }
  void Put(int v) { text_ += std::to_string(v); }
  void Put(long long v) { text_ += std::to_string(v); }
  std::string text_;
};

std::string Hex(uint64_t v, int digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string s(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, v >>= 4) s[static_cast<size_t>(i)] = kDigits[v & 15];
  return s;
}

std::string Guid(Rng& r) {
  return Cat{"{", Hex(r.Next(), 8), "-", Hex(r.Next(), 4),  "-", Hex(r.Next(), 4),
             "-", Hex(r.Next(), 4), "-", Hex(r.Next(), 12), "}"};
}

// One source file being written, with its own line ending.
class Out {
 public:
  explicit Out(bool lfOnly) : eol_(lfOnly ? "\n" : "\r\n") {}
  /// A code line indented by four blanks per level.
  void C(int level, const Cat& line) {
    buf_.append(static_cast<size_t>(level) * 4, ' ');
    buf_ += line.Str();
    buf_ += eol_;
  }
  /// A header line indented by three blanks per level, as the form designer writes them.
  void H(int level, const Cat& line) {
    buf_.append(static_cast<size_t>(level) * 3, ' ');
    buf_ += line.Str();
    buf_ += eol_;
  }
  void Blank() { buf_ += eol_; }
  size_t Size() const { return buf_.size(); }
  const std::string& Text() const { return buf_; }

 private:
  std::string_view eol_;
  std::string buf_;
};

const char* const kWords[] = {
    "Customer", "Order",   "Invoice", "Item",      "Account", "Report",   "Price",   "Stock",
    "Ledger",   "Batch",   "Queue",   "Record",    "Field",   "Layout",   "Print",   "Export",
    "Import",   "Config",  "Session", "User",      "Audit",   "Tax",      "Rate",    "Supplier",
    "Product",  "Grid",    "Panel",   "Status",    "Cache",   "Journal",  "Payment", "Address",
    "Contact",  "Region",  "Branch",  "Shift",     "Task",    "Schedule", "Note",    "Label",
    "Total",    "Balance", "Period",  "Warehouse", "Carrier", "Discount", "Margin",  "Budget"};
constexpr int kWordCount = static_cast<int>(sizeof(kWords) / sizeof(kWords[0]));

// Text with bytes of code page 1252 above 127, as European estates have them in comments and
// strings (the generator never writes UTF-8).
const char* const kAccented[] = {
    "Gr\xF6\xDF"
    "e",
    "Caf\xE9",
    "Stra\xDF"
    "e",
    "Men\xFC",
    "\xC4nderung",
    "Preis in \x80",
    "Ma\xF1"
    "ana"};

enum class Kind { Module, Class, Form, UserControl };

struct Library {
  std::string guid;
  std::string version;
  std::string file;
  std::string description;
};

struct Item {
  Kind kind;
  std::string name;
  std::string file;
  bool lfOnly;
};

struct Project {
  std::string name;
  int files = 0;
  uint64_t seed = 0;
  int scale = 6;  // multiplies procedure bodies
  std::vector<Library> references;
  Library comctl, comdlg, tabctl;  // control libraries the forms use
  std::vector<Item> items;
  std::vector<std::string> classNames;
  std::vector<std::string> moduleNames;  // standard modules: each has a Public Count<Name>
  std::string userControl;  // a user control of this project placed on forms, or ""
};

std::string TwoWords(Rng& r) {
  return Cat{kWords[r.Below(kWordCount)], kWords[r.Below(kWordCount)]};
}

// ---------------------------------------------------------------------------------------------
// Code: declarations and procedures, shared by all four kinds of source file.

class CodeWriter {
 public:
  CodeWriter(Out& o, Rng& r, const Project& p, const Item& it) : o_(o), r_(r), p_(p), it_(it) {}

  void Declarations();
  void FormHandlers(const std::vector<std::string>& controls);
  void ClassMembers();
  void UserControlMembers();
  /// Writes general procedures until the file holds about `target` bytes.
  void FillTo(size_t target);

 private:
  std::string Unique(std::string_view prefix) { return Cat{prefix, TwoWords(r_), ++counter_}; }
  bool IsModule() const { return it_.kind == Kind::Module; }
  std::string ModScope() { return IsModule() ? (r_.Chance(70) ? "Public" : "Private") : "Private"; }
  std::string ProcScope();
  std::string TypeName();
  std::string StringLiteral();
  std::string DefaultName();

  void Comment(int level);
  void Constants();
  void Declares();
  void DeclareStatement(const std::string& scope, bool ptrSafe, const std::string& name,
                        bool isFunction, int shape);
  void Enumeration();
  void UserType();
  void Variables();
  void Events();
  std::string Parameters(bool forDeclare, bool& multiLine);
  void Procedure(const std::string& text, std::string_view endWord, int bodyBlocks,
                 bool errorHandler);
  void GeneralProcedure();
  void DocComment(const std::string& name, const std::string& params, bool returns);
  void Locals(int level, const std::string& procName);
  void Block(int level, int nest);
  void Simple(int level);

  Out& o_;
  Rng& r_;
  const Project& p_;
  const Item& it_;
  int counter_ = 0;
  std::vector<std::string> consts_;
  std::vector<std::string> enumMembers_;
  std::vector<std::string> procs_;
  std::vector<std::string> events_;
  std::vector<std::string> bodyDoc_;  ///< lines the next procedure's body opens with
};

std::string CodeWriter::ProcScope() {
  static const char* const kScopes[] = {"Public ", "Private ", "Private ", "", "Friend "};
  std::string s = r_.Pick(kScopes);
  if (s == "Friend " && it_.kind != Kind::Class) s = "Private ";
  if (r_.Chance(3)) s += "Static ";
  return s;
}

std::string CodeWriter::TypeName() {
  static const char* const kBuiltIn[] = {"Long",   "String",   "Integer", "Boolean", "Double",
                                         "Byte",   "Currency", "Date",    "Variant", "Single",
                                         "Object", "Long",     "String",  "Long"};
  int k = r_.Below(20);
  if (k < 14) return kBuiltIn[k];
  if (k == 14) return "Collection";
  if (k == 15) return "ADODB.Recordset";
  if (k == 16) return "Scripting.Dictionary";
  if (k == 17 && !p_.classNames.empty()) return r_.Pick(p_.classNames);
  if (k == 18) return "StdFont";
  return "Long";
}

std::string CodeWriter::StringLiteral() {
  switch (r_.Below(8)) {
    case 0:
      return "\"\"";
    case 1:
      return Cat{"\"He said \"\"", kWords[r_.Below(kWordCount)], "\"\" twice\""};
    case 2:
      return Cat{"\"", r_.Pick(kAccented), "\""};
    case 3:
      return "\"it's not a comment ' here\"";
    case 4:
      return Cat{"\"SELECT * FROM ", kWords[r_.Below(kWordCount)], " WHERE ID = \""};
    case 5:
      return "\"C:\\Program Files\\Bench\\data.mdb\"";
    case 6:
      return "\"\"\"\"";
    default:
      return Cat{"\"", kWords[r_.Below(kWordCount)], " ", kWords[r_.Below(kWordCount)], "\""};
  }
}

std::string CodeWriter::DefaultName() {
  if (!consts_.empty() && r_.Chance(60)) return r_.Pick(consts_);
  if (!enumMembers_.empty()) return r_.Pick(enumMembers_);
  return "vbNullString";
}

void CodeWriter::Comment(int level) {
  switch (r_.Below(5)) {
    case 0:
      o_.C(level, {"' ", kWords[r_.Below(kWordCount)], " handling, see the ", r_.Pick(kAccented),
                   " notes"});
      break;
    case 1:
      o_.C(level, {"Rem ", kWords[r_.Below(kWordCount)], " ", kWords[r_.Below(kWordCount)]});
      break;
    case 2:
      o_.C(level, {"'-----------------------------------------------------------------"});
      o_.C(level, {"' Purpose : keeps the \"", kWords[r_.Below(kWordCount)], "\" list in step"});
      o_.C(level, {"'-----------------------------------------------------------------"});
      break;
    case 3:
      o_.C(level, {"'TODO: Dim x As Long ' not a declaration, only a comment"});
      break;
    default:
      o_.C(level, {"''' <summary>", kWords[r_.Below(kWordCount)], "</summary>"});
      break;
  }
}

void CodeWriter::Constants() {
  int n = r_.Range(2, 6);
  for (int i = 0; i < n; ++i) {
    std::string name =
        Cat{kWords[r_.Below(kWordCount)], "_", kWords[r_.Below(kWordCount)], "_", ++counter_};
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    consts_.push_back(name);
    std::string scope = ModScope();
    switch (r_.Below(7)) {
      case 0:
        o_.C(0, {scope, " Const ", name, " As Long = ", r_.Range(1, 100000)});
        break;
      case 1:
        o_.C(0, {scope, " Const ", name, " As String = ", StringLiteral()});
        break;
      case 2: {
        int digits = r_.Range(2, 6);
        o_.C(0, {"Const ", name, " = &H", Hex(r_.Next(), digits), "&"});
        break;
      }
      case 3: {
        std::string b = Cat{name, "_B"}, c = Cat{name, "_C"};
        o_.C(0, {"Private Const ", name, " = 1, ", b, " = 2, ", c, " As Integer = 3"});
        break;
      }
      case 4:
        o_.C(0, {scope, " Const ", name, "# = 3.14159265358979"});
        break;
      case 5:
        o_.C(0, {scope, " Const ", name, " As Double = 1.5E+3 ' ", r_.Pick(kAccented)});
        break;
      default:
        o_.C(0, {"Const ", name, " = ", r_.Range(0, 999), "   ' ", kWords[r_.Below(kWordCount)]});
        break;
    }
  }
}

void CodeWriter::DeclareStatement(const std::string& scope, bool ptrSafe, const std::string& name,
                                  bool isFunction, int shape) {
  std::string head =
      Cat{scope, " Declare ", ptrSafe ? "PtrSafe " : "", isFunction ? "Function " : "Sub ", name};
  std::string ret = isFunction ? (ptrSafe ? " As LongPtr" : " As Long") : "";
  std::string handle = ptrSafe ? "LongPtr" : "Long";
  switch (shape) {
    case 0:
      o_.C(0, {head, " Lib \"kernel32\" ()", ret});
      break;
    case 1:
      o_.C(0, {head, " Lib \"user32\" Alias \"", name, "A\" _"});
      o_.C(1, {"(ByVal hwnd As ", handle, ", _"});
      o_.C(1, {" ByVal wMsg As Long, _"});
      o_.C(1, {" ByVal wParam As ", handle, ", _"});
      o_.C(1, {" lParam As Any)", ret});
      break;
    case 2:
      o_.C(0, {head,
               " Lib \"kernel32\" Alias \"RtlMoveMemory\" (Destination As Any, Source As Any, "
               "ByVal Length As Long)",
               ret});
      break;
    case 3:
      o_.C(0, {head, " Lib \"advapi32.dll\" Alias \"", name, "A\" (ByVal hKey As ", handle,
               ", ByVal lpSubKey As String, phkResult As ", handle, ")", ret});
      break;
    default:
      o_.C(0, {head, " _"});
      o_.C(1, {"Lib \"gdi32\" _"});
      o_.C(1, {"(ByVal hdc As ", handle,
               ", ByVal x As Long, ByVal y As Long, ByVal crColor As Long)", ret});
      break;
  }
}

void CodeWriter::Declares() {
  static const char* const kApi[] = {"GetTickCount", "SendMessage",    "CopyMemory",
                                     "RegOpenKeyEx", "SetPixel",       "GetWindowLong",
                                     "PostMessage",  "RegQueryValueEx"};
  int n = IsModule() ? r_.Range(1, 5) : r_.Range(0, 2);
  for (int i = 0; i < n; ++i) {
    std::string name = Cat{r_.Pick(kApi), i == 0 ? "" : std::to_string(counter_++)};
    std::string scope = IsModule() && r_.Chance(50) ? "Public" : "Private";
    bool isFunction = r_.Chance(75);
    int shape = r_.Below(5);
    if (r_.Chance(40)) {
      o_.C(0, {"#If VBA7 Then"});
      DeclareStatement(scope, true, name, isFunction, shape);
      o_.C(0, {"#Else"});
      DeclareStatement(scope, false, name, isFunction, shape);
      o_.C(0, {"#End If"});
    } else {
      DeclareStatement(scope, false, name, isFunction, shape);
    }
  }
}

void CodeWriter::Enumeration() {
  std::string name = Unique("e");
  std::string prefix = Cat{"e", kWords[r_.Below(kWordCount)]};
  o_.C(0, {it_.kind == Kind::Form ? "Private" : r_.Pick({"Public", "Private"}), " Enum ", name});
  int n = r_.Range(3, 9);
  for (int i = 0; i < n; ++i) {
    std::string m = Cat{prefix, kWords[r_.Below(kWordCount)], i};
    enumMembers_.push_back(m);
    switch (r_.Below(4)) {
      case 0:
        o_.C(1, {m, " = &H", Hex(1ull << (i % 16), 4), "&"});
        break;
      case 1:
        o_.C(1, {m, " = ", i * 10});
        break;
      case 2:
        o_.C(1, {m, "   ' ", kWords[r_.Below(kWordCount)]});
        break;
      default:
        o_.C(1, {m});
        break;
    }
  }
  o_.C(1, {prefix, "All = ", enumMembers_[enumMembers_.size() - 1], " Or ",
           enumMembers_[enumMembers_.size() - 2]});
  o_.C(0, {"End Enum"});
}

void CodeWriter::UserType() {
  // Public user-defined types are allowed only in standard modules.
  o_.C(0, {IsModule() && r_.Chance(60) ? "Public" : "Private", " Type ", Unique("t")});
  int n = r_.Range(3, 8);
  for (int i = 0; i < n; ++i) {
    std::string m = Cat{kWords[r_.Below(kWordCount)], i};
    switch (r_.Below(6)) {
      case 0:
        o_.C(1, {"s", m, " As String * ", r_.Range(8, 255)});
        break;
      case 1:
        o_.C(1, {"a", m, "(1 To ", r_.Range(2, 64), ") As Double"});
        break;
      case 2:
        o_.C(1, {"b", m, "() As Byte   ' dynamic"});
        break;
      case 3:
        o_.C(1, {"o", m, " As ", TypeName()});
        break;
      case 4:
        o_.C(1, {"n", m, "(0 To 3, 0 To 3) As Integer"});
        break;
      default:
        o_.C(1, {"l", m, " As Long"});
        break;
    }
  }
  o_.C(0, {"End Type"});
}

void CodeWriter::Variables() {
  int n = r_.Range(3, 8);
  for (int i = 0; i < n; ++i) {
    std::string scope = IsModule() ? r_.Pick({"Public", "Private", "Dim", "Global"})
                                   : r_.Pick({"Private", "Dim", "Public"});
    std::string w = Cat{kWords[r_.Below(kWordCount)], ++counter_};
    switch (r_.Below(9)) {
      case 0:
        o_.C(0, {scope, " m_l", w, " As Long"});
        break;
      case 1:
        o_.C(0, {scope, " m_s", w, "$"});
        break;
      case 2:
        o_.C(0, {scope, " m_v", w});
        break;
      case 3:
        o_.C(0, {scope, " m_a", w, "() As String, m_n", w, " As Integer"});
        break;
      case 4:
        o_.C(0, {scope, " m_i", w, "%, m_c", w, "@, m_d", w, "#"});
        break;
      case 5:
        o_.C(0, {scope, " m_o", w, " As New Collection"});
        break;
      case 6:
        if (it_.kind == Kind::Class || it_.kind == Kind::Form)
          o_.C(0, {"Private WithEvents m_o", w, " As ",
                   p_.classNames.empty() ? "VB.Timer" : r_.Pick(p_.classNames)});
        else
          o_.C(0, {scope, " m_o", w, " As ADODB.Connection"});
        break;
      case 7:
        o_.C(0, {scope, " m_x", w, ", m_y", w, " As Single  ' x has no type"});
        break;
      default:
        o_.C(0, {scope, " m_b", w, " As Boolean, m_dt", w, " As Date"});
        break;
    }
  }
}

void CodeWriter::Events() {
  int n = r_.Range(1, 4);
  for (int i = 0; i < n; ++i) {
    std::string name =
        Cat{kWords[r_.Below(kWordCount)], r_.Pick({"Changed", "Loaded", "Failed", "Progress"})};
    events_.push_back(name);
    switch (r_.Below(3)) {
      case 0:
        o_.C(0, {"Public Event ", name, "(ByVal NewValue As String)"});
        break;
      case 1:
        o_.C(0, {"Event ", name, "(ByVal Percent As Integer, Cancel As Boolean)"});
        break;
      default:
        o_.C(0, {"Public Event ", name, "()"});
        break;
    }
  }
}

void CodeWriter::Declarations() {
  o_.C(0, {"Option Explicit"});
  if (IsModule() && r_.Chance(15)) o_.C(0, {"Option Private Module"});
  if (r_.Chance(15)) o_.C(0, {"Option Compare Text"});
  if (IsModule() && r_.Chance(10)) o_.C(0, {"Option Base 1"});
  if (r_.Chance(30)) o_.C(0, {"#Const DEBUG_BUILD = 1"});
  o_.Blank();
  Comment(0);
  Constants();
  o_.Blank();
  Declares();
  o_.Blank();
  int enums = r_.Range(0, 2);
  for (int i = 0; i < enums; ++i) Enumeration();
  int types = r_.Range(0, 2);
  for (int i = 0; i < types; ++i) UserType();
  o_.Blank();
  Variables();
  o_.C(0, {"Private m_colItems As New Collection"});
  if (it_.kind == Kind::Class || it_.kind == Kind::UserControl) Events();
  o_.Blank();
}

// A parameter list in parentheses; long lists are broken with line continuations.
std::string CodeWriter::Parameters(bool forDeclare, bool& multiLine) {
  int n = r_.Range(0, 5);
  multiLine = n >= 4 && r_.Chance(60);
  std::string s = "(";
  bool optionals = false;
  for (int i = 0; i < n; ++i) {
    if (i > 0) s += multiLine ? ", _\r" : ", ";  // '\r' marks a break, resolved by the caller
    std::string w = Cat{kWords[r_.Below(kWordCount)], i};
    int k = optionals ? 5 + r_.Below(4) : r_.Below(forDeclare ? 5 : 9);
    switch (k) {
      case 0:
        s += Cat{"ByVal l", w, " As Long"};
        break;
      case 1:
        s += Cat{"ByRef s", w, " As String"};
        break;
      case 2:
        s += Cat{"o", w, " As ", TypeName()};
        break;
      case 3:
        s += forDeclare ? Cat{"p", w, " As Any"} : Cat{"a", w, "() As Byte"};
        break;
      case 4:
        s += Cat{"v", w};
        break;
      case 5:
        s += Cat{"Optional ByVal b", w, " As Boolean = False"};
        optionals = true;
        break;
      case 6:
        s += Cat{"Optional n", w, " As Integer = ", DefaultName()};
        optionals = true;
        break;
      case 7:
        s += Cat{"Optional ByVal s", w, " As String = ", StringLiteral()};
        optionals = true;
        break;
      default:
        if (i == n - 1 && !optionals) {
          s += Cat{"ParamArray vArgs() As Variant"};
        } else {
          s += Cat{"Optional v", w, " As Variant"};
          optionals = true;
        }
        break;
    }
  }
  return s + ")";
}

// Writes a procedure header (which may hold '\r' line-break marks), its body and its End line.
void CodeWriter::Procedure(const std::string& text, std::string_view endWord, int bodyBlocks,
                           bool errorHandler) {
  std::string_view header = text;
  size_t start = 0;
  bool first = true;
  while (true) {
    size_t cut = header.find('\r', start);
    o_.C(first ? 0 : 2, {header.substr(start, cut == std::string_view::npos ? cut : cut - start)});
    first = false;
    if (cut == std::string_view::npos) break;
    start = cut + 1;
  }
  for (const std::string& line : bodyDoc_) o_.C(1, {line});
  bodyDoc_.clear();
  // The procedure's name: the word after the keyword that its End line repeats.
  size_t at = header.find(Cat{endWord, " "}.Str());
  std::string procName;
  for (size_t k = at == std::string_view::npos ? header.size() : at + endWord.size() + 1;
       k < header.size() &&
       (std::isalnum(static_cast<unsigned char>(header[k])) || header[k] == '_');
       ++k)
    procName += header[k];
  Locals(1, procName);
  if (errorHandler) o_.C(1, {"On Error GoTo ErrHandler"});
  for (int b = 0; b < bodyBlocks; ++b) Block(1, 0);
  if (errorHandler) {
    o_.C(1, {"Exit ", endWord});
    o_.C(0, {"ErrHandler:"});
    o_.C(1, {"Err.Raise Err.Number, \"", it_.name, ".", procName, "\", Err.Description"});
  }
  o_.C(0, {"End ", endWord});
  o_.Blank();
}

void CodeWriter::Locals(int level, const std::string& procName) {
  o_.C(level, {"Dim i As Long, j As Long"});
  // The variables the statements below work with, declared as real code declares them.
  o_.C(level, {"Dim sText As String, lTotal As Long, oItem As Object, bAbort As Boolean"});
  o_.C(level, {"Dim rs As ADODB.Recordset, aValues() As Long, vItem As Variant, lLimit As Long"});
  o_.C(level, {"Dim dtStart As Date, dValue As Double, sSql As String"});
  if (!p_.classNames.empty()) o_.C(level, {"Dim oTyped As ", r_.Pick(p_.classNames)});
  int n = r_.Range(1, 4) + p_.scale / 2;
  for (int k = 0; k < n; ++k) {
    std::string w = Cat{kWords[r_.Below(kWordCount)], k};
    switch (r_.Below(8)) {
      case 0:
        o_.C(level, {"Dim s", w, " As String"});
        break;
      case 1:
        o_.C(level, {"Static s_l", w, " As Long"});
        break;
      case 2:
        o_.C(level, {"Const MAX_", w, " As Long = ", r_.Range(1, 5000)});
        break;
      case 3:
        o_.C(level, {"Const ", w, "_TEXT = \"", procName, " \"\"", w, "\"\"\""});
        break;
      case 4:
        o_.C(level, {"Dim v", w, ", o", w, " As Object"});
        break;
      case 5:
        o_.C(level, {"Dim n", w, "%, t", w, "$"});
        break;
      case 6:
        o_.C(level, {"Dim a", w, "() As ", TypeName()});
        break;
      default:
        o_.C(level, {"Dim rs", w, " As New ADODB.Recordset"});
        break;
    }
  }
}

// One statement that opens no block.
void CodeWriter::Simple(int level) {
  std::string w = kWords[r_.Below(kWordCount)];
  switch (r_.Below(16)) {
    case 12:
      // A call of a procedure of this file.
      if (!procs_.empty()) {
        o_.C(level, {"Call ", r_.Pick(procs_)});
        break;
      }
      [[fallthrough]];
    case 13:
      // A call across modules, qualified or not.
      if (!p_.moduleNames.empty()) {
        const std::string& m = r_.Pick(p_.moduleNames);
        o_.C(level, {"lTotal = lTotal + ", r_.Chance(50) ? Cat{m, "."}.Str() : std::string(),
                     "Count", m, "(i)"});
        break;
      }
      [[fallthrough]];
    case 14:
      // Typed member access on an object of one of the project's classes.
      if (!p_.classNames.empty()) {
        o_.C(level, {"Set oTyped = New ", r_.Pick(p_.classNames), ": Set oItem = oTyped.Item(i)"});
        break;
      }
      [[fallthrough]];
    case 15:
      o_.C(level, {"If Not m_colItems Is Nothing Then j = m_colItems.Count + lLimit"});
      break;
    case 0:
      o_.C(level, {"sText = ", StringLiteral(), " & CStr(i)  ' ", w});
      break;
    case 1:
      o_.C(level, {"lTotal = lTotal + i * ", r_.Range(2, 99), " - &H", Hex(r_.Next(), 2)});
      break;
    case 2:
      o_.C(level, {"Debug.Print \"", w, " = \"; i, Format$(Now, \"yyyy-mm-dd\")"});
      break;
    case 3:
      o_.C(level, {"Call Log", w, "(\"", w, "\", _"});
      o_.C(level + 2, {"i, j)"});
      break;
    case 4:
      o_.C(level, {"Set oItem = m_colItems.Item(CStr(i)): j = j + 1"});
      break;
    case 5:
      o_.C(level, {"If bAbort Then End"});
      break;
    case 6:
      o_.C(level, {"rs.Fields(\"", w, "\").Value = Left$(sText, ", r_.Range(1, 40), ")"});
      break;
    case 7:
      o_.C(level, {"dtStart = #1/", r_.Range(1, 28), "/2001#: dValue = 1.5! * 2#"});
      break;
    case 8:
      if (events_.empty())
        o_.C(level, {"MsgBox \"Done: \" & sText, vbInformation, App.Title"});
      else
        o_.C(level, {"RaiseEvent ", r_.Pick(events_), "(sText)"});
      break;
    case 9:
      o_.C(level, {"sText = sText & \"", r_.Pick(kAccented), "\" & vbCrLf"});
      break;
    case 10:
      o_.C(level, {"ReDim Preserve aValues(0 To i + ", r_.Range(1, 9), ")"});
      break;
    default:
      o_.C(level, {"' ", w, ": Dim z As Long in a comment is no declaration"});
      break;
  }
}

// One statement or block of statements; blocks nest at most two deep.
void CodeWriter::Block(int level, int nest) {
  int kind = r_.Below(nest < 2 ? 12 : 1);
  auto inner = [&](int lvl) {
    int n = r_.Range(1, 3);
    for (int k = 0; k < n; ++k) Block(lvl, nest + 1);
  };
  std::string w = kWords[r_.Below(kWordCount)];
  switch (kind) {
    case 0:
      Simple(level);
      break;
    case 1:
      o_.C(level, {"If i > ", r_.Range(0, 99), " And sText <> \"\" Then"});
      if (r_.Chance(25))
        o_.C(level + 1, {"Dim l", w, counter_, " As Long  ' declared inside a block"});
      inner(level + 1);
      if (r_.Chance(50)) {
        o_.C(level, {"ElseIf i = ", r_.Range(0, 9), " Then"});
        Simple(level + 1);
      }
      o_.C(level, {"Else"});
      inner(level + 1);
      o_.C(level, {"End If"});
      break;
    case 2:
      o_.C(level, {"For i = 1 To UBound(aValues) Step ", r_.Range(1, 3)});
      inner(level + 1);
      o_.C(level + 1, {"If i > lLimit Then Exit For"});
      o_.C(level, {"Next i"});
      break;
    case 3:
      o_.C(level, {"Select Case i"});
      o_.C(level, {"Case 1, 2, 3"});
      inner(level + 1);
      o_.C(level, {"Case ", r_.Range(4, 9), " To ", r_.Range(10, 99)});
      Simple(level + 1);
      o_.C(level, {"Case Is > 100"});
      o_.C(level + 1, {"sText = \"big \"\"", w, "\"\"\""});
      o_.C(level, {"Case Else"});
      inner(level + 1);
      o_.C(level, {"End Select"});
      break;
    case 4:
      o_.C(level, {"With m_colItems"});
      o_.C(level + 1, {".Add \"", w, "\", CStr(i)"});
      inner(level + 1);
      o_.C(level + 1, {"j = .Count"});
      o_.C(level, {"End With"});
      break;
    case 5:
      o_.C(level, {"Do While j < ", r_.Range(10, 1000), " And Not rs.EOF"});
      inner(level + 1);
      o_.C(level + 1, {"rs.MoveNext: j = j + 1"});
      o_.C(level, {"Loop"});
      break;
    case 6:
      o_.C(level, {"sSql = \"SELECT ", w, "ID, Name FROM tbl", w, " \" & _"});
      o_.C(level + 2, {"\"WHERE Name LIKE '%\"\"\" & sText & \"\"\"%' \" & _"});
      o_.C(level + 2, {"\"ORDER BY Name\""});
      break;
    case 7:
      Comment(level);
      break;
    case 8:
      o_.C(level, {"On Error Resume Next"});
      o_.C(level, {"Set oItem = CreateObject(\"", w, ".Application\")"});
      o_.C(level, {"If Err.Number <> 0 Then lTotal = -1: Err.Clear"});
      o_.C(level, {"On Error GoTo 0"});
      break;
    case 9:
      o_.C(0, {"#If DEBUG_BUILD Then"});
      o_.C(level, {"Debug.Assert i >= 0"});
      o_.C(0, {"#End If"});
      break;
    case 10:
      o_.C(level, {"For Each vItem In m_colItems"});
      inner(level + 1);
      o_.C(level, {"Next"});
      break;
    default:
      o_.C(level, {"Set oItem = New Collection"});
      Simple(level);
      o_.C(level, {"Set oItem = Nothing"});
      break;
  }
}

// The names of a parameter list "(ByVal a As Long, Optional b = 1)" as the generator writes it.
std::vector<std::string> ParamNames(std::string_view params) {
  std::vector<std::string> names;
  bool expectName = true;
  for (size_t i = 0; i < params.size();) {
    const char c = params[i];
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) {
      if (c == ',') expectName = true;
      ++i;
      continue;
    }
    size_t end = i;
    while (end < params.size() &&
           (std::isalnum(static_cast<unsigned char>(params[end])) || params[end] == '_'))
      ++end;
    const std::string_view word = params.substr(i, end - i);
    if (expectName && word != "Optional" && word != "ByVal" && word != "ByRef" &&
        word != "ParamArray" && word != "_") {
      names.emplace_back(word);
      expectName = false;
    }
    i = end;
  }
  return names;
}

// A doc comment in one of the conventions VB6 code is documented in, on about two procedures in
// five. The convention follows from the procedure's name, so the rest of the file draws the same
// random numbers as without doc comments.
void CodeWriter::DocComment(const std::string& name, const std::string& params, bool returns) {
  uint32_t pick = 2166136261u;  // FNV-1a of the name, then mixed
  for (char c : name) pick = (pick ^ static_cast<unsigned char>(c)) * 16777619u;
  pick ^= pick >> 16;
  pick *= 0x85ebca6bu;
  pick ^= pick >> 13;
  pick *= 0xc2b2ae35u;
  pick ^= pick >> 16;
  pick %= 18;
  const std::vector<std::string> names = ParamNames(params);
  std::string bare = name;  // without a type-suffix character
  if (!bare.empty() && bare.back() == '$') bare.pop_back();
  const char* word = kWords[(pick + static_cast<uint32_t>(counter_)) % kWordCount];
  switch (pick) {
    case 0:
    case 1:  // '' with tags; one in two names a parameter the signature does not have
      o_.C(0, {"'' Updates the ", word, " list of ", name, ". Keeps the order."});
      for (size_t k = 0; k < names.size(); ++k)
        o_.C(0, {"'' @param ", names[k], pick == 1 && k == 0 ? "x" : "", " the ", word, " to use"});
      if (returns) o_.C(0, {"'' @returns the new ", word, " count"});
      o_.C(0, {"'' @author bench"});
      break;
    case 2:  // headings framed by banners
      o_.C(0, {"'---------------------------------------------------------------------------"});
      o_.C(0, {"' Procedure : ", name});
      o_.C(0, {"' Purpose   : Checks the ", word, " records."});
      o_.C(0, {"'             Skips the empty ones."});
      if (!names.empty()) o_.C(0, {"' Inputs    :"});
      for (const std::string& n : names) o_.C(0, {"'   ", n, " - the ", word});
      if (returns) o_.C(0, {"' Returns   : True when done"});
      o_.C(0, {"' Author    : bench"});
      o_.C(0, {"' Date      : 2004-05-06"});
      o_.C(0, {"'---------------------------------------------------------------------------"});
      break;
    case 3:  // XML documentation
      o_.C(0, {"''' <summary>Reads the ", word, " values.</summary>"});
      for (const std::string& n : names)
        o_.C(0, {"''' <param name=\"", n, "\">the ", word, "</param>"});
      if (returns) o_.C(0, {"''' <returns>the ", word, "</returns>"});
      break;
    case 4:  // annotation
      o_.C(0, {"'@Description(\"Sorts the ", word, " entries.\")"});
      break;
    case 5:  // the description attribute inside the body, where the IDE writes it
      if (it_.kind != Kind::Module) {
        bodyDoc_.push_back(Cat{"Attribute ", bare, ".VB_Description = \"Loads the ", word, "\""});
        break;
      }
      [[fallthrough]];
    case 6:  // comments opening the body
      bodyDoc_.push_back(Cat{"' Walks the ", word, " table once."});
      bodyDoc_.push_back(Cat{"' Stops at the first gap."});
      break;
    default:
      break;
  }
}

// A Sub, Function or Property trio with bodies sized by the project's scale.
void CodeWriter::GeneralProcedure() {
  int blocks = r_.Range(2, 7) * p_.scale;
  if (r_.Chance(12)) blocks *= 6;  // the long procedures every estate has
  bool handler = r_.Chance(30);
  std::string name = Cat{kWords[r_.Below(kWordCount)], kWords[r_.Below(kWordCount)], ++counter_};
  procs_.push_back(name);
  if (r_.Chance(40))
    o_.C(0, {"' ", name, ": ", kWords[r_.Below(kWordCount)], " \"quoted\" comment"});
  bool multiLine = false;
  switch (r_.Below(10)) {
    case 0:
    case 1:
    case 2:
    case 3: {
      std::string params = Parameters(false, multiLine);
      DocComment(name, params, false);
      Procedure(Cat{ProcScope(), "Sub ", name, params}, "Sub", blocks, handler);
      break;
    }
    case 4:
    case 5:
    case 6:
    case 7: {
      std::string params = Parameters(false, multiLine);
      std::string ret = r_.Chance(85) ? Cat{" As ", TypeName(), r_.Chance(10) ? "()" : ""} : "";
      if (r_.Chance(8)) {
        name += "$";
        ret.clear();
      }
      DocComment(name, params, true);
      Procedure(Cat{ProcScope(), "Function ", name, params, multiLine ? " _\r" : "", ret},
                "Function", blocks, handler);
      break;
    }
    case 8:
      DocComment(name, "", false);
      Procedure(Cat{"Public Sub ", name}, "Sub", blocks, handler);
      break;
    default: {
      std::string type = TypeName();
      std::string member = Cat{"m_", name};
      DocComment(name, "", true);
      o_.C(0, {"Public Property Get ", name, "() As ", type});
      for (const std::string& line : bodyDoc_) o_.C(1, {line});
      bodyDoc_.clear();
      if (it_.kind != Kind::Module && r_.Chance(40))
        o_.C(0, {"Attribute ", name, ".VB_Description = \"Returns the ", name, "\""});
      o_.C(1, {name, " = ", member});
      o_.C(0, {"End Property"});
      o_.Blank();
      o_.C(0, {"Public Property Let ", name, "(ByVal vNewValue As ",
               type == "Object" ? "Variant" : type, ")"});
      o_.C(1, {member, " = vNewValue"});
      o_.C(0, {"End Property"});
      o_.Blank();
      o_.C(0, {"Friend Property Set ", name, "(ByVal oNewValue As Object)"});
      o_.C(1, {"Set ", member, " = oNewValue"});
      o_.C(0, {"End Property"});
      o_.Blank();
      break;
    }
  }
}

void CodeWriter::FormHandlers(const std::vector<std::string>& controls) {
  Procedure("Private Sub Form_Load()", "Sub", r_.Range(2, 5) * p_.scale, false);
  Procedure("Private Sub Form_Unload(Cancel As Integer)", "Sub", 1, false);
  for (size_t k = 0; k < controls.size() && k < 6; ++k) {
    const std::string& c = controls[k];
    if (c.rfind("cmd", 0) == 0) {
      int blocks = r_.Range(1, 4) * p_.scale;
      Procedure(Cat{"Private Sub ", c, "_Click()"}, "Sub", blocks, r_.Chance(30));
    } else if (c.rfind("txt", 0) == 0)
      Procedure(Cat{"Private Sub ", c, "_KeyPress(KeyAscii As Integer)"}, "Sub", 2, false);
    else if (c.rfind("lvw", 0) == 0)
      Procedure(Cat{"Private Sub ", c, "_ItemClick(ByVal Item As MSComctlLib.ListItem)"}, "Sub", 2,
                false);
  }
}

void CodeWriter::ClassMembers() {
  Procedure("Private Sub Class_Initialize()", "Sub", 2, false);
  Procedure("Private Sub Class_Terminate()", "Sub", 1, false);
  o_.C(0, {"Public Property Get Item(ByVal Index As Variant) As ", it_.name});
  o_.C(0, {"Attribute Item.VB_UserMemId = 0"});
  o_.C(1, {"Set Item = m_colItems(Index)"});
  o_.C(0, {"End Property"});
  o_.Blank();
  o_.C(0, {"Public Function NewEnum() As IUnknown"});
  o_.C(0, {"Attribute NewEnum.VB_UserMemId = -4"});
  o_.C(0, {"Attribute NewEnum.VB_MemberFlags = \"40\""});
  o_.C(1, {"Set NewEnum = m_colItems.[_NewEnum]"});
  o_.C(0, {"End Function"});
  o_.Blank();
}

void CodeWriter::UserControlMembers() {
  Procedure("Private Sub UserControl_Initialize()", "Sub", 2, false);
  o_.C(0, {"Private Sub UserControl_ReadProperties(PropBag As PropertyBag)"});
  o_.C(1, {"m_sCaption = PropBag.ReadProperty(\"Caption\", \"\")"});
  o_.C(1, {"Set UserControl.Font = PropBag.ReadProperty(\"Font\", Ambient.Font)"});
  o_.C(0, {"End Sub"});
  o_.Blank();
  o_.C(0, {"Public Property Get Caption() As String"});
  o_.C(0, {"Attribute Caption.VB_UserMemId = -518"});
  o_.C(1, {"Caption = m_sCaption"});
  o_.C(0, {"End Property"});
  o_.Blank();
  o_.C(0, {"Public Property Let Caption(ByVal New_Caption As String)"});
  o_.C(1, {"m_sCaption = New_Caption"});
  o_.C(1, {"PropertyChanged \"Caption\""});
  o_.C(0, {"End Property"});
  o_.Blank();
}

void CodeWriter::FillTo(size_t target) {
  if (IsModule()) {
    // What other files call across modules.
    o_.C(0, {"Public Function Count", it_.name, "(ByVal n As Long) As Long"});
    o_.C(1, {"Count", it_.name, " = n + m_colItems.Count"});
    o_.C(0, {"End Function"});
    o_.Blank();
  }
  do GeneralProcedure();
  while (o_.Size() < target);
}

// ---------------------------------------------------------------------------------------------
// Headers.

std::string PadName(std::string_view name) {
  std::string s(name);
  s.resize(name.size() < 16 ? 16 : name.size() + 1, ' ');
  return s;
}

class FormWriter {
 public:
  FormWriter(Out& o, Rng& r, const Project& p, const Item& it) : o_(o), r_(r), p_(p), it_(it) {}
  /// Writes the header of a form or user control; returns the names of its controls.
  std::vector<std::string> Header();

 private:
  void Prop(int level, const std::string& name, const Cat& value) {
    o_.H(level, {PadName(name), "=   ", value});
  }
  unsigned Advance() {
    unsigned at = offset_;
    offset_ += 0x4A2;
    return at;
  }
  std::string Binary() {
    return Cat{"\"", it_.name, it_.kind == Kind::Form ? ".frx" : ".ctx", "\":", Hex(Advance(), 4)};
  }
  void Position(int level);
  void Font(int level);
  void Control(int level, int depth);
  void Menu(int level, int depth);

  Out& o_;
  Rng& r_;
  const Project& p_;
  const Item& it_;
  unsigned offset_ = 0;
  int tab_ = 0;
  std::vector<std::string> names_;
};

void FormWriter::Position(int level) {
  Prop(level, "Height", {r_.Range(1, 80) * 15});
  Prop(level, "Left", {r_.Range(1, 500) * 15});
  Prop(level, "TabIndex", {tab_++});
  Prop(level, "Top", {r_.Range(1, 400) * 15});
  Prop(level, "Width", {r_.Range(10, 400) * 15});
}

void FormWriter::Font(int level) {
  o_.H(level, {"BeginProperty Font {0BE35203-8F91-11CE-9DE3-00AA004BB851} "});
  Prop(level + 1, "Name", {"\"", r_.Pick({"MS Sans Serif", "Tahoma", "Arial"}), "\""});
  Prop(level + 1, "Size", {r_.Pick({"8.25", "9.75", "12"})});
  Prop(level + 1, "Charset", {0});
  Prop(level + 1, "Weight", {r_.Pick({"400", "700"})});
  Prop(level + 1, "Underline", {"0   'False"});
  Prop(level + 1, "Italic", {"0   'False"});
  Prop(level + 1, "Strikethrough", {"0   'False"});
  o_.H(level, {"EndProperty"});
}

// One control with its properties; containers hold further controls, at most three deep.
void FormWriter::Control(int level, int depth) {
  static const char* const kTypes[] = {
      "CommandButton", "TextBox",    "Label",    "CheckBox",     "OptionButton", "ComboBox",
      "ListBox",       "Image",      "Timer",    "Shape",        "Line",         "HScrollBar",
      "Frame",         "PictureBox", "ListView", "CommonDialog", "SSTab",        "UserControl"};
  static const char* const kPrefixes[] = {"cmd", "txt", "lbl", "chk", "opt", "cbo",
                                          "lst", "img", "tmr", "shp", "lin", "hsb",
                                          "fra", "pic", "lvw", "dlg", "tab", "uc"};
  int k = r_.Below(depth < 3 ? 18 : 12);
  if (k == 17 && p_.userControl.empty()) k = 0;
  std::string name =
      Cat{kPrefixes[k], kWords[r_.Below(kWordCount)], static_cast<int>(names_.size())};
  names_.push_back(name);
  switch (k) {
    case 14:
      o_.H(level, {"Begin MSComctlLib.ListView ", name, " "});
      break;
    case 15:
      o_.H(level, {"Begin MSComDlg.CommonDialog ", name, " "});
      break;
    case 16:
      o_.H(level, {"Begin TabDlg.SSTab ", name, " "});
      break;
    case 17:
      o_.H(level, {"Begin ", p_.name, ".", p_.userControl, " ", name, " "});
      break;
    default:
      o_.H(level, {"Begin VB.", kTypes[k], " ", name, " "});
      break;
  }
  int in = level + 1;
  switch (k) {
    case 0:
      Prop(in, "Caption", {"\"&", kWords[r_.Below(kWordCount)], "\""});
      if (r_.Chance(30)) Prop(in, "Default", {"-1  'True"});
      Position(in);
      break;
    case 1:
      Position(in);
      Prop(in, "Text", {"\"", r_.Pick({"", "0.00", "Enter \"\"name\"\" here"}), "\""});
      if (r_.Chance(30)) Prop(in, "ToolTipText", {"\"", r_.Pick(kAccented), "\""});
      break;
    case 2:
      Prop(in, "AutoSize", {"-1  'True"});
      Prop(in, "BackStyle", {"0  'Transparent"});
      Prop(in, "Caption", {"\"", kWords[r_.Below(kWordCount)], ":\""});
      if (r_.Chance(30)) Font(in);
      Position(in);
      break;
    case 5:
    case 6:
      Position(in);
      Prop(in, "ItemData", {Binary()});
      Prop(in, "List", {Binary()});
      Prop(in, "Style", {2});
      break;
    case 7:
      Position(in);
      Prop(in, "Picture", {Binary()});
      Prop(in, "Stretch", {"-1  'True"});
      break;
    case 8:
      Prop(in, "Enabled", {"0   'False"});
      Prop(in, "Interval", {r_.Range(1, 60) * 100});
      Prop(in, "Left", {r_.Range(1, 500) * 15});
      Prop(in, "Top", {r_.Range(1, 400) * 15});
      break;
    case 10:
      Prop(in, "BorderColor", {"&H00808080&"});
      Prop(in, "X1", {r_.Range(0, 9000)});
      Prop(in, "X2", {r_.Range(0, 9000)});
      Prop(in, "Y1", {r_.Range(0, 9000)});
      Prop(in, "Y2", {r_.Range(0, 9000)});
      break;
    case 12:
    case 13:
      if (k == 12)
        Prop(in, "Caption",
             {"\"", kWords[r_.Below(kWordCount)], " ", kWords[r_.Below(kWordCount)], "\""});
      else
        Prop(in, "Picture", {Binary()});
      Position(in);
      for (int c = r_.Range(1, 4); c > 0; --c) Control(in, depth + 1);
      break;
    case 14:
      Position(in);
      Prop(in, "_ExtentX", {r_.Range(1000, 9000)});
      Prop(in, "_ExtentY", {r_.Range(1000, 9000)});
      Prop(in, "View", {3});
      Prop(in, "LabelEdit", {1});
      Prop(in, "_Version", {393217});
      Prop(in, "ForeColor", {-2147483640});
      Prop(in, "BackColor", {-2147483643});
      Prop(in, "Appearance", {1});
      Font(in);
      o_.H(in, {"BeginProperty ColumnHeaders {", "0713E8C6-850A-101B-AFC0-4210102A8DA7} "});
      for (int c = 1; c <= r_.Range(2, 5); ++c) {
        o_.H(in + 1,
             {"BeginProperty ColumnHeader(", c, ") {BDD1F052-858B-11D1-B16A-00C0F0283628} "});
        Prop(in + 2, "Text", {"\"", kWords[r_.Below(kWordCount)], "\""});
        Prop(in + 2, "Object.Width", {r_.Range(500, 3000)});
        o_.H(in + 1, {"EndProperty"});
      }
      o_.H(in, {"EndProperty"});
      break;
    case 15:
      Prop(in, "Left", {r_.Range(1, 500) * 15});
      Prop(in, "Top", {r_.Range(1, 400) * 15});
      Prop(in, "_ExtentX", {847});
      Prop(in, "_ExtentY", {847});
      Prop(in, "_Version", {393216});
      Prop(in, "Filter", {"\"Text files (*.txt)|*.txt|All files (*.*)|*.*\""});
      break;
    case 16: {
      Position(in);
      Prop(in, "_ExtentX", {r_.Range(1000, 9000)});
      Prop(in, "_ExtentY", {r_.Range(1000, 9000)});
      Prop(in, "_Version", {393216});
      int tabs = r_.Range(2, 4);
      Prop(in, "Tabs", {tabs});
      for (int t = 0; t < tabs; ++t) {
        Prop(in, Cat{"TabCaption(", t, ")"}, {"\"", kWords[r_.Below(kWordCount)], "\""});
        Prop(in, Cat{"TabPicture(", t, ")"}, {Binary()});
        Prop(in, Cat{"Tab(", t, ").ControlCount"}, {0});
      }
      break;
    }
    case 17:
      Position(in);
      Prop(in, "_ExtentX", {r_.Range(1000, 9000)});
      Prop(in, "_ExtentY", {r_.Range(1000, 9000)});
      Prop(in, "Caption", {"\"", kWords[r_.Below(kWordCount)], "\""});
      break;
    case 3:
    case 4:
      Prop(in, "Caption", {"\"", kWords[r_.Below(kWordCount)], "\""});
      Position(in);
      Prop(in, "Value", {r_.Range(0, 1)});
      break;
    default:  // scroll bars and shapes: no caption
      Position(in);
      break;
  }
  o_.H(level, {"End"});
}

void FormWriter::Menu(int level, int depth) {
  std::string name = Cat{"mnu", kWords[r_.Below(kWordCount)], static_cast<int>(names_.size())};
  names_.push_back(name);
  o_.H(level, {"Begin VB.Menu ", name, " "});
  Prop(level + 1, "Caption", {"\"&", kWords[r_.Below(kWordCount)], depth == 0 ? "" : "...", "\""});
  if (depth == 0) {
    for (int c = r_.Range(2, 6); c > 0; --c) Menu(level + 1, depth + 1);
  } else if (r_.Chance(30)) {
    Prop(level + 1, "Shortcut", {"^", static_cast<char>('A' + r_.Below(26))});
  }
  o_.H(level, {"End"});
}

std::vector<std::string> FormWriter::Header() {
  bool control = it_.kind == Kind::UserControl;
  bool mdi = !control && it_.name.size() % 11 == 0;  // a few MDI forms among the forms
  o_.H(0, {"VERSION 5.00"});
  o_.H(0,
       {"Object = \"", p_.comctl.guid, "#", p_.comctl.version, "#0\"; \"", p_.comctl.file, "\""});
  o_.H(0,
       {"Object = \"", p_.comdlg.guid, "#", p_.comdlg.version, "#0\"; \"", p_.comdlg.file, "\""});
  o_.H(0,
       {"Object = \"", p_.tabctl.guid, "#", p_.tabctl.version, "#0\"; \"", p_.tabctl.file, "\""});
  o_.H(0, {"Begin VB.", control ? "UserControl" : mdi ? "MDIForm" : "Form", " ", it_.name, " "});
  if (!control) {
    Prop(1, "BorderStyle", {"1  'Fixed Single"});
    Prop(1, "Caption", {"\"", it_.name, " - \"\"", kWords[r_.Below(kWordCount)], "\"\"\""});
  }
  Prop(1, "ClientHeight", {r_.Range(200, 600) * 15});
  Prop(1, "ClientLeft", {45});
  Prop(1, "ClientTop", {330});
  Prop(1, "ClientWidth", {r_.Range(300, 800) * 15});
  if (!control) {
    Prop(1, "Icon", {Binary()});
    Prop(1, "LinkTopic", {"\"Form1\""});
    Prop(1, "MaxButton", {"0   'False"});
  } else {
    Prop(1, "ToolboxBitmap", {Binary()});
  }
  Prop(1, "ScaleHeight", {r_.Range(200, 600) * 15});
  Prop(1, "ScaleWidth", {r_.Range(300, 800) * 15});
  if (!control) Prop(1, "StartUpPosition", {"3  'Windows Default"});
  if (r_.Chance(50)) Font(1);
  int controls = r_.Range(4, 14);
  for (int c = 0; c < controls; ++c) Control(1, 1);
  if (!control) {
    for (int m = r_.Range(1, 4); m > 0; --m) Menu(1, 0);
  }
  o_.H(0, {"End"});
  o_.H(0, {"Attribute VB_Name = \"", it_.name, "\""});
  o_.H(0, {"Attribute VB_GlobalNameSpace = False"});
  o_.H(0, {"Attribute VB_Creatable = ", control ? "True" : "False"});
  o_.H(0, {"Attribute VB_PredeclaredId = ", control ? "False" : "True"});
  o_.H(0, {"Attribute VB_Exposed = ", control ? "True" : "False"});
  return names_;
}

void ClassHeader(Out& o, Rng& r, const Item& it) {
  o.C(0, {"VERSION 1.0 CLASS"});
  o.C(0, {"BEGIN"});
  o.C(0, {"  MultiUse = -1  'True"});
  o.C(0, {"  Persistable = 0  'NotPersistable"});
  o.C(0, {"  DataBindingBehavior = 0  'vbNone"});
  o.C(0, {"  DataSourceBehavior  = 0  'vbNone"});
  o.C(0, {"  MTSTransactionMode  = 0  'NotAnMTSObject"});
  o.C(0, {"END"});
  o.C(0, {"Attribute VB_Name = \"", it.name, "\""});
  o.C(0, {"Attribute VB_GlobalNameSpace = False"});
  o.C(0, {"Attribute VB_Creatable = True"});
  o.C(0, {"Attribute VB_PredeclaredId = False"});
  o.C(0, {"Attribute VB_Exposed = ", r.Chance(50) ? "True" : "False"});
  if (r.Chance(30)) {
    o.C(0, {"Attribute VB_Ext_KEY = \"SavedWithClassBuilder6\" ,\"Yes\""});
    o.C(0, {"Attribute VB_Ext_KEY = \"Top_Level\" ,\"Yes\""});
  }
}

// ---------------------------------------------------------------------------------------------
// The project.

Kind KindOf(int index) {
  // 35% modules, 30% classes, 30% forms, 5% user controls; the first file is the startup form.
  static const Kind kCycle[20] = {Kind::Form,   Kind::Module, Kind::Class,  Kind::Module,
                                  Kind::Form,   Kind::Class,  Kind::Module, Kind::Class,
                                  Kind::Form,   Kind::Module, Kind::Module, Kind::Class,
                                  Kind::Form,   Kind::Module, Kind::Class,  Kind::Form,
                                  Kind::Module, Kind::Class,  Kind::Form,   Kind::UserControl};
  return kCycle[index % 20];
}

Project Plan(const std::string& name, int files, uint64_t seed) {
  Project p;
  p.name = name;
  p.files = files;
  p.seed = seed;
  p.scale = 6;
  Rng r(seed);
  const char* const kRefs[] = {
      "OLE Automation",
      "Microsoft ActiveX Data Objects 2.8 Library",
      "Microsoft Scripting Runtime",
      "Microsoft XML, v6.0",
      "Microsoft Office Object Library",  // "Object" followed by a blank inside a value
      "Bench Shared Types Object Form Library"};
  const char* const kRefFiles[] = {
      "C:\\Windows\\System32\\stdole2.tlb",
      "C:\\Program Files\\Common Files\\System\\ado\\msado15.dll",
      "C:\\Windows\\System32\\scrrun.dll",
      "C:\\Windows\\System32\\msxml6.dll",
      "C:\\Program Files\\Common Files\\Microsoft Shared\\OFFICE11\\MSO.DLL",
      "..\\Shared\\BenchTypes.tlb"};
  for (int i = 0; i < 6; ++i) {
    std::string version = Cat{r.Range(1, 6), ".", r.Range(0, 9)};
    p.references.push_back({Guid(r), version, kRefFiles[i], kRefs[i]});
  }
  p.comctl = {Guid(r), "2.0", "MSCOMCTL.OCX", ""};
  p.comdlg = {Guid(r), "1.2", "COMDLG32.OCX", ""};
  p.tabctl = {Guid(r), "1.1", "TABCTL32.OCX", ""};
  for (int i = 0; i < files; ++i) {
    Item it;
    it.kind = KindOf(i);
    std::string words = Cat{kWords[r.Below(kWordCount)], kWords[r.Below(kWordCount)]};
    switch (it.kind) {
      case Kind::Module:
        it.name = Cat{"mod", words, i};
        it.file = Cat{it.name, ".bas"};
        break;
      case Kind::Class:
        it.name = Cat{"cls", words, i};
        it.file = Cat{it.name, ".cls"};
        break;
      case Kind::Form:
        it.name = Cat{"frm", words, i};
        it.file = Cat{it.name, ".frm"};
        break;
      case Kind::UserControl:
        it.name = Cat{"ctl", words, i};
        it.file = Cat{it.name, ".ctl"};
        break;
    }
    it.lfOnly = i % 7 == 6;
    if (it.kind == Kind::Class) p.classNames.push_back(it.name);
    if (it.kind == Kind::Module) p.moduleNames.push_back(it.name);
    if (it.kind == Kind::UserControl && p.userControl.empty()) p.userControl = it.name;
    p.items.push_back(it);
  }
  return p;
}

std::string ProjectFile(const Project& p) {
  Out o(false);
  o.C(0, {"Type=Exe"});
  for (const Library& l : p.references)
    o.C(0, {"Reference=*\\G", l.guid, "#", l.version, "#0#", l.file, "#", l.description});
  o.C(0, {"Reference=*\\A..\\Shared\\BenchShared.vbp"});  // a reference to another project
  for (const Library* l : {&p.comctl, &p.comdlg, &p.tabctl})
    o.C(0, {"Object=", l->guid, "#", l->version, "#0; ", l->file});
  for (const Item& it : p.items) {
    switch (it.kind) {
      case Kind::Module:
        o.C(0, {"Module=", it.name, "; ", it.file});
        break;
      case Kind::Class:
        o.C(0, {"Class=", it.name, "; ", it.file});
        break;
      case Kind::Form:
        o.C(0, {"Form=", it.file});
        break;
      case Kind::UserControl:
        o.C(0, {"UserControl=", it.file});
        break;
    }
  }
  o.C(0, {"IconForm=\"", p.items.empty() ? "" : p.items[0].name, "\""});
  o.C(0, {"Startup=\"", p.items.empty() ? "(None)" : p.items[0].name, "\""});
  o.C(0, {"HelpFile=\"\""});
  o.C(0, {"Title=\"", p.name, "\""});
  o.C(0, {"ExeName32=\"", p.name, ".exe\""});
  o.C(0, {"Command32=\"\""});
  o.C(0, {"Name=\"", p.name, "\""});
  o.C(0, {"HelpContextID=\"0\""});
  o.C(0, {"CompatibleMode=\"0\""});
  o.C(0, {"MajorVer=1"});
  o.C(0, {"MinorVer=0"});
  o.C(0, {"RevisionVer=", static_cast<int>(p.seed % 1000)});
  o.C(0, {"AutoIncrementVer=0"});
  o.C(0, {"ServerSupportFiles=0"});
  o.C(0, {"VersionCompanyName=\"Bench Estates\""});
  o.C(0, {"CompilationType=0"});
  o.C(0, {"OptimizationType=0"});
  o.C(0, {"FavorPentiumPro(tm)=0"});
  o.C(0, {"CodeViewDebugInfo=0"});
  o.C(0, {"NoAliasing=0"});
  o.C(0, {"BoundsCheck=0"});
  o.C(0, {"OverflowCheck=0"});
  o.C(0, {"FlPointCheck=0"});
  o.C(0, {"FDIVCheck=0"});
  o.C(0, {"UnroundedFP=0"});
  o.C(0, {"StartMode=0"});
  o.C(0, {"Unattended=0"});
  o.C(0, {"Retained=0"});
  o.C(0, {"ThreadPerObject=0"});
  o.C(0, {"MaxNumberOfThreads=1"});
  o.Blank();
  o.C(0, {"[MS Transaction Server]"});
  o.C(0, {"AutoRefresh=1"});
  return o.Text();
}

std::string SourceFile(const Project& p, int index) {
  const Item& it = p.items[static_cast<size_t>(index)];
  // Each file draws from its own stream, so one file's content does not shift the next one's.
  Rng r(p.seed ^ (0xD1B54A32D192ED03ull * static_cast<uint64_t>(index + 1)));
  // Bytes aimed at: the same spread for every project size; a few files are several times larger.
  size_t target = 16000;
  target = target * static_cast<size_t>(r.Range(50, 150)) / 100;
  if (index % 97 == 41) target *= 5;
  Out o(it.lfOnly);
  CodeWriter code(o, r, p, it);
  std::vector<std::string> controls;
  switch (it.kind) {
    case Kind::Module:
      o.C(0, {"Attribute VB_Name = \"", it.name, "\""});
      code.Declarations();
      break;
    case Kind::Class:
      ClassHeader(o, r, it);
      code.Declarations();
      code.ClassMembers();
      break;
    case Kind::Form:
    case Kind::UserControl: {
      FormWriter form(o, r, p, it);
      controls = form.Header();
      code.Declarations();
      if (it.kind == Kind::Form)
        code.FormHandlers(controls);
      else
        code.UserControlMembers();
      break;
    }
  }
  code.FillTo(target);
  return o.Text();
}

bool WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(text.data(), static_cast<std::streamsize>(text.size()));
  f.close();
  return static_cast<bool>(f);
}

int Usage() {
  std::cerr << "usage: gen_project_tool --files N --out DIR [--seed S] [--name NAME]\n";
  return 2;
}

int Run(int argc, char** argv) {
  int files = -1;
  std::string out;
  std::string name = "BenchProject";
  uint64_t seed = kDefaultSeed;
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i];
    if (i + 1 >= argc) return Usage();
    const char* v = argv[++i];
    char* end = nullptr;
    if (a == "--files") {
      long n = std::strtol(v, &end, 10);
      if (*end != '\0' || n < 1 || n > 1000000) return Usage();
      files = static_cast<int>(n);
    } else if (a == "--seed") {
      seed = std::strtoull(v, &end, 0);
      if (*end != '\0') return Usage();
    } else if (a == "--out") {
      out = v;
    } else if (a == "--name") {
      name = v;
    } else {
      return Usage();
    }
  }
  if (files < 1 || out.empty() || name.empty()) return Usage();

  std::error_code ec;
  std::filesystem::create_directories(out, ec);
  if (ec) {
    std::cerr << "gen_project_tool: cannot create " << out << ": " << ec.message() << "\n";
    return 1;
  }
  Project p = Plan(name, files, seed);
  std::filesystem::path dir(out);
  unsigned long long total = 0;
  std::string vbp = ProjectFile(p);
  if (!WriteFile(dir / (name + ".vbp"), vbp)) {
    std::cerr << "gen_project_tool: cannot write " << name << ".vbp\n";
    return 1;
  }
  total += vbp.size();
  for (int i = 0; i < files; ++i) {
    std::string text = SourceFile(p, i);
    if (!WriteFile(dir / p.items[static_cast<size_t>(i)].file, text)) {
      std::cerr << "gen_project_tool: cannot write " << p.items[static_cast<size_t>(i)].file
                << "\n";
      return 1;
    }
    total += text.size();
  }
  std::cout << (dir / (name + ".vbp")).string() << ": " << files << " source files, " << total
            << " bytes\n";
  return 0;
}

}  // namespace
}  // namespace qs::bench

int main(int argc, char** argv) {
  return qs::bench::Run(argc, argv);
}
