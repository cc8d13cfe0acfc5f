#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/DocumentCommand.h"
#include "text/Cp1252.h"

namespace qs::cli {
namespace {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string out, err;
};

Result RunCli(std::vector<std::string> args) {
  args.insert(args.begin(), "quillscope-cli");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::ostringstream out, err;
  Result r;
  r.status = Run(static_cast<int>(args.size()), argv.data(), out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The report's text with its stamp replaced by "STAMP".
std::string WithoutStamp(std::string text) {
  // The stamp stands in the first line, "<!-- Generated STAMP -->", and in the title.
  const std::string head = "<!-- Generated ";
  const size_t end = text.find(" -->");
  if (text.rfind(head, 0) != 0 || end == std::string::npos) return text;
  const std::string stamp = text.substr(head.size(), end - head.size());
  for (size_t at = text.find(stamp); at != std::string::npos; at = text.find(stamp, at))
    text.replace(at, stamp.size(), "STAMP");
  return text;
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_dir = fs::path(QS_BINARY_DIR) / "test-tmp" / (std::string("cli-") + info->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
  }
  void TearDown() override { fs::remove_all(m_dir); }
  std::string Path(const std::string& rel) const { return (m_dir / rel).string(); }
  std::string Write(const std::string& rel, const std::string& bytes) const {
    fs::create_directories((m_dir / rel).parent_path());
    std::ofstream((m_dir / rel), std::ios::binary) << bytes;
    return Path(rel);
  }
  fs::path m_dir;
};

TEST_F(CliTest, HelpAndVersion) {
  Result r = RunCli({"--help"});
  EXPECT_EQ(r.status, 0);
  const std::string synopsis =
      "quillscope-cli [--out-dir DIR] [--json [--pretty]] [--site] [--codepage N] "
      "[--dump-analysis] [--jobs N] [--exclude GLOB] [--define NAME=VALUE] [--quiet] PATH...\n";
  EXPECT_EQ(r.out.rfind("Usage: " + synopsis, 0), 0u) << r.out;
  // docs/CLI.md shows the same synopsis: CliDocs.TheSynopsisIsTheHelps.
  EXPECT_NE(r.out.find("--version"), std::string::npos);
  EXPECT_TRUE(r.err.empty());
  EXPECT_EQ(RunCli({"-h"}).out, r.out);

  r = RunCli({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "quillscope-cli 1.0.0\n");
  EXPECT_EQ(RunCli({"-V"}).out, r.out);
}

TEST_F(CliTest, UsageErrorsExitWithTwo) {
  for (const auto& args : std::vector<std::vector<std::string>>{{},
                                                                {"--out-dir"},
                                                                {"--out-dir="},
                                                                {"--bogus", "a.vbp"},
                                                                {"--json"},
                                                                {"--jobs"},
                                                                {"--jobs", "a.vbp"},
                                                                {"--jobs=0", "a.vbp"},
                                                                {"--jobs=65", "a.vbp"},
                                                                {"--jobs=-1", "a.vbp"},
                                                                {"--jobs=", "a.vbp"},
                                                                {"--codepage=", "a.vbp"},
                                                                {"--codepage", "99999", "a.vbp"},
                                                                {"--exclude"},
                                                                {"--exclude=", "a"}}) {
    Result r = RunCli(args);
    EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args[0]);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(r.err.rfind("quillscope-cli: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("--help"), std::string::npos);
  }
  EXPECT_NE(RunCli({"--bogus", "a.vbp"}).err.find("unknown option '--bogus'"), std::string::npos);
}

TEST_F(CliTest, DocumentsTheSampleAndPrintsTheReportPath) {
  const std::string sample = std::string(QS_SOURCE_DIR) + "/examples/Inventory/Inventory.vbp";
  Result r = RunCli({"--out-dir", Path("reports"), sample});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.err.empty()) << r.err;
  EXPECT_EQ(Lines(r.out),
            std::vector<std::string>{Path("reports/Inventory_document/Inventory.html")});
  const std::string report = ReadFile(Path("reports/Inventory_document/Inventory.html"));
  EXPECT_NE(report.find("<H1>Project Name &nbsp;&nbsp;Inventory</H1>"), std::string::npos);
  // The driver is given the full path, so the report names the project file by it.
  const std::string shown = Lower1252(Utf8To1252(fs::path(sample).lexically_normal().string()));
  EXPECT_NE(report.find("<H3>Project File &nbsp;&nbsp;" + shown + "</H3>"), std::string::npos);
  EXPECT_FALSE(fs::exists(std::string(QS_SOURCE_DIR) + "/examples/Inventory/Inventory_document"));

  // --json is accepted (its export comes later) and changes nothing else.
  r = RunCli({"--json", "--out-dir=" + Path("reports2"), sample});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out),
            std::vector<std::string>{Path("reports2/Inventory_document/Inventory.html")});

  // Any number of reading threads gives the same report (the stamp aside).
  for (const std::vector<std::string>& jobs :
       {std::vector<std::string>{"--jobs", "1"}, std::vector<std::string>{"--jobs=3"}}) {
    std::vector<std::string> args = jobs;
    args.insert(args.end(), {"--out-dir", Path("reports3"), sample});
    r = RunCli(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(WithoutStamp(ReadFile(Path("reports3/Inventory_document/Inventory.html"))),
              WithoutStamp(report))
        << jobs[0];
  }
}

TEST_F(CliTest, SitePrintsItsIndexAfterEachReport) {
  const std::string a = Write("a/A.vbp", "Type=Exe\r\nModule=modA; modA.bas\r\n");
  Write("a/modA.bas", "Attribute VB_Name = \"modA\"\r\nPublic Sub Go()\r\nEnd Sub\r\n");
  const std::string b = Write("b/B.vbp", "Type=Exe\r\n");
  Result r = RunCli({"--site", "--out-dir", Path("out"), a, b});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> expected = {
      Path("out/A_document/A.html"), Path("out/A_site/index.html"), Path("out/B_document/B.html"),
      Path("out/B_site/index.html")};
  EXPECT_EQ(Lines(r.out), expected);
  for (const std::string& index : {expected[1], expected[3]}) EXPECT_TRUE(fs::exists(index));
  // The pictures' note is a warning of its own, never a failure.
  for (const std::string& line : Lines(r.err)) EXPECT_NE(line.find("warning: "), std::string::npos);
}

TEST_F(CliTest, AFailedProjectGivesOneLineAndExitOneWhileOthersGoOn) {
  const std::string good = Write("Good.vbp", "Name=\"Good\"\r\n");
  fs::create_directories(m_dir / "Folder.vbp");
  Result r = RunCli({Path("Missing.vbp"), good, Path("Folder.vbp")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(Lines(r.out), std::vector<std::string>{Path("Good_document/Good.html")});
  EXPECT_EQ(Lines(r.err),
            (std::vector<std::string>{
                "quillscope-cli: " + Path("Missing.vbp") + ": project file not found",
                "quillscope-cli: " + Path("Folder.vbp") + ": project file is a folder"}));
  EXPECT_FALSE(fs::exists(m_dir / "Missing_document"));

  Write("Blocked.vbp", "Name=\"B\"\r\n");
  Write("Blocked_document", "not a folder");
  r = RunCli({Path("Blocked.vbp")});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.out.empty());
  EXPECT_EQ(r.err, "quillscope-cli: " + Path("Blocked.vbp") +
                       ": report folder cannot be created: " + Path("Blocked_document") +
                       ": File exists\n");

  // An output folder whose name a file has taken: the error names that path and why.
  r = RunCli({"--out-dir", Path("Blocked_document"), Path("Blocked.vbp")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "quillscope-cli: " + Path("Blocked.vbp") +
                       ": report folder cannot be created: " + Path("Blocked_document") +
                       ": Not a directory\n");
}

TEST_F(CliTest, WarningsForExtensionMissingSourcesAndSharedReports) {
  const std::string upper = Write("Server.VBP", "Name=\"S\"\r\n");
  const std::string text = Write("proj.vbp.txt", "Name=\"T\"\r\nForm=Forms\\frmNone.frm\r\n");
  Result r = RunCli({upper, text});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out).size(), 2u);
  EXPECT_EQ(
      Lines(r.err),
      (std::vector<std::string>{
          "quillscope-cli: warning: " + text +
              ": the file name does not end in .vbp; reading it as a project file",
          "quillscope-cli: warning: " + text + ": Forms\\frmNone.frm: source file not found"}));

  // Files the project parser finds nothing in are documented with a warning that says so.
  const std::string readMe = Write("ReadMe.txt", "Read me first.\r\n");
  const std::string empty = Write("Empty.vbp", "");
  r = RunCli({readMe, empty});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{Path("ReadMe_document/ReadMe.html"),
                                                    Path("Empty_document/Empty.html")}));
  EXPECT_EQ(Lines(r.err),
            (std::vector<std::string>{
                "quillscope-cli: warning: " + readMe +
                    ": the file name does not end in .vbp; reading it as a project file",
                "quillscope-cli: warning: " + readMe + ": holds no project lines",
                "quillscope-cli: warning: " + empty + ": holds no project lines"}));

  // Two projects whose reports would fall on one path: the second is written under its whole
  // file name with a number (its whole name is taken too), and the warning says where.
  const std::string a = Write("a/Same.vbp", "Name=\"A\"\r\n");
  const std::string b = Write("b/Same.vbp", "Name=\"B\"\r\n");
  r = RunCli({"--out-dir", Path("out"), a, b});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{Path("out/Same_document/Same.html"),
                                                    Path("out/Same2_document/Same2.html")}));
  EXPECT_EQ(Lines(r.err), std::vector<std::string>{
                              "quillscope-cli: warning: " + b +
                              ": writes the same report as another project of this call: " +
                              Path("out/Same_document/Same.html") + "; written to " +
                              Path("out/Same2_document/Same2.html") + " instead"});
  EXPECT_NE(ReadFile(Path("out/Same_document/Same.html")).find("Project Name &nbsp;&nbsp;A<"),
            std::string::npos);
  EXPECT_NE(ReadFile(Path("out/Same2_document/Same2.html")).find("Project Name &nbsp;&nbsp;B<"),
            std::string::npos);
}

TEST(HasProjectExtension, LastSuffixInAnyCase) {
  EXPECT_TRUE(HasProjectExtension("a.vbp"));
  EXPECT_TRUE(HasProjectExtension("/x/Server.VBP"));
  EXPECT_TRUE(HasProjectExtension("Sales.old.Vbp"));
  EXPECT_FALSE(HasProjectExtension("a.vbp.bak"));
  EXPECT_FALSE(HasProjectExtension("vbp"));
  EXPECT_FALSE(HasProjectExtension("/x.vbp/file"));
  EXPECT_FALSE(HasProjectExtension("a.vbg"));
}

TEST(StyleSheet, TheBuiltProgramsLinkPointsAtTheCopiedStyleSheet) {
  const fs::path cli = fs::path(QS_BINARY_DIR) / "quillscope-cli";
  ASSERT_TRUE(fs::exists(fs::path(QS_BINARY_DIR) / "QuillscopeStyle.css"));
  if (!fs::exists(cli)) GTEST_SKIP() << "quillscope-cli is not built in " << QS_BINARY_DIR;
  const fs::path out = fs::path(QS_BINARY_DIR) / "test-tmp" / "cli-stylesheet";
  fs::remove_all(out);
  const std::string sample = std::string(QS_SOURCE_DIR) + "/examples/Inventory/Inventory.vbp";
  const std::string command =
      "'" + cli.string() + "' --out-dir '" + out.string() + "' '" + sample + "' > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string report = ReadFile((out / "Inventory_document/Inventory.html").string());
  const std::string prefix = "<LINK HREF=\"file:///";
  const size_t at = report.find(prefix);
  ASSERT_NE(at, std::string::npos);
  std::string href = report.substr(at + prefix.size());
  href = href.substr(0, href.find('"'));
  for (char& c : href)
    if (c == '\\') c = '/';
  EXPECT_TRUE(fs::exists("/" + href)) << href;
  EXPECT_EQ(fs::canonical("/" + href),
            fs::canonical(fs::path(QS_BINARY_DIR) / "QuillscopeStyle.css"));
  fs::remove_all(out);
}

// A folder holding two groups (one listing a missing project), a project in no group, a module
// three projects list, an earlier report folder and an excluded folder: each project is
// documented once, its report and export as when it is documented alone, and the estate outputs
// are written beside them.
TEST_F(CliTest, FoldersAndGroupsDocumentEachProjectOnceAsAlone) {
  Write("tree/Shared/modShared.bas",
        "Attribute VB_Name = \"modShared\"\r\nPublic Function Twice(ByVal n As Long) As Long\r\n"
        "  Twice = 2 * n\r\nEnd Function\r\n");
  Write("tree/Lib/Lib.vbp",
        "Type=OleDll\r\nModule=modShared; ..\\Shared\\modShared.bas\r\nName=\"Lib\"\r\n");
  Write("tree/App/App.VbP",
        "Type=Exe\r\nReference=*\\A..\\Lib\\Lib.vbp#1.0#0#Lib\r\n"
        "Module=modShared; ..\\shared\\MODSHARED.bas\r\nName=\"App\"\r\n");
  Write("tree/Tool/Tool.vbp", "Module=modShared; ..\\Shared\\modShared.bas\r\nName=\"Tool\"\r\n");
  Write("tree/One.vbg", "VBGROUP 5.0\r\nStartupProject=App\\App.vbp\r\nProject=Lib\\Lib.vbp\r\n");
  Write("tree/Two.vbg", "VBGROUP 5.0\r\nProject=lib\\lib.vbp\r\nProject=Gone\\Gone.vbp\r\n");
  Write("tree/Tool/Tool_document/Tool.vbp", "Name=\"Stale\"\r\n");
  Write("tree/Skip/Skip.vbp", "Name=\"Skip\"\r\n");

  Result r = RunCli({"--json", "--out-dir", Path("all"), "--exclude", "SKIP", Path("tree")});
  EXPECT_EQ(r.status, 0) << r.err;
  // Lib before App, whose "*\A" line names Lib's source.
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{Path("all/Lib_document/Lib.html"),
                                                    Path("all/App_document/App.html"),
                                                    Path("all/Tool_document/Tool.html")}));
  EXPECT_EQ(r.err, "quillscope-cli: warning: " + Path("tree/Two.vbg") +
                       ": Gone\\Gone.vbp: project file not found\n");
  EXPECT_TRUE(fs::exists(Path("all/estate_site/index.html")));
  EXPECT_NE(ReadFile(Path("all/estate_site/estate.json")).find("\"sharedFiles\""),
            std::string::npos);
  for (const char* project : {"App/App.VbP", "Lib/Lib.vbp", "Tool/Tool.vbp"}) {
    const std::string body = fs::path(project).stem().string();
    r = RunCli({"--json", "--out-dir", Path("alone"), Path(std::string("tree/") + project)});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string report = body + "_document/" + body;
    EXPECT_EQ(WithoutStamp(ReadFile(Path("all/" + report + ".html"))),
              WithoutStamp(ReadFile(Path("alone/" + report + ".html"))))
        << project;
    EXPECT_EQ(ReadFile(Path("all/" + report + ".json")),
              ReadFile(Path("alone/" + report + ".json")))
        << project;
  }
  // One project makes no estate.
  EXPECT_FALSE(fs::exists(Path("alone/estate_site")));

  // With --site the estate links to each project's site (and --quiet prints nothing).
  r = RunCli({"--site", "--quiet", "--out-dir", Path("sites"), Path("tree/One.vbg")});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string estate = ReadFile(Path("sites/estate_site/index.html"));
  for (const char* site : {"../App_site/index.html", "../Lib_site/index.html"}) {
    EXPECT_NE(estate.find(std::string("href=\"") + site + "\""), std::string::npos) << site;
    EXPECT_TRUE(fs::exists(Path("sites/estate_site/") + site)) << site;
  }

  // --quiet: only errors (the missing member is a warning); the estate needs --json or --site.
  r = RunCli({"--quiet", "--out-dir", Path("quiet"), Path("tree/One.vbg"), Path("tree/Two.vbg")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out + r.err, "");
  EXPECT_TRUE(fs::exists(Path("quiet/Lib_document/Lib.html")));
  EXPECT_FALSE(fs::exists(Path("quiet/estate_site")));
  r = RunCli({"--quiet", Path("tree/Shared")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "quillscope-cli: " + Path("tree/Shared") + ": folder holds no project files\n");
}

}  // namespace
}  // namespace qs::cli
