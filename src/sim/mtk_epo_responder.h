#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "sim/sim_config.h"

namespace gnss::sim {

// The EPO side of a simulated MTK receiver: the status query "$PMTK607" answered by "$PMTK707"
// for the data it holds, the switch to MTK binary ("$PMTK253,1,115200"), one acknowledgement per
// EPO packet (id 2: sequence and 1 accepted / 0 rejected; a packet with a wrong checksum or out
// of sequence is rejected), the return to NMEA (id 253) at the rate it names, and the EASY query
// and its "off" command. The data it holds changes when an upload ends with the terminating
// packet.
class MtkEpoResponder {
  public:
    struct Hooks {
        std::function<void(std::string_view)> Send;    // a reply, never dropped
        std::function<void(uint32_t)> SwitchBaud;      // after the line has drained
        std::function<void()> Vanish;                  // the device disappears
        std::function<void(const std::string&)> Note;  // what the receiver did
        // Runs a step later (ms); the receiver answers a packet only once all of it has
        // arrived, which takes its length at the line's rate.
        std::function<void(uint32_t, std::function<void()>)> After;
        std::function<uint32_t()> Baud;  // the rate the receiver runs at
        // An acknowledgement after its own time on the line (nullptr: Send).
        std::function<void(std::string_view)> SendNow;
    };
    MtkEpoResponder(const FaultConfig& faults, Hooks hooks);

    // A checked "$PMTK..." line; true when it was an EPO or EASY command (handled here).
    bool HandleText(std::string_view line);
    // Bytes from the tool while in binary mode.
    void Input(std::string_view bytes);
    [[nodiscard]] bool InBinaryMode() const { return binary_; }

    // The data the receiver holds.
    struct Data {
        int Sets = 0;
        int FirstWeek = 0;
        int FirstTow = 0;
        int LastWeek = 0;
        int LastTow = 0;
    };
    [[nodiscard]] const Data& Held() const { return held_; }
    [[nodiscard]] int PacketsAccepted() const { return accepted_; }
    [[nodiscard]] bool EasyOn() const { return easyOn_; }

  private:
    void HandleFrame(std::string_view frame);
    void HandleEpoPacket(std::string_view payload, bool checksumOk, std::size_t frameBytes);
    void Acknowledge(uint16_t sequence, bool accepted, std::size_t frameBytes);
    void Finish();

    FaultConfig faults_;
    Hooks hooks_;
    bool binary_ = false;
    bool vanished_ = false;
    bool easyOn_ = true;
    std::string input_;
    Data held_;
    int accepted_ = 0;
    int packetIndex_ = 0;  // packets seen in this upload
    uint32_t nextSequence_ = 0;
    uint32_t recordSize_ = 0;
    std::string records_;  // the upload's records so far
};

}  // namespace gnss::sim
