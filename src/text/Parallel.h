// The one way a run puts work on more than one thread. Every thread of a run is started here:
//
// - ParallelFor: a bounded for-each, on the caller's thread and on helpers;
// - RunAlongside: one piece of work on a thread of its own while the caller does another;
// - WorkerGroup: threads started one by one and joined together (a pipeline's stages).
//
// A thread started here runs under the starting thread's stop flag (text/Yield.h) and thread
// budget; a failure of its work is rethrown on the thread that joins it, once every thread of the
// call is joined. When no thread can be had (the budget is spent, or the system refuses one), the
// work runs on the caller's thread instead, in an order that keeps every wait satisfiable: work
// given to RunAlongside's side, or to WorkerGroup::Start, is done before the call returns.
//
// The budget (ThreadBudget) is the run's cap on threads: --jobs N allows N threads in all, the
// run's own included, so N = 1 runs everything on the caller's thread. Without a budget (the
// default) each part uses the threads it asks for.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace qs {

/// How many threads the work of a run may use at once, its own thread included.
class ThreadBudget {
 public:
  /// in_nThreads threads in all (the caller's included); 0 sets no cap.
  explicit ThreadBudget(unsigned in_nThreads);
  ThreadBudget(const ThreadBudget&) = delete;
  ThreadBudget& operator=(const ThreadBudget&) = delete;

  /// Threads in all, 0 when there is no cap.
  unsigned Size() const { return m_size; }
  /// Takes one further thread; false when the budget has none left.
  bool Take();
  /// Gives a thread taken back.
  void Give();

 private:
  unsigned m_size;
  std::atomic<int> m_free;
};

/// While an object of this type lives, in_pBudget is the budget of the thread that made it (null:
/// none, no cap). The previous budget comes back when it goes.
class ThreadBudgetScope {
 public:
  explicit ThreadBudgetScope(ThreadBudget* in_pBudget);
  ~ThreadBudgetScope();
  ThreadBudgetScope(const ThreadBudgetScope&) = delete;
  ThreadBudgetScope& operator=(const ThreadBudgetScope&) = delete;

 private:
  ThreadBudget* m_previous;
};

/// The budget of this thread (null: no cap).
ThreadBudget* CurrentThreadBudget();

/// How many threads a part of the run should plan for, its caller's included: in_nWanted (0: one
/// per processor), at most the budget's size when there is a cap. At least 1.
unsigned ThreadsFor(unsigned in_nWanted);

/// Threads started by this file since the program began (for tests that count them).
uint64_t ThreadsStarted();

/// Threads started one by one, each with a piece of work, and joined together.
class WorkerGroup {
 public:
  WorkerGroup() = default;
  /// Joins every thread; a failure not yet rethrown by Join is dropped (the caller is already
  /// leaving by an exception of its own).
  ~WorkerGroup();
  WorkerGroup(const WorkerGroup&) = delete;
  WorkerGroup& operator=(const WorkerGroup&) = delete;

  /// Starts in_fWork on a thread of its own when the budget and the system allow one; false
  /// (and in_fWork not run) when not.
  bool TryStart(std::function<void()> in_fWork);
  /// Starts in_fWork on a thread of its own, or runs it on this thread at once when none can be
  /// had (its failure is then kept for Join like a thread's).
  void Start(std::function<void()> in_fWork);
  /// Threads running or ended but not yet joined.
  size_t Threads() const { return m_threads.size(); }
  /// Waits for every thread; rethrows the first failure of any work of the group.
  void Join();

 private:
  void Keep(std::exception_ptr in_oError);
  std::vector<std::thread> m_threads;
  std::mutex m_lock;
  std::exception_ptr m_error;
};

/// Calls in_fWork(i) once for every i in [0, in_nCount): on this thread and on at most
/// in_nThreads - 1 helpers (0: one thread per processor, within the budget); returns when every
/// call has ended. After a failure no further index is begun, and the first failure is rethrown
/// once every helper is joined.
void ParallelFor(size_t in_nCount, const std::function<void(size_t)>& in_fWork,
                 unsigned in_nThreads = 0);

/// Runs in_fSide on a thread of its own (on this one, first, when no thread can be had) while
/// in_fHere runs on this thread; returns once both are done. A failure of either is rethrown
/// here, once the other thread is joined.
void RunAlongside(const std::function<void()>& in_fSide, const std::function<void()>& in_fHere);

}  // namespace qs
