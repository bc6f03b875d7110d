#pragma once

#include <cstdint>
#include <string_view>

namespace gnss {

// The receiver's chip family, as identification decides it. The values are fixed: reports and
// stored texts use the display names below.
enum class ReceiverFamily : uint8_t {
    Unknown = 0,
    SiRF = 1,
    ublox = 2,
    uNav = 3,
    MTK = 4,
    TMC = 5,
    CMS = 6,
    CM2 = 7,
    SiRF4 = 8,
    SiRF5 = 9,
    AH = 10,
    BCM = 11,
    ST = 12,
    Uni = 13,
    Furuno = 14,
    HED = 15,
    ATGM = 16,
    RLT = 17,
    SimpleTec = 18,
    TTT = 19,
    RTK_DF = 20,
    TDK_DR = 21,
    MXT = 22,
};

inline constexpr int kReceiverFamilyCount = 23;

// "unknow", "SiRF", "ublox", ... "MXT"; "unknow" for a value outside the table.
[[nodiscard]] std::string_view FamilyDisplayName(ReceiverFamily family);

}  // namespace gnss
