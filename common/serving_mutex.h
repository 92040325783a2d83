#pragma once

#include <atomic>

#include "common/waiter.h"

namespace korv {

// A mutex that waits through a Waiter: on the window thread, waiting for it goes on carrying out
// window operations handed over by the thread that holds it. Usable with std::lock_guard.
class ServingMutex {
public:
    explicit ServingMutex(Waiter& waiter) : waiter_(waiter) {}
    ServingMutex(const ServingMutex&) = delete;
    ServingMutex& operator=(const ServingMutex&) = delete;

    void lock();
    bool try_lock();
    void unlock();

private:
    Waiter& waiter_;
    std::atomic<bool> held_{false};
};

}  // namespace korv
