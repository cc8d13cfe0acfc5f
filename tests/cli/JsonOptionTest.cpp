#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/DocumentCommand.h"

namespace qs::cli {
namespace {

namespace fs = std::filesystem;

class JsonOptionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::path(QS_BINARY_DIR) / "test-tmp" /
            (std::string("cli-json") + "-" + std::to_string(::getpid()));
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(m_dir, ec);
  }
  std::string Path(const std::string& rel) const { return (m_dir / rel).string(); }
  std::string Write(const std::string& rel, const std::string& bytes) const {
    std::ofstream(m_dir / rel, std::ios::binary) << bytes;
    return Path(rel);
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path m_dir;
};

TEST_F(JsonOptionTest, WritesOneDumpPerWrittenReportAndNoneForAFailedRun) {
  const std::string a = Write("A.vbp", "Name=\"A\"\r\nModule=modA; modA.bas\r\n");
  Write("modA.bas", "Attribute VB_Name = \"modA\"\r\nPublic Const X = 1\r\n");
  DocumentOptions options;
  options.dumpAnalysis = true;
  options.outDir = Path("out");
  std::ostringstream out, err;
  const int status = RunDocument({a, Path("Missing.vbp")}, options, out, err);
  EXPECT_EQ(status, 1);  // the missing project fails, as without --json
  // Standard output still lists only the reports.
  EXPECT_EQ(out.str(), Path("out/A_document/A.html") + "\n");
  EXPECT_EQ(err.str(), "quillscope-cli: " + Path("Missing.vbp") + ": project file not found\n");

  EXPECT_FALSE(fs::exists(Path("out/A_document/A.json")));  // only what was asked for
  const std::string json = Read(Path("out/A_document/A.analysis.json"));
  EXPECT_EQ(json.rfind("{\n  \"project\": {\n    \"file\": \"" + a + "\",", 0), 0u) << json;
  EXPECT_NE(json.find("\"Attribute_VBName\": \"\\\"modA\\\"\""), std::string::npos) << json;
  EXPECT_FALSE(fs::exists(Path("out/Missing_document")));
}

TEST_F(JsonOptionTest, WithoutTheOptionNoExportIsWritten) {
  const std::string a = Write("B.vbp", "Name=\"B\"\r\n");
  DocumentOptions options;
  std::ostringstream out, err;
  EXPECT_EQ(RunDocument({a}, options, out, err), 0) << err.str();
  EXPECT_TRUE(fs::exists(Path("B_document/B.html")));
  EXPECT_FALSE(fs::exists(Path("B_document/B.json")));
  EXPECT_FALSE(fs::exists(Path("B_document/B.analysis.json")));
}

TEST_F(JsonOptionTest, AnExportThatCannotBeWrittenFailsTheProject) {
  const std::string a = Write("C.vbp", "Name=\"C\"\r\n");
  // A folder where the export file should go: the rename over it fails.
  fs::create_directories(m_dir / "C_document" / "C.json" / "inside");
  DocumentOptions options;
  options.json = true;
  std::ostringstream out, err;
  EXPECT_EQ(RunDocument({a}, options, out, err), 1);
  EXPECT_EQ(out.str(), Path("C_document/C.html") + "\n");
  EXPECT_EQ(err.str().rfind("quillscope-cli: " + a + ": " + Path("C_document/C.json") +
                                ": export cannot be written",
                            0),
            0u)
      << err.str();
  // No temporary file is left beside the report.
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(m_dir / "C_document"))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"C.html", "C.json"}));
}

// The export is written while the report is, and put in place only with it: a report that
// cannot be written takes its export along, leaving no temporary file and no export.
TEST_F(JsonOptionTest, AReportThatCannotBeWrittenLeavesNoExport) {
  const std::string a = Write("E.vbp", "Name=\"E\"\r\nModule=modE; modE.bas\r\n");
  Write("modE.bas", "Attribute VB_Name = \"modE\"\r\nPublic Sub S()\r\nEnd Sub\r\n");
  fs::create_directories(m_dir / "E_document" / "E.html" / "inside");
  DocumentOptions options;
  options.json = true;
  std::ostringstream out, err;
  EXPECT_EQ(RunDocument({a}, options, out, err), 1);
  EXPECT_EQ(out.str(), "");
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(m_dir / "E_document"))
    names.push_back(e.path().filename().string());
  EXPECT_EQ(names, (std::vector<std::string>{"E.html"})) << err.str();
}

// The command line of the exports: each option alone and together, and what a wrong code page
// gets.
TEST_F(JsonOptionTest, ExportOptionsOnTheCommandLine) {
  const std::string project = Write("D.vbp", "Name=\"D\"\r\nModule=modD; modD.bas\r\n");
  // "Привет" in code page 1251.
  Write("modD.bas", "Attribute VB_Name = \"modD\"\r\nConst kHi = \"\xCF\xF0\xE8\xE2\xE5\xF2\"\r\n");
  struct Row {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> written;  // beside the report
    std::string inExport;              // text the .json holds
    std::string error;                 // start of the error output
  };
  const std::string utf8Hi = "\\\"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\\\"";
  const Row rows[] = {
      {{}, 0, {"D.html"}, "", ""},
      {{"--json"}, 0, {"D.html", "D.json"}, "{\"format\":2,\"generator\":{", ""},
      {{"--json", "--pretty"}, 0, {"D.html", "D.json"}, "{\n  \"format\": 2,\n", ""},
      {{"--json", "--codepage", "1251"}, 0, {"D.html", "D.json"}, utf8Hi, ""},
      {{"--codepage=1251", "--json"}, 0, {"D.html", "D.json"}, "\"codepage\":1251", ""},
      {{"--dump-analysis"}, 0, {"D.analysis.json", "D.html"}, "", ""},
      {{"--json", "--dump-analysis"},
       0,
       {"D.analysis.json", "D.html", "D.json"},
       "\"lines\":2",
       ""},
      {{"--json", "--codepage", "4242"},
       2,
       {},
       "",
       "quillscope-cli: --codepage needs the number of a code page this system converts (such as "
       "1252, 1251, 936), not '4242'\n"},
      {{"--codepage", "cp1251"}, 2, {}, "", "quillscope-cli: --codepage needs"},
      {{"--codepage"}, 2, {}, "", "quillscope-cli: --codepage needs"},
  };
  for (const Row& row : rows) {
    fs::remove_all(m_dir / "out");
    std::vector<std::string> args = {"quillscope-cli", "--out-dir", Path("out")};
    args.insert(args.end(), row.args.begin(), row.args.end());
    args.push_back(project);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::ostringstream out, err;
    const std::string what = row.args.empty() ? "(none)" : row.args.front();
    EXPECT_EQ(cli::Run(static_cast<int>(args.size()), argv.data(), out, err), row.status) << what;
    EXPECT_EQ(err.str().rfind(row.error, 0), 0u) << what << ": " << err.str();
    std::vector<std::string> names;
    if (fs::exists(m_dir / "out/D_document"))
      for (const auto& e : fs::directory_iterator(m_dir / "out/D_document"))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, row.written) << what;
    if (!row.inExport.empty()) {
      EXPECT_NE(Read(Path("out/D_document/D.json")).find(row.inExport), std::string::npos)
          << what << ": " << Read(Path("out/D_document/D.json"));
    }
  }
}

TEST_F(JsonOptionTest, HelpListsTheExportOptions) {
  std::string program = "quillscope-cli", help = "--help";
  char* argv[] = {program.data(), help.data(), nullptr};
  std::ostringstream out, err;
  EXPECT_EQ(cli::Run(2, argv, out, err), 0);
  for (const char* option : {"--json", "--pretty", "--codepage N", "--dump-analysis"})
    EXPECT_NE(out.str().find(std::string("\n  ") + option), std::string::npos) << option;
}

}  // namespace
}  // namespace qs::cli
