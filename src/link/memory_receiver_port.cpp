#include "link/memory_receiver_port.h"

#include <algorithm>

namespace gnss {

void MemoryReceiverPort::SetBaudRate(uint32_t rate) {
    baud_ = rate;
    BaudHistory.push_back(rate);
}

PortOpenResult MemoryReceiverPort::Open() {
    ++OpenCount;
    if (!NextOpenResult.Ok()) return NextOpenResult;
    open_ = true;
    dtr_ = true;
    rts_ = true;
    return {};
}

void MemoryReceiverPort::Close() {
    if (!open_) return;
    ++CloseCount;
    open_ = false;
    inbound_.clear();
}

bool MemoryReceiverPort::Write(std::string_view bytes) {
    if (!open_ || FailWrites) return false;
    writes_.emplace_back(bytes);
    if (writeListener_ != nullptr) writeListener_->BytesWritten(bytes);
    return true;
}

std::size_t MemoryReceiverPort::Read(char* buffer, std::size_t maxBytes) {
    const std::size_t n = std::min(maxBytes, inbound_.size());
    std::copy_n(inbound_.begin(), n, buffer);
    inbound_.erase(inbound_.begin(), inbound_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

uint32_t MemoryReceiverPort::TakeLineErrors() {
    const uint32_t flags = lineErrors_;
    lineErrors_ = 0;
    return flags;
}

void MemoryReceiverPort::Feed(std::string_view bytes, bool notify) {
    if (!open_) return;  // nobody listens on a closed port
    inbound_.insert(inbound_.end(), bytes.begin(), bytes.end());
    if (notify) Notify();
}

void MemoryReceiverPort::Notify() {
    if (open_ && OnReadyRead) OnReadyRead(inbound_.size());
}

std::string MemoryReceiverPort::WrittenBytes() const {
    std::string all;
    for (const auto& w : writes_) all += w;
    return all;
}

}  // namespace gnss
