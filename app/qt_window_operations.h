#pragma once

#include <QSocketNotifier>
#include <memory>

#include "app/main_window.h"
#include "common/window_thread_calls.h"
#include "coordinator/window_operations.h"

namespace korv {

// The window operations and events on the Qt window. Operations from other threads are handed
// to the window thread through WindowThreadCalls, woken by an eventfd on the event loop.
class QtWindowOperations : public WindowOperations {
public:
    // stopSignalFd: a signalfd for SIGINT and SIGTERM, which close the window; -1 for none.
    explicit QtWindowOperations(int stopSignalFd = -1);
    ~QtWindowOperations() override;

    void SetVisible(Control control, const Value& value) override;
    void SetEnabled(Control control, const Value& value) override;
    void SetWindowEnabled(const Value& value) override;
    void SetText(Control control, const Value& value) override;
    Value GetText(Control control) override;
    void SetPosition(const Value& value) override;
    void AddEntry(const Value& value) override;
    void CloseWindow() override;
    void run() override;
    Waiter& waiter() override { return calls_; }

    MainWindow& mainWindow() { return *window_; }

private:
    void onClosing();

    const int wakeFd_;
    std::unique_ptr<MainWindow> window_;
    WindowThreadCalls calls_;
    std::unique_ptr<QSocketNotifier> wakeNotifier_;
    std::unique_ptr<QSocketNotifier> stopNotifier_;
};

}  // namespace korv
