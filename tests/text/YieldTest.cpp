// The yield point as the run's stop check: cheap counting without a flag, a stop within one
// interval once the flag is set, a stop that reaches past a swallowing catch clause, and flags
// that belong to one thread each.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "text/Yield.h"

namespace qs {
namespace {

// Yield points passed until one throws RunStopped; -1 when none of in_nLimit does.
long PassUntilStopped(long in_nLimit) {
  for (long i = 0; i < in_nLimit; ++i) {
    try {
      YieldPoint();
    } catch (const RunStopped&) {
      return i + 1;
    }
  }
  return -1;
}

TEST(YieldPoint, StopsWithinOneIntervalOfTheFlagAndOnlyForItsThread) {
  const long interval = static_cast<long>(kYieldInterval);
  struct Case {
    const char* name;
    bool installed;
    bool set;
    long most;  // the latest yield point that may throw; -1: none throws
  };
  const Case cases[] = {
      {"no flag", false, false, -1},
      {"flag not set", true, false, -1},
      {"flag set", true, true, interval},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::atomic<bool> flag{c.set};
    const StopFlagScope scope(c.installed ? &flag : nullptr);
    EXPECT_EQ(StopRequested(), c.set);
    EXPECT_EQ(CurrentStopFlag(), c.installed ? &flag : nullptr);
    const uint64_t checks = YieldPointChecks();
    const long at = PassUntilStopped(4 * interval);
    if (c.most < 0) {
      EXPECT_EQ(at, -1);
      EXPECT_EQ(YieldPointChecks() - checks, 4u);  // counted, one check per interval
    } else {
      EXPECT_GE(at, 1);
      EXPECT_LE(at, c.most);
      // A catch clause swallowed the stop: the very next yield point throws again.
      EXPECT_EQ(PassUntilStopped(1), 1);
      EXPECT_THROW(ThrowIfStopped(), RunStopped);
    }
  }
  // The scopes are gone: no flag, nothing throws.
  EXPECT_EQ(CurrentStopFlag(), nullptr);
  EXPECT_EQ(PassUntilStopped(2 * interval), -1);
}

TEST(YieldPoint, ScopesNestAndEachThreadHasItsOwnFlag) {
  std::atomic<bool> outer{false};
  std::atomic<bool> inner{true};
  const StopFlagScope a(&outer);
  {
    const StopFlagScope b(&inner);
    EXPECT_TRUE(StopRequested());
    // Another thread sees neither flag until it installs one of its own.
    bool otherSaw = true;
    long otherStoppedAt = 0;
    std::thread t([&] {
      otherSaw = CurrentStopFlag() != nullptr;
      otherStoppedAt = PassUntilStopped(2 * static_cast<long>(kYieldInterval));
    });
    t.join();
    EXPECT_FALSE(otherSaw);
    EXPECT_EQ(otherStoppedAt, -1);
  }
  // The inner scope's flag is gone with it, and the stop it caused does not linger.
  EXPECT_EQ(CurrentStopFlag(), &outer);
  EXPECT_EQ(PassUntilStopped(2 * static_cast<long>(kYieldInterval)), -1);
  outer = true;
  EXPECT_GE(PassUntilStopped(2 * static_cast<long>(kYieldInterval)), 1);
}

}  // namespace
}  // namespace qs
