#pragma once

#include <string>
#include <string_view>

#include "link/receiver_port.h"
#include "link/shared_state.h"

namespace gnss {

// The one write towards the receiver: the complete command or frame, nothing added. False at
// once (the port untouched) while the port is not open; otherwise true only when every byte
// was written.
bool SendToReceiver(const SharedState& shared, ReceiverPort& port, std::string_view bytes);

struct LineErrorReport {
    bool IoError = false;  // the device went away or the driver failed
    std::string Text;      // "<ComError:Frame,Overrun>" or "<Ok>"
};

// Reads and clears the port's line-error flags.
[[nodiscard]] LineErrorReport ReadLineErrors(ReceiverPort& port);
// The text for a set of LineErrorFlag bits.
[[nodiscard]] std::string LineErrorText(uint32_t flags);

}  // namespace gnss
