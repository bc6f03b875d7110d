#include "frames/mtk_sirf_frames.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "nmea/hex_text.h"

namespace gnss {
namespace {

using namespace std::string_literals;

TEST(BuildMtkFrame, ReturnToNmeaMessageComesOutByteForByte) {
    const std::string frame = BuildMtkFrame(253, "\x00\x00\x00\x00\x00"s);
    EXPECT_EQ(BinToHex(frame), "04240E00FD000000000000F30D0A");
    EXPECT_TRUE(IsMtkFrame(frame));
    EXPECT_EQ(MtkFrameLength(frame), 14);
    EXPECT_EQ(MtkFrameId(frame), 253);
    EXPECT_EQ(MtkFramePayload(frame), "\x00\x00\x00\x00\x00"s);
}

TEST(IsMtkFrame, ReadsTheReceiversAcknowledgement) {
    const std::string ack = HexToBin("04240C000100FD0003F30D0A");
    ASSERT_TRUE(IsMtkFrame(ack));
    EXPECT_EQ(MtkFrameId(ack), 1);
    EXPECT_EQ(MtkFramePayload(ack), "\xFD\x00\x03"s);
}

TEST(IsMtkFrame, RejectsDamagedOrShortFrames) {
    const std::string good = BuildMtkFrame(253, "\x00\x00\x00\x00\x00"s);
    std::string badChecksum = good;
    badChecksum[good.size() - 3] ^= 1;
    std::string badStart = good;
    badStart[1] = 0x25;
    const std::vector<std::string> bad = {
        "",
        BuildMtkFrame(2, ""),  // 9 bytes: an id without payload, checksum right
        badChecksum,
        badStart,
        good.substr(0, good.size() - 1),
        good + "\x00"s,
    };
    for (std::size_t i = 0; i < bad.size(); ++i) EXPECT_FALSE(IsMtkFrame(bad[i])) << i;
    EXPECT_EQ(bad[1].size(), 9u);
}

TEST(IsMtkFrame, DoesNotCompareTheLengthField) {
    std::string frame = BuildMtkFrame(1, "\x01\x02"s);
    frame[2] = 0x30;  // claim 48 bytes; fix the checksum so only the length is wrong
    frame[frame.size() - 3] ^= 0x30 ^ 0x0B;
    EXPECT_TRUE(IsMtkFrame(frame));
}

TEST(MtkAccessors, ShortStringsGiveZeroAndEmpty) {
    EXPECT_EQ(MtkFrameLength("\x04\x24\x0E"), 0);
    EXPECT_EQ(MtkFrameId("\x04\x24\x0E\x00\xFD"s), 0);
    EXPECT_EQ(MtkFramePayload("\x04\x24"), "");
    EXPECT_EQ(MtkFramePayload(BuildMtkFrame(7, "")), "");
}

TEST(BuildMtkFrame, LongPayloadsUseTheFullLengthField) {
    const std::string payload(1000, '\x5A');
    const std::string frame = BuildMtkFrame(0x1234, payload);
    EXPECT_EQ(MtkFrameLength(frame), 1009);
    EXPECT_EQ(MtkFrameId(frame), 0x1234);
    EXPECT_TRUE(IsMtkFrame(frame));
    EXPECT_EQ(MtkFramePayload(frame), payload);
    EXPECT_THROW((void)BuildMtkFrame(1, std::string(kMtkMaxPayload + 1, 'x')), std::length_error);
}

TEST(SirfChecksum, FifteenBitSumOfThePayload) {
    const std::string fixed = SirfSwitchToNmea9600Frame();
    EXPECT_EQ(SirfChecksum(fixed.substr(4, 24)), 0x0137);
    EXPECT_EQ(SirfChecksum("\x84\x00"s), 0x0084);
    EXPECT_EQ(SirfChecksum(""), 0);
    // 300 bytes of FF sum to 0x12AD4: the 16-bit wrap gives 0x2AD4, within 15 bits.
    EXPECT_EQ(SirfChecksum(std::string(300, '\xFF')), 0x2AD4);
    // 200 bytes of FF sum to 0xC738: bit 15 is dropped.
    EXPECT_EQ(SirfChecksum(std::string(200, '\xFF')), 0x4738);
}

TEST(SirfSwitchToNmea, BuilderReproducesTheFixedFrame) {
    EXPECT_EQ(BinToHex(SirfSwitchToNmea9600Frame()),
              "A0A20018810201010101010101010101010100010001000100002580"
              "0137B0B3");
    EXPECT_EQ(BuildSirfSwitchToNmea(9600), SirfSwitchToNmea9600Frame());
    const auto fast = BuildSirfSwitchToNmea(57600);
    ASSERT_TRUE(fast.has_value());
    EXPECT_EQ(BinToHex(fast->substr(26, 2)), "E100");
    EXPECT_EQ(fast->size(), 32u);
    EXPECT_EQ(BuildSirfFrame(fast->substr(4, 24)), *fast);
    EXPECT_FALSE(BuildSirfSwitchToNmea(115200).has_value());  // does not fit 16 bits
    EXPECT_FALSE(BuildSirfSwitchToNmea(0).has_value());
}

TEST(SirfThroughput, RecognisedByItsFirstFiveBytes) {
    EXPECT_TRUE(IsSirfThroughputFrameStart("\xA0\xA2\x00\x09\x09\x00\x01"s));
    EXPECT_TRUE(IsSirfThroughputFrameStart("\xA0\xA2\x00\x09\x09"s));
    EXPECT_FALSE(IsSirfThroughputFrameStart("\xA0\xA2\x00\x09"s));
    EXPECT_FALSE(IsSirfThroughputFrameStart("\xA0\xA2\x00\x09\x0A"s));
    EXPECT_FALSE(IsSirfThroughputFrameStart(""));
}

}  // namespace
}  // namespace gnss
