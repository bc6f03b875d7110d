#include "nmea/sentence_kind.h"

#include <gtest/gtest.h>

#include <cctype>
#include <iterator>
#include <random>
#include <string>

#include "decoder_harness.h"
#include "nmea/sentence_fields.h"
#include "nmea/text_fields.h"

namespace gnss {
namespace {

using testing::WithChecksum;

struct KindCase {
    const char* Body;  // checksum appended by the test
    SentenceKind Kind;
};

void PrintTo(const KindCase& c, std::ostream* os) {
    *os << c.Body;
}

class ClassifySentenceTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(ClassifySentenceTest, GivesTheKindOfTheFirstTableTextFound) {
    EXPECT_EQ(ClassifySentence(WithChecksum(GetParam().Body)), GetParam().Kind) << GetParam().Body;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ClassifySentenceTest,
    ::testing::Values(
        KindCase{"$GPRMC,1", SentenceKind::Rmc}, KindCase{"$GNGGA,1", SentenceKind::Gga},
        KindCase{"$GPGLL,1", SentenceKind::Gll}, KindCase{"$GPGSA,A", SentenceKind::GpGsa},
        KindCase{"$GNGSA,A", SentenceKind::GnGsa}, KindCase{"$GLGSA,A", SentenceKind::GlGsa},
        KindCase{"$BDGSA,A", SentenceKind::BdGsa}, KindCase{"$GBGSA,A", SentenceKind::GbGsa},
        KindCase{"$GAGSA,A", SentenceKind::GaGsa}, KindCase{"$GNGSV,1", SentenceKind::GnGsv},
        KindCase{"$QZGSV,1", SentenceKind::QzGsv}, KindCase{"$GPGSV,1", SentenceKind::GpGsv},
        KindCase{"$GLGSV,1", SentenceKind::GlGsv}, KindCase{"$BDGSV,1", SentenceKind::BdGsv},
        KindCase{"$GBGSV,1", SentenceKind::GbGsv}, KindCase{"$GAGSV,1", SentenceKind::GaGsv},
        KindCase{"$GIGSV,1", SentenceKind::GiGsv}, KindCase{"$GPVTG,1", SentenceKind::Vtg},
        KindCase{"$GPMSS,1", SentenceKind::Mss}, KindCase{"$PMDR,24", SentenceKind::Pmd},
        KindCase{"$PSTTQ,1", SentenceKind::Ttq}, KindCase{"$XXTTM,1", SentenceKind::Ttm},
        KindCase{"$XXTTR,1", SentenceKind::Ttr}, KindCase{"$PTCH,1", SentenceKind::Tch},
        KindCase{"$PQTM,1", SentenceKind::Pqt}, KindCase{"$GNGNS,1", SentenceKind::Gns},
        // Any talker for the talker-free texts.
        KindCase{"$BDRMC,1", SentenceKind::Rmc}, KindCase{"$GQGGA,1", SentenceKind::Gga},
        // Talker-specific texts do not match other talkers.
        KindCase{"$GQGSV,1,1,00,0", SentenceKind::None}, KindCase{"$PQGSA,A", SentenceKind::None},
        KindCase{"$GNGNS1", SentenceKind::None},
        // Table order decides, not the position in the line.
        KindCase{"$GPGGA,RMC", SentenceKind::Rmc}, KindCase{"$GPVTG,GLL", SentenceKind::Gll},
        KindCase{"$GPGSV,GPGSA", SentenceKind::GpGsa},
        KindCase{"$PMTK001,604,3", SentenceKind::None},
        KindCase{"$GPTXT,  <echo", SentenceKind::Echo}));

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
    EXPECT_EQ(ClassifySentence(good), SentenceKind::Gga);
    EXPECT_EQ(ClassifySentence(good.substr(0, good.size() - 1) + "0"),
              SentenceKind::None);                                                // bad sum
    EXPECT_EQ(ClassifySentence("$GPGGA,123519,4807.038,N"), SentenceKind::None);  // no checksum
    EXPECT_EQ(ClassifySentence("x" + good), SentenceKind::None);  // junk before the "$"
    EXPECT_EQ(ClassifySentence("$" + good), SentenceKind::None);  // "$$": the second "$" is summed
    EXPECT_EQ(ClassifySentence(WithLowerCaseChecksum()), SentenceKind::None);
    EXPECT_EQ(ClassifySentence(""), SentenceKind::None);
}

TEST(ClassifyText, ClassifiesWithoutTheValidityCheck) {
    EXPECT_EQ(ClassifyText("  <Hex Command :[B5 62]>"), SentenceKind::Echo);
    EXPECT_EQ(ClassifyText("$GPGGA,no checksum"), SentenceKind::Gga);
    EXPECT_EQ(ClassifyText("GNS"), SentenceKind::None);
    EXPECT_EQ(ClassifyText("GNS,"), SentenceKind::Gns);
    EXPECT_EQ(ClassifyText("RM"), SentenceKind::None);  // text at the very end is not overrun
    EXPECT_EQ(ClassifyText(""), SentenceKind::None);
}

// The kind by its definition: the first table text found anywhere in the text.
SentenceKind KindByDefinition(std::string_view text) {
    for (const auto& entry : kSentenceKindTexts) {
        if (text.find(entry.Text) != std::string_view::npos) return entry.Kind;
    }
    return SentenceKind::None;
}

TEST(ClassifyText, AgreesWithTheDefinitionOnRandomTexts) {
    // Texts built from pieces of the table texts, so that partial and overlapping matches occur.
    const std::string pieces[] = {"GP", "GN", "GSA", "GSV", "RM", "C", "GG", "A", "GNS", ",",
                                  " ",  "<",  "BD",  "GA",  "QZ", "V", "TG", "*", "$",   "MS",
                                  "S",  "PQ", "T",   "TT",  "TC", "H", "GL", "L", "GI",  "PMD"};
    std::mt19937 random(7);
    for (int n = 0; n < 100000; ++n) {
        std::string text;
        const int count = 1 + static_cast<int>(random() % 12);
        for (int i = 0; i < count; ++i) text += pieces[random() % std::size(pieces)];
        ASSERT_EQ(ClassifyText(text), KindByDefinition(text)) << text;
        // The decoder classifies while splitting: the same result.
        LineDigest digest;
        const SentenceFields fields(text, digest);
        ASSERT_EQ(digest.Kind.Kind(), KindByDefinition(text)) << text;
        uint8_t sum = 0;
        for (char c : text) sum ^= static_cast<uint8_t>(c);
        ASSERT_EQ(digest.Xor, sum) << text;
        ASSERT_EQ(fields.Delimiters(), CountDelimiters(text, kCommaStar)) << text;
        for (int f = 1; f <= fields.Delimiters() + 2; ++f) {
            ASSERT_EQ(fields.Field(f), ExtractField(f, text, kCommaStar)) << text << " " << f;
        }
    }
}

}  // namespace
}  // namespace gnss
