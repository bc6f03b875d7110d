#include "nmea/text_scrambler.h"

#include <gtest/gtest.h>

#include <string>

namespace gnss {
namespace {

using namespace std::string_literals;

TEST(ScrambleText, FollowsTheKeyedChain) {
    // c0 = 0x10; c1 = ((0x10 + 'A') mod 255) ^ 'k' = 0x51 ^ 0x6B = 0x3A;
    // c2 = ((0x3A + 'B') mod 255) ^ 'k' = 0x7C ^ 0x6B = 0x17.
    EXPECT_EQ(ScrambleText("AB", "k", 0x10), "103a17");
    // The sum wraps at 255, not 256: (0xF0 + 0x20) mod 255 = 0x11.
    EXPECT_EQ(ScrambleText(" ", "\x01", 0xF0), "f010");
    EXPECT_EQ(ScrambleText("", "key", 0xAB), "ab");
}

TEST(ScrambleText, RoundTripsWithTheSameKeyForEveryStartValue) {
    const std::string text = "http://assist.example.net/data/file.bin?x=1&y=~2";
    for (int c0 = 0; c0 < 256; ++c0) {
        const auto start = static_cast<uint8_t>(c0);
        for (std::string key : {"", "0123456789", "k", "\xFF\x80\x01"}) {
            const std::string scrambled = ScrambleText(text, key, start);
            ASSERT_EQ(scrambled.size(), 2 * text.size() + 2);
            ASSERT_EQ(UnscrambleText(scrambled, key), text) << c0 << " key " << key;
        }
    }
}

TEST(ScrambleText, EmptyKeyMeansTheDefaultKey) {
    ASSERT_EQ(kDefaultScrambleKey.size(), 14u);
    EXPECT_EQ(ScrambleText("abc", "", 7), ScrambleText("abc", kDefaultScrambleKey, 7));
    EXPECT_NE(ScrambleText("abc", "", 7), ScrambleText("abc", "other", 7));
}

TEST(UnscrambleText, AcceptsUpperCaseDigits) {
    EXPECT_EQ(UnscrambleText("103A17", "k"), "AB");
}

TEST(UnscrambleText, MalformedInputGivesEmptyText) {
    for (std::string bad : {"", "1", "103", "10zz", "10 3a", "\xFF\xFF"}) {
        EXPECT_EQ(UnscrambleText(bad, "k"), "") << bad;
    }
    EXPECT_EQ(UnscrambleText("10", "k"), "");  // only the start value
}

TEST(ScrambleText, ZeroAndTwoFiftyFiveReadBackAlike) {
    // The mod-255 chain cannot tell them apart; stored texts never contain either.
    EXPECT_EQ(UnscrambleText(ScrambleText("\x00"s, "k", 3), "k"), "\xFF");
    EXPECT_EQ(UnscrambleText(ScrambleText("\xFF", "k", 3), "k"), "\xFF");
}

}  // namespace
}  // namespace gnss
