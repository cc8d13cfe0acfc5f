#include <gtest/gtest.h>

#include <string>

#include "text/StringUtil.h"

namespace qs {
namespace {

struct Split {
  std::string folder, file, body, ext;
};

Split DoSplit(std::string_view path, char sep = '\\') {
  Split s{"x", "x", "x", "x"};  // every output must be overwritten
  SplitPath(path, s.folder, s.file, s.body, s.ext, sep);
  return s;
}

TEST(SplitPath, FolderKeepsTrailingSeparatorAndExtensionIsSecondPiece) {
  Split s = DoSplit("C:\\a\\b.c.vbp");
  EXPECT_EQ(s.folder, "C:\\a\\");
  EXPECT_EQ(s.file, "b.c.vbp");
  EXPECT_EQ(s.body, "b");
  EXPECT_EQ(s.ext, "c");
}

TEST(SplitPath, BareNamesAndEdgeShapes) {
  Split s = DoSplit("proj");
  EXPECT_EQ(s.folder, "");
  EXPECT_EQ(s.file, "proj");
  EXPECT_EQ(s.body, "proj");
  EXPECT_EQ(s.ext, "");

  s = DoSplit("D:\\Work\\");  // ends in the separator: no file name
  EXPECT_EQ(s.folder, "D:\\Work\\");
  EXPECT_EQ(s.file, "");
  EXPECT_EQ(s.body, "");
  EXPECT_EQ(s.ext, "");

  s = DoSplit("Sales.old.vbp");
  EXPECT_EQ(s.body, "Sales");
  EXPECT_EQ(s.ext, "old");

  s = DoSplit(".hidden");  // the body is the empty first piece
  EXPECT_EQ(s.body, "");
  EXPECT_EQ(s.ext, "hidden");

  s = DoSplit("");
  EXPECT_EQ(s.folder, "");
  EXPECT_EQ(s.file, "");
}

TEST(SplitPath, PlatformSeparatorOnlySplitsAtThatSeparator) {
  Split s = DoSplit("/home/u/Billing.vbp", '/');
  EXPECT_EQ(s.folder, "/home/u/");
  EXPECT_EQ(s.file, "Billing.vbp");
  EXPECT_EQ(s.body, "Billing");
  EXPECT_EQ(s.ext, "vbp");

  // A backslash is an ordinary character of a platform file name.
  s = DoSplit("/p/a\\b.vbp", '/');
  EXPECT_EQ(s.folder, "/p/");
  EXPECT_EQ(s.file, "a\\b.vbp");
}

}  // namespace
}  // namespace qs
