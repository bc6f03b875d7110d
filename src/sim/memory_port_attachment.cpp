#include "sim/memory_port_attachment.h"

namespace gnss::sim {

MemoryPortAttachment::MemoryPortAttachment(SimSource& source, MemoryReceiverPort& port)
    : source_(source), port_(port) {
    source_.SetSink([this](std::string_view bytes) {
        if (!gone_ && port_.IsOpen()) port_.Feed(bytes);
    });
    source_.SetToolBaudSource([this] { return port_.BaudRate(); });
    source_.OnVanish = [this] {
        gone_ = true;
        port_.RaiseLineErrors(kLineErrorIO);
        port_.Notify();
    };
    port_.SetWriteListener(this);
}

MemoryPortAttachment::~MemoryPortAttachment() {
    source_.SetSink(nullptr);
    source_.SetToolBaudSource(nullptr);
    source_.OnVanish = nullptr;
    port_.SetWriteListener(nullptr);
}

void MemoryPortAttachment::BytesWritten(std::string_view bytes) {
    if (!gone_) source_.Input(bytes);
}

}  // namespace gnss::sim
