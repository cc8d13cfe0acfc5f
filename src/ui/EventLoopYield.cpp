#include "ui/EventLoopYield.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <memory>
#include <utility>

#include "text/Yield.h"

namespace qs {

std::function<void()> InstallYieldHook(int in_lPeriodMs) {
  // The core calls the hook every few hundred tokens; reading a monotonic clock there costs
  // little, a trip through the event loop far more, so the trip is taken only once the period
  // has passed.
  auto since = std::make_shared<QElapsedTimer>();
  since->start();
  const qint64 period = in_lPeriodMs < 0 ? 0 : in_lPeriodMs;
  return SetYieldHook([since, period] {
    if (since->elapsed() < period) return;
    YieldToEventLoop();
    since->restart();
  });
}

void RemoveYieldHook(std::function<void()> in_oPrevious) {
  SetYieldHook(std::move(in_oPrevious));
}

void YieldToEventLoop() {
  if (QCoreApplication::instance() == nullptr) return;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace qs
