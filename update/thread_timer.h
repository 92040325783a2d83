#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include "update/periodic_timer.h"

namespace korv {

// The first tick due after `now` for a timer started at `phase` with `period`: ticks stay on
// the grid phase + k * period, and ticks missed while a tick ran long are skipped, not bunched.
std::chrono::steady_clock::time_point nextTickAfter(std::chrono::steady_clock::time_point phase,
                                                   std::chrono::steady_clock::duration period,
                                                   std::chrono::steady_clock::time_point now);

// A periodic timer on a thread of its own, drift-free on the steady clock. The thread lives as
// long as the timer and is joined on destruction.
class ThreadTimer : public PeriodicTimer {
public:
    ThreadTimer(std::chrono::steady_clock::duration period, std::function<void()> tick);
    ~ThreadTimer() override;

    void start() override;
    void stop() override;
    bool running() const override;

    static TimerFactory factory(std::chrono::steady_clock::duration period);

private:
    void run();

    const std::chrono::steady_clock::duration period_;
    const std::function<void()> tick_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool running_ = false;
    bool quit_ = false;
    std::chrono::steady_clock::time_point phase_;
    std::thread thread_;  // last: starts after, and is joined before, the state above goes
};

}  // namespace korv
