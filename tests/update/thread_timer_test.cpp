#include "update/thread_timer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace korv {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(NextTickAfter, StaysOnTheGridOfTheStart) {
    const Clock::time_point phase{1000ms};
    EXPECT_EQ(nextTickAfter(phase, 1000ms, phase), phase + 1000ms);
    EXPECT_EQ(nextTickAfter(phase, 1000ms, phase + 999ms), phase + 1000ms);
    EXPECT_EQ(nextTickAfter(phase, 1000ms, phase + 1000ms), phase + 2000ms);
    // A tick handled late does not shift later ticks...
    EXPECT_EQ(nextTickAfter(phase, 1000ms, phase + 1300ms), phase + 2000ms);
    // ...and ticks missed meanwhile are skipped rather than delivered in a burst.
    EXPECT_EQ(nextTickAfter(phase, 1000ms, phase + 5500ms), phase + 6000ms);
}

// Counts ticks and lets the test wait for a number of them without sleeping blindly.
struct TickCounter {
    std::mutex mutex;
    std::condition_variable changed;
    int ticks = 0;
    void tick() {
        std::lock_guard lock(mutex);
        ++ticks;
        changed.notify_all();
    }
    bool waitFor(int n) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 10s, [&] { return ticks >= n; });
    }
};

TEST(ThreadTimer, TicksOnItsOwnThreadUntilStopped) {
    TickCounter counter;
    std::atomic<std::thread::id> tickThread{};
    ThreadTimer timer(1ms, [&] {
        tickThread = std::this_thread::get_id();
        counter.tick();
    });
    EXPECT_FALSE(timer.running());
    timer.start();
    EXPECT_TRUE(timer.running());
    ASSERT_TRUE(counter.waitFor(3));
    EXPECT_NE(tickThread.load(), std::this_thread::get_id());
    timer.stop();
    EXPECT_FALSE(timer.running());
    int atStop = 0;
    {
        std::lock_guard lock(counter.mutex);
        atStop = counter.ticks;
    }
    // A tick already under way may still finish; none begins after stop() returned.
    timer.start();
    ASSERT_TRUE(counter.waitFor(atStop + 2));
}

TEST(ThreadTimer, StopFromInsideATickAndDestroyWhileRunning) {
    TickCounter counter;
    std::atomic<ThreadTimer*> self{nullptr};
    auto timer = std::make_unique<ThreadTimer>(1ms, [&] {
        self.load()->stop();
        counter.tick();
    });
    self = timer.get();
    timer->start();
    ASSERT_TRUE(counter.waitFor(1));
    timer->start();
    ASSERT_TRUE(counter.waitFor(2));
    timer->start();
    timer.reset();  // joins without hanging, a tick possibly under way
    EXPECT_GE(counter.ticks, 2);
}

}  // namespace
}  // namespace korv
