// Measures how long a documentation run keeps the window system waiting.
//
//   yield_gap_tool [--runs N] [--period MS] [--out-dir DIR] PROJECT.vbp
//
// Installs a yield hook that behaves like the window's (src/ui/EventLoopYield.cpp): it is called
// by the core every kYieldInterval yield points and hands the event loop a turn once at least
// --period milliseconds (default 15) have passed since the last turn. Instead of processing
// events it notes the time. The same driver object runs the project N times (default 2), as the
// window does when a project is documented again, so the later runs also free the earlier run's
// collections. Printed: the longest interval between two turns of the event loop (the figure a
// user feels; the start and the end of each run count as turns, as the window's event loop runs
// before and after a run), the longest interval between two calls of the hook, and where in the
// run the longest intervals lie.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/clsVBInfo.h"
#include "text/Yield.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

struct Gap {
  double ms;  // length of the interval
  double at;  // its start, in ms from the start of its run
  int run;    // 1-based run number
};

struct GapRecorder {
  double periodMs = 15;
  int run = 0;
  Clock::time_point runStart;
  Clock::time_point lastCall;
  Clock::time_point lastTurn;
  double maxCallGap = 0;
  long calls = 0;
  long turns = 0;
  std::vector<Gap> turnGaps;  // every interval between two turns

  void Begin() {
    ++run;
    runStart = lastCall = lastTurn = Clock::now();
  }
  void Turn(Clock::time_point now) {
    turnGaps.push_back(Gap{Ms(now - lastTurn), Ms(lastTurn - runStart), run});
    lastTurn = now;
    ++turns;
  }
  void Hook() {
    const auto now = Clock::now();
    ++calls;
    maxCallGap = std::max(maxCallGap, Ms(now - lastCall));
    lastCall = now;
    if (Ms(now - lastTurn) >= periodMs) Turn(now);
  }
  void End() {
    const auto now = Clock::now();
    maxCallGap = std::max(maxCallGap, Ms(now - lastCall));
    Turn(now);  // the event loop runs again once the run returns
  }
};

int Usage() {
  std::fprintf(stderr,
               "usage: yield_gap_tool [--runs N] [--period MS] [--out-dir DIR] PROJECT.vbp\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 2;
  double period = 15;
  std::string outDir;
  std::string project;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else if (a == "--period" && i + 1 < argc) {
      period = std::atof(argv[++i]);
    } else if (a == "--out-dir" && i + 1 < argc) {
      outDir = argv[++i];
    } else if (!a.empty() && a[0] != '-' && project.empty()) {
      project = a;
    } else {
      return Usage();
    }
  }
  if (project.empty() || runs < 1) return Usage();

  GapRecorder rec;
  rec.periodMs = period;
  {
    qs::clsVBInfo info;
    info.Settings().outDir = outDir;
    info.EvtBegin = [&rec] { rec.Begin(); };
    info.EvtEnd = [&rec] { rec.End(); };
    qs::SetYieldHook([&rec] { rec.Hook(); });
    for (int r = 0; r < runs; ++r) {
      const auto t0 = Clock::now();
      info.GetFileInfo(project);
      std::printf("run %d: %.1f ms, report %s\n", r + 1, Ms(Clock::now() - t0),
                  info.ReportWritten() ? "written" : info.FailureReason().c_str());
    }
    // The window's driver object dies with the window; time that too, as a last interval.
    rec.Begin();
  }
  rec.End();
  qs::SetYieldHook({});

  std::vector<Gap> gaps = rec.turnGaps;
  std::sort(gaps.begin(), gaps.end(), [](const Gap& a, const Gap& b) { return a.ms > b.ms; });
  std::printf("hook calls %ld, event loop turns %ld (period %.0f ms)\n", rec.calls, rec.turns,
              period);
  std::printf("longest interval between two hook calls: %.1f ms\n", rec.maxCallGap);
  std::printf("longest interval between two event loop turns: %.1f ms\n",
              gaps.empty() ? 0.0 : gaps.front().ms);
  std::printf("longest intervals (run %d is the driver's destruction):\n", runs + 1);
  for (size_t i = 0; i < gaps.size() && i < 8; ++i)
    std::printf("  %7.1f ms  run %d, from %.1f ms\n", gaps[i].ms, gaps[i].run, gaps[i].at);
  return 0;
}
