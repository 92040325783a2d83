#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "coordinator/success_delay.h"
#include "coordinator/window_operations.h"
#include "identify/hiMultiElementEx_20786E0.h"
#include "serial/serial_port.h"
#include "update/hiMultiElementEx_2078BB0.h"
#include "update/periodic_timer.h"

namespace korv {

// What the program, or a test, plugs into the main form scheme.
struct FormParts {
    std::function<std::unique_ptr<WindowOperations>()> makeWindow;
    TimerFactory timers = TClassMultiElementEx_2078BB0::defaultTimers();
    // Made from the window's waiter; the default waits on the monotonic clock.
    std::function<SuccessDelay(Waiter&)> makeDelay = monotonicDelay;
};

// The main form scheme: builds the window, the serial port service and both exchanges once,
// connects them, and routes every event between them.
//
// Threads. The window thread runs the window's events, port choice, the first block and the
// close; the serial reader thread runs every received chunk and what follows from it, the
// success reaction's 15-second wait included; the timer thread runs the silence check. They are
// kept apart by two things, and nothing else is needed:
//  - the update exchange's lock (update/hiMultiElementEx_2078BB0.h) serialises start, every
//    judged reply and every tick, and with them onDone and onFailed, so the success and failure
//    reactions never run at once and the success flag is inverted before any later failure
//    reaction looks at it;
//  - SerialPort::Close, on the window thread, returns only once the reader has finished, so a
//    port choice never runs beside the identification of a chunk.
// Every window operation from the reader or timer thread is carried out on the window thread
// while the caller waits; whenever the window thread itself waits (for the exchange's lock, for
// the reader in Close) it goes on carrying those out, so no two threads wait for each other.
class TClassSimpleForm_2008870 {
public:
    static constexpr std::chrono::microseconds kSuccessDelay{15'000'000};

    explicit TClassSimpleForm_2008870(FormParts parts);
    ~TClassSimpleForm_2008870();
    TClassSimpleForm_2008870(const TClassSimpleForm_2008870&) = delete;
    TClassSimpleForm_2008870& operator=(const TClassSimpleForm_2008870&) = delete;

    // Runs the window until it has closed; the program's exit code, always 0.
    int run();

    WindowOperations& window() { return *window_; }
    SerialPort& serialPort() { return serial_; }
    TClassMultiElementEx_20786E0& identifier() { return identifier_; }
    TClassMultiElementEx_2078BB0& exchange() { return exchange_; }
    bool successFlag() const { return successFlag_.load(); }

private:
    void connect();
    void onPortChosen(const Value& entry);
    void onDataReceived(const Value& chunk);
    void onWriteClicked(const Value& value);
    void onDone();
    void onFailed();
    void applyEndScreen();

    // Declared in creation order: destroyed in reverse, the window last.
    std::unique_ptr<WindowOperations> window_;
    SerialPort serial_;
    TClassMultiElementEx_20786E0 identifier_;
    TClassMultiElementEx_2078BB0 exchange_;
    const SuccessDelay delay_;

    Bytes chosenPortName_;  // window thread only
    std::atomic<bool> successFlag_{false};
    std::atomic<bool> successShown_{false};
};

}  // namespace korv
