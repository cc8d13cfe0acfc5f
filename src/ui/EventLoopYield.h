// Gives Qt's event loop a turn while a documentation run is on the stack, so the window repaints,
// its progress timer ticks and its buttons answer.
#pragma once

#include <functional>

namespace qs {

/// How long a run may go without handing the event loop a turn, in milliseconds.
inline constexpr int kYieldPeriodMs = 15;

/// Installs the core's yield hook: at most once every in_lPeriodMs milliseconds it processes the
/// pending window events. Returns the hook that was installed before, for RemoveYieldHook.
std::function<void()> InstallYieldHook(int in_lPeriodMs = kYieldPeriodMs);

/// Puts back the hook InstallYieldHook replaced.
void RemoveYieldHook(std::function<void()> in_oPrevious);

/// Processes the pending window events now (the window's own "yield to the window system").
/// Does nothing when no application object exists.
void YieldToEventLoop();

}  // namespace qs
