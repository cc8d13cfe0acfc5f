// A run asked to stop (clsVBInfo::RequestStop) ends early with the reason "stopped" and never
// commits its report: an earlier report stays byte for byte as it was, and no temporary file is
// left beside it. The stop is requested at three moments: before the run, while the source files
// are read (on several threads), and while the report is being written. The moments are found
// by watching the disk: the report folder appears before the sources are read, the report's
// temporary file while the report is written.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "run/clsVBInfo.h"
#include "support/TestFolder.h"

namespace qs {
namespace {

namespace fs = std::filesystem;

// A project large enough that reading it and writing its report take a while: 200 modules of
// 120 procedures each.
std::string WriteLargeProject(const test::TestFolder& dir) {
  std::string vbp = "Type=Exe\r\nName=\"Large\"\r\n";
  for (int i = 0; i < 200; ++i) {
    const std::string name = "modLarge" + std::to_string(i);
    std::string code = "Attribute VB_Name = \"" + name + "\"\r\nOption Explicit\r\n";
    for (int k = 0; k < 120; ++k) {
      const std::string n = std::to_string(i) + "_" + std::to_string(k);
      code += "Public Const kLimit" + n + " As Long = " + std::to_string(k) + "\r\n";
      code += "Public Function Total" + n +
              "(ByVal a As Long, Optional ByRef b As String = \"x\") As Long\r\n"
              "    Dim sum As Long\r\n    sum = a + Len(b) ' running total\r\n    Total" +
              n + " = sum\r\nEnd Function\r\n";
    }
    dir.Write("src/" + name + ".bas", code);
    vbp += "Module=" + name + "; " + name + ".bas\r\n";
  }
  return dir.Write("src/Large.vbp", vbp);
}

bool HasTemporaryFile(const fs::path& folder) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().filename().string().find(".tmp-") != std::string::npos) return true;
  }
  return false;
}

struct StopCase {
  const char* name;
  bool earlierReport;                                  // a complete report is there before
  std::function<bool(const fs::path& folder)> moment;  // null: stop before the run
};

TEST(RunStop, AStoppedRunCommitsNothingAndTheNextRunWritesAgain) {
  test::TestFolder dir("run-stop");
  const std::string project = WriteLargeProject(dir);
  const StopCase cases[] = {
      {"before the run", true, nullptr},
      {"while the sources are read", false,
       [](const fs::path& folder) { return fs::is_directory(folder); }},
      {"while the report is written", true, HasTemporaryFile},
  };
  for (const StopCase& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path out = dir.Path() / "out" / c.name;
    const fs::path folder = out / "Large_document";
    const fs::path report = folder / "Large.html";
    clsVBInfo info;
    info.Settings().outDir = out.string();
    info.Settings().loadThreads = 4;
    info.Settings().stamp = "Monday, December 7, 2026 14:05:09";
    std::string earlier;
    if (c.earlierReport) {
      info.GetFileInfo(project);
      ASSERT_TRUE(info.ReportWritten()) << info.FailureReason();
      earlier = test::ReadFile(report.string());
      ASSERT_GT(earlier.size(), 1000000u);
    }

    std::atomic<bool> ended{false};
    if (!c.moment) {
      info.RequestStop();
      info.GetFileInfo(project);
      ended = true;
    } else {
      std::thread run([&] {
        info.GetFileInfo(project);
        ended = true;
      });
      while (!ended && !c.moment(folder)) {
        // Under Wine every look at the folder is a call to its server, which also serves the
        // run's own file calls: the watch pauses between looks there, or the run hardly moves.
        if (kWindowsFileSystem) {
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } else {
          std::this_thread::yield();
        }
      }
      info.RequestStop();
      run.join();
    }
    EXPECT_FALSE(info.ReportWritten());
    EXPECT_EQ(info.FailureReason(), "stopped");
    EXPECT_FALSE(info.StopRequested());  // used up by the run it stopped
    EXPECT_FALSE(HasTemporaryFile(folder));
    if (c.earlierReport) {
      EXPECT_EQ(test::ReadFile(report.string()), earlier);
    } else {
      EXPECT_FALSE(fs::exists(report));
    }

    // The same driver documents again, completely.
    info.GetFileInfo(project);
    EXPECT_TRUE(info.ReportWritten()) << info.FailureReason();
    EXPECT_TRUE(fs::is_regular_file(report));
    if (c.earlierReport) {
      EXPECT_EQ(test::ReadFile(report.string()), earlier);
    }
  }
}

// Two drivers each answer to their own flag: a stop requested of one leaves the other alone,
// on another thread at the same time as on the same thread afterwards.
TEST(RunStop, AStopBelongsToItsOwnDriver) {
  test::TestFolder dir("run-stop-own");
  dir.Write("m.bas", "Attribute VB_Name = \"modM\"\r\nPublic Sub Main()\r\nEnd Sub\r\n");
  const std::string project = dir.Write("P.vbp", "Type=Exe\r\nModule=modM; m.bas\r\n");
  clsVBInfo stopped;
  clsVBInfo other;
  stopped.Settings().outDir = (dir.Path() / "a").string();
  other.Settings().outDir = (dir.Path() / "b").string();
  stopped.RequestStop();
  std::thread t([&] { other.GetFileInfo(project); });
  t.join();
  EXPECT_TRUE(other.ReportWritten()) << other.FailureReason();
  other.GetFileInfo(project);
  EXPECT_TRUE(other.ReportWritten()) << other.FailureReason();
  stopped.GetFileInfo(project);
  EXPECT_EQ(stopped.FailureReason(), "stopped");
}

}  // namespace
}  // namespace qs
