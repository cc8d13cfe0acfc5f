// The yield point: long loops of the core give the window system a turn through this function.
//
// By default it does nothing. A user interface installs a hook; the hook is called once every
// kYieldInterval yield points, so the per-token cost is one decrement and one branch.
#pragma once

#include <cstdint>
#include <functional>

namespace qs {

/// How many yield points pass between two calls of the installed hook.
inline constexpr uint32_t kYieldInterval = 256;

/// Installs the hook (an empty function removes it). Returns the previous hook.
std::function<void()> SetYieldHook(std::function<void()> hook);

namespace detail {
extern uint32_t g_yieldCountdown;
void YieldSlow();
}  // namespace detail

/// Calls the installed hook now, whatever the count of yield points: for a caller that waits
/// (for the disk, say) and would otherwise pass too few yield points to give any turn.
void YieldToWindowSystemNow();

/// Gives the window system a turn. Called once per token and per item by the long loops.
inline void YieldToWindowSystem() {
  if (--detail::g_yieldCountdown == 0) detail::YieldSlow();
}

}  // namespace qs
