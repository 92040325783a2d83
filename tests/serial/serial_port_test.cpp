#include "serial/serial_port.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <time.h>

#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

#include "common/blocking_waiter.h"
#include "serial/com_port_name.h"
#include "serial/posix_port_access.h"
#include "serial/line_settings.h"
#include "serial/posix_port_list.h"
#include "serial/posix_tty.h"
#include "support/delivery_on.h"
#include "support/fake_loop.h"
#include "support/pty_pair.h"

namespace korv {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Collects what a SerialPort raises; chunks can be awaited from the test thread.
class SerialPortTest : public testing::DeliveryOn {
protected:
    SerialPortTest() {
        port.OpenResult.connect([this](const Value& v) { openResults.push_back(v.integer()); });
        port.PortFound.connect([this](const Value& v) { found.push_back(v.text()); });
        port.DataReceived.connect([this](const Value& v) {
            std::lock_guard lock(mutex);
            chunks.push_back(v.text());
            changed.notify_all();
        });
    }

    bool waitForChunks(std::size_t n, std::chrono::milliseconds timeout = 5s) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, timeout, [&] { return chunks.size() >= n; });
    }
    std::vector<Bytes> receivedChunks() {
        std::lock_guard lock(mutex);
        return chunks;
    }

    BlockingWaiter waiter;
    SerialPort port{waiter};
    testing::PtyPair device;
    std::vector<int> openResults;
    std::vector<Bytes> found;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Bytes> chunks;
};

TEST_F(SerialPortTest, ListsOpenableExtraPortsInOrder) {
    testing::PtyPair second;
    testing::PtyPair held;
    // Another program holding a port: its lock keeps us out (root ignores TIOCEXCL).
    posix_port::ExclusivePort holder = posix_port::openExclusive(held.path());
    ASSERT_TRUE(holder.isOpen());
    const std::string extra = device.path() + ":/dev/no-such-port:" + held.path() + "::/dev/null:" +
                              second.path();
    ::setenv("KORVANDELIX_EXTRA_PORTS", extra.c_str(), 1);
    port.ListPorts();
    ::unsetenv("KORVANDELIX_EXTRA_PORTS");
    ASSERT_GE(found.size(), 2u);
    EXPECT_EQ(std::vector<Bytes>(found.end() - 2, found.end()),
              (std::vector<Bytes>{device.path(), second.path()}));
    for (const auto& name : found) EXPECT_NE(name, held.path());
}

TEST_F(SerialPortTest, OpenWritesExactlyTheBytesAndReportsThePortNumber) {
    port.Open(Value::text(device.path()));
    ASSERT_EQ(openResults.size(), 1u);
    EXPECT_EQ(openResults[0], posix_port::portNumberOf(device.path()));
    EXPECT_GE(openResults[0], 1);
    port.Write(Value::text("VERS"));
    EXPECT_EQ(device.readFor(50ms), "VERS");
    const std::string binary("\0\xFF\r\n\x11\x13", 6);  // no translation, no flow control
    port.Write(Value::text(binary));
    EXPECT_EQ(device.readFor(50ms), binary);

    port.Open(Value::text(device.path()));  // already open: nothing at all
    EXPECT_EQ(openResults.size(), 1u);

    port.Close();
    port.Write(Value::text("lost"));
    EXPECT_EQ(device.readFor(50ms), "");
    port.Close();  // closed already: nothing happens

    port.Open(Value::text(device.path()));  // released, so it opens again
    ASSERT_EQ(openResults.size(), 2u);
    EXPECT_GE(openResults[1], 1);
}

TEST_F(SerialPortTest, AnOpenPortIsHeldExclusively) {
    port.Open(Value::text(device.path()));
    EXPECT_FALSE(posix_port::openExclusive(device.path()).isOpen());
    port.Close();
    EXPECT_TRUE(posix_port::openExclusive(device.path()).isOpen());
}

TEST_F(SerialPortTest, NamesThatAreNotTerminalsFailWithoutBeingTouched) {
    const std::string file = ::testing::TempDir() + "/not-a-port";
    std::ofstream(file) << "";
    for (const std::string& name :
         {std::string(), std::string("relative/tty"), file, ::testing::TempDir(),
          std::string("/dev/no-such-port"), std::string("/dev/null"), std::string("COM1")}) {
        openResults.clear();
        port.Open(Value::text(name));
        ASSERT_EQ(openResults, std::vector<int>{0}) << name;
    }
    std::ifstream in(file);
    EXPECT_EQ(in.peek(), std::char_traits<char>::eof());  // nothing written
    // The failed opens left the service closed: a real port opens now.
    port.Open(Value::text(device.path()));
    EXPECT_GE(openResults.back(), 1);
}

// Writes the bytes one at a time with a pause between them, timed by spinning for accuracy.
void trickle(const testing::PtyPair& pty, const std::string& bytes, std::chrono::microseconds pause) {
    for (char c : bytes) {
        pty.write(std::string(1, c));
        const auto until = Clock::now() + pause;
        while (Clock::now() < until) {
        }
    }
}

TEST_F(SerialPortTest, AReplyWrittenAtOnceOrTrickledIsOneChunk) {
    port.Open(Value::text(device.path()));
    const std::string answer = "KORVANDELIX DEV2 1.8\r\n";
    ASSERT_EQ(answer.size(), 22u);
    device.write(answer);
    ASSERT_TRUE(waitForChunks(1));
    trickle(device, answer, 300us);
    ASSERT_TRUE(waitForChunks(2));
    std::this_thread::sleep_for(20ms);  // nothing else is on its way
    EXPECT_EQ(receivedChunks(), (std::vector<Bytes>{answer, answer}));
}

TEST_F(SerialPortTest, WritesFurtherApartThanTheGapAreSeparateChunks) {
    port.Open(Value::text(device.path()));
    device.write("\x12\x34");
    std::this_thread::sleep_for(20ms);
    device.write("\x56\x78");
    ASSERT_TRUE(waitForChunks(2));
    EXPECT_EQ(receivedChunks(), (std::vector<Bytes>{"\x12\x34", "\x56\x78"}));
}

TEST_F(SerialPortTest, AChunkIsCappedAtTheInputQueueSize) {
    port.Open(Value::text(device.path()));
    device.write(std::string(5000, 'x'));
    ASSERT_TRUE(waitForChunks(2));
    auto got = receivedChunks();
    EXPECT_EQ(got[0].size(), 4096u);
    EXPECT_EQ(got[0].size() + got[1].size(), 5000u);
}

double processCpuSeconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

TEST_F(SerialPortTest, HangUpStopsTheReaderWithoutSpinning) {
    port.Open(Value::text(device.path()));
    device.write("AB");
    ASSERT_TRUE(waitForChunks(1));
    device.unplug();
    const double cpuBefore = processCpuSeconds();
    std::this_thread::sleep_for(300ms);
    EXPECT_LT(processCpuSeconds() - cpuBefore, 0.1);  // a spinning reader would use ~0.3 s
    port.Write(Value::text("dropped"));               // returns at once, silently
    port.Close();
    EXPECT_EQ(receivedChunks().size(), 1u);
}

TEST_F(SerialPortTest, CloseWhileTheReaderIsWaitingReturnsAndNothingFollows) {
    port.Open(Value::text(device.path()));
    port.Close();
    device.write("late");
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(receivedChunks().empty());
}

TEST(SerialPortClose, ServesTheWindowThreadWhileTheReaderWaitsForIt) {
    delivery::switchOn();
    testing::FakeLoop window;
    SerialPort port(window.calls);
    testing::PtyPair device;
    std::atomic<bool> handlerWaiting{false};
    std::atomic<int> servedForReader{0};
    port.DataReceived.connect([&](const Value&) {
        handlerWaiting = true;
        // Like a status text handed to the window thread from the reader.
        window.calls.call([&] { ++servedForReader; });
    });
    std::vector<int> results;
    port.OpenResult.connect([&](const Value& v) { results.push_back(v.integer()); });
    port.Open(Value::text(device.path()));
    device.write("KORVANDELIX DEV2 1.8");
    // The window thread is busy elsewhere until the reader is blocked on it, then closes.
    while (!handlerWaiting) std::this_thread::yield();
    port.Close();
    EXPECT_EQ(servedForReader, 1);
    EXPECT_EQ(results.size(), 1u);
    delivery::switchOff();
}

struct ComNameCase {
    const char* name;
    int number;
};

class ComPortName : public ::testing::TestWithParam<ComNameCase> {};

TEST_P(ComPortName, ChecksTheWindowsName) {
    EXPECT_EQ(comPortNumber(GetParam().name), GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(Table, ComPortName,
                         ::testing::Values(ComNameCase{"COM3", 3}, ComNameCase{"com3", 3},
                                           ComNameCase{"CoM255", 255}, ComNameCase{"COM3x", 3},
                                           ComNameCase{"COM1", 1}, ComNameCase{"COM", 0},
                                           ComNameCase{"COM0", 0}, ComNameCase{"COM256", 0},
                                           ComNameCase{"LPT1", 0}, ComNameCase{"COM1234", 0},
                                           ComNameCase{"", 0}, ComNameCase{"COMx1", 0}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(PosixPortNumber, IsTheTrailingNumberPlusOneClamped) {
    EXPECT_EQ(posix_port::portNumberOf("/dev/ttyS0"), 1);
    EXPECT_EQ(posix_port::portNumberOf("/dev/ttyUSB3"), 4);
    EXPECT_EQ(posix_port::portNumberOf("/dev/pts/254"), 255);
    EXPECT_EQ(posix_port::portNumberOf("/dev/pts/99999999999"), 255);
    EXPECT_EQ(posix_port::portNumberOf("/tmp/devsim"), 1);
}

TEST(PosixPortList, OrdersNamesNaturallyAndSplitsExtras) {
    std::vector<std::string> names = {"ttyS10", "ttyUSB0", "ttyS2", "ttyACM0", "ttyS"};
    std::sort(names.begin(), names.end(), posix_port::naturalLess);
    EXPECT_EQ(names, (std::vector<std::string>{"ttyACM0", "ttyS", "ttyS2", "ttyS10", "ttyUSB0"}));
    EXPECT_EQ(posix_port::extraPorts("/a::/b:"), (std::vector<std::string>{"/a", "/b"}));
    EXPECT_TRUE(posix_port::extraPorts(nullptr).empty());
}

TEST(PosixPortList, KeepsOnlyTtysWithADeviceBehindThem) {
    const std::string root = ::testing::TempDir() + "/sysfs-tty";
    std::filesystem::remove_all(root);
    for (const char* name : {"ttyUSB1", "tty0", "ttyACM0", "ttyUSB0"}) {
        std::filesystem::create_directories(root + "/" + name);
    }
    for (const char* name : {"ttyUSB1", "ttyACM0", "ttyUSB0"}) {
        std::filesystem::create_directories(root + "/" + name + "/device");
    }
    EXPECT_EQ(posix_port::serialDevices(root),
              (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyUSB1"}));
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace korv

namespace korv {
namespace {

// What a pseudo-terminal does with the line settings: it takes them and the exact rate, but has
// no modem lines and no low-latency mode, and neither may make the port unusable.
TEST(PosixTty, APseudoTerminalTakesTheLineSettingsAndTheExactRate) {
    testing::PtyPair pty;
    posix_port::ExclusivePort port = posix_port::openExclusive(pty.path());
    ASSERT_TRUE(port.isOpen());
    posix_tty::LineReport report;
    ASSERT_TRUE(posix_tty::configureLine(port.fd(), report));
    EXPECT_EQ(report.rateReadBack, line::kBaudRate);
    EXPECT_FALSE(report.modemLinesOff);
    EXPECT_FALSE(report.lowLatency);
    termios tio{};
    ASSERT_EQ(::tcgetattr(port.fd(), &tio), 0);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS | HUPCL), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_cc[VMIN], 1);
    EXPECT_TRUE(posix_tty::flushBoth(port.fd()));
}

TEST(ReplyGap, IsFourCharacterTimesAtTheLineRate) {
    EXPECT_EQ(line::kReplyGap.count(), 1040);
}

}  // namespace
}  // namespace korv
