#include "app/qt_window_operations.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "app/text_codec.h"
#include "common/delivery_switch.h"

namespace korv {
namespace {

// Runs the window thread's event loop until the condition holds or the time is up.
bool processEventsUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The window operations on a real (offscreen) window, with delivery on as after start-up.
class WindowOps : public ::testing::Test {
protected:
    WindowOps() {
        ops.Started.connect([this](const Value&) { events.push_back("Started"); });
        ops.Closing.connect([this](const Value&) { events.push_back("Closing"); });
        ops.WriteClicked.connect([this](const Value& v) { events.push_back("WriteClicked:" + v.text()); });
        ops.OkClicked.connect([this](const Value&) { events.push_back("OkClicked"); });
        ops.PortChosen.connect([this](const Value& v) {
            events.push_back("PortChosen:" + v.text() + ":" + (v.next() ? v.next()->text() : "none"));
        });
        delivery::switchOn();
        window().show();
    }
    ~WindowOps() override { delivery::switchOff(); }

    MainWindow& window() { return ops.mainWindow(); }
    QWidget* control(Control c) { return window().control(c); }

    QtWindowOperations ops;
    std::vector<std::string> events;
};

struct VisibleCase {
    const char* name;
    Value value;
    bool shown;
};

class SetVisibleReading : public WindowOps, public ::testing::WithParamInterface<VisibleCase> {};

TEST_P(SetVisibleReading, ReadsTheValueAsTruth) {
    ops.SetVisible(Control::OkButton, GetParam().value);
    EXPECT_EQ(!control(Control::OkButton)->isHidden(), GetParam().shown);
    ops.SetVisible(Control::OkButton, Value(0));
    EXPECT_TRUE(control(Control::OkButton)->isHidden());
}

INSTANTIATE_TEST_SUITE_P(Table, SetVisibleReading,
                         ::testing::Values(VisibleCase{"Zero", Value(0), false}, VisibleCase{"One", Value(1), true},
                                           VisibleCase{"MinusFive", Value(-5), true},
                                           VisibleCase{"TextZero", Value::text("0"), true},
                                           VisibleCase{"EmptyText", Value::text(""), true},
                                           VisibleCase{"Empty", Value(), true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct PositionCase {
    const char* name;
    Value value;
    int position;
};

class SetPositionReading : public WindowOps, public ::testing::WithParamInterface<PositionCase> {};

TEST_P(SetPositionReading, ReadsTheIntegerAndClamps) {
    ops.SetPosition(Value(100));
    ops.SetPosition(GetParam().value);
    EXPECT_EQ(qobject_cast<QProgressBar*>(control(Control::ProgressBar))->value(), GetParam().position);
}

INSTANTIATE_TEST_SUITE_P(Table, SetPositionReading,
                         ::testing::Values(PositionCase{"Full", Value(508), 507}, PositionCase{"Beyond", Value(1000), 507},
                                           PositionCase{"Negative", Value(-1), 0},
                                           PositionCase{"DigitsThenLetters", Value::text("12ab"), 12},
                                           PositionCase{"Letters", Value::text("ab"), 0},
                                           PositionCase{"Inside", Value(250), 250}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowOps, SetTextUsesTheTextForm) {
    ops.SetText(Control::StatusField, Value(0));
    EXPECT_EQ(qobject_cast<QLineEdit*>(control(Control::StatusField))->text(), "0");
    ops.SetText(Control::StatusField, Value());
    EXPECT_EQ(qobject_cast<QLineEdit*>(control(Control::StatusField))->text(), "");
    ops.SetText(Control::CrcField, Value::text("4B37"));
    EXPECT_EQ(ops.GetText(Control::CrcField).text(), "4B37");
}

TEST_F(WindowOps, AddEntryTwiceGivesTwoEqualEntries) {
    ops.AddEntry(Value::text("/dev/ttyUSB0"));
    ops.AddEntry(Value::text("/dev/ttyUSB0"));
    auto* combo = qobject_cast<QComboBox*>(control(Control::PortList));
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(1), "/dev/ttyUSB0");
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_TRUE(events.empty());
}

TEST_F(WindowOps, PortChosenComesAfterThePickWithTheEntryAndZero) {
    ops.AddEntry(Value::text("/dev/ttyS0"));
    ops.AddEntry(Value::text("/dev/pts/7"));
    auto* combo = qobject_cast<QComboBox*>(control(Control::PortList));
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    const QRect item = view->visualRect(view->model()->index(1, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    EXPECT_TRUE(events.empty());  // not raised while the list does its own work
    EXPECT_TRUE(processEventsUntil([&] { return !events.empty(); }));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], "PortChosen:/dev/pts/7:0");
    EXPECT_FALSE(combo->view()->isVisible());
    // Typed text has no effect, Enter included.
    combo->lineEdit()->setFocus();
    QTest::keyClicks(combo->lineEdit(), "/dev/ttyS0");
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(events.size(), 1u);
    EXPECT_EQ(combo->count(), 2);
}

TEST_F(WindowOps, ADisabledWindowIgnoresClicksAndTheCloseBoxUntilEnabledAgain) {
    ops.SetEnabled(Control::WriteButton, Value(1));
    ops.SetWindowEnabled(Value(0));
    QTest::mouseClick(control(Control::WriteButton), Qt::LeftButton);
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(window().close());  // the close box does nothing
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(events.empty());
    ops.SetWindowEnabled(Value(1));
    QTest::mouseClick(control(Control::WriteButton), Qt::LeftButton);
    EXPECT_EQ(events, std::vector<std::string>{"WriteClicked:0"});
}

TEST_F(WindowOps, CloseWindowRaisesClosingOnceAndSwitchesDeliveryOff) {
    ops.SetWindowEnabled(Value(0));  // CloseWindow closes even a disabled window
    ops.CloseWindow();
    EXPECT_EQ(events, std::vector<std::string>{"Closing"});
    EXPECT_FALSE(delivery::isOn());
    EXPECT_FALSE(window().isVisible());
    ops.CloseWindow();
    window().close();
    QTest::mouseClick(control(Control::OkButton), Qt::LeftButton);
    EXPECT_EQ(events, std::vector<std::string>{"Closing"});
}

TEST_F(WindowOps, OperationsFromAnotherThreadTakeEffectBeforeTheyReturn) {
    std::atomic<bool> done{false};
    std::atomic<int> mismatches{0};
    std::thread reader([&] {
        for (int i = 0; i < 2000; ++i) {
            const Bytes crc = std::to_string(1000 + i);
            ops.SetText(Control::CrcField, Value::text(crc));
            if (ops.GetText(Control::CrcField).text() != crc) ++mismatches;
        }
        ops.SetPosition(Value(42));
        done = true;
        ops.waiter().wake();
    });
    // The window thread runs its loop meanwhile, as it does in the program.
    const bool finished = processEventsUntil([&] { return done.load(); });
    if (!finished) ops.mainWindow().closeNow();  // releases the reader so that it can be joined
    reader.join();
    EXPECT_TRUE(finished);
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(qobject_cast<QProgressBar*>(control(Control::ProgressBar))->value(), 42);
}

TEST_F(WindowOps, TheWindowThreadServesOtherThreadsWhileItWaits) {
    std::atomic<bool> finished{false};
    std::thread reader([&] {
        ops.SetText(Control::StatusField, Value::text("from the reader"));
        finished = true;
        ops.waiter().wake();
    });
    // As Close waits for the reader: no event loop runs here, yet the call is carried out.
    ops.waiter().waitUntil([&] { return finished.load(); });
    reader.join();
    EXPECT_EQ(window().fieldText(Control::StatusField), "from the reader");
}

TEST_F(WindowOps, NoEventIsDeliveredWhileTheSwitchIsOff) {
    ops.SetEnabled(Control::WriteButton, Value(1));
    delivery::switchOff();
    QTest::mouseClick(control(Control::WriteButton), Qt::LeftButton);
    EXPECT_TRUE(events.empty());
}

TEST_F(WindowOps, CallsAfterTheWindowClosedAreDroppedNotHung) {
    ops.CloseWindow();
    std::thread late([&] { ops.SetText(Control::StatusField, Value::text("late")); });
    late.join();
    EXPECT_NE(window().fieldText(Control::StatusField), "late");
}

}  // namespace
}  // namespace korv
