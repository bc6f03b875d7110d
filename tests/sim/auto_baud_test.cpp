// A connect at "Auto" against simulated receivers on virtual time: the serial-line model garbles
// the output at every rate but the receiver's, as a real UART does.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/virtual_time.h"
#include "doubles/scripted_prompts.h"
#include "frames/binary_frame.h"
#include "link/connection_control.h"
#include "link/memory_receiver_port.h"
#include "link/receive_dispatch.h"
#include "sim/memory_port_attachment.h"
#include "sim/serial_line.h"
#include "sim/simulated_receiver.h"

namespace gnss::sim {
namespace {

constexpr uint64_t kTickMs = 70;
// Nine rounds of nine rates, each at most one dwell: the search has ended by then.
constexpr uint64_t kSearchLimitMs = 9 * 9 * 1600;

// The tool's side of a connect at "Auto": port, receive path and connection control, with the
// debug notes kept.
struct Tool : ConnectionListener {
    Tool() {
        control.AddListener(*this);
        control.SetShownPort("ttyUSB0");
        control.SetShownBaud("Auto");
    }
    void OnConnectionNote(std::string_view line) override { notes.emplace_back(line); }

    void Connect() {
        control.ToggleConnection();
        startMs = time.TickMs();
    }
    // Runs until the search has ended; the milliseconds it took (0 when it did not end).
    uint64_t RunSearch() {
        for (uint64_t ms = 0; ms <= kSearchLimitMs; ms += kTickMs) {
            if (!shared.AutoBaudSearch) return time.TickMs() - startMs;
            time.Advance(kTickMs);
        }
        return 0;
    }
    // The rate a "Baud rate found" note names; 0 when there is none.
    [[nodiscard]] uint32_t FoundRate() const {
        constexpr std::string_view kFound = "Baud rate found: ";
        for (const std::string& note : notes) {
            if (note.rfind(kFound, 0) == 0) return std::stoul(note.substr(kFound.size()));
        }
        return 0;
    }
    [[nodiscard]] const std::string& Message() const {
        return control.Status().Text(ConnectionStatusItem::Detection);
    }

    VirtualTime time;
    MemoryReceiverPort port;
    gnss::testing::ScriptedPrompts prompts;
    SharedState shared;
    ReceiverState receiver;
    ReceiveDispatcher dispatcher{shared, receiver, port, time, time, prompts};
    ConnectionControl control{shared, receiver, port, dispatcher, time, time, prompts};
    std::vector<std::string> notes;
    uint32_t startMs = 0;
};

// A simulated receiver wired to the tool's port.
struct SimRig : Tool {
    explicit SimRig(const SimConfig& config) {
        device = std::make_unique<SimulatedReceiver>(time, time, config);
        attachment = std::make_unique<MemoryPortAttachment>(*device, port);
        device->Start();
    }
    std::unique_ptr<SimulatedReceiver> device;
    std::unique_ptr<MemoryPortAttachment> attachment;
};

SimConfig Receiver(std::string family, uint32_t baud) {
    SimConfig config;
    config.Family = std::move(family);
    config.Baud = baud;
    return config;
}

TEST(AutoBaud, FindsTheReceiverAtEachRateOfTheListInTheFirstRound) {
    uint64_t worstMs = 0;
    for (std::size_t i = 0; i < kAutoBaudRates.size(); ++i) {
        const uint32_t rate = kAutoBaudRates[i];
        SCOPED_TRACE(rate);
        uint64_t slowestMs = 0;
        // The connect falls at different points of the receiver's output second.
        for (uint64_t phaseMs = 0; phaseMs < 1000; phaseMs += 125) {
            SimRig rig(Receiver("mtk", rate));
            rig.time.Advance(3000 + phaseMs);
            rig.Connect();
            const uint64_t ms = rig.RunSearch();
            ASSERT_GT(ms, 0u) << phaseMs;
            EXPECT_EQ(rig.FoundRate(), rate) << phaseMs;
            EXPECT_EQ(rig.port.BaudRate(), rate) << phaseMs;
            EXPECT_EQ(rig.Message(), "Baud Rate :" + std::to_string(rate) + " (auto)");
            // Found in the first pass: no rate was tried twice.
            EXPECT_LE(rig.port.BaudHistory.size(), i + 2) << phaseMs;
            rig.time.Advance(2000);
            EXPECT_EQ(rig.dispatcher.State(), LinkState::Nmea) << phaseMs;
            slowestMs = std::max(slowestMs, ms);
        }
        worstMs = std::max(worstMs, slowestMs);
        std::cout << "[ auto-baud ] " << rate << " bit/s found after at most " << slowestMs
                  << " ms\n";
    }
    std::cout << "[ auto-baud ] worst case " << worstMs << " ms\n";
    RecordProperty("worst_case_ms", static_cast<int>(worstMs));
}

TEST(AutoBaud, ASilentReceiverEndsInTheGiveUpMessage) {
    Tool tool;  // nothing on the line
    tool.Connect();
    EXPECT_GT(tool.RunSearch(), 0u);
    EXPECT_EQ(tool.Message(), "can not find GPS Data");
    EXPECT_EQ(tool.FoundRate(), 0u);
    EXPECT_FALSE(tool.shared.PortOpen);
    std::cout << "[ auto-baud ] silent line given up after " << tool.time.TickMs() - tool.startMs
              << " ms\n";
}

// Random bytes on the line whatever the rate: `bytesPerSecondAt(rate)` of them each second, in
// one burst or spread over ten 100 ms pieces.
struct NoiseSource {
    NoiseSource(Tool& tool, bool bursts) : tool_(tool), timer_(tool.time.CreateTimer()) {
        timer_->SetIntervalMs(bursts ? 1000 : 100);
        timer_->OnTimeout = [this, bursts] {
            if (!tool_.port.IsOpen()) return;
            const std::size_t perSecond = tool_.port.BaudRate() / 10;
            std::string bytes(bursts ? perSecond / 3 : perSecond / 10, '\0');
            for (char& c : bytes) c = static_cast<char>(rng_() & 0xFF);
            tool_.port.Feed(bytes);
        };
        timer_->Start();
    }

  private:
    Tool& tool_;
    std::unique_ptr<Timer> timer_;
    std::mt19937 rng_{42};
};

TEST(AutoBaud, RandomBytesAtEveryRateEndInTheGiveUpMessageNeverInARate) {
    for (const bool bursts : {false, true}) {
        SCOPED_TRACE(bursts ? "bursts" : "steady");
        Tool tool;
        NoiseSource noise(tool, bursts);
        tool.Connect();
        EXPECT_GT(tool.RunSearch(), 0u);
        EXPECT_EQ(tool.Message(), "can not find GPS Data");
        EXPECT_EQ(tool.FoundRate(), 0u);
        EXPECT_FALSE(tool.shared.PortOpen);
    }
}

TEST(AutoBaud, NmeaWithBitErrorsGivesTheRightRateOrTheGiveUpMessage) {
    for (const uint32_t rate : {4800u, 57600u, 230400u, 921600u}) {
        SCOPED_TRACE(rate);
        SimConfig config = Receiver("mtk", rate);
        config.Faults.BitErrorRate = 1e-3;
        config.Seed = rate;
        SimRig rig(config);
        rig.Connect();
        EXPECT_GT(rig.RunSearch(), 0u);
        if (rig.FoundRate() == 0) {
            EXPECT_EQ(rig.Message(), "can not find GPS Data");
        } else {
            EXPECT_EQ(rig.FoundRate(), rate);
            EXPECT_EQ(rig.port.BaudRate(), rate);
        }
    }
}

TEST(AutoBaud, ASirfReceiverInBinaryModeIsFoundAndAskedAbout) {
    SimConfig config = Receiver("sirf", 57600);
    config.SirfBinary = true;
    SimRig rig(config);
    rig.prompts.answers.push_back(PromptAnswer::No);
    rig.Connect();
    ASSERT_GT(rig.RunSearch(), 0u);
    EXPECT_EQ(rig.FoundRate(), 57600u);
    EXPECT_NE(rig.notes.back().find("SiRF binary"), std::string::npos) << rig.notes.back();
    EXPECT_EQ(rig.dispatcher.State(), LinkState::SirfBinary);
    rig.time.Advance(2500);
    ASSERT_FALSE(rig.prompts.shown.empty());
    EXPECT_EQ(rig.prompts.shown[0].text,
              "GPS is in SiRF Binary mode.\r\n\r\nDo you want to switch to NMEA mode ?");
    EXPECT_FALSE(rig.shared.PortOpen) << "the answer No ends the connection";
}

// A receiver that sends only UBX frames, once a second, at `rate`; a port at any other rate
// reads what a UART makes of them.
struct UbxOnlySource {
    UbxOnlySource(Tool& tool, uint32_t rate)
        : tool_(tool), rate_(rate), timer_(tool.time.CreateTimer()) {
        timer_->SetIntervalMs(1000);
        timer_->OnTimeout = [this] {
            if (!tool_.port.IsOpen()) return;
            const std::string frame = BuildUbxFrame(0x01, 0x07, std::string(92, '\x21'));
            tool_.port.Feed(UartResample(frame, rate_, tool_.port.BaudRate()));
        };
        timer_->Start();
    }

  private:
    Tool& tool_;
    uint32_t rate_;
    std::unique_ptr<Timer> timer_;
};

TEST(AutoBaud, AReceiverSpeakingOnlyUbxIsFoundByItsFrames) {
    Tool tool;
    UbxOnlySource source(tool, 115200);
    tool.Connect();
    ASSERT_GT(tool.RunSearch(), 0u);
    EXPECT_EQ(tool.FoundRate(), 115200u);
    EXPECT_NE(tool.notes.back().find("binary frames"), std::string::npos);
    EXPECT_EQ(tool.port.BaudRate(), 115200u);
    EXPECT_EQ(tool.dispatcher.State(), LinkState::Unknown);
    EXPECT_EQ(tool.control.View().ShownBaud, "115200");
    // It stays there: no NMEA does not start another search, and no hint to try Auto.
    tool.time.Advance(10000);
    EXPECT_TRUE(tool.shared.PortOpen);
    EXPECT_EQ(tool.port.BaudRate(), 115200u);
    EXPECT_FALSE(tool.shared.AutoBaudSearch);
    EXPECT_EQ(tool.Message(), "Baud Rate :115200 (auto)");
}

}  // namespace
}  // namespace gnss::sim
