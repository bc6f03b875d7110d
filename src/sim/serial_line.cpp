#include "sim/serial_line.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace gnss::sim {

namespace {
constexpr uint32_t kTickMs = 10;
}

std::string UartResample(std::string_view bytes, uint32_t txBaud, uint32_t rxBaud) {
    if (txBaud == 0 || rxBaud == 0 || txBaud == rxBaud) return std::string(bytes);
    // The sender's line: start bit, 8 data bits LSB first, stop bit; idle (1) afterwards.
    std::vector<uint8_t> bits;
    bits.reserve(bytes.size() * 10 + 1);
    bits.push_back(1);
    for (char c : bytes) {
        const auto v = static_cast<uint8_t>(c);
        bits.push_back(0);
        for (int i = 0; i < 8; ++i) bits.push_back((v >> i) & 1);
        bits.push_back(1);
    }
    const double tx = 1.0 / txBaud;
    const double rx = 1.0 / rxBaud;
    auto level = [&](double t) -> int {
        if (t < 0) return 1;
        const auto i = static_cast<std::size_t>(t / tx);
        return i < bits.size() ? bits[i] : 1;
    };
    std::string out;
    std::size_t j = 1;  // candidate bit index for the next falling edge
    double after = 0.0;
    while (true) {
        // Next 1 -> 0 transition that begins after time `after`.
        while (j < bits.size() && !(bits[j] == 0 && bits[j - 1] == 1 && j * tx > after)) ++j;
        if (j >= bits.size()) break;
        const double start = static_cast<double>(j) * tx;
        ++j;
        if (level(start + 0.5 * rx) != 0) {  // a glitch, not a start bit
            after = start + 0.5 * rx;
            continue;
        }
        int value = 0;
        for (int i = 0; i < 8; ++i) value |= level(start + (1.5 + i) * rx) << i;
        out.push_back(static_cast<char>(value));
        after = start + 9.5 * rx;  // the stop-bit sample; a framing error still yields the byte
    }
    return out;
}

SerialLine::SerialLine(Scheduler& scheduler, uint64_t seed)
    : timer_(scheduler.CreateTimer()), rng_(seed ^ 0x5E1A11E5ull) {
    timer_->SetIntervalMs(kTickMs);
    timer_->OnTimeout = [this] { Tick(); };
}

uint32_t SerialLine::ToolBaud() const {
    const uint32_t baud = output_ != nullptr ? output_->ToolBaudRate() : 0;
    return baud == 0 ? receiverBaud_ : baud;
}

bool SerialLine::RatesMatch() const {
    return ToolBaud() == receiverBaud_;
}

void SerialLine::Send(std::string_view bytes, bool droppable) {
    if (droppable && pacing_ && queue_.size() > receiverBaud_ / 10) return;
    // Faults hit the bits on the wire; what the tool's UART makes of them depends on the rate it
    // runs at when they arrive, so the bytes are resampled as they leave the line.
    std::string data(bytes);
    if (faults_.BitErrorRate > 0.0 || faults_.DropRate > 0.0) {
        std::string kept;
        kept.reserve(data.size());
        for (char c : data) {
            if (faults_.DropRate > 0.0 && rng_.NextUnit() < faults_.DropRate) continue;
            if (faults_.BitErrorRate > 0.0) {
                for (int i = 0; i < 8; ++i)
                    if (rng_.NextUnit() < faults_.BitErrorRate) c = static_cast<char>(c ^ (1 << i));
            }
            kept.push_back(c);
        }
        data = std::move(kept);
    }
    if (!pacing_) {
        const std::string read = UartResample(data, receiverBaud_, ToolBaud());
        if (output_ != nullptr && !read.empty()) output_->Deliver(read);
        return;
    }
    if (data.empty()) return;
    queue_ += data;
    if (!queueRates_.empty() && queueRates_.back().Baud == receiverBaud_) {
        queueRates_.back().Size += data.size();
    } else {
        queueRates_.push_back({receiverBaud_, data.size()});
    }
    if (!timer_->IsActive()) {
        bitBudget_ = 0;
        timer_->Start();
    }
}

void SerialLine::SendNow(std::string_view bytes) {
    if (!queue_.empty() || faults_.BitErrorRate > 0.0 || faults_.DropRate > 0.0) {
        Send(bytes);
        return;
    }
    const std::string read = UartResample(bytes, receiverBaud_, ToolBaud());
    if (output_ != nullptr && !read.empty()) output_->Deliver(read);
}

std::string SerialLine::FromTool(std::string_view bytes) const {
    return UartResample(bytes, ToolBaud(), receiverBaud_);
}

void SerialLine::AfterDrain(Continuation step) {
    if (!pacing_ || queue_.empty()) {
        step();
        return;
    }
    afterDrain_.emplace_back(queue_.size(), std::move(step));
}

void SerialLine::Clear() {
    queue_.clear();
    queueRates_.clear();
    afterDrain_.clear();
    timer_->Stop();
}

void SerialLine::Tick() {
    bitBudget_ += static_cast<uint64_t>(receiverBaud_) * kTickMs / 1000;
    const std::size_t count = std::min<std::size_t>(queue_.size(), bitBudget_ / 10);
    bitBudget_ -= count * 10;
    Release(count);
    if (queue_.empty()) timer_->Stop();
}

void SerialLine::Release(std::size_t count) {
    if (count > 0) {
        // Each byte is read as sent: at the rate the receiver ran at when it queued the byte.
        std::string read;
        std::size_t from = 0;
        while (from < count && !queueRates_.empty()) {
            QueuedRun& run = queueRates_.front();
            const std::size_t take = std::min(run.Size, count - from);
            read += UartResample(std::string_view(queue_).substr(from, take), run.Baud, ToolBaud());
            from += take;
            run.Size -= take;
            if (run.Size == 0) queueRates_.pop_front();
        }
        queue_.erase(0, count);
        for (auto& [position, step] : afterDrain_) position -= std::min(position, count);
        if (output_ != nullptr && !read.empty()) output_->Deliver(read);
    }
    // Run the steps whose bytes have all left (they may queue more).
    std::vector<Continuation> due;
    for (auto it = afterDrain_.begin(); it != afterDrain_.end();) {
        if (it->first == 0) {
            due.push_back(std::move(it->second));
            it = afterDrain_.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& step : due) step();
}

}  // namespace gnss::sim
