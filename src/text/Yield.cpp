#include "text/Yield.h"

#include <utility>

namespace qs {
namespace {
std::function<void()>& Hook() {
  static std::function<void()> hook;
  return hook;
}
}  // namespace

namespace detail {
uint32_t g_yieldCountdown = kYieldInterval;

void YieldSlow() {
  g_yieldCountdown = kYieldInterval;
  auto& hook = Hook();
  if (!hook) return;
  // The hook may run window events; none of them may unwind through the core's loops.
  try {
    hook();
  } catch (...) {
  }
}
}  // namespace detail

void YieldToWindowSystemNow() {
  detail::YieldSlow();
}

std::function<void()> SetYieldHook(std::function<void()> hook) {
  std::swap(Hook(), hook);
  return hook;
}

}  // namespace qs
