// The whole report of the bundled sample project, byte for byte.
//
// After an intended change of the report, regenerate the expected file with
//   QS_UPDATE_GOLDEN=1 build/tests/qs_run_tests --gtest_filter='GoldenReport.*'
// and review the difference before committing it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "run/clsVBInfo.h"
#include "support/TestFolder.h"

namespace qs {
namespace {

namespace fs = std::filesystem;

TEST(GoldenReport, SampleProjectMatchesTheExpectedReport) {
  const std::string project = std::string(QS_SOURCE_DIR) + "/examples/Inventory/Inventory.vbp";
  const std::string expectedPath = std::string(QS_TEST_DATA_DIR) + "/Inventory.expected.html";
  test::TestFolder out("golden");

  clsVBInfo info;
  info.Settings().outDir = out.Path().string();
  info.Settings().stamp = "Monday, December 7, 2026 14:05:09";
  info.Settings().programFolder = "/opt/quillscope";
  info.Settings().reportedProjectFile = "/srv/vb6/Inventory/Inventory.vbp";
  info.GetFileInfo(project);
  ASSERT_TRUE(info.ReportWritten()) << info.FailureReason();
  EXPECT_TRUE(info.Warnings().empty()) << info.Warnings().front();
  // Nothing is written beside the sample: the report went to the output folder.
  EXPECT_FALSE(fs::exists(std::string(QS_SOURCE_DIR) + "/examples/Inventory/Inventory_document"));

  const std::string actual = test::ReadFile(info.HtmlListing());
  if (std::getenv("QS_UPDATE_GOLDEN") != nullptr) {
    std::ofstream(expectedPath, std::ios::binary) << actual;
    GTEST_SKIP() << "expected report rewritten: " << expectedPath;
  }
  const std::string expected = test::ReadFile(expectedPath);
  ASSERT_FALSE(expected.empty()) << "missing " << expectedPath;
  if (actual == expected) return;
  // Point at the first differing line instead of printing two whole reports.
  size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  const size_t lineStart = expected.rfind('\n', at == 0 ? 0 : at - 1);
  const size_t from = lineStart == std::string::npos ? 0 : lineStart + 1;
  const int line =
      static_cast<int>(std::count(expected.begin(), expected.begin() + from, '\n')) + 1;
  ADD_FAILURE() << "report differs from " << expectedPath << " at line " << line
                << "\nexpected: " << expected.substr(from, expected.find('\n', from) - from)
                << "\nactual:   " << actual.substr(from, actual.find('\n', from) - from);
}

}  // namespace
}  // namespace qs
