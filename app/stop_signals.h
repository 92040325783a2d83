#pragma once

namespace korv {

// SIGINT and SIGTERM as a readable descriptor instead of asynchronous handlers. Constructed at
// the very start of main, before any thread exists, so that every thread inherits the mask and
// a signal can only arrive through the descriptor.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    int fd() const { return fd_; }

private:
    int fd_;
};

}  // namespace korv
