#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gnss {

// The assistance-data servers the user has set. The program ships no addresses of its own: each
// file has an address slot, and a base address serves every slot left empty with the slot's file
// name appended.
enum class AssistServer : uint8_t {
    Base,
    EpoI7Days,    // EPO I, 7 days (53,760 bytes)
    EpoII7Days,   // EPO II, 7 days (64,512 bytes)
    EpoII14Days,  // EPO II, 14 days (129,024 bytes)
    Sgee,         // SiRF SGEE file (at least 6,144 bytes)
    HdGnss,       // HD GNSS ephemeris (frames of 73 bytes)
    HdBeidou,     // HD BeiDou local ephemeris (frames of 100 bytes)
};

struct AssistServerSlot {
    AssistServer Id;
    std::string_view Key;            // the settings key
    std::string_view Label;          // the settings dialog's label
    std::string_view FileUnderBase;  // appended to the base address; empty for the base itself
};

inline constexpr std::array<AssistServerSlot, 7> kAssistServerSlots = {{
    {AssistServer::Base, "Base", "Base address", ""},
    {AssistServer::EpoI7Days, "EpoI7Days", "EPO I, 7 days", "EPO_I_7D.DAT"},
    {AssistServer::EpoII7Days, "EpoII7Days", "EPO II, 7 days", "EPO_II_7D.DAT"},
    {AssistServer::EpoII14Days, "EpoII14Days", "EPO II, 14 days", "EPO_II_14D.DAT"},
    {AssistServer::Sgee, "Sgee", "SiRF SGEE", "sgee.bin"},
    {AssistServer::HdGnss, "HdGnss", "HD GNSS ephemeris", "HDAgps/file_gnss_aid_eph.hdb"},
    {AssistServer::HdBeidou, "HdBeidou", "HD BeiDou ephemeris", "HDAgps/file_local_bd_aid_eph.hdb"},
}};

// The settings section holding the enciphered addresses, one key per slot.
inline constexpr std::string_view kAssistServersSection = "AssistServers";

// Why an address cannot be used; nothing for an empty text (slot unset) or a usable address.
[[nodiscard]] std::optional<std::string> AddressProblem(std::string_view address);

class AssistServerAddresses {
  public:
    [[nodiscard]] const std::string& Address(AssistServer server) const;
    void SetAddress(AssistServer server, std::string_view address);
    // The address to fetch for a file: its own slot, else the base address joined with the
    // slot's file name; empty when neither is set.
    [[nodiscard]] std::string Resolve(AssistServer server) const;

    // Reading and writing the settings: `lookup` gives a stored value by key. Values that do not
    // decipher into a usable address are dropped.
    void Load(const std::function<std::optional<std::string>(std::string_view key)>& lookup);
    // Key and enciphered value of every slot (empty value for an unset slot); `seed` varies the
    // stored text.
    [[nodiscard]] std::vector<std::pair<std::string, std::string>> Stored(uint32_t seed) const;

  private:
    std::array<std::string, kAssistServerSlots.size()> addresses_;
};

}  // namespace gnss
