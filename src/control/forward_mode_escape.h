#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/scheduler.h"
#include "control/receiver_identification.h"
#include "link/connection_listener.h"
#include "link/receiver_port.h"
#include "link/shared_state.h"

namespace gnss {

// The escape of the maker's MTK modules from their forward mode: five "+" characters 600 ms
// apart, after which identification starts again. Only while identification saw the forwarding
// firmware.
class ForwardModeEscape final : public ConnectionListener {
  public:
    static constexpr uint32_t kIntervalMs = 600;
    static constexpr int kPlusCount = 5;
    static constexpr std::string_view kProgressText = "Escape from forward mode";

    ForwardModeEscape(ReceiverIdentification& identification, SharedState& shared,
                      ReceiverPort& port, Scheduler& timers);

    // The double click; does nothing unless the receiver is in forward mode.
    void Start();
    [[nodiscard]] bool Running() const { return timer_->IsActive(); }
    // "Escape from forward mode" while it runs, empty otherwise.
    [[nodiscard]] const std::string& ProgressText() const { return progress_; }

    // ConnectionListener: a connect or disconnect stops it.
    void OnConnectionChanging() override;

  private:
    void Tick();

    ReceiverIdentification& identification_;
    SharedState& shared_;
    ReceiverPort& port_;
    std::unique_ptr<Timer> timer_;
    int sent_ = 0;
    std::string progress_;
};

}  // namespace gnss
