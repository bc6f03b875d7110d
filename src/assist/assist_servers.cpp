#include "assist/assist_servers.h"

#include <algorithm>

#include "assist/text_cipher.h"

namespace gnss {

namespace {

constexpr std::array<std::string_view, 2> kSchemes = {"http://", "https://"};
constexpr std::size_t kMaxAddressLength = 1024;

std::size_t SlotIndex(AssistServer server) {
    return static_cast<std::size_t>(server);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(a) == lower(b);
    });
}

}  // namespace

std::optional<std::string> AddressProblem(std::string_view address) {
    if (address.empty()) return std::nullopt;
    if (address.size() > kMaxAddressLength) return "The address is too long";
    const auto scheme = std::find_if(kSchemes.begin(), kSchemes.end(), [&](std::string_view s) {
        return StartsWithNoCase(address, s);
    });
    if (scheme == kSchemes.end()) return "The address must begin with http:// or https://";
    if (address.size() == scheme->size()) return "The address names no server";
    for (const char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) return "The address holds a blank or a control character";
    }
    return std::nullopt;
}

const std::string& AssistServerAddresses::Address(AssistServer server) const {
    return addresses_[SlotIndex(server)];
}

void AssistServerAddresses::SetAddress(AssistServer server, std::string_view address) {
    addresses_[SlotIndex(server)] = std::string(address);
}

std::string AssistServerAddresses::Resolve(AssistServer server) const {
    const std::string& own = Address(server);
    if (!own.empty()) return own;
    const std::string& base = Address(AssistServer::Base);
    const std::string_view file = kAssistServerSlots[SlotIndex(server)].FileUnderBase;
    if (base.empty() || file.empty()) return {};
    std::string url = base;
    if (url.back() != '/') url.push_back('/');
    url.append(file);
    return url;
}

void AssistServerAddresses::Load(
    const std::function<std::optional<std::string>(std::string_view key)>& lookup) {
    for (const AssistServerSlot& slot : kAssistServerSlots) {
        std::string& address = addresses_[SlotIndex(slot.Id)];
        address.clear();
        const std::optional<std::string> stored = lookup(slot.Key);
        if (!stored || stored->empty()) continue;
        std::string plain = DecipherText(*stored, kServerAddressKey);
        if (!AddressProblem(plain)) address = std::move(plain);
    }
}

std::vector<std::pair<std::string, std::string>> AssistServerAddresses::Stored(
    uint32_t seed) const {
    std::vector<std::pair<std::string, std::string>> values;
    for (const AssistServerSlot& slot : kAssistServerSlots) {
        const std::string& address = addresses_[SlotIndex(slot.Id)];
        seed = seed * 1103515245u + 12345u;
        values.emplace_back(std::string(slot.Key),
                            address.empty() ? std::string()
                                            : EncipherText(address, kServerAddressKey,
                                                           static_cast<uint8_t>(seed >> 16)));
    }
    return values;
}

}  // namespace gnss
