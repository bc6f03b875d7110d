#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/virtual_time.h"
#include "doubles/scripted_prompts.h"
#include "link/memory_receiver_port.h"
#include "link/receive_dispatch.h"

namespace gnss::testing {

// A connected receive path on virtual time: the port is open at 9600 bit/s, the processing
// timer runs, and every line that reaches the sentence chain is recorded.
struct DispatchFixture {
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
        dispatcher.Hooks.SetStatusPanel = [this](int index, std::string text) {
            panels.push_back(std::to_string(index) + ":" + text);
        };
    }

    // Bytes arrive, then one processing tick passes.
    void FeedTick(std::string_view bytes) {
        port.Feed(bytes);
        time.Advance(ReceiveDispatcher::kProcessingIntervalMs);
    }

    VirtualTime time;
    MemoryReceiverPort port;
    SharedState shared;
    ReceiverState receiver;
    ScriptedPrompts prompts;
    ReceiveDispatcher dispatcher{shared, receiver, port, time, time, prompts};
    std::vector<std::string> lines;
    std::vector<std::string> panels;
};

}  // namespace gnss::testing
