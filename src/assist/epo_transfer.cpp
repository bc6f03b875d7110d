#include "assist/epo_transfer.h"

#include <cstdio>
#include <fstream>
#include <utility>

#include "frames/mtk_sirf_frames.h"
#include "link/receiver_link.h"

namespace gnss {

namespace {

constexpr uint16_t kAckId = 2;
constexpr uint16_t kReturnToNmeaId = 253;
constexpr uint16_t kFinalSequence = 0xFFFF;

std::string LittleEndian16(uint16_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

bool WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace

EpoTransfer::EpoTransfer(Deps deps)
    : deps_(std::move(deps)),
      timer_(deps_.Timers.CreateTimer()),
      step_(std::make_unique<DelayedCall>(deps_.Timers)),
      confirm_(std::make_unique<DelayedCall>(deps_.Timers)) {
    timer_->SetIntervalMs(periodMs_);
    timer_->OnTimeout = [this] { Tick(); };
}

EpoTransfer::~EpoTransfer() {
    timer_->Stop();
}

std::string EpoTransfer::AckFrame(uint16_t sequence, bool accepted) {
    std::string payload = LittleEndian16(sequence);
    payload.push_back(accepted ? '\x01' : '\x00');
    return BuildMtkFrame(kAckId, payload);
}

std::string EpoTransfer::ReturnToNmeaFrame(uint32_t baud) {
    std::string payload(1, '\0');
    for (int shift = 0; shift < 32; shift += 8) {
        payload.push_back(static_cast<char>((baud >> shift) & 0xFF));
    }
    return BuildMtkFrame(kReturnToNmeaId, payload);
}

void EpoTransfer::SetReceivedFileFolders(std::filesystem::path current,
                                         std::filesystem::path fallback) {
    currentFolder_ = std::move(current);
    fallbackFolder_ = std::move(fallback);
}

bool EpoTransfer::Start(std::string packets, uint16_t packetLength) {
    if (running_ || !deps_.Pipeline.Shared.PortOpen || packetLength == 0 || packets.empty() ||
        packets.size() % packetLength != 0) {
        return false;
    }
    running_ = true;
    ending_ = false;
    confirm_->Cancel();
    state_ = EpoTransferState::Stop;
    packets_ = std::move(packets);
    packetLength_ = packetLength;
    packetIndex_ = 0;
    lastIndex_ = static_cast<uint32_t>(packets_.size() / packetLength_) - 1;
    receivedFile_.clear();
    anyAccepted_ = false;
    savedBaud_ = deps_.Port.BaudRate();

    deps_.Pipeline.Dispatcher.PauseProcessing();
    if (!SendToReceiver(deps_.Pipeline.Shared, deps_.Port, kSwitchToBinary)) {
        Abort("EPO Port error !");
        return true;
    }
    step_->After(kSwitchWaitMs, [this] {
        savedBaud_ = deps_.Port.BaudRate();
        deps_.Port.SetBaudRate(kBinaryBaud);
        step_->After(kSwitchWaitMs, [this] { BeginAfterSwitch(); });
    });
    return true;
}

void EpoTransfer::BeginAfterSwitch() {
    received_.clear();
    readOffset_ = 0;
    state_ = EpoTransferState::Stop;
    awaitingAck_ = false;
    ticksSinceStart_ = 0;
    ticksSinceSend_ = 0;
    deps_.Pipeline.Dispatcher.Ring().RxTakeAll(chunk_);  // what came before is not an answer
    timer_->SetIntervalMs(periodMs_);
    timer_->Start();
}

void EpoTransfer::Tick() {
    ++ticksSinceStart_;
    ++ticksSinceSend_;
    switch (state_) {
        case EpoTransferState::Stop:
            if (ticksSinceStart_ >= kStartTicks) {
                startTickMs_ = deps_.SystemClock.TickMs();
                state_ = EpoTransferState::Sending;
            }
            break;
        case EpoTransferState::Sending:
            SendNext();
            break;
        case EpoTransferState::AwaitingAck:
            AwaitAck();
            break;
        case EpoTransferState::Done:
            timer_->Stop();
            break;
    }
}

void EpoTransfer::SendNext() {
    timer_->Stop();
    if (packetIndex_ > lastIndex_) {
        Complete();
        return;
    }
    const std::string_view frame = std::string_view(packets_).substr(readOffset_, packetLength_);
    readOffset_ += packetLength_;
    const uint16_t sequence =
        packetIndex_ < lastIndex_ ? static_cast<uint16_t>(packetIndex_) : kFinalSequence;
    accepted_ = AckFrame(sequence, true);
    rejected_ = AckFrame(sequence, false);
    if (!SendToReceiver(deps_.Pipeline.Shared, deps_.Port, frame)) {
        Abort("EPO Port error !");
        return;
    }
    awaitingAck_ = true;
    ticksSinceSend_ = 0;
    periodMs_ = kPeriodMs;
    timer_->SetIntervalMs(periodMs_);
    timer_->Start();
    state_ = EpoTransferState::AwaitingAck;
}

void EpoTransfer::AwaitAck() {
    const LineErrorReport errors = ReadLineErrors(deps_.Port);
    if (errors.IoError) {
        Memo(errors.Text);
        received_.clear();
        Abort("EPO Port error !");
        return;
    }
    deps_.Pipeline.Dispatcher.Ring().RxTakeAll(chunk_);
    received_.append(chunk_);
    if (awaitingAck_ && received_.find(accepted_) != std::string::npos) {
        const double elapsed = (deps_.SystemClock.TickMs() - startTickMs_) / 1000.0;
        received_.clear();
        awaitingAck_ = false;
        anyAccepted_ = true;
        ++packetIndex_;
        state_ = EpoTransferState::Sending;
        if (listener_ != nullptr) listener_->OnEpoPacketAccepted(packetIndex_, lastIndex_, elapsed);
        // The next packet goes out on this tick: still one packet in flight and at most one
        // written per tick, without a tick lost between acknowledgement and packet.
        if (state_ == EpoTransferState::Sending && running_ && !ending_) SendNext();
        return;
    }
    if (awaitingAck_ && received_.find(rejected_) != std::string::npos) {
        Abort("EPO Terminate !");
        return;
    }
    if (ticksSinceSend_ > kAckTimeoutTicks) Abort("EPO Time out !");
}

void EpoTransfer::Complete() {
    ending_ = true;
    timer_->Stop();
    ReturnToNmea([this] {
        deps_.Pipeline.Dispatcher.ClearRxBuffer();
        running_ = false;
        ending_ = false;
        packets_.clear();
        state_ = EpoTransferState::Done;
        confirm_->After(kConfirmDelayMs, [this] {
            if (state_ != EpoTransferState::Done) return;
            state_ = EpoTransferState::Stop;
            if (listener_ != nullptr) listener_->OnEpoTransferConfirmed();
        });
        deps_.Pipeline.Dispatcher.ResumeProcessing();
        if (listener_ != nullptr) listener_->OnEpoTransferDone();
    });
}

void EpoTransfer::Cancel() {
    if (!running_ || ending_) return;
    Abort("EPO Cancelled !");
}

void EpoTransfer::Abort(const std::string& message) {
    if (ending_) return;
    ending_ = true;
    timer_->Stop();
    Memo("EPO upload ended: " + message);
    ReturnToNmea([this, message] {
        SaveReceived();
        step_->After(kRateWaitMs, [this, message] {
            running_ = false;
            ending_ = false;
            packets_.clear();
            deps_.Pipeline.Dispatcher.ResumeProcessing();
            if (deps_.Pipeline.Shared.PortOpen && deps_.Disconnect) deps_.Disconnect();
            char text[160];
            std::snprintf(text, sizeof text, "---- [%s] at EPO Pkt :%.3u", message.c_str(),
                          static_cast<unsigned>(packetIndex_));
            if (listener_ != nullptr) listener_->OnEpoTransferFailed(text);
        });
    });
}

void EpoTransfer::ReturnToNmea(std::function<void()> then) {
    if (!SendToReceiver(deps_.Pipeline.Shared, deps_.Port, ReturnToNmeaFrame(savedBaud_))) {
        Memo("The receiver could not be told to return to NMEA");
    } else if (!anyAccepted_ && deps_.Port.IsOpen()) {
        SayReturnAtRate(0, std::move(then));
        return;
    }
    step_->After(kReturnWaitMs, [this, then = std::move(then)]() mutable {
        if (deps_.Port.IsOpen()) deps_.Port.SetBaudRate(savedBaud_);
        step_->After(kRateWaitMs, std::move(then));
    });
}

void EpoTransfer::SayReturnAtRate(std::size_t index, std::function<void()> then) {
    step_->After(kRescueStepMs, [this, index, then = std::move(then)]() mutable {
        if (index >= kRescueRates.size() || !deps_.Port.IsOpen()) {
            if (deps_.Port.IsOpen()) deps_.Port.SetBaudRate(savedBaud_);
            step_->After(kReturnWaitMs, std::move(then));
            return;
        }
        deps_.Port.SetBaudRate(kRescueRates[index]);
        (void)deps_.Port.Write(ReturnToNmeaFrame(savedBaud_));
        SayReturnAtRate(index + 1, std::move(then));
    });
}

void EpoTransfer::SaveReceived() {
    receivedFile_.clear();
    std::error_code error;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
    for (const std::filesystem::path& folder : {currentFolder_, fallbackFolder_, temporary}) {
        if (folder.empty()) continue;
        const std::filesystem::path path = folder / kReceivedFileName;
        if (WriteFile(path, received_)) {
            receivedFile_ = path;
            Memo("Received bytes saved to " + path.string());
            break;
        }
    }
    if (receivedFile_.empty()) Memo("The received bytes could not be saved");
    received_.clear();
}

void EpoTransfer::OnConnectionChanging() {
    if (!running_ || ending_) return;
    // The port is going away under the upload: tell the receiver while it can still hear.
    timer_->Stop();
    step_->Cancel();
    if (deps_.Port.IsOpen()) {
        (void)deps_.Port.Write(ReturnToNmeaFrame(savedBaud_));
        deps_.Port.SetBaudRate(savedBaud_);
    }
    running_ = false;
    packets_.clear();
    char text[160];
    std::snprintf(text, sizeof text, "---- [EPO Port closed !] at EPO Pkt :%.3u",
                  static_cast<unsigned>(packetIndex_));
    if (listener_ != nullptr) listener_->OnEpoTransferFailed(text);
}

}  // namespace gnss
