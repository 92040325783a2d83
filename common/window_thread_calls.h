#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <type_traits>

#include "common/waiter.h"

namespace korv {

// Carries out calls on the window thread for other threads, each caller waiting until its call
// has run, in the order of the calls of each thread. The window thread runs them from its event
// loop when woken through wakeLoop, and also while it waits through this object (waitUntil), so
// that it never blocks a thread that is waiting for it. No allocation per call.
//
// An update makes two calls per image byte from the reader thread, microseconds apart. So that
// each does not cost a wake-up of the event loop and a sleep of the caller, the window thread
// stays in serve() for a short linger after the last call, and a caller first spins briefly for
// its result before it sleeps.
class WindowThreadCalls : public Waiter {
public:
    static constexpr std::chrono::microseconds kLinger{200};
    static constexpr std::chrono::microseconds kCallerSpin{200};

    // The constructing thread is the window thread. wakeLoop asks its event loop to call serve()
    // soon; it may be called from any thread.
    explicit WindowThreadCalls(std::function<void()> wakeLoop);
    WindowThreadCalls(const WindowThreadCalls&) = delete;
    WindowThreadCalls& operator=(const WindowThreadCalls&) = delete;

    bool onWindowThread() const { return std::this_thread::get_id() == windowThread_; }

    // Runs f on the window thread and returns when it has run (at once when already there).
    // After shutDown() the call is dropped.
    template <class F>
    void call(F&& f) {
        if (onWindowThread()) {
            f();
            return;
        }
        auto trampoline = [](void* callable) { (*static_cast<std::remove_reference_t<F>*>(callable))(); };
        Pending pending{trampoline, &f};
        handOver(pending);
    }

    // Window thread: carries out every call handed over so far, and those that follow within
    // the linger.
    void serve();
    // Window thread: no further calls are carried out; waiting callers return at once.
    void shutDown();

    bool waitUntil(const std::function<bool()>& done, Clock::time_point deadline) override;
    using Waiter::waitUntil;
    void wake() override;

private:
    struct Pending {
        void (*run)(void*);
        void* callable;
        Pending* next = nullptr;
        std::atomic<bool> done{false};
    };

    void handOver(Pending& pending);
    // Runs the queued calls; expects mutex_ held and returns with it held.
    void runQueued(std::unique_lock<std::mutex>& lock);

    const std::thread::id windowThread_;
    const std::function<void()> wakeLoop_;
    std::mutex mutex_;
    std::condition_variable changed_;
    Pending* head_ = nullptr;
    Pending* tail_ = nullptr;
    std::atomic<int> queued_{0};  // readable without the lock, for spinning
    std::atomic<bool> shutDown_{false};
    bool windowWaiting_ = false;   // in waitUntil: sleeps on changed_
    bool windowServing_ = false;   // in serve(): will see a new call without being woken
    bool loopWakePending_ = false;
};

}  // namespace korv
