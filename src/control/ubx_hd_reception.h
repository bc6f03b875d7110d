#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/clock.h"
#include "base/monitor_output.h"
#include "control/receiver_identification.h"
#include "frames/binary_frame.h"
#include "link/receive_listeners.h"
#include "link/shared_state.h"
#include "nmea/receiver_state.h"

namespace gnss {

// What the handling of UBX and HD frames tells the features that wait for replies; registered
// with UbxHdReception::AddListener. Every method does nothing by default.
class ReceiverReplyListener {
  public:
    virtual ~ReceiverReplyListener() = default;
    // Every frame handled, with its message name from the protocol's table (may be empty).
    virtual void OnFrameHandled(FrameProtocol /*protocol*/, std::string_view /*name*/,
                                std::string_view /*frame*/) {}
    // An HD acknowledgement of an ephemeris message (0B 32 or 0B 33): an assistance upload
    // moves on.
    virtual void OnHdAcknowledged(uint8_t /*ackedClass*/, uint8_t /*ackedId*/) {}
    // The 16-byte reply to the HD port-configuration poll.
    virtual void OnHdPortConfigReply(std::string_view /*frame*/) {}
    // The acknowledgement that the restart command expected arrived (see ExpectRestartAck).
    virtual void OnRestartAcknowledged(FrameProtocol /*protocol*/, uint32_t /*tickMs*/) {}
    // The receiver refused the restart command: the negative acknowledgement (class 05 id 00)
    // of the command whose acknowledgement was expected.
    virtual void OnRestartRefused(FrameProtocol /*protocol*/) {}
};

// The handling of received UBX and HD frames: version and subframe lines for the monitor, the
// HD module information, assistance echoes and acknowledgements, and the moment a restart
// was acknowledged. It takes the frames the receive path finds (a FrameListener).
class UbxHdReception final : public FrameListener {
  public:
    UbxHdReception(SharedState& shared, ReceiverState& receiver, Clock& clock,
                   IdentificationResult& identification, MonitorOutput& output);
    UbxHdReception(const UbxHdReception&) = delete;
    UbxHdReception& operator=(const UbxHdReception&) = delete;

    // Registers a listener; it must outlive the reception's use of it.
    void AddListener(ReceiverReplyListener& listener) { listeners_.push_back(&listener); }

    // The acknowledgement (a whole frame) of the last restart command, while it is awaited;
    // empty when none is.
    void ExpectRestartAck(std::string frame) { expectedRestartAck_ = std::move(frame); }
    [[nodiscard]] const std::string& ExpectedRestartAck() const { return expectedRestartAck_; }

    // FrameListener
    void OnUbxFrameSeen(uint8_t cls, uint8_t id, std::string_view payload) override {
        UbxMonitor(cls, id, payload);
    }
    void OnUbxFrame(std::string_view frame) override { HandleUbxFrame(frame); }
    void OnHdFrame(std::string_view frame) override { HandleHdFrame(frame); }

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
    [[nodiscard]] bool IsRestartRefusal(std::string_view frame) const;
    void CheckRestartReply(FrameProtocol protocol, std::string_view frame, uint32_t& ackTick);
    void Line(std::string_view text);
    void FrameHandled(FrameProtocol protocol, std::string_view name, std::string_view frame);

    SharedState& shared_;
    ReceiverState& receiver_;
    Clock& clock_;
    IdentificationResult& identification_;
    MonitorOutput& output_;
    std::vector<ReceiverReplyListener*> listeners_;
    std::string expectedRestartAck_;
};

}  // namespace gnss
