#include "link/receiver_link.h"

#include <array>

namespace gnss {

namespace {

struct FlagName {
    uint32_t Flag;
    std::string_view Name;
};

// In the order they are reported.
constexpr std::array<FlagName, 8> kLineErrorNames = {{
    {kLineErrorFrame, "Frame"},
    {kLineErrorParity, "Parity"},
    {kLineErrorOverrun, "Overrun"},
    {kLineErrorBreak, "Break"},
    {kLineErrorIO, "IO"},
    {kLineErrorMode, "Mode"},
    {kLineErrorRxOver, "RxOver"},
    {kLineErrorTxFull, "TxFull"},
}};

}  // namespace

bool SendToReceiver(const SharedState& shared, ReceiverPort& port, std::string_view bytes) {
    if (!shared.PortOpen) return false;
    return port.Write(bytes);
}

std::string LineErrorText(uint32_t flags) {
    std::string names;
    for (const auto& entry : kLineErrorNames) {
        if ((flags & entry.Flag) == 0) continue;
        if (!names.empty()) names += ',';
        names += entry.Name;
    }
    return names.empty() ? std::string("<Ok>") : "<ComError:" + names + ">";
}

LineErrorReport ReadLineErrors(ReceiverPort& port) {
    const uint32_t flags = port.TakeLineErrors();
    return {(flags & kLineErrorIO) != 0, LineErrorText(flags)};
}

}  // namespace gnss
