// A folder written under a temporary name and put in place whole: after a commit the target holds
// exactly the new files, after an abandon (or a failed commit) exactly the earlier ones, and
// nothing else is left beside it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "io/AtomicFolder.h"

namespace qs {
namespace {

namespace fs = std::filesystem;

std::set<std::string> Names(const fs::path& in_oFolder) {
  std::set<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(in_oFolder, ec))
    names.insert(e.path().filename().string());
  return names;
}

void Touch(const fs::path& in_oFile) {
  std::ofstream(in_oFile) << in_oFile.filename().string();
}

TEST(AtomicFolder, CommitPutsTheNewFolderInPlaceAndAbandonKeepsTheEarlierOne) {
  const fs::path base =
      fs::path(QS_BINARY_DIR) / "test-tmp" / ("atomicfolder-" + std::to_string(::getpid()));
  struct Case {
    const char* name;
    bool earlier;        // an earlier folder with the file "old.html" is there
    bool commit;         // committed (else dropped uncommitted)
    const char* parent;  // folders below base the target is in (created by Open)
  };
  const Case cases[] = {
      {"first write", false, true, ""},
      {"replaces an earlier folder", true, true, ""},
      {"dropped: the earlier folder stays", true, false, ""},
      {"dropped with none before: nothing", false, false, ""},
      {"missing parents are made", false, true, "a/b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(base);
    fs::create_directories(base);
    const fs::path parent = base / c.parent;
    const fs::path target = parent / "P_site";
    if (c.earlier) {
      fs::create_directories(target);
      Touch(target / "old.html");
    }
    {
      AtomicFolder folder;
      ASSERT_TRUE(folder.Open(target.string())) << folder.Error().message();
      ASSERT_TRUE(fs::is_directory(folder.Temp()));
      Touch(fs::path(folder.Temp()) / "index.html");
      if (c.commit) {
        EXPECT_TRUE(folder.Commit()) << folder.Error().message();
      }
    }
    const std::set<std::string> expected = c.commit    ? std::set<std::string>{"index.html"}
                                           : c.earlier ? std::set<std::string>{"old.html"}
                                                       : std::set<std::string>{};
    EXPECT_EQ(Names(target), expected);
    // Nothing but the target beside it: no temporary or set-aside folder is left.
    const std::set<std::string> beside =
        c.commit || c.earlier ? std::set<std::string>{"P_site"} : std::set<std::string>{};
    EXPECT_EQ(Names(parent), beside);
  }

  // A file in the way of the target: the folder cannot take its place, the file stays.
  fs::remove_all(base);
  fs::create_directories(base);
  Touch(base / "P_site");
  {
    AtomicFolder folder;
    ASSERT_TRUE(folder.Open((base / "P_site").string()));
    Touch(fs::path(folder.Temp()) / "index.html");
    const bool placed = folder.Commit();
    // Exchanging a folder with a file is allowed on some systems; then the file is gone with the
    // temporary name and the folder is in place. Either way nothing half done is left.
    if (placed) {
      EXPECT_EQ(Names(base / "P_site"), std::set<std::string>{"index.html"});
    } else {
      EXPECT_TRUE(fs::is_regular_file(base / "P_site"));
      EXPECT_NE(folder.FailedStep(), AtomicFolder::Step::kNone);
    }
    EXPECT_EQ(Names(base), std::set<std::string>{"P_site"});
  }
  fs::remove_all(base);
}

}  // namespace
}  // namespace qs
