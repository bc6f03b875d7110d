#include "assist/hd_assist_messages.h"

#include <gtest/gtest.h>

#include <string>

#include "frames/binary_frame.h"
#include "nmea/hex_text.h"

namespace gnss {
namespace {

// A file of `count` HD frames of `frameBytes` each, payload bytes numbered per frame.
std::string HdbFile(std::size_t frameBytes, std::size_t count) {
    std::string file;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string payload(frameBytes - kHdFrameOverhead, static_cast<char>(i));
        file += BuildHdFrame(0x0B, 0x01, payload);
    }
    return file;
}

struct PackCase {
    std::size_t FrameBytes;
    std::size_t Frames;
    HdbKind Kind;
    uint8_t MessageId;
    std::size_t Messages;
    std::size_t FirstPayload;
    std::size_t LastPayload;
};

class HdbPacking : public ::testing::TestWithParam<PackCase> {};

TEST_P(HdbPacking, PayloadsGroupedPerMessage) {
    const PackCase& c = GetParam();
    const std::string file = HdbFile(c.FrameBytes, c.Frames);
    const auto plan = PlanHdbUpload(file);
    ASSERT_TRUE(plan.has_value());
    EXPECT_EQ(plan->Kind, c.Kind);
    EXPECT_EQ(plan->FrameCount, c.Frames);
    ASSERT_EQ(plan->Messages.size(), c.Messages);
    EXPECT_EQ(FramePayloadLength(plan->Messages.front()), c.FirstPayload);
    EXPECT_EQ(FramePayloadLength(plan->Messages.back()), c.LastPayload);
    std::size_t frames = 0;
    for (std::size_t i = 0; i < plan->Messages.size(); ++i) {
        const std::string& m = plan->Messages[i];
        EXPECT_TRUE(IsHdFrame(m));
        EXPECT_EQ(FrameClass(m), 0x0B);
        EXPECT_EQ(FrameId(m), c.MessageId);
        // Each payload is the frames' payloads in order: the first byte names the frame.
        EXPECT_EQ(static_cast<std::size_t>(static_cast<uint8_t>(FramePayload(m)[0])), frames);
        frames += plan->FramesInMessage[i];
    }
    EXPECT_EQ(frames, c.Frames);
}

INSTANTIATE_TEST_SUITE_P(Files, HdbPacking,
                         ::testing::Values(
                             // 7,300 bytes: a multiple of 73 and of 100, taken as GNSS ephemeris.
                             PackCase{73, 100, HdbKind::Gnss, 0x32, 20, 325, 325},
                             PackCase{73, 7, HdbKind::Gnss, 0x32, 2, 325, 130},
                             // 1,000 bytes of BeiDou frames: 3 + 3 + 3 + 1.
                             PackCase{100, 10, HdbKind::Beidou, 0x33, 4, 276, 92}));

TEST(HdbPacking, LengthsOfNeitherKindUploadNothing) {
    EXPECT_FALSE(PlanHdbUpload("").has_value());
    EXPECT_FALSE(PlanHdbUpload(std::string(150, 'x')).has_value());
    EXPECT_EQ(HdbKindForLength(7300), HdbKind::Gnss);
    EXPECT_EQ(HdbKindForLength(200), HdbKind::Beidou);
}

TEST(InitialAiding, TimeMessageBytes) {
    const DateTimeParts utc{2024, 3, 1, 12, 34, 56, 0};
    const std::string frame = BuildAidTime(utc);
    EXPECT_EQ(FrameClass(frame), 0x0B);
    EXPECT_EQ(FrameId(frame), 0x11);
    EXPECT_EQ(BinToHex(FramePayload(frame)), "000011E80703010C2238" + std::string(20, '0'));
}

TEST(InitialAiding, PositionMessagesScaleAndRound) {
    const AidPosition where{25.0336123, -121.5646789, 45.6};
    const DateTimeParts utc{2024, 3, 1, 12, 34, 56, 0};
    const std::string posTime = BuildAidPosTime(where, utc);
    EXPECT_EQ(FrameId(posTime), 0x02);
    ASSERT_EQ(FramePayloadLength(posTime), 22u);
    // 2503361 and -12156467 (truncated), then 46 m (rounded).
    EXPECT_EQ(BinToHex(FramePayload(posTime)).substr(0, 24), "C1322600CD8146FF2E000000");
    EXPECT_EQ(BinToHex(FramePayload(posTime)).substr(24), "03010C2238000000E807");

    const std::string pos = BuildAidPos(where);
    EXPECT_EQ(FrameId(pos), 0x10);
    ASSERT_EQ(FramePayloadLength(pos), 17u);
    // 250336123, -1215646789 and 4560 cm, rounded.
    EXPECT_EQ(BinToHex(FramePayload(pos)), "017BD3EB0EBBB38AB7D011000000000000");
    EXPECT_TRUE(BuildInitialAiding(InitialAiding::None, where, utc).empty());
}

TEST(HexFile, OneFramePerLineUntilABadLine) {
    const HexFileFrames ok = ReadHexFrames("  F1D90B11 \r\n\r\nf1d9\n");
    ASSERT_EQ(ok.Frames.size(), 2u);
    EXPECT_EQ(ok.Lines[0], "F1D90B11");
    EXPECT_EQ(ok.Frames[1], std::string("\xF1\xD9"));
    EXPECT_EQ(ok.BadLine, 0u);

    const HexFileFrames bad = ReadHexFrames("F1D9\nF1D\nF1D9\n");
    EXPECT_EQ(bad.Frames.size(), 1u);
    EXPECT_EQ(bad.BadLine, 2u);
}

}  // namespace
}  // namespace gnss
