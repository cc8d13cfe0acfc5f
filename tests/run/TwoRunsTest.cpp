// Every run keeps its state in its own driver: two drivers in one process, one after the other or
// at once on two threads, write the same reports and exports as each alone.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "output/json/AnalysisDump.h"
#include "run/RunExports.h"
#include "run/clsVBInfo.h"
#include "support/TestFolder.h"

namespace qs {
namespace {

const std::string kSample = std::string(QS_SOURCE_DIR) + "/examples/Inventory/Inventory.vbp";

// A second project unlike the sample: another name (a form's controls of the project's own
// library are recognised by it) and other modules.
std::string WriteOtherProject(const test::TestFolder& dir) {
  dir.Write("other/modCalc.bas",
            "Attribute VB_Name = \"modCalc\"\r\nPublic Total As Long\r\n"
            "Public Function Add(ByVal a As Long, ByVal b As Long) As Long\r\n"
            "  Dim t As Long\r\nEnd Function\r\n");
  dir.Write("other/frmOther.frm",
            "VERSION 5.00\r\nBegin VB.Form frmOther\r\n   Begin Other.ucDial dial1\r\n   End\r\n"
            "End\r\nAttribute VB_Name = \"frmOther\"\r\nPrivate Sub Form_Load()\r\nEnd Sub\r\n");
  return dir.Write("other/Other.vbp",
                   "Type=Exe\r\nForm=frmOther.frm\r\nModule=modCalc; modCalc.bas\r\n"
                   "Name=\"Other\"\r\n");
}

struct Output {
  bool written = false;
  std::string report;
  std::string json;
};

// Documents the project into its own folder and exports it; the report and export as written.
Output Document(clsVBInfo& info, const std::string& project, const std::string& outDir) {
  info.Settings().outDir = outDir;
  info.Settings().stamp = "Monday, December 7, 2026 14:05:09";
  info.Settings().programFolder = "/opt/quillscope";
  info.Settings().reportedProjectFile = "project.vbp";
  info.GetFileInfo(project);
  Output out;
  out.written = info.ReportWritten();
  out.report = test::ReadFile(info.HtmlListing());
  std::string path, reason;
  if (WriteRunJson(info, project, path, reason)) out.json = test::ReadFile(path);
  return out;
}

TEST(TwoRuns, EachRunGivesWhatItGivesAlone) {
  test::TestFolder dir("two-runs");
  const std::string other = WriteOtherProject(dir);
  Output sampleAlone, otherAlone;
  {
    clsVBInfo a, b;
    sampleAlone = Document(a, kSample, dir / "alone-sample");
    otherAlone = Document(b, other, dir / "alone-other");
  }
  ASSERT_TRUE(sampleAlone.written && otherAlone.written);
  ASSERT_NE(sampleAlone.json.find("\"frmMain\""), std::string::npos);
  ASSERT_NE(otherAlone.json.find("\"modCalc\""), std::string::npos);

  // One after the other, and a driver made and dropped between a run and its export: the export
  // still comes from the run's own state.
  {
    clsVBInfo a;
    const Output first = Document(a, kSample, dir / "seq-sample");
    { clsVBInfo passing; }
    std::string path, reason;
    ASSERT_TRUE(WriteRunJson(a, kSample, path, reason)) << reason;
    EXPECT_EQ(test::ReadFile(path), sampleAlone.json);
    EXPECT_EQ(first.report, sampleAlone.report);

    clsVBInfo b;
    EXPECT_EQ(Document(b, other, dir / "seq-other").report, otherAlone.report);
    ASSERT_TRUE(WriteRunJson(a, kSample, path, reason)) << reason;
    EXPECT_EQ(test::ReadFile(path), sampleAlone.json) << "a later run of another driver";
  }

  // At once on two threads, several times over so the two interleave differently.
  for (int round = 0; round < 3; ++round) {
    clsVBInfo a, b;
    Output sample, second;
    const std::string tag = std::to_string(round);
    std::thread t([&] { sample = Document(a, kSample, dir / ("par-sample" + tag)); });
    second = Document(b, other, dir / ("par-other" + tag));
    t.join();
    EXPECT_EQ(sample.report, sampleAlone.report) << "round " << round;
    EXPECT_EQ(sample.json, sampleAlone.json) << "round " << round;
    EXPECT_EQ(second.report, otherAlone.report) << "round " << round;
    EXPECT_EQ(second.json, otherAlone.json) << "round " << round;
  }
}

}  // namespace
}  // namespace qs
