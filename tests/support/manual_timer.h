#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "update/periodic_timer.h"

namespace korv::testing {

// A timer that ticks only when the test says so.
class ManualTimer : public PeriodicTimer {
public:
    explicit ManualTimer(std::function<void()> tick) : tick_(std::move(tick)) {}
    void start() override { running_ = true; }
    void stop() override { running_ = false; }
    bool running() const override { return running_; }

    // One period passes: ticks when running.
    void elapse() {
        if (running_) tick_();
    }

private:
    std::function<void()> tick_;
    std::atomic<bool> running_{false};
};

// Hands out a ManualTimer and remembers it for the test.
struct ManualTimerFactory {
    ManualTimer* timer = nullptr;
    TimerFactory factory() {
        return [this](std::function<void()> tick) {
            auto made = std::make_unique<ManualTimer>(std::move(tick));
            timer = made.get();
            return made;
        };
    }
};

}  // namespace korv::testing
