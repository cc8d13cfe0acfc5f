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
  EXPECT_EQ(h.Controls().Count(), 0);
}

TEST(clsVBHeader, AddKeysRecordsByTheirCount) {
  clsVBHeader h;
  for (const char* name : {"frmMain", "cmdOK", "txtName"}) {
    clsControlRecord r;
    r.sName = name;
    h.Add(r);
  }
  ASSERT_EQ(h.Controls().Count(), 3);
  const char* expected[] = {"frmMain", "cmdOK", "txtName"};
  for (int i = 0; i < 3; ++i) {
    const auto* r = h.Controls().ItemAs<clsControlRecord>(std::to_string(i));
    ASSERT_NE(r, nullptr) << i;
    EXPECT_EQ(r->sName, expected[i]);
  }
  EXPECT_FALSE(h.Controls().Exists("3"));
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
