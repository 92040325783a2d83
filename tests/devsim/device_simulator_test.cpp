#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "support/simulator_process.h"
#include "tools/devsim/bitwise_crc.h"
#include "update/crc16.h"
#include "update/firmware_image.h"

namespace korv {
namespace {

using namespace std::chrono_literals;
using testing::PortClient;
using testing::SimulatorProcess;

std::string image(std::size_t size) {
    std::string bytes;
    auto firmware = builtInFirmware();
    for (std::size_t i = 0; i < size; ++i) bytes.push_back(static_cast<char>(firmware[i % firmware.size()]));
    return bytes;
}

// The checksum reply the device owes after `bytes`, computed with the updater's table code.
std::string replyAfter(const std::string& bytes) {
    std::uint16_t crc = 0xFFFF;
    for (char c : bytes) crc = crc16::update(crc, static_cast<std::uint8_t>(c));
    return {static_cast<char>(crc >> 8), static_cast<char>(crc & 0xFF)};
}

TEST(DeviceSimulatorChecksum, MatchesThePublishedValueAndTheUpdatersTable) {
    std::uint16_t crc = 0xFFFF;
    for (char c : std::string("123456789")) crc = devsim::crcStep(crc, static_cast<std::uint8_t>(c));
    EXPECT_EQ(crc, 0x4B37);
    std::uint16_t bitwise = 0xFFFF;
    std::uint16_t table = 0xFFFF;
    for (std::uint8_t b : builtInFirmware()) {
        bitwise = devsim::crcStep(bitwise, b);
        table = crc16::update(table, b);
    }
    EXPECT_EQ(bitwise, table);
}

struct IdentifyCase {
    const char* name;
    std::vector<std::string> options;
    std::string answer;
};

class DeviceSimulatorIdentify : public ::testing::TestWithParam<IdentifyCase> {};

TEST_P(DeviceSimulatorIdentify, AnswersVers) {
    SimulatorProcess sim(GetParam().options);
    PortClient client(sim.port());
    ASSERT_TRUE(client.isOpen());
    client.send("VERS");
    EXPECT_EQ(client.receive(64), GetParam().answer);
    EXPECT_EQ(sim.stop(), 1);  // no image, no PUSK
    EXPECT_EQ(sim.field("vers_queries"), "1");
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeviceSimulatorIdentify,
    ::testing::Values(
        IdentifyCase{"Defaults", {}, "KORVANDELIX DEV2 1.8"},
        IdentifyCase{"NameVersionCrLf", {"--name", "X7", "--version", "2.0", "--crlf"}, "KORVANDELIX X7 2.0\r\n"},
        IdentifyCase{"LowerCaseMarker", {"--marker-case", "lower"}, "korvandelix DEV2 1.8"},
        IdentifyCase{"NoAnswer", {"--no-vers-answer"}, ""},
        IdentifyCase{"GarbageAnswer", {"--garbage-vers-answer"}, "\x01\xFE garbage\x7F"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceSimulator, TakesAFullSmallImageWithFzAndPusk) {
    const std::string bytes = image(1024);
    const std::string expectPath = ::testing::TempDir() + "/devsim-expect.bin";
    std::ofstream(expectPath, std::ios::binary) << bytes;
    SimulatorProcess sim({"--image-size", "1024", "--expect", expectPath, "--exit-after-pusk"});
    PortClient client(sim.port());
    client.send("xyVERS");  // stray bytes before the query are recorded, not fatal
    ASSERT_EQ(client.receive(20), "KORVANDELIX DEV2 1.8");
    for (std::size_t block = 1; block <= 4; ++block) {
        client.send(bytes.substr((block - 1) * 256, 256));
        std::string expected = replyAfter(bytes.substr(0, block * 256));
        if (block == 4) expected += "FZ";
        ASSERT_EQ(client.receive(expected.size()), expected) << block;
    }
    client.send("PUSK");
    EXPECT_EQ(sim.wait(), 0);
    EXPECT_EQ(sim.field("bytes_received"), "1024");
    EXPECT_EQ(sim.field("blocks_answered"), "4");
    EXPECT_EQ(sim.field("image_matches"), "true");
    EXPECT_EQ(sim.field("pusk_seen"), "true");
    EXPECT_EQ(sim.field("bytes_before_vers"), "2");
    EXPECT_NE(sim.field("pusk_at"), "null");
    const std::string turnarounds = sim.field("turnarounds_us");  // three: after blocks 1 to 3
    EXPECT_EQ(std::count(turnarounds.begin(), turnarounds.end(), ','), 2) << turnarounds;
    std::remove(expectPath.c_str());
}

TEST(DeviceSimulator, ReportsAShortLastBlockAndBytesBeyondTheImage) {
    SimulatorProcess sim({"--image-size", "512"});
    PortClient client(sim.port());
    client.send("VERS");
    client.receive(20);
    client.send(image(300));
    client.receive(2);
    EXPECT_EQ(sim.stop(), 1);
    EXPECT_EQ(sim.field("short_last_block"), "true");
    EXPECT_EQ(sim.field("bytes_received"), "300");

    SimulatorProcess over({"--image-size", "256"});
    PortClient second(over.port());
    second.send("VERS");
    second.receive(20);
    second.send(image(256) + "junkPUSK");
    second.receive(4);
    EXPECT_EQ(over.stop(), 0);
    EXPECT_EQ(over.field("bytes_after_image"), "4");
}

// Sends VERS and blocks of the image until the given block, returning what came back after each.
std::vector<std::string> runBlocks(PortClient& client, int blocks, std::chrono::milliseconds quiet = 300ms) {
    client.send("VERS");
    client.receive(20);
    std::vector<std::string> replies;
    const std::string bytes = image(static_cast<std::size_t>(blocks) * 256);
    for (int b = 0; b < blocks; ++b) {
        client.send(bytes.substr(static_cast<std::size_t>(b) * 256, 256));
        replies.push_back(client.receive(8, quiet));
    }
    return replies;
}

TEST(DeviceSimulatorFaults, WrongChecksumAtBlock) {
    SimulatorProcess sim({"--image-size", "768", "--wrong-crc-at", "2"});
    PortClient client(sim.port());
    auto replies = runBlocks(client, 3);
    const std::string bytes = image(768);
    EXPECT_EQ(replies[0], replyAfter(bytes.substr(0, 256)));
    EXPECT_NE(replies[1], replyAfter(bytes.substr(0, 512)));
    EXPECT_EQ(replies[1].size(), 2u);
    EXPECT_EQ(replies[2], replyAfter(bytes) + "FZ");  // its own checksum stayed right
}

TEST(DeviceSimulatorFaults, SilentFromBlock) {
    SimulatorProcess sim({"--image-size", "768", "--silent-from", "2"});
    PortClient client(sim.port());
    auto replies = runBlocks(client, 3, 100ms);
    EXPECT_EQ(replies[0].size(), 2u);
    EXPECT_EQ(replies[1], "");
    EXPECT_EQ(replies[2], "");
}

TEST(DeviceSimulatorFaults, SplitReplyComesInTwoWritesWithAPause) {
    SimulatorProcess sim({"--image-size", "512", "--split-reply-at", "1", "--split-pause-ms", "30"});
    PortClient client(sim.port());
    client.send("VERS");
    client.receive(20);
    client.send(image(256));
    const std::string first = client.receive(2, 10ms);
    const std::string second = client.receive(2, 200ms);
    EXPECT_EQ(first.size(), 1u);
    EXPECT_EQ(first + second, replyAfter(image(256)));
}

TEST(DeviceSimulatorFaults, GarbageByteAfterReply) {
    SimulatorProcess sim({"--image-size", "512", "--garbage-after-reply-at", "1"});
    PortClient client(sim.port());
    auto replies = runBlocks(client, 1);
    EXPECT_EQ(replies[0], replyAfter(image(256)) + "\xA5");
}

TEST(DeviceSimulatorFaults, UnplugAtBlockClosesThePty) {
    SimulatorProcess sim({"--image-size", "768", "--unplug-at", "2"});
    PortClient client(sim.port());
    auto replies = runBlocks(client, 2);
    EXPECT_EQ(replies[0].size(), 2u);
    EXPECT_EQ(replies[1], "");
    EXPECT_TRUE(client.hungUp());
    EXPECT_EQ(sim.wait(), 1);
    EXPECT_EQ(sim.field("unplugged"), "true");
}

TEST(DeviceSimulatorFaults, FinalReplyRepeated) {
    SimulatorProcess sim({"--image-size", "256", "--repeat-final"});
    PortClient client(sim.port());
    auto replies = runBlocks(client, 1);
    const std::string once = replyAfter(image(256)) + "FZ";
    EXPECT_EQ(replies[0] , once + once);
}

TEST(DeviceSimulatorFaults, SlowReplyAtBlock) {
    SimulatorProcess sim({"--image-size", "512", "--slow-reply-at", "1", "--slow-reply-ms", "150"});
    PortClient client(sim.port());
    client.send("VERS");
    client.receive(20);
    client.send(image(256));
    EXPECT_EQ(client.receive(2, 100ms), "");  // not yet
    EXPECT_EQ(client.receive(2, 500ms), replyAfter(image(256)));
}

TEST(DeviceSimulatorFaults, RandomFaultIsDrawnFromTheSeed) {
    SimulatorProcess a({"--random-fault", "--seed", "7"});
    SimulatorProcess b({"--random-fault", "--seed", "7"});
    a.stop();
    b.stop();
    EXPECT_FALSE(a.field("fault").empty());
    EXPECT_NE(a.field("fault"), "\"\"");
    EXPECT_EQ(a.field("fault"), b.field("fault"));
}

TEST(DeviceSimulator, LineRateTakesBytesNoFasterThanTheWire) {
    const std::string link = ::testing::TempDir() + "/devsim-link";
    SimulatorProcess sim({"--image-size", "512", "--line-rate", "--link", link});
    char target[256] = {};
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), sim.port());
    PortClient client(sim.port());
    client.send("VERS");
    client.receive(20);
    const auto start = std::chrono::steady_clock::now();
    client.send(image(256));
    EXPECT_EQ(client.receive(2, 1000ms).size(), 2u);
    // 258 characters of 10 bits at 38462 bit/s: the block in, the reply out.
    EXPECT_GE(std::chrono::steady_clock::now() - start, 258 * 260us);
    sim.stop();
    EXPECT_NE(::access(link.c_str(), F_OK), 0);  // the link went with it
}

}  // namespace
}  // namespace korv
