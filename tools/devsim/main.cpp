// korv-devsim: a stand-in for the Korvandelix device and its boot loader on a pseudo-terminal.
// Prints the port's path on its first line, answers "VERS", takes the image block by block with
// its own CRC-16/MODBUS, and writes a JSON report at exit (see --help).
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

#include "tools/devsim/device.h"
#include "tools/devsim/options.h"
#include "tools/devsim/pseudo_terminal.h"

namespace {

using Clock = std::chrono::steady_clock;
using devsim::Options;

// One character on the line: start bit, 8 data bits, stop bit at 38462 bit/s.
constexpr std::chrono::nanoseconds kCharacterTime{10LL * 1'000'000'000 / 38462};

void sleepUntil(Clock::time_point t) {
    while (Clock::now() < t) std::this_thread::sleep_until(t);
}

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class Simulator {
public:
    Simulator(const Options& options, devsim::PseudoTerminal& pty, int signals)
        : options_(options), pty_(pty), signals_(signals), device_(options) {}

    void run() {
        Clock::time_point lastTakenIn = start_;
        bool done = false;
        while (!done) {
            pollfd fds[2] = {{pty_.master(), POLLIN, 0}, {signals_, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                break;
            }
            if (fds[1].revents != 0) break;
            char buffer[4096];
            ssize_t n = ::read(pty_.master(), buffer, sizeof buffer);
            if (n <= 0) {
                if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
                break;
            }
            const Clock::time_point readAt = Clock::now();
            for (ssize_t i = 0; i < n && !done; ++i) {
                Clock::time_point at = readAt;
                if (options_.lineRate) {
                    // A byte cannot have arrived before the previous one plus its wire time. The
                    // time is kept, not slept: the device answers only once it has "arrived".
                    at = std::max(readAt, lastTakenIn + kCharacterTime);
                }
                lastTakenIn = at;
                done = perform(device_.take(static_cast<std::uint8_t>(buffer[i]), seconds(at)), at);
            }
        }
    }

    devsim::Report report(const std::optional<std::string>& expected) const {
        devsim::Report r = device_.report(expected);
        r.clockOrigin = std::chrono::duration<double>(start_.time_since_epoch()).count();
        return r;
    }

private:
    double seconds(Clock::time_point t) const { return std::chrono::duration<double>(t - start_).count(); }

    // Returns true when the simulator is to end.
    bool perform(const devsim::Action& action, Clock::time_point arrivedAt) {
        if (action.writes.empty() && !action.unplug && !action.finished) return false;
        sleepUntil(arrivedAt);
        for (const devsim::Write& w : action.writes) {
            auto due = Clock::now() + w.pauseBefore;
            if (options_.lineRate) due += kCharacterTime * w.bytes.size();  // the reply's own wire time
            sleepUntil(due);
            if (!pty_.writeAll(w.bytes)) return true;
            if (w.isBlockReply) device_.blockReplyWritten(seconds(Clock::now()));
        }
        if (action.unplug) {
            pty_.close();
            return true;
        }
        return action.finished;
    }

    const Options& options_;
    devsim::PseudoTerminal& pty_;
    const int signals_;
    devsim::Device device_;
    const Clock::time_point start_ = Clock::now();
};

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--help") {
            std::fputs(devsim::kUsage, stdout);
            return 0;
        }
    }
    std::string error;
    std::optional<Options> options = devsim::parseOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "korv-devsim: %s\n%s", error.c_str(), devsim::kUsage);
        return 2;
    }
    devsim::chooseRandomFault(*options);
    std::optional<std::string> expected;
    if (!options->expectPath.empty()) {
        expected = readFile(options->expectPath);
        if (!expected) {
            std::fprintf(stderr, "korv-devsim: cannot read %s\n", options->expectPath.c_str());
            return 2;
        }
    }

    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    const int signals = ::signalfd(-1, &stopSignals, SFD_CLOEXEC);

    devsim::PseudoTerminal pty;
    if (!pty.valid() || signals < 0) {
        std::fprintf(stderr, "korv-devsim: cannot create a pseudo-terminal\n");
        return 2;
    }
    if (!options->linkPath.empty()) {
        struct stat info {};
        if (::lstat(options->linkPath.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) ::unlink(options->linkPath.c_str());
        if (::symlink(pty.path().c_str(), options->linkPath.c_str()) != 0) {
            std::fprintf(stderr, "korv-devsim: cannot make the link %s\n", options->linkPath.c_str());
            return 2;
        }
    }
    std::printf("%s\n", pty.path().c_str());
    std::fflush(stdout);

    Simulator simulator(*options, pty, signals);
    simulator.run();

    if (!options->linkPath.empty()) ::unlink(options->linkPath.c_str());
    const devsim::Report report = simulator.report(expected);
    const std::string json = report.toJson();
    if (options->reportPath.empty()) {
        std::fputs(json.c_str(), stderr);
    } else {
        std::ofstream(options->reportPath, std::ios::trunc) << json;
    }
    ::close(signals);
    return report.success() ? 0 : 1;
}
