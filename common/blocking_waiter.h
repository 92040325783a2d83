#pragma once

#include <condition_variable>
#include <mutex>

#include "common/waiter.h"

namespace korv {

// A waiter for programs and tests without a window thread: it simply blocks.
class BlockingWaiter : public Waiter {
public:
    bool waitUntil(const std::function<bool()>& done, Clock::time_point deadline) override;
    using Waiter::waitUntil;
    void wake() override;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
};

}  // namespace korv
