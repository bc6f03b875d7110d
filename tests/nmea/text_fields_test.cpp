#include "nmea/text_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gnss {
namespace {

struct FieldCase {
    const char* text;
    int n;
    const char* expected;
};

TEST(ExtractField, CountsEmptyFieldsAndStopsAtAnyDelimiter) {
    const std::string gga = "$GPGGA,123519,,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
    const std::vector<FieldCase> cases = {
        {gga.c_str(), 1, "$GPGGA"},
        {gga.c_str(), 2, "123519"},
        {gga.c_str(), 3, ""},  // latitude missing
        {gga.c_str(), 4, "N"},
        {gga.c_str(), 15, ""},    // empty field before "*"
        {gga.c_str(), 16, "47"},  // checksum digits are the last field
        {gga.c_str(), 17, ""},    // beyond the last
        {gga.c_str(), 0, ""},
        {gga.c_str(), -3, ""},
        {",abc,def", 1, ""},  // starts with the delimiter
        {",abc,def", 2, "abc"},
        {",abc,def", 3, "def"},
        {"abc,", 2, ""},  // trailing delimiter ends with an empty field
        {"abc,", 3, ""},
        {"", 1, ""},
        {"", 2, ""},
        {"no-delimiter", 1, "no-delimiter"},
        {"no-delimiter", 2, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractField(c.n, c.text, kCommaStar), c.expected)
            << "text=" << c.text << " n=" << c.n;
    }
}

TEST(ExtractField, OnlyMembersOfTheSetDelimit) {
    EXPECT_EQ(ExtractField(2, "a,b*c", kComma), "b*c");
    EXPECT_EQ(ExtractField(2, "a,b*c", kStar), "c");
    EXPECT_EQ(ExtractField(2, "$A$B", DelimiterSet{"$"}), "A");
    EXPECT_EQ(ExtractField(2, std::string_view("x\ry", 3), DelimiterSet{"\r"}), "y");
    // Bytes above 127 are ordinary members of a set, not negative indices.
    EXPECT_EQ(ExtractField(2,
                           "a\xFF"
                           "b",
                           DelimiterSet{"\xFF"}),
              "b");
}

TEST(CountDelimiters, CountsEveryMemberByte) {
    EXPECT_EQ(CountDelimiters("$GPGSA,A,3,,,*1E", kComma), 5);
    EXPECT_EQ(CountDelimiters("$GPGSA,A,3,,,*1E", kCommaStar), 6);
    EXPECT_EQ(CountDelimiters("", kComma), 0);
}

TEST(PositionHelpers, FollowOneBasedContract) {
    EXPECT_EQ(PosFrom("B", "ABAB", 1), 2u);
    EXPECT_EQ(PosFrom("B", "ABAB", 3), 4u);
    EXPECT_EQ(PosFrom("B", "ABAB", -5), 2u);  // below 1 counts as 1
    EXPECT_EQ(PosFrom("AB", "ABAB", 4), 0u);  // no room left for sub
    EXPECT_EQ(PosFrom("B", "ABAB", 5), 0u);
    EXPECT_EQ(PosFrom("", "ABAB", 1), 0u);
    EXPECT_EQ(PosFrom("A", "", 1), 0u);
    EXPECT_EQ(LastPos("AB", "ABAB"), 3u);
    EXPECT_EQ(LastPos("C", "ABAB"), 0u);
}

TEST(PartHelpers, ClampToTheText) {
    EXPECT_EQ(LeftPart("ABCD", 2), "AB");
    EXPECT_EQ(LeftPart("ABCD", 9), "ABCD");
    EXPECT_EQ(LeftPart("ABCD", -1), "");
    EXPECT_EQ(RightPart("ABCD", 3), "BCD");
    EXPECT_EQ(RightPart("ABCD", 9), "ABCD");
    EXPECT_EQ(CopyRange("ABCD", 2, 3), "BC");
    EXPECT_EQ(CopyRange("ABCD", 3, 2), "");
    EXPECT_EQ(CopyRange("ABCD", 3, 99), "CD");
    EXPECT_EQ(CopyRange("ABCD", 5, 9), "");
    EXPECT_EQ(CopyFrom("ABCD", 3), "CD");
    EXPECT_EQ(CopyFrom("ABCD", 5), "");
}

TEST(StringHelpers, ReplaceRepeatReverse) {
    EXPECT_EQ(StringReplaceAll("a,,b,,", ",,", ";"), "a;b;");
    EXPECT_EQ(StringReplaceAll("aaa", "a", "aa"), "aaaaaa");  // no re-scan of the replacement
    EXPECT_EQ(StringReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(RepeatString("ab", 3), "ababab");
    EXPECT_EQ(RepeatString("ab", 0), "");
    EXPECT_EQ(RepeatString("", 5), "");
    EXPECT_EQ(ReverseString("abc"), "cba");
    EXPECT_EQ(Trim(" \t\r\nabc \r\n"), "abc");
    EXPECT_EQ(ToUpperAscii("pmtk\xE4x"), "PMTK\xE4X");
}

}  // namespace
}  // namespace gnss
