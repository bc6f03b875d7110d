#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/virtual_time.h"
#include "doubles/scripted_prompts.h"
#include "link/memory_receiver_port.h"
#include "link/receive_dispatch.h"

namespace gnss::testing {

// Writes down what the dispatcher tells its listeners. Events that order matters for go into
// Events as short texts ("decoded 3", "handled 3", "gsa-end", "rebuild", "refresh",
// "recognised NMEA", "lamp on", "nmea-second", "paused", "switched"); the rest into their own
// lists.
struct ReceiveEventLog final : StreamListener,
                               FrameListener,
                               LineListener,
                               SatelliteListener,
                               LinkListener {
    // StreamListener
    void OnBytesReceived(std::string_view chunk) override { Bytes += chunk; }
    void OnReceiveBuffer(std::string_view buffer) override { Buffers.emplace_back(buffer); }
    // FrameListener
    void OnUbxFrameSeen(uint8_t cls, uint8_t id, std::string_view payload) override {
        SeenUbx.push_back(std::to_string(cls) + "/" + std::to_string(id) + "/" +
                          std::to_string(payload.size()) + "/" + std::string(payload));
    }
    void OnUbxFrame(std::string_view frame) override { Frames.emplace_back(frame); }
    void OnHdFrame(std::string_view frame) override { Frames.emplace_back(frame); }
    // LineListener
    [[nodiscard]] bool UnwrapsPrcrLines() const override { return UnwrapPrcr; }
    void OnLineReceived(std::string_view line) override { Received.emplace_back(line); }
    void OnLinePassedChain(std::string_view line) override { PassedChain.emplace_back(line); }
    void OnSentenceDecoded(SentenceKind kind, std::string_view) override {
        Events.push_back("decoded " + std::to_string(KindIndex(kind)));
    }
    void OnSentenceHandled(SentenceKind kind) override {
        Events.push_back("handled " + std::to_string(KindIndex(kind)));
    }
    // SatelliteListener
    void OnGsaBlockEnded() override { Events.emplace_back("gsa-end"); }
    void OnSatellitesRebuilt() override { Events.emplace_back("rebuild"); }
    void OnSatellitesRefresh() override { Events.emplace_back("refresh"); }
    // LinkListener
    void OnLinkRecognised(LinkState state) override {
        Events.push_back("recognised " + std::string(LinkStateName(state)));
    }
    void OnDataLampChanged(bool lit) override { Events.push_back(lit ? "lamp on" : "lamp off"); }
    void OnNmeaSecond(bool recognisedThisSecond) override {
        Events.push_back(recognisedThisSecond ? "nmea-second (recognised)" : "nmea-second");
    }
    void OnProcessingPaused() override { Events.emplace_back("paused"); }
    void OnConsumerError(std::string_view what) override { Errors.emplace_back(what); }
    [[nodiscard]] bool ExpectsSirfBinary() const override { return ExpectSirf; }
    void OnSwitchedToNmea() override { Events.emplace_back("switched"); }

    // The events but those whose text starts with `prefix`.
    [[nodiscard]] std::vector<std::string> Without(std::string_view prefix) const {
        std::vector<std::string> out;
        for (const auto& event : Events) {
            if (!event.starts_with(prefix)) out.push_back(event);
        }
        return out;
    }
    // The events whose text starts with `prefix`.
    [[nodiscard]] std::vector<std::string> Only(std::string_view prefix) const {
        std::vector<std::string> out;
        for (const auto& event : Events) {
            if (event.starts_with(prefix)) out.push_back(event);
        }
        return out;
    }

    bool UnwrapPrcr = false;
    bool ExpectSirf = false;
    std::vector<std::string> Events;
    std::string Bytes;
    std::vector<std::string> Buffers;
    std::vector<std::string> SeenUbx;
    std::vector<std::string> Frames;
    std::vector<std::string> Received;
    std::vector<std::string> PassedChain;
    std::vector<std::string> Errors;
};

// A connected receive path on virtual time: the port is open at 9600 bit/s, the processing
// timer runs, every line that reaches the sentence chain is recorded, the listeners' events are
// in `log`, and the fixture stands in for the connection control (its second runs the link
// supervision; the other requests are counted).
struct DispatchFixture final : LinkController {
    explicit DispatchFixture(LinkState state = LinkState::Nmea) {
        port.SetPortName("ttyUSB0");
        port.SetBaudRate(9600);
        port.Open();
        shared.PortOpen = true;
        dispatcher.SetLinkState(state);
        dispatcher.EnableProcessingTimer();
        dispatcher.Chain().Register(ChainSlot::DrStatus, [this](SentenceContext& ctx) {
            lines.emplace_back(ctx.Line);
            return ChainStep::Continue;
        });
        dispatcher.AddListener(log);
        dispatcher.SetController(this);
    }
    DispatchFixture(const DispatchFixture&) = delete;
    DispatchFixture& operator=(const DispatchFixture&) = delete;

    // Bytes arrive, then one processing tick passes.
    void FeedTick(std::string_view bytes) {
        port.Feed(bytes);
        time.Advance(ReceiveDispatcher::kProcessingIntervalMs);
    }

    // LinkController
    void OnSecondTick() override { dispatcher.LinkSupervisionSecond(); }
    void OnDetectionStepDue() override { ++detectionSteps; }
    void StartSteppingDetection() override {
        controllerEvents.push_back("detect@" + std::to_string(time.ElapsedMs()) + " buffer " +
                                   std::to_string(dispatcher.RxBuffer().size()));
    }
    void DisconnectLink() override { controllerEvents.emplace_back("disconnect"); }

    VirtualTime time;
    MemoryReceiverPort port;
    SharedState shared;
    ReceiverState receiver;
    ScriptedPrompts prompts;
    ReceiveDispatcher dispatcher{shared, receiver, port, time, time, prompts};
    ReceiveEventLog log;
    std::vector<std::string> lines;
    int detectionSteps = 0;
    std::vector<std::string> controllerEvents;
};

}  // namespace gnss::testing
