#include "base/scheduler.h"

#include <utility>

namespace gnss {

DelayedCall::DelayedCall(Scheduler& scheduler) : timer_(scheduler.CreateTimer()) {
    timer_->SetSingleShot(true);
    timer_->OnTimeout = [this] {
        auto step = std::move(step_);
        step_ = nullptr;
        if (step) step();
    };
}

void DelayedCall::After(uint32_t ms, std::function<void()> step) {
    step_ = std::move(step);
    timer_->Stop();
    timer_->SetIntervalMs(ms);
    timer_->Start();
}

void DelayedCall::Cancel() {
    timer_->Stop();
    step_ = nullptr;
}

bool DelayedCall::Pending() const {
    return timer_->IsActive();
}

}  // namespace gnss
