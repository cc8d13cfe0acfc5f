#include <gtest/gtest.h>

#include <filesystem>

#include "TestFolder.h"
#include "driver/ItemPathResolver.h"

namespace qs {
namespace {

using test::TestFolder;

TEST(ItemPathResolver, MapsSeparatorsAndCodePage) {
  EXPECT_EQ(ItemPathResolver::MapItemPath("Forms\\frmMain.frm"), "Forms/frmMain.frm");
  EXPECT_EQ(ItemPathResolver::MapItemPath("..\\Shared\\Caf\xE9.bas"), "../Shared/Caf\xC3\xA9.bas");
}

TEST(ItemPathResolver, ExactPathWinsAndCaseIsIgnoredPerComponent) {
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
  TestFolder dir("resolver-parent");
  dir.Write("Shared/Caf\xC3\xA9.bas", "c");
  dir.Write("proj/p.vbp", "");
  const std::string base = (dir.Path() / "proj").string();
  ItemPathResolver r;
  EXPECT_EQ(r.Resolve("..\\SHARED\\CAF\xC9.BAS", base), base + "/../Shared/Caf\xC3\xA9.bas");
  EXPECT_TRUE(std::filesystem::exists(r.Resolve("..\\shared\\caf\xE9.bas", base)));
}

TEST(ItemPathResolver, EmptyBaseIsTheCurrentDirectory) {
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
