#include "control/restart_acknowledgements.h"

#include <array>

namespace gnss {

namespace {

constexpr std::array<std::string_view, 3> kSirf = {"$PSRF150,1*3E", "$PSRFTXT,Version",
                                                   "$PMDR,OkToSend"};
constexpr std::array<std::string_view, 4> kSirf5 = {
    "$PSRF150,1*3E", "$PSRFTXT,Version", "$PMDR,OkToSend", "$GPGGA,,,,,,0,00,,,M,0.0,M,,0000*48"};
constexpr std::array<std::string_view, 1> kUblox = {"TXT,01,01,02,Resetting"};
constexpr std::array<std::string_view, 1> kUnav = {"$PUNV,START"};
constexpr std::array<std::string_view, 2> kMtk = {"$PMTK010,001*2E", "$PMTK867"};
constexpr std::array<std::string_view, 5> kSt = {"$PSTMVER", "VER,GPSAPP", "TXT,ST-", "VER,GNSSLIB",
                                                 "TXT,DEFAULT CONF"};
constexpr std::array<std::string_view, 1> kFuruno = {"SSION,ON*52"};
constexpr std::array<std::string_view, 3> kHd = {"$GNTXT,02,", "$GPTXT,02,", "$GPTXT,01,"};
constexpr std::array<std::string_view, 1> kRtkDf = {"$PMDR,RESTART,0"};
constexpr std::array<std::string_view, 1> kTdkRtk = {"$PMDR,QV2058,"};
constexpr std::array<std::string_view, 3> kTdkMtk = {"$PMTK010,001*2E", "$PMTK867", "$PINVMINR"};
constexpr std::array<std::string_view, 1> kMxt = {"$ACKOK,*61"};

}  // namespace

RestartAckMarkers RestartAckMarkersFor(const RestartTarget& target) {
    switch (target.Family) {
        case ReceiverFamily::SiRF:
        case ReceiverFamily::CMS:
        case ReceiverFamily::SiRF4:
            return {kSirf};
        case ReceiverFamily::SiRF5:
            return {kSirf5};
        case ReceiverFamily::ublox:
            return {kUblox};
        case ReceiverFamily::uNav:
            return {kUnav};
        case ReceiverFamily::MTK:
        case ReceiverFamily::CM2:
            return {kMtk, true};
        case ReceiverFamily::ST:
            return {kSt, true};
        case ReceiverFamily::Furuno:
            return {kFuruno, true};
        case ReceiverFamily::HED:
            return {kHd, true, true};
        case ReceiverFamily::RTK_DF:
            return {kRtkDf};
        case ReceiverFamily::TDK_DR:
            if (target.DrRtkVariant) return {kTdkRtk};
            if (target.DrBaseChip == ReceiverFamily::MTK) return {kTdkMtk};
            return {{}, false, true};
        case ReceiverFamily::MXT:
            return {kMxt, true};
        default:
            return {};
    }
}

std::string_view FindRestartAckMarker(const RestartAckMarkers& markers, std::string_view line) {
    for (std::string_view text : markers.Texts) {
        if (line.find(text) != std::string_view::npos) return text;
    }
    return {};
}

}  // namespace gnss
