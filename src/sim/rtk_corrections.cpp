#include "sim/rtk_corrections.h"

namespace gnss::sim {

namespace {
constexpr std::size_t kMaxPending = kRtcm3HeaderSize + kRtcm3MaxPayload + kRtcm3CrcSize;
}

void RtkCorrectionInput::Take(std::string_view bytes, uint64_t nowMs) {
    pending_.append(bytes);
    std::size_t pos = 0;
    while (true) {
        const std::size_t start = pending_.find(static_cast<char>(kRtcm3Preamble), pos);
        if (start == std::string::npos) {
            pos = pending_.size();
            break;
        }
        pos = start;
        if (pending_.size() - start < kRtcm3HeaderSize) break;
        const auto b1 = static_cast<uint8_t>(pending_[start + 1]);
        const auto b2 = static_cast<uint8_t>(pending_[start + 2]);
        const std::size_t length = (static_cast<std::size_t>(b1 & 0x03) << 8) | b2;
        const std::size_t total = kRtcm3HeaderSize + length + kRtcm3CrcSize;
        if ((b1 & 0xFC) != 0) {
            ++pos;
            continue;
        }
        if (pending_.size() - start < total) break;
        const std::string_view frame(pending_.data() + start, total);
        const uint32_t crc = Crc24q(frame.substr(0, total - kRtcm3CrcSize));
        const auto byteAt = [&](std::size_t i) {
            return static_cast<uint32_t>(static_cast<uint8_t>(frame[i]));
        };
        if (((byteAt(total - 3) << 16) | (byteAt(total - 2) << 8) | byteAt(total - 1)) != crc) {
            ++pos;
            continue;
        }
        ++frames_;
        if (!flowing_ || nowMs - lastFrameMs_ > kCorrectionTimeoutMs) flowStartMs_ = nowMs;
        flowing_ = true;
        lastFrameMs_ = nowMs;
        if (RecordSink) RecordSink(frame);
        pos = start + total;
    }
    pending_.erase(0, pos);
    if (pending_.size() > kMaxPending) pending_.erase(0, pending_.size() - kMaxPending);
}

FixKind RtkCorrectionInput::KindAt(uint64_t nowMs) const {
    const bool flowing = flowing_ && nowMs - lastFrameMs_ <= kCorrectionTimeoutMs;
    if (flowing && nowMs - flowStartMs_ >= kTimeToFixMs) return FixKind::RtkFixed;
    return FixKind::RtkFloat;
}

}  // namespace gnss::sim
