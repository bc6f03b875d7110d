// The status bar as the link, the connection and identification report into it, on a receive
// path fed through the port on virtual time.
#include "app/status_bar_presenter.h"

#include <gtest/gtest.h>

#include <string>

#include "doubles/identifying_station.h"
#include "nmea/nmea_checksum.h"

namespace gnss {
namespace {

std::string Line(std::string_view body) {
    return std::string(body) + NmeaChecksumSuffix(body) + "\r\n";
}

const std::string kGga = Line("$GPGGA,092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,,M,,");

struct Bar : testing::IdentifyingStation {
    Bar() {
        port.SetPortName("ttyUSB0");
        connection.SetShownPort("ttyUSB0");
        connection.SetShownBaud("9600");
    }
    // Bytes arrive, then a processing tick passes.
    void Feed(std::string_view bytes) {
        port.Feed(bytes);
        time.Advance(ReceiveDispatcher::kProcessingIntervalMs);
    }
    [[nodiscard]] const std::string& Text(StatusPanel panel) const { return statusBar.Text(panel); }
};

TEST(StatusBarPresenter, ConnectRecogniseIdentifyAndDisconnect) {
    Bar s;
    s.presenter.ShowClosedLink();
    EXPECT_EQ(s.Text(StatusPanel::LinkState), "NULL");

    s.connection.ToggleConnection();
    EXPECT_EQ(s.Text(StatusPanel::Port), "Open (ttyUSB0,9600 bps)");
    EXPECT_EQ(s.statusBar.Panel(StatusPanel::Port).Bevel, PanelBevel::Raised);

    s.Feed(kGga);
    EXPECT_EQ(s.Text(StatusPanel::LinkState), "NMEA");
    EXPECT_EQ(s.Text(StatusPanel::Message), "Baud Rate :9600");
    EXPECT_EQ(s.statusBar.Icon(), LinkIcon::ConnectedLampOn);

    // A traffic-message receiver says so in the message panel once it is identified.
    s.Feed(Line("$PMDTTMC,\"MDTMC RDS 2.0\""));
    s.Feed(kGga);
    ASSERT_TRUE(s.pipeline.Shared.ReceiverIdentified);
    EXPECT_EQ(s.Text(StatusPanel::Family), "TMC");
    EXPECT_EQ(s.Text(StatusPanel::Message), "TMC Baud Rate :9600");

    // The lamp goes dark two lamp ticks after the data, and the second shows the connection.
    s.time.Advance(1000);
    EXPECT_EQ(s.statusBar.Icon(), LinkIcon::ConnectedLampOff);
    EXPECT_EQ(s.Text(StatusPanel::Elapsed).rfind("00:00:0", 0), 0u);

    s.connection.ToggleConnection();
    EXPECT_EQ(s.Text(StatusPanel::Port), "ttyUSB0 Close");
    EXPECT_EQ(s.statusBar.Panel(StatusPanel::Port).Bevel, PanelBevel::Lowered);
    EXPECT_EQ(s.Text(StatusPanel::Family), "") << "cleared by every connect and disconnect";
    EXPECT_EQ(s.statusBar.Icon(), LinkIcon::Disconnected);
}

TEST(StatusBarPresenter, ChipTagsAndFamilyLabels) {
    struct Case {
        std::string Banner;
        std::string Family;
        std::string Tag;
    };
    const Case cases[] = {
        {Line("$PSTMSETPAR,1500,STDB_C_5.8.12_DR"), "ST", "CAN"},
        {Line("$PINVMVER,R20230415-QV2058,SIM-RTK-1.0"), "TDK_DR", "RTK"},
        {Line("$PMDTTMC,\"MDTech SIM.TMC\",GSW3.5.0_SIM"), "RSC", ""},
        {Line("$PGLOR,0,VER,X"), "BCM", ""},
    };
    for (const Case& c : cases) {
        Bar s;
        s.connection.ToggleConnection();
        s.Feed(kGga);
        s.Feed(c.Banner);
        s.Feed(kGga);
        ASSERT_TRUE(s.pipeline.Shared.ReceiverIdentified) << c.Banner;
        EXPECT_EQ(s.Text(StatusPanel::Family), c.Family) << c.Banner;
        EXPECT_EQ(s.Text(StatusPanel::ChipTag), c.Tag) << c.Banner;
    }
}

TEST(StatusBarPresenter, PauseAndLogStatesAreShownAsGiven) {
    Bar s;
    MonitorPauseView pause;
    pause.PortStatusText = "Pause (ttyUSB0,9600 bps)";
    pause.PortStatusLowered = true;
    s.presenter.ShowPause(pause);
    EXPECT_EQ(s.Text(StatusPanel::Port), "Pause (ttyUSB0,9600 bps)");
    EXPECT_EQ(s.statusBar.Panel(StatusPanel::Port).Bevel, PanelBevel::Lowered);
    s.presenter.ShowPause(MonitorPauseView{});  // no text: nothing changes
    EXPECT_EQ(s.Text(StatusPanel::Port), "Pause (ttyUSB0,9600 bps)");
    s.presenter.ShowLogState("Start Log+");
    EXPECT_EQ(s.Text(StatusPanel::Log), "Start Log+");
}

}  // namespace
}  // namespace gnss
