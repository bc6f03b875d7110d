// The application core against a simulated receiver on virtual time: what a user does in the
// window, without the window.

#include "app/app_core.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/virtual_time.h"
#include "doubles/listed_ports.h"
#include "doubles/recording_desktop.h"
#include "doubles/scripted_file_dialogs.h"
#include "doubles/scripted_prompts.h"
#include "doubles/temp_folder.h"
#include "link/memory_receiver_port.h"
#include "sim/memory_port_attachment.h"
#include "sim/simulated_receiver.h"

namespace gnss {
namespace {

using gnss::testing::ListedPorts;
using gnss::testing::ScriptedFileDialogs;
using gnss::testing::ScriptedPrompts;
using gnss::testing::TempFolder;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Scenario {
    explicit Scenario(const std::string& family = "mtk") {
        sim::SimConfig config;
        config.Family = family;
        config.Gnss = "gps,glonass";
        receiver = std::make_unique<sim::SimulatedReceiver>(time, time, config);
        attachment = std::make_unique<sim::MemoryPortAttachment>(*receiver, port);
        receiver->Start();
        core.Start();
        core.PortTextChanged("ttyUSB0");
        core.BaudRateChosen(std::to_string(receiver->BaudRate()));
    }
    void Click(ToolButton id, bool ctrl = false) { core.ToolButtonClicked(id, ctrl); }
    [[nodiscard]] const std::string& Panel(StatusPanel panel) const {
        return core.Window.StatusBar().Text(panel);
    }

    TempFolder folder;
    VirtualTime time;
    MemoryReceiverPort port;
    ScriptedPrompts prompts;
    ScriptedFileDialogs dialogs;
    ListedPorts ports{{"ttyS0", "ttyUSB0"}};
    gnss::testing::RecordingDesktop desktop;
    gnss::testing::RecordingClockSetter clockSetter;
    AppCore core{AppServices{port, time, time, prompts, dialogs, ports, desktop, clockSetter,
                             folder.Path(), false}};
    std::unique_ptr<sim::SimulatedReceiver> receiver;
    std::unique_ptr<sim::MemoryPortAttachment> attachment;
};

TEST(AppCoreScenario, ConnectShowsTheReceiversLinesAndTheLinkInTheStatusBar) {
    Scenario s;
    EXPECT_EQ(s.core.Window.Ports().Items(), (std::vector<std::string>{"ttyS0", "ttyUSB0"}));
    s.Click(ToolButton::Connect);
    s.time.Advance(5000);

    EXPECT_TRUE(s.core.Shared().PortOpen);
    EXPECT_EQ(s.Panel(StatusPanel::LinkState), "NMEA");
    EXPECT_EQ(s.Panel(StatusPanel::Port),
              "Open (ttyUSB0," + std::to_string(s.port.BaudRate()) + " bps)");
    EXPECT_EQ(s.Panel(StatusPanel::Elapsed),
              "00:00:0" + std::to_string(s.core.Receiver().SecondsCounter));
    EXPECT_TRUE(s.core.Window.Button(ToolButton::Connect).Down);
    EXPECT_EQ(s.core.Window.Button(ToolButton::Connect).Hint, "Disconnect");
    EXPECT_TRUE(s.core.Window.Button(ToolButton::Pause).Enabled);
    ASSERT_GT(s.core.Monitor.LineCount(), 10u);
    bool sawGga = false;
    for (std::size_t i = 0; i < s.core.Monitor.LineCount(); ++i) {
        sawGga = sawGga || s.core.Monitor.Line(i).find("GGA,") != std::string::npos;
    }
    EXPECT_TRUE(sawGga);
    EXPECT_GT(s.core.Pipeline.Decoder.DisplayList().InView, 0);

    s.Click(ToolButton::Connect);
    s.time.Advance(100);
    EXPECT_FALSE(s.core.Shared().PortOpen);
    EXPECT_EQ(s.Panel(StatusPanel::Port), "ttyUSB0 Close");
    EXPECT_FALSE(s.core.Window.Button(ToolButton::Connect).Down);
    EXPECT_EQ(s.core.Window.Button(ToolButton::Connect).Hint, "Connect to GPS");
}

TEST(AppCoreScenario, DisplaysFollowTheReceiverOnceItIsIdentified) {
    Scenario s;
    s.Click(ToolButton::Connect);
    for (int i = 0; i < 200 && !s.core.Shared().ReceiverIdentified; ++i) s.time.Advance(100);
    ASSERT_TRUE(s.core.Shared().ReceiverIdentified);
    EXPECT_EQ(s.core.Shared().Family, ReceiverFamily::MTK);
    const std::string firmware = s.core.Identification.Result.FirmwareText;
    EXPECT_EQ(s.core.Window.Caption(), WindowCaption(firmware));
    EXPECT_EQ(s.Panel(StatusPanel::Family), "MTK");
    EXPECT_EQ(s.core.Memo.Lines().back().find("Receiver identified: MTK ("), 14u)
        << s.core.Memo.Lines().back();

    // The monitor's second refreshes the navigation panel; GSV blocks refresh the satellites.
    s.time.Advance(3000);
    EXPECT_FALSE(s.core.Navigation.View().LatitudeText.empty());
    EXPECT_FALSE(s.core.Navigation.View().SatellitesUsedText.empty());
    EXPECT_FALSE(s.core.Satellites.Sky().Icons.empty());
    EXPECT_FALSE(s.core.Satellites.Chart().Bars.empty());

    // Cleared without a connection, the monitor takes the satellite views along.
    s.Click(ToolButton::Connect);
    s.core.MonitorClearRequested();
    EXPECT_EQ(s.core.Monitor.LineCount(), 0u);
    EXPECT_TRUE(s.core.Satellites.Sky().Icons.empty());
    EXPECT_TRUE(s.core.Satellites.Chart().Bars.empty());
}

TEST(AppCoreScenario, PauseStopsTheMonitorButNotTheDecoding) {
    Scenario s;
    s.Click(ToolButton::Connect);
    s.time.Advance(3000);
    s.Click(ToolButton::Pause);
    EXPECT_TRUE(s.core.Shared().MonitorPaused);
    EXPECT_EQ(s.Panel(StatusPanel::Port).rfind("Pause (ttyUSB0,", 0), 0u);
    EXPECT_EQ(s.core.Window.Button(ToolButton::Pause).Hint, "Click to Continue");
    const std::size_t lines = s.core.Monitor.LineCount();
    const int seconds = s.core.Receiver().SecondsCounter;
    s.time.Advance(3000);
    EXPECT_EQ(s.core.Monitor.LineCount(), lines);
    EXPECT_GT(s.core.Receiver().SecondsCounter, seconds);
    s.Click(ToolButton::Pause);
    s.time.Advance(2000);
    EXPECT_GT(s.core.Monitor.LineCount(), lines);
}

TEST(AppCoreScenario, ALogRecordsTheReceivedSentencesInOrder) {
    Scenario s;
    const std::filesystem::path log = s.folder.Path() / "drive.txt";
    s.dialogs.answers.push_back(log.string());
    s.Click(ToolButton::Connect);
    s.time.Advance(2000);
    s.Click(ToolButton::Log, /*ctrl=*/true);
    EXPECT_EQ(s.Panel(StatusPanel::Log), "Start Log+");
    EXPECT_TRUE(s.core.Window.Button(ToolButton::Log).Down);
    s.time.Advance(4000);
    s.Click(ToolButton::Log);
    s.core.Recorder.WaitForWriter();

    EXPECT_EQ(s.Panel(StatusPanel::Log), "Stop Log");
    const std::string text = ReadFile(log);
    EXPECT_NE(text.find("GGA,"), std::string::npos);
    EXPECT_EQ(text.find("\n$"), text.find("\r\n$") + 1) << "lines end in CR LF";
    EXPECT_TRUE(std::filesystem::exists(s.folder.Path() / "drive.bin"));
    EXPECT_FALSE(std::filesystem::exists(s.folder.Path() / "drive.tmp"));
    ASSERT_FALSE(s.prompts.shown.empty());
    EXPECT_EQ(s.prompts.shown.back().text, log.string() + " was saved !");
}

TEST(AppCoreScenario, RemovingTheOpenPortDisconnectsAndReportsIt) {
    Scenario s;
    s.core.PortListPolled();  // the first poll only remembers the list
    s.Click(ToolButton::Connect);
    s.time.Advance(2000);
    struct WindowStandIn final : AppCoreListener {
        void OnViewChanged() override {}
        void OnShowPortEvents() override { ++Shown; }
        int Shown = 0;
    } window;
    s.core.SetListener(&window);
    s.ports.ports = {"ttyS0"};
    s.core.PortListPolled();

    EXPECT_FALSE(s.core.Shared().PortOpen);
    const auto& lines = s.core.Window.PortEvents().Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), " (ttyUSB0) Remove !   ");
    EXPECT_EQ(window.Shown, 1);

    s.ports.ports = {"ttyS0", "ttyACM0"};
    s.core.PortListPolled();
    EXPECT_EQ(s.core.Window.PortEvents().Lines().back(), " (ttyACM0) Plug In !   ");
    EXPECT_EQ(s.core.Window.Ports().Text(), "ttyACM0") << "a new port is selected while closed";
}

TEST(AppCoreScenario, AutoFindsTheRateShowsItForTheConnectionAndIsKeptInTheSettings) {
    sim::SimConfig config;
    config.Family = "ublox";
    config.Baud = 57600;
    Scenario s;
    s.attachment.reset();  // replaced by a receiver at 57600
    s.receiver.reset();
    s.receiver = std::make_unique<sim::SimulatedReceiver>(s.time, s.time, config);
    s.attachment = std::make_unique<sim::MemoryPortAttachment>(*s.receiver, s.port);
    s.receiver->Start();
    s.core.BaudRateChosen("auto");
    EXPECT_EQ(s.core.Window.BaudRates().Text(), "Auto");

    s.Click(ToolButton::Connect);
    EXPECT_EQ(s.Panel(StatusPanel::LinkState), "AutoProtocol");
    s.time.Advance(10000);
    EXPECT_EQ(s.core.Window.BaudRates().Text(), "57600");
    EXPECT_EQ(s.Panel(StatusPanel::Message), "Baud Rate :57600 (auto)");
    EXPECT_EQ(s.Panel(StatusPanel::LinkState), "NMEA");
    bool noted = false;
    for (const std::string& line : s.core.Memo.Lines()) {
        noted = noted || line.find("Baud rate found: 57600 bit/s, NMEA") != std::string::npos;
    }
    EXPECT_TRUE(noted);
    EXPECT_GT(s.core.Monitor.LineCount(), 10u);

    // The choice, not the rate found, is what the settings keep; disconnecting shows it again.
    const std::filesystem::path ini = s.folder.Path() / "gnssvaro.ini";
    s.core.Shutdown(ini);
    EXPECT_EQ(s.core.Window.BaudRates().Text(), "Auto");
    EXPECT_NE(ReadFile(ini).find("BaudRate=Auto"), std::string::npos);
    s.core.BaudRateChosen("9600");
    s.core.LoadSettings(ini);
    EXPECT_EQ(s.core.Window.BaudRates().Text(), "Auto");
}

TEST(AppCoreScenario, SettingsAreReadAtStartAndWrittenAtClose) {
    Scenario s;
    const std::filesystem::path ini = s.folder.Path() / "gnssvaro.ini";
    {
        std::ofstream out(ini);
        out << "[GPSCOM]\r\nCOMPort=ttyUSB0\r\nBaudRate=115200\r\n[Unit]\r\nIndex=2\r\n"
               "DDMMSS=1\r\n[Other]\r\nKeep=me\r\n";
    }
    s.core.LoadSettings(ini);
    EXPECT_EQ(s.core.Window.Ports().Text(), "ttyUSB0");
    EXPECT_EQ(s.core.Window.BaudRates().Text(), "115200");
    EXPECT_EQ(s.core.Window.UnitIndex(), 2);

    s.core.BaudRateChosen("9600");
    s.Click(ToolButton::Connect);
    s.time.Advance(1000);
    s.core.Shutdown(ini);
    EXPECT_FALSE(s.core.Shared().PortOpen);
    const std::string text = ReadFile(ini);
    EXPECT_NE(text.find("COMPort=ttyUSB0"), std::string::npos);
    EXPECT_NE(text.find("BaudRate=9600"), std::string::npos);
    EXPECT_NE(text.find("Index=2"), std::string::npos);
    EXPECT_NE(text.find("DDMMSS=1"), std::string::npos);
    EXPECT_NE(text.find("Keep=me"), std::string::npos);
}

}  // namespace
}  // namespace gnss
