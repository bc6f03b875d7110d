#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "control/receiver_identification.h"
#include "frames/binary_frame.h"
#include "link/shared_state.h"
#include "nmea/receiver_state.h"

namespace gnss {

// What the UBX and HD handlers hand on. Every hook may stay empty (a query answers false).
struct UbxHdReceptionHooks {
    std::function<void(std::string line)> MonitorAddLine;
    std::function<void(std::string text)> MonitorAddStamped;
    // Every frame handled, with its name from the protocol's table (may be empty).
    std::function<void(FrameProtocol protocol, std::string_view name, std::string_view frame)>
        FrameHandled;

    // HD assistance upload: while it runs, an ACK of an ephemeris message (0B 32 / 0B 33)
    // moves it on.
    std::function<bool()> HdAssistUploadRunning;
    std::function<void(uint8_t ackedClass, uint8_t ackedId)> HdAssistAcknowledged;
    // The 16-byte reply to the HD port-configuration poll (the baud change waits for it).
    std::function<void(std::string_view frame)> HdPortConfigReply;
    std::function<void(std::string text)> SetCommandBoxText;  // HD module information

    // Fix-time measurement: armed and its start not taken yet; the acknowledgement the last
    // restart command expects; the moment the acknowledgement arrived.
    std::function<bool()> FixTimeAwaitingStart;
    std::function<std::string()> ExpectedRestartAck;
    std::function<void(uint32_t tickMs)> UbxRestartAcknowledged;
    std::function<void(uint32_t tickMs)> HdRestartAcknowledged;
};

// The handling of received UBX and HD frames: version and subframe lines for the monitor, the
// HD module information, assistance echoes and acknowledgements, and the moment a restart
// was acknowledged.
class UbxHdReception {
  public:
    UbxHdReception(SharedState& shared, ReceiverState& receiver, Clock& clock,
                   IdentificationResult& identification);
    UbxHdReception(const UbxHdReception&) = delete;
    UbxHdReception& operator=(const UbxHdReception&) = delete;

    UbxHdReceptionHooks Hooks;

    // A complete UBX frame with a valid checksum, seen while the family is ublox (the buffer
    // keeps it): the message lines go to the monitor.
    void UbxMonitor(uint8_t cls, uint8_t id, std::string_view payload);
    // A UBX frame taken out of the buffer while its reply window is open. For family ublox the
    // monitor has shown its lines already; the frame then only counts as an acknowledgement.
    void HandleUbxFrame(std::string_view frame);
    // A valid HD frame taken out of the buffer while its reply window is open.
    void HandleHdFrame(std::string_view frame);

    // Milliseconds at which the restart acknowledgement arrived; 0 until then. The restart
    // commands clear them before sending.
    uint32_t UbxAckTick = 0;
    uint32_t HdAckTick = 0;

  private:
    void UbxMessageLines(uint8_t cls, uint8_t id, std::string_view payload);
    void TimeEcho(std::string_view payload);
    void PositionEcho(std::string_view payload);
    void TimePositionEcho(std::string_view payload);
    [[nodiscard]] bool PayloadLengthOk(std::string_view payload, std::size_t expected);
    [[nodiscard]] bool IsExpectedRestartAck(std::string_view frame) const;
    void Line(std::string text);

    SharedState& shared_;
    ReceiverState& receiver_;
    Clock& clock_;
    IdentificationResult& identification_;
};

}  // namespace gnss
