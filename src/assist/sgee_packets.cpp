#include "assist/sgee_packets.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "nmea/nmea_checksum.h"
#include "nmea/text_fields.h"

namespace gnss {

namespace {

// The sentence layouts of the two dialects.
struct SgeeDialect {
    std::string_view Start;        // complete start sentence without checksum
    std::string_view SizePrefix;   // followed by the size in lower-case hex
    std::string_view SizeSuffix;   // after the size
    std::string_view BlockPrefix;  // followed by block number and length
    std::string_view BlockSuffix;  // after the data bytes
    bool LowerCaseBytes;
};

constexpr SgeeDialect kStandardDialect{
    "$PSRF114,16,0", "$PSRF114,17,", "", "$PSRF114,18,", "", false};
constexpr SgeeDialect kSirf5Dialect{
    "$PSRF114,49,0,0,0", "$PSRF114,4a,0,", ",0", "$PSRF114,4b,0,", ",0", true};

constexpr std::array<SgeeReplyTexts, 3> kReplyTable{{
    {"$PSRF156,20,72,16,0", "$PSRF156,20,72,16,1"},  // start
    {"$PSRF156,20,72,17,0", "$PSRF156,20,72,17,1"},  // size
    {"$PSRF156,20,72,18,0", "$PSRF156,20,72,18,1"},  // every data block
}};

// How each family reports its SGEE status: the reply's prefix, the fields (1-based, the
// sentence name being field 1) of the data's start and end, and the replies that end the query
// without a validity.
struct StatusDialect {
    std::string_view ValidPrefix;
    int StartField;
    int EndField;
    std::string_view NotSupportedPrefix;  // empty when the family has none
    std::string_view RejectedPrefix;      // empty when the family has none
};
constexpr StatusDialect kStandardStatus{"$PSRF156,22", 3, 4, "", "$PSRF156,20,72,1a,1"};
constexpr StatusDialect kSirf5Status{"$PSRF156,52,", 4, 5, "$PSRF156,50,", ""};

constexpr std::string_view kAbsentStart = "7fffffff";

const SgeeDialect& DialectFor(ReceiverFamily family) {
    return family == ReceiverFamily::SiRF5 ? kSirf5Dialect : kStandardDialect;
}

std::string WithChecksum(std::string text) {
    text += NmeaChecksumSuffix(text);
    return text;
}

void AppendHex(std::string& out, unsigned value, bool lower) {
    char digits[12];
    const int n = std::snprintf(digits, sizeof digits, lower ? "%x" : "%X", value);
    out.append(digits, static_cast<std::size_t>(n));
}

bool ParseHex(std::string_view text, uint32_t& value) {
    if (text.empty() || text.size() > 8) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return ec == std::errc() && end == text.data() + text.size();
}

bool ContainsPart(std::string_view text, std::string_view part) {
    return !part.empty() && text.find(part) != std::string_view::npos;
}

}  // namespace

SgeeSentences BuildSgeeSentences(std::string_view file, ReceiverFamily family) {
    const SgeeDialect& dialect = DialectFor(family);
    SgeeSentences out;
    out.FileSize = static_cast<uint32_t>(file.size());
    out.FullBlocks = out.FileSize / kSgeeBlockBytes;
    out.LastBlockBytes = out.FileSize % kSgeeBlockBytes;
    out.Sentences.reserve(2 + out.FullBlocks + 1);
    out.Sentences.push_back(WithChecksum(std::string(dialect.Start)));

    std::string size(dialect.SizePrefix);
    AppendHex(size, out.FileSize, true);
    size += dialect.SizeSuffix;
    out.Sentences.push_back(WithChecksum(std::move(size)));

    const uint32_t blocks = out.FullBlocks + (out.LastBlockBytes > 0 ? 1 : 0);
    for (uint32_t block = 0; block < blocks; ++block) {
        const std::string_view bytes = file.substr(block * kSgeeBlockBytes, kSgeeBlockBytes);
        std::string sentence(dialect.BlockPrefix);
        sentence += std::to_string(block + 1);
        sentence += ',';
        sentence += std::to_string(bytes.size());
        for (char c : bytes) {
            sentence += ',';
            AppendHex(sentence, static_cast<unsigned char>(c), dialect.LowerCaseBytes);
        }
        sentence += dialect.BlockSuffix;
        out.Sentences.push_back(WithChecksum(std::move(sentence)));
    }
    return out;
}

SgeeReplyTexts SgeeExpectedReplies(std::size_t index) {
    return kReplyTable[index < kReplyTable.size() ? index : kReplyTable.size() - 1];
}

std::string SirfNmeaRateSentence(uint32_t baudRate) {
    return WithChecksum("$PSRF100,1," + std::to_string(baudRate) + ",8,1,0");
}

std::vector<std::string> SirfNmeaOutputSentences(bool on) {
    std::vector<std::string> out;
    for (int message = 0; message <= 5; ++message) {
        char text[40];
        std::snprintf(text, sizeof text, "$PSRF103,%.2d,00,%s,01", message, on ? "01" : "00");
        out.push_back(WithChecksum(text));
    }
    return out;
}

SgeeStatusReading ReadSgeeStatus(std::string_view line, ReceiverFamily family) {
    const StatusDialect& dialect = family == ReceiverFamily::SiRF5 ? kSirf5Status : kStandardStatus;
    SgeeStatusReading reading;
    if (ContainsPart(line, dialect.NotSupportedPrefix)) {
        reading.Kind = SgeeStatusKind::NotSupported;
        return reading;
    }
    if (ContainsPart(line, dialect.RejectedPrefix)) {
        reading.Kind = SgeeStatusKind::Rejected;
        return reading;
    }
    const std::size_t at = line.find(dialect.ValidPrefix);
    if (at == std::string_view::npos) return reading;
    const std::string_view reply = line.substr(at);
    const std::string_view start = ExtractField(dialect.StartField, reply, kCommaStar);
    const std::string_view end = ExtractField(dialect.EndField, reply, kCommaStar);
    if (start == kAbsentStart) {
        reading.Kind = SgeeStatusKind::Absent;
        return reading;
    }
    uint32_t startSeconds = 0;
    uint32_t endSeconds = 0;
    if (!ParseHex(start, startSeconds) || !ParseHex(end, endSeconds)) {
        reading.Kind = SgeeStatusKind::Unreadable;
        return reading;
    }
    reading.Kind = SgeeStatusKind::Valid;
    reading.ValidSeconds = static_cast<int64_t>(endSeconds) - static_cast<int64_t>(startSeconds);
    reading.Days = reading.ValidSeconds / 86400;
    reading.Hours = (reading.ValidSeconds % 86400) / 3600;
    return reading;
}

std::string SgeeStatusText(const SgeeStatusReading& reading) {
    switch (reading.Kind) {
        case SgeeStatusKind::Valid: {
            char text[80];
            std::snprintf(text, sizeof text, "AGPS data is valid for %d day(s) %d hour(s)",
                          static_cast<int>(reading.Days), static_cast<int>(reading.Hours));
            return text;
        }
        case SgeeStatusKind::Absent:
            return "Please Update AGPS data !";
        case SgeeStatusKind::NotSupported:
            return "The device not support AGPS function !!";
        case SgeeStatusKind::Rejected:
            return "Can not synchronize to the GPS time !";
        case SgeeStatusKind::NotStatus:
        case SgeeStatusKind::Unreadable:
            break;
    }
    return {};
}

}  // namespace gnss
