#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "base/monitor_output.h"
#include "base/scheduler.h"
#include "link/connection_listener.h"
#include "link/receive_pipeline.h"
#include "link/receiver_port.h"

namespace gnss {

enum class EpoTransferState : uint8_t {
    Stop,         // idle, or waiting out the start delay
    Sending,      // the next packet is due
    AwaitingAck,  // a packet is in flight
    Done,         // every packet, the terminating one included, was accepted
};

// What an upload reports as it goes.
class EpoTransferListener {
  public:
    virtual ~EpoTransferListener() = default;
    // `acknowledged` packets of `lastIndex` + 1 were accepted; the gauge follows.
    virtual void OnEpoPacketAccepted(uint32_t acknowledged, uint32_t lastIndex,
                                     double elapsedSeconds) = 0;
    // The receiver is back in NMEA at its old rate and processing runs again.
    virtual void OnEpoTransferDone() = 0;
    // 300 ms after OnEpoTransferDone, once, unless another upload started meanwhile.
    virtual void OnEpoTransferConfirmed() = 0;
    // The upload ended without success; `message` is the text for the error box. The receiver
    // has been told to return to NMEA, the port runs at its old rate again and the link is
    // disconnected (when the port was still open).
    virtual void OnEpoTransferFailed(const std::string& message) = 0;
};

// The upload of an EPO packet stream into an MTK receiver: the receiver is switched to MTK
// binary at 115,200 bit/s, the packets go out one at a time, each waiting for its own
// acknowledgement (id 2: the sequence and 1 for accepted, 0 for rejected), paced by a 5 ms
// timer; at the end the receiver is returned to NMEA at the rate the port had before.
//
// Every end restores the receiver and the program: completion, a rejected packet, a packet
// without acknowledgement for 10,000 ticks, an error of the port, the user's cancel. Processing
// of the receive path is paused for the whole upload, so this is the only reader of the ring.
class EpoTransfer final : public ConnectionListener {
  public:
    static constexpr uint32_t kBinaryBaud = 115200;
    static constexpr uint32_t kFirstPeriodMs = 50;
    static constexpr uint32_t kPeriodMs = 5;
    static constexpr uint32_t kStartTicks = 10;
    static constexpr uint32_t kAckTimeoutTicks = 10000;
    static constexpr uint32_t kSwitchWaitMs = 100;
    static constexpr uint32_t kReturnWaitMs = 500;
    static constexpr uint32_t kRateWaitMs = 100;
    static constexpr uint32_t kConfirmDelayMs = 300;
    static constexpr std::string_view kSwitchToBinary = "$PMTK253,1,115200*00\r\n";
    static constexpr std::string_view kReceivedFileName = "gsRx3.bin";
    // A receiver that never acknowledged may be listening at another rate than asked: the
    // return to NMEA is then said at each of these too, this long apart.
    static constexpr std::array<uint32_t, 9> kRescueRates = {115200, 57600,  38400,  19200, 9600,
                                                             4800,   230400, 460800, 921600};
    static constexpr uint32_t kRescueStepMs = 50;

    struct Deps {
        ReceivePipeline& Pipeline;
        ReceiverPort& Port;
        Scheduler& Timers;
        Clock& SystemClock;
        MonitorOutput& Output;
        // Disconnects the link (the connect button's action with the port open).
        std::function<void()> Disconnect;
    };
    explicit EpoTransfer(Deps deps);
    ~EpoTransfer() override;
    EpoTransfer(const EpoTransfer&) = delete;
    EpoTransfer& operator=(const EpoTransfer&) = delete;

    void SetListener(EpoTransferListener* listener) { listener_ = listener; }
    // Where the bytes of a failed upload are saved: the first folder that takes the file, the
    // system's temporary folder last.
    void SetReceivedFileFolders(std::filesystem::path current, std::filesystem::path fallback);

    // Starts uploading `packets` (whole frames of `packetLength` bytes). False, with nothing
    // sent, when an upload runs, the port is closed or the stream is empty or ragged.
    bool Start(std::string packets, uint16_t packetLength);
    // The user ends the upload (Cancel, closing the window); the receiver is restored.
    void Cancel();

    [[nodiscard]] bool Running() const { return running_; }
    [[nodiscard]] EpoTransferState State() const { return state_; }
    [[nodiscard]] uint32_t PacketIndex() const { return packetIndex_; }
    [[nodiscard]] uint32_t LastPacketIndex() const { return lastIndex_; }
    [[nodiscard]] uint32_t SavedBaud() const { return savedBaud_; }
    [[nodiscard]] uint32_t PeriodMs() const { return periodMs_; }
    // Where the last failed upload saved its bytes; empty when none could be written.
    [[nodiscard]] const std::filesystem::path& ReceivedFile() const { return receivedFile_; }

    // The 12-byte acknowledgement frame for a sequence number.
    [[nodiscard]] static std::string AckFrame(uint16_t sequence, bool accepted);
    // The return-to-NMEA frame (id 253): mode 0 and the rate.
    [[nodiscard]] static std::string ReturnToNmeaFrame(uint32_t baud);

    // ConnectionListener: the connect button does nothing while packets go out; a connection
    // closed from elsewhere (the port removed) ends the upload.
    [[nodiscard]] bool HoldsConnection() const override { return running_ && !ending_; }
    void OnConnectionChanging() override;

  private:
    void BeginAfterSwitch();
    void Tick();
    void SendNext();
    void AwaitAck();
    void Complete();
    void Abort(const std::string& message);
    void ReturnToNmea(std::function<void()> then);
    void SayReturnAtRate(std::size_t index, std::function<void()> then);
    void SaveReceived();
    void Memo(const std::string& text) { deps_.Output.AddDebugLine(text); }

    Deps deps_;
    EpoTransferListener* listener_ = nullptr;
    std::unique_ptr<Timer> timer_;
    std::unique_ptr<DelayedCall> step_;
    std::unique_ptr<DelayedCall> confirm_;
    std::filesystem::path currentFolder_;
    std::filesystem::path fallbackFolder_;
    std::filesystem::path receivedFile_;

    EpoTransferState state_ = EpoTransferState::Stop;
    bool running_ = false;
    bool ending_ = false;
    uint32_t periodMs_ = kFirstPeriodMs;
    std::string packets_;
    std::size_t readOffset_ = 0;
    uint16_t packetLength_ = 0;
    uint32_t packetIndex_ = 0;
    uint32_t lastIndex_ = 0;
    uint32_t ticksSinceStart_ = 0;
    uint32_t ticksSinceSend_ = 0;
    uint32_t startTickMs_ = 0;
    uint32_t savedBaud_ = 0;
    bool awaitingAck_ = false;
    bool anyAccepted_ = false;  // the receiver acknowledged at least one packet
    std::string accepted_;
    std::string rejected_;
    std::string received_;
    std::string chunk_;
};

}  // namespace gnss
