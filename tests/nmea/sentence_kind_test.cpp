#include "nmea/sentence_kind.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "decoder_harness.h"

namespace gnss {
namespace {

using testing::WithChecksum;

struct KindCase {
    const char* Body;  // checksum appended by the test
    SentenceKind Kind;
};

class ClassifySentenceTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(ClassifySentenceTest, GivesTheKindOfTheFirstTableTextFound) {
    EXPECT_EQ(ClassifySentence(WithChecksum(GetParam().Body)), GetParam().Kind) << GetParam().Body;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ClassifySentenceTest,
    ::testing::Values(KindCase{"$GPRMC,1", kKindRmc}, KindCase{"$GNGGA,1", kKindGga},
                      KindCase{"$GPGLL,1", kKindGll}, KindCase{"$GPGSA,A", kKindGpGsa},
                      KindCase{"$GNGSA,A", kKindGnGsa}, KindCase{"$GLGSA,A", kKindGlGsa},
                      KindCase{"$BDGSA,A", kKindBdGsa}, KindCase{"$GBGSA,A", kKindGbGsa},
                      KindCase{"$GAGSA,A", kKindGaGsa}, KindCase{"$GNGSV,1", kKindGnGsv},
                      KindCase{"$QZGSV,1", kKindQzGsv}, KindCase{"$GPGSV,1", kKindGpGsv},
                      KindCase{"$GLGSV,1", kKindGlGsv}, KindCase{"$BDGSV,1", kKindBdGsv},
                      KindCase{"$GBGSV,1", kKindGbGsv}, KindCase{"$GAGSV,1", kKindGaGsv},
                      KindCase{"$GIGSV,1", kKindGiGsv}, KindCase{"$GPVTG,1", kKindVtg},
                      KindCase{"$GPMSS,1", kKindMss}, KindCase{"$PMDR,24", kKindPmd},
                      KindCase{"$PSTTQ,1", kKindTtq}, KindCase{"$XXTTM,1", kKindTtm},
                      KindCase{"$XXTTR,1", kKindTtr}, KindCase{"$PTCH,1", kKindTch},
                      KindCase{"$PQTM,1", kKindPqt}, KindCase{"$GNGNS,1", kKindGns},
                      // Any talker for the talker-free texts.
                      KindCase{"$BDRMC,1", kKindRmc}, KindCase{"$GQGGA,1", kKindGga},
                      // Talker-specific texts do not match other talkers.
                      KindCase{"$GQGSV,1,1,00,0", kKindNone}, KindCase{"$PQGSA,A", kKindNone},
                      KindCase{"$GNGNS1", kKindNone},
                      // Table order decides, not the position in the line.
                      KindCase{"$GPGGA,RMC", kKindRmc}, KindCase{"$GPVTG,GLL", kKindGll},
                      KindCase{"$GPGSV,GPGSA", kKindGpGsa}, KindCase{"$PMTK001,604,3", kKindNone},
                      KindCase{"$GPTXT,  <echo", kKindEcho}));

// A sentence whose checksum has a hex letter, written with lower-case digits.
std::string WithLowerCaseChecksum() {
    for (int n = 0;; ++n) {
        std::string line = WithChecksum("$GPRMC,1,A," + std::to_string(n));
        const std::size_t last = line.size() - 1;
        if (std::isalpha(static_cast<unsigned char>(line[last])) != 0) {
            line[last] = static_cast<char>(std::tolower(static_cast<unsigned char>(line[last])));
            return line;
        }
    }
}

TEST(ClassifySentence, RejectsLinesThatAreNotValidSentences) {
    const std::string good = WithChecksum("$GPGGA,123519,4807.038,N");
    EXPECT_EQ(ClassifySentence(good), kKindGga);
    EXPECT_EQ(ClassifySentence(good.substr(0, good.size() - 1) + "0"), kKindNone);  // bad sum
    EXPECT_EQ(ClassifySentence("$GPGGA,123519,4807.038,N"), kKindNone);             // no checksum
    EXPECT_EQ(ClassifySentence("x" + good), kKindNone);  // junk before the "$"
    EXPECT_EQ(ClassifySentence("$" + good), kKindNone);  // "$$": the second "$" is summed
    EXPECT_EQ(ClassifySentence(WithLowerCaseChecksum()), kKindNone);
    EXPECT_EQ(ClassifySentence(""), kKindNone);
}

TEST(ClassifyText, ClassifiesWithoutTheValidityCheck) {
    EXPECT_EQ(ClassifyText("  <Hex Command :[B5 62]>"), kKindEcho);
    EXPECT_EQ(ClassifyText("$GPGGA,no checksum"), kKindGga);
    EXPECT_EQ(ClassifyText("GNS"), kKindNone);
    EXPECT_EQ(ClassifyText("GNS,"), kKindGns);
    EXPECT_EQ(ClassifyText("RM"), kKindNone);  // text at the very end is not overrun
    EXPECT_EQ(ClassifyText(""), kKindNone);
}

}  // namespace
}  // namespace gnss
