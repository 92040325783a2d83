#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace korv::testing {

// The device simulator as a child process: started with options, its port path read from its
// first line, its JSON report read back at the end.
class SimulatorProcess {
public:
    explicit SimulatorProcess(std::vector<std::string> options) {
        reportPath_ = ::testing::TempDir() + "/devsim-report-" + std::to_string(::getpid()) + "-" +
                      std::to_string(counter()++) + ".json";
        std::vector<std::string> args = {KORV_DEVSIM, "--report", reportPath_};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        int out[2];
        if (::pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        char c;
        while (::read(out[0], &c, 1) == 1 && c != '\n') port_.push_back(c);
        ::close(out[0]);
    }

    ~SimulatorProcess() {
        if (pid_ > 0 && !exitCode_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::unlink(reportPath_.c_str());
    }

    const std::string& port() const { return port_; }

    // Asks it to end (SIGTERM), as the demo does, and waits for its exit code.
    int stop() {
        if (pid_ > 0 && !exitCode_) ::kill(pid_, SIGTERM);
        return wait();
    }

    // Waits for it to end by itself; -1 when it has not within the timeout.
    int wait(std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
        if (exitCode_) return *exitCode_;
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                return *exitCode_;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return -1;
    }

    std::string report() const {
        std::ifstream in(reportPath_);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    // The raw text of one field of the report: `"name": value`.
    std::string field(const std::string& name) const {
        const std::string text = report();
        const std::string key = "\"" + name + "\": ";
        auto at = text.find(key);
        if (at == std::string::npos) return {};
        at += key.size();
        auto end = text.find_first_of(",\n", at);
        if (text[at] == '[') end = text.find(']', at) + 1;
        return text.substr(at, end - at);
    }

private:
    static int& counter() {
        static int n = 0;
        return n;
    }

    pid_t pid_ = -1;
    std::string port_;
    std::string reportPath_;
    std::optional<int> exitCode_;
};

// A scripted updater on the simulator's port: raw bytes in and out.
class PortClient {
public:
    explicit PortClient(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        termios tio{};
        ::tcgetattr(fd_, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(fd_, TCSANOW, &tio);
    }
    ~PortClient() {
        if (fd_ >= 0) ::close(fd_);
    }
    PortClient(const PortClient&) = delete;
    PortClient& operator=(const PortClient&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    void send(const std::string& bytes) const {
        [[maybe_unused]] auto n = ::write(fd_, bytes.data(), bytes.size());
    }

    // Reads until `count` bytes have come or the line has been quiet for `quiet`.
    std::string receive(std::size_t count, std::chrono::milliseconds quiet = std::chrono::milliseconds(300)) {
        std::string out;
        while (out.size() < count) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(quiet.count())) <= 0) break;
            if ((p.revents & POLLIN) == 0) {
                hungUp_ = true;
                break;
            }
            char buffer[4096];
            ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, count - out.size()));
            if (n <= 0) {
                hungUp_ = true;
                break;
            }
            out.append(buffer, static_cast<std::size_t>(n));
        }
        return out;
    }

    bool hungUp() const { return hungUp_; }

private:
    int fd_;
    bool hungUp_ = false;
};

}  // namespace korv::testing
