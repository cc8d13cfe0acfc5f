#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/TokensCommand.h"

namespace qs::cli {
namespace {

namespace fs = std::filesystem;

std::string WriteFile(const std::string& name, const std::string& bytes) {
  const fs::path dir = fs::path(QS_BINARY_DIR) / "tokens_command_test";
  fs::create_directories(dir);
  const std::string path = (dir / name).string();
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

struct Output {
  int status = -1;
  std::string out, err;
};

Output Tokens(std::string_view kind, const std::string& path) {
  std::ostringstream out, err;
  Output r;
  r.status = RunTokens(kind, path, out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

Output Cli(std::vector<std::string> args) {
  args.insert(args.begin(), "quillscope-cli");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::ostringstream out, err;
  Output r;
  r.status = Run(static_cast<int>(args.size()), argv.data(), out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

TEST(TokensCommand, ListsTheCodeTokensOfAFile) {
  const std::string path = WriteFile("m.bas", "Private Sub X() ' a\\b\r\n\tx = \"\xE9\"\n");
  const Output r = Tokens("code", path);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "331\tPrivate\n279\t \n344\tSub\n279\t \n283\tX\n40\t(\n41\t)\n279\t \n"
            "280\t' a\\\\b\n278\t\\r\\n\n279\t\\t\n283\tx\n279\t \n61\t=\n279\t \n"
            "282\t\"\\xE9\"\n278\t\\r\\n\n");
}

TEST(TokensCommand, EachKindUsesItsOwnKeywordTable) {
  const std::string path = WriteFile("k.txt", "Begin BEGIN Name 'x");
  EXPECT_EQ(Tokens("form", path).out,
            "821\tBegin\n279\t \n283\tBEGIN\n279\t \n283\tName\n279\t \n280\t'x\n");
  EXPECT_EQ(Tokens("class", path).out,
            "283\tBegin\n279\t \n853\tBEGIN\n279\t \n283\tName\n279\t \n280\t'x\n");
  EXPECT_EQ(Tokens("vbp", path).out,
            "283\tBegin\n279\t \n283\tBEGIN\n279\t \n815\tName\n279\t \n39\t'\n283\tx\n");
}

TEST(TokensCommand, EscapesControlAndHighBytes) {
  EXPECT_EQ(EscapeTokenText(std::string("a\\\r\n\t\x01\x1F\x7F\x80\xFF ~", 12)),
            "a\\\\\\r\\n\\t\\x01\\x1F\\x7F\\x80\\xFF ~");
  // A single-character token of a control byte is listed by its code and escaped text.
  const std::string path = WriteFile("ctl.bas", std::string("\x01", 1));
  EXPECT_EQ(Tokens("code", path).out, "1\t\\x01\n");
}

TEST(TokensCommand, EmptyFilePrintsNothing) {
  const Output r = Tokens("code", WriteFile("empty.bas", ""));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
}

TEST(TokensCommand, UnreadableFileIsOneErrorLine) {
  const Output r = Tokens("code", WriteFile("x", "") + ".missing");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  ASSERT_FALSE(r.err.empty());
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1);
  // The line says why.
  EXPECT_NE(r.err.find(".missing: file not found"), std::string::npos) << r.err;
}

TEST(TokensCommand, CommandLineOption) {
  const std::string path = WriteFile("cli.bas", "Dim a");
  Output r = Cli({"--tokens=code", path});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "561\tDim\n279\t \n283\ta\n");
  r = Cli({"--tokens=code"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err, "");
  r = Cli({"--tokens=basic", path});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  r = Cli({"--tokens=vbp", path + ".missing"});
  EXPECT_EQ(r.status, 1);
}

}  // namespace
}  // namespace qs::cli
