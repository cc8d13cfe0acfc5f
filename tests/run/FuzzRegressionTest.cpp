// Replays every input the fuzzers found (tests/data/fuzz-regressions/<target>/*) through the same
// checks the fuzz targets make, so each finding stays fixed. The folder name is the target's.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "../../fuzz/FuzzChecks.h"
#include "support/TestFolder.h"

namespace qs {
namespace {

namespace fs = std::filesystem;
using namespace qs::fuzz;

std::string Check(const std::string& target, const std::string& bytes) {
  if (target == "fuzz_tokenize_code") return CheckTokenize(Tokenizer::Code, bytes);
  if (target == "fuzz_tokenize_vbp") return CheckTokenize(Tokenizer::Vbp, bytes);
  if (target == "fuzz_tokenize_form") return CheckTokenize(Tokenizer::Form, bytes);
  if (target == "fuzz_tokenize_class") return CheckTokenize(Tokenizer::Class, bytes);
  if (target == "fuzz_parse_vbp") return CheckParseVbp(bytes);
  if (target == "fuzz_parse_form_header") return CheckParseHeader(true, bytes);
  if (target == "fuzz_parse_class_header") return CheckParseHeader(false, bytes);
  if (target == "fuzz_code_scan") return CheckCodeScan(bytes);
  if (target == "fuzz_doc_comments") return CheckDocComments(bytes);
  if (target == "fuzz_declarators") return CheckDeclarators(bytes);
  if (target == "fuzz_project_group") return CheckProjectGroup(bytes);
  if (target == "fuzz_whole_run") {
    test::TestFolder scratch("fuzz-regression-run");
    return CheckWholeRun(bytes, scratch.Path() / "run");
  }
  return "unknown fuzz target folder " + target;
}

TEST(FuzzRegression, EveryFindingPassesItsTargetsCheck) {
  const fs::path root = fs::path(QS_TEST_DATA_DIR) / "fuzz-regressions";
  std::vector<fs::path> inputs;
  for (const auto& target : fs::directory_iterator(root)) {
    if (!target.is_directory()) continue;
    for (const auto& f : fs::directory_iterator(target.path()))
      if (f.is_regular_file()) inputs.push_back(f.path());
  }
  std::sort(inputs.begin(), inputs.end());
  ASSERT_FALSE(inputs.empty()) << "no regression inputs under " << root;
  for (const auto& p : inputs) {
    const std::string target = p.parent_path().filename().string();
    EXPECT_EQ(Check(target, test::ReadFile(p.string())), "") << p;
  }
}

// Every check runs on the degenerate inputs every target must survive.
TEST(FuzzRegression, ChecksHoldOnDegenerateInputs) {
  const std::vector<std::string> inputs = {"",
                                           std::string(1, '\0'),
                                           "\r",
                                           "\n",
                                           "\"",
                                           "[",
                                           "_",
                                           "\r\n_\r\n",
                                           "Begin",
                                           "BEGIN",
                                           "Attribute",
                                           "&H",
                                           std::string(300, '('),
                                           "\xff\xfe\x00"};
  for (const auto& bytes : inputs) {
    for (const char* target :
         {"fuzz_tokenize_code", "fuzz_tokenize_vbp", "fuzz_tokenize_form", "fuzz_tokenize_class",
          "fuzz_parse_vbp", "fuzz_parse_form_header", "fuzz_parse_class_header", "fuzz_code_scan",
          "fuzz_whole_run", "fuzz_doc_comments", "fuzz_project_group", "fuzz_declarators"}) {
      EXPECT_EQ(Check(target, bytes), "") << target << " on " << testing::PrintToString(bytes);
    }
  }
}

}  // namespace
}  // namespace qs
