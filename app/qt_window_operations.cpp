#include "app/qt_window_operations.h"

#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>

#include "app/text_codec.h"
#include "common/delivery_switch.h"

namespace korv {

namespace {

int screenDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? static_cast<int>(screen->logicalDotsPerInchY()) : 96;
}

template <class T>
void drain(int fd) {
    T value;
    while (::read(fd, &value, sizeof value) == static_cast<ssize_t>(sizeof value)) {
    }
}

}  // namespace

QtWindowOperations::QtWindowOperations(int stopSignalFd)
    : wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      window_(std::make_unique<MainWindow>(screenDpi())),
      calls_([fd = wakeFd_] {
          std::uint64_t one = 1;
          [[maybe_unused]] auto n = ::write(fd, &one, sizeof one);
      }),
      wakeNotifier_(std::make_unique<QSocketNotifier>(wakeFd_, QSocketNotifier::Read)) {
    QObject::connect(wakeNotifier_.get(), &QSocketNotifier::activated, [this] {
        drain<std::uint64_t>(wakeFd_);
        calls_.serve();
    });
    if (stopSignalFd >= 0) {
        stopNotifier_ = std::make_unique<QSocketNotifier>(stopSignalFd, QSocketNotifier::Read);
        QObject::connect(stopNotifier_.get(), &QSocketNotifier::activated, [this, stopSignalFd] {
            drain<signalfd_siginfo>(stopSignalFd);
            window_->closeNow();  // as the close box, but also while the window is disabled
        });
    }
    QObject::connect(window_.get(), &MainWindow::writeClicked, [this] { WriteClicked(Value(0)); });
    QObject::connect(window_.get(), &MainWindow::okClicked, [this] { OkClicked(); });
    QObject::connect(window_.get(), &MainWindow::portPicked, [this](const QString& entry) {
        Value value = Value::text(text::fromField(entry));
        value.followedBy(Value(0));
        PortChosen(value);
    });
    QObject::connect(window_.get(), &MainWindow::closing, [this] { onClosing(); });
}

QtWindowOperations::~QtWindowOperations() {
    calls_.shutDown();
    stopNotifier_.reset();
    wakeNotifier_.reset();
    window_.reset();
    ::close(wakeFd_);
}

void QtWindowOperations::onClosing() {
    Closing();
    delivery::switchOff();
    calls_.shutDown();  // nothing is carried out for other threads any more
}

void QtWindowOperations::run() {
    delivery::switchOn();
    Started();
    window_->show();
    QEventLoop loop;
    QObject::connect(window_.get(), &MainWindow::closed, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    loop.exec();
}

void QtWindowOperations::SetVisible(Control c, const Value& v) {
    calls_.call([&] { window_->setControlVisible(c, v.truth()); });
}

void QtWindowOperations::SetEnabled(Control c, const Value& v) {
    calls_.call([&] { window_->setControlEnabled(c, v.truth()); });
}

void QtWindowOperations::SetWindowEnabled(const Value& v) {
    calls_.call([&] { window_->setInputBlocked(!v.truth()); });
}

void QtWindowOperations::SetText(Control c, const Value& v) {
    calls_.call([&] { window_->setFieldText(c, v.text()); });
}

Value QtWindowOperations::GetText(Control c) {
    Value result;
    calls_.call([&] { result = Value::text(window_->fieldText(c)); });
    return result;
}

void QtWindowOperations::SetPosition(const Value& v) {
    calls_.call([&] { window_->setProgress(v.integer()); });
}

void QtWindowOperations::AddEntry(const Value& v) {
    calls_.call([&] { window_->addPortEntry(v.text()); });
}

void QtWindowOperations::CloseWindow() {
    calls_.call([&] { window_->closeNow(); });
}

}  // namespace korv
