// The yield point: long loops of the core pass through it once per token, statement, report
// line and exported record, and there a run gives way to a request to stop.
//
// A run installs its stop flag for its own thread (and its helper threads) with StopFlagScope.
// Each thread counts its yield points down from kYieldInterval, so the per-token cost is one
// decrement and one branch; when the count reaches 0 the thread's stop flag is read, and a set
// flag throws RunStopped. Once a stop has been seen every later yield point of the thread throws
// again, so a catch clause that swallows the exception only delays the end by one step.
// Threads without a flag (a command-line run, a test) only count.
#pragma once

#include <atomic>
#include <cstdint>

namespace qs {

/// How many yield points pass between two reads of the stop flag.
inline constexpr uint32_t kYieldInterval = 256;

/// Thrown by a yield point of a thread whose run has been asked to stop. Deliberately not a
/// std::exception: handlers that turn exceptions into "internal error" must not take it.
struct RunStopped {};

namespace detail {
// Per thread; in a program (the core is never a shared library) a yield point reads it at a
// fixed offset from the thread pointer.
extern constinit thread_local uint32_t g_yieldCountdown;
void YieldSlow();
}  // namespace detail

/// While an object of this type lives, in_pFlag is the stop flag of the thread that made it
/// (null: none). The previous flag comes back when it goes.
class StopFlagScope {
 public:
  explicit StopFlagScope(const std::atomic<bool>* in_pFlag);
  ~StopFlagScope();
  StopFlagScope(const StopFlagScope&) = delete;
  StopFlagScope& operator=(const StopFlagScope&) = delete;

 private:
  const std::atomic<bool>* m_previous;
};

/// The stop flag of this thread, for a helper thread to install it too (null: none).
const std::atomic<bool>* CurrentStopFlag();

/// Whether this thread's run has been asked to stop.
bool StopRequested();

/// Throws RunStopped when this thread's run has been asked to stop, whatever the count.
void ThrowIfStopped();

/// How many times this thread's count has reached 0 so far: the yield points it passed, in
/// units of kYieldInterval (a measure of the work done, independent of the clock).
uint64_t YieldPointChecks();

/// The yield point. Called once per token and per item by the long loops.
inline void YieldPoint() {
  if (--detail::g_yieldCountdown == 0) detail::YieldSlow();
}

}  // namespace qs
