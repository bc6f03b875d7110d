#include "link/connection_control.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/virtual_time.h"
#include "doubles/scripted_prompts.h"
#include "link/memory_receiver_port.h"
#include "link/receive_dispatch.h"

namespace gnss {
namespace {

using testing::ScriptedPrompts;

constexpr std::string_view kGga =
    "$GPGGA,092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,*76\r\n";

// A receiver on the far end of the wire that talks at `Baud`: at any other rate the tool sees
// noise. Silent while `Silent`.
struct FarEnd {
    FarEnd(VirtualTime& time, MemoryReceiverPort& port) : port_(port), timer_(time.CreateTimer()) {
        timer_->SetIntervalMs(100);
        timer_->OnTimeout = [this] { Send(); };
        timer_->Start();
    }
    void Send() {
        if (Silent || !port_.IsOpen()) return;
        if (port_.BaudRate() == Baud) {
            port_.Feed(kGga);
        } else {
            port_.Feed(std::string_view("\xF3\x1C\x80\x7E\x00\xE1\x11\x99\xFE\x03", 10));
        }
    }
    uint32_t Baud = 9600;
    bool Silent = false;

  private:
    MemoryReceiverPort& port_;
    std::unique_ptr<Timer> timer_;
};

// The connection control with a listener that writes down what it is told: the order of the
// connection's steps (P pressed, E every connect and disconnect, C connecting, D disconnected,
// F open failed) and the notes.
struct Rig : ConnectionListener {
    Rig() {
        port.SetPortName("ttyUSB0");
        control.AddListener(*this);
        control.SetShownPort("ttyUSB0");
        control.SetShownBaud("9600");
    }

    void OnConnectPressed() override { order += "P"; }
    [[nodiscard]] bool HoldsConnection() const override { return hold; }
    void OnConnectionChanging() override { order += "E"; }
    void OnConnecting() override { order += "C"; }
    void OnDisconnected() override { order += "D"; }
    void OnPortOpenFailed() override { order += "F"; }
    void OnConnectionNote(std::string_view line) override { notes.emplace_back(line); }
    [[nodiscard]] const std::string& Status(ConnectionStatusItem item) const {
        return control.Status().Text(item);
    }

    void Connect() {
        control.ToggleConnection();
        time.Advance(60);
    }

    VirtualTime time;
    MemoryReceiverPort port;
    ScriptedPrompts prompts;
    SharedState shared;
    ReceiverState receiver;
    ReceiveDispatcher dispatcher{shared, receiver, port, time, time, prompts};
    ConnectionControl control{shared, receiver, port, dispatcher, time, time, prompts};
    bool hold = false;
    std::string order;
    std::vector<std::string> notes;
};

TEST(ConnectionControl, ConnectOpensAtTheShownRateAndStartsProcessing) {
    Rig rig;
    rig.control.SetShownBaud("115200");
    rig.control.ToggleConnection();

    EXPECT_TRUE(rig.shared.PortOpen);
    EXPECT_EQ(rig.port.BaudRate(), 115200u);
    EXPECT_EQ(rig.Status(ConnectionStatusItem::PortText), "Open (ttyUSB0,115200 bps)");
    EXPECT_TRUE(rig.control.Status().PortOpenLook);
    EXPECT_EQ(rig.dispatcher.State(), LinkState::Unknown);
    EXPECT_TRUE(rig.dispatcher.ProcessingTimerEnabled());
    EXPECT_EQ(rig.control.View().OpenButtonHint, "Disconnect");
    EXPECT_EQ(rig.control.View().DtrText, "DTR:On");
    EXPECT_EQ(rig.control.ClockSetLatencyMs(), 10u);
    // The button comes back after the 50 ms wait, with the pause button.
    EXPECT_FALSE(rig.control.View().OpenButtonEnabled);
    rig.time.Advance(50);
    EXPECT_TRUE(rig.control.View().OpenButtonEnabled);
    EXPECT_TRUE(rig.control.View().PauseButtonEnabled);
}

TEST(ConnectionControl, ConnectAndDisconnectTellTheListenersInTheirPlaces) {
    Rig rig;
    rig.shared.Family = ReceiverFamily::MTK;
    rig.shared.ReceiverIdentified = true;
    rig.shared.Antenna = AntennaState::Open;
    rig.receiver.FixMode = 3;
    rig.receiver.FixValid = true;

    rig.Connect();
    EXPECT_EQ(rig.order, "PEC");
    EXPECT_EQ(rig.shared.Family, ReceiverFamily::Unknown);
    EXPECT_FALSE(rig.shared.ReceiverIdentified);
    EXPECT_EQ(rig.shared.Antenna, AntennaState::Unknown);
    EXPECT_EQ(rig.receiver.FixMode, 0);
    EXPECT_FALSE(rig.receiver.FixValid);

    rig.shared.MonitorPaused = true;
    rig.control.ToggleConnection();
    EXPECT_EQ(rig.order, "PECPED");
    EXPECT_FALSE(rig.shared.PortOpen);
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_FALSE(rig.shared.MonitorPaused);
    EXPECT_FALSE(rig.dispatcher.ProcessingTimerEnabled());
    EXPECT_EQ(rig.Status(ConnectionStatusItem::PortText), "ttyUSB0 Close");
    EXPECT_FALSE(rig.control.Status().PortOpenLook);
    EXPECT_EQ(rig.control.View().OpenButtonHint, "Connect to GPS");
}

TEST(ConnectionControl, FailedOpenShowsTheErrorAndNamesTheRemedyForPermissions) {
    Rig rig;
    rig.port.NextOpenResult = {PortOpenError::PermissionDenied, "Permission denied"};
    rig.Connect();

    EXPECT_FALSE(rig.shared.PortOpen);
    EXPECT_EQ(rig.Status(ConnectionStatusItem::PortText), "Connection Fail");
    EXPECT_EQ(rig.order, "PECF");
    ASSERT_EQ(rig.prompts.shown.size(), 1u);
    const std::string& text = rig.prompts.shown[0].text;
    EXPECT_EQ(text.rfind("ttyUSB0 Connection Error !", 0), 0u);
    EXPECT_NE(text.find("group that owns the device"), std::string::npos);
    EXPECT_EQ(rig.control.View().OpenButtonHint, "Connect to GPS");
}

TEST(ConnectionControl, ACalibrationInProgressKeepsTheConnectionAsItIs) {
    Rig rig;
    rig.hold = true;
    rig.control.ToggleConnection();
    EXPECT_EQ(rig.order, "P") << "told of the press, then nothing";
    EXPECT_FALSE(rig.shared.PortOpen);
    EXPECT_EQ(rig.port.OpenCount, 0);
}

TEST(ConnectionControl, LinkSecondCountsShowsTheRateAndMarksSilentSeconds) {
    Rig rig;
    FarEnd receiver(rig.time, rig.port);
    rig.Connect();
    rig.time.Advance(3000);
    EXPECT_GE(rig.receiver.SecondsCounter, 2);
    EXPECT_EQ(rig.Status(ConnectionStatusItem::Elapsed),
              "00:00:0" + std::to_string(rig.receiver.SecondsCounter));
    EXPECT_EQ(rig.Status(ConnectionStatusItem::ReceiveRate).rfind(" Rx(Bps):", 0), 0u);
    EXPECT_NE(rig.Status(ConnectionStatusItem::ReceiveRate), " Rx(Bps):0");
    EXPECT_EQ(rig.Status(ConnectionStatusItem::NoData), "");
    EXPECT_EQ(rig.dispatcher.State(), LinkState::Nmea);

    receiver.Silent = true;
    rig.time.Advance(10000);
    EXPECT_EQ(rig.Status(ConnectionStatusItem::NoData), "*");
    EXPECT_TRUE(rig.shared.PortOpen) << "bypass no data is on at start";
}

TEST(ConnectionControl, WatchdogReconnectsTwiceThenGivesUpWithTheWarning) {
    Rig rig;
    rig.control.BypassNoData = false;
    FarEnd receiver(rig.time, rig.port);
    receiver.Silent = true;
    // The one-second tick starts after 20 idle processing ticks.
    rig.Connect();
    // Each connection: 20 idle ticks (1.4 s) until the one-second tick runs, six silent
    // seconds, then the 100 ms wait of the reconnect.
    constexpr uint64_t kRound = 1400 + 6000 + 100;
    rig.time.Advance(kRound);
    EXPECT_EQ(rig.port.OpenCount, 2) << "first reconnect after six silent seconds";
    EXPECT_EQ(rig.control.ReconnectAttempts(), 1);
    rig.time.Advance(kRound);
    EXPECT_EQ(rig.port.OpenCount, 3);
    EXPECT_TRUE(rig.prompts.shown.empty());
    rig.time.Advance(kRound);
    EXPECT_EQ(rig.port.OpenCount, 3);
    EXPECT_FALSE(rig.shared.PortOpen);
    ASSERT_EQ(rig.prompts.shown.size(), 1u);
    EXPECT_EQ(rig.prompts.shown[0].text,
              "Can not receive data from ttyUSB0 !!\r\n\r\nPlease change another COM Port and "
              "try again !\r\n");
    EXPECT_EQ(rig.control.ReconnectAttempts(), 0);
}

TEST(ConnectionControl, DataBetweenReconnectsResetsTheAttempts) {
    Rig rig;
    rig.control.BypassNoData = false;
    FarEnd receiver(rig.time, rig.port);
    receiver.Silent = true;
    rig.Connect();
    rig.time.Advance(1400 + 6000);
    EXPECT_EQ(rig.control.ReconnectAttempts(), 1);
    receiver.Silent = false;
    rig.time.Advance(3000);
    EXPECT_EQ(rig.control.ReconnectAttempts(), 0);
    EXPECT_EQ(rig.control.NoDataSeconds(), 0);
}

TEST(ConnectionControl, SteppingDetectionFindsAReceiverAt57600) {
    Rig rig;
    FarEnd receiver(rig.time, rig.port);
    receiver.Baud = 57600;
    rig.control.SetShownBaud("115200");
    rig.Connect();
    rig.control.StartSteppingDetection();
    EXPECT_EQ(rig.Status(ConnectionStatusItem::Detection), "GPS Baud Rate Detection");
    rig.time.Advance(5000);

    EXPECT_FALSE(rig.shared.DetectionActive);
    EXPECT_EQ(rig.port.BaudRate(), 57600u);
    EXPECT_EQ(rig.control.View().ShownBaud, "57600");
    const std::vector<uint32_t> tried(rig.port.BaudHistory.begin() + 1, rig.port.BaudHistory.end());
    EXPECT_EQ(tried, (std::vector<uint32_t>{9600, 38400, 19200, 57600}));
    rig.time.Advance(2000);
    EXPECT_EQ(rig.dispatcher.State(), LinkState::Nmea);
}

TEST(ConnectionControl, ADisconnectEndsARunningDetection) {
    Rig rig;
    FarEnd receiver(rig.time, rig.port);
    receiver.Baud = 57600;
    rig.Connect();
    rig.control.StartSteppingDetection();
    rig.control.ToggleConnection();
    EXPECT_FALSE(rig.shared.DetectionActive);
    // Connected again at the chosen rate, the port stays there.
    rig.Connect();
    rig.time.Advance(5000);
    EXPECT_EQ(rig.port.BaudRate(), 9600u);
    EXPECT_EQ(rig.control.View().ShownBaud, "9600");
}

TEST(ConnectionControl, SteppingDetectionGivesUpAfterNineRounds) {
    Rig rig;
    FarEnd receiver(rig.time, rig.port);
    receiver.Baud = 1;  // never understood
    rig.Connect();
    rig.control.StartSteppingDetection();
    rig.time.Advance(60000);

    EXPECT_FALSE(rig.shared.DetectionActive);
    EXPECT_EQ(rig.Status(ConnectionStatusItem::Detection), "can not find GPS Data");
    EXPECT_FALSE(rig.shared.PortOpen);
    // Nine passes through the six rates (the last wrap gives up without a change).
    EXPECT_EQ(rig.port.BaudHistory.size(), 1u + 9u * 6u);
}

TEST(ConnectionControl, SirfQuestionYesSwitchesAndSearchesNoDisconnects) {
    for (const PromptAnswer answer : {PromptAnswer::Yes, PromptAnswer::No}) {
        Rig rig;
        rig.prompts.answers.push_back(answer);
        rig.Connect();
        rig.dispatcher.SetLinkState(LinkState::SirfBinary);
        rig.port.Feed(std::string_view("\xA0\xA2\x00\x09\x09\x00\x00", 7));
        rig.time.Advance(1400 + 1000 + 400);
        ASSERT_FALSE(rig.prompts.shown.empty());
        EXPECT_EQ(rig.prompts.shown[0].text,
                  "GPS is in SiRF Binary mode.\r\n\r\nDo you want to switch to NMEA mode ?");
        if (answer == PromptAnswer::Yes) {
            EXPECT_TRUE(rig.shared.PortOpen);
            EXPECT_TRUE(rig.shared.DetectionActive);
            EXPECT_EQ(rig.dispatcher.State(), LinkState::BaudDetection);
            ASSERT_FALSE(rig.port.Writes().empty());
            EXPECT_EQ(rig.port.Writes()[0], SirfSwitchToNmeaFrame());
        } else {
            EXPECT_FALSE(rig.shared.PortOpen);
        }
    }
}

// Advances in processing ticks until the search of a connect at "Auto" has ended; false when it
// runs longer than `limitMs`.
bool RunUntilSearchEnds(Rig& rig, uint64_t limitMs) {
    for (uint64_t ms = 0; ms < limitMs; ms += 70) {
        if (!rig.shared.AutoBaudSearch) return true;
        rig.time.Advance(70);
    }
    return !rig.shared.AutoBaudSearch;
}

TEST(ConnectionControl, AutoFindsEachRateOfItsListAndShowsItForTheConnection) {
    for (std::size_t i = 0; i < kAutoBaudRates.size(); ++i) {
        const uint32_t rate = kAutoBaudRates[i];
        SCOPED_TRACE(rate);
        Rig rig;
        FarEnd receiver(rig.time, rig.port);
        receiver.Baud = rate;
        rig.control.SetShownBaud("auto");
        rig.Connect();
        EXPECT_EQ(rig.dispatcher.State(), LinkState::BaudDetection);
        EXPECT_EQ(rig.Status(ConnectionStatusItem::Detection).rfind("GPS Baud Rate Detection", 0),
                  0u);
        ASSERT_TRUE(RunUntilSearchEnds(rig, 30000));

        // The rates of the list were tried in order up to the receiver's (after the open at the
        // first), and the port stays there.
        const std::vector<uint32_t> tried(rig.port.BaudHistory.begin() + 1,
                                          rig.port.BaudHistory.end());
        std::vector<uint32_t> expected(kAutoBaudRates.begin(), kAutoBaudRates.begin() + i + 1);
        EXPECT_EQ(tried, expected);
        EXPECT_EQ(rig.control.View().ShownBaud, std::to_string(rate));
        EXPECT_TRUE(rig.control.RateFoundAutomatically());
        EXPECT_EQ(rig.control.ConnectedRate(), rate);
        EXPECT_EQ(rig.Status(ConnectionStatusItem::Detection),
                  "Baud Rate :" + std::to_string(rate) + " (auto)");
        ASSERT_FALSE(rig.notes.empty());
        EXPECT_EQ(
            rig.notes.back().rfind("Baud rate found: " + std::to_string(rate) + " bit/s, NMEA", 0),
            0u)
            << rig.notes.back();
        rig.time.Advance(2000);
        EXPECT_EQ(rig.dispatcher.State(), LinkState::Nmea);
        EXPECT_EQ(rig.port.BaudRate(), rate);

        // The box shows the choice again once the connection ends.
        rig.control.ToggleConnection();
        EXPECT_EQ(rig.control.View().ShownBaud, "Auto");
        EXPECT_FALSE(rig.control.RateFoundAutomatically() && rig.shared.PortOpen);
    }
}

TEST(ConnectionControl, AutoGivesUpOnASilentReceiverAfterNineRounds) {
    Rig rig;
    FarEnd receiver(rig.time, rig.port);
    receiver.Silent = true;
    rig.control.SetShownBaud("Auto");
    rig.Connect();
    ASSERT_TRUE(RunUntilSearchEnds(rig, 200000));

    EXPECT_EQ(rig.Status(ConnectionStatusItem::Detection), "can not find GPS Data");
    EXPECT_FALSE(rig.shared.PortOpen);
    EXPECT_FALSE(rig.shared.DetectionActive);
    // The open and the search's start, then nine passes through the nine rates (the first
    // rate of the first pass is where the search starts).
    EXPECT_EQ(rig.port.BaudHistory.size(), 2u + 9u * 9u - 1u);
    ASSERT_FALSE(rig.notes.empty());
    EXPECT_EQ(rig.notes.back().rfind("can not find GPS Data", 0), 0u);
    EXPECT_EQ(rig.control.View().ShownBaud, "Auto");
}

TEST(ConnectionControl, DataWithoutNmeaAtAChosenRateSuggestsAutoOnce) {
    Rig rig;
    FarEnd receiver(rig.time, rig.port);
    receiver.Baud = 57600;  // the box says 9600: only noise arrives
    rig.Connect();
    rig.time.Advance(4000);
    EXPECT_TRUE(rig.notes.empty());
    rig.time.Advance(4000);
    EXPECT_EQ(rig.Status(ConnectionStatusItem::Detection), "No NMEA at 9600 bit/s: try Auto");
    ASSERT_EQ(rig.notes.size(), 1u);
    EXPECT_EQ(rig.notes[0], "No NMEA at 9600 bit/s: try Auto");
    rig.time.Advance(10000);
    EXPECT_EQ(rig.notes.size(), 1u) << "said once per connection";

    // At the right rate, and on a silent line, there is nothing to suggest.
    for (const bool silent : {false, true}) {
        Rig quiet;
        FarEnd right(quiet.time, quiet.port);
        right.Silent = silent;
        quiet.Connect();
        quiet.time.Advance(10000);
        EXPECT_TRUE(quiet.notes.empty()) << silent;
    }
}

TEST(ConnectionControl, CtrlClickSendsNoDeviceControlRequestAndSaysSo) {
    Rig rig;
    rig.control.ConnectButtonPressed(true);
    EXPECT_TRUE(rig.shared.PortOpen);
    EXPECT_TRUE(rig.port.Writes().empty());
    ASSERT_EQ(rig.notes.size(), 1u);
}

}  // namespace
}  // namespace gnss
