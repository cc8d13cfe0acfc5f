// --jobs N caps the threads of the whole run: with 1, a run that writes the report, the export,
// the analysis dump and the site starts no thread at all (every thread of the core comes from
// text/Parallel.h, which counts them; the test "threads" checks that no other place starts one),
// and every output is the same whatever N.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

#include "cli/DocumentCommand.h"
#include "text/Parallel.h"

namespace qs::cli {
namespace {

namespace fs = std::filesystem;

// Every file below the folder, by path: the report aside (it carries the time of the run), and
// the pictures.
std::map<std::string, std::string> FilesBelow(const fs::path& in_oFolder) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(in_oFolder)) {
    // The pictures' element ids depend on which pictures one dot process drew together.
    if (!e.is_regular_file() || e.path().extension() == ".svg") continue;
    if (e.path().filename() == "Inventory.html") continue;
    std::ifstream in(e.path(), std::ios::binary);
    files[fs::relative(e.path(), in_oFolder).generic_string()] =
        std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

TEST(JobsOption, OneJobStartsNoThreadAndEveryJobCountWritesTheSame) {
  const fs::path root =
      fs::path(QS_BINARY_DIR) / "test-tmp" / ("cli-jobs-" + std::to_string(::getpid()));
  fs::remove_all(root);
  const std::string sample = std::string(QS_SOURCE_DIR) + "/examples/Inventory/Inventory.vbp";
  std::map<std::string, std::string> first;
  for (const unsigned jobs : {1u, 2u, 3u, 0u}) {
    SCOPED_TRACE(testing::Message() << "--jobs " << jobs);
    DocumentOptions options;
    options.outDir = (root / std::to_string(jobs)).string();
    options.json = true;
    options.site = true;
    options.dumpAnalysis = true;
    options.jobs = jobs;
    std::ostringstream out, err;
    const uint64_t before = ThreadsStarted();
    ASSERT_EQ(RunDocument({sample}, options, out, err), 0) << err.str();
    if (jobs == 1) {
      EXPECT_EQ(ThreadsStarted() - before, 0u);
    }
    const std::map<std::string, std::string> files = FilesBelow(options.outDir);
    EXPECT_TRUE(files.count("Inventory_document/Inventory.json"));
    EXPECT_TRUE(files.count("Inventory_site/index.html"));
    if (first.empty()) {
      first = files;
    } else {
      EXPECT_EQ(files, first);
    }
  }
  fs::remove_all(root);
}

}  // namespace
}  // namespace qs::cli
