#include "corrections/rtcm_forwarding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/virtual_time.h"
#include "doubles/fake_correction_source.h"
#include "doubles/recording_monitor_output.h"
#include "link/memory_receiver_port.h"

namespace gnss {
namespace {

using testing::FakeCorrectionSource;
using testing::RecordingMonitorOutput;

class RtcmForwardingTest : public ::testing::Test {
  protected:
    RtcmForwardingTest() {
        port.Open();
        shared.PortOpen = true;
        shared.Family = ReceiverFamily::RTK_DF;
        forwarding.SetSource(source);
        forwarding.OnStatusBarText = [this](std::string_view text) { statusBar = text; };
    }

    // One second of the link: the counter advances, then the link's second runs.
    void Second() {
        ++receiver.SecondsCounter;
        time.Advance(1000);
        forwarding.OnLinkSecond();
    }

    VirtualTime time;
    SharedState shared;
    ReceiverState receiver;
    MemoryReceiverPort port;
    IdentificationResult identification;
    RecordingMonitorOutput output;
    FakeCorrectionSource source;
    RtcmForwarding forwarding{
        RtcmForwarding::Deps{shared, receiver, port, time, identification, output}};
    std::string statusBar;
};

TEST_F(RtcmForwardingTest, TickingConnectsToTheLocalPortAndStartsTheCounts) {
    receiver.SecondsCounter = 40;
    forwarding.SetLocalPort(16900);
    forwarding.SetLinkTicked(true);
    EXPECT_EQ(source.Host, "127.0.0.1");
    EXPECT_EQ(source.Port, 16900);
    const RtcmPanelView view = forwarding.PanelView();
    EXPECT_TRUE(view.LinkTicked);
    EXPECT_EQ(view.StatusText, "NTrip connected");
    EXPECT_EQ(forwarding.LinkStartSecond(), 40);

    source.Buffered = "abc";
    Second();
    source.Buffered = "defgh";
    Second();
    EXPECT_EQ(port.WrittenBytes(), "abcdefgh");
    EXPECT_EQ(forwarding.PanelView().SecondsText, "  2");
    EXPECT_EQ(forwarding.PanelView().SizeText, "  5,    8");
    EXPECT_EQ(forwarding.PanelView().StepText, "0");
    EXPECT_EQ(statusBar, "2/5");
}

// Each row: what fails, and what the link shows afterwards.
struct FailureCase {
    const char* Name;
    bool ConnectFails;
    bool ReadFails;
    bool DisconnectFails;
    bool UntickAfterConnect;
    bool CasterLost;
    bool ExpectLinkOn;
    std::string_view ExpectStatus;
};

class RtcmForwardingFailureTest : public RtcmForwardingTest,
                                  public ::testing::WithParamInterface<FailureCase> {};

INSTANTIATE_TEST_SUITE_P(
    Table, RtcmForwardingFailureTest,
    ::testing::Values(
        FailureCase{"ConnectFails", true, false, false, false, false, false, kLinkFailedText},
        FailureCase{"ReadFails", false, true, false, false, false, false, kLinkFailedText},
        FailureCase{"UntickCloses", false, false, false, true, false, false, kLinkClosedText},
        FailureCase{"UntickFails", false, false, true, true, false, false, kLinkFailedText},
        FailureCase{"CasterLost", false, false, false, false, true, false, kLinkFailedText},
        FailureCase{"CasterLostAfterUntick", false, false, false, true, true, false,
                    kLinkClosedText},
        FailureCase{"NoFailure", false, false, false, false, false, true, kLinkConnectedText}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.Name); });

TEST_P(RtcmForwardingFailureTest, EndsTheLinkWithTheStatusText) {
    const FailureCase& c = GetParam();
    source.ConnectSucceeds = !c.ConnectFails;
    source.DisconnectSucceeds = !c.DisconnectFails;
    forwarding.SetLinkTicked(true);
    if (c.UntickAfterConnect) forwarding.SetLinkTicked(false);
    if (c.CasterLost) forwarding.CasterUnreachable();
    source.ReadFails = c.ReadFails;
    source.Buffered = "xyz";
    Second();
    EXPECT_EQ(forwarding.LinkOn(), c.ExpectLinkOn);
    EXPECT_EQ(forwarding.PanelView().LinkTicked, c.ExpectLinkOn);
    EXPECT_EQ(forwarding.PanelView().StatusText, c.ExpectStatus);
    if (!c.ExpectLinkOn) {
        EXPECT_EQ(forwarding.LinkStartSecond(), 0);
        EXPECT_TRUE(port.Writes().empty());
        EXPECT_FALSE(source.Connected);
    }
    EXPECT_EQ(forwarding.PanelView().StatusBar[0] == kCasterUnreachableText,
              c.CasterLost && !c.UntickAfterConnect);
}

TEST_F(RtcmForwardingTest, ReceiverPortClosedLosesTheBytesOfThatSecond) {
    forwarding.SetLinkTicked(true);
    port.FailWrites = true;
    source.Buffered = "lost";
    Second();
    port.FailWrites = false;
    source.Buffered = "kept";
    Second();
    EXPECT_EQ(port.WrittenBytes(), "kept");
    EXPECT_EQ(forwarding.TotalBytes(), 8U);
    EXPECT_TRUE(forwarding.LinkOn());
}

TEST_F(RtcmForwardingTest, QuietSecondWritesNothingButUpdatesTheLines) {
    forwarding.SetLinkTicked(true);
    source.Buffered = "12345";
    Second();
    port.ClearWrites();
    Second();
    EXPECT_TRUE(port.Writes().empty());
    EXPECT_EQ(forwarding.PanelView().SecondsText, "  2");
    EXPECT_EQ(forwarding.PanelView().SizeText, "  0,    5");
    EXPECT_EQ(forwarding.PanelView().StepText, "0");
    EXPECT_EQ(statusBar, "2/0");
}

TEST_F(RtcmForwardingTest, OnlyTheListedFamiliesAndRtkModulesReceiveCorrections) {
    struct Row {
        ReceiverFamily Family;
        bool RtkModule;
        bool Forwarded;
    };
    const Row rows[] = {
        {ReceiverFamily::ublox, false, true}, {ReceiverFamily::MTK, false, true},
        {ReceiverFamily::ST, false, true},    {ReceiverFamily::SimpleTec, false, true},
        {ReceiverFamily::TTT, false, true},   {ReceiverFamily::RTK_DF, false, true},
        {ReceiverFamily::SiRF, false, false}, {ReceiverFamily::Unknown, false, false},
        {ReceiverFamily::HED, false, false},  {ReceiverFamily::TDK_DR, false, false},
        {ReceiverFamily::TDK_DR, true, true},
    };
    for (const Row& row : rows) {
        port.ClearWrites();
        shared.Family = row.Family;
        identification.TakesNtripCorrections = row.RtkModule;
        forwarding.SetLinkTicked(true);
        source.Buffered = "RTCM";
        const int takesBefore = source.TakeCount;
        Second();
        const std::string name(FamilyDisplayName(row.Family));
        EXPECT_EQ(port.WrittenBytes(), row.Forwarded ? "RTCM" : "") << name;
        // Bytes not taken stay buffered on the connection.
        EXPECT_EQ(source.Buffered, row.Forwarded ? "" : "RTCM") << name;
        EXPECT_EQ(source.TakeCount - takesBefore, row.Forwarded ? 1 : 0) << name;
        forwarding.SetLinkTicked(false);
    }
}

TEST_F(RtcmForwardingTest, ReceiverDisconnectEndsTheLinkAndHidesThePanel) {
    identification.RtcmForwardingAvailable = true;
    forwarding.OnReceiverIdentified();
    forwarding.AccessWordEntered();
    forwarding.SetLinkTicked(true);
    source.Buffered = "abc";
    Second();
    ASSERT_TRUE(forwarding.PanelView().Visible);
    ASSERT_FALSE(forwarding.PanelView().StatusBar[0].empty());

    forwarding.OnDisconnected();
    const RtcmPanelView view = forwarding.PanelView();
    EXPECT_FALSE(forwarding.LinkOn());
    EXPECT_FALSE(view.LinkTicked);
    EXPECT_FALSE(view.Visible);
    EXPECT_EQ(view.StatusText, "NTrip disconnect");
    EXPECT_EQ(view.StatusBar, (std::array<std::string, 3>{}));
    EXPECT_FALSE(source.Connected);
}

TEST_F(RtcmForwardingTest, AccessWordShowsThePanelOnlyForRtkReceivers) {
    struct Row {
        bool Available;
        bool Qxwz;
        bool Shown;
    };
    for (const Row row :
         {Row{false, false, false}, Row{true, false, true}, Row{false, true, true}}) {
        forwarding.OnDisconnected();
        identification.RtcmForwardingAvailable = row.Available;
        identification.QxwzRtk = row.Qxwz;
        forwarding.OnReceiverIdentified();
        forwarding.AccessWordEntered();
        EXPECT_EQ(forwarding.PanelView().Visible, row.Shown);
    }
    forwarding.OnDisconnected();
    identification = IdentificationResult{};
    forwarding.OnReceiverIdentified();
    forwarding.TogglePanel();  // the menu entry opens it for any receiver
    EXPECT_TRUE(forwarding.PanelView().Visible);
}

TEST_F(RtcmForwardingTest, FramesInTheForwardedBytesAreCountedAndBytesStayUnchanged) {
    forwarding.SetLinkTicked(true);
    const std::string frame = BuildRtcm3Frame(std::string("\x43\x50\x05\x00\x00", 5));  // 1077
    const std::string stream = "noise" + frame + BuildRtcm3Frame("\x3E\xD0\x05") + frame;
    source.Buffered = stream.substr(0, 20);
    Second();
    source.Buffered = stream.substr(20);
    Second();
    EXPECT_EQ(port.WrittenBytes(), stream);
    const RtcmPanelView view = forwarding.PanelView();
    ASSERT_EQ(view.Types.size(), 2U);
    EXPECT_EQ(view.Types[0].MessageType, 1005);
    EXPECT_EQ(view.Types[0].Count, 1U);
    EXPECT_EQ(view.Types[1].MessageType, 1077);
    EXPECT_EQ(view.Types[1].Name, "GPS MSM7");
    EXPECT_EQ(view.Types[1].Count, 2U);
    EXPECT_EQ(view.FramesText, "Frames 3, CRC errors 0, other bytes 5");
    EXPECT_EQ(view.StationText, "Station 5 (no position message yet)");
    EXPECT_EQ(view.AgeText, "Last frame 0.0 s ago");
}

}  // namespace
}  // namespace gnss
