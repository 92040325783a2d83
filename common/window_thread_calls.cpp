#include "common/window_thread_calls.h"

namespace korv {

namespace {
using SpinClock = std::chrono::steady_clock;

// Tells the processor this is a spin-wait, without giving up the time slice.
inline void spinPause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}
}  // namespace

WindowThreadCalls::WindowThreadCalls(std::function<void()> wakeLoop)
    : windowThread_(std::this_thread::get_id()), wakeLoop_(std::move(wakeLoop)) {}

void WindowThreadCalls::handOver(Pending& pending) {
    bool wakeLoop = false;
    {
        std::lock_guard lock(mutex_);
        if (shutDown_) return;
        if (tail_ != nullptr) {
            tail_->next = &pending;
        } else {
            head_ = &pending;
        }
        tail_ = &pending;
        queued_.fetch_add(1, std::memory_order_release);
        // A window thread waiting or serving here sees the call; otherwise its loop is woken,
        // once for however many calls arrive before it serves them.
        wakeLoop = !windowWaiting_ && !windowServing_ && !loopWakePending_;
        loopWakePending_ = loopWakePending_ || wakeLoop;
        if (windowWaiting_) changed_.notify_all();
    }
    if (wakeLoop) wakeLoop_();
    const auto spinUntil = SpinClock::now() + kCallerSpin;
    while (!pending.done.load(std::memory_order_acquire) && !shutDown_.load() && SpinClock::now() < spinUntil) {
        spinPause();
    }
    if (pending.done.load(std::memory_order_acquire)) return;
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return pending.done.load() || shutDown_.load(); });
}

void WindowThreadCalls::runQueued(std::unique_lock<std::mutex>& lock) {
    while (head_ != nullptr && !shutDown_) {
        Pending* pending = head_;
        head_ = pending->next;
        if (head_ == nullptr) tail_ = nullptr;
        queued_.fetch_sub(1, std::memory_order_relaxed);
        lock.unlock();
        pending->run(pending->callable);
        lock.lock();
        pending->done.store(true, std::memory_order_release);
        changed_.notify_all();
    }
}

void WindowThreadCalls::serve() {
    std::unique_lock lock(mutex_);
    loopWakePending_ = false;
    windowServing_ = true;
    auto idleSince = SpinClock::now();
    for (;;) {
        if (head_ != nullptr) {
            runQueued(lock);
            idleSince = SpinClock::now();
            continue;
        }
        if (shutDown_ || SpinClock::now() - idleSince > kLinger) break;
        lock.unlock();
        while (queued_.load(std::memory_order_acquire) == 0 && SpinClock::now() - idleSince <= kLinger) {
            spinPause();
        }
        lock.lock();
    }
    windowServing_ = false;
}

void WindowThreadCalls::shutDown() {
    std::lock_guard lock(mutex_);
    shutDown_ = true;
    head_ = tail_ = nullptr;
    queued_ = 0;
    changed_.notify_all();
}

bool WindowThreadCalls::waitUntil(const std::function<bool()>& done, Clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    const bool serving = onWindowThread();
    for (;;) {
        if (serving) runQueued(lock);
        if (done()) return true;
        if (serving && head_ != nullptr && !shutDown_) continue;
        if (Clock::now() >= deadline) return false;
        windowWaiting_ = windowWaiting_ || serving;
        if (deadline == Clock::time_point::max()) {
            changed_.wait(lock);
        } else {
            changed_.wait_until(lock, deadline);
        }
        if (serving) windowWaiting_ = false;
    }
}

void WindowThreadCalls::wake() {
    std::lock_guard lock(mutex_);
    changed_.notify_all();
}

}  // namespace korv
