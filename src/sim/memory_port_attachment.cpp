#include "sim/memory_port_attachment.h"

namespace gnss::sim {

MemoryPortAttachment::MemoryPortAttachment(SimSource& source, MemoryReceiverPort& port)
    : source_(source), port_(port) {
    source_.SetOutput(this);
    port_.SetWriteListener(this);
}

MemoryPortAttachment::~MemoryPortAttachment() {
    source_.SetOutput(nullptr);
    port_.SetWriteListener(nullptr);
}

void MemoryPortAttachment::Deliver(std::string_view bytes) {
    if (!gone_ && port_.IsOpen()) port_.Feed(bytes);
}

void MemoryPortAttachment::DeviceVanished() {
    gone_ = true;
    port_.RaiseLineErrors(kLineErrorIO);
    port_.Notify();
}

void MemoryPortAttachment::BytesWritten(std::string_view bytes) {
    if (!gone_) source_.Input(bytes);
}

}  // namespace gnss::sim
