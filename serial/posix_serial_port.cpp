#include <poll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <system_error>
#include <thread>

#include "serial/line_settings.h"
#include "serial/posix_port_access.h"
#include "serial/posix_port_list.h"
#include "serial/posix_tty.h"
#include "serial/serial_port.h"

namespace korv {

namespace {

using Clock = std::chrono::steady_clock;

timespec toTimespec(Clock::duration d) {
    if (d < Clock::duration::zero()) d = Clock::duration::zero();
    auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
    return timespec{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

// A readable eventfd tells the reader and any waiting write that Close has begun.
class WakeEvent {
public:
    WakeEvent() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~WakeEvent() {
        if (fd_ >= 0) ::close(fd_);
    }
    WakeEvent(const WakeEvent&) = delete;
    WakeEvent& operator=(const WakeEvent&) = delete;
    bool valid() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    void signal() const {
        std::uint64_t one = 1;
        [[maybe_unused]] auto ignored = ::write(fd_, &one, sizeof one);
    }

private:
    int fd_;
};

}  // namespace

class SerialPort::Impl {
public:
    Impl(SerialPort& owner, Waiter& waiter) : owner_(owner), waiter_(waiter) {}

    void open(const Value& name);
    void close();
    void write(const Value& bytes);
    bool closing() const { return closing_.load(); }

private:
    enum class ReadOutcome { Data, Nothing, LineGone };

    void readerLoop();
    ReadOutcome readInto(Bytes& chunk);
    // Waits until the port is readable, Close begins, or the timeout passes (none: forever).
    // Returns the port's poll events, or -1 when Close has begun.
    int waitReadable(const timespec* timeout);

    SerialPort& owner_;
    Waiter& waiter_;
    int fd_ = -1;
    std::unique_ptr<WakeEvent> wake_;
    std::thread reader_;
    std::mutex writeMutex_;
    std::atomic<bool> open_{false};
    std::atomic<bool> closing_{false};
    std::atomic<bool> lineGone_{false};
    std::atomic<bool> readerFinished_{false};
};

void SerialPort::Impl::open(const Value& name) {
    if (open_) return;
    const Bytes path = name.text();
    posix_port::ExclusivePort port = posix_port::openExclusive(path);
    auto wake = std::make_unique<WakeEvent>();
    if (!port.isOpen() || !wake->valid()) {
        owner_.OpenResult(Value(0));
        return;
    }
    posix_tty::setExclusive(port.fd(), true);
    posix_tty::LineReport report;
    // A pseudo-terminal accepts the rate without using it and has no modem lines or low-latency
    // mode; only a refusal of the line settings or the flush makes the port unusable.
    if (!posix_tty::flushBoth(port.fd()) || !posix_tty::configureLine(port.fd(), report)) {
        posix_tty::setExclusive(port.fd(), false);
        owner_.OpenResult(Value(0));
        return;
    }
    fd_ = port.release();
    wake_ = std::move(wake);
    closing_ = false;
    lineGone_ = false;
    readerFinished_ = false;
    open_ = true;
    try {
        reader_ = std::thread([this] { readerLoop(); });
    } catch (const std::system_error&) {
        close();
        owner_.OpenResult(Value(0));
        return;
    }
    owner_.OpenResult(Value(posix_port::portNumberOf(path)));
}

void SerialPort::Impl::close() {
    if (!open_) return;
    closing_ = true;
    wake_->signal();
    waiter_.wake();
    if (reader_.joinable()) {
        waiter_.waitUntil([this] { return readerFinished_.load(); });
        reader_.join();
    }
    posix_tty::flushBoth(fd_);
    posix_tty::setExclusive(fd_, false);
    ::close(fd_);
    fd_ = -1;
    wake_.reset();
    open_ = false;
}

int SerialPort::Impl::waitReadable(const timespec* timeout) {
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_->fd(), POLLIN, 0}};
    for (;;) {
        int ready = ::ppoll(fds, 2, timeout, nullptr);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return POLLERR;
        if (fds[1].revents != 0) return -1;
        return fds[0].revents;
    }
}

SerialPort::Impl::ReadOutcome SerialPort::Impl::readInto(Bytes& chunk) {
    char buffer[line::kMaxChunk];
    const std::size_t room = line::kMaxChunk - chunk.size();
    ssize_t n = ::read(fd_, buffer, room);
    if (n > 0) {
        chunk.append(buffer, static_cast<std::size_t>(n));
        return ReadOutcome::Data;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return ReadOutcome::Nothing;
    return ReadOutcome::LineGone;  // end of file or EIO: the far end hung up or was unplugged
}

// Waits for the first byte of a reply, then keeps reading until the line has been idle for the
// reply gap or the chunk is full, and hands over everything as one chunk. A hang-up ends the
// loop at once; so does Close, and then nothing more is handed over.
void SerialPort::Impl::readerLoop() {
    // Raised priority where the system allows it; refusal is not an error.
    setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), -10);
    const timespec gap = toTimespec(line::kReplyGap);
    Bytes chunk;
    chunk.reserve(line::kMaxChunk);
    bool running = true;
    while (running) {
        int events = waitReadable(nullptr);
        if (events < 0) break;
        if ((events & POLLIN) == 0) {
            lineGone_ = true;  // POLLHUP, POLLERR or POLLNVAL without data
            break;
        }
        chunk.clear();
        ReadOutcome outcome = readInto(chunk);
        while (outcome != ReadOutcome::LineGone && chunk.size() < line::kMaxChunk) {
            events = waitReadable(&gap);
            if (events < 0) {
                running = false;
                break;
            }
            if (events == 0) break;  // idle for the gap: the reply is complete
            if ((events & POLLIN) == 0) {
                outcome = ReadOutcome::LineGone;
                break;
            }
            outcome = readInto(chunk);
        }
        if (outcome == ReadOutcome::LineGone) {
            lineGone_ = true;
            running = false;
        }
        if (!closing_ && !chunk.empty()) owner_.DataReceived(Value::text(chunk));
    }
    readerFinished_ = true;
    waiter_.wake();
}

void SerialPort::Impl::write(const Value& bytes) {
    if (!open_ || lineGone_ || closing_) return;
    const Bytes data = bytes.text();
    std::lock_guard lock(writeMutex_);
    const auto deadline = Clock::now() + line::kWriteTimeoutPerByte * data.size() +
                          line::kWriteTimeoutConstant;
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd_, data.data() + done, data.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            lineGone_ = errno == EIO;
            return;
        }
        pollfd fds[2] = {{fd_, POLLOUT, 0}, {wake_->fd(), POLLIN, 0}};
        const timespec remaining = toTimespec(deadline - Clock::now());
        int ready = ::ppoll(fds, 2, &remaining, nullptr);
        if (ready == 0 || (ready > 0 && fds[1].revents != 0)) return;  // timed out, or closing
        if (ready > 0 && (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))) return;
    }
}

SerialPort::SerialPort(Waiter& waiter) : impl_(std::make_unique<Impl>(*this, waiter)) {}
SerialPort::~SerialPort() { impl_->close(); }

void SerialPort::ListPorts() {
    posix_port::listOpenablePorts([this](const std::string& path) { PortFound(Value::text(path)); });
}
void SerialPort::Open(const Value& name) { impl_->open(name); }
void SerialPort::Close() { impl_->close(); }
void SerialPort::Write(const Value& bytes) { impl_->write(bytes); }
bool SerialPort::closing() const { return impl_->closing(); }

}  // namespace korv
