#include "nmea/number_parse.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "doubles/comma_decimal_locale.h"

namespace gnss {
namespace {

struct IntCase {
    const char* text;
    std::optional<int32_t> expected;
};

TEST(TryParseInt, AcceptsSignedDecimalAndDollarHexWithinRange) {
    const std::vector<IntCase> cases = {
        {"0", 0},
        {"  42", 42},
        {"+7", 7},
        {"-2147483648", INT32_MIN},
        {"2147483647", INT32_MAX},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"$FF", 255},
        {"$ff", 255},
        {"-$10", -16},
        {"$7FFFFFFF", INT32_MAX},
        {"$80000000", std::nullopt},
        {"$", std::nullopt},
        {"12a", std::nullopt},
        {"12 ", std::nullopt},  // trailing characters, blanks included
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"-", std::nullopt},
        {"+-1", std::nullopt},
        {"1.0", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(TryParseInt(c.text), c.expected) << c.text;
}

struct UIntCase {
    const char* text;
    std::optional<uint32_t> expected;
};

TEST(TryParseUInt, FullUnsignedRangeWithoutSign) {
    const std::vector<UIntCase> cases = {
        {"4294967295", 4294967295u},  {"4294967296", std::nullopt}, {"$FFFFFFFF", 4294967295u},
        {"$100000000", std::nullopt}, {"-1", std::nullopt},         {" 9600", 9600u},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(TryParseUInt(c.text), c.expected) << c.text;
}

struct FloatCase {
    const char* text;
    std::optional<double> expected;
};

TEST(TryParseFloat, DecimalPointAndExponentOnly) {
    const std::vector<FloatCase> cases = {
        {"4807.038", 4807.038},
        {"-0.5", -0.5},
        {"+12", 12.0},
        {".5", 0.5},
        {"5.", 5.0},
        {"1e3", 1000.0},
        {"1.5E-2", 0.015},
        {" 3.25 ", 3.25},
        {"4807,038", std::nullopt},  // the comma is never a separator
        {"1e", std::nullopt},
        {".", std::nullopt},
        {"", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"0x1p3", std::nullopt},
        {"1e999", std::nullopt},
        {"12a", std::nullopt},
        {"1.2.3", std::nullopt},
        {"..5", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(TryParseFloat(c.text), c.expected) << c.text;
}

TEST(TryParseFloat, ShortDecimalsGiveExactlyTheValueOfFromChars) {
    // Numbers of up to 15 digits take a shortcut; it must round as from_chars does.
    std::mt19937_64 random(20261209);
    for (int n = 0; n < 200000; ++n) {
        const int digits = 1 + static_cast<int>(random() % 17);
        std::string text;
        for (int i = 0; i < digits; ++i) text += static_cast<char>('0' + random() % 10);
        const auto point = random() % (digits + 2);
        if (point <= static_cast<uint64_t>(digits)) text.insert(point, ".");
        if (text == ".") continue;
        double expected = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        const auto parsed = TryParseFloat(text);
        ASSERT_TRUE(parsed.has_value()) << text;
        ASSERT_EQ(std::bit_cast<uint64_t>(*parsed), std::bit_cast<uint64_t>(expected)) << text;
        ASSERT_EQ(std::bit_cast<uint64_t>(*TryParseFloat("-" + text)),
                  std::bit_cast<uint64_t>(-expected))
            << text;
    }
}

TEST(TryParseFloat, IgnoresACommaDecimalLocale) {
    const testing::CommaDecimalLocale german;
    ASSERT_TRUE(german.Active()) << german.Missing();
    EXPECT_EQ(TryParseFloat("4807.038"), 4807.038);
    EXPECT_EQ(TryParseFloat("4807,038"), std::nullopt);
    bool ok = false;
    EXPECT_EQ(ParseFloatOrZero("01131.000", &ok), 1131.0);
    EXPECT_TRUE(ok);
}

TEST(ParseFloatOrZero, ZeroAndFlagOnFailure) {
    bool ok = true;
    EXPECT_EQ(ParseFloatOrZero("x", &ok), 0.0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(ParseFloatOrZero(""), 0.0);
}

TEST(IsInteger, TenDigitsWithinSignedRange) {
    EXPECT_TRUE(IsInteger("-2147483648"));
    EXPECT_TRUE(IsInteger(" +12"));
    EXPECT_FALSE(IsInteger("2147483648"));
    EXPECT_FALSE(IsInteger("00000000001"));  // 11 digits
    EXPECT_FALSE(IsInteger("$FF"));
    EXPECT_FALSE(IsInteger(""));
    EXPECT_FALSE(IsInteger("-"));
}

TEST(IsFloat, FollowsTheGivenSeparator) {
    EXPECT_TRUE(IsFloat("1.5"));
    EXPECT_TRUE(IsFloat(" -1.5e+3"));
    EXPECT_TRUE(IsFloat("7"));
    EXPECT_FALSE(IsFloat("1."));
    EXPECT_FALSE(IsFloat(".5"));
    EXPECT_FALSE(IsFloat("1e"));
    EXPECT_FALSE(IsFloat("1,5"));
    EXPECT_TRUE(IsFloat("1,5", ','));
    EXPECT_FALSE(IsFloat("1.5", ','));
}

}  // namespace
}  // namespace gnss
