#include "assist/epo_file.h"

#include <gtest/gtest.h>

#include "doubles/epo_file_maker.h"
#include "frames/mtk_sirf_frames.h"

namespace gnss {
namespace {

using testing::MakeEpoFile;

struct RecognitionCase {
    const char* Name;
    std::string File;
    EpoType Type;
    uint8_t Days;
    uint16_t Records;
    uint16_t Packets;
    uint16_t PacketId;
    uint16_t PacketLength;
};

TEST(EpoFile, RecognisesTheVariantsAndTheirGeometry) {
    const RecognitionCase cases[] = {
        {"EPO I, 7 days", MakeEpoFile(60, 32, 28, 1000), EpoType::EpoI, 7, 896, 300, 722, 191},
        {"EPO II, 7 days", MakeEpoFile(72, 32, 28, 1000), EpoType::EpoIIGps, 7, 896, 300, 723, 227},
        // A multiple of both day sizes is taken as GPS only.
        {"EPO II, 14 days", MakeEpoFile(72, 32, 56, 1000), EpoType::EpoIIGps, 14, 1792, 599, 723,
         227},
        {"EPO II GPS+GLONASS, 1 day", MakeEpoFile(72, 56, 4, 1000), EpoType::EpoIIGpsGlonass, 1,
         224, 76, 723, 227},
        // 30 records: a multiple of three needs no padded packet.
        {"EPO I, 30 records", MakeEpoFile(60, 30, 1, 1000), EpoType::EpoI, 0, 30, 11, 722, 191},
        {"74 bytes", std::string(74, '\0'), EpoType::Unknown, 0, 0, 0, 0, 0},
        {"72-byte records of no whole day", MakeEpoFile(72, 32, 3, 1000), EpoType::Unknown, 0, 0, 0,
         0, 0},
        {"hours that never repeat", MakeEpoFile(72, 1, 10, 1000), EpoType::Unknown, 0, 0, 0, 0, 0},
    };
    for (const RecognitionCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const EpoInfo info = RecogniseEpoFile(c.File);
        EXPECT_EQ(info.Type, c.Type);
        EXPECT_EQ(info.DayCount, c.Days);
        EXPECT_EQ(info.RecordCount, c.Records);
        EXPECT_EQ(info.PacketCount, c.Packets);
        EXPECT_EQ(info.PacketId, c.PacketId);
        EXPECT_EQ(info.PacketLength, c.PacketLength);
    }
    EXPECT_EQ(MakeEpoFile(60, 32, 28, 1000).size(), kEpoISevenDaysSize);
    EXPECT_EQ(MakeEpoFile(72, 32, 28, 1000).size(), kEpoIISevenDaysSize);
    EXPECT_EQ(MakeEpoFile(72, 32, 56, 1000).size(), kEpoIIFourteenDaysSize);
}

TEST(EpoFile, CutsSevenDaysIntoThreeHundredFramesWithPaddingAndTerminator) {
    const std::string file = MakeEpoFile(72, 32, 28, 1234);
    const EpoInfo info = RecogniseEpoFile(file);
    const std::string stream = BuildEpoPackets(file, info);
    ASSERT_EQ(stream.size(), 300u * 227u);
    for (std::size_t i = 0; i < 300; ++i) {
        const std::string_view frame = std::string_view(stream).substr(i * 227, 227);
        ASSERT_TRUE(IsMtkFrame(frame)) << i;
        EXPECT_EQ(MtkFrameLength(frame), 227);
        EXPECT_EQ(MtkFrameId(frame), 723);
        const std::string_view payload = MtkFramePayload(frame);
        const auto sequence = static_cast<uint16_t>(static_cast<uint8_t>(payload[0]) |
                                                    (static_cast<uint8_t>(payload[1]) << 8));
        EXPECT_EQ(sequence, i < 299 ? i : 0xFFFF) << i;
        if (i < 298) {
            EXPECT_EQ(payload.substr(2), std::string_view(file).substr(i * 216, 216)) << i;
        }
    }
    // Packet 298 carries the last two records and 72 zero bytes; the terminator only zeros.
    const std::string_view last = MtkFramePayload(std::string_view(stream).substr(298 * 227, 227));
    EXPECT_EQ(last.substr(2, 144), std::string_view(file).substr(298 * 216, 144));
    EXPECT_EQ(last.substr(146), std::string(72, '\0'));
    const std::string_view end = MtkFramePayload(std::string_view(stream).substr(299 * 227, 227));
    EXPECT_EQ(end.substr(2), std::string(216, '\0'));
}

TEST(EpoFile, UnknownFilesGiveNoPacketsAndValidDaysLeaveTheLastSet) {
    EXPECT_TRUE(BuildEpoPackets(std::string(74, '\x11'), RecogniseEpoFile(std::string(74, '\x11')))
                    .empty());
    EXPECT_TRUE(BuildEpoPackets("", EpoInfo{}).empty());
    EXPECT_DOUBLE_EQ(EpoValidDays(RecogniseEpoFile(MakeEpoFile(72, 32, 28, 1))), 6.75);
    EXPECT_DOUBLE_EQ(EpoValidDays(RecogniseEpoFile(MakeEpoFile(72, 32, 56, 1))), 13.75);
    EXPECT_EQ(EpoTypeName(EpoType::Unknown), "unKnow");
    EXPECT_EQ(EpoTypeName(EpoType::EpoIIGpsGlonass), "EPO_II_GPS_GLONASS");
}

TEST(EpoFile, RefusesFilesTooLargeForThePacketNumbering) {
    // 65,535 packets hold at most 196,602 records; one set more than that is refused rather
    // than cut short.
    const std::string huge = MakeEpoFile(60, 32, 6144, 1);  // 196,608 records
    EXPECT_EQ(RecogniseEpoFile(huge).Type, EpoType::Unknown);
}

}  // namespace
}  // namespace gnss
