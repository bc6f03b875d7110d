#include "link/baud_rate_trial.h"

#include <array>

#include "frames/binary_frame.h"
#include "frames/mtk_sirf_frames.h"
#include "nmea/nmea_checksum.h"

namespace gnss {

namespace {

constexpr std::size_t kNotFound = std::string_view::npos;
// A sentence shorter than "$GPGGA,*hh" carries no address and fields.
constexpr std::size_t kShortestSentence = 10;
constexpr std::size_t kSirfOverhead = 8;  // A0 A2, length, checksum, B0 B3
constexpr std::size_t kSirfMaxPayload = 0x7FFF;
constexpr std::string_view kSirfSync{"\xA0\xA2", 2};
constexpr std::string_view kSirfEnd{"\xB0\xB3", 2};
constexpr std::string_view kMtkSync{"\x04\x24", 2};

// The byte pairs that begin a binary frame of a supported protocol.
constexpr std::array<std::string_view, 4> kBinarySyncs = {
    kSirfSync, std::string_view{"\xB5\x62", 2}, std::string_view{"\xF1\xD9", 2}, kMtkSync};

unsigned Byte(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]);
}

bool HasCheckedSentence(std::string_view bytes) {
    std::size_t start = 0;
    for (std::size_t end = bytes.find("\r\n"); end != kNotFound;
         start = end + 2, end = bytes.find("\r\n", start)) {
        const std::string_view line = bytes.substr(start, end - start);
        // Noise before the sentence on the same line (the tail of a cut-off line) is skipped.
        const std::size_t dollar = line.rfind('$');
        if (dollar == kNotFound) continue;
        const std::string_view sentence = line.substr(dollar);
        if (sentence.size() >= kShortestSentence && IsValidSentence(sentence)) return true;
    }
    return false;
}

bool HasSirfFrame(std::string_view bytes) {
    for (std::size_t at = bytes.find(kSirfSync); at != kNotFound;
         at = bytes.find(kSirfSync, at + 1)) {
        if (at + 4 > bytes.size()) return false;
        const std::size_t length = (Byte(bytes, at + 2) << 8) | Byte(bytes, at + 3);
        if (length == 0 || length > kSirfMaxPayload) continue;
        if (at + length + kSirfOverhead > bytes.size()) continue;
        const std::string_view payload = bytes.substr(at + 4, length);
        const std::size_t sumAt = at + 4 + length;
        const unsigned sum = (Byte(bytes, sumAt) << 8) | Byte(bytes, sumAt + 1);
        if (sum == SirfChecksum(payload) && bytes.substr(sumAt + 2, 2) == kSirfEnd) return true;
    }
    return false;
}

template <typename Find, typename Valid>
bool HasUbxLayoutFrame(std::string_view bytes, Find find, Valid valid) {
    for (FrameCandidate candidate = find(bytes, 1); candidate.Position != 0;
         candidate = find(bytes, candidate.Position + 1)) {
        if (!candidate.Frame.empty() && valid(candidate.Frame)) return true;
    }
    return false;
}

bool HasMtkFrame(std::string_view bytes) {
    for (std::size_t at = bytes.find(kMtkSync); at != kNotFound;
         at = bytes.find(kMtkSync, at + 1)) {
        const std::string_view rest = bytes.substr(at);
        const std::size_t length = MtkFrameLength(rest);
        if (length < kMtkFrameOverhead || length > rest.size()) continue;
        if (IsMtkFrame(rest.substr(0, length))) return true;
    }
    return false;
}

bool MayHoldProtocolData(std::string_view bytes) {
    if (bytes.find('$') != kNotFound) return true;
    for (std::string_view sync : kBinarySyncs) {
        if (bytes.find(sync) != kNotFound) return true;
    }
    return false;
}

}  // namespace

RateEvidence FindRateEvidence(std::string_view bytes) {
    if (HasCheckedSentence(bytes)) return RateEvidence::Nmea;
    if (HasSirfFrame(bytes)) return RateEvidence::SirfBinary;
    if (HasUbxLayoutFrame(bytes, FindUbxFrame, IsUbxFrame) ||
        HasUbxLayoutFrame(bytes, FindHdFrame, IsHdFrame) || HasMtkFrame(bytes)) {
        return RateEvidence::OtherBinary;
    }
    return RateEvidence::None;
}

void BaudRateTrial::Begin(uint32_t nowMs) {
    startMs_ = nowMs;
    received_.clear();
    receivedTotal_ = 0;
    evidence_ = RateEvidence::None;
    quietBeforeData_ = false;
    burstStartSeen_ = false;
    quietTicks_ = 0;
}

TrialVerdict BaudRateTrial::OnTick(uint32_t nowMs, std::string_view chunk) {
    if (nowMs - startMs_ <= kSettleMs) return TrialVerdict::Undecided;
    if (chunk.empty()) {
        if (receivedTotal_ == 0) quietBeforeData_ = true;
        ++quietTicks_;
        return Judge(nowMs);
    }
    if (receivedTotal_ == 0) burstStartSeen_ = quietBeforeData_;
    quietTicks_ = 0;
    received_.append(chunk);
    receivedTotal_ += chunk.size();
    evidence_ = FindRateEvidence(received_);
    if (evidence_ != RateEvidence::None) return TrialVerdict::Found;
    return Judge(nowMs);
}

TrialVerdict BaudRateTrial::Judge(uint32_t nowMs) {
    if (receivedTotal_ >= kNoEvidenceBytes) return TrialVerdict::Wrong;
    if (burstStartSeen_ && quietTicks_ >= kQuietTicksEndingBurst &&
        !MayHoldProtocolData(received_)) {
        return TrialVerdict::Wrong;
    }
    if (nowMs - startMs_ >= kSettleMs + kDwellMs) return TrialVerdict::Wrong;
    return TrialVerdict::Undecided;
}

}  // namespace gnss
