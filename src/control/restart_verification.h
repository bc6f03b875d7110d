#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/clock.h"
#include "base/monitor_output.h"
#include "control/receiver_restart.h"
#include "control/restart_acknowledgements.h"
#include "control/ubx_hd_reception.h"
#include "link/connection_listener.h"
#include "link/receive_listeners.h"
#include "link/shared_state.h"
#include "nmea/receiver_state.h"

namespace gnss {

// What became of one restart, step by step.
struct RestartReport {
    enum class Ack : uint8_t {
        NotExpected,  // the family does not acknowledge restarts
        Waiting,
        Seen,
        Refused,  // the receiver answered with a negative acknowledgement
        Missing,  // nothing within the acknowledgement window
    };
    enum class Outcome : uint8_t {
        Running,
        FixAgain,  // the fix was dropped and came back
        FixKept,   // the receiver never dropped its fix within the settle window
        NoFix,     // no fix within the time limit
        NotSent,   // the family cannot do this restart
        WriteFailed,
        LinkLost,
    };
    RestartKind Kind = RestartKind::Hot;
    ReceiverFamily Family = ReceiverFamily::Unknown;
    std::string WireBytes;  // what was written
    bool CommandWritten = false;
    Ack Acknowledgement = Ack::NotExpected;
    std::string AckMarker;  // the text or frame that acknowledged
    uint32_t AckDelayMs = 0;
    bool FixBefore = false;
    bool FixDropped = false;
    uint32_t FixAgainMs = 0;  // from the command to the first fix again
    Outcome Result = Outcome::Running;

    // The receiver took the command (where its family says so) and reported a fix again.
    [[nodiscard]] bool Succeeded() const;
    // The one monitor line: "  <Cold start: ... >".
    [[nodiscard]] std::string SummaryLine() const;
};

// "acknowledged", "refused", ... and "fix again", "no fix", ... as reports print them.
[[nodiscard]] std::string_view AckStateName(RestartReport::Ack ack);
[[nodiscard]] std::string_view RestartOutcomeName(RestartReport::Outcome outcome);

// Told when a verification ends.
class RestartVerificationListener {
  public:
    virtual ~RestartVerificationListener() = default;
    virtual void OnRestartVerified(const RestartReport& report) = 0;
};

// Follows every restart to its end and says what happened, in the debug memo as it happens
// and in one monitor line at the end: the command written (or that the family has nothing to
// send), the acknowledgement seen with its delay or missing after 5 s, the fix dropped or kept,
// and the first fix again.
class RestartVerification final : public RestartListener,
                                  public LineListener,
                                  public ReceiverReplyListener,
                                  public ConnectionListener {
  public:
    static constexpr uint32_t kAckWindowMs = 5000;
    static constexpr uint32_t kDefaultFixTimeoutMs = 300000;
    static constexpr uint32_t kHotSettleMs = 3000;
    static constexpr uint32_t kSettleMs = 15000;

    RestartVerification(const ReceiverRestart& restart, const SharedState& shared,
                        const ReceiverState& receiver, Clock& clock, MonitorOutput& output);

    void SetListener(RestartVerificationListener* listener) { listener_ = listener; }
    void SetFixTimeoutMs(uint32_t ms) { fixTimeoutMs_ = ms; }

    [[nodiscard]] const RestartReport& Report() const { return report_; }
    [[nodiscard]] bool Running() const { return report_.Result == RestartReport::Outcome::Running; }

    // RestartListener
    void OnRestartArmed(RestartKind kind) override;
    void OnRestartCommandWritten(RestartKind kind, const RestartCommand& command,
                                 std::string_view wireBytes, bool written) override;
    void OnRestartRefused(RestartKind kind, const RestartCommand& command) override;
    // LineListener: acknowledgement texts, and the fix of each decoded sentence.
    void OnLineReceived(std::string_view line) override;
    void OnSentenceDecoded(SentenceKind kind, std::string_view line) override;
    // ReceiverReplyListener: the binary acknowledgements and refusals.
    void OnRestartAcknowledged(FrameProtocol protocol, uint32_t tickMs) override;
    void OnRestartRefused(FrameProtocol protocol) override;
    // ConnectionListener: the windows run on the link's second; a disconnect ends the run.
    void OnLinkSecond() override { CheckTime(); }
    void OnDisconnected() override;

    // The time limits, checked on every second and by callers that poll.
    void CheckTime();

  private:
    void AckSeen(std::string marker, uint32_t atMs);
    void FixChanged();
    void Finish(RestartReport::Outcome outcome);
    void Memo(std::string_view text);
    [[nodiscard]] uint32_t SinceCommand() const;

    const ReceiverRestart& restart_;
    const SharedState& shared_;
    const ReceiverState& receiver_;
    Clock& clock_;
    MonitorOutput& output_;
    RestartVerificationListener* listener_ = nullptr;
    uint32_t fixTimeoutMs_ = kDefaultFixTimeoutMs;

    RestartReport report_ = NotStarted();
    static RestartReport NotStarted() {
        RestartReport report;
        report.Result = RestartReport::Outcome::NotSent;
        return report;
    }
    RestartAckMarkers markers_;
    uint32_t commandTickMs_ = 0;
};

}  // namespace gnss
