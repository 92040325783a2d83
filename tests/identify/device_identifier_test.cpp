#include "identify/hiMultiElementEx_20786E0.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/cp1251.h"
#include "support/delivery_on.h"

namespace korv {
namespace {

class DeviceIdentifier : public testing::DeliveryOn {
protected:
    DeviceIdentifier() {
        identifier.RequestOpen.connect([this](const Value& v) { log.push_back("open:" + v.text()); });
        identifier.SendQuery.connect([this](const Value& v) { log.push_back("query:" + v.text()); });
        identifier.ShowStatus.connect([this](const Value& v) { log.push_back("status:" + v.text()); });
        identifier.DeviceIdentified.connect([this](const Value& v) {
            log.push_back("identified:" + v.text() + ":" + std::to_string(identifier.LinkState()));
        });
    }

    TClassMultiElementEx_20786E0 identifier;
    std::vector<std::string> log;
};

const Bytes kFailure = cp1251::fromUtf8("На этом порту устройств не найдено.");

Bytes deviceText(const Bytes& name, const Bytes& version) {
    return cp1251::fromUtf8("Устройство: ") + name + cp1251::fromUtf8("   Текущая версия ПО: ") +
           version;
}

struct ChunkCase {
    const char* name;
    Bytes chunk;
    Bytes status;
    Bytes marker;  // empty: not identified
};

class IdentifyChunk : public DeviceIdentifier, public ::testing::WithParamInterface<ChunkCase> {};

TEST_P(IdentifyChunk, GivesTheStatusTextAndLinkState) {
    const ChunkCase& c = GetParam();
    identifier.ChunkReceived(Value::text(c.chunk));
    std::vector<std::string> expected = {"status:" + c.status};
    if (!c.marker.empty()) expected.push_back("identified:" + c.marker + ":1");
    EXPECT_EQ(log, expected);
    EXPECT_EQ(identifier.LinkState(), c.marker.empty() ? Identifying : Identified);
}

INSTANTIATE_TEST_SUITE_P(
    Table, IdentifyChunk,
    ::testing::Values(
        ChunkCase{"Accepted", "KORVANDELIX DEV2 1.8", deviceText("DEV2", "1.8"), "KORVANDELIX"},
        ChunkCase{"CaseFolded", "korvandelix DEV2 1.8", deviceText("DEV2", "1.8"), "korvandelix"},
        ChunkCase{"CrLfKept", "KORVANDELIX DEV2 1.8\r\n", deviceText("DEV2", "1.8\r\n"),
                  "KORVANDELIX"},
        ChunkCase{"TrailingWordsIgnored", "KORVANDELIX DEV2 1.8 extra words",
                  deviceText("DEV2", "1.8"), "KORVANDELIX"},
        ChunkCase{"OneTrailingSpace", "KORVANDELIX ", deviceText("", ""), "KORVANDELIX"},
        ChunkCase{"EmptyName", "KORVANDELIX  1.8", deviceText("", "1.8"), "KORVANDELIX"},
        ChunkCase{"PercentTwoInName", "KORVANDELIX A%2B 1.8", deviceText("A1.8B", "1.8"),
                  "KORVANDELIX"},
        ChunkCase{"PercentTwoThenDigitKept", "KORVANDELIX %25 9", deviceText("%25", "9"),
                  "KORVANDELIX"},
        ChunkCase{"HighBytesInserted", "KORVANDELIX \xC0\xFF \x80\x01", deviceText("\xC0\xFF", "\x80\x01"),
                  "KORVANDELIX"},
        ChunkCase{"NoSpace", "KORVANDELIX", kFailure, ""},
        ChunkCase{"LeadingSpace", " KORVANDELIX DEV2 1.8", kFailure, ""},
        ChunkCase{"MarkerTooLong", "KORVANDELIXX DEV2 1.8", kFailure, ""},
        ChunkCase{"MarkerTooShort", "KORVANDELI DEV2 1.8", kFailure, ""},
        ChunkCase{"Empty", "", kFailure, ""},
        ChunkCase{"NulInMarker", Bytes("KORVANDELIX\0 DEV2 1.8", 21), kFailure, ""},
        ChunkCase{"OnlySpaces", Bytes(4096, ' '), kFailure, ""},
        ChunkCase{"Garbage", Bytes(4096, '\xAA'), kFailure, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceIdentifier, EveryChunkIsJudgedAlone) {
    identifier.ChunkReceived(Value::text("KORVAN"));
    identifier.ChunkReceived(Value::text("DELIX DEV2 1.8"));
    EXPECT_EQ(log, (std::vector<std::string>{"status:" + kFailure, "status:" + kFailure}));
    EXPECT_EQ(identifier.LinkState(), Identifying);
}

TEST_F(DeviceIdentifier, PortChoiceAndOpenResult) {
    identifier.PortSelected(Value::text("/dev/ttyUSB0"));
    identifier.OpenResult(Value(0));
    identifier.OpenResult(Value(7));
    EXPECT_EQ(log, (std::vector<std::string>{"open:/dev/ttyUSB0", "status:" + kFailure, "query:VERS"}));
}

}  // namespace
}  // namespace korv
