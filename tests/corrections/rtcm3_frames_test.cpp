#include "corrections/rtcm3_frames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gnss {
namespace {

// A payload that starts with a 12-bit message type and a 12-bit station id.
std::string Payload(uint16_t type, uint16_t station, std::size_t size) {
    std::string payload(std::max<std::size_t>(size, 3), '\x55');
    payload[0] = static_cast<char>(type >> 4);
    payload[1] = static_cast<char>(((type & 0x0F) << 4) | ((station >> 8) & 0x0F));
    payload[2] = static_cast<char>(station & 0xFF);
    return payload.substr(0, std::max<std::size_t>(size, 3));
}

// Writes `value` as `count` bits from `offset` into `payload`.
void PutBits(std::string& payload, std::size_t offset, std::size_t count, uint64_t value) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t bit = offset + i;
        const auto mask = static_cast<char>(1U << (7 - bit % 8));
        if (((value >> (count - 1 - i)) & 1U) != 0) {
            payload[bit / 8] = static_cast<char>(payload[bit / 8] | mask);
        } else {
            payload[bit / 8] = static_cast<char>(payload[bit / 8] & ~mask);
        }
    }
}

std::string StationPayload(uint16_t station, double x, double y, double z) {
    std::string payload(19, '\0');
    PutBits(payload, 0, 12, 1005);
    PutBits(payload, 12, 12, station);
    const auto units = [](double metres) {
        return static_cast<uint64_t>(static_cast<int64_t>(metres * 10000.0)) &
               ((uint64_t{1} << 38) - 1);
    };
    PutBits(payload, 34, 38, units(x));
    PutBits(payload, 74, 38, units(y));
    PutBits(payload, 114, 38, units(z));
    return payload;
}

TEST(Rtcm3FramesTest, CrcOfAKnownFrame) {
    // A 1005 frame as published in RTCM examples: D3 00 13 3E D7 D3 02 02 98 0E DE EF 34 B4 BD
    // 62 AC 09 41 98 6F 33 with CRC 36 0B 98.
    const std::string frame(
        "\xD3\x00\x13\x3E\xD7\xD3\x02\x02\x98\x0E\xDE\xEF\x34\xB4\xBD\x62\xAC\x09\x41\x98\x6F\x33",
        22);
    EXPECT_EQ(Crc24q(frame), 0x360B98U);
    EXPECT_EQ(BuildRtcm3Frame(frame.substr(3)), frame + std::string("\x36\x0B\x98", 3));
}

TEST(Rtcm3FramesTest, StationMessageGivesPositionAndId) {
    const std::string frame(
        "\xD3\x00\x13\x3E\xD7\xD3\x02\x02\x98\x0E\xDE\xEF\x34\xB4\xBD\x62\xAC\x09\x41\x98\x6F\x33"
        "\x36\x0B\x98",
        25);
    Rtcm3Scanner scanner;
    scanner.Feed(frame, 100);
    const auto& stats = scanner.Stats();
    ASSERT_TRUE(stats.Station.has_value());
    EXPECT_EQ(stats.Station->StationId, 2003);
    EXPECT_NEAR(stats.Station->EcefX, 1114104.5999, 1e-3);
    EXPECT_NEAR(stats.Station->EcefY, -4850729.7108, 1e-3);
    EXPECT_NEAR(stats.Station->EcefZ, 3975521.4643, 1e-3);
    EXPECT_NEAR(stats.Station->LatitudeDeg, 38.8, 0.1);
    EXPECT_NEAR(stats.Station->LongitudeDeg, -77.06, 0.1);
    EXPECT_EQ(stats.LastStationId, 2003);
    EXPECT_EQ(stats.CountsByType.at(1005), 1U);
}

TEST(Rtcm3FramesTest, GeodeticConversionOfAKnownPoint) {
    // Roughly Taipei: 25.0 N, 121.5 E, 30 m.
    const std::string payload = StationPayload(17, -3022153.2796, 4931705.9280, 2679087.1415);
    const std::optional<ReferenceStation> station = DecodeStationMessage(payload);
    ASSERT_TRUE(station.has_value());
    EXPECT_EQ(station->StationId, 17);
    EXPECT_NEAR(station->LatitudeDeg, 25.0, 1e-7);
    EXPECT_NEAR(station->LongitudeDeg, 121.5, 1e-6);
    EXPECT_NEAR(station->HeightM, 30.0, 1e-2);
}

struct StreamCase {
    const char* Name;
    std::vector<std::string> Pieces;
    uint64_t Frames;
    uint64_t CrcFailures;
    uint64_t SkippedBytes;
    std::size_t Pending;
};

class Rtcm3StreamTest : public ::testing::TestWithParam<StreamCase> {};

std::string Frame1077() {
    return BuildRtcm3Frame(Payload(1077, 5, 40));
}
std::string Frame1230() {
    return BuildRtcm3Frame(Payload(1230, 5, 8));
}
std::string BadCrc(std::string frame) {
    frame.back() = static_cast<char>(frame.back() ^ 0x01);
    return frame;
}
std::string Cut(const std::string& text, std::size_t from, std::size_t count = std::string::npos) {
    return text.substr(from, count);
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, Rtcm3StreamTest,
    ::testing::Values(
        StreamCase{"two frames in one piece", {Frame1077() + Frame1230()}, 2, 0, 0, 0},
        StreamCase{"garbage between frames",
                   {"$GPGGA,junk\r\n" + Frame1077() + "xx\xD3\xFF" + Frame1230() + "tail"},
                   2,
                   0,
                   13 + 4 + 4,
                   0},
        StreamCase{"frame cut across three reads",
                   {Cut(Frame1077(), 0, 2), Cut(Frame1077(), 2, 20), Cut(Frame1077(), 22)},
                   1,
                   0,
                   0,
                   0},
        StreamCase{"cut before the CRC waits", {Cut(Frame1077(), 0, 45)}, 0, 0, 0, 45},
        StreamCase{"wrong CRC is counted and skipped",
                   {BadCrc(Frame1077()) + Frame1230()},
                   1,
                   1,
                   Frame1077().size(),
                   0},
        StreamCase{
            "largest payload", {BuildRtcm3Frame(Payload(4072, 0, kRtcm3MaxPayload))}, 1, 0, 0, 0},
        StreamCase{"empty payload is a frame without a type", {BuildRtcm3Frame("")}, 1, 0, 0, 0}),
    [](const ::testing::TestParamInfo<StreamCase>& info) {
        std::string name = info.param.Name;
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        }
        return name;
    });

TEST_P(Rtcm3StreamTest, CountsFramesFailuresAndSkippedBytes) {
    const StreamCase& c = GetParam();
    Rtcm3Scanner scanner;
    uint32_t tick = 0;
    for (const std::string& piece : c.Pieces) scanner.Feed(piece, tick += 10);
    EXPECT_EQ(scanner.Stats().Frames, c.Frames);
    EXPECT_EQ(scanner.Stats().CrcFailures, c.CrcFailures);
    EXPECT_EQ(scanner.Stats().SkippedBytes, c.SkippedBytes);
    EXPECT_EQ(scanner.PendingBytes(), c.Pending);
}

TEST(Rtcm3FramesTest, LargestPayloadKeepsItsTypeAndLength) {
    const std::string frame = BuildRtcm3Frame(Payload(4072, 0, 2000));
    EXPECT_EQ(frame.size(), kRtcm3MaxPayload + 6);  // cut to the largest payload
    Rtcm3Scanner scanner;
    scanner.Feed(frame, 1);
    EXPECT_EQ(scanner.Stats().CountsByType.at(4072), 1U);
}

TEST(Rtcm3FramesTest, CountsPerTypeAndKeepsTheLastFrameTime) {
    Rtcm3Scanner scanner;
    scanner.Feed(Frame1077() + Frame1077(), 1000);
    scanner.Feed(Frame1230(), 2000);
    scanner.Feed("noise", 3000);
    EXPECT_EQ(scanner.Stats().CountsByType.at(1077), 2U);
    EXPECT_EQ(scanner.Stats().CountsByType.at(1230), 1U);
    EXPECT_EQ(scanner.Stats().LastFrameTickMs, 2000U);
    EXPECT_EQ(scanner.Stats().LastMessageType, 1230);
    scanner.Reset();
    EXPECT_EQ(scanner.Stats().Frames, 0U);
    EXPECT_TRUE(scanner.Stats().CountsByType.empty());
}

TEST(Rtcm3FramesTest, MessageNames) {
    const std::pair<uint16_t, std::string> cases[] = {
        {1005, "Station ARP"},
        {1074, "GPS MSM4"},
        {1077, "GPS MSM7"},
        {1087, "GLO MSM7"},
        {1097, "GAL MSM7"},
        {1127, "BDS MSM7"},
        {1117, "QZSS MSM7"},
        {1230, "GLO code biases"},
        {1070, ""},
        {4072, "Proprietary"},
        {999, ""},
    };
    for (const auto& [type, name] : cases) EXPECT_EQ(RtcmMessageName(type), name) << type;
}

TEST(Rtcm3FramesTest, SignedBits) {
    const std::string bytes("\xFF\x80", 2);
    EXPECT_EQ(RtcmSignedBits(bytes, 0, 9), -1);
    EXPECT_EQ(RtcmSignedBits(bytes, 1, 8), -1);
    EXPECT_EQ(RtcmSignedBits(bytes, 8, 2), -2);
    EXPECT_EQ(RtcmBits(bytes, 12, 8), 0U);  // beyond the end reads 0
}

}  // namespace
}  // namespace gnss
