// The coordinator with its real threads: the serial reader on a pty with the device simulator at
// the other end, the one-second timer thread, and this thread as the window thread. Run under
// the TSan preset these show the reactions of the three threads kept apart.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "coordinator/hiSimpleForm_2008870.h"
#include "support/fake_window.h"
#include "support/simulator_process.h"

namespace korv {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::FakeWindow;
using testing::SimulatorProcess;

class CoordinatorThreads : public ::testing::Test {
protected:
    // delayLength: how long the success wait really lasts here (the coordinator asks for 15 s).
    void build(std::chrono::microseconds delayLength) {
        form = std::make_unique<TClassSimpleForm_2008870>(FormParts{
            [this] {
                auto w = std::make_unique<FakeWindow>();
                window = w.get();
                return w;
            },
            TClassMultiElementEx_2078BB0::defaultTimers(),
            [this, delayLength](Waiter& waiter) -> SuccessDelay {
                SuccessDelay real = monotonicDelay(waiter);
                return [this, real, delayLength](std::chrono::microseconds, const std::function<bool()>& cancelled) {
                    waiting = true;
                    return real(delayLength, cancelled);
                };
            }});
        form->run();
    }
    void TearDown() override {
        form.reset();
        delivery::switchOff();
    }

    bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 20s) {
        const auto deadline = Clock::now() + timeout;
        while (!condition()) {
            if (Clock::now() > deadline) return false;
            std::this_thread::sleep_for(2ms);
        }
        return true;
    }

    void identifyAndWrite(const SimulatorProcess& sim) {
        window->choose(sim.port());
        ASSERT_TRUE(waitFor([&] { return form->identifier().LinkState() == Identified; }));
        window->WriteClicked(Value(0));
    }

    FakeWindow* window = nullptr;
    std::atomic<bool> waiting{false};
    std::unique_ptr<TClassSimpleForm_2008870> form;
};

TEST_F(CoordinatorThreads, CloseDuringAnUploadEndsPromptly) {
    build(15'000'000us);
    SimulatorProcess sim({});
    identifyAndWrite(sim);
    ASSERT_TRUE(waitFor([&] { return window->position() >= 20; }));
    const auto start = Clock::now();
    window->CloseWindow();
    EXPECT_LT(Clock::now() - start, 2s);
    form.reset();  // everything destroyed, the timer thread joined
    EXPECT_EQ(sim.stop(), 1);
    EXPECT_NE(sim.field("bytes_received"), "130048");
}

TEST_F(CoordinatorThreads, CloseDuringTheWaitWithSilenceTicksShowsNoSuccess) {
    build(15'000'000us);
    SimulatorProcess sim({"--image-size", "256"});  // complete after the first block
    identifyAndWrite(sim);
    ASSERT_TRUE(waitFor([&] { return waiting.load(); }));
    std::this_thread::sleep_for(3500ms);  // three or more silence ticks fall into the wait
    const auto start = Clock::now();
    window->CloseWindow();
    EXPECT_LT(Clock::now() - start, 2s);
    for (const auto& op : window->takeLog()) {
        EXPECT_EQ(op.find("SuccessText"), std::string::npos) << op;
        EXPECT_EQ(op.find("ErrorLine"), std::string::npos) << op;
    }
    EXPECT_EQ(sim.stop(), 0);
    EXPECT_EQ(sim.field("pusk_seen"), "true");
}

TEST_F(CoordinatorThreads, SilenceTicksDuringTheWaitLeaveTheSuccessScreen) {
    build(3'500'000us);
    SimulatorProcess sim({"--image-size", "256"});
    identifyAndWrite(sim);
    ASSERT_TRUE(waitFor([&] {
        auto log = window->takeLog();
        for (const auto& op : log) {
            EXPECT_EQ(op.find("ErrorLine"), std::string::npos) << op;
            if (op == "SetVisible(SuccessText,1)") return true;
        }
        return false;
    }));
    std::this_thread::sleep_for(3500ms);  // later silence ticks find the success flag set
    for (const auto& op : window->takeLog()) EXPECT_EQ(op.find("ErrorLine"), std::string::npos) << op;
    window->OkClicked(Value());
    EXPECT_EQ(sim.stop(), 0);
}

}  // namespace
}  // namespace korv
