// Tokenizer throughput: TokenizeEx over a generated 10 MB Visual Basic source.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "text/ClsString.h"
#include "text/clsToken.h"
#include "text/clsTokenStream.h"

namespace {

// A small deterministic generator (linear congruential), so every run measures the same text.
class Random {
 public:
  explicit Random(uint64_t seed) : m_state(seed) {}
  uint32_t Next(uint32_t bound) {
    m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(m_state >> 33) % bound;
  }
  template <size_t N>
  const char* Pick(const char* const (&words)[N]) {
    return words[Next(N)];
  }

 private:
  uint64_t m_state;
};

const char* const kNames[] = {"lCount",   "sName",     "oItem",    "vValue", "i",
                              "nIndex",   "m_sBuffer", "bFound",   "rsData", "frmMain",
                              "txtInput", "colItems",  "dblTotal", "x",      "strPath"};
const char* const kTypes[] = {"Long",    "String", "Integer", "Boolean",
                              "Variant", "Double", "Object",  "Collection"};
const char* const kCalls[] = {
    "MsgBox",    "Debug.Print",        "DoEvents", "Call ProcessItem", "RaiseEvent Changed",
    "Unload Me", "Set oItem = Nothing"};
const char* const kWords[] = {"the",   "value", "is",    "checked", "before", "use",
                              "count", "of",    "items", "returns", "a",      "new",
                              "path",  "when",  "empty", "error",   "file",   "line"};

void Sentence(Random& r, std::string& out, int words) {
  for (int i = 0; i < words; ++i) {
    if (i) out += ' ';
    out += r.Pick(kWords);
  }
}

void Statement(Random& r, std::string& out, int indent) {
  out.append(static_cast<size_t>(indent), ' ');
  switch (r.Next(8)) {
    case 0:
      out += "Dim ";
      out += r.Pick(kNames);
      out += " As ";
      out += r.Pick(kTypes);
      break;
    case 1:
      out += r.Pick(kNames);
      out += " = \"";
      Sentence(r, out, 1 + static_cast<int>(r.Next(5)));
      out += r.Next(4) == 0 ? " \"\"quoted\"\"\"" : "\"";
      break;
    case 2:
      out += r.Pick(kNames);
      out += " = ";
      out += r.Pick(kNames);
      out += " + ";
      out += std::to_string(r.Next(1000));
      out += " * (";
      out += r.Pick(kNames);
      out += " - &H1F)";
      break;
    case 3:
      out += "If ";
      out += r.Pick(kNames);
      out += " <> ";
      out += std::to_string(r.Next(100));
      out += " And Not bFound Then ";
      out += r.Pick(kCalls);
      break;
    case 4:
      out += r.Pick(kCalls);
      out += " ";
      out += r.Pick(kNames);
      out += ", \"";
      Sentence(r, out, 2);
      out += "\"";
      break;
    case 5:
      out += "For i = 1 To colItems.Count: ";
      out += r.Pick(kNames);
      out += "(i) = i: Next i";
      break;
    case 6:
      out += r.Pick(kNames);
      out += ".Caption = Format$(";
      out += r.Pick(kNames);
      out += ", \"0.00\") & vbCrLf";
      break;
    default:
      out += "' ";
      Sentence(r, out, 3 + static_cast<int>(r.Next(8)));
      break;
  }
  if (r.Next(6) == 0) {
    out += "  ' ";
    Sentence(r, out, 2 + static_cast<int>(r.Next(4)));
  }
  out += "\r\n";
}

// Modules of procedures with comments, declarations, blank lines and statements.
std::string GenerateSource(size_t bytes) {
  Random r(20240611);
  std::string out;
  out.reserve(bytes + 4096);
  out += "Attribute VB_Name = \"modGenerated\"\r\nOption Explicit\r\n\r\n";
  int proc = 0;
  while (out.size() < bytes) {
    out += "' ";
    Sentence(r, out, 6);
    out += "\r\n";
    const bool isFunction = r.Next(2) == 0;
    out += r.Next(3) == 0 ? "Private " : "Public ";
    out += isFunction ? "Function " : "Sub ";
    out += "Proc" + std::to_string(proc++);
    out += "(ByVal ";
    out += r.Pick(kNames);
    out += " As ";
    out += r.Pick(kTypes);
    out += ", Optional ByRef sOut As String = \"\")";
    if (isFunction) {
      out += " As ";
      out += r.Pick(kTypes);
    }
    out += "\r\n";
    const int statements = 4 + static_cast<int>(r.Next(20));
    for (int i = 0; i < statements; ++i) {
      if (r.Next(7) == 0) out += "\r\n";
      Statement(r, out, 4 * (1 + static_cast<int>(r.Next(3))));
    }
    out += isFunction ? "End Function\r\n\r\n" : "End Sub\r\n\r\n";
  }
  return out;
}

void BM_TokenizeEx(benchmark::State& state) {
  qs::ClsString text;
  text.SetText(GenerateSource(10u * 1024u * 1024u));
  int64_t tokens = 0;
  for (auto _ : state) {
    std::shared_ptr<qs::clsToken> keywords;
    std::shared_ptr<qs::clsTokenStream> stream;
    text.TokenizeEx(keywords, stream);
    tokens = stream->Count();
    benchmark::DoNotOptimize(stream);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.Length());
  state.counters["tokens"] = static_cast<double>(tokens);
  state.counters["bytes"] = static_cast<double>(text.Length());
}
BENCHMARK(BM_TokenizeEx)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
