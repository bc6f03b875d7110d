#include "views/main_window_model.h"

#include <gtest/gtest.h>

#include "doubles/counting_view_listener.h"

namespace gnss {
namespace {

TEST(WindowCaption, IsTitleVersionAndSuffixWithTheFirmwareOnceKnown) {
    EXPECT_EQ(WindowCaption(""), "MERIDAN GPSVaro V:0.99v8_HD only");
    EXPECT_EQ(WindowCaption("AXN_5.1.7_3333"), "MERIDAN GPSVaro V:0.99v8_HD only (AXN_5.1.7_3333)");

    MainWindowModel model;
    EXPECT_EQ(model.Caption(), "MERIDAN GPSVaro V:0.99v8_HD only");
    model.SetFirmwareText("UBX 7.03");
    EXPECT_EQ(model.Caption(), "MERIDAN GPSVaro V:0.99v8_HD only (UBX 7.03)");
    // A new connection shows the caption without the receiver's version again.
    model.ConnectionOpened();
    EXPECT_EQ(model.Caption(), "MERIDAN GPSVaro V:0.99v8_HD only");
}

TEST(InitialWindowGeometry, ShrinksToTheScreenOnlyWhenItDoesNotFit) {
    struct Row {
        int ScreenHeight;
        int Height;
        bool MovedToTop;
    };
    const Row rows[] = {
        {1080, 620, false}, {768, 620, false}, {662, 620, false},
        {661, 619, true},   {600, 558, true},  {10, 1, true},
    };
    for (const Row& row : rows) {
        const WindowGeometry geometry = InitialWindowGeometry(row.ScreenHeight);
        EXPECT_EQ(geometry.Width, 1218) << row.ScreenHeight;
        EXPECT_EQ(geometry.Height, row.Height) << row.ScreenHeight;
        EXPECT_EQ(geometry.Top.has_value(), row.MovedToTop) << row.ScreenHeight;
        if (geometry.Top) {
            EXPECT_EQ(*geometry.Top, 3);
        }
    }
}

TEST(FitWindowPlacement, KeepsAFittingWindowAndPullsOthersOntoTheScreen) {
    const ScreenRect screen{0, 30, 1920, 1050};
    struct Row {
        ScreenRect Saved;
        ScreenRect Fitted;
    };
    const Row rows[] = {
        {{100, 100, 1218, 620}, {100, 100, 1218, 620}},  // fits: unchanged
        {{3000, 100, 800, 600}, {1120, 100, 800, 600}},  // closed on a second screen
        {{-500, -500, 800, 600}, {0, 30, 800, 600}},     // above and left of the screen
        {{0, 0, 4000, 3000}, {0, 30, 1920, 1050}},       // larger than the screen
        {{10, 40, 20, 10}, {10, 40, kMinWindowSide, kMinWindowSide}},  // too small to use
    };
    for (const Row& row : rows) {
        const WindowPlacement fitted = FitWindowPlacement({row.Saved, true}, screen);
        EXPECT_EQ(fitted.Area, row.Fitted) << row.Saved.Left << "," << row.Saved.Top;
        EXPECT_TRUE(fitted.Maximized);
    }
    // A screen smaller than the least window size gives the whole screen.
    const WindowPlacement tiny = FitWindowPlacement({{50, 50, 800, 600}, false}, {0, 0, 150, 0});
    EXPECT_EQ(tiny.Area, (ScreenRect{0, 0, 150, 1}));
}

TEST(AboutBox, ShowsTheProductTexts) {
    const AboutBoxTexts texts = AboutBoxContents();
    EXPECT_EQ(texts.Caption, "About GPSVaro .......");
    EXPECT_EQ(texts.Title, "GPSVaro Utility ");
    EXPECT_EQ(texts.VersionLine, "  Version : V:0.99v8_HD only");
    EXPECT_FALSE(texts.LinkAddress.empty());
}

TEST(MainWindowModel, ToolbarStartsWithConnectAndAboutOnlyAndLaterFeaturesDisabled) {
    MainWindowModel model;
    struct Row {
        ToolButton Id;
        std::string_view Name;
        std::string_view Hint;
        bool Enabled;
    };
    const Row rows[] = {
        {ToolButton::Connect, "TBOpen", "Connect to GNSS Receiver", true},
        {ToolButton::Pause, "TBPause", "Click to Pause", false},
        {ToolButton::Log, "TBStartLog", "Start to Log data", true},
        {ToolButton::HotStart, "TBHotStart", "Hot Start", false},
        {ToolButton::WarmStart, "TBWarmStart", "Warm Start", false},
        {ToolButton::ColdStart, "TBColdStart", "Cold Start", false},
        {ToolButton::FactoryReset, "TBFactory", "Factory Default", false},
        {ToolButton::Map, "TBGmap", "Link to Google Map", false},
        {ToolButton::Assistance, "TBAgps", "update AGPS data", false},
        {ToolButton::Corrections, "btn_NTrip", "Start the NTRIP client", false},
        {ToolButton::About, "TBAbout", "About the GPS Utility .....  ", true},
    };
    ASSERT_EQ(model.Buttons().size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const ToolButtonState& button = model.Buttons()[i];
        EXPECT_EQ(button.Id, rows[i].Id);
        EXPECT_EQ(button.Name, rows[i].Name);
        EXPECT_EQ(button.Hint, rows[i].Hint) << rows[i].Name;
        EXPECT_EQ(button.Enabled, rows[i].Enabled) << rows[i].Name;
        EXPECT_FALSE(button.Down) << rows[i].Name;
    }
    EXPECT_FALSE(model.Button(ToolButton::Corrections).Visible);
}

TEST(MainWindowModel, ConnectButtonHintFollowsTheConnection) {
    MainWindowModel model;
    model.ConnectionOpened();
    EXPECT_EQ(model.Button(ToolButton::Connect).Hint, "Disconnect");
    EXPECT_TRUE(model.Button(ToolButton::Connect).Down);
    EXPECT_TRUE(model.Button(ToolButton::Pause).Enabled);

    model.SetPaused(true);
    EXPECT_EQ(model.Button(ToolButton::Pause).Hint, "Click to Continue");
    EXPECT_TRUE(model.Button(ToolButton::Pause).Down);
    model.SetRestartButtons(true, false, true, true);
    EXPECT_FALSE(model.Button(ToolButton::WarmStart).Enabled);
    EXPECT_TRUE(model.Button(ToolButton::ColdStart).Enabled);

    // Disconnecting releases the pause and holds the receiver commands off.
    model.ConnectionClosed();
    EXPECT_EQ(model.Button(ToolButton::Connect).Hint, "Connect to GPS");
    EXPECT_FALSE(model.Button(ToolButton::Connect).Down);
    EXPECT_FALSE(model.Button(ToolButton::Pause).Down);
    EXPECT_EQ(model.Button(ToolButton::Pause).Hint, "Click to Pause");
    EXPECT_FALSE(model.Button(ToolButton::Pause).Enabled);
    EXPECT_FALSE(model.Button(ToolButton::HotStart).Enabled);
    EXPECT_FALSE(model.Button(ToolButton::ColdStart).Enabled);

    model.ConnectionFailed();
    EXPECT_EQ(model.Button(ToolButton::Connect).Hint, "Connect to GPS");
    EXPECT_FALSE(model.Button(ToolButton::Connect).Down);

    model.SetConnectBusy(true);
    EXPECT_FALSE(model.Button(ToolButton::Connect).Enabled);
    model.SetConnectBusy(false);
    EXPECT_TRUE(model.Button(ToolButton::Connect).Enabled);
}

TEST(MainWindowModel, LogButtonTogglesItsHintUnlessLoggingIsUnavailable) {
    MainWindowModel model;
    model.SetLogging(true);
    EXPECT_EQ(model.Button(ToolButton::Log).Hint, "Stop Log");
    EXPECT_TRUE(model.Button(ToolButton::Log).Down);
    model.SetLogging(false);
    EXPECT_EQ(model.Button(ToolButton::Log).Hint, "Start to Log data");

    model.DisableLogging();
    model.SetLogging(true);  // a disabled button cannot start a log
    const ToolButtonState& log = model.Button(ToolButton::Log);
    EXPECT_FALSE(log.Enabled);
    EXPECT_FALSE(log.Down);
    EXPECT_EQ(log.Hint, "The Log function was disabled when run the utility from CD-ROM !");
}

TEST(MainWindowModel, BaudBoxHoldsTheReceiverRatesWith9600Selected) {
    MainWindowModel model;
    const std::vector<std::string> expected = {"2400",   "4800",   "9600",   "19200",
                                               "38400",  "57600",  "115200", "230400",
                                               "460800", "921600", "Auto"};
    EXPECT_EQ(model.BaudRates().Items(), expected);
    EXPECT_EQ(model.BaudRates().Selected(), 2);
    EXPECT_EQ(model.SelectedBaudRate(), 9600);

    EXPECT_TRUE(model.SelectBaudRate("921600"));
    EXPECT_EQ(model.SelectedBaudRate(), 921600);
    // A rate that is not in the list changes nothing.
    EXPECT_FALSE(model.SelectBaudRate("1000000"));
    EXPECT_FALSE(model.SelectBaudRate("9600 "));
    EXPECT_EQ(model.SelectedBaudRate(), 921600);
    // "Auto" is a choice without a number.
    EXPECT_TRUE(model.SelectBaudRate("Auto"));
    EXPECT_EQ(model.SelectedBaudRate(), 0);
}

TEST(MainWindowModel, PortBoxSelectsTheFirstPortAndKeepsTheShownOneOnRefresh) {
    MainWindowModel model;
    model.SetPortNames({});
    EXPECT_EQ(model.Ports().Selected(), -1);
    EXPECT_EQ(model.Ports().Text(), "");

    model.SetPortNames({"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyACM0"});
    EXPECT_EQ(model.Ports().Text(), "/dev/ttyUSB0");
    EXPECT_TRUE(model.SelectPort("/dev/ttyACM0"));
    EXPECT_FALSE(model.SelectPort("/dev/ttyS9"));

    model.RefreshPortNames({"/dev/ttyACM0", "/dev/ttyUSB1"});
    EXPECT_EQ(model.Ports().Selected(), 0);
    EXPECT_EQ(model.Ports().Text(), "/dev/ttyACM0");

    // The shown port is gone: no entry is selected, the name stays for the user to see.
    model.RefreshPortNames({"/dev/ttyUSB1"});
    EXPECT_EQ(model.Ports().Selected(), -1);
    EXPECT_EQ(model.Ports().Text(), "/dev/ttyACM0");

    // A typed device path is taken as it is; typing a listed name selects it.
    model.SetPortText("/dev/pts/7");
    EXPECT_EQ(model.Ports().Selected(), -1);
    EXPECT_EQ(model.Ports().Text(), "/dev/pts/7");
    model.SetPortText("/dev/ttyUSB1");
    EXPECT_EQ(model.Ports().Selected(), 0);
}

TEST(MainWindowModel, UnitIndexOutsideTheSelectorFallsBackToKilometres) {
    MainWindowModel model;
    model.SetUnitIndex(2);
    EXPECT_EQ(model.UnitIndex(), 2);
    model.SetUnitIndex(5);
    EXPECT_EQ(model.UnitIndex(), 0);
    model.SetUnitIndex(1);
    model.SetUnitIndex(-1);
    EXPECT_EQ(model.UnitIndex(), 0);
}

TEST(MainWindowModel, StatusChangesAndOwnChangesNotifyTheWindow) {
    MainWindowModel model;
    testing::CountingViewListener changes;
    model.SetChangeListener(&changes);
    model.StatusBar().SetText(StatusPanel::LinkState, "NMEA");
    model.SetFirmwareText("fw");
    model.SetFirmwareText("fw");
    model.SetButtonEnabled(ToolButton::Map, true);
    model.SetButtonEnabled(ToolButton::Map, true);
    EXPECT_EQ(changes.Count, 3);
}

TEST(PortEventLog, SelectsTheLastLineAndKeepsTheNewest) {
    PortEventLog log;
    EXPECT_EQ(log.Selected(), -1);
    const std::vector<std::string> lines = {" (ttyUSB0) Remove !   ", "No any COM Port exist !"};
    log.AddAll(lines);
    log.Add(" (ttyUSB0) Plug In !   ");
    EXPECT_EQ(log.Lines().size(), 3u);
    EXPECT_EQ(log.Selected(), 2);
    EXPECT_EQ(log.Lines()[1], "No any COM Port exist !");

    for (int i = 0; i < 600; ++i) log.Add("line " + std::to_string(i));
    EXPECT_EQ(log.Lines().size(), PortEventLog::kMaxLines);
    EXPECT_EQ(log.Lines().back(), "line 599");
    EXPECT_EQ(log.Lines().front(), "line 100");
}

}  // namespace
}  // namespace gnss
