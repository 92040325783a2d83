#include "common/window_thread_calls.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "common/serving_mutex.h"
#include "support/fake_loop.h"

namespace korv {
namespace {

using namespace std::chrono_literals;

using testing::FakeLoop;

TEST(WindowThreadCalls, CallsFromAnotherThreadRunOnTheWindowThreadInOrder) {
    FakeLoop loop;
    const auto windowThread = std::this_thread::get_id();
    std::vector<int> order;
    std::atomic<bool> allOnWindowThread{true};
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        for (int i = 0; i < 1000; ++i) {
            loop.calls.call([&, i] {
                if (std::this_thread::get_id() != windowThread) allOnWindowThread = false;
                order.push_back(i);
            });
            // The effect is complete when the call returns.
            if (order.size() != static_cast<std::size_t>(i + 1)) allOnWindowThread = false;
        }
        finished = true;
    });
    loop.runUntil([&] { return finished.load(); });
    worker.join();
    ASSERT_EQ(order.size(), 1000u);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(order[i], i);
    EXPECT_TRUE(allOnWindowThread);
}

TEST(WindowThreadCalls, ACallOnTheWindowThreadRunsAtOnce) {
    FakeLoop loop;
    int ran = 0;
    loop.calls.call([&] { ++ran; });
    EXPECT_EQ(ran, 1);
    EXPECT_FALSE(loop.woken);
}

TEST(WindowThreadCalls, WindowThreadServesCallsWhileItWaits) {
    FakeLoop loop;
    std::atomic<bool> workerDone{false};
    int served = 0;
    std::thread worker([&] {
        for (int i = 0; i < 10; ++i) loop.calls.call([&] { ++served; });
        workerDone = true;
        loop.calls.wake();
    });
    // The window thread waits for the worker, which itself waits for the window thread.
    loop.calls.waitUntil([&] { return workerDone.load(); });
    worker.join();
    EXPECT_EQ(served, 10);
}

TEST(WindowThreadCalls, WaitWithDeadlineGivesUp) {
    FakeLoop loop;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(loop.calls.waitUntil([] { return false; }, start + 5ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 5ms);
}

TEST(WindowThreadCalls, ShutDownReleasesWaitingCallersAndDropsLaterCalls) {
    FakeLoop loop;
    std::atomic<int> ran{0};
    std::thread caller([&] { loop.calls.call([&] { ++ran; }); });
    while (!loop.woken) std::this_thread::yield();
    loop.calls.shutDown();
    caller.join();
    std::thread late([&] { loop.calls.call([&] { ++ran; }); });
    late.join();
    EXPECT_EQ(ran, 0);
}

TEST(ServingMutex, WindowThreadWaitingForTheLockServesItsHolder) {
    FakeLoop loop;
    ServingMutex mutex(loop.calls);
    std::atomic<bool> holding{false};
    int servedWhileHeld = 0;
    std::thread holder([&] {
        std::lock_guard lock(mutex);
        holding = true;
        // Like an output handler that updates the window while the exchange's lock is held.
        for (int i = 0; i < 5; ++i) loop.calls.call([&] { ++servedWhileHeld; });
    });
    while (!holding) std::this_thread::yield();
    {
        std::lock_guard lock(mutex);  // would deadlock with a plain mutex
        EXPECT_EQ(servedWhileHeld, 5);
    }
    holder.join();
}

}  // namespace
}  // namespace korv
