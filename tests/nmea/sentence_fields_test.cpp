#include "nmea/sentence_fields.h"

#include <gtest/gtest.h>

#include <string>

namespace gnss {
namespace {

// The split-once field list must give exactly what ExtractField gives, including past the
// fields kept inline and past the end.
TEST(SentenceFields, AgreesWithExtractField) {
    std::string longLine = "$GPGSV";
    for (int i = 0; i < 70; ++i) longLine += "," + std::to_string(i);
    longLine += "*1F";
    const std::string lines[] = {
        "",        "$",          "*",         ",,,",    "$GPGGA,1,,2*3A",
        "a*b*c,d", "$GPRMC,1,A", "no fields", longLine, "$X,,*",
    };
    for (const auto& line : lines) {
        const SentenceFields fields(line);
        EXPECT_EQ(fields.Delimiters(), CountDelimiters(line, kCommaStar)) << line;
        for (int n = -1; n <= fields.Delimiters() + 3; ++n) {
            EXPECT_EQ(fields.Field(n), ExtractField(n, line, kCommaStar)) << line << " #" << n;
        }
    }
}

TEST(SentenceFields, NumbersParseLikeTheGeneralHelpers) {
    const std::string line = "$X,12,-3,,007,1e3, 5,$1F,2147483648,123456789,1234567890,4.5";
    const SentenceFields fields(line);
    for (int n = 2; n <= 12; ++n) {
        EXPECT_EQ(fields.Int(n), TryParseInt(ExtractField(n, line, kCommaStar))) << n;
        EXPECT_EQ(fields.Float(n), TryParseFloat(ExtractField(n, line, kCommaStar))) << n;
    }
}

}  // namespace
}  // namespace gnss
