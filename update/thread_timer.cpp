#include "update/thread_timer.h"

namespace korv {

using Clock = std::chrono::steady_clock;

Clock::time_point nextTickAfter(Clock::time_point phase, Clock::duration period,
                                Clock::time_point now) {
    if (now < phase) return phase + period;
    auto elapsedPeriods = (now - phase) / period;
    return phase + (elapsedPeriods + 1) * period;
}

ThreadTimer::ThreadTimer(Clock::duration period, std::function<void()> tick)
    : period_(period), tick_(std::move(tick)), thread_([this] { run(); }) {}

ThreadTimer::~ThreadTimer() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void ThreadTimer::start() {
    {
        std::lock_guard lock(mutex_);
        if (running_) return;
        running_ = true;
        phase_ = Clock::now();
    }
    changed_.notify_all();
}

void ThreadTimer::stop() {
    {
        std::lock_guard lock(mutex_);
        running_ = false;
    }
    changed_.notify_all();
}

bool ThreadTimer::running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

void ThreadTimer::run() {
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (!running_) {
            changed_.wait(lock, [this] { return quit_ || running_; });
            continue;
        }
        const auto phase = phase_;
        const auto due = nextTickAfter(phase, period_, Clock::now());
        changed_.wait_until(lock, due, [&] { return quit_ || !running_ || phase_ != phase; });
        if (quit_ || !running_ || phase_ != phase || Clock::now() < due) continue;
        lock.unlock();
        tick_();
        lock.lock();
    }
}

TimerFactory ThreadTimer::factory(Clock::duration period) {
    return [period](std::function<void()> tick) -> std::unique_ptr<PeriodicTimer> {
        return std::make_unique<ThreadTimer>(period, std::move(tick));
    };
}

}  // namespace korv
