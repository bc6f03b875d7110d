#include "replay/capture_replay.h"

#include <algorithm>

#include "base/virtual_time.h"
#include "link/memory_receiver_port.h"
#include "link/receive_pipeline.h"
#include "nmea/nmea_checksum.h"

namespace gnss {

namespace {

// The receive buffer bound of a second without a decoded sentence (the monitor's step keeps
// the first 512 bytes in the live program).
constexpr std::size_t kQuietSecondKeep = 512;

// Messages of the receive path go to the observer; questions are answered "No", as an
// unattended replay cannot switch a recorded receiver to another mode.
class ReplayPrompts final : public UserPrompts {
  public:
    ReplayPrompts(ReplayObserver& observer, const VirtualTime& time)
        : observer_(observer), time_(time) {}
    void ShowError(const std::string& message) override { Show(message); }
    void ShowWarning(const std::string& message) override { Show(message); }
    void ShowInfo(const std::string& message) override { Show(message); }
    PromptAnswer ConfirmYesNo(const std::string& message) override {
        Show(message);
        return PromptAnswer::No;
    }

  private:
    void Show(const std::string& message) { observer_.Prompt(time_.ElapsedMs(), message); }

    ReplayObserver& observer_;
    const VirtualTime& time_;
};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

// What the replay plugs into the receive path: it counts every line that is cut, hands decoded
// sentences and satellite blocks to the observer, and stands in for the live program's
// connection (the link's second, the end of the connection) and the monitor's step (the bound
// of a second without a decoded sentence).
class ReplayTap final : public LineListener,
                        public SatelliteListener,
                        public LinkListener,
                        public LinkController {
  public:
    ReplayTap(ReceivePipeline& pipeline, const VirtualTime& time, ReplayObserver& observer,
              ReplaySummary& summary)
        : pipeline_(pipeline), time_(time), observer_(observer), summary_(summary) {}

    // LineListener
    void OnLineReceived(std::string_view) override { ++summary_.Lines; }
    void OnSentenceDecoded(SentenceKind kind, std::string_view line) override {
        ++summary_.DecodedLines;
        ++summary_.LinesPerKind[kind];
        if (kind == SentenceKind::None) {
            CountUndecoded(line);
            return;
        }
        observer_.Sentence(time_.ElapsedMs(), kind, line, pipeline_.Decoder);
    }

    // SatelliteListener
    void OnSatellitesRebuilt() override {
        ++summary_.SatelliteBlocks;
        observer_.Satellites(time_.ElapsedMs(), pipeline_.Decoder);
    }

    // LinkListener
    void OnNmeaSecond(bool) override {
        ReceiveCounters& counters = pipeline_.Dispatcher.Counters();
        if (!counters.NewSentenceFlag) pipeline_.Dispatcher.CutRxBufferTo(kQuietSecondKeep);
        counters.NewSentenceFlag = false;
    }

    // LinkController
    void OnSecondTick() override {
        ++pipeline_.Receiver.SecondsCounter;
        pipeline_.Dispatcher.LinkSupervisionSecond();
    }
    void OnDetectionStepDue() override {}
    void StartSteppingDetection() override {}
    void DisconnectLink() override { summary_.Disconnected = true; }

  private:
    void CountUndecoded(std::string_view line) {
        if (IsValidSentence(line)) {
            ++summary_.UnknownKindLines;
            return;
        }
        ++summary_.InvalidLines;
        if (HasChecksumForm(line)) {
            ++summary_.BadChecksumLines;
        } else {
            ++summary_.NotSentenceLines;
        }
    }

    ReceivePipeline& pipeline_;
    const VirtualTime& time_;
    ReplayObserver& observer_;
    ReplaySummary& summary_;
};

}  // namespace

uint64_t BytesDeliveredBy(uint64_t ticks, uint32_t baudRate) {
    // baudRate / 10 bytes per second, ReceiveDispatcher::kProcessingIntervalMs per tick.
    return ticks * ReceiveDispatcher::kProcessingIntervalMs * baudRate / 10000;
}

std::optional<ReceiverFamily> FamilyFromName(std::string_view name) {
    if (EqualNoCase(name, "unknown")) return ReceiverFamily::Unknown;
    for (int i = 0; i < kReceiverFamilyCount; ++i) {
        const auto family = static_cast<ReceiverFamily>(i);
        if (EqualNoCase(name, FamilyDisplayName(family))) return family;
    }
    return std::nullopt;
}

std::string AddCrBeforeLf(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 32);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) out += '\r';
        out += bytes[i];
    }
    return out;
}

ReplaySummary ReplayCapture(std::string_view capture, const ReplayOptions& options,
                            ReplayObserver& observer) {
    std::string converted;
    if (options.LfLineEnds) converted = AddCrBeforeLf(capture);
    const std::string_view bytes = options.LfLineEnds ? std::string_view(converted) : capture;
    ReplaySummary summary;
    summary.Bytes = bytes.size();

    VirtualTime time;
    MemoryReceiverPort port;
    ReplayPrompts prompts(observer, time);
    port.SetPortName("replay");
    port.SetBaudRate(std::max(options.BaudRate, ReplayOptions::kMinBaudRate));
    port.Open();
    ReceivePipeline pipeline(port, time, time, prompts);

    // As a connect leaves the receive path: everything reset, the processing timer running,
    // the link "UNKNOW" until the stream shows NMEA.
    pipeline.ResetForConnect();
    pipeline.Dispatcher.ResetLink();
    pipeline.Receiver.SecondsCounter = 0;
    pipeline.Shared.PortOpen = true;
    pipeline.Shared.Family = options.Family;
    pipeline.Dispatcher.SetLinkState(LinkState::Unknown);
    pipeline.Dispatcher.EnableProcessingTimer();

    ReplayTap tap(pipeline, time, observer, summary);
    pipeline.Dispatcher.AddListener(tap);
    pipeline.Dispatcher.SetController(&tap);

    const uint32_t baudRate = std::max(options.BaudRate, ReplayOptions::kMinBaudRate);
    uint64_t fed = 0;
    for (uint64_t tick = 1; fed < bytes.size() && !summary.Disconnected; ++tick) {
        const uint64_t due = std::min<uint64_t>(bytes.size(), BytesDeliveredBy(tick, baudRate));
        if (due > fed) {
            port.Feed(bytes.substr(fed, due - fed));
            fed = due;
        }
        time.Advance(ReceiveDispatcher::kProcessingIntervalMs);
    }

    // The end of the capture. A live receiver would go on sending, and the next data would
    // let the complete lines still waiting be processed; the replay stands in for that: it
    // gives a link not yet recognised its next one-second check, then runs one more pass.
    if (!summary.Disconnected && pipeline.Dispatcher.State() != LinkState::Nmea) {
        time.Advance(ReceiveDispatcher::kSecondIntervalMs);
    }
    if (!summary.Disconnected && pipeline.Dispatcher.State() == LinkState::Nmea) {
        pipeline.Dispatcher.ProcessReceiveBuffer();
    }

    const ReceiveCounters& counters = pipeline.Dispatcher.Counters();
    summary.BytesFed = fed;
    summary.BytesLeft = pipeline.Dispatcher.RxBuffer().size();
    summary.OverlongLines = counters.OverlongLines;
    summary.RingOverruns = pipeline.Dispatcher.Ring().RxOverruns();
    summary.MissedEvents = pipeline.Dispatcher.Ring().RxMissedEvents();
    summary.ConsumerErrors = counters.ConsumerErrors;
    summary.ReplayedMs = time.ElapsedMs();
    summary.FinalLinkState = pipeline.Dispatcher.State();
    observer.Summary(summary);
    return summary;
}

}  // namespace gnss
