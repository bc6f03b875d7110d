#include "link/rx_ring.h"

#include <algorithm>

namespace gnss {

void RxRing::Deliver(ReceiverPort& port, std::size_t n) {
    if (busy_) {
        ++missedEvents_;
        return;
    }
    busy_ = true;
    // Copy in segments that end at the end of the storage. Within a segment the write position
    // runs through w+1 .. w+got (1-based, kSize+1 standing for 1 after the wrap), so it meets the
    // read position at most once per segment.
    std::size_t remaining = n;
    while (remaining > 0) {
        const std::size_t w = writePos_ - 1;  // 0-based index of the next byte
        const std::size_t room = std::min(remaining, kSize - w);
        const std::size_t got = port.Read(storage_.data() + w, room);
        if (got == 0) break;
        const std::size_t r = readPos_ - 1;
        const std::size_t last = w + got;  // 0-based index after the segment, at most kSize
        if ((r == 0 && last == kSize) || (r > w && r <= last)) ++overruns_;
        writePos_ = last == kSize ? 1 : last + 1;
        remaining -= got;
        if (got < room) break;  // the port had no more
    }
    busy_ = false;
}

std::size_t RxRing::Size() const {
    return writePos_ >= readPos_ ? writePos_ - readPos_ : kSize - readPos_ + writePos_;
}

void RxRing::RxTakeAll(std::string& out) {
    out.clear();
    if (Empty()) return;
    const char* data = storage_.data();
    if (writePos_ > readPos_) {
        out.append(data + readPos_ - 1, writePos_ - readPos_);
    } else {
        out.append(data + readPos_ - 1, kSize - readPos_ + 1);
        out.append(data, writePos_ - 1);
    }
    readPos_ = writePos_;
}

std::string RxRing::RxTakeAll() {
    std::string out;
    RxTakeAll(out);
    return out;
}

void RxRing::Reset() {
    writePos_ = 1;
    readPos_ = 1;
    busy_ = false;
}

}  // namespace gnss
