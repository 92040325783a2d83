#include "common/window_thread_calls.h"

namespace korv {

WindowThreadCalls::WindowThreadCalls(std::function<void()> wakeLoop)
    : windowThread_(std::this_thread::get_id()), wakeLoop_(std::move(wakeLoop)) {}

void WindowThreadCalls::handOver(Pending& pending) {
    std::unique_lock lock(mutex_);
    if (shutDown_) return;
    if (tail_ != nullptr) {
        tail_->next = &pending;
    } else {
        head_ = &pending;
    }
    tail_ = &pending;
    // A window thread already waiting here serves the call; otherwise its loop is woken, once
    // for however many calls arrive before it serves them.
    bool wakeLoop = !windowWaiting_ && !loopWakePending_;
    loopWakePending_ = loopWakePending_ || wakeLoop;
    changed_.notify_all();
    if (wakeLoop) {
        lock.unlock();
        wakeLoop_();
        lock.lock();
    }
    changed_.wait(lock, [&] { return pending.done || shutDown_; });
}

void WindowThreadCalls::runQueued(std::unique_lock<std::mutex>& lock) {
    while (head_ != nullptr && !shutDown_) {
        Pending* pending = head_;
        head_ = pending->next;
        if (head_ == nullptr) tail_ = nullptr;
        lock.unlock();
        pending->run(pending->callable);
        lock.lock();
        pending->done = true;
        changed_.notify_all();
    }
}

void WindowThreadCalls::serve() {
    std::unique_lock lock(mutex_);
    loopWakePending_ = false;
    runQueued(lock);
}

void WindowThreadCalls::shutDown() {
    std::lock_guard lock(mutex_);
    shutDown_ = true;
    head_ = tail_ = nullptr;
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
