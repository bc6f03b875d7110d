#include "nmea/hex_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/conversion_error.h"

namespace gnss {
namespace {

using namespace std::string_literals;

TEST(BinToHex, UpperCasePairsWithoutSeparators) {
    EXPECT_EQ(BinToHex(""), "");
    EXPECT_EQ(BinToHex("\x00\x0F\xA0\xFF"s), "000FA0FF");
}

TEST(HexToBin, AcceptsEitherCaseAndRoundTrips) {
    EXPECT_EQ(HexToBin(""), "");
    EXPECT_EQ(HexToBin("04240e00"), "\x04\x24\x0E\x00"s);
    EXPECT_EQ(HexToBin("B562aBcD"), "\xB5\x62\xAB\xCD"s);
    std::string all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
    EXPECT_EQ(HexToBin(BinToHex(all)), all);
}

TEST(HexToBin, RaisesInvalidDataOnOddLengthOrForeignCharacter) {
    for (const std::string& bad :
         std::vector<std::string>{"0", "ABC", "0G", "GG", "12 4", "0x12", "-1", "1\0"s}) {
        try {
            (void)HexToBin(bad);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const ConversionError& e) {
            EXPECT_STREQ(e.what(), "Invalid Data !") << bad;
        }
    }
}

TEST(HexToInt, AccumulatesAndWrapsAtThirtyTwoBits) {
    EXPECT_EQ(HexToInt("0"), 0u);
    EXPECT_EQ(HexToInt("ff"), 255u);
    EXPECT_EQ(HexToInt("FFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(HexToInt("123456789"), 0x23456789u);  // ninth digit wraps out
    EXPECT_EQ(HexToInt("00000000000A"), 10u);
}

TEST(HexToInt, RaisesWithTheInputInTheMessage) {
    for (const std::string bad : {"", "12G", "$FF", "0x1"}) {
        try {
            (void)HexToInt(bad);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const ConversionError& e) {
            EXPECT_EQ(e.what(), "『" + bad + "』中含有非 Hex(0..9,A..F) 之字元");
        }
    }
}

TEST(IntToHexDigits, PadsButNeverTruncates) {
    EXPECT_EQ(IntToHexDigits(0, 0), "0");
    EXPECT_EQ(IntToHexDigits(0xAB, 4), "00AB");
    EXPECT_EQ(IntToHexDigits(0x12345, 2), "12345");
    EXPECT_EQ(IntToHexDigits(0xFFFFFFFFu, 8), "FFFFFFFF");
}

struct HexTextCase {
    const char* text;
    bool zeroX;
    bool dollar;
};

TEST(IsHexText, PrefixDependsOnTheVariant) {
    const std::vector<HexTextCase> cases = {
        {"", true, true},      {"0x", true, false}, {"0X1f", true, false},   {"$1f", false, true},
        {"$", false, true},    {"1F", true, true},  {"0x0x1", false, false}, {"$$1", false, false},
        {"12 ", false, false}, {"g", false, false}, {"x1", false, false},    {"0", true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsHexText(c.text), c.zeroX) << c.text;
        EXPECT_EQ(IsHexText(c.text, HexPrefix::Dollar), c.dollar) << c.text;
    }
}

TEST(CharCodes, OneHashedDecimalPerByte) {
    EXPECT_EQ(BytesToCharCodes("AB"), "#65#66");
    EXPECT_EQ(BytesToCharCodes("\x00\xFF"s), "#0#255");
    EXPECT_EQ(BytesToCharCodes(""), "");
    EXPECT_EQ(HexToCharCodes("4142"), "#65#66");
    EXPECT_THROW((void)HexToCharCodes("414"), ConversionError);
}

TEST(PutBytesReversed, WritesBigEndianAndGrowsTheTarget) {
    std::string target = "\xA0\xA2\x00\x00"s;
    PutBytesReversed(target, 2, 0x0018, 2);
    EXPECT_EQ(target, "\xA0\xA2\x00\x18"s);
    PutBytesReversed(target, 4, 0x12345678, 3);  // the three low bytes
    EXPECT_EQ(target, "\xA0\xA2\x00\x18\x34\x56\x78"s);
    std::string empty;
    PutBytesReversed(empty, 1, 0x2580, 2);
    EXPECT_EQ(empty, "\x00\x25\x80"s);
    PutBytesReversed(empty, 0, 0xFF, 0);
    EXPECT_EQ(empty, "\x00\x25\x80"s);
}

}  // namespace
}  // namespace gnss
