// The traffic-message panel: what the radio's sentences show, the spectrum, and the commands.

#include "views/traffic_panel.h"

#include <gtest/gtest.h>

#include "link/memory_receiver_port.h"

namespace gnss {
namespace {

struct TrafficBench {
    TrafficBench() {
        port.SetPortName("ttyUSB0");
        (void)port.Open();
        shared.PortOpen = true;
        shared.Family = ReceiverFamily::TMC;
        identification.TrafficMessageMode = true;
        panel.OnReceiverIdentified();
    }
    void Feed(std::string_view line) { panel.OnLinePassedChain(line); }

    SharedState shared;
    MemoryReceiverPort port;
    IdentificationResult identification;
    bool crLf = true;
    TrafficPanel panel{{shared, port, identification, [this] { return crLf; }}};
};

TEST(TrafficPanel, QualityReportAfterMessagesAndAStationName) {
    TrafficBench b;
    b.Feed("$PQTTM,1,2,3*00");
    b.Feed("$PQTTM,1,2,3*00");
    b.Feed("$PQTCH,\"RADIO 1\"*00");
    b.Feed("$PQTTQ,10777,45,S,0,1*00");
    const TrafficPanelView& v = b.panel.View();
    EXPECT_EQ(v.RateText, " 2");
    EXPECT_FALSE(v.StationGreyed);
    EXPECT_EQ(v.StationText, "RADIO 1");
    EXPECT_EQ(v.FrequencyText, "FM:107.77 MHz");
    EXPECT_EQ(v.RssiText, "RSSI: 45 dBuV");
    EXPECT_EQ(v.SeekText, "S");
    EXPECT_EQ(v.SeekBackground, kTrafficSeekingBackground);
    ASSERT_EQ(v.Lines.size(), 1u);
    EXPECT_DOUBLE_EQ(v.Lines[0].FrequencyMhz, 107.77);
    EXPECT_DOUBLE_EQ(v.Lines[0].Strength, 45.0);

    // The same report with nothing in between: only the rate and the station style change.
    b.Feed("$PQTTQ,10777,45,S,0,1*00");
    EXPECT_EQ(v.RateText, " 0");
    EXPECT_TRUE(v.StationGreyed);
    EXPECT_EQ(v.FrequencyText, "FM:107.77 MHz");
    EXPECT_EQ(v.Lines.size(), 1u);

    // A locked station: black behind the seek state.
    b.Feed("$PQTTQ,10777,45,L,1,1*00");
    EXPECT_EQ(v.SeekBackground, kTrafficLabelBackground);
}

TEST(TrafficPanel, QualityReportNeedsExactlySixSeparators) {
    struct Case {
        std::string_view Line;
        bool Applied;
    };
    const Case cases[] = {
        {"$PQTTQ,9810,30,S,0,1*00", true},     {"$PQTTQ,9810,30,S,0*00", false},  // five separators
        {"$PQTTQ,9810,30,S,0,1,7*00", false},                                     // seven
        {"$PQTTQ,9810,30,S,0,1", false},        // no checksum: five
        {"$PQTTQ,9810,30,S,0,1*00*11", false},  // two stars
        {"$PQTTQ,9810,30,S,0,1*00\r\n", true},  // line end does not count
    };
    for (const Case& c : cases) {
        TrafficBench b;
        b.Feed("$PQTTM,1*00");
        b.Feed(c.Line);
        EXPECT_EQ(b.panel.View().RateText, " 1") << c.Line;  // the rate always follows
        EXPECT_EQ(b.panel.View().FrequencyText.empty(), !c.Applied) << c.Line;
        EXPECT_EQ(b.panel.View().Lines.size(), c.Applied ? 1u : 0u) << c.Line;
    }
}

TEST(TrafficPanel, SpectrumKeepsFirstAppearanceOrderAndMovesTheMarker) {
    TrafficBench b;
    b.Feed("$PQTTQ,10777,45,S,0,1*00");
    b.Feed("$PQTTQ,9810,30,S,0,1*00");
    const TrafficPanelView& v = b.panel.View();
    EXPECT_EQ(v.FrequencyText, "FM: 98.10 MHz");
    ASSERT_EQ(v.Lines.size(), 2u);
    EXPECT_DOUBLE_EQ(v.Lines[1].FrequencyMhz, 98.10);
    EXPECT_DOUBLE_EQ(v.Marker.FrequencyMhz, 98.10);
    // Back to the first station, now stronger: its own line changes, the order stays.
    b.Feed("$PQTTQ,10777,50,S,0,1*00");
    ASSERT_EQ(v.Lines.size(), 2u);
    EXPECT_DOUBLE_EQ(v.Lines[0].Strength, 50.0);
    EXPECT_DOUBLE_EQ(v.Lines[1].Strength, 30.0);
    EXPECT_DOUBLE_EQ(v.Marker.FrequencyMhz, 107.77);
}

TEST(TrafficPanel, BadFrequenciesAndStrengthsLeaveThePlotAlone) {
    const std::string_view bad[] = {
        "$PQTTQ,75,45,S,0,1*00",     // below the band
        "$PQTTQ,80,45,S,0,1*00",     // not above 80
        "$PQTTQ,FM,45,S,0,1*00",     // not a number
        "$PQTTQ,10777,xx,S,0,1*00",  // strength not a number
        "$PQTTQ,,,,,*00",            // empty fields
        "$PQTTQ,1e999,45,S,0,1*00",  // overflow
    };
    for (std::string_view line : bad) {
        TrafficBench b;
        b.Feed("$PQTTQ,9810,30,S,0,1*00");
        b.Feed(line);
        EXPECT_EQ(b.panel.View().Lines.size(), 1u) << line;
        EXPECT_DOUBLE_EQ(b.panel.View().Marker.FrequencyMhz, 98.10) << line;
        EXPECT_FALSE(b.panel.View().FrequencyText.empty()) << line;  // the label shows the text
    }
    // A long field is cut to five characters.
    TrafficBench b;
    b.Feed("$PQTTQ,1077712345,45,S,0,1*00");
    EXPECT_EQ(b.panel.View().FrequencyText, "FM:107.77 MHz");
}

TEST(TrafficPanel, CountryAndStationNames) {
    TrafficBench b;
    EXPECT_EQ(b.panel.View().CountryText, "CC:");
    b.Feed("$PQTMT,E*00");
    EXPECT_EQ(b.panel.View().CountryText, "CC:E");
    b.Feed("$PQTCH,\"X\"*00");
    EXPECT_EQ(b.panel.View().StationText, "X");
    b.Feed("$PQTCH,\"*00");  // a name too short for its quotes
    EXPECT_EQ(b.panel.View().StationText, "");
    b.Feed("$GPGGA,1,2*00");  // other lines change nothing
    EXPECT_EQ(b.panel.View().StationText, "");
}

TEST(TrafficPanel, CommandsTuningAndItsClamp) {
    TrafficBench b;
    b.panel.ButtonClicked(TrafficButton::SearchDown);
    b.panel.ButtonClicked(TrafficButton::Stay);
    b.panel.ButtonClicked(TrafficButton::SearchUp);
    b.panel.SetTuneValue(12000);
    b.panel.TuneToClicked();
    EXPECT_EQ(b.panel.View().TuneValue, 10800);
    b.panel.SetTuneValue(100);
    b.panel.TuneToClicked();
    b.panel.AutoClicked();
    EXPECT_EQ(b.port.WrittenBytes(),
              "$PQTCM,-\r\n$PQTCM,A1\r\n$PQTCM,+\r\n$PQTCM,H2,10800\r\n$PQTCM,H2,8750\r\n"
              "$PQTCM,A2\r\n");

    // Without CR LF; blank and bracket-only texts send nothing.
    TrafficBench c;
    c.crLf = false;
    c.panel.SendTrafficCommand("  $PQTCM,+ (up) ");
    c.panel.SendTrafficCommand("  (nothing) ");
    c.panel.SendTrafficCommand("   ");
    EXPECT_EQ(c.port.WrittenBytes(), "$PQTCM,+");

    // With the port closed nothing goes out, and the box is still clamped.
    TrafficBench closed;
    closed.shared.PortOpen = false;
    closed.panel.ButtonClicked(TrafficButton::SearchUp);
    closed.panel.SetTuneValue(1);
    closed.panel.TuneToClicked();
    closed.panel.AutoClicked();
    EXPECT_EQ(closed.port.WrittenBytes(), "");
    EXPECT_EQ(closed.panel.View().TuneValue, kTuneMin);
}

TEST(TrafficPanel, ShownForRadiosNavigationOnlyForTheCombinedReceiver) {
    TrafficBench b;
    EXPECT_TRUE(b.panel.View().Visible);
    EXPECT_TRUE(b.panel.View().NavigationHidden);
    EXPECT_TRUE(b.panel.View().TuningControlsShown);
    b.panel.OnDisconnected();
    EXPECT_FALSE(b.panel.View().TuningControlsShown);
    EXPECT_TRUE(b.panel.View().Visible);  // with its last values

    b.shared.Family = ReceiverFamily::SiRF;
    b.panel.OnReceiverIdentified();
    EXPECT_TRUE(b.panel.View().Visible);
    EXPECT_FALSE(b.panel.View().NavigationHidden);

    b.identification.TrafficMessageMode = false;
    b.panel.OnReceiverIdentified();
    EXPECT_FALSE(b.panel.View().Visible);
    b.Feed("$PQTTM,1*00");  // not followed while hidden
    b.identification.TrafficMessageMode = true;
    b.panel.OnReceiverIdentified();
    b.Feed("$PQTTQ,10777,45,S,0,1*00");
    EXPECT_EQ(b.panel.View().RateText, " 0");
}

TEST(TrafficPanel, ClearingWhileConnectedKeepsLinesAndAddsNewOnes) {
    TrafficBench b;
    b.Feed("$PQTTQ,10777,45,S,0,1*00");
    b.Feed("$PQTTQ,9810,30,S,0,1*00");
    b.panel.ClearSpectrum(true);
    EXPECT_EQ(b.panel.View().Lines.size(), 2u);
    b.Feed("$PQTTQ,10777,20,S,0,1*00");  // heard again after the clear: a new line
    b.Feed("$PQTTQ,10777,25,S,0,1*00");  // and that new line follows it
    const auto& lines = b.panel.View().Lines;
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_DOUBLE_EQ(lines[0].Strength, 45.0);
    EXPECT_DOUBLE_EQ(lines[1].Strength, 30.0);
    EXPECT_DOUBLE_EQ(lines[2].Strength, 25.0);

    b.panel.ClearSpectrum(false);
    EXPECT_TRUE(b.panel.View().Lines.empty());
    EXPECT_FALSE(b.panel.View().HasMarker);
}

TEST(TrafficPanel, AxesTicksAndLabels) {
    EXPECT_EQ(SpectrumXTicks(350), 11);
    EXPECT_EQ(SpectrumXTicks(351), 22);
    EXPECT_EQ(SpectrumAxisLabel(87.3), "87.3");
    EXPECT_EQ(SpectrumAxisLabel(108.2), "108.2");
    EXPECT_EQ(SpectrumAxisLabel(52.0), "52");
    EXPECT_EQ(SpectrumAxisLabel(89.39), "89.39");
    EXPECT_EQ(SpectrumAxisLabel(0.0), "0");
}

}  // namespace
}  // namespace gnss
