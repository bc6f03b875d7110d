#include "assist/sgee_packets.h"

#include <gtest/gtest.h>

#include <string>

#include "nmea/nmea_checksum.h"

namespace gnss {
namespace {

std::string Bytes(std::size_t n, char fill = 0x0A) {
    return std::string(n, fill);
}

struct SizeCase {
    std::size_t FileSize;
    std::size_t Sentences;
    uint32_t FullBlocks;
    uint32_t LastBlockBytes;
    const char* LastBlockHeader;  // the start of the last sentence
};

class SgeeSentenceCount : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SgeeSentenceCount, BlocksOfHundredAndAShortLastOne) {
    const SizeCase& c = GetParam();
    const SgeeSentences s = BuildSgeeSentences(Bytes(c.FileSize), ReceiverFamily::SiRF4);
    EXPECT_EQ(s.Sentences.size(), c.Sentences);
    EXPECT_EQ(s.FullBlocks, c.FullBlocks);
    EXPECT_EQ(s.LastBlockBytes, c.LastBlockBytes);
    EXPECT_EQ(s.Sentences.back().rfind(c.LastBlockHeader, 0), 0u) << s.Sentences.back();
    for (const std::string& sentence : s.Sentences) {
        EXPECT_TRUE(NmeaChecksumValid(sentence)) << sentence;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, SgeeSentenceCount,
                         ::testing::Values(SizeCase{10000, 102, 100, 0, "$PSRF114,18,100,100,"},
                                           SizeCase{10050, 103, 100, 50, "$PSRF114,18,101,50,"},
                                           SizeCase{6144, 64, 61, 44, "$PSRF114,18,62,44,"},
                                           SizeCase{1, 3, 0, 1, "$PSRF114,18,1,1,"}));

TEST(SgeeSentences, StandardDialectUsesUpperCaseBytesWithoutLeadingZero) {
    const std::string file = std::string("\x0A\x00\xFF\x1B", 4);
    const SgeeSentences s = BuildSgeeSentences(file, ReceiverFamily::SiRF);
    ASSERT_EQ(s.Sentences.size(), 3u);
    EXPECT_EQ(s.Sentences[0], "$PSRF114,16,0*14");
    EXPECT_EQ(s.Sentences[1], "$PSRF114,17,4" + NmeaChecksumSuffix("$PSRF114,17,4"));
    EXPECT_EQ(s.Sentences[2],
              "$PSRF114,18,1,4,A,0,FF,1B" + NmeaChecksumSuffix("$PSRF114,18,1,4,A,0,FF,1B"));
}

TEST(SgeeSentences, SirfFiveDialectUsesItsIdentifiersAndLowerCase) {
    const std::string file(300, '\x0A');
    const SgeeSentences s = BuildSgeeSentences(file, ReceiverFamily::SiRF5);
    ASSERT_EQ(s.Sentences.size(), 5u);
    EXPECT_EQ(s.Sentences[0], "$PSRF114,49,0,0,0*1E");
    EXPECT_EQ(s.Sentences[1].substr(0, s.Sentences[1].find('*')), "$PSRF114,4a,0,12c,0");
    const std::string& data = s.Sentences[2];
    EXPECT_EQ(data.rfind("$PSRF114,4b,0,1,100,a,a,", 0), 0u);
    EXPECT_EQ(data.substr(data.size() - 7, 4), ",a,0");
}

TEST(SgeeReplies, TableRowsByIndex) {
    EXPECT_EQ(SgeeExpectedReplies(0).Ack, "$PSRF156,20,72,16,0");
    EXPECT_EQ(SgeeExpectedReplies(0).NAck, kSgeeStartRejected);
    EXPECT_EQ(SgeeExpectedReplies(1).NAck, "$PSRF156,20,72,17,1");
    EXPECT_EQ(SgeeExpectedReplies(2).Ack, "$PSRF156,20,72,18,0");
    EXPECT_EQ(SgeeExpectedReplies(500).Ack, "$PSRF156,20,72,18,0");
}

TEST(SgeeControlSentences, RateAndOutputSwitches) {
    EXPECT_EQ(SirfNmeaRateSentence(460800), "$PSRF100,1,460800,8,1,0*08");
    EXPECT_EQ(SirfNmeaRateSentence(115200), "$PSRF100,1,115200,8,1,0*05");
    const auto off = SirfNmeaOutputSentences(false);
    ASSERT_EQ(off.size(), 6u);
    EXPECT_EQ(off[0].substr(0, off[0].find('*')), "$PSRF103,00,00,00,01");
    EXPECT_EQ(off[5].substr(0, off[5].find('*')), "$PSRF103,05,00,00,01");
    EXPECT_EQ(SirfNmeaOutputSentences(true)[3].substr(0, 20), "$PSRF103,03,00,01,01");
}

struct StatusCase {
    const char* Line;
    ReceiverFamily Family;
    SgeeStatusKind Kind;
    const char* Text;
};

class SgeeStatusReplies : public ::testing::TestWithParam<StatusCase> {};

TEST_P(SgeeStatusReplies, ReadAndShown) {
    const StatusCase& c = GetParam();
    const SgeeStatusReading reading = ReadSgeeStatus(c.Line, c.Family);
    EXPECT_EQ(reading.Kind, c.Kind) << c.Line;
    EXPECT_EQ(SgeeStatusText(reading), c.Text);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, SgeeStatusReplies,
    ::testing::Values(
        // 3 days 5 hours = 277,200 s = 0x43ad0.
        StatusCase{"$PSRF156,22,1000,44ad0*00", ReceiverFamily::SiRF4, SgeeStatusKind::Valid,
                   "AGPS data is valid for 3 day(s) 5 hour(s)"},
        StatusCase{"$PSRF156,52,0,1000,44ad0*00", ReceiverFamily::SiRF5, SgeeStatusKind::Valid,
                   "AGPS data is valid for 3 day(s) 5 hour(s)"},
        // An absent start wins even when the end is a valid time.
        StatusCase{"$PSRF156,22,7fffffff,44ad0*00", ReceiverFamily::SiRF, SgeeStatusKind::Absent,
                   "Please Update AGPS data !"},
        StatusCase{"$PSRF156,22,zz,44ad0*00", ReceiverFamily::SiRF, SgeeStatusKind::Unreadable, ""},
        StatusCase{"$PSRF156,50,1*00", ReceiverFamily::SiRF5, SgeeStatusKind::NotSupported,
                   "The device not support AGPS function !!"},
        StatusCase{"$PSRF156,20,72,1a,1*00", ReceiverFamily::SiRF, SgeeStatusKind::Rejected,
                   "Can not synchronize to the GPS time !"},
        // The other family's reply is not a status reply.
        StatusCase{"$PSRF156,52,0,1000,44ad0*00", ReceiverFamily::SiRF4, SgeeStatusKind::NotStatus,
                   ""},
        StatusCase{"$GPGGA,1*00", ReceiverFamily::SiRF4, SgeeStatusKind::NotStatus, ""}));

}  // namespace
}  // namespace gnss
