#include "control/receiver_baud_change.h"

#include <algorithm>
#include <charconv>

#include "control/ubx_hd_messages.h"
#include "frames/binary_frame.h"

namespace gnss {

namespace {

constexpr std::size_t kPortConfigPayload = 8;
constexpr std::size_t kRateOffset = 4;

uint32_t ParseRate(std::string_view text) {
    uint32_t rate = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), rate);
    return error == std::errc{} && end == text.data() + text.size() ? rate : 0;
}

}  // namespace

ReceiverBaudChange::ReceiverBaudChange(Deps deps)
    : deps_(std::move(deps)),
      replyTimeout_(std::make_unique<DelayedCall>(deps_.Timers)),
      reopen_(std::make_unique<DelayedCall>(deps_.Timers)),
      nmeaCheck_(std::make_unique<DelayedCall>(deps_.Timers)) {}

void ReceiverBaudChange::SelectRate(std::string_view rate) {
    if (std::ranges::find(kReceiverRateItems, rate) != kReceiverRateItems.end()) selected_ = rate;
}

void ReceiverBaudChange::Apply() {
    const SharedState& shared = deps_.Pipeline.Shared;
    const uint32_t rate = ParseRate(selected_);
    if (!shared.PortOpen || rate == 0) return;
    if (rate == deps_.Port.BaudRate()) {
        Memo(" GPS baud Rate no Change !");
        return;
    }
    if (shared.Family != ReceiverFamily::HED) {
        Memo(
            "Baud rate change: this receiver is not told a new rate by the tool (HD receivers "
            "only); nothing was sent");
        return;
    }
    newRate_ = rate;
    pending_ = true;
    (void)SendHdCommand(deps_.Pipeline.Shared, deps_.Pipeline.Receiver, deps_.Port,
                        kHdPortConfigPoll);
    Memo("Baud rate change to " + selected_ + ": port configuration asked for");
    replyTimeout_->After(kReplyTimeoutMs, [this] {
        if (!pending_) return;
        pending_ = false;
        Memo(
            "Baud rate change: the receiver did not answer the port-configuration poll; the "
            "rate stays " +
            std::to_string(deps_.Port.BaudRate()));
    });
}

void ReceiverBaudChange::OnHdPortConfigReply(std::string_view frame) {
    if (!pending_) return;
    const std::string_view payload = FramePayload(frame);
    if (payload.size() != kPortConfigPayload) {
        pending_ = false;
        replyTimeout_->Cancel();
        Memo("Baud rate change: the port-configuration reply has " +
             std::to_string(payload.size()) + " bytes instead of 8; nothing was changed");
        return;
    }
    pending_ = false;
    replyTimeout_->Cancel();
    std::string config(payload);
    for (std::size_t i = 0; i < 4; ++i) {
        config[kRateOffset + i] = static_cast<char>((newRate_ >> (8 * i)) & 0xFF);
    }
    (void)SendHdCommand(deps_.Pipeline.Shared, deps_.Pipeline.Receiver, deps_.Port,
                        BuildHdFrame(0x06, 0x00, config));
    reopen_->After(kReopenDelayMs, [this] {
        if (!deps_.ReopenAt(newRate_)) return;
        awaitingNmea_ = true;
        nmeaCheck_->After(kNmeaAtNewRateMs, [this] {
            if (!awaitingNmea_ || !deps_.Pipeline.Shared.PortOpen) return;
            awaitingNmea_ = false;
            Memo("No NMEA at " + std::to_string(newRate_) +
                 " bit/s after the rate change: searching the receiver's rate");
            deps_.SearchRate();
        });
    });
}

void ReceiverBaudChange::OnLinkRecognised(LinkState state) {
    if (state == LinkState::Nmea && awaitingNmea_) {
        awaitingNmea_ = false;
        nmeaCheck_->Cancel();
        Memo("Baud rate change: NMEA at " + std::to_string(deps_.Port.BaudRate()) + " bit/s");
    }
}

void ReceiverBaudChange::OnConnectionChanging() {
    if (reopen_->Pending() || nmeaCheck_->Pending()) return;  // our own reopen
    pending_ = false;
    awaitingNmea_ = false;
    replyTimeout_->Cancel();
}

}  // namespace gnss
