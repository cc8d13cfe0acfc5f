#include "text/Parallel.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <utility>

#include "text/Yield.h"

namespace qs {

namespace {

constinit thread_local ThreadBudget* t_budget = nullptr;
std::atomic<uint64_t> g_started{0};

}  // namespace

ThreadBudget::ThreadBudget(unsigned in_nThreads)
    : m_size(in_nThreads), m_free(in_nThreads == 0 ? 0 : static_cast<int>(in_nThreads) - 1) {}

bool ThreadBudget::Take() {
  if (m_size == 0) return true;
  int free = m_free.load();
  while (free > 0) {
    if (m_free.compare_exchange_weak(free, free - 1)) return true;
  }
  return false;
}

void ThreadBudget::Give() {
  if (m_size != 0) m_free.fetch_add(1);
}

ThreadBudgetScope::ThreadBudgetScope(ThreadBudget* in_pBudget) : m_previous(t_budget) {
  t_budget = in_pBudget;
}

ThreadBudgetScope::~ThreadBudgetScope() {
  t_budget = m_previous;
}

ThreadBudget* CurrentThreadBudget() {
  return t_budget;
}

unsigned ThreadsFor(unsigned in_nWanted) {
  unsigned n = in_nWanted != 0 ? in_nWanted : std::thread::hardware_concurrency();
  if (t_budget && t_budget->Size() != 0) n = std::min(n, t_budget->Size());
  return std::max(1u, n);
}

uint64_t ThreadsStarted() {
  return g_started.load();
}

WorkerGroup::~WorkerGroup() {
  for (std::thread& t : m_threads)
    if (t.joinable()) t.join();
}

void WorkerGroup::Keep(std::exception_ptr in_oError) {
  const std::lock_guard<std::mutex> lock(m_lock);
  if (!m_error) m_error = std::move(in_oError);
}

bool WorkerGroup::TryStart(std::function<void()> in_fWork) {
  ThreadBudget* budget = t_budget;
  if (budget && !budget->Take()) return false;
  const std::atomic<bool>* stopFlag = CurrentStopFlag();
  std::thread worker;
  try {
    // Room to keep the thread is made before it starts: a started thread that cannot be kept
    // (and so joined) would end the program.
    if (m_threads.size() == m_threads.capacity())
      m_threads.reserve(std::max<size_t>(4, 2 * m_threads.size()));
    worker = std::thread([this, budget, stopFlag, work = std::move(in_fWork)] {
      const StopFlagScope stopScope(stopFlag);
      const ThreadBudgetScope budgetScope(budget);
      try {
        work();
      } catch (...) {
        // Rethrown by Join on the thread that waits for the group.
        Keep(std::current_exception());
      }
      if (budget) budget->Give();
    });
  } catch (const std::system_error&) {
    // No thread to be had: the caller is told, and decides where the work runs.
    if (budget) budget->Give();
    return false;
  } catch (...) {
    // Out of memory: the thread taken from the budget is given back, and the failure goes on to
    // the caller.
    if (budget) budget->Give();
    throw;
  }
  g_started.fetch_add(1);
  m_threads.push_back(std::move(worker));
  return true;
}

void WorkerGroup::Start(std::function<void()> in_fWork) {
  // TryStart leaves the function as it was when it starts no thread.
  if (TryStart(in_fWork)) return;
  try {
    in_fWork();
  } catch (const RunStopped&) {
    throw;  // a stop ends the caller's work too
  } catch (...) {
    // Rethrown by Join, as a thread's failure would be.
    Keep(std::current_exception());
  }
}

void WorkerGroup::Join() {
  for (std::thread& t : m_threads)
    if (t.joinable()) t.join();
  m_threads.clear();
  std::exception_ptr error;
  {
    const std::lock_guard<std::mutex> lock(m_lock);
    error = std::exchange(m_error, nullptr);
  }
  if (error) std::rethrow_exception(error);
}

void ParallelFor(size_t in_nCount, const std::function<void(size_t)>& in_fWork,
                 unsigned in_nThreads) {
  if (in_nCount == 0) return;
  std::atomic<size_t> next{0};
  std::atomic<bool> failed{false};
  const auto loop = [&] {
    try {
      for (size_t i = next++; i < in_nCount && !failed.load(); i = next++) in_fWork(i);
    } catch (...) {
      // The others begin no further index; the failure reaches the caller.
      failed.store(true);
      throw;
    }
  };
  const size_t helpers = std::min<size_t>(ThreadsFor(in_nThreads) - 1, in_nCount - 1);
  WorkerGroup group;
  for (size_t h = 0; h < helpers; ++h)
    if (!group.TryStart(loop)) break;
  try {
    loop();
  } catch (...) {
    // The helpers are joined (their failures dropped) before this one goes on to the caller.
    failed.store(true);
    try {
      group.Join();
    } catch (...) {
      // The caller's own failure is the one reported.
      (void)0;
    }
    throw;
  }
  group.Join();
}

void RunAlongside(const std::function<void()>& in_fSide, const std::function<void()>& in_fHere) {
  WorkerGroup group;
  group.Start(in_fSide);
  try {
    in_fHere();
  } catch (...) {
    // The side's thread is joined (its failure dropped) before this one goes on to the caller.
    try {
      group.Join();
    } catch (...) {
      // This thread's own failure is the one reported.
      (void)0;
    }
    throw;
  }
  group.Join();
}

}  // namespace qs
