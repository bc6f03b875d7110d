#include "sim/sim_assist_data.h"

#include <array>
#include <charconv>

#include "nmea/nmea_checksum.h"
#include "sim/sim_bytes.h"

namespace gnss::sim {

namespace {

// The SGEE sentence identifiers of both dialects, by step: start, size, data block, status.
enum Step { kStart = 0, kSize = 1, kData = 2, kStatus = 3 };
struct SgeeId {
    std::string_view Standard;
    std::string_view Sirf5;
    std::string_view AckId;  // the identifier the acknowledgement names
};
constexpr std::array<SgeeId, 4> kSgeeIds{{
    {"16", "49", "16"},
    {"17", "4a", "17"},
    {"18", "4b", "18"},
    {"1a", "1a", "1a"},
}};

// Stored data reaches from this GPS second for a week.
constexpr uint32_t kStoredStart = 0x4E000000;
constexpr uint32_t kStoredSpan = 7 * 86400;

constexpr std::size_t kGnssPayload = 65;
constexpr std::size_t kBeidouPayload = 92;

std::vector<std::string_view> Split(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const auto comma = text.find(',', start);
        fields.push_back(text.substr(start, comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return fields;
}

bool ToNumber(std::string_view text, uint32_t& value, int base) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::string Hex(uint32_t value) {
    char text[12];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, 16);
    return {text, end};
}

std::string Line(std::string_view sentence) {
    return NmeaLine(sentence);
}

}  // namespace

AssistReaction SimAssistData::OnSirfSentence(std::string_view sentence) {
    constexpr std::string_view kPrefix = "$PSRF114,";
    if (sentence.rfind(kPrefix, 0) != 0 || !NmeaChecksumValid(sentence)) return {};
    const std::string_view body =
        sentence.substr(kPrefix.size(), sentence.rfind('*') - kPrefix.size());
    const auto comma = body.find(',');
    const std::string_view id = body.substr(0, comma);
    const std::string_view rest = comma == std::string_view::npos ? "" : body.substr(comma + 1);
    const bool sirf5 = family_ == ReceiverFamily::SiRF5;
    for (int step = 0; step < static_cast<int>(kSgeeIds.size()); ++step) {
        const SgeeId& ids = kSgeeIds[static_cast<std::size_t>(step)];
        if (id == (sirf5 ? ids.Sirf5 : ids.Standard)) {
            return step == kStatus ? SgeeStatus() : SgeeStep(step, rest);
        }
    }
    return {};
}

AssistReaction SimAssistData::SgeeStatus() const {
    AssistReaction reaction;
    reaction.Handled = true;
    const std::string start = sgeeStored_ ? Hex(kStoredStart) : "7fffffff";
    const std::string end = sgeeStored_ ? Hex(kStoredStart + kStoredSpan) : "7fffffff";
    if (family_ == ReceiverFamily::SiRF5) {
        reaction.Replies.push_back(Line("$PSRF156,52,0," + start + "," + end));
    } else {
        reaction.Replies.push_back(Line("$PSRF156,22," + start + "," + end));
    }
    return reaction;
}

AssistReaction SimAssistData::SgeeStep(int step, std::string_view rest) {
    AssistReaction reaction;
    reaction.Handled = true;
    if (step == kStart) {
        sgeeSentence_ = 0;
        sgeeData_.clear();
        sgeeSize_ = 0;
        sgeeNextBlock_ = 1;
        sgeeStored_ = false;
    }
    const int number = sgeeSentence_++;
    if (number == faults_.SgeeVanishAt) {
        reaction.Vanish = true;
        return reaction;
    }
    std::vector<std::string_view> fields = Split(rest);
    // The SiRF V sentences carry a 0 before the values and after the data.
    if (family_ == ReceiverFamily::SiRF5 && step != kStart && fields.size() >= 2) {
        fields.erase(fields.begin());
        fields.pop_back();
    }
    bool ok = true;
    if (step == kSize) {
        ok = fields.size() == 1 && ToNumber(fields[0], sgeeSize_, 16);
    } else if (step == kData) {
        uint32_t block = 0;
        uint32_t length = 0;
        ok = fields.size() >= 2 && ToNumber(fields[0], block, 10) &&
             ToNumber(fields[1], length, 10) && block == sgeeNextBlock_ &&
             fields.size() == 2 + length && sgeeData_.size() + length <= sgeeSize_;
        for (std::size_t i = 2; ok && i < fields.size(); ++i) {
            uint32_t byte = 0;
            ok = ToNumber(fields[i], byte, 16) && byte <= 0xFF;
            if (ok) sgeeData_.push_back(static_cast<char>(byte));
        }
        if (ok) {
            ++sgeeNextBlock_;
            if (sgeeData_.size() == sgeeSize_) sgeeStored_ = true;
        }
    }
    if (number == faults_.SgeeNackAt) ok = false;
    if (faults_.SgeeSilentFrom >= 0 && number >= faults_.SgeeSilentFrom) return reaction;
    const std::string_view ackId = kSgeeIds[static_cast<std::size_t>(step)].AckId;
    reaction.Replies.push_back(Line("$PSRF156,20,72," + std::string(ackId) + (ok ? ",0" : ",1")));
    return reaction;
}

AssistReaction SimAssistData::OnHdFrame(std::string_view frame) {
    AssistReaction reaction;
    if (frame.size() < 8) return reaction;
    const auto cls = static_cast<uint8_t>(frame[2]);
    const auto id = static_cast<uint8_t>(frame[3]);
    if (cls != 0x0B) return reaction;
    const std::string_view payload = frame.substr(6, frame.size() - 8);
    reaction.Handled = true;
    switch (id) {
        case 0x32:
        case 0x33: {
            const std::size_t per = id == 0x32 ? kGnssPayload : kBeidouPayload;
            const bool whole = !payload.empty() && payload.size() % per == 0;
            if (whole) (id == 0x32 ? hdGnssFrames_ : hdBeidouFrames_) += payload.size() / per;
            const int number = hdMessages_++;
            const uint8_t ackedId = number == faults_.HdWrongAckAt
                                        ? static_cast<uint8_t>(id == 0x32 ? 0x33 : 0x32)
                                        : id;
            reaction.Replies.push_back(SimAck(FrameProtocol::Hd, cls, ackedId, whole));
            break;
        }
        case 0x02:
        case 0x10:
        case 0x11:
            // The receiver reports the aiding it took in the same layout.
            ++aidingMessages_;
            reaction.Replies.push_back(std::string(frame));
            break;
        default:
            reaction.Handled = false;
            break;
    }
    return reaction;
}

}  // namespace gnss::sim
