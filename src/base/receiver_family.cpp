#include "base/receiver_family.h"

#include <array>

namespace gnss {

namespace {
constexpr std::array<std::string_view, kReceiverFamilyCount> kFamilyNames = {
    "unknow", "SiRF",  "ublox",     "uNav", "MTK",    "TMC",    "CMS",    "CM2",
    "SiRF4",  "SiRF5", "AH",        "BCM",  "ST",     "Uni",    "Furuno", "HED",
    "ATGM",   "RLT",   "SimpleTec", "TTT",  "RTK_DF", "TDK_DR", "MXT"};
}  // namespace

std::string_view FamilyDisplayName(ReceiverFamily family) {
    const auto index = static_cast<std::size_t>(family);
    return index < kFamilyNames.size() ? kFamilyNames[index] : kFamilyNames[0];
}

}  // namespace gnss
