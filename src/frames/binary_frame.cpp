#include "frames/binary_frame.h"

#include <array>
#include <cstring>

namespace gnss {

namespace {

constexpr std::size_t kHeaderSize = 6;  // sync(2) class id length(2)
constexpr std::size_t kOverhead = 8;    // header + CK_A CK_B
constexpr std::size_t kMaxPayload = 0xFFFF;

uint8_t Byte(std::string_view s, std::size_t i) {
    return static_cast<uint8_t>(s[i]);
}

// One flag per class byte.
using ClassSet = std::array<bool, 256>;

constexpr ClassSet MakeClassSet(std::initializer_list<uint8_t> classes) {
    ClassSet set{};
    for (uint8_t c : classes) set[c] = true;
    return set;
}

constexpr ClassSet kUbxClasses =
    MakeClassSet({0x01, 0x02, 0x04, 0x05, 0x06, 0x0A, 0x0B, 0x0D, 0x21});
constexpr ClassSet kHdClasses = MakeClassSet({0x01, 0x02, 0x05, 0x06, 0x0A, 0x0B});

struct SyncPair {
    uint8_t First;
    uint8_t Second;
};

constexpr SyncPair SyncOf(FrameProtocol protocol) {
    return protocol == FrameProtocol::Ubx ? SyncPair{kUbxSync1, kUbxSync2}
                                          : SyncPair{kHdSync1, kHdSync2};
}

bool HasSync(std::string_view frame, SyncPair sync) {
    return frame.size() >= 2 && Byte(frame, 0) == sync.First && Byte(frame, 1) == sync.Second;
}

bool IsFrameOf(std::string_view frame, SyncPair sync) {
    return frame.size() > 7 && frame.size() == FramePayloadLength(frame) + kOverhead &&
           HasSync(frame, sync) && FrameChecksumValid(frame);
}

// The two Fletcher bytes over data[from, to).
std::array<uint8_t, 2> Fletcher(std::string_view data, std::size_t from, std::size_t to) {
    uint8_t a = 0;
    uint8_t b = 0;
    for (std::size_t i = from; i < to; ++i) {
        a = static_cast<uint8_t>(a + Byte(data, i));
        b = static_cast<uint8_t>(b + a);
    }
    return {a, b};
}

// Sync pair search with memchr on the first sync byte. `start` is 1-based.
FrameCandidate FindFrame(std::string_view buffer, std::size_t start, SyncPair sync,
                         const ClassSet& accepted) {
    FrameCandidate result;
    std::size_t from = start < 1 ? 0 : start - 1;
    const char* data = buffer.data();
    const std::size_t size = buffer.size();
    while (from + 1 < size) {
        const void* hit = std::memchr(data + from, sync.First, size - from - 1);
        if (hit == nullptr) return result;
        const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
        if (static_cast<uint8_t>(data[at + 1]) != sync.Second) {
            from = at + 1;
            continue;
        }
        result.Position = at + 1;
        const std::size_t available = size - at;
        if (available < kOverhead) return result;
        const std::string_view rest = buffer.substr(at);
        const std::size_t frameSize = FramePayloadLength(rest) + kOverhead;
        if (available < frameSize || !accepted[FrameClass(rest)]) return result;
        result.Frame = rest.substr(0, frameSize);
        return result;
    }
    return result;
}

}  // namespace

uint8_t FrameClass(std::string_view frame) {
    return frame.size() < kOverhead ? 0 : Byte(frame, 2);
}

uint8_t FrameId(std::string_view frame) {
    return frame.size() < kOverhead ? 0 : Byte(frame, 3);
}

uint16_t FramePayloadLength(std::string_view frame) {
    if (frame.size() < kOverhead) return 0;
    return static_cast<uint16_t>(Byte(frame, 4) | (Byte(frame, 5) << 8));
}

std::string_view FramePayload(std::string_view frame) {
    if (frame.size() < kOverhead) return {};
    return frame.substr(kHeaderSize, frame.size() - kOverhead);
}

std::string FletcherChecksum(std::string_view frameWithoutChecksum) {
    const auto ck = Fletcher(frameWithoutChecksum, 2,
                             frameWithoutChecksum.size() < 2 ? 2 : frameWithoutChecksum.size());
    return std::string{static_cast<char>(ck[0]), static_cast<char>(ck[1])};
}

bool FrameChecksumValid(std::string_view frame) {
    if (frame.size() < kOverhead) return false;
    const auto ck = Fletcher(frame, 2, frame.size() - 2);
    return ck[0] == Byte(frame, frame.size() - 2) && ck[1] == Byte(frame, frame.size() - 1);
}

bool IsUbxFrame(std::string_view frame) {
    return IsFrameOf(frame, SyncOf(FrameProtocol::Ubx));
}

bool IsHdFrame(std::string_view frame) {
    return IsFrameOf(frame, SyncOf(FrameProtocol::Hd));
}

std::string BuildFrame(FrameProtocol protocol, uint8_t cls, uint8_t id, std::string_view payload) {
    // The length field has 16 bits: a longer payload cannot be framed.
    if (payload.size() > kMaxPayload) return {};
    const SyncPair sync = SyncOf(protocol);
    std::string frame;
    frame.reserve(payload.size() + kOverhead);
    frame.push_back(static_cast<char>(sync.First));
    frame.push_back(static_cast<char>(sync.Second));
    frame.push_back(static_cast<char>(cls));
    frame.push_back(static_cast<char>(id));
    frame.push_back(static_cast<char>(payload.size() & 0xFF));
    frame.push_back(static_cast<char>((payload.size() >> 8) & 0xFF));
    frame.append(payload);
    frame += FletcherChecksum(frame);
    return frame;
}

std::string BuildHdFrame(uint8_t cls, uint8_t id, std::string_view payload) {
    return BuildFrame(FrameProtocol::Hd, cls, id, payload);
}

std::string BuildUbxFrame(uint8_t cls, uint8_t id, std::string_view payload) {
    return BuildFrame(FrameProtocol::Ubx, cls, id, payload);
}

std::string BuildAck(FrameProtocol protocol, uint8_t cls, uint8_t id) {
    const char payload[] = {static_cast<char>(cls), static_cast<char>(id)};
    return BuildFrame(protocol, 0x05, 0x01, std::string_view(payload, 2));
}

bool UbxClassAccepted(uint8_t cls) {
    return kUbxClasses[cls];
}

bool HdClassAccepted(uint8_t cls) {
    return kHdClasses[cls];
}

FrameCandidate FindUbxFrame(std::string_view buffer, std::size_t start) {
    return FindFrame(buffer, start, SyncOf(FrameProtocol::Ubx), kUbxClasses);
}

FrameCandidate FindHdFrame(std::string_view buffer, std::size_t start) {
    return FindFrame(buffer, start, SyncOf(FrameProtocol::Hd), kHdClasses);
}

}  // namespace gnss
