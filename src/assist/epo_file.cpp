#include "assist/epo_file.h"

#include <algorithm>
#include <limits>

#include "frames/mtk_sirf_frames.h"

namespace gnss {

namespace {

constexpr std::size_t kMinimumFileSize = 75;  // the hour fields of records 0 and 1 in both layouts
constexpr std::size_t kHourBytes = 3;
constexpr uint32_t kSetsPerDay = 4;

const EpoVariant& Variant(EpoType type) {
    return kEpoVariants[static_cast<std::size_t>(type)];
}

bool SameHour(std::string_view file, std::size_t otherRecord) {
    return file.substr(0, kHourBytes) == file.substr(otherRecord, kHourBytes);
}

EpoType TypeOf(std::string_view file) {
    if (file.size() < kMinimumFileSize) return EpoType::Unknown;
    if (SameHour(file, Variant(EpoType::EpoI).RecordSize)) return EpoType::EpoI;
    if (!SameHour(file, Variant(EpoType::EpoIIGps).RecordSize)) return EpoType::Unknown;
    for (const EpoType type : {EpoType::EpoIIGps, EpoType::EpoIIGpsGlonass}) {
        const EpoVariant& v = Variant(type);
        const std::size_t daySize = std::size_t{v.RecordSize} * v.RecordsPerSet * kSetsPerDay;
        if (file.size() % daySize == 0) return type;
    }
    return EpoType::Unknown;
}

}  // namespace

std::string_view EpoTypeName(EpoType type) {
    return Variant(type).Name;
}

EpoInfo RecogniseEpoFile(std::string_view file) {
    EpoInfo info;
    const EpoType type = TypeOf(file);
    if (type == EpoType::Unknown) return info;
    const EpoVariant& v = Variant(type);
    const std::size_t records = file.size() / v.RecordSize;
    const std::size_t packets =
        records / kEpoRecordsPerPacket + 1 + (records % kEpoRecordsPerPacket != 0 ? 1 : 0);
    const std::size_t days =
        file.size() / (std::size_t{v.RecordSize} * v.RecordsPerSet * kSetsPerDay);
    // Counters too small for the file would cut it short without a word: refuse it instead.
    if (packets > std::numeric_limits<uint16_t>::max() ||
        days > std::numeric_limits<uint8_t>::max() || file.size() > UINT32_MAX) {
        return info;
    }
    info.Type = type;
    info.FileSize = static_cast<uint32_t>(file.size());
    info.RecordSize = v.RecordSize;
    info.RecordsPerSet = v.RecordsPerSet;
    info.SetSize = v.RecordSize * v.RecordsPerSet;
    info.DaySize = info.SetSize * kSetsPerDay;
    info.DayCount = static_cast<uint8_t>(days);
    info.RecordCount = static_cast<uint16_t>(records);
    info.PacketCount = static_cast<uint16_t>(packets);
    info.PacketId = v.PacketId;
    info.PacketLength = v.PacketLength;
    return info;
}

std::string BuildEpoPackets(std::string_view file, const EpoInfo& info) {
    std::string stream;
    if (info.Type == EpoType::Unknown || info.FileSize == 0 || info.PacketCount == 0) return stream;
    const std::size_t block = kEpoRecordsPerPacket * info.RecordSize;
    stream.reserve(std::size_t{info.PacketCount} * info.PacketLength);
    std::string payload;
    const auto appendPacket = [&](uint16_t sequence, std::string_view records) {
        payload.assign(1, static_cast<char>(sequence & 0xFF));
        payload.push_back(static_cast<char>(sequence >> 8));
        payload.append(records);
        payload.resize(2 + block, '\0');
        stream.append(BuildMtkFrame(info.PacketId, payload));
    };
    const std::size_t dataPackets = info.PacketCount - 1u;
    for (std::size_t sequence = 0; sequence < dataPackets; ++sequence) {
        const std::size_t offset = sequence * block;
        const std::string_view records =
            offset < file.size() ? file.substr(offset, std::min(block, file.size() - offset))
                                 : std::string_view{};
        appendPacket(static_cast<uint16_t>(sequence), records);
    }
    appendPacket(kEpoFinalSequence, {});
    return stream;
}

double EpoValidDays(const EpoInfo& info) {
    return info.DayCount - 0.25;
}

}  // namespace gnss
