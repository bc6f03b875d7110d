#include "control/ubx_hd_messages.h"

#include <array>
#include <cstdio>

#include "link/receiver_link.h"

namespace gnss {

namespace {

constexpr int32_t kReplyWindowSeconds = 3;

struct MessageEntry {
    uint8_t Class;
    uint8_t Id;
    std::string_view Name;
};

// Both tables keep the order of the protocol documentation; 0B 31 has two entries, the first
// one counts.
constexpr std::array kHdNames = {
    MessageEntry{0x01, 0x01, "Poll Position solution in ECEF(NAV-ECEF)"},
    MessageEntry{0x01, 0x02, "Poll Geodetic Position(NAV-LLH)"},
    MessageEntry{0x01, 0x03, "Poll Get the status(NAV-STATUS)"},
    MessageEntry{0x01, 0x04, "Poll Dilution of precision(NAV-DOP)"},
    MessageEntry{0x01, 0x22, "Poll Clock solution(NAV-CLOCK)"},
    MessageEntry{0x01, 0x30, "Poll Satellite information(NAV-SVINFO)"},
    MessageEntry{0x01, 0xC0, "Poll General automotive information(NAV-AUTO)"},
    MessageEntry{0x01, 0xC1, "Poll To request Altitude, Heading, Tilt of vehicle(NAV-AHTS)"},
    MessageEntry{0x05, 0x00, "NACK"},
    MessageEntry{0x05, 0x01, "ACK"},
    MessageEntry{0x06, 0x00, "Poll/Set Port Configuration(CFG-PRT)"},
    MessageEntry{0x06, 0x01, "Poll/Set NMEA Message Rate Configuration(CFG-MSG)"},
    MessageEntry{0x06, 0x07, "Poll/Set Pulse per second(CFG-PPS)"},
    MessageEntry{0x06, 0x09, "TTFF-Write CFG to Flash / Clear CFG in Flash(CFG-CFG)"},
    MessageEntry{0x06, 0x0A, "Poll/Set DOP mask for navigation use(CFG-DOP)"},
    MessageEntry{0x06, 0x0B, "Poll/Set Elevation mask for navigation use(CFG-ELEV)"},
    MessageEntry{0x06, 0x0C, "Poll/Set Control satellites to use in navigation (CFG-NAVSAT)"},
    MessageEntry{0x06, 0x0D, "Poll/Set the height limitation for position fix (CFG-HEIGHT)"},
    MessageEntry{0x06, 0x0E, "Poll/Set the SBAS satellites to use in navigation (CFG-SBAS)"},
    MessageEntry{0x06, 0x0F, "Poll/Set the static hold speed for navigation use(CFG-SPDHOLD )"},
    MessageEntry{0x06, 0x40, "Hot/Warm/Cold Startup command(CFG-SIMPLERST)"},
    MessageEntry{0x06, 0x41,
                 "Set Set GNSS task to sleep and restart after a while defined by "
                 "period(CFG-SLEEP)"},
    MessageEntry{0x06, 0x42, "Set receiver power control profile(CFG-PWRCTL)"},
    MessageEntry{0x06, 0x43, "Poll/Set the version of CFG-NMEAVER)"},
    MessageEntry{0x06, 0x50, "Set Firmware update(CFG-FWUP)"},
    MessageEntry{0x0A, 0x04, "Poll Software/Hardware version(MON-VER)"},
    MessageEntry{0x0A, 0x05, "Poll Special customized information(MON-INFO)"},
    MessageEntry{0x0A, 0x06, "Poll Built in test Poll(MON-BIT)"},
    MessageEntry{0x0A, 0x07, "Get the Client message(MON-CLIENT)"},
    MessageEntry{0x0A, 0x08, "Get the TRK status(MON-TRK)"},
    MessageEntry{0x0B, 0x01, "Poll/Set Initial Aiding Data(AID-INI)"},
    MessageEntry{0x0B, 0x02, "Set Initial Aiding Data (time and position) (AID-POSTIME)"},
    MessageEntry{0x0B, 0x10, "Set Initial Aiding Data (position) (AID-POS)"},
    MessageEntry{0x0B, 0x11, "Set Initial Aiding Data (time) (AID-TIME)"},
    MessageEntry{0x0B, 0x30, "Poll/Set All Almanac Data(AID-ALM)"},
    MessageEntry{0x0B, 0x31, "Poll All Ephemeris Data(AID-EPH)"},
    MessageEntry{0x0B, 0x31, "Get/Set ephemeris data in GNSS receiver(AID-EPH)"},
    MessageEntry{0x0B, 0x32, "Polled/Set Proprietary Ephemeris Data for GPS(AID-PEPH-GPS)"},
    MessageEntry{0x0B, 0x33, "Polled/Set Proprietary Ephemeris Data for BDS (AID-PEPH-BDS)"},
};

constexpr std::array kUbxNames = {
    MessageEntry{0x01, 0x01, "Poll Position solution in ECEF(NAV-ECEF)"},
    MessageEntry{0x01, 0x02, "Poll Geodetic Position(NAV-LLH)"},
    MessageEntry{0x01, 0x04, "Poll Dilution of precision(NAV-DOP)"},
    MessageEntry{0x01, 0x22, "Poll Clock solution(NAV-CLOCK)"},
    MessageEntry{0x01, 0x30, "Poll Satellite information(NAV-SVINFO)"},
    MessageEntry{0x01, 0xC0, "Poll General automotive information(NAV-AUTO)"},
    MessageEntry{0x01, 0xC1, "Poll To request Altitude, Heading, Tilt of vehicle(NAV-AHTS)"},
    MessageEntry{0x02, 0x10, "Poll Raw Measurement Data"},
    MessageEntry{0x02, 0x11, "Poll Subframe Buffer"},
    MessageEntry{0x05, 0x00, "NACK"},
    MessageEntry{0x05, 0x01, "ACK"},
    MessageEntry{0x06, 0x00, "Poll/Set Port Configuration(CFG-PRT)"},
    MessageEntry{0x06, 0x01, "Poll/Set NMEA Message Rate Configuration(CFG-MSG)"},
    MessageEntry{0x06, 0x07, "Poll/Set Pulse per second(CFG-PPS)"},
    MessageEntry{0x06, 0x09, "Write CFG to Flash / Clear CFG in Flash(CFG-CFG)"},
    MessageEntry{0x06, 0x0A, "Poll/Set DOP mask for navigation use(CFG-DOP)"},
    MessageEntry{0x06, 0x0B, "Poll/Set Elevation mask for navigation use(CFG-ELEV)"},
    MessageEntry{0x06, 0x0C, "Poll/Set Control satellites to use in navigation(CFG-NAVSAT)"},
    MessageEntry{0x06, 0x0D, "Poll/Set Control height limitation for position fix(CFG-HEIGHT)"},
    MessageEntry{0x06, 0x40, "Hot/Warm/Cold Startup command(CFG-SIMPLERST)"},
    MessageEntry{0x06, 0x41,
                 "Set Set GNSS task to sleep and restart after a while defined by "
                 "period(CFG-SLEEP)"},
    MessageEntry{0x06, 0x42, "Set receiver power control profile(CFG-PWRCTL)"},
    MessageEntry{0x06, 0x50, "Set Firmware update(CFG-FWUP)"},
    MessageEntry{0x0A, 0x04, "Poll Software/Hardware version(MON-VER)"},
    MessageEntry{0x0A, 0x05, "Poll Special customized information(MON-INFO)"},
    MessageEntry{0x0A, 0x06, "Poll Built in test Poll(MON-BIT)"},
    MessageEntry{0x0B, 0x01, "Poll/Set Initial Aiding Data(AID-INI)"},
    MessageEntry{0x0B, 0x30, "Poll/Set All Almanac Data(AID-ALM)"},
    MessageEntry{0x0B, 0x31, "Poll All Ephemeris Data(AID-EPH)"},
    MessageEntry{0x0B, 0x31, "Get/Set ephemeris data in GNSS receiver(AID-EPH)"},
    MessageEntry{0x0B, 0x33, "Set basic external aiding data(AID-EXT-AUTOBASIC)"},
};

template <std::size_t N>
std::string_view Lookup(const std::array<MessageEntry, N>& table, uint8_t cls, uint8_t id) {
    for (const auto& entry : table) {
        if (entry.Class == cls && entry.Id == id) return entry.Name;
    }
    return {};
}

// Payload bytes the HD simple restart accepts.
constexpr std::array<uint8_t, 5> kHdRestartPayloads = {0x00, 0x01, 0x02, 0x03, 0x80};

}  // namespace

std::string BuildHdSimpleRestart(std::string_view payload) {
    if (payload.empty()) return BuildHdFrame(0x06, 0x40, std::string_view("\0", 1));
    if (payload.size() != 1) return {};
    for (uint8_t accepted : kHdRestartPayloads) {
        if (static_cast<uint8_t>(payload[0]) == accepted) return BuildHdFrame(0x06, 0x40, payload);
    }
    return {};
}

std::string MessageKey(uint8_t cls, uint8_t id) {
    char key[5];
    std::snprintf(key, sizeof key, "%.2X%.2X", static_cast<unsigned>(cls),
                  static_cast<unsigned>(id));
    return key;
}

std::string_view MessageName(FrameProtocol protocol, uint8_t cls, uint8_t id) {
    return protocol == FrameProtocol::Hd ? Lookup(kHdNames, cls, id) : Lookup(kUbxNames, cls, id);
}

bool SendUbxCommand(SharedState& shared, const ReceiverState& receiver, ReceiverPort& port,
                    std::string_view bytes) {
    shared.UbxReplyDeadline = receiver.SecondsCounter + kReplyWindowSeconds;
    return SendToReceiver(shared, port, bytes);
}

bool SendHdCommand(SharedState& shared, const ReceiverState& receiver, ReceiverPort& port,
                   std::string_view bytes) {
    shared.HedReplyDeadline = receiver.SecondsCounter + kReplyWindowSeconds;
    return SendToReceiver(shared, port, bytes);
}

}  // namespace gnss
