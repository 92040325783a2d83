#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "common/window_thread_calls.h"

namespace korv::testing {

// A stand-in for the window thread's event loop: woken through the hook, it serves the calls.
class FakeLoop {
public:
    FakeLoop() : calls([this] { woken = true; }) {}

    // Runs the loop until `finished` holds, serving whenever woken, as an event loop would.
    void runUntil(const std::function<bool()>& finished) {
        while (!finished()) {
            if (woken.exchange(false)) calls.serve();
            std::this_thread::yield();
        }
    }

    std::atomic<bool> woken{false};
    WindowThreadCalls calls;
};

}  // namespace korv::testing
