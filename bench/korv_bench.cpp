// korv_bench DEVSIM: how close an update comes to the limit of the line. Runs the whole program
// off screen with a scripted user against the device simulator and prints one table.
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QStyleFactory>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/qt_window_operations.h"
#include "common/delivery_switch.h"
#include "tools/scripted_user/scripted_user.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double now() { return std::chrono::duration<double>(Clock::now().time_since_epoch()).count(); }
double at(const Clock::time_point& t) { return std::chrono::duration<double>(t.time_since_epoch()).count(); }
double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// One simulator run: started with options, its report read when it has ended.
struct Simulator {
    std::string port;
    std::string reportPath;
    pid_t pid = -1;

    Simulator(const std::string& devsim, std::vector<std::string> options) {
        reportPath = "/tmp/korv-bench-" + std::to_string(getpid()) + ".json";
        std::vector<std::string> args = {devsim, "--report", reportPath, "--exit-after-pusk"};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n') port.push_back(c);
        close(out[0]);
    }
    std::string finish() {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        std::ifstream in(reportPath);
        std::string report{std::istreambuf_iterator<char>(in), {}};
        std::remove(reportPath.c_str());
        return report;
    }
};

std::string field(const std::string& report, const std::string& name) {
    const std::string key = "\"" + name + "\": ";
    auto p = report.find(key);
    if (p == std::string::npos) return {};
    p += key.size();
    auto end = report[p] == '[' ? report.find(']', p) + 1 : report.find_first_of(",\n", p);
    return report.substr(p, end - p);
}

std::vector<double> numbers(std::string list) {
    std::vector<double> out;
    for (char& c : list) if (c == '[' || c == ']' || c == ',') c = ' ';
    char* p = list.data();
    char* end = nullptr;
    for (double v = std::strtod(p, &end); p != end; v = std::strtod(p, &end)) {
        out.push_back(v);
        p = end;
    }
    return out;
}

double percentile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(q * static_cast<double>(v.size() - 1))];
}

struct UpdateFigures {
    korv::ScriptedRun run;
    std::string report;
    double cpuFromWriteToEnd = 0;
};

UpdateFigures update(const std::string& devsim, std::vector<std::string> options) {
    Simulator sim(devsim, std::move(options));
    setenv("KORVANDELIX_EXTRA_PORTS", sim.port.c_str(), 1);
    UpdateFigures f;
    const double cpuBefore = cpuSeconds();
    f.run = korv::runAsScriptedUser(sim.port);
    f.cpuFromWriteToEnd = cpuSeconds() - cpuBefore;  // the 15 s wait sleeps; this is the upload's
    unsetenv("KORVANDELIX_EXTRA_PORTS");
    f.report = sim.finish();
    return f;
}

// Round trips per second of a window operation called from another thread.
double handOverRate() {
    korv::QtWindowOperations ops;
    korv::delivery::switchOn();
    std::atomic<bool> done{false};
    constexpr int kCalls = 100000;
    const auto start = Clock::now();
    std::thread caller([&] {
        for (int i = 0; i < kCalls; ++i) ops.GetText(korv::Control::CrcField);
        done = true;
    });
    while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    caller.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    korv::delivery::switchOff();
    return kCalls / seconds;
}

}  // namespace

int main(int argc, char** argv) {
    const double processStart = now();
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DEVSIM\n", argv[0]);
        return 2;
    }
    const std::string devsim = argv[1];
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));

    utsname machine{};
    uname(&machine);
    std::printf("Machine: %s %s, %u cores\n\n", machine.sysname, machine.machine, std::thread::hardware_concurrency());

    const UpdateFigures unpaced = update(devsim, {});
    const double unpacedWall = std::stod(field(unpaced.report, "clock_origin")) +
                               std::stod(field(unpaced.report, "pusk_at")) - at(*unpaced.run.writeClickedAt);
    const std::vector<double> turnarounds = numbers(field(unpaced.report, "turnarounds_us"));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    const double windowShown = at(*unpaced.run.windowShownAt) - processStart;

    const UpdateFigures paced = update(devsim, {"--line-rate"});
    const double pacedTime = std::stod(field(paced.report, "pusk_at")) - std::stod(field(paced.report, "first_image_byte_at"));
    // Every byte on the wire in both directions: image, block replies, final reply, PUSK.
    const double wireBytes = 130048.0 + 507 * 2 + 4 + 4;
    const double lineLimit = wireBytes * 10 / 38462;
    const double rate = handOverRate();

    const double gapUs = 1040;
    std::printf("| measure | result | target |\n|---|---|---|\n");
    std::printf("| paced line: first image byte to PUSK | %.2f s = %.3f x line limit %.2f s | <= 1.02 x |\n", pacedTime,
                pacedTime / lineLimit, lineLimit);
    std::printf("| unpaced pty: \"Записать\" to PUSK, wall | %.2f s (%.0f bytes/s) | <= 3 s |\n", unpacedWall,
                130048 / unpacedWall);
    std::printf("| unpaced pty: CPU of the program, whole run | %.2f s | |\n", unpaced.cpuFromWriteToEnd);
    std::printf("| turnaround, median | %.0f us = gap %.0f + %.0f us | <= gap + 150 us |\n", percentile(turnarounds, 0.5),
                gapUs, percentile(turnarounds, 0.5) - gapUs);
    std::printf("| turnaround, 99th percentile | %.0f us | |\n", percentile(turnarounds, 0.99));
    std::printf("| window hand-over from another thread | %.0f round trips/s | |\n", rate);
    std::printf("| peak resident memory | %.1f MB | <= 40 MB |\n", peakMb);
    std::printf("| start to window shown | %.0f ms | |\n", windowShown * 1000);
    std::printf("\nBoth updates %s.\n", unpaced.run.success && paced.run.success ? "ended on the success screen"
                                                                                  : "did NOT both succeed");
    return 0;
}
