#include "sim/realtime_loop.h"

#include <algorithm>

namespace gnss::sim {

class RealtimeLoop::LoopTimer final : public Timer {
  public:
    explicit LoopTimer(RealtimeLoop& loop) : loop_(&loop) { loop_->timers_.push_back(this); }
    ~LoopTimer() override {
        if (loop_ != nullptr) std::erase(loop_->timers_, this);
    }
    void SetIntervalMs(uint32_t intervalMs) override {
        interval_ = intervalMs;
        if (active_) Arm();
    }
    [[nodiscard]] uint32_t IntervalMs() const override { return interval_; }
    void SetSingleShot(bool singleShot) override { singleShot_ = singleShot; }
    void Start() override {
        active_ = true;
        Arm();
    }
    void Stop() override { active_ = false; }
    [[nodiscard]] bool IsActive() const override { return active_; }
    void Arm() {
        due_ = loop_->NowMs() + interval_;
        sequence_ = ++loop_->sequence_;
    }

    RealtimeLoop* loop_;
    uint32_t interval_ = 0;
    bool singleShot_ = false;
    bool active_ = false;
    uint64_t due_ = 0;
    uint64_t sequence_ = 0;
};

RealtimeLoop::RealtimeLoop() : origin_(std::chrono::steady_clock::now()) {}

RealtimeLoop::~RealtimeLoop() {
    for (LoopTimer* t : timers_) t->loop_ = nullptr;
}

uint64_t RealtimeLoop::NowMs() const {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now() - origin_)
                                     .count());
}

uint32_t RealtimeLoop::TickMs() const {
    return static_cast<uint32_t>(NowMs());
}

DateTime RealtimeLoop::NowUtc() const {
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const double ms = static_cast<double>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count());
    return DateTime{25569.0 + ms / 86400000.0};  // 1970-01-01 is day 25569
}

DateTime RealtimeLoop::NowLocal() const {
    return NowUtc();
}

std::unique_ptr<Timer> RealtimeLoop::CreateTimer() {
    return std::make_unique<LoopTimer>(*this);
}

int RealtimeLoop::MsUntilNextDue(int cap) const {
    const uint64_t now = NowMs();
    int best = cap;
    for (const LoopTimer* t : timers_) {
        if (!t->active_) continue;
        const int wait =
            t->due_ <= now ? 0 : static_cast<int>(std::min<uint64_t>(t->due_ - now, 1u << 30));
        best = std::min(best, wait);
    }
    return best;
}

void RealtimeLoop::RunDue() {
    const uint64_t now = NowMs();
    // Fire in order; a handler may create, stop or destroy timers, so search again each time.
    for (int guard = 0; guard < 10000; ++guard) {
        LoopTimer* next = nullptr;
        for (LoopTimer* t : timers_) {
            if (!t->active_ || t->due_ > now) continue;
            if (next == nullptr || t->due_ < next->due_ ||
                (t->due_ == next->due_ && t->sequence_ < next->sequence_))
                next = t;
        }
        if (next == nullptr) return;
        if (next->singleShot_) {
            next->active_ = false;
        } else {
            next->due_ += std::max<uint32_t>(next->interval_, 1);
            if (next->due_ <= now) next->due_ = now + std::max<uint32_t>(next->interval_, 1);
            next->sequence_ = ++sequence_;
        }
        if (next->OnTimeout) next->OnTimeout();
    }
}

}  // namespace gnss::sim
