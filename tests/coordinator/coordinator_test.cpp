#include "coordinator/hiSimpleForm_2008870.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "common/blocking_waiter.h"
#include "common/cp1251.h"
#include "serial/posix_port_access.h"
#include "support/fake_window.h"
#include "support/manual_timer.h"
#include "support/pty_pair.h"
#include "update/hex_text.h"

namespace korv {
namespace {

using namespace std::chrono_literals;
using testing::FakeWindow;

const std::vector<std::string> kEndScreen = {
    "SetVisible(PortList,0)",   "SetVisible(StatusField,0)", "SetVisible(ProgressBar,0)",
    "SetVisible(WriteButton,0)", "SetVisible(VersionLabel,0)", "SetWindowEnabled(1)",
    "SetVisible(OkButton,1)"};

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<std::string> errorLines(int v) {
    const std::string s = std::to_string(v);
    return {"SetVisible(ErrorLine2," + s + ")", "SetVisible(ErrorLine1," + s + ")",
            "SetVisible(ErrorPicture," + s + ")"};
}
const std::vector<std::string> kSuccessText = {"SetVisible(SuccessText,1)"};
const std::vector<std::string> kWriteOps = {"SetEnabled(WriteButton,0)", "SetWindowEnabled(0)"};

// The coordinator with a fake window, the real exchanges and a real (mostly closed) serial port;
// received chunks are raised as the reader thread would, the timer ticks by hand and the
// 15-second wait is a fake that records its length.
class Coordinator : public ::testing::Test {
protected:
    Coordinator()
        : form(FormParts{[this] {
                             auto w = std::make_unique<FakeWindow>();
                             window = w.get();
                             return w;
                         },
                         timers.factory(), [this](Waiter&) -> SuccessDelay {
                             return [this](std::chrono::microseconds length, const std::function<bool()>&) {
                                 delays.push_back(length);
                                 if (duringDelay) std::exchange(duringDelay, nullptr)();
                                 return !std::exchange(cancelNextDelay, false);
                             };
                         }}) {}

    void SetUp() override {
        form.run();
        window->takeLog();  // the ports this machine has
    }
    void TearDown() override { delivery::switchOff(); }

    void chunk(const Bytes& bytes) { form.serialPort().DataReceived(Value::text(bytes)); }
    Bytes checksumBytes() {
        auto crc = hex::read(window->text(Control::CrcField));
        return {static_cast<char>(crc >> 8), static_cast<char>(crc & 0xFF)};
    }

    // Steps: I identify, W press "Записать", B block reply, F final reply, X unexpected reply,
    // T three silence ticks from the timer thread during the next wait, C a close during it.
    void drive(const std::string& steps) {
        for (char step : steps) {
            switch (step) {
                case 'I':
                    chunk("KORVANDELIX DEV2 1.8");
                    window->takeLog();
                    break;
                case 'W':
                    window->WriteClicked(Value(0));
                    break;
                case 'B':
                    chunk(checksumBytes());
                    break;
                case 'F':
                    chunk(checksumBytes() + "FZ");
                    break;
                case 'X':
                    chunk("\x01");
                    break;
                case 'T':
                    duringDelay = [this] {
                        // The ticks come while the reader waits; they run once it lets go.
                        tickThread = std::thread([this] {
                            for (int i = 0; i < 3; ++i) form.exchange().tick();
                        });
                    };
                    break;
                case 'C':
                    cancelNextDelay = true;
                    break;
            }
        }
        if (tickThread.joinable()) tickThread.join();
    }

    FakeWindow* window = nullptr;
    testing::ManualTimerFactory timers;
    std::vector<std::chrono::microseconds> delays;
    std::function<void()> duringDelay;
    bool cancelNextDelay = false;
    std::thread tickThread;
    TClassSimpleForm_2008870 form;
};

struct Transition {
    const char* name;
    std::string steps;
    std::vector<std::string> expected;  // window operations after identification
};

class CoordinatorTransitions : public Coordinator, public ::testing::WithParamInterface<Transition> {};

TEST_P(CoordinatorTransitions, GiveTheWindowOperationsInOrder) {
    drive(GetParam().steps);
    EXPECT_EQ(window->takeLog(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CoordinatorTransitions,
    ::testing::Values(
        Transition{"ChunkBeforeWrite", "IX", kEndScreen + errorLines(1)},
        Transition{"Success", "IWF", kWriteOps + kEndScreen + kSuccessText},
        Transition{"SuccessAfterBlocks", "IWBBBF", kWriteOps + kEndScreen + kSuccessText},
        Transition{"Failure", "IWBX", kWriteOps + kEndScreen + errorLines(1)},
        Transition{"FailureAgainChangesNothingVisible", "IWXX",
                   kWriteOps + kEndScreen + errorLines(1) + kEndScreen + errorLines(1)},
        Transition{"SilenceDuringTheWaitHasNoEffect", "IWTF", kWriteOps + kEndScreen + kSuccessText},
        Transition{"DoneAfterFailureShowsSuccessBesideErrors", "IWXF",
                   kWriteOps + kEndScreen + errorLines(1) + kEndScreen + kSuccessText},
        Transition{"SecondDoneTurnsTheFlagBack", "IWFFX",
                   kWriteOps + kEndScreen + kSuccessText + kEndScreen + kSuccessText + kEndScreen +
                       errorLines(0)},
        Transition{"CloseDuringTheWaitShowsNoSuccess", "IWCF", kWriteOps}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Coordinator, TheWaitIsMoreThanFifteenSecondsAndTheFlagFlipsBeforeIt) {
    bool flagDuringWait = false;
    duringDelay = [&] { flagDuringWait = form.successFlag(); };
    drive("IWF");
    ASSERT_EQ(delays.size(), 1u);
    EXPECT_EQ(delays[0], 15'000'000us);
    EXPECT_TRUE(flagDuringWait);
    drive("F");
    EXPECT_FALSE(form.successFlag());
}

TEST_F(Coordinator, AcceptedAnswerShowsTheDeviceThenLocksTheListAndEnablesWrite) {
    chunk("KORVANDELIX DEV2 1.8");
    const Bytes status = cp1251::fromUtf8("Устройство: DEV2   Текущая версия ПО: 1.8");
    EXPECT_EQ(window->takeLog(), (std::vector<std::string>{"SetText(StatusField," + status + ")",
                                                            "SetEnabled(PortList,0)", "SetEnabled(WriteButton,1)"}));
    // From now on chunks go to the update exchange, never back to the identification.
    chunk("KORVANDELIX X Y");
    EXPECT_EQ(window->takeLog(), kEndScreen + errorLines(1));
}

TEST_F(Coordinator, RejectedAnswersKeepIdentifying) {
    chunk("HELLO");
    chunk("KORVANDELIX DEV2 1.8");
    const Bytes failure = cp1251::fromUtf8("На этом порту устройств не найдено.");
    auto log = window->takeLog();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0], "SetText(StatusField," + failure + ")");
    EXPECT_EQ(log[2], "SetEnabled(PortList,0)");
}

TEST_F(Coordinator, APortThatCannotBeOpenedShowsTheFailureText) {
    window->choose("/dev/no-such-port");
    const Bytes failure = cp1251::fromUtf8("На этом порту устройств не найдено.");
    EXPECT_EQ(window->takeLog(), std::vector<std::string>{"SetText(StatusField," + failure + ")"});
}

TEST_F(Coordinator, ADeviceThatNeverAnswersChangesNothingAfterVers) {
    testing::PtyPair device;
    window->choose(device.path());
    EXPECT_EQ(device.readFor(50ms), "VERS");
    EXPECT_TRUE(window->takeLog().empty());
}

TEST_F(Coordinator, ChoosingASecondPortClosesTheFirst) {
    testing::PtyPair first;
    testing::PtyPair second;
    window->choose(first.path());
    EXPECT_FALSE(posix_port::openExclusive(first.path()).isOpen());
    window->choose(second.path());
    EXPECT_TRUE(posix_port::openExclusive(first.path()).isOpen());
    EXPECT_FALSE(posix_port::openExclusive(second.path()).isOpen());
    EXPECT_EQ(second.readFor(50ms), "VERS");
}

TEST_F(Coordinator, OkClosesTheWindowAndThePort) {
    testing::PtyPair device;
    window->choose(device.path());
    window->OkClicked(Value());
    EXPECT_EQ(window->takeLog(), std::vector<std::string>{"closed"});
    EXPECT_TRUE(posix_port::openExclusive(device.path()).isOpen());
    EXPECT_FALSE(delivery::isOn());
}

TEST_F(Coordinator, WriteSendsTheFirstBlockBeforeLockingTheWindow) {
    testing::PtyPair device;
    window->choose(device.path());
    EXPECT_EQ(device.readFor(20ms), "VERS");
    device.write("KORVANDELIX DEV2 1.8");
    for (int i = 0; i < 500 && form.identifier().LinkState() != Identified; ++i) std::this_thread::sleep_for(2ms);
    ASSERT_EQ(form.identifier().LinkState(), Identified);
    window->takeLog();
    window->WriteClicked(Value(0));
    EXPECT_EQ(window->takeLog(), kWriteOps);
    const std::string sent = device.readFor(50ms);
    auto image = builtInFirmware();
    ASSERT_EQ(sent.size(), kBlockSize);
    EXPECT_TRUE(std::equal(sent.begin(), sent.end(), image.begin(),
                           [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }));
    EXPECT_NE(window->text(Control::CrcField), "FFFF");
}

class CoordinatorStartUp : public ::testing::Test {
protected:
    void TearDown() override { delivery::switchOff(); }
};

TEST_F(CoordinatorStartUp, FillsThePortListWithNothingChosen) {
    testing::PtyPair port;
    ::setenv("KORVANDELIX_EXTRA_PORTS", port.path().c_str(), 1);
    FakeWindow* window = nullptr;
    testing::ManualTimerFactory timers;
    TClassSimpleForm_2008870 form(FormParts{[&] {
                                                auto w = std::make_unique<FakeWindow>();
                                                window = w.get();
                                                return w;
                                            },
                                            timers.factory()});
    EXPECT_TRUE(window->takeLog().empty());  // nothing is delivered while building
    form.run();
    ::unsetenv("KORVANDELIX_EXTRA_PORTS");
    auto log = window->takeLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "AddEntry(" + port.path() + ")");
    for (const auto& op : log) EXPECT_EQ(op.rfind("AddEntry(", 0), 0u) << op;
}

TEST(MonotonicDelay, WaitsMoreThanTheLengthUnlessCancelled) {
    BlockingWaiter waiter;
    SuccessDelay delay = monotonicDelay(waiter);
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(delay(3000us, [] { return false; }));
    EXPECT_GT(std::chrono::steady_clock::now() - start, 3000us);

    std::atomic<bool> closing{false};
    std::thread closer([&] {
        std::this_thread::sleep_for(20ms);
        closing = true;
        waiter.wake();
    });
    start = std::chrono::steady_clock::now();
    EXPECT_FALSE(delay(std::chrono::microseconds(60'000'000), [&] { return closing.load(); }));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    closer.join();
}

}  // namespace
}  // namespace korv
