#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/ItemPathResolver.h"
#include "support/TestFolder.h"
#include "text/SystemPath.h"

namespace qs {
namespace {

using test::TestFolder;

// The lookup that ignores letter case is Linux's: on Windows the file system does it.
constexpr const char* kLinuxLookup =
    "the case-insensitive lookup is Linux's; Windows' file system ignores case itself";

// The path with "/" written as the platform's separator.
std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '/', kPathSeparator);
  return path;
}

TEST(ItemPathResolver, MapsSeparatorsAndCodePage) {
  EXPECT_EQ(ItemPathResolver::MapItemPath("Forms\\frmMain.frm"), Native("Forms/frmMain.frm"));
  EXPECT_EQ(ItemPathResolver::MapItemPath("..\\Shared\\Caf\xE9.bas"),
            Native("../Shared/Caf\xC3\xA9.bas"));
  // Windows takes "/" too, and writes it as "\\"; on Linux it stays a separator.
  EXPECT_EQ(ItemPathResolver::MapItemPath("Forms/frmMain.frm"), Native("Forms/frmMain.frm"));
}

TEST(ItemPathResolver, EachPlatformFindsTheFileAsStored) {
  // Linux looks the names up; Windows opens the path as written and reads the names back.
  TestFolder dir("resolver-platform");
  dir.Write("proj/Forms/frmMain.frm", "a");
  dir.Write("Shared/Caf\xC3\xA9 \xE2\x82\xAC.bas", "c");
  const std::string base = PlatformPath(std::filesystem::absolute(dir.Path() / "proj"));
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"Forms\\frmMain.frm", "/Forms/frmMain.frm"},
      {"FORMS\\FRMMAIN.FRM", "/Forms/frmMain.frm"},
      {"Forms\\frmMain.frm. ", "/Forms/frmMain.frm"},
      // Code page 1252 bytes in the value name the UTF-8 (on Windows UTF-16) file.
      {"..\\shared\\caf\xC9 \x80.BAS", "/../Shared/Caf\xC3\xA9 \xE2\x82\xAC.bas"},
      {"Forms\\frmGone.frm", ""},
  };
  ItemPathResolver r;
  for (const auto& [value, found] : rows)
    EXPECT_EQ(r.Resolve(value, base), found.empty() ? "" : base + Native(found)) << value;
  // An absolute value (on Windows from its drive letter) is taken as it is.
  const std::string path = base + Native("/Forms/frmMain.frm");
  std::string value = path;
  std::replace(value.begin(), value.end(), '/', '\\');
  EXPECT_EQ(r.Resolve(value, "elsewhere"), path);
}

TEST(ItemPathResolver, ExactPathWinsAndCaseIsIgnoredPerComponent) {
  if (kWindowsFileSystem) GTEST_SKIP() << kLinuxLookup;
  TestFolder dir("resolver-case");
  dir.Write("forms/frmMain.frm", "a");
  dir.Write("forms/FRMMAIN.FRM.bak", "b");
  const std::string base = dir.Path().string();
  ItemPathResolver r;
  EXPECT_EQ(r.Resolve("forms\\frmMain.frm", base), base + "/forms/frmMain.frm");
  EXPECT_EQ(r.Resolve("Forms\\FRMMAIN.FRM", base), base + "/forms/frmMain.frm");
  EXPECT_EQ(r.Resolve("FORMS\\frmmain.Frm", base), base + "/forms/frmMain.frm");
  EXPECT_EQ(r.Resolve("Forms\\frmOther.frm", base), "");
  EXPECT_EQ(r.Resolve("", base), "");
}

TEST(ItemPathResolver, SeveralCaseMatchesGiveTheExactOneThenTheFirstSorted) {
  if (kWindowsFileSystem) GTEST_SKIP() << kLinuxLookup;
  TestFolder dir("resolver-many");
  dir.Write("Mod.bas", "upper");
  dir.Write("mod.bas", "lower");
  dir.Write("MOD.BAS", "caps");
  const std::string base = dir.Path().string();
  ItemPathResolver r;
  EXPECT_EQ(r.Resolve("mod.bas", base), base + "/mod.bas");
  EXPECT_EQ(r.Resolve("Mod.bas", base), base + "/Mod.bas");
  // No exact match: "MOD.BAS" sorts first among the three.
  EXPECT_EQ(r.Resolve("mOD.bas", base), base + "/MOD.BAS");
}

TEST(ItemPathResolver, TrailingDotsAndBlanksAreDroppedOnlyWhenNeeded) {
  if (kWindowsFileSystem) GTEST_SKIP() << kLinuxLookup;
  TestFolder dir("resolver-dots");
  dir.Write("Sub Dir/frmX", "x");
  dir.Write("frmY.", "y");  // a real name ending in a dot is found as written
  const std::string base = dir.Path().string();
  ItemPathResolver r;
  EXPECT_EQ(r.Resolve("Sub Dir\\frmX.", base), base + "/Sub Dir/frmX");
  EXPECT_EQ(r.Resolve("sub dir. \\FRMX. .", base), base + "/Sub Dir/frmX");
  EXPECT_EQ(r.Resolve("frmY.", base), base + "/frmY.");
  EXPECT_EQ(r.Resolve("...", base), "");
}

TEST(ItemPathResolver, RelativeParentsAndCodePageNames) {
  if (kWindowsFileSystem) GTEST_SKIP() << kLinuxLookup;
  TestFolder dir("resolver-parent");
  dir.Write("Shared/Caf\xC3\xA9.bas", "c");
  dir.Write("proj/p.vbp", "");
  const std::string base = (dir.Path() / "proj").string();
  ItemPathResolver r;
  EXPECT_EQ(r.Resolve("..\\SHARED\\CAF\xC9.BAS", base), base + "/../Shared/Caf\xC3\xA9.bas");
  EXPECT_TRUE(std::filesystem::exists(r.Resolve("..\\shared\\caf\xE9.bas", base)));
}

TEST(ItemPathResolver, EmptyBaseIsTheCurrentDirectory) {
  if (kWindowsFileSystem) GTEST_SKIP() << kLinuxLookup;
  TestFolder dir("resolver-cwd");
  dir.Write("Here.txt", "h");
  const auto saved = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  ItemPathResolver r;
  EXPECT_EQ(r.Resolve("HERE.TXT", ""), "Here.txt");
  std::filesystem::current_path(saved);
}

}  // namespace
}  // namespace qs
