#include "text/Yield.h"

namespace qs {
namespace {
constinit thread_local const std::atomic<bool>* t_stopFlag = nullptr;
constinit thread_local uint64_t t_checks = 0;
}  // namespace

namespace detail {
constinit thread_local uint32_t g_yieldCountdown = kYieldInterval;

void YieldSlow() {
  ++t_checks;
  g_yieldCountdown = kYieldInterval;
  ThrowIfStopped();
}
}  // namespace detail

StopFlagScope::StopFlagScope(const std::atomic<bool>* in_pFlag) : m_previous(t_stopFlag) {
  t_stopFlag = in_pFlag;
  detail::g_yieldCountdown = kYieldInterval;
}

StopFlagScope::~StopFlagScope() {
  t_stopFlag = m_previous;
  detail::g_yieldCountdown = kYieldInterval;
}

const std::atomic<bool>* CurrentStopFlag() {
  return t_stopFlag;
}

bool StopRequested() {
  return t_stopFlag != nullptr && t_stopFlag->load(std::memory_order_relaxed);
}

void ThrowIfStopped() {
  if (!StopRequested()) return;
  // The next yield point checks again at once: the stop reaches past any catch clause that
  // swallowed this one.
  detail::g_yieldCountdown = 1;
  throw RunStopped();
}

uint64_t YieldPointChecks() {
  return t_checks;
}

}  // namespace qs
