// Running a run's work on more than one thread. Work started here runs under the starting
// thread's stop flag (text/Yield.h), and a failure of the work is rethrown on the thread that
// waits for it.
#pragma once

#include <functional>

namespace qs {

/// Runs in_fSide on a thread of its own (on this one, first, when no thread can be started) while
/// in_fHere runs on this thread, both under this thread's stop flag; returns once both are done.
/// A failure of either is rethrown here, once the other thread is joined.
void RunAlongside(const std::function<void()>& in_fSide, const std::function<void()>& in_fHere);

}  // namespace qs
