// A driver that documents again lets go of the previous run's collections first. The next run
// must not depend on what they held, and what a caller still holds of the previous run must stay
// whole.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/ClsSymEntry.h"
#include "model/RunState.h"
#include "model/clsVBFileType.h"
#include "model/clsVBFileTypes.h"
#include "model/clsVBHeader.h"
#include "run/clsVBInfo.h"
#include "support/TestFolder.h"
#include "text/clsTokenStream.h"

namespace qs {
namespace {

const std::string kProject = std::string(QS_SOURCE_DIR) + "/examples/Inventory/Inventory.vbp";

void Pin(clsVBInfo& info, const test::TestFolder& out) {
  info.Settings().outDir = out.Path().string();
  info.Settings().stamp = "Monday, December 7, 2026 14:05:09";
  info.Settings().programFolder = "/opt/quillscope";
}

int HeadersWithStreams(const clsVBFileTypes& items) {
  int n = 0;
  for (const auto& item : items)
    if (item && item->VBHeader() && item->VBHeader()->TokenStream &&
        item->VBHeader()->TokenStream->Count() > 0)
      ++n;
  return n;
}

TEST(RepeatRun, EveryRunWritesTheSameReport) {
  test::TestFolder out("repeat-run");
  clsVBInfo info;
  Pin(info, out);
  info.GetFileInfo(kProject);
  ASSERT_TRUE(info.ReportWritten()) << info.FailureReason();
  const std::string first = test::ReadFile(info.HtmlListing());
  ASSERT_FALSE(first.empty());
  for (int run = 0; run < 2; ++run) {
    info.GetFileInfo(kProject);
    ASSERT_TRUE(info.ReportWritten()) << info.FailureReason();
    EXPECT_EQ(test::ReadFile(info.HtmlListing()), first) << "run " << run + 2;
  }
}

TEST(RepeatRun, CollectionsACallerHoldsStayWhole) {
  test::TestFolder out("repeat-run-held");
  clsVBInfo info;
  Pin(info, out);
  info.GetFileInfo(kProject);
  ASSERT_TRUE(info.ReportWritten()) << info.FailureReason();
  const std::shared_ptr<clsVBFileTypes> items = info.FileTypes();
  const std::shared_ptr<clsSymTable> table = info.State().g_oSymTable;
  ASSERT_TRUE(items && table);
  const int streams = HeadersWithStreams(*items);
  const long modules = table->Count();
  ASSERT_GT(streams, 0);
  ASSERT_GT(modules, 0);
  long declarations = 0;
  for (const auto& m : *table) declarations += m->ESub.Count() + m->EFunction.Count();
  ASSERT_GT(declarations, 0);

  info.GetFileInfo(kProject);
  ASSERT_TRUE(info.ReportWritten()) << info.FailureReason();
  // The driver moved on to new collections; the held ones keep every header, stream and list.
  EXPECT_NE(info.FileTypes(), items);
  EXPECT_NE(info.State().g_oSymTable, table);
  EXPECT_EQ(HeadersWithStreams(*items), streams);
  EXPECT_EQ(table->Count(), modules);
  long after = 0;
  for (const auto& m : *table) {
    after += m->ESub.Count() + m->EFunction.Count();
  }
  EXPECT_EQ(after, declarations);
}

TEST(RepeatRun, AFailedRunAfterAGoodOneLeavesNoStaleItems) {
  test::TestFolder out("repeat-run-fail");
  clsVBInfo info;
  Pin(info, out);
  info.GetFileInfo(kProject);
  ASSERT_TRUE(info.ReportWritten());
  info.GetFileInfo(out / "missing.vbp");
  EXPECT_FALSE(info.ReportWritten());
  EXPECT_FALSE(info.FileTypes());
  info.GetFileInfo(kProject);
  EXPECT_TRUE(info.ReportWritten()) << info.FailureReason();
}

}  // namespace
}  // namespace qs
