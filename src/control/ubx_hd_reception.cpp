#include "control/ubx_hd_reception.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "control/identification_rules.h"
#include "control/ubx_hd_messages.h"
#include "nmea/hex_text.h"

namespace gnss {

namespace {

// The version reply without extensions: 30 bytes of software and 10 of hardware text.
constexpr std::size_t kMonVerPayloadSize = 40;
constexpr std::size_t kMonVerSoftware = 30;
constexpr std::size_t kMonVerHardware = 10;
constexpr std::size_t kPortConfigFrameSize = 16;

uint32_t U8(std::string_view p, std::size_t at) {
    return static_cast<uint8_t>(p[at]);
}
uint32_t U16(std::string_view p, std::size_t at) {
    return U8(p, at) | (U8(p, at + 1) << 8);
}
uint32_t U32(std::string_view p, std::size_t at) {
    return U16(p, at) | (U16(p, at + 2) << 16);
}
int32_t I32(std::string_view p, std::size_t at) {
    return static_cast<int32_t>(U32(p, at));
}

template <typename... Args>
std::string Format(const char* format, Args... args) {
    char text[160];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

std::string Trimmed(std::string_view bytes) {
    return PrintableTrimmed(bytes);
}

}  // namespace

UbxHdReception::UbxHdReception(SharedState& shared, ReceiverState& receiver, Clock& clock,
                               IdentificationResult& identification, MonitorOutput& output)
    : shared_(shared),
      receiver_(receiver),
      clock_(clock),
      identification_(identification),
      output_(output) {}

void UbxHdReception::Line(std::string_view text) {
    output_.AddMonitorLine(text);
}

void UbxHdReception::FrameHandled(FrameProtocol protocol, std::string_view name,
                                  std::string_view frame) {
    for (ReceiverReplyListener* listener : listeners_) {
        listener->OnFrameHandled(protocol, name, frame);
    }
}

bool UbxHdReception::IsExpectedRestartAck(std::string_view frame) const {
    return !expectedRestartAck_.empty() && frame == expectedRestartAck_;
}

// --- UBX ---

void UbxHdReception::UbxMessageLines(uint8_t cls, uint8_t id, std::string_view payload) {
    if (cls == 0x02 && id == 0x11 && payload.size() >= 2) {
        output_.AddStampedMonitorLine(Format("      Subframe:[ChanNum:%d][SatID:%d]",
                                             static_cast<int>(U8(payload, 0)),
                                             static_cast<int>(U8(payload, 1))));
    } else if (cls == 0x0A && id == 0x04 && payload.size() == kMonVerPayloadSize) {
        const std::string firmware = Trimmed(payload.substr(0, kMonVerSoftware));
        const std::string hardware = Trimmed(payload.substr(kMonVerSoftware, kMonVerHardware));
        Line("      HW Ver:" + hardware);
        Line("      FW Ver:" + firmware);
    }
}

void UbxHdReception::UbxMonitor(uint8_t cls, uint8_t id, std::string_view payload) {
    UbxMessageLines(cls, id, payload);
    FrameHandled(FrameProtocol::Ubx, MessageName(FrameProtocol::Ubx, cls, id), payload);
}

void UbxHdReception::HandleUbxFrame(std::string_view frame) {
    const uint8_t cls = FrameClass(frame);
    const uint8_t id = FrameId(frame);
    if (shared_.Family != ReceiverFamily::ublox) {
        UbxMessageLines(cls, id, FramePayload(frame));
        FrameHandled(FrameProtocol::Ubx, MessageName(FrameProtocol::Ubx, cls, id), frame);
    }
    if (shared_.Family == ReceiverFamily::ublox)
        CheckRestartReply(FrameProtocol::Ubx, frame, UbxAckTick);
}

bool UbxHdReception::IsRestartRefusal(std::string_view frame) const {
    // The same frame as the acknowledgement with id 00 (NAK) instead of 01 (ACK).
    if (expectedRestartAck_.size() != frame.size() || frame.size() < 10) return false;
    return FrameClass(frame) == 0x05 && FrameId(frame) == 0x00 &&
           FramePayload(frame) == FramePayload(expectedRestartAck_) &&
           frame.substr(0, 2) == std::string_view(expectedRestartAck_).substr(0, 2);
}

void UbxHdReception::CheckRestartReply(FrameProtocol protocol, std::string_view frame,
                                       uint32_t& ackTick) {
    if (IsExpectedRestartAck(frame)) {
        ackTick = clock_.TickMs();
        for (ReceiverReplyListener* listener : listeners_) {
            listener->OnRestartAcknowledged(protocol, ackTick);
        }
    } else if (IsRestartRefusal(frame)) {
        for (ReceiverReplyListener* listener : listeners_) listener->OnRestartRefused(protocol);
    }
}

// --- HD ---

bool UbxHdReception::PayloadLengthOk(std::string_view payload, std::size_t expected) {
    Line(Format("PL Len : %d", static_cast<int>(payload.size())));
    if (payload.size() == expected) return true;
    Line("  < PL Len error ! >");
    return false;
}

void UbxHdReception::TimeEcho(std::string_view p) {
    if (!PayloadLengthOk(p, 20)) return;
    Line(Format("(%s) %2d.%.2d.%.2d-%.2d:%.2d:%.2d", U8(p, 0) == 0 ? "UTC" : "TOW",
                static_cast<int>(U16(p, 3)), static_cast<int>(U8(p, 5)), static_cast<int>(U8(p, 6)),
                static_cast<int>(U8(p, 7)), static_cast<int>(U8(p, 8)),
                static_cast<int>(U8(p, 9))));
    Line(Format("iSec_ns:%d  wTacc_s:%d  iTacc_ns:%d  Leap_sec:%d", I32(p, 10),
                static_cast<int>(U16(p, 14)), I32(p, 16), static_cast<int>(U8(p, 2))));
}

void UbxHdReception::PositionEcho(std::string_view p) {
    if (!PayloadLengthOk(p, 17)) return;
    Line(Format("(%s) Lat:%.5f, Lon:%.5f (%.2f m)-[%d]", U8(p, 0) == 1 ? "LLA" : "ECEF",
                I32(p, 1) / 1e7, I32(p, 5) / 1e7, I32(p, 9) / 100.0, I32(p, 13)));
}

void UbxHdReception::TimePositionEcho(std::string_view p) {
    if (!PayloadLengthOk(p, 22)) return;
    Line(Format("Lat:%.5f, Lon:%.5f (%d m)", I32(p, 0) / 1e5, I32(p, 4) / 1e5, I32(p, 8)));
    Line(Format("%2d.%.2d.%.2d-%.2d:%.2d:%.2d", static_cast<int>(U16(p, 20)),
                static_cast<int>(U8(p, 12)), static_cast<int>(U8(p, 13)),
                static_cast<int>(U8(p, 14)), static_cast<int>(U8(p, 15)), I32(p, 16)));
}

void UbxHdReception::HandleHdFrame(std::string_view frame) {
    const uint8_t cls = FrameClass(frame);
    const uint8_t id = FrameId(frame);
    const std::string_view payload = FramePayload(frame);
    FrameHandled(FrameProtocol::Hd, MessageName(FrameProtocol::Hd, cls, id), frame);

    if (cls == 0x05) {
        if (payload.size() >= 2) {
            const auto ackedClass = static_cast<uint8_t>(payload[0]);
            const auto ackedId = static_cast<uint8_t>(payload[1]);
            if (ackedClass == 0x0B && (ackedId == 0x32 || ackedId == 0x33)) {
                for (ReceiverReplyListener* listener : listeners_) {
                    listener->OnHdAcknowledged(ackedClass, ackedId);
                }
            }
        }
    } else if (cls == 0x06 && id == 0x00) {
        if (frame.size() == kPortConfigFrameSize) {
            for (ReceiverReplyListener* listener : listeners_) listener->OnHdPortConfigReply(frame);
        }
    } else if (cls == 0x0A && id == 0x05) {
        if (identification_.HdModuleInfo.empty()) {
            identification_.HdModuleInfo = std::string(payload);
            identification_.CommandPreset = identification_.HdModuleInfo;
        }
    } else if (cls == 0x0B && id == 0x11) {
        TimeEcho(payload);
    } else if (cls == 0x0B && id == 0x10) {
        PositionEcho(payload);
    } else if (cls == 0x0B && id == 0x02) {
        TimePositionEcho(payload);
    } else if (cls == 0x0B && (id == 0x32 || id == 0x33)) {
        Line(BinToHex(frame));
    }

    if (shared_.Family == ReceiverFamily::HED) {
        if (IsExpectedRestartAck(frame)) receiver_.FixValid = false;
        CheckRestartReply(FrameProtocol::Hd, frame, HdAckTick);
    }
}

}  // namespace gnss
