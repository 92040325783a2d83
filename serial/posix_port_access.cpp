#include "serial/posix_port_access.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace korv::posix_port {

ExclusivePort::ExclusivePort(ExclusivePort&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), error_(other.error_) {}

ExclusivePort& ExclusivePort::operator=(ExclusivePort&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        error_ = other.error_;
    }
    return *this;
}

ExclusivePort::~ExclusivePort() {
    if (fd_ >= 0) ::close(fd_);
}

int ExclusivePort::release() { return std::exchange(fd_, -1); }

ExclusivePort openExclusive(const std::string& path) {
    if (path.empty() || path.front() != '/') return {-1, EINVAL};
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {-1, errno};
    if (!S_ISCHR(info.st_mode)) return {-1, ENOTTY};
    ExclusivePort port(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK), 0);
    if (!port.isOpen()) return {-1, errno};
    if (!::isatty(port.fd())) return {-1, ENOTTY};
    // TIOCEXCL alone does not keep out root; the lock does, for every program that locks too.
    if (::flock(port.fd(), LOCK_EX | LOCK_NB) != 0) return {-1, errno == EWOULDBLOCK ? EBUSY : errno};
    return port;
}

int portNumberOf(std::string_view path) {
    std::size_t end = path.size();
    std::size_t begin = end;
    while (begin > 0 && path[begin - 1] >= '0' && path[begin - 1] <= '9') --begin;
    long number = 0;
    for (std::size_t i = begin; i < end && number < 1000; ++i) number = number * 10 + (path[i] - '0');
    number += 1;
    return static_cast<int>(number > 255 ? 255 : number);
}

}  // namespace korv::posix_port
