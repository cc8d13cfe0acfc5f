#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/DocumentCommand.h"

namespace qs::cli {
namespace {

namespace fs = std::filesystem;

class JsonOptionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::path(QS_BINARY_DIR) / "test-tmp" / (std::string("cli-json") + "-" + std::to_string(::getpid()));
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

TEST_F(JsonOptionTest, WritesOneExportPerWrittenReportAndNoneForAFailedRun) {
  const std::string a = Write("A.vbp", "Name=\"A\"\r\nModule=modA; modA.bas\r\n");
  Write("modA.bas", "Attribute VB_Name = \"modA\"\r\nPublic Const X = 1\r\n");
  DocumentOptions options;
  options.json = true;
  options.outDir = Path("out");
  std::ostringstream out, err;
  const int status = RunDocument({a, Path("Missing.vbp")}, options, out, err);
  EXPECT_EQ(status, 1);  // the missing project fails, as without --json
  // Standard output still lists only the reports.
  EXPECT_EQ(out.str(), Path("out/A_document/A.html") + "\n");
  EXPECT_EQ(err.str(), "quillscope-cli: " + Path("Missing.vbp") + ": project file not found\n");

  const std::string json = Read(Path("out/A_document/A.json"));
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

}  // namespace
}  // namespace qs::cli
