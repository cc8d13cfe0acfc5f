// Failures injected into whole runs, at every allocation a run makes in turn: the allocation fails
// (std::bad_alloc), or an internal error is raised in its place (a std::exception of another kind,
// as any library call that allocates may raise). Wherever it strikes, the user gets either exactly
// the report of an undisturbed run, or hears what went wrong: out of memory fails the run ("out
// of memory", no report); an internal error fails it ("internal error: ...") or, where the design
// goes on without the part it cut short, leaves a warning that names the file. A report that
// lacks something nobody was told of is the fault these runs look for.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "parser/clsParser.h"
#include "run/clsVBInfo.h"
#include "support/TestFolder.h"

namespace {

// The allocation counter of this test program. While armed, every allocation is counted, on
// every thread, and the one numbered g_failAt fails with the kind asked for.
std::atomic<bool> g_armed{false};
std::atomic<long long> g_count{0};
std::atomic<long long> g_failAt{-1};
std::atomic<bool> g_internalError{false};
constexpr const char* kInjected = "injected fault";

}  // namespace

void* operator new(std::size_t in_nBytes) {
  if (g_armed.load(std::memory_order_relaxed) &&
      g_count.fetch_add(1, std::memory_order_relaxed) == g_failAt.load(std::memory_order_relaxed)) {
    if (g_internalError.load()) throw std::runtime_error(kInjected);
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(in_nBytes ? in_nBytes : 1)) return p;
  throw std::bad_alloc();
}
// Every other form takes its memory from the one above and gives it back to free, so that no
// block is allocated by one allocator and freed by another (AddressSanitizer brings its own).
void* operator new[](std::size_t in_nBytes) {
  return ::operator new(in_nBytes);
}
void* operator new(std::size_t in_nBytes, const std::nothrow_t&) noexcept {
  try {
    return ::operator new(in_nBytes);
  } catch (...) {
    // The nothrow form answers a failure, injected or real, with no memory.
    return nullptr;
  }
}
void* operator new[](std::size_t in_nBytes, const std::nothrow_t& in_tag) noexcept {
  return ::operator new(in_nBytes, in_tag);
}
// Not inlined: the compiler would pair the callers' new with the free in here.
[[gnu::noinline]] void operator delete(void* in_p) noexcept {
  std::free(in_p);
}
[[gnu::noinline]] void operator delete(void* in_p, std::size_t) noexcept {
  std::free(in_p);
}
[[gnu::noinline]] void operator delete(void* in_p, const std::nothrow_t&) noexcept {
  std::free(in_p);
}
[[gnu::noinline]] void operator delete[](void* in_p) noexcept {
  std::free(in_p);
}
[[gnu::noinline]] void operator delete[](void* in_p, std::size_t) noexcept {
  std::free(in_p);
}
[[gnu::noinline]] void operator delete[](void* in_p, const std::nothrow_t&) noexcept {
  std::free(in_p);
}

namespace qs {
namespace {

using test::TestFolder;

// A form, two modules and a class, each with declarations of every kind the report lists.
std::string WriteProject(const TestFolder& dir) {
  dir.Write("frmMain.frm", test::Crlf("VERSION 5.00\n"
                                      "Begin VB.Form frmMain\n"
                                      "   Caption = \"Main\"\n"
                                      "   Begin VB.TextBox txtName\n"
                                      "      Text = \"name\"\n"
                                      "   End\n"
                                      "End\n"
                                      "Attribute VB_Name = \"frmMain\"\n"
                                      "Private mCount As Long\n"
                                      "Private Sub Form_Load()\n"
                                      "    mCount = 1\n"
                                      "End Sub\n"));
  dir.Write("modA.bas",
            test::Crlf("Attribute VB_Name = \"modA\"\n"
                       "Option Explicit\n"
                       "Public Const kLimit As Long = 10\n"
                       "Public Type tPoint\n"
                       "    X As Long\n"
                       "    Y As Long\n"
                       "End Type\n"
                       "Public Declare Function GetTickCount Lib \"kernel32\" () As Long\n"
                       "Public Function Twice(ByVal n As Long) As Long\n"
                       "    Twice = n * 2\n"
                       "End Function\n"));
  dir.Write("modB.bas", test::Crlf("Attribute VB_Name = \"modB\"\n"
                                   "Public gTotal As Long\n"
                                   "Public Enum eColour\n"
                                   "    Red = 1\n"
                                   "    Green\n"
                                   "End Enum\n"
                                   "Public Sub AddUp(Optional ByVal n As Long = 1)\n"
                                   "    gTotal = gTotal + Twice(n)\n"
                                   "End Sub\n"));
  dir.Write("clsItem.cls", test::Crlf("VERSION 1.0 CLASS\n"
                                      "BEGIN\n"
                                      "  MultiUse = -1\n"
                                      "END\n"
                                      "Attribute VB_Name = \"clsItem\"\n"
                                      "Private mName As String\n"
                                      "Public Property Get Name() As String\n"
                                      "    Name = mName\n"
                                      "End Property\n"
                                      "Public Event Changed()\n"));
  return dir.Write("Inject.vbp", test::Crlf("Type=Exe\n"
                                            "Form=frmMain.frm\n"
                                            "Module=modA; modA.bas\n"
                                            "Module=modB; modB.bas\n"
                                            "Class=clsItem; clsItem.cls\n"
                                            "Name=\"Inject\"\n"));
}

struct Outcome {
  bool written = false;
  std::string failure;
  std::vector<std::string> warnings;
  std::string report;  // the report's bytes when it was written
  int ends = 0;        // times EvtEnd was raised
};

// One run of the project into its own fresh output folder; the failure (if any) strikes at the
// allocation numbered in_nFailAt.
Outcome RunOnce(const std::string& in_sProject, const TestFolder& in_oOut, unsigned in_nThreads,
                bool in_bCrossReferences, long long in_nFailAt,
                long long* out_pAllocations = nullptr) {
  std::filesystem::remove_all(in_oOut.Path() / "run");
  Outcome o;
  clsVBInfo info;
  info.Settings().outDir = in_oOut / "run";
  info.Settings().stamp = "Monday, December 7, 2026 14:05:09";
  info.Settings().programFolder = in_oOut / "program";
  info.Settings().loadThreads = in_nThreads;
  info.Settings().crossReferences = in_bCrossReferences;
  info.EvtEnd = [&o] { ++o.ends; };
  g_count.store(0);
  g_failAt.store(in_nFailAt);
  g_armed.store(true);
  info.GetFileInfo(in_sProject);
  g_armed.store(false);
  if (out_pAllocations) *out_pAllocations = g_count.load();
  o.written = info.ReportWritten();
  o.failure = info.FailureReason();
  o.warnings = info.Warnings();
  if (o.written) o.report = test::ReadFile(info.HtmlListing());
  return o;
}

struct InjectionCase {
  const char* what;
  bool internalError;  // false: the allocation fails (out of memory)
  unsigned loadThreads;
  bool crossReferences;
};

TEST(InjectedFailure, EveryFailureIsReportedOrLeavesTheReportWhole) {
  const std::vector<InjectionCase> cases = {
      {"out of memory, one loading thread", false, 1, false},
      {"out of memory, helper threads loading, cross references", false, 4, true},
      {"internal error, one loading thread", true, 1, false},
      {"internal error, helper threads loading, cross references", true, 4, true},
  };
  TestFolder dir("injected-failure");
  const std::string project = WriteProject(dir);
  TestFolder out("injected-failure-out");

  for (const InjectionCase& c : cases) {
    SCOPED_TRACE(c.what);
    g_internalError.store(c.internalError);
    long long allocations = 0;
    const Outcome whole = RunOnce(project, out, c.loadThreads, c.crossReferences, -1, &allocations);
    ASSERT_TRUE(whole.written) << whole.failure;
    ASSERT_TRUE(whole.warnings.empty()) << whole.warnings.front();
    ASSERT_NE(whole.report.find("AddUp"), std::string::npos);
    ASSERT_GT(allocations, 100);

    int failedRuns = 0;
    std::set<std::string> warningsSeen;
    // Every allocation in turn (a run makes a few thousand); where threads share the count, the
    // one struck differs from run to run, but every outcome must still be a told one.
    for (long long at = 0; at < allocations; ++at) {
      const Outcome o = RunOnce(project, out, c.loadThreads, c.crossReferences, at);
      SCOPED_TRACE("failure at allocation " + std::to_string(at));
      ASSERT_EQ(o.ends, 1);
      if (!o.written) {
        ++failedRuns;
        ASSERT_EQ(o.failure, c.internalError ? std::string("internal error: ") + kInjected
                                             : std::string("out of memory"));
        continue;
      }
      ASSERT_EQ(o.failure, "");
      if (o.warnings.empty()) {
        // Nothing was lost: the report is the undisturbed run's, byte for byte.
        ASSERT_EQ(o.report, whole.report);
        continue;
      }
      // Out of memory never leaves a run going on with a part missing.
      ASSERT_TRUE(c.internalError) << o.warnings.front();
      for (const std::string& w : o.warnings) {
        EXPECT_NE(w.find(kInjected), std::string::npos) << w;
        warningsSeen.insert(w);
      }
    }
    EXPECT_GT(failedRuns, 0);
    if (c.internalError && c.loadThreads == 1) {
      // A module whose analysis the failure cut short is named, with what happened, for every
      // source file (their analysis is what most of a run's allocations are for).
      const std::string ended = std::string(": ") + std::string(kModuleAnalysisEnded) + ": ";
      for (const char* file : {"frmMain.frm", "modA.bas", "modB.bas", "clsItem.cls"})
        EXPECT_TRUE(warningsSeen.count(file + ended + kInjected)) << file;
      const std::string header = std::string(": ") + std::string(kHeaderNotRead) + ": ";
      EXPECT_TRUE(warningsSeen.count("modA.bas" + header + kInjected));
      EXPECT_TRUE(warningsSeen.count("frmMain.frm" + header + kInjected));
      EXPECT_TRUE(warningsSeen.count(std::string("some lines of the project file were not read: ") +
                                     kInjected));
    }
  }
}

}  // namespace
}  // namespace qs
