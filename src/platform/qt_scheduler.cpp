#include "platform/qt_scheduler.h"

#include <QTimer>
#include <climits>
#include <memory>

namespace gnss {

namespace {

class QtTimer final : public Timer {
  public:
    QtTimer() : timer_(new QTimer), alive_(std::make_shared<bool>(true)) {
        timer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer_, &QTimer::timeout, [this] { Fire(); });
    }

    ~QtTimer() override {
        *alive_ = false;
        timer_->stop();
        if (firing_) {
            // Destroyed from inside its own timeout handler: the QTimer is still emitting, so
            // it is released once control is back in the event loop.
            QObject::disconnect(timer_, nullptr, nullptr, nullptr);
            timer_->deleteLater();
        } else {
            delete timer_;
        }
    }

    QtTimer(const QtTimer&) = delete;
    QtTimer& operator=(const QtTimer&) = delete;

    void SetIntervalMs(uint32_t intervalMs) override {
        intervalMs_ = intervalMs;
        timer_->setInterval(static_cast<int>(std::min<uint32_t>(intervalMs, INT_MAX)));
    }
    [[nodiscard]] uint32_t IntervalMs() const override { return intervalMs_; }
    void SetSingleShot(bool singleShot) override { timer_->setSingleShot(singleShot); }
    void Start() override { timer_->start(); }
    void Stop() override { timer_->stop(); }
    [[nodiscard]] bool IsActive() const override { return timer_->isActive(); }

  private:
    void Fire() {
        if (!OnTimeout) return;
        // The handler may replace OnTimeout or destroy this timer; run a copy and check that
        // the timer still exists before touching it again.
        const auto alive = alive_;
        const auto handler = OnTimeout;
        firing_ = true;
        handler();
        if (*alive) firing_ = false;
    }

    QTimer* timer_;
    std::shared_ptr<bool> alive_;
    uint32_t intervalMs_ = 0;
    bool firing_ = false;
};

}  // namespace

std::unique_ptr<Timer> QtScheduler::CreateTimer() {
    return std::make_unique<QtTimer>();
}

}  // namespace gnss
