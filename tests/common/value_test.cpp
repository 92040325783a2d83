#include "common/value.h"

#include <gtest/gtest.h>

#include "common/cp1251.h"
#include "common/output.h"
#include "support/delivery_on.h"

namespace korv {
namespace {

struct ReadingCase {
    const char* name;
    Value value;
    bool truth;
    const char* text;
    std::int32_t integer;
};

class ValueReadings : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(ValueReadings, GiveTruthTextAndInteger) {
    const ReadingCase& c = GetParam();
    EXPECT_EQ(c.value.truth(), c.truth);
    EXPECT_EQ(c.value.text(), c.text);
    EXPECT_EQ(c.value.integer(), c.integer);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ValueReadings,
    ::testing::Values(
        ReadingCase{"Empty", Value(), true, "", 0},
        ReadingCase{"Zero", Value(0), false, "0", 0},
        ReadingCase{"One", Value(1), true, "1", 1},
        ReadingCase{"Negative", Value(-5), true, "-5", -5},
        ReadingCase{"IntMin", Value(INT32_MIN), true, "-2147483648", INT32_MIN},
        ReadingCase{"TextZero", Value::text("0"), true, "0", 0},
        ReadingCase{"EmptyText", Value::text(""), true, "", 0},
        ReadingCase{"DigitsThenLetters", Value::text("12ab"), true, "12ab", 12},
        ReadingCase{"LettersOnly", Value::text("ab"), true, "ab", 0},
        ReadingCase{"SignedText", Value::text("-42x"), true, "-42x", -42},
        ReadingCase{"PlusSign", Value::text("+7"), true, "+7", 7},
        ReadingCase{"NoWhiteSpaceSkipping", Value::text(" 5"), true, " 5", 0},
        ReadingCase{"HugeTextSaturates", Value::text("99999999999999"), true, "99999999999999",
                    INT32_MAX},
        ReadingCase{"Real", Value(2.5), true, "2.5", 2},
        ReadingCase{"RealRoundsToNearest", Value(-3.7), true, "-3.7", -4},
        ReadingCase{"RealZeroIsTrue", Value(0.0), true, "0", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Value, TextKeepsEveryByteIncludingNul) {
    const std::string bytes("\0\x80\xFF z", 5);
    EXPECT_EQ(Value::text(bytes).text(), bytes);
}

TEST(Value, CarriesFurtherValuesInOrder) {
    Value v = Value::text("COM3");
    v.followedBy(Value(0)).followedBy(Value::text("x"));
    ASSERT_NE(v.next(), nullptr);
    EXPECT_EQ(v.next()->kind(), Value::Kind::Integer);
    EXPECT_EQ(v.next()->integer(), 0);
    ASSERT_NE(v.next()->next(), nullptr);
    EXPECT_EQ(v.next()->next()->text(), "x");
    EXPECT_EQ(v.next()->next()->next(), nullptr);
    EXPECT_NE(v, Value::text("COM3"));
}

TEST(DeliverySwitch, OutputsAndReadsAreDeadWhileOff) {
    delivery::switchOff();
    int raised = 0;
    Output output;
    output.connect([&](const Value&) { ++raised; });
    ValueSource source;
    source.connect([] { return Value::text("FFFF"); });

    output(Value(1));
    EXPECT_EQ(raised, 0);
    EXPECT_TRUE(source.read().isEmpty());

    delivery::switchOn();
    output(Value(1));
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(source.read().text(), "FFFF");
    delivery::switchOff();
}

TEST(Cp1251, RoundTripsEveryByte) {
    for (int b = 0; b < 256; ++b) {
        char16_t ch = cp1251::toUnicode(static_cast<unsigned char>(b));
        EXPECT_EQ(static_cast<unsigned char>(cp1251::fromUnicode(ch)), b) << b;
    }
    EXPECT_EQ(cp1251::toUnicode(0xC0), u'А');
    EXPECT_EQ(cp1251::toUnicode(0xFF), u'я');
    EXPECT_EQ(cp1251::toUnicode(0xA8), u'Ё');
    EXPECT_EQ(cp1251::toUnicode(0xB9), u'№');
}

TEST(Cp1251, ConvertsTheProgramsOwnTexts) {
    EXPECT_EQ(cp1251::fromUtf8("OK"), "OK");
    EXPECT_EQ(cp1251::fromUtf8("Записать"), "\xC7\xE0\xEF\xE8\xF1\xE0\xF2\xFC");
    EXPECT_EQ(cp1251::fromUtf8("ещё №"), "\xE5\xF9\xB8 \xB9");
}

}  // namespace
}  // namespace korv
