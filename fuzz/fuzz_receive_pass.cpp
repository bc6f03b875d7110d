// Random bytes through port deliveries and processing ticks in the NMEA state, for a few
// families. After every once-per-second monitor step the receive buffer must be within 512
// bytes plus what was drained from the ring since the previous step.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/virtual_time.h"
#include "link/memory_receiver_port.h"
#include "link/receive_dispatch.h"
#include "nmea/nmea_checksum.h"

namespace {

class NoPrompts final : public gnss::UserPrompts {
  public:
    void ShowError(const std::string&) override {}
    void ShowWarning(const std::string&) override {}
    void ShowInfo(const std::string&) override {}
    gnss::PromptAnswer ConfirmYesNo(const std::string&) override { return gnss::PromptAnswer::No; }
};

constexpr gnss::ReceiverFamily kFamilies[] = {gnss::ReceiverFamily::Unknown,
                                              gnss::ReceiverFamily::ublox,
                                              gnss::ReceiverFamily::HED, gnss::ReceiverFamily::MTK};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const uint8_t setup = data[0];
    std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);

    gnss::VirtualTime time;
    gnss::MemoryReceiverPort port;
    gnss::SharedState shared;
    gnss::ReceiverState receiver;
    NoPrompts prompts;
    port.Open();
    shared.PortOpen = true;
    shared.Family = kFamilies[setup & 3];
    shared.ReceiverIdentified = (setup & 4) != 0;
    shared.UbxReplyDeadline = (setup & 8) != 0 ? 1000000 : -1;
    shared.HedReplyDeadline = (setup & 16) != 0 ? 1000000 : -1;
    shared.AntennaStatusExpected = (setup & 32) != 0;

    gnss::ReceiveDispatcher dispatcher(shared, receiver, port, time, time, prompts);
    uint32_t drainedAtStep = 0;
    dispatcher.Hooks.DecodeSentence = [](std::string_view line) -> uint8_t {
        return gnss::IsValidSentence(line) ? static_cast<uint8_t>(1 + line.size() % 27) : 0;
    };
    dispatcher.Hooks.MonitorStep = [&] {
        auto& counters = dispatcher.Counters();
        if (counters.NewSentenceFlag) {
            counters.NewSentenceFlag = false;
        } else {
            dispatcher.CutRxBufferTo(512);
        }
        const uint32_t drained = counters.RxBytesThisSecond - drainedAtStep;
        if (dispatcher.RxBuffer().size() > 512 + std::size_t{drained}) std::abort();
        drainedAtStep = counters.RxBytesThisSecond;
    };
    dispatcher.SetLinkState(gnss::LinkState::Nmea);
    dispatcher.EnableProcessingTimer();
    dispatcher.SetSecondTimerEnabled(true);

    // Deliveries of varying size, each followed by one processing tick.
    std::size_t at = 0;
    while (at < input.size()) {
        const std::size_t chunk = 1 + static_cast<uint8_t>(input[at]) * 8;
        const std::string_view bytes = input.substr(at, chunk);
        at += bytes.size();
        port.Feed(bytes);
        time.Advance(gnss::ReceiveDispatcher::kProcessingIntervalMs);
    }
    time.Advance(2000);
    return 0;
}
