#pragma once

#include <string>
#include <string_view>

namespace korv::posix_port {

// A port descriptor opened for exclusive use, or the errno of why not. Owns the descriptor.
class ExclusivePort {
public:
    ExclusivePort() = default;
    ExclusivePort(int fd, int error) : fd_(fd), error_(error) {}
    ExclusivePort(ExclusivePort&& other) noexcept;
    ExclusivePort& operator=(ExclusivePort&& other) noexcept;
    ~ExclusivePort();

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    int error() const { return error_; }
    // Hands the descriptor over; the caller closes it.
    int release();

private:
    int fd_ = -1;
    int error_ = 0;
};

// Opens a port by its device path: an absolute path to a character device that, once opened, is
// a terminal, not held by another program (an exclusive flock on it). Opened read-write, without
// becoming the controlling terminal and without waiting for carrier detect. Anything else fails,
// with nothing written to it.
ExclusivePort openExclusive(const std::string& path);

// The number reported for an opened port: the device name's trailing number + 1, clamped to
// 1..255 (ttyS0 gives 1, as COM1 on Windows).
int portNumberOf(std::string_view path);

}  // namespace korv::posix_port
