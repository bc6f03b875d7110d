#include "control/forward_mode_escape.h"

namespace gnss {

ForwardModeEscape::ForwardModeEscape(ReceiverIdentification& identification, SharedState& shared,
                                     ReceiverPort& port, Scheduler& timers)
    : identification_(identification), shared_(shared), port_(port), timer_(timers.CreateTimer()) {
    timer_->SetIntervalMs(kIntervalMs);
    timer_->OnTimeout = [this] { Tick(); };
}

void ForwardModeEscape::Start() {
    if (!identification_.Result.ForwardMode || Running()) return;
    progress_ = kProgressText;
    sent_ = 0;
    timer_->Start();
}

void ForwardModeEscape::Tick() {
    (void)port_.Write("+");
    if (++sent_ < kPlusCount) return;
    timer_->Stop();
    progress_.clear();
    shared_.ReceiverIdentified = false;
    identification_.ArmIdentification();
}

void ForwardModeEscape::OnConnectionChanging() {
    timer_->Stop();
    progress_.clear();
}

}  // namespace gnss
