#include <gtest/gtest.h>

#include "update/crc16.h"
#include "update/hex_text.h"

namespace korv {
namespace {

TEST(Crc16, PublishedModbusCheckValueOneByteAtATime) {
    std::string crc = "FFFF";
    for (const char* byte : {"31", "32", "33", "34", "35", "36", "37", "38", "39"}) {
        crc = crc16::step(byte, crc);
    }
    EXPECT_EQ(crc, "4B37");
}

TEST(Crc16, WholeTextAtOnceEqualsByteSteps) {
    EXPECT_EQ(crc16::step("31 32 33 34 35 36 37 38 39", "FFFF"), "4B37");
    EXPECT_EQ(crc16::step("$313233343536373839"), "4B37");  // default start $FFFF
}

struct StepCase {
    const char* name;
    const char* data;
    const char* start;
    const char* expected;
};

class Crc16Step : public ::testing::TestWithParam<StepCase> {};

TEST_P(Crc16Step, GivesTheExpectedText) {
    EXPECT_EQ(crc16::step(GetParam().data, GetParam().start), GetParam().expected);
}

// Expected values come from the bytewise definition: update(start, byte).
std::string oneByte(std::uint16_t start, std::uint8_t byte) {
    return hex::fourDigits(crc16::update(start, byte));
}

INSTANTIATE_TEST_SUITE_P(
    Table, Crc16Step,
    ::testing::Values(
        StepCase{"EmptyDataReturnsStart", "", "1234", "1234"},
        StepCase{"EmptyDataPadsToFourDigits", "", "$a", "000A"},
        StepCase{"OnlySpacesAndDollarsIsEmpty", " $ ", "BEEF", "BEEF"},
        StepCase{"EmptyStartIsZero", "", "", "0000"},
        StepCase{"StartUsesLow16Bits", "", "12345678", "5678"},
        StepCase{"StartLowerCaseSameAsUpper", "", "ffff", "FFFF"},
        StepCase{"StartStopsAtNonDigit", "", "$12zz34", "0012"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Crc16, SingleDigitIsOneByteOfItsOwn) {
    EXPECT_EQ(crc16::step("0", "FFFF"), oneByte(0xFFFF, 0x00));
    EXPECT_EQ(crc16::step("A", "FFFF"), oneByte(0xFFFF, 0x0A));
    // An odd last digit is a byte of its own after the pairs.
    EXPECT_EQ(crc16::step("31A", "FFFF"), hex::fourDigits(crc16::update(crc16::update(0xFFFF, 0x31), 0x0A)));
    EXPECT_EQ(crc16::step("$FFFF", "FFFF"), crc16::step("FFFF", "$FFFF"));
}

TEST(Crc16, TableMatchesBitwiseDefinition) {
    for (unsigned start : {0x0000u, 0xFFFFu, 0x1234u, 0xA001u}) {
        for (unsigned byte = 0; byte < 256; ++byte) {
            unsigned crc = start ^ byte;
            for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
            ASSERT_EQ(crc16::update(static_cast<std::uint16_t>(start), static_cast<std::uint8_t>(byte)), crc);
        }
    }
}

struct ReadCase {
    const char* text;
    std::uint32_t value;
};

class HexRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(HexRead, FollowsTheReadingRule) { EXPECT_EQ(hex::read(GetParam().text), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(Table, HexRead,
                         ::testing::Values(ReadCase{"1234", 0x1234}, ReadCase{"$1234", 0x1234},
                                           ReadCase{"1234xyz", 0x1234}, ReadCase{"", 0},
                                           ReadCase{"$", 0}, ReadCase{"$$12", 0},
                                           ReadCase{"aBcD", 0xABCD}, ReadCase{"-12", 0},
                                           ReadCase{" 12", 0}, ReadCase{"FZ", 0xF}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(HexText, TextForms) {
    EXPECT_EQ(hex::byteNoLeadingZero(0x00), "0");
    EXPECT_EQ(hex::byteNoLeadingZero(0x0F), "F");
    EXPECT_EQ(hex::byteNoLeadingZero(0x10), "10");
    EXPECT_EQ(hex::byteNoLeadingZero(0xAB), "AB");
    EXPECT_EQ(hex::fourDigits(0x00A0), "00A0");
    EXPECT_EQ(hex::ofBytes(std::string("\x4B\x37\x46\x5A", 4)), "4B37465A");
    EXPECT_EQ(hex::ofBytes(std::string("\x00\xFF", 2)), "00FF");
    EXPECT_EQ(hex::ofBytes(""), "");
}

TEST(HexText, ComparisonIgnoresCaseButNotLength) {
    EXPECT_TRUE(hex::sameText("4b37465a", "4B37465A"));
    EXPECT_FALSE(hex::sameText("4B37", "4B37465A"));
    EXPECT_FALSE(hex::sameText("", "SZ"));
    EXPECT_TRUE(hex::sameText("", ""));
}

}  // namespace
}  // namespace korv
