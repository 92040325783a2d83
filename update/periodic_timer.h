#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace korv {

// A periodic timer whose ticks arrive on a thread of its own.
class PeriodicTimer {
public:
    virtual ~PeriodicTimer() = default;
    // Starts ticking; a timer already running keeps its phase. The first tick comes one period
    // after a start from the stopped state.
    virtual void start() = 0;
    // No tick begins after stop() has returned; may be called from any thread, a tick included.
    virtual void stop() = 0;
    virtual bool running() const = 0;
};

using TimerFactory = std::function<std::unique_ptr<PeriodicTimer>(std::function<void()> tick)>;

}  // namespace korv
