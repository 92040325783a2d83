#pragma once

#include <chrono>
#include <functional>

#include "common/waiter.h"

namespace korv {

// Waits more than `length` on the monotonic clock, unless cancelled() becomes true first.
// Returns true when the whole time has passed. Holds only the calling thread.
using SuccessDelay = std::function<bool(std::chrono::microseconds length, const std::function<bool()>& cancelled)>;

// The real delay: the steady clock, woken early through the waiter when cancelled.
SuccessDelay monotonicDelay(Waiter& waiter);

}  // namespace korv
