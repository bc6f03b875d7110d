#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/monitor_output.h"
#include "base/scheduler.h"
#include "control/receiver_identification.h"
#include "control/ubx_hd_reception.h"
#include "link/connection_listener.h"
#include "link/receive_listeners.h"
#include "link/receive_pipeline.h"
#include "link/receiver_port.h"

namespace gnss {

// The rates the receiver can be told to use.
inline constexpr std::array<std::string_view, 9> kReceiverRateItems = {
    "4800", "9600", "19200", "38400", "57600", "115200", "230400", "460800", "921600"};

// The "Go" button of the receiver's rate box: an HD receiver is asked for its port
// configuration, which goes back with the new rate; then the port reopens at that rate. When no
// NMEA arrives at the new rate within a few seconds the link searches for the receiver's rate,
// so a receiver that did not follow is never left talking at a rate nobody listens to.
class ReceiverBaudChange final : public ReceiverReplyListener,
                                 public ConnectionListener,
                                 public LinkListener {
  public:
    static constexpr uint32_t kReplyTimeoutMs = 3000;
    static constexpr uint32_t kReopenDelayMs = 30;
    static constexpr uint32_t kNmeaAtNewRateMs = 5000;

    struct Deps {
        ReceivePipeline& Pipeline;
        ReceiverPort& Port;
        Scheduler& Timers;
        MonitorOutput& Output;
        // Closes the port and opens it again at the rate; false when it did not open.
        std::function<bool(uint32_t rate)> ReopenAt;
        // The link cannot find NMEA at the new rate: search the receiver's rate.
        std::function<void()> SearchRate;
    };
    explicit ReceiverBaudChange(Deps deps);

    // The rate chosen in the box, kept in the settings.
    [[nodiscard]] const std::string& SelectedRate() const { return selected_; }
    void SelectRate(std::string_view rate);
    // "Go".
    void Apply();
    [[nodiscard]] bool ReplyPending() const { return pending_; }

    // ReceiverReplyListener: the 16-byte port configuration.
    void OnHdPortConfigReply(std::string_view frame) override;
    // ConnectionListener: a connect or disconnect drops what was pending.
    void OnConnectionChanging() override;
    // LinkListener: NMEA at the new rate.
    void OnLinkRecognised(LinkState state) override;

  private:
    void Memo(const std::string& text) { deps_.Output.AddDebugLine(text); }

    Deps deps_;
    std::string selected_ = "9600";
    uint32_t newRate_ = 0;
    bool pending_ = false;
    bool awaitingNmea_ = false;
    std::unique_ptr<DelayedCall> replyTimeout_;
    std::unique_ptr<DelayedCall> reopen_;
    std::unique_ptr<DelayedCall> nmeaCheck_;
};

}  // namespace gnss
