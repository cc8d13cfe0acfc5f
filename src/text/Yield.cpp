#include "text/Yield.h"

#include <utility>

namespace qs {
namespace {
std::function<void()>& Hook() {
  static std::function<void()> hook;
  return hook;
}

// Whether this thread's yield points may call the hook.
thread_local bool t_hookAllowed = true;
}  // namespace

namespace detail {
constinit thread_local uint32_t g_yieldCountdown = kYieldInterval;

void YieldSlow() {
  g_yieldCountdown = kYieldInterval;
  if (!t_hookAllowed) return;
  auto& hook = Hook();
  if (!hook) return;
  // The hook may run window events; none of them may unwind through the core's loops.
  try {
    hook();
  } catch (...) {
    // A failing hook costs this turn only; the loop that yielded goes on.
  }
}
}  // namespace detail

void YieldToWindowSystemNow() {
  detail::YieldSlow();
}

YieldHookOff::YieldHookOff() : m_previous(t_hookAllowed) {
  t_hookAllowed = false;
}

YieldHookOff::~YieldHookOff() {
  t_hookAllowed = m_previous;
}

std::function<void()> SetYieldHook(std::function<void()> hook) {
  std::swap(Hook(), hook);
  return hook;
}

}  // namespace qs
