// Whole runs on the inputs users' disks really hold: empty and binary files, NUL bytes, huge
// lines, unclosed blocks, deep nesting, very many declarations, projects that list missing
// files, folders or themselves, paths leaving the project folder, letter-case mismatches, and
// report locations that cannot be written. Every run must end normally with the right outcome,
// and a good report from an earlier run must never be replaced by a broken one.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "model/ClsEntry.h"
#include "model/ClsEntryPtr.h"
#include "model/ClsSymEntry.h"
#include "model/RunState.h"
#include "model/clsSymTable.h"
#include "model/clsVBFileTypes.h"
#include "run/clsVBInfo.h"
#include "support/TestFolder.h"

namespace qs {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using test::ReadFile;
using test::TestFolder;

std::string Crlf(const std::string& lf) {
  std::string out;
  for (char c : lf) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// Deterministic bytes of every value, NUL and line ends included.
std::string BinaryBytes(size_t n, uint32_t seed) {
  std::string out(n, '\0');
  for (size_t i = 0; i < n; ++i) {
    seed = seed * 1664525u + 1013904223u;
    out[i] = static_cast<char>(seed >> 24);
  }
  return out;
}

struct DriverRun {
  clsVBInfo info;
  int begins = 0;
  int ends = 0;
  DriverRun() {
    info.Settings().stamp = "Monday, December 7, 2026 14:05:09";
    info.Settings().programFolder = "/opt/quillscope";
    info.EvtBegin = [this] { ++begins; };
    info.EvtEnd = [this] { ++ends; };
  }
  void Document(const std::string& vbp) {
    begins = ends = 0;
    info.GetFileInfo(vbp);
  }
};

// The names in one list of a module's symbol entry ("" entries kept), in list order.
std::vector<std::string> Names(const RunState& run, const std::string& module,
                               ClsEntry ClsSymEntry::*list) {
  std::vector<std::string> out;
  if (!run.g_oSymTable) return out;
  const auto entry = run.g_oSymTable->Item(std::string_view(module));
  if (!entry) return out;
  const ClsEntry& l = (*entry).*list;
  for (long i = 1; i <= l.Count(); ++i)
    if (auto e = l.Item(i)) out.push_back(e->EntryName);
  return out;
}

bool Contains(const std::vector<std::string>& v, const std::string& s) {
  for (const auto& x : v)
    if (x == s) return true;
  return false;
}

// Every run of this suite must end normally: both events once, and a report or a reason.
void ExpectEndedNormally(const DriverRun& r) {
  EXPECT_EQ(r.begins, 1);
  EXPECT_EQ(r.ends, 1);
  if (!r.info.ReportWritten()) {
    EXPECT_FALSE(r.info.FailureReason().empty());
  }
}

// A module file with a VB_Name and the given code.
std::string Module(const std::string& name, const std::string& code) {
  return Crlf("Attribute VB_Name = \"" + name + "\"\n") + code;
}

// A project listing one module, written with the module file; returns the project path.
std::string OneModuleProject(const TestFolder& dir, const std::string& name,
                             const std::string& code) {
  dir.Write(name + ".bas", Module(name, code));
  return dir.Write("P.vbp", Crlf("Module=" + name + "; " + name + ".bas\nName=\"P\"\n"));
}

TEST(BadInput, EmptyFilesGiveAReport) {
  TestFolder dir("bad-empty");
  // A zero-length project file is a project with nothing in it.
  DriverRun r;
  r.Document(dir.Write("Empty.vbp", ""));
  ExpectEndedNormally(r);
  ASSERT_TRUE(r.info.ReportWritten()) << r.info.FailureReason();
  EXPECT_NE(ReadFile(r.info.HtmlListing()).find("</HTML>"), std::string::npos);
  EXPECT_EQ(r.info.FileTypes()->Count(), 0);

  // Zero-length sources of every kind: each is documented as an empty module under its name.
  dir.Write("f.frm", "");
  dir.Write("m.bas", "");
  dir.Write("c.cls", "");
  dir.Write("u.ctl", "");
  r.Document(dir.Write("P.vbp", Crlf("Form=f.frm\nModule=modM; m.bas\nClass=clsC; c.cls\n"
                                     "UserControl=u.ctl\n")));
  ExpectEndedNormally(r);
  ASSERT_TRUE(r.info.ReportWritten()) << r.info.FailureReason();
  EXPECT_TRUE(r.info.Warnings().empty());
  EXPECT_EQ(r.info.FileTypes()->Count(), 4);
}

TEST(BadInput, BinaryFilesAsProjectFormClassAndModule) {
  TestFolder dir("bad-binary");
  DriverRun r;
  // A binary project file is still a readable project: the report shows what little it holds.
  r.Document(dir.Write("Bin.vbp", BinaryBytes(64 * 1024, 1)));
  ExpectEndedNormally(r);
  EXPECT_TRUE(r.info.ReportWritten()) << r.info.FailureReason();

  // Binary sources: the run documents the project and the good module beside them.
  dir.Write("f.frm", BinaryBytes(64 * 1024, 2));
  dir.Write("c.cls", BinaryBytes(64 * 1024, 3));
  dir.Write("m.bas", BinaryBytes(64 * 1024, 4));
  dir.Write("good.bas", Module("modGood", Crlf("Public Sub StillFound()\nEnd Sub\n")));
  r.Document(dir.Write("P.vbp", Crlf("Form=f.frm\nClass=clsBin; c.cls\nModule=modBin; m.bas\n"
                                     "Module=modGood; good.bas\n")));
  ExpectEndedNormally(r);
  ASSERT_TRUE(r.info.ReportWritten()) << r.info.FailureReason();
  EXPECT_EQ(Names(r.info.State(), "modGood", &ClsSymEntry::ESub),
            std::vector<std::string>{"StillFound"});
}

TEST(BadInput, NulBytesAreOrdinaryCharacters) {
  TestFolder dir("bad-nul");
  DriverRun r;
  const std::string code = Crlf("Public Const A = \"x\0y\"\n' a comment \0 with NUL\n"s +
                                "Public Sub Before" + std::string(1, '\0') +
                                "Gap()\nEnd Sub\n"
                                "Public Function AfterNul() As Long\nEnd Function\n");
  r.Document(OneModuleProject(dir, "modNul", code));
  ExpectEndedNormally(r);
  ASSERT_TRUE(r.info.ReportWritten()) << r.info.FailureReason();
  EXPECT_TRUE(Contains(Names(r.info.State(), "modNul", &ClsSymEntry::EFunction), "AfterNul"));
  EXPECT_TRUE(Contains(Names(r.info.State(), "modNul", &ClsSymEntry::EConst), "A"));
  // A project file with NUL bytes between its lines still names its items.
  dir.Write("Q.vbp", "Name=\"Q\"\r\n\0\0\0\r\nModule=modNul; modNul.bas\r\n"s);
  r.Document(dir / "Q.vbp");
  ExpectEndedNormally(r);
  ASSERT_TRUE(r.info.ReportWritten()) << r.info.FailureReason();
  EXPECT_EQ(r.info.FileTypes()->Count(), 2);
}

TEST(BadInput, ASingleLineOf20Megabytes) {
  TestFolder dir("bad-longline");
  DriverRun r;
  constexpr size_t kBig = 20u * 1024 * 1024;
  std::string code = "Public Const Huge = \"";
  code.append(kBig, 'a');
  code += "\"\r\nPublic Sub AfterHuge()\r\nEnd Sub\r\n";
  r.Document(OneModuleProject(dir, "modBig", code));
  ExpectEndedNormally(r);
  ASSERT_TRUE(r.info.ReportWritten()) << r.info.FailureReason();
  EXPECT_TRUE(Contains(Names(r.info.State(), "modBig", &ClsSymEntry::EConst), "Huge"));
  EXPECT_EQ(Names(r.info.State(), "modBig", &ClsSymEntry::ESub),
            std::vector<std::string>{"AfterHuge"});

  // A 20 MB file without a single line end, one word long, as project file and as module.
  std::string word(kBig, 'w');
  dir.Write("w.bas", word);
  r.Document(dir.Write("W.vbp", "Module=modW; w.bas\r\n" + word));
  ExpectEndedNormally(r);
  ASSERT_TRUE(r.info.ReportWritten()) << r.info.FailureReason();
  EXPECT_NE(r.info.State().g_oSymTable->Item(std::string_view("modW")), nullptr);
}

TEST(BadInput, UnterminatedStringsAndBrackets) {
  TestFolder dir("bad-unterminated-tokens");
  DriverRun r;
  // A string runs on to the next quote or to the end of the text: the Sub after an unclosed
  // string at the end of a file is inside it, the constant itself is recorded.
  dir.Write("s.bas",
            Module("modStr", Crlf("Public Const S = \"never closed\nPublic Sub Swallowed()\n"
                                  "End Sub\n")));
  // In a module a "[" not closed on its line is no name; the next line is read as usual.
  dir.Write("b.bas", Module("modBr", Crlf("Public [Odd name As Long\nPublic Sub AfterBracket()\n"
                                          "End Sub\n")));
  // In a form a bracketed name, like a string, runs on to its "]" or the end of the text.
  dir.Write("f.frm",
            Crlf("VERSION 5.00\nBegin VB.Form frmBr\nEnd\nAttribute VB_Name = \"frmBr\"\n"
                 "Public Const Before = 1\nPublic [Odd As Long\nPublic Sub InBracket()\n"));
  r.Document(dir.Write("P.vbp", Crlf("Module=modStr; s.bas\nModule=modBr; b.bas\nForm=f.frm\n")));
  ExpectEndedNormally(r);
  ASSERT_TRUE(r.info.ReportWritten()) << r.info.FailureReason();
  EXPECT_EQ(Names(r.info.State(), "modStr", &ClsSymEntry::EConst), std::vector<std::string>{"S"});
  EXPECT_TRUE(Names(r.info.State(), "modStr", &ClsSymEntry::ESub).empty());
  EXPECT_EQ(Names(r.info.State(), "modBr", &ClsSymEntry::ESub),
            std::vector<std::string>{"AfterBracket"});
  EXPECT_EQ(Names(r.info.State(), "frmBr", &ClsSymEntry::EConst),
            std::vector<std::string>{"Before"});
  EXPECT_TRUE(Names(r.info.State(), "frmBr", &ClsSymEntry::ESub).empty());
}

TEST(BadInput, UnclosedBlocksEndAtTheEndOfTheFile) {
  TestFolder dir("bad-unclosed-blocks");
  DriverRun r;
  // Each block is the last thing in its own module, so nothing closes it.
  dir.Write("t.bas", Module("modT", Crlf("Public Type TOpen\n  a As Long\n  b As String\n")));
  dir.Write("e.bas", Module("modE", Crlf("Public Enum EOpen\n  One = 1\n  Two\n")));
  dir.Write("s.bas", Module("modS", Crlf("Public Sub SOpen(ByVal x As Long)\n  Dim y As Long\n")));
  dir.Write("p.bas", Module("modP", Crlf("Public Sub POpen(ByVal x As Long")));
  dir.Write("c.cls", Module("clsP", Crlf("Public Property Get Value() As Long\n  Const k = 1\n")));
  r.Document(dir.Write("P.vbp", Crlf("Module=modT; t.bas\nModule=modE; e.bas\nModule=modS; s.bas\n"
                                     "Module=modP; p.bas\nClass=clsP; c.cls\n")));
  ExpectEndedNormally(r);
  ASSERT_TRUE(r.info.ReportWritten()) << r.info.FailureReason();
  EXPECT_EQ(Names(r.info.State(), "modT", &ClsSymEntry::EType), std::vector<std::string>{"TOpen"});
  EXPECT_EQ(Names(r.info.State(), "modE", &ClsSymEntry::EEnum), std::vector<std::string>{"EOpen"});
  EXPECT_EQ(Names(r.info.State(), "modS", &ClsSymEntry::ESub), std::vector<std::string>{"SOpen"});
  EXPECT_EQ(Names(r.info.State(), "modP", &ClsSymEntry::ESub), std::vector<std::string>{"POpen"});
  EXPECT_EQ(Names(r.info.State(), "clsP", &ClsSymEntry::EProperty),
            std::vector<std::string>{"Value"});
}

TEST(BadInput, ParenthesesNested10000Deep) {
  TestFolder dir("bad-nesting");
  DriverRun r;
  const std::string open(10000, '(');
  const std::string close(10000, ')');
  r.Document(OneModuleProject(dir, "modDeep",
                              "Public Const Deep = " + open + "1" + close + "\r\n" + "Public Arr" +
                                  open + "2" + close + " As Long\r\n" +
                                  "Public Sub Nest(ByVal a As Long = " + open + "3" + close +
                                  ")\r\n  x = " + open + open + "\r\nEnd Sub\r\n" +
                                  "Public Function AfterDeep() As Long\r\nEnd Function\r\n"));
  ExpectEndedNormally(r);
  ASSERT_TRUE(r.info.ReportWritten()) << r.info.FailureReason();
  EXPECT_TRUE(Contains(Names(r.info.State(), "modDeep", &ClsSymEntry::EConst), "Deep"));
  EXPECT_TRUE(Contains(Names(r.info.State(), "modDeep", &ClsSymEntry::ESub), "Nest"));
  EXPECT_TRUE(Contains(Names(r.info.State(), "modDeep", &ClsSymEntry::EFunction), "AfterDeep"));
}

TEST(BadInput, HundredThousandDeclarationsInOneModule) {
  TestFolder dir("bad-many");
  DriverRun r;
  std::string code;
  constexpr int kCount = 100000;
  code.reserve(kCount * 28);
  for (int i = 0; i < kCount; ++i)
    code += "Public Const C" + std::to_string(i) + " = " + std::to_string(i) + "\r\n";
  r.Document(OneModuleProject(dir, "modMany", code));
  ExpectEndedNormally(r);
  ASSERT_TRUE(r.info.ReportWritten()) << r.info.FailureReason();
  const auto names = Names(r.info.State(), "modMany", &ClsSymEntry::EConst);
  ASSERT_EQ(names.size(), static_cast<size_t>(kCount));
  EXPECT_EQ(names.front(), "C0");
  EXPECT_EQ(names.back(), "C99999");
  EXPECT_NE(ReadFile(r.info.HtmlListing()).find(">C99999<"), std::string::npos);
}

TEST(BadInput, ProjectListingMissingFilesFoldersAndItself) {
  TestFolder dir("bad-listing");
  DriverRun r;
  fs::create_directories(dir.Path() / "AFolder.frm");
  dir.Write("ok.bas", Module("modOk", Crlf("Public Sub Ok()\nEnd Sub\n")));
  r.Document(dir.Write("P.vbp", Crlf("Form=Gone.frm\nForm=AFolder.frm\nModule=modSelf; P.vbp\n"
                                     "Class=clsGone; sub\\gone.cls\nModule=modOk; ok.bas\n"
                                     "Name=\"Listing\"\n")));
  ExpectEndedNormally(r);
  ASSERT_TRUE(r.info.ReportWritten()) << r.info.FailureReason();
  const auto& w = r.info.Warnings();
  ASSERT_EQ(w.size(), 3u);
  EXPECT_EQ(w[0], "Gone.frm: source file not found");
  EXPECT_EQ(w[1], "AFolder.frm: source file is a folder");
  EXPECT_EQ(w[2], "sub\\gone.cls: source file not found");
  // The project file read as a module is just another module.
  EXPECT_NE(r.info.State().g_oSymTable->Item(std::string_view("modSelf")), nullptr);
  EXPECT_EQ(Names(r.info.State(), "modOk", &ClsSymEntry::ESub), std::vector<std::string>{"Ok"});
}

TEST(BadInput, ParentPathsLeavingTheProjectFolderAreFollowed) {
  TestFolder dir("bad-parent");
  DriverRun r;
  dir.Write("Shared/modShared.bas", Module("modShared", Crlf("Public Sub SharedSub()\nEnd Sub\n")));
  dir.Write("Other/Forms/frmOther.frm",
            Crlf("VERSION 5.00\nBegin VB.Form frmOther\nEnd\nAttribute VB_Name = \"frmOther\"\n"
                 "Private Sub Form_Load()\nEnd Sub\n"));
  r.Document(dir.Write("proj/deep/P.vbp",
                       Crlf("Module=modShared; ..\\..\\Shared\\modShared.bas\n"
                            "Form=..\\..\\Other\\Forms\\frmOther.frm\n"
                            "Module=modFar; ..\\..\\..\\..\\..\\..\\..\\..\\..\\nowhere.bas\n")));
  ExpectEndedNormally(r);
  ASSERT_TRUE(r.info.ReportWritten()) << r.info.FailureReason();
  EXPECT_EQ(Names(r.info.State(), "modShared", &ClsSymEntry::ESub),
            std::vector<std::string>{"SharedSub"});
  EXPECT_EQ(Names(r.info.State(), "frmOther", &ClsSymEntry::ESub),
            std::vector<std::string>{"Form_Load"});
  ASSERT_EQ(r.info.Warnings().size(), 1u);
  EXPECT_NE(r.info.Warnings()[0].find("source file not found"), std::string::npos);
}

TEST(BadInput, LetterCaseMismatchesAreResolved) {
  TestFolder dir("bad-case");
  DriverRun r;
  dir.Write("Forms/frmMain.frm",
            Crlf("VERSION 5.00\nBegin VB.Form frmMain\nEnd\nAttribute VB_Name = \"frmMain\"\n"
                 "Public Sub Shown()\nEnd Sub\n"));
  dir.Write("modules/ModA.Bas", Module("modA", Crlf("Public Sub InA()\nEnd Sub\n")));
  r.Document(dir.Write("P.vbp", Crlf("Form=FORMS\\FRMMAIN.FRM\nModule=modA; Modules\\moda.bas\n")));
  ExpectEndedNormally(r);
  ASSERT_TRUE(r.info.ReportWritten()) << r.info.FailureReason();
  EXPECT_TRUE(r.info.Warnings().empty());
  EXPECT_EQ(Names(r.info.State(), "frmMain", &ClsSymEntry::ESub),
            std::vector<std::string>{"Shown"});
  EXPECT_EQ(Names(r.info.State(), "modA", &ClsSymEntry::ESub), std::vector<std::string>{"InA"});
}

TEST(BadInput, ReportLocationsThatCannotBeWritten) {
  TestFolder dir("bad-report-location");
  DriverRun r;
  // The report folder's name is taken by a file: a named failure, the file untouched.
  dir.Write("A_document", "not a folder");
  r.Document(dir.Write("A.vbp", Crlf("Name=\"A\"\n")));
  ExpectEndedNormally(r);
  EXPECT_FALSE(r.info.ReportWritten());
  EXPECT_EQ(r.info.FailureReason(),
            "report folder cannot be created: " + (dir / "A_document") + ": File exists");
  EXPECT_EQ(ReadFile(dir / "A_document"), "not a folder");

  // The report path is a folder: a named failure, the folder and what it holds untouched.
  dir.Write("B_document/B.html/keep.txt", "kept");
  r.Document(dir.Write("B.vbp", Crlf("Name=\"B\"\n")));
  ExpectEndedNormally(r);
  EXPECT_FALSE(r.info.ReportWritten());
  EXPECT_FALSE(r.info.FailureReason().empty());
  EXPECT_EQ(ReadFile(dir / "B_document/B.html/keep.txt"), "kept");
  for (const auto& e : fs::directory_iterator(dir / "B_document"))
    EXPECT_EQ(e.path().filename(), "B.html");  // no temporary file left behind
}

TEST(BadInput, UnwritableReportFolder) {
  if (const std::string why = test::PermissionTestBlocker(); !why.empty()) {
    GTEST_SKIP() << why
                 << ": a folder without write permission, the unwritable case, cannot be "
                    "produced here";
  }
  TestFolder dir("bad-unwritable");
  DriverRun r;
  const std::string vbp = dir.Write("U.vbp", Crlf("Name=\"U\"\n"));
  r.Document(vbp);
  ASSERT_TRUE(r.info.ReportWritten()) << r.info.FailureReason();
  const std::string good = ReadFile(r.info.HtmlListing());
  ::chmod((dir / "U_document").c_str(), 0555);
  dir.Write("U.vbp", Crlf("Name=\"Changed\"\n"));
  r.Document(vbp);
  ::chmod((dir / "U_document").c_str(), 0755);
  ExpectEndedNormally(r);
  EXPECT_FALSE(r.info.ReportWritten());
  EXPECT_FALSE(r.info.FailureReason().empty());
  EXPECT_EQ(ReadFile(dir / "U_document/U.html"), good);
}

TEST(BadInput, AGoodReportIsNeverReplacedByABrokenOne) {
  TestFolder dir("bad-keep-good");
  DriverRun r;
  const std::string vbp = OneModuleProject(dir, "modGood", Crlf("Public Sub Good()\nEnd Sub\n"));
  r.Document(vbp);
  ASSERT_TRUE(r.info.ReportWritten()) << r.info.FailureReason();
  const std::string report = r.info.HtmlListing();
  const std::string good = ReadFile(report);
  ASSERT_NE(good.find("</HTML>"), std::string::npos);

  // The project file gone, then a folder in its place: each run fails with its reason and the
  // earlier report stays as it was.
  fs::remove(vbp);
  r.Document(vbp);
  ExpectEndedNormally(r);
  EXPECT_EQ(r.info.FailureReason(), "project file not found");
  EXPECT_EQ(ReadFile(report), good);
  fs::create_directories(vbp);
  r.Document(vbp);
  ExpectEndedNormally(r);
  EXPECT_EQ(r.info.FailureReason(), "project file is a folder");
  EXPECT_EQ(ReadFile(report), good);
  fs::remove(vbp);

  // A project turned to binary garbage is still a project: its (poor) report replaces the old
  // one whole, never a truncated mix.
  dir.Write("P.vbp", BinaryBytes(4096, 9));
  r.Document(vbp);
  ExpectEndedNormally(r);
  ASSERT_TRUE(r.info.ReportWritten()) << r.info.FailureReason();
  const std::string after = ReadFile(report);
  EXPECT_EQ(after.substr(after.size() - 9), "</HTML>\r\n");
}

}  // namespace
}  // namespace qs
