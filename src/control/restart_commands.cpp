#include "control/restart_commands.h"

#include <array>

#include "control/ubx_hd_messages.h"
#include "frames/binary_frame.h"
#include "nmea/nmea_checksum.h"

namespace gnss {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kCannotExecute = "Can not execute the function !";

// The restart dialects: one row of the table below each.
enum class Dialect : uint8_t {
    None,
    Sirf,
    Sirf45,  // SiRF IV and V: a CR LF first, and no factory reset
    Ublox,
    Unav,
    Mtk,
    St,
    Furuno,
    Hd,
    Ttt,
    RtkDf,
    TdkRtk,
    TdkGl,
    Mxt,
};

// How a cell of the table becomes a command.
enum class Form : uint8_t {
    None,           // nothing but the line end
    Literal,        // the text or frame as it stands
    Checksummed,    // the text, "*" and its checksum
    SirfReset,      // the SiRF reset with the kind value as last field, then its checksum
    SirfResetCrLf,  // the same after a CR LF
    Refused,        // the family cannot do it: the warning, nothing written
};

struct Cell {
    Form How = Form::None;
    std::string_view Text;
};

struct Row {
    RestartSendMode Mode = RestartSendMode::TextLine;
    std::array<Cell, 4> Cells;  // hot, warm, cold, factory
};

constexpr std::string_view kSirfReset = "$PSRF101,-2686700,-4304200,3851624,96000,497260,921,12,";
constexpr std::string_view kUbxColdThenClear{
    "\xB5\x62\x06\x04\x04\x00\xFF\xFF\x02\x00\x0E\x61"
    "\xB5\x62\x06\x09\x0C\x00\xFF\xFF\xFF\xFF\x00\x00\x00\x00\xFF\xFF\xFF\xFF\x13\x5B",
    32};
constexpr std::string_view kHdRestartHotFrame{"\xF1\xD9\x06\x40\x01\x00\x03\x4A\x24", 9};
constexpr std::string_view kHdRestartWarmFrame{"\xF1\xD9\x06\x40\x01\x00\x02\x49\x23", 9};
constexpr std::string_view kHdRestartColdFrame{"\xF1\xD9\x06\x40\x01\x00\x01\x48\x22", 9};

constexpr Cell L(std::string_view text) {
    return {Form::Literal, text};
}
constexpr Cell C(std::string_view text) {
    return {Form::Checksummed, text};
}
constexpr Cell kNone{Form::None, {}};

// Indexed by Dialect.
const std::array<Row, 14> kRestartTable = {{
    /* None   */ {RestartSendMode::TextLine, {kNone, kNone, kNone, kNone}},
    /* Sirf   */
    {RestartSendMode::TextLine,
     {Cell{Form::SirfReset, {}}, Cell{Form::SirfReset, {}}, Cell{Form::SirfReset, {}},
      Cell{Form::SirfReset, {}}}},
    /* Sirf45 */
    {RestartSendMode::TextLine,
     {Cell{Form::SirfResetCrLf, {}}, Cell{Form::SirfResetCrLf, {}}, Cell{Form::SirfResetCrLf, {}},
      Cell{Form::Refused, kCannotExecute}}},
    /* Ublox  */
    {RestartSendMode::Ubx,
     {L(kUbxCfgRstHot), L(kUbxCfgRstWarm), L(kUbxCfgRstCold), L(kUbxColdThenClear)}},
    /* Unav   */
    {RestartSendMode::TextLine,
     {L("$PUNV,START,HOT*0E"), L("$PUNV,START,WARM*54"), L("$PUNV,START,COLD*59"),
      L("$PUNV,START,FACTORY*09")}},
    /* Mtk    */
    {RestartSendMode::TextLine,
     {L("$PMTK101*32"), L("$PMTK102*31"), L("$PMTK103*30"), L("$PMTK104*37")}},
    /* St     */
    {RestartSendMode::TextLine,
     {L("$PSTMHOT"), L("$PSTMWARM"), L("\r\n$PSTMCOLD,15"), L("$PSTMRESTOREPAR\r\n")}},
    /* Furuno */
    {RestartSendMode::TextLine,
     {L("$PERDAPI,RESTART,HOT*5F"), L("$PERDAPI,RESTART,WARM*05"), L("$PERDAPI,RESTART,COLD*08"),
      L("$PERDAPI,RESTART,SIMCOLD*5F")}},
    /* Hd     */
    {RestartSendMode::Hd,
     {L(kHdRestartHotFrame), L(kHdRestartWarmFrame), L(kHdRestartColdFrame), L(kHdConfigClear)}},
    /* Ttt    */
    {RestartSendMode::TextLine,
     {L("$CCSIR,3,3*48"), L("$CCSIR,3,2*49"), L("$CCSIR,3,1*4A"), L("$CCSIR,3,1*4A")}},
    /* RtkDf  */
    {RestartSendMode::TextLine,
     {C("$PMDC,RESTART,0,0"), kNone, C("$PMDC,RESTART,0,3"), C("$PMDC,RESTART,0,2")}},
    /* TdkRtk */
    {RestartSendMode::TextLine,
     {C("$PMDC,QV2058,HOT"), C("$PMDC,QV2058,WARM"), C("$PMDC,QV2058,COLD"),
      C("$PMDC,QV2058,COLD")}},
    /* TdkGl  */
    {RestartSendMode::TextLine,
     {C("$CCSIR,6,3"), C("$CCSIR,6,2"), C("$CCSIR,6,1"), C("$CCSIR,6,1")}},
    /* Mxt    */
    {RestartSendMode::TextLine,
     {L("$RESET,1,0"), L("$RESET,1,1"), L("$RESET,1,2"), L("$RESET,1,2")}},
}};

Dialect DialectFor(const RestartTarget& target) {
    switch (target.Family) {
        case ReceiverFamily::SiRF:
        case ReceiverFamily::CMS:
            return Dialect::Sirf;
        case ReceiverFamily::SiRF4:
        case ReceiverFamily::SiRF5:
            return Dialect::Sirf45;
        case ReceiverFamily::ublox:
            return Dialect::Ublox;
        case ReceiverFamily::uNav:
        case ReceiverFamily::AH:
            return Dialect::Unav;
        case ReceiverFamily::MTK:
        case ReceiverFamily::CM2:
            return Dialect::Mtk;
        case ReceiverFamily::ST:
            return Dialect::St;
        case ReceiverFamily::Furuno:
            return Dialect::Furuno;
        case ReceiverFamily::HED:
            return Dialect::Hd;
        case ReceiverFamily::TTT:
            return Dialect::Ttt;
        case ReceiverFamily::RTK_DF:
            return Dialect::RtkDf;
        case ReceiverFamily::TDK_DR:
            if (target.DrRtkVariant) return Dialect::TdkRtk;
            if (target.DrBaseChip == ReceiverFamily::MTK) return Dialect::Mtk;
            if (target.FirmwareText.find("-GL") != std::string_view::npos) return Dialect::TdkGl;
            return Dialect::Ttt;
        case ReceiverFamily::MXT:
            return Dialect::Mxt;
        default:
            return Dialect::None;
    }
}

std::size_t KindColumn(RestartKind kind) {
    switch (kind) {
        case RestartKind::Hot:
            return 0;
        case RestartKind::Warm:
            return 1;
        case RestartKind::Cold:
            return 2;
        case RestartKind::Factory:
            return 3;
    }
    return 0;
}

std::string SirfReset(RestartKind kind) {
    std::string text(kSirfReset);
    text += std::to_string(static_cast<int>(kind));
    return text + NmeaChecksumSuffix(text);
}

}  // namespace

std::string_view RestartKindName(RestartKind kind) {
    static constexpr std::array<std::string_view, 4> kNames = {"hot", "warm", "cold", "factory"};
    return kNames[KindColumn(kind)];
}

std::string_view RestartKindTitle(RestartKind kind) {
    static constexpr std::array<std::string_view, 4> kTitles = {"Hot start", "Warm start",
                                                                "Cold start", "Factory reset"};
    return kTitles[KindColumn(kind)];
}

std::string_view RestartTag(RestartKind kind) {
    static constexpr std::array<std::string_view, 4> kTags = {"(H)", "(W)", "(C)", "(F)"};
    return kTags[KindColumn(kind)];
}

RestartCommand BuildRestartCommand(const RestartTarget& target, RestartKind kind) {
    const Dialect dialect = DialectFor(target);
    const Row& row = kRestartTable[static_cast<std::size_t>(dialect)];
    const Cell& cell = row.Cells[KindColumn(kind)];
    RestartCommand command;
    command.Mode = row.Mode;
    switch (cell.How) {
        case Form::None:
            break;
        case Form::Literal:
            command.Bytes = cell.Text;
            break;
        case Form::Checksummed:
            command.Bytes = std::string(cell.Text) + NmeaChecksumSuffix(cell.Text);
            break;
        case Form::SirfReset:
            command.Bytes = SirfReset(kind);
            break;
        case Form::SirfResetCrLf:
            command.Bytes = std::string(kCrLf) + SirfReset(kind);
            break;
        case Form::Refused:
            command.Refused = true;
            command.Warning = cell.Text;
            break;
    }
    if (dialect == Dialect::Hd && kind == RestartKind::Factory && target.HdPlainChip) {
        command.Bytes.clear();
        command.Refused = true;
    }
    if (dialect == Dialect::Ublox) command.ExpectedAck = BuildAck(FrameProtocol::Ubx, 0x06, 0x04);
    if (dialect == Dialect::Hd) command.ExpectedAck = BuildAck(FrameProtocol::Hd, 0x06, 0x40);
    return command;
}

std::string RestartWireBytes(const RestartCommand& command) {
    if (command.Refused) return {};
    if (command.Mode == RestartSendMode::TextLine) return command.Bytes + std::string(kCrLf);
    return command.Bytes;
}

}  // namespace gnss
