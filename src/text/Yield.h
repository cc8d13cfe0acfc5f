// The yield point: long loops of the core give the window system a turn through this function.
//
// By default it does nothing. A user interface installs a hook; the hook is called once every
// kYieldInterval yield points, so the per-token cost is one decrement and one branch.
//
// The count is kept per thread, and only threads that may run the hook call it: a helper thread
// of the core (loading source files, say) declares itself with YieldHookOff, and its yield points
// then only count.
#pragma once

#include <cstdint>
#include <functional>

namespace qs {

/// How many yield points pass between two calls of the installed hook.
inline constexpr uint32_t kYieldInterval = 256;

/// Installs the hook (an empty function removes it). Returns the previous hook.
std::function<void()> SetYieldHook(std::function<void()> hook);

namespace detail {
// Per thread; in a program (the core is never a shared library) a yield point reads it at a
// fixed offset from the thread pointer.
extern constinit thread_local uint32_t g_yieldCountdown;
void YieldSlow();
}  // namespace detail

/// While an object of this type lives, the yield points of the thread that made it never call
/// the hook (a hook that drives a window must run on the window's thread only).
class YieldHookOff {
 public:
  YieldHookOff();
  ~YieldHookOff();
  YieldHookOff(const YieldHookOff&) = delete;
  YieldHookOff& operator=(const YieldHookOff&) = delete;

 private:
  bool m_previous;
};

/// Calls the installed hook now, whatever the count of yield points: for a caller that waits
/// (for the disk, say) and would otherwise pass too few yield points to give any turn.
void YieldToWindowSystemNow();

/// Gives the window system a turn. Called once per token and per item by the long loops.
inline void YieldToWindowSystem() {
  if (--detail::g_yieldCountdown == 0) detail::YieldSlow();
}

}  // namespace qs
