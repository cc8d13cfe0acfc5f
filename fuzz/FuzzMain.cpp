// The libFuzzer entry point of every target; QS_FUZZ_TARGET selects the check it runs.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qs::fuzz;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string broken;
#if QS_FUZZ_TARGET == 0
  broken = CheckTokenize(Tokenizer::Code, bytes);
#elif QS_FUZZ_TARGET == 1
  broken = CheckTokenize(Tokenizer::Vbp, bytes);
#elif QS_FUZZ_TARGET == 2
  broken = CheckTokenize(Tokenizer::Form, bytes);
#elif QS_FUZZ_TARGET == 3
  broken = CheckTokenize(Tokenizer::Class, bytes);
#elif QS_FUZZ_TARGET == 4
  broken = CheckParseVbp(bytes);
#elif QS_FUZZ_TARGET == 5
  broken = CheckParseHeader(true, bytes);
#elif QS_FUZZ_TARGET == 6
  broken = CheckParseHeader(false, bytes);
#elif QS_FUZZ_TARGET == 7
  broken = CheckCodeScan(bytes);
#elif QS_FUZZ_TARGET == 9
  broken = CheckDocComments(bytes);
#elif QS_FUZZ_TARGET == 11
  broken = CheckProjectGroup(bytes);
#elif QS_FUZZ_TARGET == 12
  broken = CheckDeclarators(bytes);
#elif QS_FUZZ_TARGET == 13
  broken = CheckConditions(bytes);
#elif QS_FUZZ_TARGET == 8
  static const auto scratch = ProcessScratch("fuzz-run");
  broken = CheckWholeRun(bytes, scratch);
#else  // 10
  static const auto scratch = ProcessScratch("fuzz-xref");
  broken = CheckCrossReferences(bytes, scratch);
#endif
  if (!broken.empty()) {
    std::fprintf(stderr, "property broken: %s\n", broken.c_str());
    std::abort();
  }
  return 0;
}
