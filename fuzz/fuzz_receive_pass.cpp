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
#include "nmea/sentence_decoder.h"

namespace {

constexpr gnss::ReceiverFamily kFamilies[] = {gnss::ReceiverFamily::Unknown,
                                              gnss::ReceiverFamily::ublox,
                                              gnss::ReceiverFamily::HED, gnss::ReceiverFamily::MTK};

// Any valid sentence decodes to some known kind; no block ends.
class AnyKindDecoder final : public gnss::SentenceDecoder {
  public:
    gnss::SentenceKind DecodeSentence(std::string_view line, gnss::SentenceKind) override {
        if (!gnss::IsValidSentence(line)) return gnss::SentenceKind::None;
        return static_cast<gnss::SentenceKind>(1 + line.size() % (gnss::kSentenceKindCount - 1));
    }
    gnss::BlockEnds CloseEndedBlocks(gnss::SentenceKind, gnss::SentenceKind) override { return {}; }
};

// The monitor's step: cuts the buffer in a second without a sentence, and checks the bound.
class BoundCheck final : public gnss::LinkListener {
  public:
    explicit BoundCheck(gnss::ReceiveDispatcher& dispatcher) : dispatcher_(dispatcher) {}
    void OnNmeaSecond(bool) override {
        auto& counters = dispatcher_.Counters();
        if (counters.NewSentenceFlag) {
            counters.NewSentenceFlag = false;
        } else {
            dispatcher_.CutRxBufferTo(512);
        }
        const uint32_t drained = counters.RxBytesThisSecond - drainedAtStep_;
        if (dispatcher_.RxBuffer().size() > 512 + std::size_t{drained}) std::abort();
        drainedAtStep_ = counters.RxBytesThisSecond;
    }

  private:
    gnss::ReceiveDispatcher& dispatcher_;
    uint32_t drainedAtStep_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const uint8_t setup = data[0];
    std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);

    gnss::VirtualTime time;
    gnss::MemoryReceiverPort port;
    gnss::SharedState shared;
    gnss::ReceiverState receiver;
    gnss::UnattendedPrompts prompts;
    port.Open();
    shared.PortOpen = true;
    shared.Family = kFamilies[setup & 3];
    shared.ReceiverIdentified = (setup & 4) != 0;
    shared.UbxReplyDeadline = (setup & 8) != 0 ? 1000000 : -1;
    shared.HedReplyDeadline = (setup & 16) != 0 ? 1000000 : -1;
    shared.AntennaStatusExpected = (setup & 32) != 0;

    gnss::ReceiveDispatcher dispatcher(shared, receiver, port, time, time, prompts);
    AnyKindDecoder decoder;
    BoundCheck check(dispatcher);
    dispatcher.SetDecoder(&decoder);
    dispatcher.AddListener(check);
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
