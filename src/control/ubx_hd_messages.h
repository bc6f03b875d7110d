#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frames/binary_frame.h"
#include "link/receiver_port.h"
#include "link/shared_state.h"
#include "nmea/receiver_state.h"

namespace gnss {

// The fixed UBX and HD messages the tool sends (complete frames, checksum included).
inline constexpr std::string_view kUbxCfgRstHot{"\xB5\x62\x06\x04\x04\x00\x00\x00\x02\x00\x10\x68",
                                                12};
inline constexpr std::string_view kUbxCfgRstWarm{"\xB5\x62\x06\x04\x04\x00\x01\x06\x02\x00\x17\x7E",
                                                 12};
inline constexpr std::string_view kUbxCfgRstCold{"\xB5\x62\x06\x04\x04\x00\xFF\xFF\x02\x00\x0E\x61",
                                                 12};
inline constexpr std::string_view kUbxCfgCfgClearLoadAll{
    "\xB5\x62\x06\x09\x0C\x00\xFF\xFF\xFF\xFF\x00\x00\x00\x00\xFF\xFF\xFF\xFF\x13\x5B", 20};
inline constexpr std::string_view kUbxMonVerPoll{"\xB5\x62\x0A\x04\x00\x00\x0E\x34", 8};
inline constexpr std::string_view kHdMonVerPoll{"\xF1\xD9\x0A\x04\x00\x00\x0E\x34", 8};
inline constexpr std::string_view kHdMonInfoPoll{"\xF1\xD9\x0A\x05\x00\x00\x0F\x37", 8};
inline constexpr std::string_view kHdNmeaVersionPoll{"\xF1\xD9\x06\x43\x00\x00\x49\xE1", 8};
inline constexpr std::string_view kHdConfigClear{
    "\xF1\xD9\x06\x09\x08\x00\x02\x00\x00\x00\xFF\xFF\xFF\xFF\x15\x01", 16};
inline constexpr std::string_view kHdPortConfigPoll{"\xF1\xD9\x06\x00\x01\x00\x00\x07\x21", 9};

// Payload bytes of the HD simple restart (06 40).
inline constexpr uint8_t kHdRestartHot = 0x03;
inline constexpr uint8_t kHdRestartWarm = 0x02;
inline constexpr uint8_t kHdRestartCold = 0x01;

// The HD simple restart frame for a one-byte payload 00, 01, 02, 03 or 80; an empty payload
// means 00. Any other payload gives an empty string.
[[nodiscard]] std::string BuildHdSimpleRestart(std::string_view payload);

// "%.2X%.2X" of class and id: the key of the message name tables.
[[nodiscard]] std::string MessageKey(uint8_t cls, uint8_t id);
// The name of a message in the protocol's table, or empty. Where a key occurs twice the first
// entry counts.
[[nodiscard]] std::string_view MessageName(FrameProtocol protocol, uint8_t cls, uint8_t id);

// Sends a command and opens the protocol's reply window for three seconds (replies are taken
// while SecondsCounter <= deadline). Returns what SendToReceiver returns.
bool SendUbxCommand(SharedState& shared, const ReceiverState& receiver, ReceiverPort& port,
                    std::string_view bytes);
bool SendHdCommand(SharedState& shared, const ReceiverState& receiver, ReceiverPort& port,
                   std::string_view bytes);

}  // namespace gnss
