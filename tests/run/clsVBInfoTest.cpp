#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

#include <filesystem>
#include <string>
#include <vector>

#include "model/clsVBFileType.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "run/clsVBInfo.h"
#include "support/TestFolder.h"
#include "text/SystemPath.h"

namespace qs {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TestFolder;

constexpr const char* kStamp = "Monday, December 7, 2026 14:05:09";

// A driver with the clock and the program folder pinned.
struct PinnedInfo {
  clsVBInfo info;
  std::vector<std::string> events;
  PinnedInfo() {
    info.Settings().stamp = kStamp;
    info.Settings().programFolder = "/opt/quillscope";
    info.EvtBegin = [this] { events.push_back("begin"); };
    info.EvtEnd = [this] { events.push_back("end"); };
  }
};

std::string Crlf(const std::string& lf) {
  std::string out;
  for (char c : lf) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

const std::string kSmallProject = Crlf(
    "Type=Exe\n"
    "Form=Forms\\FRMMAIN.FRM\n"
    "Module=modA; modA.bas\n"
    "Class=clsThing; clsThing.cls\n"
    "Form=frmDots.\n"
    "Form=frm.Two.Dots.frm\n"
    "Form=frmGone.frm\n"
    "Startup=\"frmMain\"\n"
    "IconForm=\"frmMain\"\n"
    "Name=\"Small & <Fast>\"\n");

void WriteSmallProject(const TestFolder& dir) {
  dir.Write("p/Small.vbp", kSmallProject);
  dir.Write("p/forms/frmMain.frm",
            Crlf("VERSION 5.00\nBegin VB.Form frmMain \n   Caption         =   \"Main\"\nEnd\n"
                 "Attribute VB_Name = \"frmMain\"\nOption Explicit\n"));
  dir.Write("p/modA.bas", "Attribute VB_Name = \"modA\"\nOption Explicit\n");  // LF only
  dir.Write(
      "p/clsThing.cls",
      Crlf("VERSION 1.0 CLASS\nBEGIN\n  MultiUse = -1  'True\nEND\n"
           "Attribute VB_Name = \"clsThing\"\nAttribute VB_Exposed = False\nOption Explicit\n"));
  dir.Write("p/frmDots",
            Crlf("VERSION 5.00\nBegin VB.Form frmDots \nEnd\nAttribute VB_Name = \"frmDots\"\n"));
  dir.Write("p/frm.Two.Dots.frm",
            Crlf("VERSION 5.00\nBegin VB.Form frmTwo \nEnd\nAttribute VB_Name = \"frmTwo\"\n"));
}

std::shared_ptr<clsVBFileType> ItemNamed(const clsVBFileTypes& types, const std::string& name) {
  for (const auto& item : types)
    if (item && item->InternalName == name) return item;
  return nullptr;
}

TEST(clsVBInfo, OutputNamesFollowTheProjectBody) {
  TestFolder dir("vbinfo-names");
  dir.Write("Sales.old.vbp", Crlf("Name=\"Sales\"\n"));
  PinnedInfo p;
  p.info.GetFileInfo(dir / "Sales.old.vbp");
  ASSERT_TRUE(p.info.ReportWritten()) << p.info.FailureReason();
  EXPECT_EQ(p.info.HtmlFile(), "Sales.html");
  EXPECT_EQ(p.info.HtmlListing(), dir / "Sales_document/Sales.html");
  EXPECT_TRUE(fs::is_regular_file(dir / "Sales_document/Sales.html"));
  EXPECT_TRUE(p.info.FailureReason().empty());

  // --out-dir: the report folder goes under the given folder, which is created when missing.
  p.info.Settings().outDir = dir / "out/deeper";
  p.info.GetFileInfo(dir / "Sales.old.vbp");
  ASSERT_TRUE(p.info.ReportWritten()) << p.info.FailureReason();
  EXPECT_EQ(p.info.HtmlListing(), dir / "out/deeper/Sales_document/Sales.html");
  EXPECT_TRUE(fs::is_regular_file(p.info.HtmlListing()));
}

TEST(clsVBInfo, BareFileNameWorksInTheCurrentDirectory) {
  TestFolder dir("vbinfo-bare");
  dir.Write("Bare.vbp", Crlf("Name=\"Bare\"\n"));
  const auto saved = fs::current_path();
  fs::current_path(dir.Path());
  PinnedInfo p;
  p.info.GetFileInfo("Bare.vbp");
  const auto after = fs::current_path();
  fs::current_path(saved);
  ASSERT_TRUE(p.info.ReportWritten()) << p.info.FailureReason();
  EXPECT_EQ(p.info.HtmlListing(), std::string("Bare_document") + kPathSeparator + "Bare.html");
  EXPECT_TRUE(fs::is_regular_file(dir / "Bare_document/Bare.html"));
  EXPECT_TRUE(fs::equivalent(after, dir.Path()));  // the run does not move the current directory
}

TEST(clsVBInfo, EventsAreRaisedExactlyOnceInOrderAlsoOnFailure) {
  TestFolder dir("vbinfo-events");
  dir.Write("ok.vbp", Crlf("Name=\"ok\"\n"));
  fs::create_directories(dir.Path() / "folder.vbp");
  dir.Write("blocked.vbp", Crlf("Name=\"b\"\n"));
  dir.Write("blocked_document", "a file where the report folder should go");

  for (const std::string& path : {dir / "ok.vbp", dir / "missing.vbp", dir / "folder.vbp",
                                  dir / "blocked.vbp", std::string()}) {
    PinnedInfo p;
    p.info.GetFileInfo(path);
    EXPECT_EQ(p.events, (std::vector<std::string>{"begin", "end"})) << path;
  }

  // Handlers that throw neither escape nor suppress the other event.
  PinnedInfo p;
  int ends = 0;
  p.info.EvtBegin = [] { throw std::runtime_error("handler"); };
  p.info.EvtEnd = [&] {
    ++ends;
    throw 42;
  };
  EXPECT_NO_THROW(p.info.GetFileInfo(dir / "ok.vbp"));
  EXPECT_EQ(ends, 1);
  EXPECT_TRUE(p.info.ReportWritten());
}

TEST(clsVBInfo, FailuresAreNamedAndLeaveNoReportFolder) {
  TestFolder dir("vbinfo-fail");
  PinnedInfo p;
  p.info.GetFileInfo(dir / "missing.vbp");
  EXPECT_FALSE(p.info.ReportWritten());
  EXPECT_EQ(p.info.FailureReason(), "project file not found");
  EXPECT_FALSE(fs::exists(dir / "missing_document"));
  // The names are those of the report this run would have written.
  EXPECT_EQ(p.info.HtmlListing(), dir / "missing_document/missing.html");
  EXPECT_EQ(p.info.HtmlFile(), "missing.html");

  fs::create_directories(dir.Path() / "folder.vbp");
  p.info.GetFileInfo(dir / "folder.vbp");
  EXPECT_FALSE(p.info.ReportWritten());
  EXPECT_EQ(p.info.FailureReason(), "project file is a folder");
  EXPECT_FALSE(fs::exists(dir / "folder_document"));

  dir.Write("blocked.vbp", Crlf("Name=\"b\"\n"));
  dir.Write("blocked_document", "a file where the report folder should go");
  p.info.GetFileInfo(dir / "blocked.vbp");
  EXPECT_FALSE(p.info.ReportWritten());
  EXPECT_EQ(p.info.FailureReason(),
            "report folder cannot be created: " + (dir / "blocked_document") + ": File exists");

  // The report name is taken by a folder: the report cannot be written.
  dir.Write("taken.vbp", Crlf("Name=\"t\"\n"));
  fs::create_directories(dir.Path() / "taken_document/taken.html/x");
  p.info.GetFileInfo(dir / "taken.vbp");
  EXPECT_FALSE(p.info.ReportWritten());
  EXPECT_EQ(p.info.FailureReason().rfind("report cannot be written", 0), 0u)
      << p.info.FailureReason();

  // A good run afterwards clears the failure.
  p.info.GetFileInfo(dir / "blocked.vbp");
  EXPECT_FALSE(p.info.ReportWritten());
  fs::remove(dir / "blocked_document");
  p.info.GetFileInfo(dir / "blocked.vbp");
  EXPECT_TRUE(p.info.ReportWritten());
  EXPECT_TRUE(p.info.FailureReason().empty());
}

#ifndef _WIN32
// Limits the size of files this process may write, for the lifetime of the object.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    m_oldHandler = ::signal(SIGXFSZ, SIG_IGN);  // writes then fail with EFBIG instead
    ::getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit limited = m_old;
    limited.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &m_old);
    ::signal(SIGXFSZ, m_oldHandler);
  }

 private:
  rlimit m_old{};
  void (*m_oldHandler)(int) = nullptr;
};
#endif

TEST(clsVBInfo, AFailedWriteKeepsTheEarlierReport) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no limit on the size of the files a process writes (RLIMIT_FSIZE) "
                  "to make the report's write fail";
#else
  TestFolder dir("vbinfo-keep");
  WriteSmallProject(dir);
  PinnedInfo p;
  p.info.GetFileInfo(dir / "p/Small.vbp");
  ASSERT_TRUE(p.info.ReportWritten()) << p.info.FailureReason();
  const std::string good = ReadFile(p.info.HtmlListing());
  ASSERT_GT(good.size(), 600u);

  {
    FileSizeLimit limit(512);  // the report no longer fits
    p.info.Settings().stamp = "Tuesday, December 8, 2026 10:00:00";
    p.info.GetFileInfo(dir / "p/Small.vbp");
  }
  EXPECT_FALSE(p.info.ReportWritten());
  EXPECT_EQ(p.info.FailureReason().rfind("report cannot be written", 0), 0u)
      << p.info.FailureReason();
  EXPECT_EQ(ReadFile(p.info.HtmlListing()), good);
  // Only the report itself is in the folder: the temporary file was removed.
  std::vector<std::string> names;
  for (auto& e : fs::directory_iterator(dir.Path() / "p/Small_document"))
    names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"Small.html"});
#endif
}

TEST(clsVBInfo, NamesOutsideAsciiReachTheFileSystemAndTheReport) {
  // The project file names its module in code page 1252 ("\xC9t\xE9.bas"); the folders are
  // platform paths in UTF-8, the euro sign among them (0x80 in code page 1252).
  TestFolder dir("vbinfo-names");
  const std::string folder = "Caf\xC3\xA9 \xE2\x82\xAC/";
  dir.Write(folder + "P.vbp", Crlf("Module=modE; \xC9t\xE9.bas\nName=\"P\"\n"));
  dir.Write(folder + "\xC3\x89t\xC3\xA9.bas",
            Crlf("Attribute VB_Name = \"modE\"\nPublic Const X = 1\n"));
  PinnedInfo p;
  p.info.GetFileInfo(dir / (folder + "P.vbp"));
  ASSERT_TRUE(p.info.ReportWritten()) << p.info.FailureReason();
  EXPECT_TRUE(p.info.Warnings().empty()) << p.info.Warnings().front();
  const std::string report = ReadFile(p.info.HtmlListing());
  const std::string tail = std::string("P_document") + kPathSeparator + "P.html";
  ASSERT_GT(p.info.HtmlListing().size(), tail.size());
  EXPECT_EQ(p.info.HtmlListing().substr(p.info.HtmlListing().size() - tail.size()), tail);
  EXPECT_NE(report.find("caf\xE9 \x80"), std::string::npos);  // the project path, lower-cased
  EXPECT_NE(report.find("modE"), std::string::npos);
}

TEST(clsVBInfo, RunningTwiceReplacesTheReportCompletely) {
  TestFolder dir("vbinfo-twice");
  WriteSmallProject(dir);
  PinnedInfo p;
  p.info.GetFileInfo(dir / "p/Small.vbp");
  const std::string first = ReadFile(p.info.HtmlListing());
  dir.Write("p/Small_document/Small.html", std::string(200000, 'x'));
  p.info.GetFileInfo(dir / "p/Small.vbp");
  ASSERT_TRUE(p.info.ReportWritten());
  EXPECT_EQ(ReadFile(p.info.HtmlListing()), first);
}

TEST(clsVBInfo, FirstPassLoadsEverySourceItemAndNotesStartupIconAndName) {
  TestFolder dir("vbinfo-first");
  WriteSmallProject(dir);
  PinnedInfo p;
  p.info.GetFileInfo(dir / "p/Small.vbp");
  ASSERT_TRUE(p.info.ReportWritten()) << p.info.FailureReason();
  const auto& types = p.info.FileTypes();
  ASSERT_TRUE(types);
  EXPECT_EQ(types->StartupForm, "frmMain");
  EXPECT_EQ(types->IconForm, "frmMain");
  EXPECT_EQ(p.info.State().GetProjectName(), "Small & <Fast>");

  // Forms\FRMMAIN.FRM was found as forms/frmMain.frm and header-parsed as a form.
  auto main = ItemNamed(*types, "FRMMAIN");
  ASSERT_TRUE(main && main->VBHeader());
  EXPECT_EQ(main->VBHeader()->Attribute_VBName, "\"frmMain\"");
  EXPECT_TRUE(main->VBHeader()->TokenStream);
  EXPECT_GE(main->VBHeader()->Controls().size(), 2u);  // the form and its Caption line

  // Class-like loads: an LF-only module and a class with a BEGIN block; no control records.
  auto modA = ItemNamed(*types, "modA");
  ASSERT_TRUE(modA && modA->VBHeader());
  EXPECT_EQ(modA->VBHeader()->Attribute_VBName, "\"modA\"");
  EXPECT_TRUE(modA->VBHeader()->Controls().empty());
  auto cls = ItemNamed(*types, "clsThing");
  ASSERT_TRUE(cls && cls->VBHeader());
  EXPECT_EQ(cls->VBHeader()->Attribute_VBName, "\"clsThing\"");

  // "frmDots." opens frmDots; "frm.Two.Dots.frm" is opened by its value, not by Body "." Ext.
  auto dots = ItemNamed(*types, "frmDots");
  ASSERT_TRUE(dots && dots->VBHeader());
  EXPECT_EQ(dots->VBHeader()->Attribute_VBName, "\"frmDots\"");
  auto two = ItemNamed(*types, "frm");
  ASSERT_TRUE(two && two->VBHeader());
  EXPECT_EQ(two->VBHeader()->Attribute_VBName, "\"frmTwo\"");

  // A listed file that does not exist gets a header with empty fields and one warning.
  auto gone = ItemNamed(*types, "frmGone");
  ASSERT_TRUE(gone && gone->VBHeader());
  EXPECT_EQ(gone->VBHeader()->Attribute_VBName, "");
  EXPECT_EQ(gone->VBHeader()->CodePtr, 0);
  EXPECT_EQ(p.info.Warnings(), std::vector<std::string>{"frmGone.frm: source file not found"});
}

TEST(clsVBInfo, ProjectNameIsClearedForEveryRun) {
  TestFolder dir("vbinfo-name");
  dir.Write("Named.vbp", Crlf("Name=\"Alpha\"\n"));
  dir.Write("Nameless.vbp", Crlf("Type=Exe\n"));
  PinnedInfo p;
  p.info.GetFileInfo(dir / "Named.vbp");
  EXPECT_NE(ReadFile(p.info.HtmlListing()).find("<H1>Project Name &nbsp;&nbsp;Alpha</H1>"),
            std::string::npos);
  p.info.GetFileInfo(dir / "Nameless.vbp");
  const std::string report = ReadFile(p.info.HtmlListing());
  EXPECT_NE(report.find("<H1>Project Name &nbsp;&nbsp;</H1>\r\n"), std::string::npos);
  EXPECT_NE(report.find("<TITLE> Quillscope  [" + std::string(kStamp) + "]</TITLE>"),
            std::string::npos);
  EXPECT_EQ(report.find("Alpha"), std::string::npos);
}

TEST(clsVBInfo, ReportFrameValuesAreEscapedAndPathsConverted) {
  TestFolder dir("vbinfo-frame");
  // No source files: nothing stands between the summary and the page's end.
  dir.Write("p/Small.vbp", Crlf("Name=\"Small & <Fast>\"\n"));
  PinnedInfo p;
  p.info.Settings().reportedProjectFile = "/Home/Caf\xC3\xA9/Small.VBP";
  p.info.GetFileInfo(dir / "p/Small.vbp");
  ASSERT_TRUE(p.info.ReportWritten()) << p.info.FailureReason();
  const std::string r = ReadFile(p.info.HtmlListing());

  EXPECT_EQ(r.rfind("<!-- Generated " + std::string(kStamp) + " -->\r\n<HTML>\r\n<HEAD>\r\n", 0),
            0u);
  EXPECT_NE(r.find("<TITLE> Quillscope Small &amp; &lt;Fast&gt; [" + std::string(kStamp) +
                   "]</TITLE>\r\n"),
            std::string::npos);
  EXPECT_NE(r.find("<LINK HREF=\"file:///opt\\quillscope\\QuillscopeStyle.css\""),
            std::string::npos);
  EXPECT_NE(r.find("</HEAD>\r\nGenerated by Quillscope - 1.0.0&nbsp;&nbsp;" + std::string(kStamp) +
                   "<BR>\r\n"),
            std::string::npos);
  EXPECT_NE(r.find("<H1>Project Name &nbsp;&nbsp;Small &amp; &lt;Fast&gt;</H1>"),
            std::string::npos);
  // UTF-8 from the platform becomes code page 1252, lower-cased as that code page folds it.
  EXPECT_NE(r.find("<H3>Project File &nbsp;&nbsp;/home/caf\xE9/small.vbp</H3><BR>"),
            std::string::npos);

  // Exactly nineteen break lines, the home page line and the end of the page close the report.
  std::string tail;
  for (int i = 0; i < 19; ++i) tail += "<BR>\r\n";
  tail +=
      "<A HREF=\"http://quillscope.example.org\">Home of Quillscope</A> for information and latest "
      "releases.<BR>\r\n</HTML>\r\n";
  // The file table's closing lines come right before them.
  tail = "</table><BR>\r\n<BR>\r\n<BR>\r\n" + tail;
  ASSERT_GT(r.size(), tail.size());
  EXPECT_EQ(r.substr(r.size() - tail.size()), tail);
  EXPECT_EQ(r.find("<BODY"), std::string::npos);
}

}  // namespace
}  // namespace qs
