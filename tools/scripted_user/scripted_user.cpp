#include "tools/scripted_user/scripted_user.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QTest>
#include <QTimer>

#include "app/qt_window_operations.h"
#include "app/text_codec.h"
#include "coordinator/hiSimpleForm_2008870.h"

namespace korv {

namespace {

using Clock = ScriptedRun::Clock;

// Records when a widget is first shown.
class ShowTime : public QObject {
public:
    std::optional<Clock::time_point> at;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show && !at) at = Clock::now();
        return false;
    }
};

class ScriptedUser {
public:
    ScriptedUser(MainWindow& window, const std::string& port, const ScriptedUserOptions& options, ScriptedRun& run)
        : window_(window), port_(QString::fromStdString(port)), options_(options), run_(run) {
        window.installEventFilter(&windowShown_);
        window.control(Control::SuccessText)->installEventFilter(&successShown_);
        window.control(Control::ErrorLine1)->installEventFilter(&errorShown_);
        QObject::connect(&timer_, &QTimer::timeout, [this] { step(); });
        timer_.start(5);
    }

private:
    enum class Step { Pick, Write, AwaitEnd, Done };

    QWidget* control(Control c) { return window_.control(c); }
    bool shown(Control c) { return !control(c)->isHidden(); }

    void step() {
        if (step_ == Step::Done) return;
        if (Clock::now() - start_ > options_.limit) {
            run_.timedOut = true;
            finish();
            return;
        }
        switch (step_) {
            case Step::Pick: pick(); break;
            case Step::Write: write(); break;
            case Step::AwaitEnd: awaitEnd(); break;
            case Step::Done: break;
        }
    }

    void pick() {
        auto* combo = qobject_cast<QComboBox*>(control(Control::PortList));
        const int index = combo->findText(port_);
        if (!window_.isVisible() || index < 0) return;
        run_.windowShownAt = windowShown_.at;
        combo->showPopup();
        QAbstractItemView* view = combo->view();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(index, 0)).center());
        pickedAt_ = Clock::now();
        step_ = options_.pressWrite ? Step::Write : Step::AwaitEnd;
    }

    void write() {
        if (!control(Control::WriteButton)->isEnabled()) return;
        run_.writeClickedAt = Clock::now();
        QTest::mouseClick(control(Control::WriteButton), Qt::LeftButton);
        step_ = Step::AwaitEnd;
    }

    void awaitEnd() {
        if (!options_.pressWrite) {
            // There is no time-out while identifying: look at the status a while, then close.
            if (Clock::now() - pickedAt_ < std::chrono::seconds(2)) return;
            finish();
            return;
        }
        // The end screen is complete once its last operation, the success text or the error
        // picture, has been carried out.
        if (!shown(Control::OkButton) || (!shown(Control::SuccessText) && !shown(Control::ErrorPicture))) return;
        run_.success = shown(Control::SuccessText);
        run_.error = shown(Control::ErrorLine1) && shown(Control::ErrorLine2) && shown(Control::ErrorPicture);
        run_.endScreenComplete = true;
        for (Control c : {Control::PortList, Control::StatusField, Control::ProgressBar, Control::WriteButton,
                          Control::VersionLabel}) {
            run_.endScreenComplete = run_.endScreenComplete && !shown(c);
        }
        if (!options_.screenshotPath.empty()) window_.grab().save(QString::fromStdString(options_.screenshotPath));
        QTest::mouseClick(control(Control::OkButton), Qt::LeftButton);
        finish();
    }

    void finish() {
        run_.status = text::fromField(qobject_cast<QLineEdit*>(control(Control::StatusField))->text());
        run_.successShownAt = successShown_.at;
        run_.errorShownAt = errorShown_.at;
        step_ = Step::Done;
        timer_.stop();
        if (run_.timedOut || !options_.pressWrite) window_.closeNow();
    }

    MainWindow& window_;
    const QString port_;
    const ScriptedUserOptions options_;
    ScriptedRun& run_;
    ShowTime windowShown_;
    ShowTime successShown_;
    ShowTime errorShown_;
    QTimer timer_;
    Step step_ = Step::Pick;
    const Clock::time_point start_ = Clock::now();
    Clock::time_point pickedAt_;
};

}  // namespace

ScriptedRun runAsScriptedUser(const std::string& port, const ScriptedUserOptions& options) {
    ScriptedRun run;
    QtWindowOperations* ops = nullptr;
    TClassSimpleForm_2008870 form(FormParts{[&]() -> std::unique_ptr<WindowOperations> {
        auto made = std::make_unique<QtWindowOperations>();
        ops = made.get();
        return made;
    }});
    ScriptedUser user(ops->mainWindow(), port, options, run);
    run.exitCode = form.run();
    return run;
}

}  // namespace korv
