#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"

namespace qs::cli {
namespace {

namespace fs = std::filesystem;

class DocCoverageCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::path(QS_BINARY_DIR) / "test-tmp" / ("cli-doc-" + std::to_string(::getpid()));
    fs::remove_all(m_dir);
    fs::create_directories(m_dir / "p" / "Mod");
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(m_dir, ec);
  }
  std::string Write(const std::string& rel, const std::string& bytes) const {
    std::ofstream(m_dir / rel, std::ios::binary) << bytes;
    return (m_dir / rel).string();
  }
  int Run(std::vector<std::string> args, std::string& out, std::string& err) const {
    args.insert(args.begin(), "quillscope-cli");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    std::ostringstream o, e;
    const int status = cli::Run(static_cast<int>(argv.size()), argv.data(), o, e);
    out = o.str();
    err = e.str();
    return status;
  }

  fs::path m_dir;
};

TEST_F(DocCoverageCommandTest, CountsPublicProceduresAndListsTheWarningsWithoutAReport) {
  // The project names the module in another letter case than the disk: PATH keeps the disk's.
  const std::string project =
      Write("p/A.vbp", "Name=\"A\"\r\nModule=modA; mod\\moda.bas\r\nClass=clsB; clsB.cls\r\n");
  Write("p/Mod/ModA.bas",
        "Attribute VB_Name = \"modA\"\r\nOption Explicit\r\n\r\n"
        "' Says hello.\r\nPublic Sub Hello()\r\nEnd Sub\r\n"  // lines 4-6
        "Private Sub Hidden()\r\nEnd Sub\r\n"                 // 7-8: not counted
        "'' Loads.\r\n'' @param nCont the count\r\n"          // 9-10
        "Public Function Load(nCount As Long, bFlag As Boolean) As Boolean\r\nEnd Function\r\n"
        "' The text.\r\nProperty Get Text() As String\r\nEnd Property\r\n"  // 13-15
        "Property Let Text(ByVal s As String)\r\nEnd Property\r\n"          // 16-17: counted once
        "Public Event Changed()\r\nFriend Sub Inner()\r\nEnd Sub\r\n"       // 18-20
        "'' @param a first\r\nSub Pair(a, b)\r\nEnd Sub\r\n");              // 21-23
  Write("p/clsB.cls",
        "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1\r\nEND\r\nAttribute VB_Name = \"clsB\"\r\n"
        "Public Sub Run()\r\nEnd Sub\r\n");
  const std::string expected =
      "modA: 4 of 5 documented (80%)\n"
      "clsB: 0 of 1 documented (0%)\n"
      "project: 4 of 6 documented (66%)\n" +
      (m_dir / "p").string() +
      "/Mod/ModA.bas:11:17: warning: documented parameter 'nCont' is not a parameter of Load\n" +
      (m_dir / "p").string() +
      "/Mod/ModA.bas:22:5: warning: parameters of Pair documented in part; undocumented: b\n";
  std::string out, err;
  EXPECT_EQ(Run({"--doc-coverage", project}, out, err), 0) << err;
  EXPECT_EQ(out, expected);
  EXPECT_EQ(err, "");
  EXPECT_FALSE(fs::exists(m_dir / "p" / "A_document"));

  EXPECT_EQ(Run({"--doc-coverage", "--fail-under=66", project}, out, err), 0);
  EXPECT_EQ(Run({"--doc-coverage", "--fail-under", "67", project}, out, err), 1);
  EXPECT_EQ(out, expected);

  EXPECT_EQ(Run({"--fail-under=50", project}, out, err), 2);
  EXPECT_NE(err.find("--fail-under goes with --doc-coverage"), std::string::npos) << err;
  EXPECT_EQ(Run({"--doc-coverage", "--fail-under=101", project}, out, err), 2);
  EXPECT_EQ(Run({"--doc-coverage", (m_dir / "p" / "Missing.vbp").string()}, out, err), 1);
  EXPECT_NE(err.find("project file not found"), std::string::npos) << err;
}

}  // namespace
}  // namespace qs::cli
