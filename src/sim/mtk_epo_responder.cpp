#include "sim/mtk_epo_responder.h"

#include <array>
#include <utility>

#include "frames/mtk_sirf_frames.h"
#include "sim/sim_bytes.h"

namespace gnss::sim {

namespace {

constexpr uint32_t kWrongRate = 57600;
constexpr uint16_t kAckId = 2;
constexpr uint16_t kReturnToNmeaId = 253;
constexpr uint16_t kFinalSequence = 0xFFFF;
constexpr int kHoursPerWeek = 168;
constexpr uint16_t kMaxFrame = 256;

// EPO packet ids and the size of their records.
constexpr std::array<std::pair<uint16_t, uint32_t>, 2> kEpoPacketIds = {{{722, 60}, {723, 72}}};
constexpr std::size_t kRecordsPerPacket = 3;
constexpr std::string_view kReturnAck{"\x04\x24\x0C\x00\x01\x00\xFD\x00\x03\xF3\x0D\x0A", 12};

uint32_t Hour(std::string_view record) {
    return static_cast<uint8_t>(record[0]) |
           (static_cast<uint32_t>(static_cast<uint8_t>(record[1])) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(record[2])) << 16);
}

uint16_t Le16(std::string_view bytes, std::size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) |
                                 (static_cast<uint8_t>(bytes[at + 1]) << 8));
}

}  // namespace

MtkEpoResponder::MtkEpoResponder(const FaultConfig& faults, Hooks hooks)
    : faults_(faults), hooks_(std::move(hooks)) {}

bool MtkEpoResponder::HandleText(std::string_view line) {
    if (line.rfind("$PMTK253,1,", 0) == 0) {
        uint32_t baud = 0;
        for (const char c : line.substr(11)) {
            if (c < '0' || c > '9' || baud > 10000000) break;
            baud = baud * 10 + static_cast<uint32_t>(c - '0');
        }
        if (baud == 0) return true;
        if (faults_.EpoWrongRate) baud = kWrongRate;
        binary_ = true;
        input_.clear();
        records_.clear();
        packetIndex_ = 0;
        nextSequence_ = 0;
        recordSize_ = 0;
        hooks_.Note("epo binary " + std::to_string(baud));
        hooks_.SwitchBaud(baud);
        return true;
    }
    if (line.rfind("$PMTK607", 0) == 0) {
        hooks_.Send(NmeaLine("$PMTK707," + std::to_string(held_.Sets) + "," +
                             std::to_string(held_.FirstWeek) + "," +
                             std::to_string(held_.FirstTow) + "," + std::to_string(held_.LastWeek) +
                             "," + std::to_string(held_.LastTow)));
        return true;
    }
    if (line.rfind("$PMTK869,0", 0) == 0) {
        hooks_.Send(NmeaLine(std::string("$PMTK869,2,") + (easyOn_ ? "1,3" : "0")));
        return true;
    }
    if (line.rfind("$PMTK869,1,", 0) == 0) {
        easyOn_ = line.substr(11, 1) == "1";
        hooks_.Send(NmeaLine("$PMTK001,869,3"));
        hooks_.Note(easyOn_ ? "easy on" : "easy off");
        return true;
    }
    return false;
}

void MtkEpoResponder::Input(std::string_view bytes) {
    if (vanished_) return;
    input_.append(bytes);
    while (binary_ && !vanished_) {
        const std::size_t start = input_.find("\x04\x24");
        if (start == std::string::npos) {
            input_.erase(0, input_.empty() ? 0 : input_.size() - 1);
            return;
        }
        input_.erase(0, start);
        if (input_.size() < 4) return;
        const uint16_t length = Le16(input_, 2);
        // Noise (a frame sent at another rate) must not hide the frames after it.
        if (length < kMtkFrameOverhead || length > kMaxFrame) {
            input_.erase(0, 2);
            continue;
        }
        if (input_.size() < length) return;
        if (input_[length - 2] != '\r' || input_[length - 1] != '\n') {
            input_.erase(0, 2);
            continue;
        }
        const std::string frame = input_.substr(0, length);
        input_.erase(0, length);
        HandleFrame(frame);
    }
}

void MtkEpoResponder::HandleFrame(std::string_view frame) {
    const uint16_t id = MtkFrameId(frame);
    const bool checksumOk = IsMtkFrame(frame);
    const std::string_view payload = MtkFramePayload(frame);
    if (id == kReturnToNmeaId && checksumOk && payload.size() == 5) {
        const uint32_t baud = static_cast<uint32_t>(Le16(payload, 1)) |
                              (static_cast<uint32_t>(Le16(payload, 3)) << 16);
        hooks_.Send(kReturnAck);
        binary_ = false;
        input_.clear();
        hooks_.Note("epo nmea " + std::to_string(baud));
        hooks_.SwitchBaud(baud);
        return;
    }
    for (const auto& [packetId, recordSize] : kEpoPacketIds) {
        if (id == packetId) {
            if (recordSize_ == 0) recordSize_ = recordSize;
            HandleEpoPacket(payload,
                            checksumOk && recordSize == recordSize_ &&
                                payload.size() == 2 + kRecordsPerPacket * recordSize,
                            frame.size());
            return;
        }
    }
}

void MtkEpoResponder::HandleEpoPacket(std::string_view payload, bool checksumOk,
                                      std::size_t frameBytes) {
    const int index = packetIndex_++;
    if (faults_.EpoVanishAt >= 0 && index >= faults_.EpoVanishAt) {
        vanished_ = true;
        hooks_.Note("epo vanish at " + std::to_string(index));
        hooks_.Vanish();
        return;
    }
    if (payload.size() < 2) return;
    const uint16_t sequence = Le16(payload, 0);
    if (faults_.EpoSilentFrom >= 0 && index >= faults_.EpoSilentFrom) return;
    const bool inOrder = sequence == kFinalSequence || sequence == nextSequence_;
    const bool accept = checksumOk && inOrder && index != faults_.EpoRejectPacket;
    Acknowledge(sequence, accept, frameBytes);
    if (!accept) return;
    ++accepted_;
    if (sequence == kFinalSequence) {
        Finish();
        return;
    }
    ++nextSequence_;
    records_.append(payload.substr(2));
}

void MtkEpoResponder::Acknowledge(uint16_t sequence, bool accepted, std::size_t frameBytes) {
    std::string payload{static_cast<char>(sequence & 0xFF), static_cast<char>(sequence >> 8),
                        static_cast<char>(accepted ? 1 : 0)};
    std::string ack = BuildMtkFrame(kAckId, payload);
    // 10 bits per byte on the line: the answer goes out once the packet's last byte has arrived
    // and is read completely when its own last byte has.
    const uint32_t baud = hooks_.Baud ? hooks_.Baud() : 0;
    const std::size_t bits = (frameBytes + ack.size()) * 10;
    const auto wireMs = baud == 0 ? 0u : static_cast<uint32_t>((bits * 1000 + baud - 1) / baud);
    if (wireMs == 0 || !hooks_.After || !hooks_.SendNow) {
        hooks_.Send(ack);
        return;
    }
    hooks_.After(wireMs, [this, ack = std::move(ack)] {
        if (!vanished_) hooks_.SendNow(ack);
    });
}

void MtkEpoResponder::Finish() {
    // The sets the upload carried: runs of records with the same hour; padding is all zero.
    Data data;
    uint32_t firstHour = 0;
    uint32_t lastHour = 0;
    bool any = false;
    for (std::size_t at = 0; recordSize_ != 0 && at + recordSize_ <= records_.size();
         at += recordSize_) {
        const std::string_view record = std::string_view(records_).substr(at, recordSize_);
        if (record.find_first_not_of('\0') == std::string_view::npos) continue;
        const uint32_t hour = Hour(record);
        if (!any || hour != lastHour) ++data.Sets;
        if (!any) firstHour = hour;
        lastHour = hour;
        any = true;
    }
    if (any) {
        data.FirstWeek = static_cast<int>(firstHour / kHoursPerWeek);
        data.FirstTow = static_cast<int>(firstHour % kHoursPerWeek) * 3600;
        data.LastWeek = static_cast<int>(lastHour / kHoursPerWeek);
        data.LastTow = static_cast<int>(lastHour % kHoursPerWeek) * 3600;
    }
    held_ = data;
    hooks_.Note("epo stored " + std::to_string(data.Sets) + " sets");
    records_.clear();
}

}  // namespace gnss::sim
