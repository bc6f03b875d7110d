#include "frames/binary_frame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gnss {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

TEST(BinaryFrame, ChecksumsAndBuildersGiveTheKnownFrames) {
    struct Case {
        std::string built;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {BuildHdFrame(0x0A, 0x04, {}), Bytes({0xF1, 0xD9, 0x0A, 0x04, 0x00, 0x00, 0x0E, 0x34})},
        {BuildHdFrame(0x06, 0x43, {}), Bytes({0xF1, 0xD9, 0x06, 0x43, 0x00, 0x00, 0x49, 0xE1})},
        {BuildHdFrame(0x06, 0x40, Bytes({0x03})),
         Bytes({0xF1, 0xD9, 0x06, 0x40, 0x01, 0x00, 0x03, 0x4A, 0x24})},
        {BuildAck(FrameProtocol::Hd, 0x06, 0x40),
         Bytes({0xF1, 0xD9, 0x05, 0x01, 0x02, 0x00, 0x06, 0x40, 0x4E, 0x77})},
        {BuildAck(FrameProtocol::Ubx, 0x06, 0x04),
         Bytes({0xB5, 0x62, 0x05, 0x01, 0x02, 0x00, 0x06, 0x04, 0x12, 0x3B})},
        {BuildUbxFrame(0x06, 0x04, Bytes({0x00, 0x00, 0x02, 0x00})),
         Bytes({0xB5, 0x62, 0x06, 0x04, 0x04, 0x00, 0x00, 0x00, 0x02, 0x00, 0x10, 0x68})},
        {FletcherChecksum(Bytes({0xF1, 0xD9, 0x0A, 0x04, 0x00, 0x00})), Bytes({0x0E, 0x34})},
        {FletcherChecksum(""), Bytes({0x00, 0x00})},
        {BuildUbxFrame(0x01, 0x02, std::string(0x10000, 'x')), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.built, c.expected);
}

TEST(BinaryFrame, AccessorsAndChecksOnShortAndDamagedFrames) {
    const std::string ack = BuildAck(FrameProtocol::Ubx, 0x06, 0x04);
    EXPECT_EQ(FrameClass(ack), 0x05);
    EXPECT_EQ(FrameId(ack), 0x01);
    EXPECT_EQ(FramePayloadLength(ack), 2);
    EXPECT_EQ(FramePayload(ack), Bytes({0x06, 0x04}));
    EXPECT_TRUE(IsUbxFrame(ack));
    EXPECT_FALSE(IsHdFrame(ack));

    const std::string seven = ack.substr(0, 7);
    EXPECT_EQ(FrameClass(seven), 0);
    EXPECT_EQ(FramePayloadLength(seven), 0);
    EXPECT_EQ(FramePayload(seven), "");
    EXPECT_FALSE(FrameChecksumValid(seven));
    EXPECT_FALSE(IsUbxFrame(seven));

    std::string badSum = ack;
    badSum.back() = static_cast<char>(badSum.back() ^ 1);
    EXPECT_FALSE(IsUbxFrame(badSum));
    EXPECT_FALSE(IsUbxFrame(ack + "x"));  // length no longer matches the field
}

TEST(BinaryFrame, FindersReportSyncPositionAndCompleteAcceptedCandidates) {
    const std::string ubx = BuildUbxFrame(0x0A, 0x04, "abc");
    const std::string hd = BuildHdFrame(0x0B, 0x32, "p");
    struct Case {
        const char* name;
        std::string buffer;
        std::size_t start;
        bool ubx;
        std::size_t position;
        std::string frame;
    };
    const std::vector<Case> cases = {
        {"none", "$GPGGA,1*00\r\n", 1, true, 0, ""},
        {"at start", ubx, 1, true, 1, ubx},
        {"after text", "xy" + ubx + "z", 1, true, 3, ubx},
        {"start past it", "xy" + ubx + ubx, 4, true, 3 + ubx.size(), ubx},
        {"start beyond end", ubx, 100, true, 0, ""},
        {"start zero counts as one", ubx, 0, true, 1, ubx},
        {"lone first sync byte", "\xB5\xB5" + ubx, 1, true, 3, ubx},
        {"sync at the very end", std::string("ab\xB5\x62", 4), 1, true, 3, ""},
        {"incomplete", ubx.substr(0, ubx.size() - 1), 1, true, 1, ""},
        {"length far past data", Bytes({0xB5, 0x62, 0x01, 0x02, 0xFF, 0xFF, 0, 0, 0, 0}), 1, true,
         1, ""},
        {"class not accepted", BuildUbxFrame(0x0C, 0x01, "q"), 1, true, 1, ""},
        {"zero payload frame ending the buffer", BuildUbxFrame(0x0A, 0x04, ""), 1, true, 1,
         BuildUbxFrame(0x0A, 0x04, "")},
        {"hd", "ab" + hd, 1, false, 3, hd},
        {"hd ignores ubx", ubx, 1, false, 0, ""},
        {"hd class 0D not accepted", BuildHdFrame(0x0D, 0x01, ""), 1, false, 1, ""},
    };
    for (const auto& c : cases) {
        const FrameCandidate found =
            c.ubx ? FindUbxFrame(c.buffer, c.start) : FindHdFrame(c.buffer, c.start);
        EXPECT_EQ(found.Position, c.position) << c.name;
        EXPECT_EQ(found.Frame, c.frame) << c.name;
    }
}

TEST(BinaryFrame, CandidateIsNotCheckedBeyondClassAndCompleteness) {
    std::string frame = BuildUbxFrame(0x01, 0x07, "payload");
    frame.back() = 0;
    const FrameCandidate found = FindUbxFrame(frame, 1);
    EXPECT_EQ(found.Frame, frame);
    EXPECT_FALSE(IsUbxFrame(found.Frame));
}

TEST(BinaryFrame, ClassTables) {
    std::string ubx;
    std::string hd;
    for (int c = 0; c < 256; ++c) {
        if (UbxClassAccepted(static_cast<uint8_t>(c))) ubx.push_back(static_cast<char>(c));
        if (HdClassAccepted(static_cast<uint8_t>(c))) hd.push_back(static_cast<char>(c));
    }
    EXPECT_EQ(ubx, Bytes({0x01, 0x02, 0x04, 0x05, 0x06, 0x0A, 0x0B, 0x0D, 0x21}));
    EXPECT_EQ(hd, Bytes({0x01, 0x02, 0x05, 0x06, 0x0A, 0x0B}));
}

}  // namespace
}  // namespace gnss
