#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "model/clsVBHeader.h"
#include "text/TokenCodes.h"
#include "text/clsTokenStream.h"

namespace qs {
namespace {

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::filesystem::path TempPath(const char* name) {
  return std::filesystem::temp_directory_path() /
         (std::string("qs_header_") + std::to_string(::getpid()) + "_" + name);
}

TEST(clsVBHeader, NewHeaderIsEmpty) {
  clsVBHeader h;
  EXPECT_EQ(h.Attribute_VBName, "");
  EXPECT_EQ(h.AttributePtr, 0);
  EXPECT_EQ(h.CodePtr, 0);
  EXPECT_EQ(h.TokenStream, nullptr);
  EXPECT_FALSE(h.HasBinaryDataFile);
  EXPECT_EQ(h.sVBTableName, "");
  EXPECT_TRUE(h.Controls().empty());
}

TEST(clsVBHeader, AddKeepsRecordsWholeInTheOrderAdded) {
  clsVBHeader h;
  int32_t ptr = 10;
  for (const char* name : {"frmMain", "cmdOK", "txtName", "cmdOK"}) {
    clsControlRecord r;
    r.sType = "VB.CommandButton";
    r.sName = name;
    r.lPtr = r.lPtr2 = ptr++;
    r.sControlName = name;
    h.Add(r);
  }
  // A control array repeats a name: every record is kept, none replaces another.
  ASSERT_EQ(h.Controls().size(), 4u);
  const char* expected[] = {"frmMain", "cmdOK", "txtName", "cmdOK"};
  for (size_t i = 0; i < 4; ++i) {
    const clsControlRecord& r = h.Controls()[i];
    EXPECT_EQ(r.sName, expected[i]) << i;
    EXPECT_EQ(r.sControlName, expected[i]) << i;
    EXPECT_EQ(r.sType, "VB.CommandButton") << i;
    EXPECT_EQ(r.lPtr, 10 + static_cast<int32_t>(i)) << i;
    EXPECT_EQ(r.lPtr2, r.lPtr) << i;
  }
}

TEST(clsVBHeader, SavingWithoutAStreamWritesNothing) {
  clsVBHeader h;
  const auto path = TempPath("nostream.txt");
  std::filesystem::remove(path);
  EXPECT_FALSE(h.SaveTextToFile(path.string()));
  EXPECT_FALSE(h.SavePointTextToFile(0, path.string()));
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(clsVBHeader, SavingWritesTheStreamText) {
  clsVBHeader h;
  h.TokenStream = std::make_shared<clsTokenStream>();
  h.TokenStream->AddToken(TokIdentifier, "Option");
  h.TokenStream->AddToken(TokWhiteSpace, " ");
  h.TokenStream->AddToken(TokIdentifier, "Explicit");
  const auto whole = TempPath("whole.txt");
  const auto tail = TempPath("tail.txt");
  ASSERT_TRUE(h.SaveTextToFile(whole.string()));
  ASSERT_TRUE(h.SavePointTextToFile(2, tail.string()));
  EXPECT_EQ(ReadAll(whole), "Option Explicit");
  EXPECT_EQ(ReadAll(tail), "Explicit");
  std::filesystem::remove(whole);
  std::filesystem::remove(tail);
}

}  // namespace
}  // namespace qs
