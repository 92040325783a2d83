#pragma once

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace korv::testing {

// A kernel pseudo-terminal pair in raw mode. The test plays the device on the master side; the
// slave's path is the port under test. A slave descriptor stays open, as the device simulator
// keeps one, so that the port keeps its settings between opens and the master sees no hang-up.
class PtyPair {
public:
    PtyPair() {
        if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) return;
        termios tio{};
        ::tcgetattr(slave_, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave_, TCSANOW, &tio);
        path_ = ::ttyname(slave_);
    }
    ~PtyPair() {
        closeMaster();
        if (slave_ >= 0) ::close(slave_);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& path() const { return path_; }
    int master() const { return master_; }

    void write(const std::string& bytes) const {
        [[maybe_unused]] auto n = ::write(master_, bytes.data(), bytes.size());
    }

    // Reads what has arrived at the device side within the timeout.
    std::string readFor(std::chrono::milliseconds timeout) const {
        std::string out;
        auto deadline = std::chrono::steady_clock::now() + timeout;
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        while (std::chrono::steady_clock::now() < deadline) {
            char buffer[4096];
            ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0) {
                out.append(buffer, static_cast<std::size_t>(n));
            } else {
                ::usleep(1000);
            }
        }
        return out;
    }

    // The device is unplugged: every descriptor of the pty but the port's own goes.
    void unplug() {
        closeMaster();
        if (slave_ >= 0) ::close(slave_);
        slave_ = -1;
    }

private:
    void closeMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

}  // namespace korv::testing
