// Work grows linearly with the input. The core passes a yield point once per token and per item
// in every long loop, so the number of yield points a whole run passes counts its loop steps;
// for each input shape that could tempt a scanner into rescanning (deep nesting, unclosed
// brackets and strings, long declaration lists, continuations, many controls) doubling the
// input must about double that count, never quadruple it. The report's size is held to the same
// rule. Nothing here is timed.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "run/clsVBInfo.h"
#include "support/TestFolder.h"
#include "text/Yield.h"

namespace qs {
namespace {

namespace fs = std::filesystem;
using test::TestFolder;

struct Work {
  uint64_t yields = 0;  // stop checks times the yield interval
  uint64_t reportBytes = 0;
};

// One whole run on a project with one module of the given code (and one form of the given
// form text, when not empty); returns the work it did.
Work RunOn(const std::string& tag, const std::string& code, const std::string& form = {}) {
  TestFolder dir("bounds-" + tag);
  dir.Write("m.bas", "Attribute VB_Name = \"modM\"\r\n" + code);
  std::string vbp = "Module=modM; m.bas\r\n";
  if (!form.empty()) {
    dir.Write("f.frm", form);
    vbp += "Form=f.frm\r\n";
  }
  dir.Write("P.vbp", vbp);
  clsVBInfo info;
  info.Settings().stamp = "Monday, December 7, 2026 14:05:09";
  info.Settings().programFolder = "/opt/quillscope";
  // Every file on this thread, whose stop checks are counted.
  info.Settings().loadThreads = 1;
  const uint64_t before = YieldPointChecks();
  info.GetFileInfo(dir / "P.vbp");
  const uint64_t calls = YieldPointChecks() - before;
  EXPECT_TRUE(info.ReportWritten()) << tag << ": " << info.FailureReason();
  Work w;
  w.yields = calls * kYieldInterval;
  std::error_code ec;
  w.reportBytes = fs::file_size(info.HtmlListing(), ec);
  return w;
}

std::string Repeat(const std::string& s, int n) {
  std::string out;
  out.reserve(s.size() * static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

using Shape = std::function<std::pair<std::string, std::string>(int n)>;

void ExpectLinear(const std::string& tag, const Shape& shape, int n) {
  const auto [code1, form1] = shape(n);
  const auto [code2, form2] = shape(2 * n);
  const Work w1 = RunOn(tag + "-1", code1, form1);
  const Work w2 = RunOn(tag + "-2", code2, form2);
  ASSERT_GT(w1.yields, 4 * kYieldInterval) << tag << ": input too small to count";
  // Doubling the input: between 1.5 and 2.5 times the work (a quadratic walk gives 4 times).
  EXPECT_LE(w2.yields * 2, w1.yields * 5) << tag << ": " << w1.yields << " -> " << w2.yields;
  EXPECT_GE(w2.yields * 2, w1.yields * 3) << tag << ": " << w1.yields << " -> " << w2.yields;
  EXPECT_LE(w2.reportBytes, 3 * w1.reportBytes + 65536) << tag;
  std::printf("%-18s n=%-6d yields %9llu -> %9llu (x%.2f), report %8llu -> %8llu bytes\n",
              tag.c_str(), n, static_cast<unsigned long long>(w1.yields),
              static_cast<unsigned long long>(w2.yields),
              static_cast<double>(w2.yields) / static_cast<double>(w1.yields),
              static_cast<unsigned long long>(w1.reportBytes),
              static_cast<unsigned long long>(w2.reportBytes));
}

TEST(ResourceBounds, WorkGrowsLinearlyForEveryInputShape) {
  const std::pair<const char*, Shape> shapes[] = {
      {"declarations",
       [](int n) {
         std::string code;
         for (int i = 0; i < n; ++i)
           code += "Public Const C" + std::to_string(i) + " As Long = " + std::to_string(i) +
                   "\r\nPrivate Sub S" + std::to_string(i) +
                   "(ByVal a As Long, b)\r\n  Dim x\r\nEnd Sub\r\n";
         return std::pair{code, std::string()};
       }},
      {"nesting",
       [](int n) {
         const std::string open(static_cast<size_t>(n) * 8, '(');
         const std::string close(static_cast<size_t>(n) * 8, ')');
         return std::pair{"Public Const D = " + open + "1" + close + "\r\nPublic A" + open +
                              "\r\n" + "Public Sub P(a = " + open + ")\r\nEnd Sub\r\n",
                          std::string()};
       }},
      {"unclosed-brackets",
       [](int n) {
         return std::pair{"Public " + Repeat("[a ", n * 8) + "\r\n", std::string()};
       }},
      {"unclosed-strings",
       [](int n) {
         return std::pair{Repeat("Public Const S = \"open\r\nDim [x\r\n", n), std::string()};
       }},
      {"long-lists",
       [](int n) {
         return std::pair{"Dim " + Repeat("a, ", n * 4) + "z\r\nPublic Sub L(" +
                              Repeat("p, ", n * 4) + "q)\r\nEnd Sub\r\n",
                          std::string()};
       }},
      {"continuations",
       [](int n) {
         return std::pair{"Public Const K = 1 + _\r\n" + Repeat("  1 + _\r\n", n * 4) + "  1\r\n",
                          std::string()};
       }},
      {"unclosed-blocks",
       [](int n) {
         return std::pair{Repeat("Public Type T\r\n  a As Long\r\nPublic Enum E\r\n  b\r\n", n),
                          std::string()};
       }},
      {"form-controls",
       [](int n) {
         return std::pair{std::string("Public Sub X()\r\nEnd Sub\r\n"),
                          "VERSION 5.00\r\nBegin VB.Form frmF\r\n" +
                              Repeat("Begin VB.Label lbl\r\n   Caption = \"c\"\r\n", n) +
                              Repeat("End\r\n", n) + "End\r\nAttribute VB_Name = \"frmF\"\r\n"};
       }},
  };
  for (const auto& [tag, shape] : shapes) ExpectLinear(tag, shape, 2000);
}

}  // namespace
}  // namespace qs
