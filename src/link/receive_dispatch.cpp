#include "link/receive_dispatch.h"

#include <cstring>
#include <exception>

#include "frames/binary_frame.h"
#include "link/received_line.h"
#include "link/receiver_link.h"
#include "nmea/nmea_checksum.h"
#include "nmea/text_fields.h"

namespace gnss {

namespace {

constexpr std::size_t kNotFound = std::string_view::npos;

// Text that marks a chunk as NMEA while the link is not yet known to carry it.
constexpr std::array<std::string_view, 5> kNmeaMarkers = {"$GP", "$GN", "$GL", "$PL", "$PMD"};

// Antenna status words, first match wins.
struct AntennaWord {
    std::string_view Text;
    AntennaState State;
};
constexpr std::array<AntennaWord, 9> kAntennaWords = {{
    {"US=OK*", AntennaState::Ok},
    {"NA OK*", AntennaState::Ok},
    {"ANT_OK*", AntennaState::Ok},
    {"US=OPEN*", AntennaState::Open},
    {"NA OPEN*", AntennaState::Open},
    {"ANT_OPEN*", AntennaState::Open},
    {"US=SHORT*", AntennaState::Short},
    {"NA SHORT", AntennaState::Short},
    {"ANT_SHORT*", AntennaState::Short},
}};
// Families whose receivers report the antenna in unknown sentences.
constexpr std::array<ReceiverFamily, 4> kAntennaFamilies = {
    ReceiverFamily::MTK, ReceiverFamily::HED, ReceiverFamily::ATGM, ReceiverFamily::MXT};

constexpr std::string_view kSirfBinaryStart{"\xA0\xA2\x00\x09\x09", 5};
constexpr unsigned char kSirfToNmea[] = {
    0xA0, 0xA2, 0x00, 0x18, 0x81, 0x02, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
    0x01, 0x01, 0x00, 0x01, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x25, 0x80, 0x01, 0x37, 0xB0, 0xB3};

constexpr std::string_view kSirfQuestion =
    "GPS is in SiRF Binary mode.\r\n\r\nDo you want to switch to NMEA mode ?";
constexpr uint32_t kSirfSwitchWaitMs = 150;
constexpr uint32_t kDetectionDropMs = 150;
constexpr uint32_t kDetectionStepAfterMs = 2000;
constexpr uint32_t kSatRefreshMinMs = 400;
constexpr uint32_t kIdleTicksForSecondTimer = 20;
constexpr uint32_t kSlowRate = 4800;
constexpr std::size_t kUnknownKeep = 128;
constexpr std::size_t kDetectKeep = 180;

constexpr DelimiterSet kDollar{"$"};

// 0-based index of the next CR LF at or after `from`; npos when none.
std::size_t FindCrLf(std::string_view text, std::size_t from) {
    const char* data = text.data();
    const std::size_t size = text.size();
    while (from + 1 < size) {
        const void* hit = std::memchr(data + from, '\r', size - from - 1);
        if (hit == nullptr) return kNotFound;
        const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
        if (data[at + 1] == '\n') return at;
        from = at + 1;
    }
    return kNotFound;
}

// Which lines go on to the consumers and the decoder.
bool PassesLineFilter(std::string_view line, ReceiverFamily family) {
    // A line without a "$" after its first byte, as nearly every sentence: "holds" is "starts
    // with" for the texts below, without searching the line for each.
    if (line.size() < 2 || std::memchr(line.data() + 1, '$', line.size() - 1) == nullptr) {
        if (line.starts_with("$PUNV,ERR,")) return false;
        if (!line.starts_with("$GPTXT")) return line != "$PMTK001,-1,0*1F";
        return family == ReceiverFamily::ublox || Contains(line, "ANTSTATUS");
    }
    if (Contains(line, "$PUNV,ERR,")) return false;
    if (!Contains(line, "$GPTXT")) return line != "$PMTK001,-1,0*1F";
    return family == ReceiverFamily::ublox || Contains(line, "ANTSTATUS");
}

// Calls `method` of every listener in `listeners`, in registration order.
template <typename Listener, typename... Params, typename... Args>
void Notify(const std::vector<Listener*>& listeners, void (Listener::*method)(Params...),
            Args&&... args) {
    for (std::size_t i = 0; i < listeners.size(); ++i) (listeners[i]->*method)(args...);
}

}  // namespace

std::string_view SirfSwitchToNmeaFrame() {
    return {reinterpret_cast<const char*>(kSirfToNmea), sizeof kSirfToNmea};
}

ReceiveDispatcher::ReceiveDispatcher(SharedState& shared, ReceiverState& receiver,
                                     ReceiverPort& port, Clock& clock, Scheduler& scheduler,
                                     UserPrompts& prompts)
    : shared_(shared),
      receiver_(receiver),
      port_(port),
      clock_(clock),
      prompts_(prompts),
      processingTimer_(scheduler.CreateTimer()),
      secondTimer_(scheduler.CreateTimer()),
      dataLampTimer_(scheduler.CreateTimer()),
      sirfSwitch_(scheduler) {
    processingTimer_->SetIntervalMs(kProcessingIntervalMs);
    processingTimer_->OnTimeout = [this] { OnProcessingTick(); };
    secondTimer_->SetIntervalMs(kSecondIntervalMs);
    secondTimer_->OnTimeout = [this] { OnSecondTick(); };
    dataLampTimer_->SetIntervalMs(kDataLampIntervalMs);
    dataLampTimer_->OnTimeout = [this] { OnDataLampTick(); };
    port_.OnReadyRead = [this](std::size_t n) { DeliverFromPort(n); };
}

ReceiveDispatcher::~ReceiveDispatcher() {
    port_.OnReadyRead = nullptr;
}

// --- buffer ---

void ReceiveDispatcher::ApplyBufferOp(BufferOp op, std::size_t n) {
    switch (op) {
        case BufferOp::Clear:
            rxBuffer_.clear();
            break;
        case BufferOp::KeepTail:
            if (rxBuffer_.size() > n) rxBuffer_.erase(0, rxBuffer_.size() - n);
            break;
        case BufferOp::CutTo:
            if (rxBuffer_.size() > n) rxBuffer_.resize(n);
            break;
    }
}

void ReceiveDispatcher::ClearRxBuffer() {
    if (inPass_) {
        pendingOps_.emplace_back(BufferOp::Clear, 0);
    } else {
        ApplyBufferOp(BufferOp::Clear, 0);
    }
}

void ReceiveDispatcher::KeepRxBufferTail(std::size_t n) {
    if (inPass_) {
        pendingOps_.emplace_back(BufferOp::KeepTail, n);
    } else {
        ApplyBufferOp(BufferOp::KeepTail, n);
    }
}

void ReceiveDispatcher::CutRxBufferTo(std::size_t n) {
    if (inPass_) {
        pendingOps_.emplace_back(BufferOp::CutTo, n);
    } else {
        ApplyBufferOp(BufferOp::CutTo, n);
    }
}

void ReceiveDispatcher::ResetLink() {
    ring_.Reset();
    rxBuffer_.clear();
    chunk_.clear();
    hdPackets_.clear();
    hdFrames_.clear();
    pendingOps_.clear();
    counters_ = ReceiveCounters{};
    dataLampTicks_ = 0;
    sirfSwitch_.Cancel();
}

// --- helpers ---

void ReceiveDispatcher::EnableSecondTimer() {
    secondTimer_->SetEnabled(true);
}

bool ReceiveDispatcher::DetectionWindowPassed(uint32_t ms) const {
    return clock_.TickMs() - shared_.DetectionStartTick >= ms;
}

void ReceiveDispatcher::Recognised(LinkState state) {
    state_ = state;
    Notify(linkListeners_, &LinkListener::OnLinkRecognised, state);
}

void ReceiveDispatcher::DataLamp(bool lit) {
    counters_.DataIndicator = lit;
    Notify(linkListeners_, &LinkListener::OnDataLampChanged, lit);
}

bool ReceiveDispatcher::AnyUnwrapsPrcrLines() const {
    for (const LineListener* listener : lineListeners_) {
        if (listener->UnwrapsPrcrLines()) return true;
    }
    return false;
}

bool ReceiveDispatcher::AnyExpectsSirfBinary() const {
    for (const LinkListener* listener : linkListeners_) {
        if (listener->ExpectsSirfBinary()) return true;
    }
    return false;
}

void ReceiveDispatcher::GoNmea() {
    counters_.LinkUpTick = clock_.TickMs();
    // Identification is armed only while the one-second timer runs; start the timer first, so
    // that a receiver whose version text comes with its first data is not missed.
    EnableSecondTimer();
    Recognised(LinkState::Nmea);
}

void ReceiveDispatcher::NmeaSecond(bool recognisedThisSecond) {
    Notify(linkListeners_, &LinkListener::OnNmeaSecond, recognisedThisSecond);
}

// --- timers ---

void ReceiveDispatcher::OnProcessingTick() {
    if (shared_.AutoBaudSearch && controller_ != nullptr) {
        RateSearchTick();
        return;
    }
    if (ring_.Empty()) {
        if (++counters_.IdleTicks == kIdleTicksForSecondTimer) EnableSecondTimer();
        if (counters_.DataSinceIdle) {
            if (shared_.DetectionActive && DetectionWindowPassed(kDetectionStepAfterMs) &&
                controller_ != nullptr) {
                controller_->OnDetectionStepDue();
            }
            EnableSecondTimer();
            counters_.DataSinceIdle = false;
        }
        return;
    }

    ring_.RxTakeAll(chunk_);
    counters_.RxBytesThisSecond += static_cast<uint32_t>(chunk_.size());
    // Bytes that arrive right after a rate change were sent at the old rate.
    if (shared_.DetectionActive && !DetectionWindowPassed(kDetectionDropMs + 1)) return;
    if (port_.BaudRate() == kSlowRate) EnableSecondTimer();
    Notify(streamListeners_, &StreamListener::OnBytesReceived, std::string_view(chunk_));
    if (!dataLampTimer_->IsActive()) {
        DataLamp(true);
        dataLampTimer_->SetEnabled(true);
    }
    counters_.DataSinceIdle = true;
    rxBuffer_ += chunk_;
    counters_.RxBufferLength = rxBuffer_.size();
    counters_.IdleTicks = 0;

    if (state_ == LinkState::Nmea) {
        // The pass never re-enters itself. A consumer that paused the processing (an upload
        // that drains the ring itself) keeps the timer stopped.
        processingTimer_->SetEnabled(false);
        pausedDuringPass_ = false;
        ProcessReceiveBuffer();
        if (!pausedDuringPass_) processingTimer_->SetEnabled(true);
    } else {
        if (!rxBuffer_.empty()) {
            for (std::string_view marker : kNmeaMarkers) {
                if (!Contains(rxBuffer_, marker)) continue;
                GoNmea();  // the lines of this chunk wait for the next tick
                break;
            }
        }
        EnableSecondTimer();
    }

    if (counters_.DataSinceIdle && shared_.DetectionActive &&
        DetectionWindowPassed(kDetectionStepAfterMs) && controller_ != nullptr) {
        controller_->OnDetectionStepDue();
    }
}

void ReceiveDispatcher::RateSearchTick() {
    chunk_.clear();
    if (ring_.Empty()) {
        if (++counters_.IdleTicks == kIdleTicksForSecondTimer) EnableSecondTimer();
    } else {
        ring_.RxTakeAll(chunk_);
        counters_.RxBytesThisSecond += static_cast<uint32_t>(chunk_.size());
        // The watchdog and the data lamp see the line's activity as on any other tick.
        counters_.RxBufferLength = chunk_.size();
        counters_.IdleTicks = 0;
        if (!dataLampTimer_->IsActive()) {
            DataLamp(true);
            dataLampTimer_->SetEnabled(true);
        }
        EnableSecondTimer();
    }
    controller_->OnRateSearchTick(chunk_);
}

void ReceiveDispatcher::OnDataLampTick() {
    if (++dataLampTicks_ < 2) return;
    dataLampTicks_ = 0;
    DataLamp(false);
    dataLampTimer_->SetEnabled(false);
}

void ReceiveDispatcher::OnSecondTick() {
    if (controller_ != nullptr) {
        controller_->OnSecondTick();
    } else {
        LinkSupervisionSecond();
    }
}

void ReceiveDispatcher::PauseProcessing() {
    pausedDuringPass_ = true;
    dataLampTimer_->SetEnabled(false);
    dataLampTicks_ = 0;
    secondTimer_->SetEnabled(false);
    processingTimer_->SetEnabled(false);
    Notify(linkListeners_, &LinkListener::OnProcessingPaused);
}

void ReceiveDispatcher::ResumeProcessing() {
    dataLampTicks_ = 0;
    dataLampTimer_->SetEnabled(true);
    secondTimer_->SetEnabled(true);
    processingTimer_->SetEnabled(true);
}

// --- the processing pass ---

void ReceiveDispatcher::ProcessReceiveBuffer() {
    if (inPass_) return;  // a consumer asked for a pass from inside one
    inPass_ = true;
    hdPackets_.clear();
    hdFrames_.clear();
    std::size_t consumed = 0;
    std::string error;
    try {
        RunPass(consumed);
    } catch (const std::exception& e) {
        // A failing consumer ends the pass. The line it failed on counts as processed, so the
        // next pass does not trip over it again; the lines after it stay for the next tick.
        ++counters_.ConsumerErrors;
        error = e.what();
    } catch (...) {
        ++counters_.ConsumerErrors;
        error = "unknown exception";
    }
    inPass_ = false;
    if (consumed > 0) rxBuffer_.erase(0, consumed);
    for (const auto& [op, n] : pendingOps_) ApplyBufferOp(op, n);
    pendingOps_.clear();
    if (!error.empty()) Notify(linkListeners_, &LinkListener::OnConsumerError, error);
}

void ReceiveDispatcher::RunPass(std::size_t& consumed) {
    const ReceiverFamily family = shared_.Family;
    if (family == ReceiverFamily::ublox) ScanUbxMonitor();
    if (shared_.IdentificationPending && !shared_.ReceiverIdentified) {
        Notify(streamListeners_, &StreamListener::OnReceiveBuffer, std::string_view(rxBuffer_));
    }
    if (!pendingOps_.empty()) return;
    if (family == ReceiverFamily::Unknown || family == ReceiverFamily::HED) CutHdFrames();
    if (shared_.ReceiverIdentified && SecondsNotPast(shared_.UbxReplyDeadline)) ExtractUbxFrames();
    if (!pendingOps_.empty()) return;

    // Lines are cut by index; the processed ones are removed once, when the pass ends.
    std::size_t start = 0;
    std::size_t end = FindCrLf(rxBuffer_, start);
    while (end != kNotFound) {
        const std::string_view line =
            WithoutTrailingCr(std::string_view(rxBuffer_.data() + start, end - start));
        start = end + 2;
        consumed = start;
        ProcessLine(line);
        if (!pendingOps_.empty()) return;
        end = FindCrLf(rxBuffer_, start);
    }
    HandleHdFrames();
}

void ReceiveDispatcher::ScanUbxMonitor() {
    // Every complete frame with a good checksum goes to the monitor; the buffer is not changed.
    const std::string_view buffer = rxBuffer_;
    std::size_t from = 0;
    while (from + 1 < buffer.size()) {
        const void* hit = std::memchr(buffer.data() + from, kUbxSync1, buffer.size() - from - 1);
        if (hit == nullptr) return;
        const std::size_t at =
            static_cast<std::size_t>(static_cast<const char*>(hit) - buffer.data());
        if (static_cast<uint8_t>(buffer[at + 1]) != kUbxSync2) {
            from = at + 1;
            continue;
        }
        const std::string_view rest = buffer.substr(at);
        if (rest.size() < 8) return;
        const std::size_t frameSize = FramePayloadLength(rest) + std::size_t{8};
        if (rest.size() < frameSize) return;
        const std::string_view frame = rest.substr(0, frameSize);
        if (FrameChecksumValid(frame)) {
            Notify(frameListeners_, &FrameListener::OnUbxFrameSeen, FrameClass(frame),
                   FrameId(frame), FramePayload(frame));
        }
        from = at + frameSize;
    }
}

void ReceiveDispatcher::CutHdFrames() {
    FrameCandidate candidate = FindHdFrame(rxBuffer_, 1);
    if (candidate.Frame.empty()) return;
    kept_.clear();
    std::size_t textFrom = 0;  // 0-based start of the text not yet kept
    while (!candidate.Frame.empty()) {
        const std::size_t at = candidate.Position - 1;
        kept_.append(rxBuffer_, textFrom, at - textFrom);
        hdFrames_.emplace_back(hdPackets_.size(), candidate.Frame.size());
        hdPackets_.append(candidate.Frame);
        textFrom = at + candidate.Frame.size();
        candidate = FindHdFrame(rxBuffer_, textFrom + 1);
    }
    kept_.append(rxBuffer_, textFrom, std::string::npos);
    rxBuffer_.swap(kept_);
}

void ReceiveDispatcher::ExtractUbxFrames() {
    FrameCandidate candidate = FindUbxFrame(rxBuffer_, 1);
    if (candidate.Frame.empty()) return;
    const std::size_t first = candidate.Position - 1;
    std::size_t last = first;
    while (!candidate.Frame.empty()) {
        last = candidate.Position - 1 + candidate.Frame.size();
        if (IsUbxFrame(candidate.Frame)) {
            Notify(frameListeners_, &FrameListener::OnUbxFrame, candidate.Frame);
        }
        if (!pendingOps_.empty()) break;  // the handled frames still leave the buffer
        candidate = FindUbxFrame(rxBuffer_, last + 1);
    }
    rxBuffer_.erase(first, last - first);
}

void ReceiveDispatcher::HandleHdFrames() {
    if (hdFrames_.empty() || !shared_.ReceiverIdentified ||
        !SecondsNotPast(shared_.HedReplyDeadline)) {
        return;
    }
    const std::string_view packets = hdPackets_;
    for (const auto& [offset, size] : hdFrames_) {
        const std::string_view frame = packets.substr(offset, size);
        if (IsHdFrame(frame)) Notify(frameListeners_, &FrameListener::OnHdFrame, frame);
    }
}

void ReceiveDispatcher::ProcessLine(std::string_view line) {
    if (AnyUnwrapsPrcrLines() && Contains(line, "$PRCR")) {
        lineScratch_.assign("$");
        lineScratch_.append(ExtractField(3, line, kDollar));
        line = lineScratch_;
    }
    // Every line as received (binary bytes included, which the identification may look for);
    // the consumers and the decoder get the sentence without a binary frame before it.
    Notify(lineListeners_, &LineListener::OnLineReceived, line);
    line = SentenceAfterBinary(line);
    if (line.size() > kOverlongLine) ++counters_.OverlongLines;
    if (!PassesLineFilter(line, shared_.Family)) return;

    if (!shared_.MonitorPaused && chain_.HandleSentence(line)) {
        Notify(lineListeners_, &LineListener::OnLinePassedChain, line);
    }
    const SentenceKind kind = decoder_ != nullptr
                                  ? decoder_->DecodeSentence(line, counters_.PrevKind)
                                  : SentenceKind::None;
    Notify(lineListeners_, &LineListener::OnSentenceDecoded, kind, line);
    if (kind != SentenceKind::None) {
        HandleKnownKind(kind, line);
    } else {
        CheckAntennaStatus(line);
    }
}

void ReceiveDispatcher::HandleKnownKind(SentenceKind kind, std::string_view line) {
    const BlockEnds ends =
        decoder_ != nullptr ? decoder_->CloseEndedBlocks(kind, counters_.PrevKind) : BlockEnds{};
    if (ends.GsaBlockEnded) Notify(satelliteListeners_, &SatelliteListener::OnGsaBlockEnded);
    if (ends.SatellitesRebuilt) {
        Notify(satelliteListeners_, &SatelliteListener::OnSatellitesRebuilt);
        const uint32_t now = clock_.TickMs();
        if (!shared_.MonitorPaused && now - counters_.LastSatRefreshTick > kSatRefreshMinMs) {
            Notify(satelliteListeners_, &SatelliteListener::OnSatellitesRefresh);
            counters_.LastSatRefreshTick = now;
        }
    }
    counters_.PrevKind = kind;
    if (kind == SentenceKind::Gga) receiver_.ReceiverUtcTime = clock_.NowUtc();
    if (line == "$GPRMC,,*4B") receiver_.FixValid = false;
    counters_.KindsSeen[kind] = true;
    Notify(lineListeners_, &LineListener::OnSentenceHandled, kind);
    counters_.NewSentenceFlag = true;
}

void ReceiveDispatcher::CheckAntennaStatus(std::string_view line) {
    if (!shared_.AntennaStatusExpected) return;
    bool familyReports = false;
    for (ReceiverFamily f : kAntennaFamilies) familyReports = familyReports || f == shared_.Family;
    if (!familyReports) return;
    for (const auto& word : kAntennaWords) {
        if (!Contains(line, word.Text)) continue;
        shared_.Antenna = word.State;
        return;
    }
}

// --- once per second ---

void ReceiveDispatcher::LinkSupervisionSecond() {
    switch (state_) {
        case LinkState::Unknown:
            if (AnyExpectsSirfBinary()) {
                Recognised(LinkState::SirfBinary);
            } else if (DetectNmea()) {
                GoNmea();
                NmeaSecond(true);
            } else {
                if (Contains(rxBuffer_, kSirfBinaryStart)) Recognised(LinkState::SirfBinary);
                KeepRxBufferTail(kUnknownKeep);
            }
            break;
        case LinkState::SirfBinary:
            AnswerSirfQuestion();
            break;
        case LinkState::Nmea:
            NmeaSecond(false);
            break;
        case LinkState::Ascii:
            state_ = LinkState::Unknown;
            break;
        default:
            break;
    }
}

void ReceiveDispatcher::AnswerSirfQuestion() {
    PauseProcessing();
    if (prompts_.ConfirmYesNo(std::string(kSirfQuestion)) != PromptAnswer::Yes) {
        if (controller_ != nullptr) controller_->DisconnectLink();
        return;
    }
    ResumeProcessing();
    if (!SendToReceiver(shared_, port_, SirfSwitchToNmeaFrame())) return;
    sirfSwitch_.After(kSirfSwitchWaitMs, [this] {
        Notify(linkListeners_, &LinkListener::OnSwitchedToNmea);
        sirfSwitch_.After(kSirfSwitchWaitMs, [this] {
            ClearRxBuffer();
            if (controller_ != nullptr) controller_->StartSteppingDetection();
        });
    });
}

bool ReceiveDispatcher::DetectNmea() {
    if (state_ == LinkState::Unknown) KeepRxBufferTail(kDetectKeep);
    if (Contains(rxBuffer_, "@@Eq")) return true;
    std::size_t start = 0;
    bool sawLine = false;
    for (std::size_t end = FindCrLf(rxBuffer_, 0); end != kNotFound;
         end = FindCrLf(rxBuffer_, start)) {
        sawLine = true;
        const std::string_view line =
            WithoutTrailingCr(std::string_view(rxBuffer_).substr(start, end - start));
        if (IsValidSentence(SentenceAfterBinary(line))) {
            rxBuffer_.erase(0, start);
            return true;
        }
        start = end + 2;
    }
    if (sawLine) rxBuffer_.erase(0, start);
    return false;
}

}  // namespace gnss
