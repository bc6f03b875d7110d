#include "base/virtual_time.h"

#include <algorithm>
#include <limits>

namespace gnss {

class VirtualTime::VirtualTimer final : public Timer {
  public:
    explicit VirtualTimer(VirtualTime& owner) : owner_(&owner) { owner_->timers_.push_back(this); }
    ~VirtualTimer() override {
        if (owner_ != nullptr) std::erase(owner_->timers_, this);
    }

    void SetIntervalMs(uint32_t intervalMs) override {
        intervalMs_ = intervalMs;
        if (active_) owner_->Arm(this);  // a running timer restarts with its new interval
    }
    [[nodiscard]] uint32_t IntervalMs() const override { return intervalMs_; }
    void SetSingleShot(bool singleShot) override { singleShot_ = singleShot; }
    void Start() override {
        active_ = true;
        owner_->Arm(this);
    }
    void Stop() override { active_ = false; }
    [[nodiscard]] bool IsActive() const override { return active_; }

    void Detach() { owner_ = nullptr; }

    VirtualTime* owner_;
    uint32_t intervalMs_ = 0;
    bool singleShot_ = false;
    bool active_ = false;
    uint64_t dueMs_ = 0;
    uint64_t sequence_ = 0;
};

VirtualTime::VirtualTime() : VirtualTime(Options{}) {}

VirtualTime::VirtualTime(const Options& options)
    : options_(options), biasMinutes_(options.TimeZoneBiasMinutes) {}

VirtualTime::~VirtualTime() {
    for (VirtualTimer* timer : timers_) timer->Detach();
}

uint32_t VirtualTime::TickMs() const {
    return static_cast<uint32_t>(options_.StartTickMs + elapsedMs_);
}

DateTime VirtualTime::NowUtc() const {
    return DateTime{options_.StartUtc.Days + static_cast<double>(elapsedMs_) / 86400000.0};
}

DateTime VirtualTime::NowLocal() const {
    return DateTime{NowUtc().Days - biasMinutes_ / 1440.0};
}

std::unique_ptr<Timer> VirtualTime::CreateTimer() {
    return std::make_unique<VirtualTimer>(*this);
}

void VirtualTime::Arm(VirtualTimer* timer) {
    // A zero interval would fire forever without time passing; it fires once per millisecond.
    timer->dueMs_ = elapsedMs_ + std::max<uint32_t>(timer->intervalMs_, 1);
    timer->sequence_ = ++armSequence_;
}

VirtualTime::VirtualTimer* VirtualTime::NextDue(uint64_t limit) const {
    VirtualTimer* best = nullptr;
    for (VirtualTimer* timer : timers_) {
        if (!timer->active_ || timer->dueMs_ > limit) continue;
        if (best == nullptr || timer->dueMs_ < best->dueMs_ ||
            (timer->dueMs_ == best->dueMs_ && timer->sequence_ < best->sequence_)) {
            best = timer;
        }
    }
    return best;
}

void VirtualTime::Advance(uint64_t ms) {
    const uint64_t target = elapsedMs_ + ms;
    while (VirtualTimer* timer = NextDue(target)) {
        elapsedMs_ = timer->dueMs_;
        if (timer->singleShot_) {
            timer->active_ = false;
        } else {
            timer->dueMs_ += std::max<uint32_t>(timer->intervalMs_, 1);
            timer->sequence_ = ++armSequence_;
        }
        if (timer->OnTimeout) timer->OnTimeout();  // may destroy or re-arm the timer
    }
    elapsedMs_ = target;
}

bool VirtualTime::RunNext() {
    VirtualTimer* timer = NextDue(std::numeric_limits<uint64_t>::max());
    if (timer == nullptr) return false;
    Advance(timer->dueMs_ - elapsedMs_);
    return true;
}

std::size_t VirtualTime::ActiveTimerCount() const {
    return static_cast<std::size_t>(
        std::count_if(timers_.begin(), timers_.end(), [](auto* t) { return t->active_; }));
}

}  // namespace gnss
