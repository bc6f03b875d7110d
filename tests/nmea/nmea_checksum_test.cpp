#include "nmea/nmea_checksum.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gnss {
namespace {

TEST(NmeaChecksumSuffix, XorsEverythingAfterTheFirstByte) {
    EXPECT_EQ(NmeaChecksumSuffix("$PMTK101"), "*32");
    EXPECT_EQ(NmeaChecksumSuffix("$PSRF100,1,9600,8,1,0"), "*0D");
    EXPECT_EQ(NmeaChecksumSuffix("$"), "*00");
    EXPECT_EQ(NmeaChecksumSuffix(""), "*00");
    // The first byte is skipped whatever it is.
    EXPECT_EQ(NmeaChecksumSuffix("!PMTK101"), "*32");
}

struct SentenceCase {
    std::string line;
    bool checksumValid;
    bool validSentence;
};

TEST(NmeaChecksum, ValidatesSentences) {
    const std::vector<SentenceCase> cases = {
        {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47", true, true},
        {"$PMTK101*32", true, true},
        {"$PMTK101*33", false, false},
        {"$GPRMC,,V,,,,,,,,,,N*53", true, true},
        // The right value in lower-case digits does not match.
        {"$PSRF100,1,9600,8,1,0*0d", false, false},
        {"$PSRF100,1,9600,8,1,0*0D", true, true},
        // "*" is not the third byte from the end.
        {"$PMTK101*32  ", false, false},
        {"$PMTK101*3", false, false},
        // No "$": the checksum may match but the line is no sentence.
        {"!PMTK101*32", true, false},
        {"@@Eq anything", false, true},
        {"@@E", false, false},
        {"$*00", true, true},
        {"", false, false},
        {"$", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NmeaChecksumValid(c.line), c.checksumValid) << c.line;
        EXPECT_EQ(IsValidSentence(c.line), c.validSentence) << c.line;
    }
}

}  // namespace
}  // namespace gnss
