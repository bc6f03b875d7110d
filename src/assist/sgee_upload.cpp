#include "assist/sgee_upload.h"

#include <cstdio>

#include "link/receiver_link.h"

namespace gnss {

namespace {

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

std::string SecondsText(uint32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%4.2f Sec", static_cast<double>(ms) / 1000.0);
    return text;
}

std::string WithIndex(const char* format, std::size_t index) {
    char text[96];
    std::snprintf(text, sizeof text, format, static_cast<int>(index));
    return text;
}

}  // namespace

SgeeUpload::SgeeUpload(const Deps& deps)
    : shared_(deps.Shared),
      receiver_(deps.Receiver),
      dispatcher_(deps.Dispatcher),
      port_(deps.Port),
      clock_(deps.SystemClock),
      prompts_(deps.Prompts),
      output_(deps.Output),
      identification_(deps.Identification),
      timer_(deps.Timers.CreateTimer()),
      step_(deps.Timers) {
    timer_->OnTimeout = [this] { Tick(); };
}

SgeeUpload::~SgeeUpload() = default;

void SgeeUpload::JoinSentenceChain(SentenceChain& chain) {
    chain.Register(ChainSlot::AssistReplies, [this](SentenceContext& ctx) {
        return HandleStatusReply(ctx.Line) ? ChainStep::EndTrue : ChainStep::Continue;
    });
}

bool SgeeUpload::HighSpeed() const {
    return shared_.Family == ReceiverFamily::SiRF4 &&
           Contains(identification_.FirmwareText, "_SDK");
}

void SgeeUpload::OpenWindow() {
    if (!view_.Visible) {
        view_ = SgeeWindowView{};
        view_.Visible = true;
    }
    QueryStatus();
}

void SgeeUpload::CloseWindow() {
    if (Running()) return;  // the window stays while the receiver is at another rate
    view_.Visible = false;
    Changed();
}

void SgeeUpload::QueryStatus() {
    status_.Expected = true;
    status_.ExpiresAt = receiver_.SecondsCounter + kStatusWaitSeconds;
    Write(kSgeeStatusQuery);
    status_.Result = 0;
    status_.ValidSeconds = -99;
    Changed();
}

bool SgeeUpload::HandleStatusReply(std::string_view line) {
    if (!status_.Expected) return false;
    const SgeeStatusReading reading = ReadSgeeStatus(line, shared_.Family);
    switch (reading.Kind) {
        case SgeeStatusKind::NotStatus:
            return false;
        case SgeeStatusKind::Valid:
            status_.ValidSeconds = reading.ValidSeconds;
            view_.UpdateEnabled = reading.Days < 6;
            status_.Result = 2;
            break;
        case SgeeStatusKind::Absent:
        case SgeeStatusKind::Unreadable:
            view_.UpdateEnabled = true;
            status_.Result = 2;
            break;
        case SgeeStatusKind::NotSupported:
            status_.Result = 1;
            break;
        case SgeeStatusKind::Rejected:
            status_.Result = 1;
            status_.ValidSeconds = -1;
            view_.UpdateEnabled = true;
            break;
    }
    status_.Expected = false;
    const std::string text = SgeeStatusText(reading);
    if (!text.empty()) view_.ValidityText = text;
    Changed();
    return true;
}

void SgeeUpload::OnLinkSecond() {
    if (status_.Expected && receiver_.SecondsCounter >= status_.ExpiresAt) {
        status_.Expected = false;
    }
}

void SgeeUpload::OnConnectionChanging() {
    status_.Expected = false;
    if (!Running()) return;
    // The connection takes over the timers: tell the receiver its old rate while the port is
    // still open, put the port back, and leave resuming to the connect or disconnect.
    step_.Cancel();
    timer_->Stop();
    Write(SirfNmeaRateSentence(savedRate_));
    port_.SetBaudRate(savedRate_);
    SetNmeaOutput(true);
    phase_ = Phase::Idle;
    outcome_ = SgeeOutcome::Failed;
    view_.ValidityText = WithIndex("Process fail [error:%d], Please try again !", nextIndex_);
    SetButtonsBusy(false);
}

void SgeeUpload::ShowDownloadProgress(uint64_t received, uint64_t total) {
    view_.GaugeVisible = true;
    view_.GaugeColour = std::string(kSgeeGaugeDownload);
    view_.GaugeMax = static_cast<uint32_t>(total > 0 ? total : kSgeeMinimumBytes);
    view_.GaugePosition =
        static_cast<uint32_t>(received < view_.GaugeMax ? received : view_.GaugeMax);
    Changed();
}

void SgeeUpload::SetButtonsBusy(bool busy) {
    view_.CloseEnabled = !busy;
    view_.CheckAgeEnabled = !busy;
    Changed();
}

bool SgeeUpload::UploadFile(std::string_view file) {
    if (Running()) return false;
    if (file.size() < kSgeeMinimumBytes) {
        SetButtonsBusy(false);
        prompts_.ShowError("The AGPS data is not available !");
        return false;
    }
    family_ = shared_.Family;
    sentences_ = BuildSgeeSentences(file, family_);
    outcome_ = SgeeOutcome::Running;
    SetButtonsBusy(true);

    view_.GaugeVisible = true;
    dispatcher_.PauseProcessing();
    savedRate_ = port_.BaudRate();
    const bool high = HighSpeed();
    const uint32_t rate = high ? kHighSpeedRate : kRaisedRate;
    timeoutLimit_ = high ? kTimeoutTicksHighSpeed : kTimeoutTicks;
    phase_ = Phase::RaisingRate;
    Write(SirfNmeaRateSentence(rate));
    step_.After(kSettleMs, [this, rate] {
        port_.SetBaudRate(rate);
        phase_ = Phase::Settling;
        step_.After(kSettleMs, [this] {
            received_.clear();
            tickCount_ = 0;
            nextIndex_ = 0;
            timeoutCount_ = 0;
            startTick_ = clock_.TickMs();
            phase_ = Phase::Sending;
            timer_->SetIntervalMs(kFirstPeriodMs);
            timer_->Start();
            Tick();
        });
    });
    Changed();
    return true;
}

void SgeeUpload::Abort() {
    if (phase_ == Phase::Idle || phase_ == Phase::Finishing) return;
    step_.Cancel();
    failed_ = true;
    finished_ = true;
    if (phase_ != Phase::Sending) {
        // The receiver may have taken the new rate already; the restore tells it the old one.
        phase_ = Phase::Sending;
    }
    Finish();
}

void SgeeUpload::Tick() {
    ++tickCount_;
    if (tickCount_ == 1) return;
    if (tickCount_ == 2) {
        FirstSendingTick();
        return;
    }
    if (finished_) {
        Finish();
        return;
    }
    SendingTick();
}

void SgeeUpload::FirstSendingTick() {
    SetNmeaOutput(false);
    startTick_ = clock_.TickMs();
    nextIndex_ = 0;
    finished_ = notSupported_ = failed_ = ioError_ = false;
    view_.GaugeColour = std::string(kSgeeGaugeUpload);
    view_.GaugeMax = static_cast<uint32_t>(sentences_.Sentences.size());
    view_.GaugePosition = 0;
    received_.clear();
    timer_->SetIntervalMs(kTickMs);
    timer_->Start();
    Changed();
}

void SgeeUpload::SendingTick() {
    if (nextIndex_ > 0) {
        const LineErrorReport errors = ReadLineErrors(port_);
        if (errors.IoError) {
            // The port failed: end the transfer as failed, and restore what can be restored.
            output_.AddDebugLine(errors.Text);
            received_.clear();
            ioError_ = failed_ = finished_ = true;
            Finish();
            return;
        }
        drained_.clear();
        dispatcher_.Ring().RxTakeAll(drained_);
        received_ += drained_;
        if (Contains(received_, expected_.Ack)) {
            timeoutCount_ = 0;
        } else if (Contains(received_, expected_.NAck)) {
            if (expected_.NAck == kSgeeStartRejected) {
                notSupported_ = true;
            } else {
                failed_ = true;
            }
            finished_ = true;
            timeoutCount_ = 0;
        } else {
            ++timeoutCount_;
        }
    }
    if (timeoutCount_ == 0 && !finished_) {
        if (nextIndex_ >= sentences_.Sentences.size()) {
            finished_ = true;
            view_.GaugePosition = view_.GaugeMax;
        } else {
            view_.GaugePosition = static_cast<uint32_t>(nextIndex_);
            received_.clear();
            elapsedMs_ = clock_.TickMs() - startTick_;
            view_.SecondsText = SecondsText(elapsedMs_);
            Write(sentences_.Sentences[nextIndex_]);
            expected_ = SgeeExpectedReplies(nextIndex_);
            ++nextIndex_;
        }
        Changed();
    }
    if (timeoutCount_ > timeoutLimit_) finished_ = true;
}

void SgeeUpload::Finish() {
    phase_ = Phase::Finishing;
    timer_->Stop();
    elapsedMs_ = clock_.TickMs() - startTick_;
    if (notSupported_) {
        view_.ValidityText = WithIndex("[Error:%d]. Can not support AGPS function !", nextIndex_);
        outcome_ = SgeeOutcome::NotSupported;
    } else if (failed_ || timeoutCount_ != 0) {
        view_.ValidityText = WithIndex("Process fail [error:%d], Please try again !", nextIndex_);
        outcome_ = SgeeOutcome::Failed;
    } else {
        view_.ValidityText = "Update Complete !";
        view_.SecondsText = SecondsText(elapsedMs_);
        outcome_ = SgeeOutcome::Complete;
    }
    Changed();

    // Back to the old rate: the receiver first, then the port.
    const bool told = Write(SirfNmeaRateSentence(savedRate_));
    if (!told) {
        output_.AddMonitorLine("  < The receiver could not be told its old rate ! >");
    }
    step_.After(kSettleMs, [this] {
        port_.SetBaudRate(savedRate_);
        step_.After(kSettleMs, [this] {
            dispatcher_.ClearRxBuffer();
            step_.After(kSettleMs, [this] { FinishRestored(); });
        });
    });
}

void SgeeUpload::FinishRestored() {
    SetNmeaOutput(true);
    dispatcher_.ResumeProcessing();
    phase_ = Phase::Idle;
    SetButtonsBusy(false);
    output_.AddMonitorLine("  < " + view_.ValidityText + " >");
    if (outcome_ == SgeeOutcome::Complete && shared_.PortOpen) {
        // Read back what the receiver now holds.
        QueryStatus();
    }
    Changed();
}

void SgeeUpload::SetNmeaOutput(bool on) {
    for (const std::string& sentence : SirfNmeaOutputSentences(on)) Write(sentence);
}

bool SgeeUpload::Write(std::string_view sentence) {
    std::string bytes(sentence);
    bytes += "\r\n";
    return SendToReceiver(shared_, port_, bytes);
}

void SgeeUpload::Changed() {
    if (changed_) changed_();
}

}  // namespace gnss
