// The whole program on the offscreen platform, driven through its window as a user would,
// against the device simulator on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdlib>

#include "app/qt_window_operations.h"
#include "app/text_codec.h"
#include "common/cp1251.h"
#include "coordinator/hiSimpleForm_2008870.h"
#include "support/simulator_process.h"

namespace korv {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using testing::SimulatorProcess;

// Records when a control is first shown.
class ShowTime : public QObject {
public:
    std::optional<Clock::time_point> at;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show && !at) at = Clock::now();
        return false;
    }
};

// One run of the program against a simulator: picks the simulator's port, presses "Записать"
// once the device is identified, and presses "OK" on the end screen.
class EndToEnd : public ::testing::Test {
protected:
    struct Outcome {
        bool success = false;
        bool error = false;
        Bytes status;
        std::optional<Clock::time_point> writeAt;
        std::optional<Clock::time_point> successAt;
        std::optional<Clock::time_point> errorAt;
        int exitCode = -1;
    };

    Outcome runAgainst(SimulatorProcess& sim, bool pressWrite = true, std::chrono::seconds limit = 180s) {
        ::setenv("KORVANDELIX_EXTRA_PORTS", sim.port().c_str(), 1);
        Outcome outcome;
        QtWindowOperations* ops = nullptr;
        TClassSimpleForm_2008870 form(FormParts{[&]() -> std::unique_ptr<WindowOperations> {
            auto made = std::make_unique<QtWindowOperations>();
            ops = made.get();
            return made;
        }});
        MainWindow& window = ops->mainWindow();
        ShowTime successShown;
        ShowTime errorShown;
        window.control(Control::SuccessText)->installEventFilter(&successShown);
        window.control(Control::ErrorLine1)->installEventFilter(&errorShown);
        auto* combo = qobject_cast<QComboBox*>(window.control(Control::PortList));
        auto* status = qobject_cast<QLineEdit*>(window.control(Control::StatusField));
        const auto start = Clock::now();
        enum { Pick, Write, AwaitEnd, Done } step = Pick;
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (Clock::now() - start > limit) {
                ADD_FAILURE() << "the run did not end in time";
                window.closeNow();
                return;
            }
            switch (step) {
                case Pick: {
                    const int index = combo->findText(QString::fromStdString(sim.port()));
                    if (!window.isVisible() || index < 0) return;
                    combo->showPopup();
                    QAbstractItemView* view = combo->view();
                    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                                      view->visualRect(view->model()->index(index, 0)).center());
                    step = pressWrite ? Write : AwaitEnd;
                    break;
                }
                case Write:
                    if (!window.control(Control::WriteButton)->isEnabled()) return;
                    outcome.writeAt = Clock::now();
                    QTest::mouseClick(window.control(Control::WriteButton), Qt::LeftButton);
                    step = AwaitEnd;
                    break;
                case AwaitEnd:
                    if (!pressWrite && Clock::now() - start > 2s) {
                        outcome.status = text::fromField(status->text());
                        window.close();
                        step = Done;
                        return;
                    }
                    // The end screen is complete once its last operation, the success text or
                    // the error picture, has been carried out.
                    if (window.control(Control::OkButton)->isHidden() ||
                        (window.control(Control::SuccessText)->isHidden() &&
                         window.control(Control::ErrorPicture)->isHidden())) {
                        return;
                    }
                    outcome.errorAt = errorShown.at;
                    outcome.success = !window.control(Control::SuccessText)->isHidden();
                    outcome.error = !window.control(Control::ErrorLine1)->isHidden() &&
                                    !window.control(Control::ErrorLine2)->isHidden() &&
                                    !window.control(Control::ErrorPicture)->isHidden();
                    outcome.successAt = successShown.at;
                    for (Control c : {Control::PortList, Control::StatusField, Control::ProgressBar,
                                      Control::WriteButton, Control::VersionLabel}) {
                        EXPECT_TRUE(window.control(c)->isHidden());
                    }
                    QTest::mouseClick(window.control(Control::OkButton), Qt::LeftButton);
                    step = Done;
                    break;
                case Done:
                    break;
            }
        });
        driver.start(10);
        outcome.exitCode = form.run();
        ::unsetenv("KORVANDELIX_EXTRA_PORTS");
        return outcome;
    }
};

TEST_F(EndToEnd, AWholeUpdateEndsOnTheSuccessScreenAfterFifteenSeconds) {
    SimulatorProcess sim({"--expect", KORV_FIRMWARE_FILE, "--exit-after-pusk"});
    const Outcome outcome = runAgainst(sim);
    EXPECT_TRUE(outcome.success);
    EXPECT_FALSE(outcome.error);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(sim.wait(), 0);
    EXPECT_EQ(sim.field("bytes_received"), "130048");
    EXPECT_EQ(sim.field("image_matches"), "true");
    EXPECT_EQ(sim.field("pusk_seen"), "true");
    ASSERT_TRUE(outcome.successAt);
    const double puskAt = std::stod(sim.field("clock_origin")) + std::stod(sim.field("pusk_at"));
    const double shownAt = std::chrono::duration<double>(outcome.successAt->time_since_epoch()).count();
    EXPECT_GT(shownAt - puskAt, 15.0);  // PUSK follows the final reply, so this bounds that too
    EXPECT_LT(shownAt - puskAt, 17.0);
}

TEST_F(EndToEnd, AWrongChecksumEndsOnTheErrorScreen) {
    SimulatorProcess sim({"--wrong-crc-at", "3"});
    const Outcome outcome = runAgainst(sim);
    EXPECT_TRUE(outcome.error);
    EXPECT_FALSE(outcome.success);
    sim.stop();
    EXPECT_EQ(sim.field("bytes_received"), std::to_string(3 * 256));  // nothing more was sent
}

TEST_F(EndToEnd, SilenceEndsOnTheErrorScreenOnTheThirdTick) {
    SimulatorProcess sim({"--silent-from", "2"});
    const Outcome outcome = runAgainst(sim);
    EXPECT_TRUE(outcome.error);
    ASSERT_TRUE(outcome.writeAt && outcome.errorAt);
    // The first block's reply clears the counter; the third tick after it is 2 to 3 s later.
    const auto after = *outcome.errorAt - *outcome.writeAt;
    EXPECT_GT(after, 2s);
    EXPECT_LT(after, 4s);
    sim.stop();
    EXPECT_EQ(sim.field("bytes_received"), "512");
}

TEST_F(EndToEnd, APortWithoutOurDeviceShowsTheFailureText) {
    SimulatorProcess sim({"--garbage-vers-answer"});
    const Outcome outcome = runAgainst(sim, false);
    EXPECT_EQ(outcome.status, cp1251::fromUtf8("На этом порту устройств не найдено."));
    EXPECT_EQ(outcome.exitCode, 0);
    sim.stop();
    EXPECT_EQ(sim.field("vers_queries"), "1");
}

}  // namespace
}  // namespace korv
