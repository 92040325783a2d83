#include "common/blocking_waiter.h"

namespace korv {

bool BlockingWaiter::waitUntil(const std::function<bool()>& done, Clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    if (deadline == Clock::time_point::max()) {
        changed_.wait(lock, done);
        return true;
    }
    return changed_.wait_until(lock, deadline, done);
}

void BlockingWaiter::wake() {
    // Taking the lock orders this wake after any check of done() already under way.
    { std::lock_guard lock(mutex_); }
    changed_.notify_all();
}

}  // namespace korv
