// The run's one way to use threads: every index of a for-each done once whatever the budget,
// never more threads than the budget allows, failures and the stop flag carried to the caller,
// and work that runs on the caller's thread, in an order that keeps waits satisfiable, when no
// thread can be had.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "text/Parallel.h"
#include "text/Yield.h"

namespace qs {
namespace {

TEST(Parallel, ForEachDoesEveryIndexOnceWithinTheBudget) {
  struct Case {
    unsigned budget;   // 0: no cap
    unsigned threads;  // asked of ParallelFor (0: one per processor)
    size_t count;
  };
  const Case cases[] = {{0, 4, 1000}, {1, 4, 1000}, {2, 8, 1000}, {3, 0, 50},
                        {4, 2, 1000}, {2, 4, 1},    {0, 3, 0},    {5, 16, 7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "budget " << c.budget << ", threads " << c.threads << ", count " << c.count);
    ThreadBudget budget(c.budget);
    const ThreadBudgetScope scope(&budget);
    std::vector<std::atomic<int>> done(c.count);
    std::mutex lock;
    std::set<std::thread::id> seen;
    const uint64_t before = ThreadsStarted();
    ParallelFor(
        c.count,
        [&](size_t i) {
          ++done[i];
          const std::lock_guard<std::mutex> guard(lock);
          seen.insert(std::this_thread::get_id());
        },
        c.threads);
    for (size_t i = 0; i < c.count; ++i) EXPECT_EQ(done[i].load(), 1) << i;
    const uint64_t started = ThreadsStarted() - before;
    if (c.budget != 0) {
      EXPECT_LE(started + 1, c.budget);
    }
    if (c.threads != 0) {
      EXPECT_LE(started + 1, c.threads);
    }
    EXPECT_LE(seen.size(), started + 1);
  }
}

TEST(Parallel, FailuresAndStopsReachTheCallerAfterEveryThreadEnds) {
  for (const unsigned budget : {0u, 1u, 3u}) {
    SCOPED_TRACE(testing::Message() << "budget " << budget);
    ThreadBudget threads(budget);
    const ThreadBudgetScope scope(&threads);
    std::atomic<int> running{0};
    // One index fails: the failure comes back, no index is still running, and no index is
    // begun after the failure was seen by the thread that saw it.
    EXPECT_THROW(ParallelFor(
                     200,
                     [&](size_t i) {
                       ++running;
                       if (i == 17) {
                         --running;
                         throw std::runtime_error("index 17");
                       }
                       --running;
                     },
                     4),
                 std::runtime_error);
    EXPECT_EQ(running.load(), 0);

    // A stop flag set before the work starts is seen on every thread of it.
    std::atomic<bool> stop{true};
    const StopFlagScope stopScope(&stop);
    std::atomic<int> stopped{0};
    ParallelFor(
        8,
        [&](size_t) {
          if (StopRequested()) ++stopped;
        },
        4);
    EXPECT_EQ(stopped.load(), 8);
    // The side of RunAlongside fails: rethrown once the caller's part is done.
    bool hereRan = false;
    EXPECT_THROW(RunAlongside([] { throw std::logic_error("side"); }, [&] { hereRan = true; }),
                 std::logic_error);
    EXPECT_TRUE(hereRan);
  }
}

TEST(Parallel, WithoutAThreadTheSideRunsFirstSoTheCallerMayWaitForIt) {
  // A budget of one thread: the side cannot have a thread of its own, so it must be done before
  // the caller's part, which waits for what the side sets.
  ThreadBudget one(1);
  const ThreadBudgetScope scope(&one);
  const uint64_t before = ThreadsStarted();
  std::atomic<bool> sideDone{false};
  bool sawSide = false;
  RunAlongside([&] { sideDone = true; }, [&] { sawSide = sideDone.load(); });
  EXPECT_TRUE(sawSide);
  WorkerGroup group;
  EXPECT_FALSE(group.TryStart([] {}));
  int ranHere = 0;
  group.Start([&] { ++ranHere; });
  EXPECT_EQ(ranHere, 1);
  EXPECT_EQ(group.Threads(), 0u);
  group.Start([] { throw std::runtime_error("kept for Join"); });
  EXPECT_THROW(group.Join(), std::runtime_error);
  EXPECT_EQ(ThreadsStarted(), before);
  EXPECT_EQ(ThreadsFor(0), 1u);
  EXPECT_EQ(ThreadsFor(8), 1u);

  // A budget of three: two threads at most beside the caller, given back when they end.
  ThreadBudget three(3);
  const ThreadBudgetScope scope3(&three);
  WorkerGroup two;
  std::atomic<bool> release{false};
  const auto hold = [&] {
    while (!release.load()) std::this_thread::yield();
  };
  EXPECT_TRUE(two.TryStart(hold));
  EXPECT_TRUE(two.TryStart(hold));
  EXPECT_FALSE(two.TryStart(hold));
  release = true;
  two.Join();
  EXPECT_TRUE(two.TryStart([] {}));
  two.Join();
  EXPECT_EQ(ThreadsFor(8), 3u);
}

}  // namespace
}  // namespace qs
