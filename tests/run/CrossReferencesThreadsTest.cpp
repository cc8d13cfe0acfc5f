// Cross references whatever the threads: the resolver reads the modules' declarations and walks
// their code on the run's threads (text/Parallel.h), so --jobs 1 starts no thread at all, and any
// number of threads gives the same answers and the same export.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <sstream>
#include <string>
#include <thread>

#include "model/CrossReferences.h"
#include "output/answers/ReferenceAnswers.h"
#include "run/RunExports.h"
#include "run/clsVBInfo.h"
#include "support/TestFolder.h"
#include "text/Parallel.h"

// On Linux (without a sanitizer, whose runtime has a pthread_create of its own) every thread the
// program starts is counted, however it is started (std::thread too): this program's
// pthread_create stands before the C library's.
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define QS_COUNT_SYSTEM_THREADS 1
#include <dlfcn.h>
#include <pthread.h>

namespace {
std::atomic<uint64_t> g_threadsCreated{0};
}  // namespace

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*start)(void*),
                              void* arg) {
  using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
  static const auto real = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
  g_threadsCreated.fetch_add(1);
  return real(thread, attr, start, arg);
}
#endif

namespace qs {
namespace {

// Threads started so far: every one where they are counted, else those of text/Parallel.h.
uint64_t ThreadsCreated() {
#ifdef QS_COUNT_SYSTEM_THREADS
  return g_threadsCreated.load();
#else
  return ThreadsStarted();
#endif
}

using test::Crlf;
using test::ReadFile;
using test::TestFolder;

// A project of several modules that use each other's names (so that the walks of several runs of
// modules are merged), with implicit locals, labels, members of a class and names nothing
// declares.
void WriteProject(const TestFolder& dir) {
  constexpr int kModules = 12;
  std::string vbp = "Type=Exe\nClass=clsItem; item.cls\n";
  for (int m = 0; m < kModules; ++m) {
    const std::string k = std::to_string(m);
    const std::string next = std::to_string((m + 1) % kModules);
    vbp += "Module=mod" + k + "; m" + k + ".bas\n";
    std::string code = "Attribute VB_Name = \"mod" + k + "\"\nPublic gCount" + k + " As Long\n";
    for (int p = 0; p < 20; ++p) {
      const std::string n = std::to_string(p);
      code += "Public Function Work" + n + "(ByVal v As Long) As Long\n  Dim it As New clsItem\n" +
              "  it.Price = v: total" + n + " = it.Total(2) + gCount" + next + "\n  If v > " + n +
              " Then GoTo Done\n  Work" + n + " = mod" + next + ".Work" + n + "(v + 1)\nDone:\n" +
              "  MsgBox total" + n + ": Work" + n + " = Work" + n + " + Unknown" + n + "\n" +
              "End Function\n";
    }
    dir.Write("m" + k + ".bas", Crlf(code));
  }
  dir.Write("item.cls",
            Crlf("VERSION 1.0 CLASS\nBEGIN\n  MultiUse = -1\nEND\nAttribute VB_Name = \"clsItem\"\n"
                 "Public Price As Long\nPublic Function Total(ByVal n As Long) As Long\n"
                 "  Total = Price * n\nEnd Function\nPrivate Sub Unused()\nEnd Sub\n"));
  dir.Write("P.vbp", Crlf(vbp));
}

// What a run with the given thread budget answers, and how many threads it started.
struct Answers {
  std::string text;
  uint64_t threads = 0;
};

Answers AnswersWith(const TestFolder& dir, unsigned threads, bool exported) {
  clsVBInfo info;
  info.Settings().crossReferences = true;
  info.Settings().threads = threads;
  info.Settings().writeReport = exported;
  info.Settings().outDir = dir / "out";
  const uint64_t before = ThreadsCreated();
  info.GetFileInfo(dir / "P.vbp");
  Answers a;
  a.threads = ThreadsCreated() - before;
  EXPECT_TRUE(info.RunCompleted()) << info.FailureReason();
  std::ostringstream out, err;
  for (const char* name : {"mod3.gCount3", "mod0.Work7", "clsItem.Total", "clsItem.Price",
                           "mod5.Work19.total19", "mod11.Work0.Done"})
    AnswerRefs(info.Analysis(), name, "", out, err);
  AnswerUnused(info.Analysis(), false, "", out);
  for (const auto& [name, count] : info.CrossRefs().external) out << name << " " << count << "\n";
  a.text = out.str() + err.str();
  if (exported) {
    std::string path, reason;
    EXPECT_TRUE(WriteRunProjectJson(info, dir / "P.vbp", ExportOptions{}, path, reason)) << reason;
    a.text += ReadFile(path);
  }
  return a;
}

TEST(CrossReferencesThreads, OneJobStartsNoThreadAndAnyNumberAnswersTheSame) {
  TestFolder dir("xref-threads");
  WriteProject(dir);
  for (const bool exported : {false, true}) {
    const Answers one = AnswersWith(dir, 1, exported);
    EXPECT_EQ(one.threads, 0u) << (exported ? "export" : "question");
    // The answers are the project's: its names resolved across modules, its externals counted.
    EXPECT_NE(one.text.find("m3.bas:2:8: declaration: Public gCount3 As Long"), std::string::npos)
        << one.text;
    EXPECT_NE(one.text.find("Unknown19 12\n"), std::string::npos) << one.text;
    EXPECT_NE(one.text.find("unused sub clsItem.Unused"), std::string::npos) << one.text;
    for (const unsigned threads : {2u, 3u, 0u}) {
      const Answers many = AnswersWith(dir, threads, exported);
      EXPECT_EQ(many.text, one.text) << threads << (exported ? " threads, export" : " threads");
      // The count sees the threads of a run that may have some.
      if (threads != 1 && std::thread::hardware_concurrency() > 1) {
        EXPECT_GT(many.threads, 0u);
      }
    }
  }
}

}  // namespace
}  // namespace qs
