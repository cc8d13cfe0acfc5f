// One call of several projects (DocumentBatch): projects whose outputs would land on one another
// get names of their own, and a call stopped at any phase of a run leaves every earlier output of
// the project as it was, or puts every new one in place, never a mix.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "run/DocumentBatch.h"
#include "run/clsVBInfo.h"
#include "support/JsonCheck.h"
#include "support/TestFolder.h"
#include "text/SystemPath.h"

namespace qs {
namespace {

namespace fs = std::filesystem;

std::string Module(const std::string& in_sName, const std::string& in_sProcedure) {
  return "Attribute VB_Name = \"" + in_sName + "\"\r\nOption Explicit\r\nPublic Sub " +
         in_sProcedure + "()\r\nEnd Sub\r\n";
}

// Every file below the folder, by its path inside it, with its bytes (empty when there is none).
std::map<std::string, std::string> Tree(const fs::path& in_folder) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(in_folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    if (it->is_regular_file())
      files[it->path().lexically_relative(in_folder).generic_string()] =
          test::ReadFile(PlatformPath(it->path()));
  }
  return files;
}

bool HasTemporary(const fs::path& in_folder) {
  for (const auto& [path, bytes] : Tree(in_folder))
    if (path.find(".tmp-") != std::string::npos || path.find(".old-") != std::string::npos)
      return true;
  return false;
}

// A.vbp and A.Tests.vbp side by side share the usual name "A"; so does sub/A.vbp, which only
// meets the others in a common output folder. Each project writes its report, export and site
// under a name of its own, and the estate links each to its own.
TEST(DocumentBatch, ProjectsWhoseOutputsWouldMeetGetNamesOfTheirOwn) {
  test::TestFolder dir("batch-names");
  const std::string a =
      dir.Write("p/A.vbp", "Type=Exe\r\nName=\"Alpha\"\r\nModule=modA; a.bas\r\n");
  const std::string tests =
      dir.Write("p/A.Tests.vbp", "Type=Exe\r\nName=\"AlphaTests\"\r\nModule=modT; t.bas\r\n");
  const std::string sub =
      dir.Write("p/sub/A.vbp", "Type=Exe\r\nName=\"SubAlpha\"\r\nModule=modS; s.bas\r\n");
  dir.Write("p/a.bas", Module("modA", "RunAlpha"));
  dir.Write("p/t.bas", Module("modT", "RunAlphaTests"));
  dir.Write("p/sub/s.bas", Module("modS", "RunSubAlpha"));
  const std::string p = PlatformPath(dir.Path() / "p");
  const std::string out = PlatformPath(dir.Path() / "out");

  struct Case {
    const char* name;
    std::string outDir;
    std::vector<std::string> folders;  // each project's output folder and name, in call order
    std::vector<std::string> names;
    std::vector<bool> renamed;
    std::vector<size_t> call;  // the projects in the order the call names them
  };
  // A.vbp has the first claim on "A" whatever the order: a folder scan meets A.Tests.vbp first.
  const Case cases[] = {
      {"beside the projects",
       "",
       {p, p, p + "/sub"},
       {"A", "A.Tests", "A"},
       {false, true, false},
       {0, 1, 2}},
      {"in one output folder",
       out,
       {out, out, out},
       {"A", "A.Tests", "A2"},
       {false, true, true},
       {0, 1, 2}},
      {"A.Tests.vbp named first",
       out,
       {out, out, out},
       {"A.Tests", "A", "A2"},
       {true, false, true},
       {1, 0, 2}},
  };
  const char* const projectNames[] = {"Alpha", "AlphaTests", "SubAlpha"};
  const std::string files[] = {a, tests, sub};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BatchOptions options;
    options.outDir = c.outDir;
    options.json = true;
    options.site = true;
    options.estateFolder = PlatformPath(dir.Path() / "estate" / c.name);
    DocumentBatch batch(options);
    std::vector<BatchProjectResult> results;
    BatchSink sink;
    sink.projectDone = [&](const BatchProjectResult& r) { results.push_back(r); };
    clsVBInfo info;
    std::vector<std::string> paths;
    for (const size_t k : c.call) paths.push_back(files[k]);
    const BatchResult result = batch.Run(paths, info, sink);
    ASSERT_TRUE(result.complete) << result.estateFailure;
    ASSERT_EQ(results.size(), 3u);

    test::JsonValue estate;
    test::JsonReader reader;
    ASSERT_TRUE(reader.Parse(
        test::ReadFile(PlatformPath(fs::path(options.estateFolder) / "estate_site/estate.json")),
        estate))
        << reader.Error();
    for (size_t i = 0; i < 3; ++i) {
      const size_t k = c.call[i];
      SCOPED_TRACE(files[k]);
      const BatchProjectResult& r = results[i];
      const std::string base = c.folders[i] + "/" + c.names[i];
      EXPECT_EQ(r.outputName, c.names[i]);
      EXPECT_EQ(r.report, AbsolutePath(base + "_document/" + c.names[i] + ".html"));
      EXPECT_EQ(r.json, AbsolutePath(base + "_document/" + c.names[i] + ".json"));
      EXPECT_EQ(r.site, AbsolutePath(base + "_site/index.html"));
      EXPECT_EQ(r.clashingReport.empty(), !c.renamed[i]);
      EXPECT_TRUE(r.reportWritten && r.jsonWritten && r.siteWritten) << r.failure;
      // Each output names its own project.
      const std::string name = projectNames[k];
      EXPECT_NE(test::ReadFile(r.report).find("Project Name &nbsp;&nbsp;" + name + "<"),
                std::string::npos);
      EXPECT_NE(test::ReadFile(r.json).find("\"name\":\"" + name + "\""), std::string::npos);
      EXPECT_NE(test::ReadFile(r.site).find(name), std::string::npos);
      // The estate lists each project with its own report and site.
      const test::JsonValue& listed = estate["projects"][i];
      EXPECT_EQ(listed["file"].s, AbsolutePath(files[k]));
      EXPECT_EQ(listed["name"].s, name);
      EXPECT_EQ(listed["report"].s, r.report);
      EXPECT_EQ(listed["site"].s, r.site);
    }
    EXPECT_FALSE(HasTemporary(dir.Path()));
  }
}

// A project documented with every output, then changed and documented again with a stop
// requested at one phase of the second run: either every output is still the first run's, byte
// for byte, or every output is the second run's.
TEST(DocumentBatch, AStopAtAnyPhaseLeavesEveryOldOutputOrPutsEveryNewOneInPlace) {
  test::TestFolder dir("batch-stop");
  const std::string project = dir.Write(
      "P.vbp",
      "Type=Exe\r\nName=\"Phases\"\r\nModule=modOne; one.bas\r\nModule=modTwo; two.bas\r\n");
  const fs::path out = dir.Path() / "out";
  const auto writeSources = [&](const std::string& in_sProcedure) {
    dir.Write("one.bas", Module("modOne", in_sProcedure));
    dir.Write("two.bas", Module("modTwo", in_sProcedure + "Two"));
  };
  using Phase = RunProgress::Phase;
  enum class Expect { kOld, kNew };
  struct Case {
    const char* name;
    bool stopAtPhase;
    Phase phase;
    bool stopWhenDone;  // the stop comes once the project's outputs are in place
    Expect expect;
  };
  const Case cases[] = {
      {"reading", true, Phase::kReading, false, Expect::kOld},
      {"analysing", true, Phase::kAnalysing, false, Expect::kOld},
      {"writing the report", true, Phase::kWritingReport, false, Expect::kOld},
      {"writing the export", true, Phase::kWritingExport, false, Expect::kOld},
      {"writing the site", true, Phase::kWritingSite, false, Expect::kOld},
      {"after the commit", false, Phase::kReading, true, Expect::kNew},
      {"no stop", false, Phase::kReading, false, Expect::kNew},
  };
  BatchOptions options;
  options.outDir = PlatformPath(out);
  options.json = true;
  options.site = true;
  options.dumpAnalysis = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(out);
    writeSources("OldProcedure");
    clsVBInfo info;
    {
      DocumentBatch first(options);
      ASSERT_TRUE(first.Run({project}, info, {}).complete);
    }
    const std::map<std::string, std::string> before = Tree(out);
    // Report, export, dump and a site of several files.
    ASSERT_GT(before.size(), 5u);
    writeSources("NewProcedure");

    DocumentBatch batch(options);
    BatchSink sink;
    bool phaseSeen = false;
    sink.progress = [&](const RunProgress& p) {
      if (!c.stopAtPhase || p.phase != c.phase) return;
      phaseSeen = true;
      batch.RequestStop();
    };
    BatchProjectResult done;
    sink.projectDone = [&](const BatchProjectResult& r) {
      done = r;
      if (c.stopWhenDone) batch.RequestStop();
    };
    const BatchResult result = batch.Run({project}, info, sink);
    const std::map<std::string, std::string> after = Tree(out);
    EXPECT_FALSE(HasTemporary(out));
    EXPECT_FALSE(info.StopRequested());  // nothing is left to stop the driver's next run
    if (c.expect == Expect::kOld) {
      EXPECT_TRUE(phaseSeen);
      EXPECT_TRUE(result.stopped);
      EXPECT_FALSE(done.reportWritten);
      EXPECT_EQ(done.failure, "stopped");
      EXPECT_EQ(after, before);
      continue;
    }
    EXPECT_FALSE(result.stopped);
    EXPECT_TRUE(done.reportWritten && done.jsonWritten && done.siteWritten && done.dumpWritten);
    // The same files, every one of the outputs new: the report, the export, the dump and the
    // module pages of the site name the new procedure.
    ASSERT_EQ(after.size(), before.size());
    for (const std::string& path : {done.report, done.json, done.dump})
      EXPECT_NE(test::ReadFile(path).find("NewProcedure"), std::string::npos) << path;
    size_t sitePagesNew = 0;
    for (const auto& [path, bytes] : after) {
      if (path.rfind("P_site/", 0) == 0 && bytes.find("NewProcedure") != std::string::npos)
        ++sitePagesNew;
      EXPECT_EQ(bytes.find("OldProcedure"), std::string::npos) << path;
    }
    EXPECT_GT(sitePagesNew, 0u);
  }
}

}  // namespace
}  // namespace qs
