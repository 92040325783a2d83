#include "coordinator/success_delay.h"

namespace korv {

SuccessDelay monotonicDelay(Waiter& waiter) {
    return [&waiter](std::chrono::microseconds length, const std::function<bool()>& cancelled) {
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        // "More than" the length: the first microsecond after it.
        const auto deadline = start + length + std::chrono::microseconds(1);
        while (Clock::now() < deadline) {
            if (waiter.waitUntil(cancelled, deadline)) return false;
        }
        return !cancelled();
    };
}

}  // namespace korv
