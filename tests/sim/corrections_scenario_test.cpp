// The correction link in the application core against a simulated RTK receiver on virtual time:
// the test plays the NTRIP client's TCP output with a double and feeds it the RTCM 3 capture of
// the test data; the receiver must get exactly the frames, report RTK fixed while they arrive,
// and the link must end with the receiver's connection.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "corrections/rtcm3_frames.h"
#include "doubles/fake_correction_source.h"
#include "sim/app_core_station.h"

namespace gnss {
namespace {

using testing::AppCoreStation;
using testing::FakeCorrectionSource;

constexpr const char* kCapture = "trimble_netr9_rtcm3_msm7_gps-glo-qzs-bds_cut-at-256k.rtcm3";

// The capture cut after its last whole frame, and its frames counted per type (walking the
// length fields, independently of the scanner).
struct CaptureFrames {
    std::string Bytes;
    std::map<uint16_t, uint64_t> Counts;
};
CaptureFrames WholeFrames(const std::string& capture) {
    CaptureFrames frames;
    std::size_t pos = 0;
    while (pos + 6 <= capture.size() && static_cast<uint8_t>(capture[pos]) == kRtcm3Preamble) {
        const std::size_t length = (static_cast<std::size_t>(capture[pos + 1] & 0x03) << 8) |
                                   static_cast<uint8_t>(capture[pos + 2]);
        if (pos + length + 6 > capture.size()) break;
        ++frames.Counts[static_cast<uint16_t>(RtcmBits(capture.substr(pos + 3, 2), 0, 12))];
        pos += length + 6;
    }
    frames.Bytes = capture.substr(0, pos);
    return frames;
}

sim::SimConfig RtkReceiver() {
    sim::SimConfig config;
    config.Family = "rtk-df";
    config.Rtk = true;
    return config;
}

TEST(CorrectionsScenario, CaptureReachesTheRtkReceiverUnchangedAndTheFixTurnsFixed) {
    const std::string capture = AppCoreStation::ReadCapture(kCapture);
    ASSERT_GT(capture.size(), 100000U) << "missing capture " << kCapture;
    const CaptureFrames frames = WholeFrames(capture);
    ASSERT_GT(frames.Bytes.size(), capture.size() - 1100);

    AppCoreStation station(RtkReceiver());
    FakeCorrectionSource source;
    station.core.Corrections.SetSource(source);
    std::string received;
    station.simulated->Rtk()->RecordSink = [&](std::string_view frame) { received += frame; };
    ASSERT_TRUE(station.Identify());
    EXPECT_TRUE(station.core.NtripButtonVisible());

    station.core.AccessWordEntered("rtcm");
    EXPECT_TRUE(station.core.Corrections.PanelView().Visible);
    station.core.Corrections.SetLinkTicked(true);
    ASSERT_TRUE(station.core.Corrections.LinkOn());
    EXPECT_EQ(station.core.Receiver().FixQuality, 5);  // float without corrections

    // 10 kB a second, as a busy caster sends them.
    for (std::size_t i = 0; i < frames.Bytes.size(); i += 10000) {
        source.Buffered += frames.Bytes.substr(i, 10000);
        station.time.Advance(1000);
        if (i == 50000) {
            EXPECT_EQ(station.core.Receiver().FixQuality, 4);
        }
    }
    station.time.Advance(2000);
    EXPECT_EQ(received.size(), frames.Bytes.size());
    EXPECT_TRUE(received == frames.Bytes);
    EXPECT_EQ(station.core.Corrections.Frames().CountsByType, frames.Counts);
    EXPECT_EQ(station.core.Corrections.Frames().CrcFailures, 0U);
    EXPECT_EQ(station.core.Corrections.TotalBytes(), frames.Bytes.size());
    EXPECT_EQ(station.core.Navigation.View().FixText, "RTK (Fix)");
    const std::string counts = station.core.Window.StatusBar().Text(StatusPanel::RestartMode);
    EXPECT_NE(counts.find("/0"), std::string::npos) << counts;  // "<seconds>/0" when quiet

    // Corrections stop: float again after a few seconds.
    station.time.Advance(5000);
    EXPECT_EQ(station.core.Receiver().FixQuality, 5);

    station.Connect();  // disconnect
    EXPECT_FALSE(station.core.Corrections.LinkOn());
    EXPECT_FALSE(source.Connected);
    EXPECT_FALSE(station.core.Corrections.PanelView().Visible);
    EXPECT_EQ(station.core.Corrections.PanelView().StatusText, kLinkClosedText);
}

TEST(CorrectionsScenario, AccessWordLeavesThePanelHiddenForOtherReceivers) {
    sim::SimConfig config;
    config.Family = "mtk";
    AppCoreStation station(config);
    ASSERT_TRUE(station.Identify());
    station.core.AccessWordEntered("RTCM");
    EXPECT_FALSE(station.core.Corrections.PanelView().Visible);
    EXPECT_FALSE(station.core.NtripButtonVisible());
    station.core.CorrectionsPanelMenuToggled();
    EXPECT_TRUE(station.core.Corrections.PanelView().Visible);
}

}  // namespace
}  // namespace gnss
