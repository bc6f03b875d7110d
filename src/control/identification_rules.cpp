#include "control/identification_rules.h"

#include <charconv>

#include "nmea/text_fields.h"

namespace gnss {

std::optional<std::string_view> TextUpToStar(std::string_view buffer, std::string_view pattern,
                                             std::size_t offset) {
    const std::size_t at = buffer.find(pattern);
    if (at == std::string_view::npos) return std::nullopt;
    const std::size_t star = buffer.find('*', at + pattern.size());
    if (star == std::string_view::npos) return std::nullopt;
    const std::size_t from = at + offset;
    if (from >= star) return std::string_view{};
    return buffer.substr(from, star - from);
}

std::string PrintableTrimmed(std::string_view bytes) {
    std::string text(bytes);
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    return std::string(Trim(text));
}

std::string_view WithoutChecksum(std::string_view text) {
    if (text.size() >= 3 && text[text.size() - 3] == '*') text.remove_suffix(3);
    return text;
}

std::optional<long> ParseInteger(std::string_view text) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

GnssSet HdModuleGnssSet(std::string_view moduleInfo) {
    static constexpr DelimiterSet kUnderscore{"_"};
    const std::string_view code = CopyFrom(ExtractField(2, moduleInfo, kUnderscore), 3);
    for (const auto& entry : kHdGnssCodes) {
        if (code == entry.Code) return entry.Set;
    }
    return GnssSet::Gps;
}

}  // namespace gnss
