#pragma once

#include <chrono>
#include <functional>

namespace korv {

// How a thread waits for something another thread does. The window's implementation keeps
// carrying out the operations handed to the window thread while that thread waits, so that a
// thread waiting for the window and the window waiting for it cannot block each other.
class Waiter {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~Waiter() = default;

    // Blocks until done() holds or the deadline has passed; returns done(). done() is evaluated
    // with the waiter's own lock held; whoever changes what it looks at calls wake() afterwards.
    virtual bool waitUntil(const std::function<bool()>& done, Clock::time_point deadline) = 0;
    void waitUntil(const std::function<bool()>& done) { waitUntil(done, Clock::time_point::max()); }

    virtual void wake() = 0;
};

}  // namespace korv
