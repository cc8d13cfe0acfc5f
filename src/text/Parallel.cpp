#include "text/Parallel.h"

#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

#include "text/Yield.h"

namespace qs {

void RunAlongside(const std::function<void()>& in_fSide, const std::function<void()>& in_fHere) {
  std::exception_ptr sideError;
  const std::atomic<bool>* stopFlag = CurrentStopFlag();
  const auto side = [&] {
    try {
      const StopFlagScope scope(stopFlag);
      in_fSide();
    } catch (...) {
      // Rethrown below once the thread is joined, as if it had failed on this thread.
      sideError = std::current_exception();
    }
  };
  std::thread thread;
  try {
    thread = std::thread(side);
  } catch (const std::system_error&) {
    side();  // no thread: run here first
  }
  try {
    in_fHere();
  } catch (...) {
    // The thread is joined before the failure goes on to the caller.
    if (thread.joinable()) thread.join();
    throw;
  }
  if (thread.joinable()) thread.join();
  if (sideError) std::rethrow_exception(sideError);
}

}  // namespace qs
