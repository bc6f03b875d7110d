// UBX/HD messages: names, builders, reply windows, and what the handlers make of received
// frames, alone and through the receive path.
#include "control/ubx_hd_reception.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/virtual_time.h"
#include "control/receiver_identification.h"
#include "control/ubx_hd_messages.h"
#include "doubles/recording_monitor_output.h"
#include "doubles/scripted_prompts.h"
#include "link/connection_control.h"
#include "link/memory_receiver_port.h"
#include "link/receive_pipeline.h"
#include "nmea/hex_text.h"

namespace gnss {
namespace {

std::string Hex(std::string_view spaced) {
    std::string digits;
    for (char c : spaced) {
        if (c != ' ') digits += c;
    }
    return HexToBin(digits);
}

std::string Le32(int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    return {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
            static_cast<char>((u >> 16) & 0xFF), static_cast<char>(u >> 24)};
}
std::string Le16(uint16_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

TEST(UbxHdMessages, ChecksumsAndFixedFrames) {
    EXPECT_EQ(FletcherChecksum(Hex("F1 D9 0A 04 00 00")), Hex("0E 34"));
    EXPECT_EQ(FletcherChecksum(Hex("F1 D9 06 43 00 00")), Hex("49 E1"));
    EXPECT_EQ(BuildAck(FrameProtocol::Hd, 0x06, 0x40), Hex("F1 D9 05 01 02 00 06 40 4E 77"));
    EXPECT_EQ(BuildAck(FrameProtocol::Ubx, 0x06, 0x04), Hex("B5 62 05 01 02 00 06 04 12 3B"));
    for (std::string_view frame :
         {kUbxCfgRstHot, kUbxCfgRstWarm, kUbxCfgRstCold, kUbxCfgCfgClearLoadAll}) {
        EXPECT_TRUE(IsUbxFrame(frame)) << BinToHex(frame);
    }
    for (std::string_view frame :
         {kHdMonVerPoll, kHdMonInfoPoll, kHdNmeaVersionPoll, kHdConfigClear, kHdPortConfigPoll}) {
        EXPECT_TRUE(IsHdFrame(frame)) << BinToHex(frame);
    }
}

TEST(UbxHdMessages, HdSimpleRestartTakesOnlyItsPayloads) {
    struct Case {
        std::string Payload;
        std::string Frame;  // empty: none
    };
    const std::vector<Case> cases = {
        {Hex("03"), Hex("F1 D9 06 40 01 00 03 4A 24")},
        {"", BuildHdFrame(0x06, 0x40, Hex("00"))},
        {Hex("00"), BuildHdFrame(0x06, 0x40, Hex("00"))},
        {Hex("01"), BuildHdFrame(0x06, 0x40, Hex("01"))},
        {Hex("02"), BuildHdFrame(0x06, 0x40, Hex("02"))},
        {Hex("80"), BuildHdFrame(0x06, 0x40, Hex("80"))},
        {Hex("04"), ""},
        {Hex("FF"), ""},
        {Hex("03 03"), ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BuildHdSimpleRestart(c.Payload), c.Frame) << BinToHex(c.Payload);
    }
}

TEST(UbxHdMessages, NameTablesPerProtocol) {
    struct Case {
        FrameProtocol Protocol;
        uint8_t Class;
        uint8_t Id;
        std::string_view Name;
    };
    const std::vector<Case> cases = {
        {FrameProtocol::Hd, 0x0B, 0x31, "Poll All Ephemeris Data(AID-EPH)"},
        {FrameProtocol::Ubx, 0x0B, 0x31, "Poll All Ephemeris Data(AID-EPH)"},
        {FrameProtocol::Hd, 0x0B, 0x33,
         "Polled/Set Proprietary Ephemeris Data for BDS (AID-PEPH-BDS)"},
        {FrameProtocol::Ubx, 0x0B, 0x33, "Set basic external aiding data(AID-EXT-AUTOBASIC)"},
        {FrameProtocol::Hd, 0x06, 0x09, "TTFF-Write CFG to Flash / Clear CFG in Flash(CFG-CFG)"},
        {FrameProtocol::Ubx, 0x01, 0x03, ""},
        {FrameProtocol::Hd, 0x02, 0x11, ""},
        {FrameProtocol::Ubx, 0x02, 0x11, "Poll Subframe Buffer"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MessageName(c.Protocol, c.Class, c.Id), c.Name) << MessageKey(c.Class, c.Id);
    }
    EXPECT_EQ(MessageKey(0x0A, 0xC1), "0AC1");
}

TEST(UbxHdMessages, SendingOpensTheReplyWindowOfItsProtocol) {
    MemoryReceiverPort port;
    port.Open();
    SharedState shared;
    shared.PortOpen = true;
    ReceiverState receiver;
    receiver.SecondsCounter = 7;
    EXPECT_TRUE(SendUbxCommand(shared, receiver, port, kUbxCfgRstHot));
    EXPECT_EQ(shared.UbxReplyDeadline, 10);
    EXPECT_EQ(shared.HedReplyDeadline, 0);
    EXPECT_TRUE(SendHdCommand(shared, receiver, port, kHdMonVerPoll));
    EXPECT_EQ(shared.HedReplyDeadline, 10);
    EXPECT_EQ(port.WrittenBytes(), std::string(kUbxCfgRstHot) + std::string(kHdMonVerPoll));
}

// Writes down what the reception tells the features that wait for replies.
struct ReplyLog final : ReceiverReplyListener {
    void OnFrameHandled(FrameProtocol, std::string_view name, std::string_view) override {
        Names.emplace_back(name);
    }
    void OnHdAcknowledged(uint8_t c, uint8_t i) override {
        Events.push_back("ack " + MessageKey(c, i));
    }
    void OnHdPortConfigReply(std::string_view) override { Events.emplace_back("port"); }
    void OnRestartAcknowledged(FrameProtocol protocol, uint32_t tickMs) override {
        Events.push_back((protocol == FrameProtocol::Hd ? "hd restart @" : "ubx restart @") +
                         std::to_string(tickMs));
    }
    std::vector<std::string> Names;
    std::vector<std::string> Events;
};

struct Handlers {
    Handlers() { rx.AddListener(replies); }
    VirtualTime time{VirtualTime::Options{.StartTickMs = 5000}};
    SharedState shared;
    ReceiverState receiver;
    IdentificationResult result;
    testing::RecordingMonitorOutput output;
    UbxHdReception rx{shared, receiver, time, result, output};
    ReplyLog replies;
    std::vector<std::string>& lines = output.Lines;
};

TEST(UbxHdReception, UbxVersionAndSubframeLines) {
    struct Case {
        std::string Payload;
        uint8_t Id;
        std::vector<std::string> Lines;
    };
    std::string version(30, '\0');
    version.replace(0, 8, "ROM 3.01");
    version += std::string("00080000\0\0", 10);
    const std::vector<Case> cases = {
        {version, 0x04, {"      HW Ver:00080000", "      FW Ver:ROM 3.01"}},
        {version + std::string(30, 'X'), 0x04, {}},  // extensions: nothing shown
        {version.substr(0, 32), 0x04, {}},
        {Hex("05 11 22"), 0x11, {}},  // class 0A: no subframe
    };
    for (const auto& c : cases) {
        Handlers h;
        h.rx.UbxMonitor(0x0A, c.Id, c.Payload);
        EXPECT_EQ(h.lines, c.Lines);
    }
    Handlers h;
    h.rx.UbxMonitor(0x02, 0x11, Hex("05 11 22"));
    EXPECT_EQ(h.lines, std::vector<std::string>{"@      Subframe:[ChanNum:5][SatID:17]"});
}

TEST(UbxHdReception, HdAssistanceEchoes) {
    const std::string time =
        Hex("00 00 12") + Le16(2024) + Hex("03 09 0E 05 07") + Le32(-5) + Le16(2) + Le32(300);
    const std::string position =
        Hex("01") + Le32(251234567) + Le32(-1215646000) + Le32(4512) + Le32(50);
    const std::string both =
        Le32(2512345) + Le32(12156460) + Le32(45) + Hex("03 09 0E 05") + Le32(7) + Le16(2024);
    struct Case {
        uint8_t Id;
        std::string Payload;
        std::vector<std::string> Lines;
    };
    const std::vector<Case> cases = {
        {0x11,
         time,
         {"PL Len : 20", "(UTC) 2024.03.09-14:05:07",
          "iSec_ns:-5  wTacc_s:2  iTacc_ns:300  Leap_sec:18"}},
        {0x11, time.substr(0, 19), {"PL Len : 19", "  < PL Len error ! >"}},
        {0x10, position, {"PL Len : 17", "(LLA) Lat:25.12346, Lon:-121.56460 (45.12 m)-[50]"}},
        {0x02, both, {"PL Len : 22", "Lat:25.12345, Lon:121.56460 (45 m)", "2024.03.09-14:05:07"}},
        {0x32, Hex("AB"), {BinToHex(BuildHdFrame(0x0B, 0x32, Hex("AB")))}},
    };
    for (const auto& c : cases) {
        Handlers h;
        h.rx.HandleHdFrame(BuildHdFrame(0x0B, c.Id, c.Payload));
        EXPECT_EQ(h.lines, c.Lines) << int(c.Id);
    }
}

TEST(UbxHdReception, HdRepliesReachTheirFeatures) {
    Handlers h;
    h.rx.HandleHdFrame(BuildAck(FrameProtocol::Hd, 0x06, 0x40));  // not an ephemeris message
    h.rx.HandleHdFrame(BuildAck(FrameProtocol::Hd, 0x0B, 0x33));
    h.rx.HandleHdFrame(BuildHdFrame(0x06, 0x00, std::string(8, '\1')));
    h.rx.HandleHdFrame(BuildHdFrame(0x06, 0x00, std::string(7, '\1')));  // not 16 bytes
    h.rx.HandleHdFrame(BuildHdFrame(0x0A, 0x05, "MOD_A1GB"));
    h.rx.HandleHdFrame(BuildHdFrame(0x0A, 0x05, "OTHER"));  // only the first is kept
    EXPECT_EQ(h.replies.Events, (std::vector<std::string>{"ack 0B33", "port"}));
    EXPECT_EQ(h.replies.Names.size(), 6u) << "every frame is announced with its name";
    EXPECT_EQ(h.result.HdModuleInfo, "MOD_A1GB");
    EXPECT_EQ(h.result.CommandPreset, "MOD_A1GB");
}

TEST(UbxHdReception, RestartAcknowledgementTickForTheFixTime) {
    const std::string hdAck = BuildAck(FrameProtocol::Hd, 0x06, 0x40);
    const std::string ubxAck = BuildAck(FrameProtocol::Ubx, 0x06, 0x04);
    Handlers h;
    h.rx.ExpectRestartAck(hdAck);
    h.receiver.FixValid = true;

    h.shared.Family = ReceiverFamily::ublox;
    h.rx.HandleHdFrame(hdAck);  // wrong family
    EXPECT_EQ(h.rx.HdAckTick, 0u);
    h.shared.Family = ReceiverFamily::HED;
    h.rx.HandleHdFrame(hdAck);
    EXPECT_EQ(h.rx.HdAckTick, 5000u);
    EXPECT_FALSE(h.receiver.FixValid);

    h.rx.ExpectRestartAck(ubxAck);
    h.time.Advance(20);
    h.rx.HandleUbxFrame(ubxAck);  // family HED
    EXPECT_EQ(h.rx.UbxAckTick, 0u);
    h.shared.Family = ReceiverFamily::ublox;
    h.rx.ExpectRestartAck("");  // none awaited
    h.rx.HandleUbxFrame(ubxAck);
    EXPECT_EQ(h.rx.UbxAckTick, 0u);
    h.rx.ExpectRestartAck(ubxAck);
    h.rx.HandleUbxFrame(ubxAck);
    EXPECT_EQ(h.rx.UbxAckTick, 5020u);
    EXPECT_EQ(h.replies.Events,
              (std::vector<std::string>{"hd restart @5000", "ubx restart @5020"}));
}

// The handlers behind the receive path: an identified HD receiver on a connected link.
struct PathRig : ReceiverReplyListener {
    PathRig() {
        p.Dispatcher.AddListener(reception);
        reception.AddListener(*this);
        port.SetBaudRate(115200);
        control.SetShownBaud("115200");
        control.ToggleConnection();
        p.Dispatcher.SetLinkState(LinkState::Nmea);
        p.Shared.Family = ReceiverFamily::HED;
        p.Shared.ReceiverIdentified = true;
    }
    void OnHdAcknowledged(uint8_t, uint8_t) override { ++acks; }
    void Tick(std::string_view bytes) {
        port.Feed(bytes);
        time.Advance(ReceiveDispatcher::kProcessingIntervalMs);
    }

    VirtualTime time;
    MemoryReceiverPort port;
    testing::ScriptedPrompts prompts;
    ReceivePipeline p{port, time, time, prompts};
    ConnectionControl control{p.Shared, p.Receiver, port, p.Dispatcher, time, time, prompts};
    IdentificationResult result;
    testing::RecordingMonitorOutput output;
    UbxHdReception reception{p.Shared, p.Receiver, time, result, output};
    int acks = 0;
};

TEST(UbxHdReception, SplitHdFrameIsHandledOnceComplete) {
    PathRig rig;
    rig.p.Shared.HedReplyDeadline = 3;
    const std::string ack = BuildAck(FrameProtocol::Hd, 0x0B, 0x32);
    rig.Tick("$GPTXT,1*00\r\n" + ack.substr(0, 5));
    EXPECT_EQ(rig.acks, 0);
    EXPECT_EQ(rig.p.Dispatcher.RxBuffer(), ack.substr(0, 5));
    rig.Tick(ack.substr(5) + "$GPTXT,2*00\r\n");
    EXPECT_EQ(rig.acks, 1);
    EXPECT_TRUE(rig.p.Dispatcher.RxBuffer().empty());
}

TEST(UbxHdReception, LapsedHdReplyWindowLeavesTheAckUnhandledButRemoved) {
    PathRig rig;
    rig.p.Shared.HedReplyDeadline = 0;
    rig.p.Receiver.SecondsCounter = 1;
    rig.Tick(BuildAck(FrameProtocol::Hd, 0x0B, 0x32) + "$GPTXT,2*00\r\n");
    EXPECT_EQ(rig.acks, 0);
    EXPECT_TRUE(rig.p.Dispatcher.RxBuffer().empty());
}

}  // namespace
}  // namespace gnss
