#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "assist/sgee_packets.h"
#include "base/clock.h"
#include "base/monitor_output.h"
#include "base/scheduler.h"
#include "base/user_prompts.h"
#include "control/receiver_identification.h"
#include "link/connection_listener.h"
#include "link/receive_dispatch.h"
#include "link/receiver_port.h"
#include "link/sentence_chain.h"
#include "link/shared_state.h"
#include "nmea/receiver_state.h"

namespace gnss {

// Gauge colours of the SGEE window.
inline constexpr std::string_view kSgeeGaugeDownload = "#00FF00";  // green: bytes downloaded
inline constexpr std::string_view kSgeeGaugeUpload = "#FFFFE0";    // light yellow: sentences sent

// What the SGEE window ("SiRF AGPS Process") shows.
struct SgeeWindowView {
    bool Visible = false;
    std::string Caption = "SiRF AGPS Process";
    std::string ValidityText;  // the validity line
    std::string SecondsText;   // elapsed time of the transfer, "%4.2f Sec"
    bool GaugeVisible = false;
    uint32_t GaugeMax = 0;
    uint32_t GaugePosition = 0;
    std::string GaugeColour{kSgeeGaugeUpload};
    bool UpdateEnabled = false;
    bool CloseEnabled = true;
    bool CheckAgeEnabled = true;
};

// How the last transfer ended.
enum class SgeeOutcome : uint8_t { None, Running, Complete, NotSupported, Failed };

// The receiver's SGEE state as last reported.
struct SgeeStatus {
    bool Expected = false;       // a query is out and its reply is awaited
    int32_t ExpiresAt = 0;       // SecondsCounter at which the wait ends
    int Result = 0;              // 0 pending, 1 not available, 2 valid
    int64_t ValidSeconds = -99;  // -99 before a reply, -1 after a rejected query
};

// The SGEE upload of a SiRF receiver: the validity query and its replies, and the transfer of
// one file as sentences of 100 bytes at a raised rate with the receiver's periodic output off,
// one sentence in flight, each acknowledged before the next goes out. The receive processing
// is paused for the transfer, which drains the ring itself on a 13 ms tick.
//
// Whatever ends the transfer (the last acknowledgement, a rejection, a time-out, an error of
// the port, a disconnect or an abort) ends it the same way: the receiver is told its old rate,
// the port follows, the periodic output is switched on again and processing resumes.
class SgeeUpload final : public ConnectionListener {
  public:
    static constexpr uint32_t kFirstPeriodMs = 1000;
    static constexpr uint32_t kTickMs = 13;
    static constexpr int kTimeoutTicksHighSpeed = 250;
    static constexpr int kTimeoutTicks = 600;
    static constexpr uint32_t kHighSpeedRate = 460800;
    static constexpr uint32_t kRaisedRate = 115200;
    static constexpr uint32_t kSettleMs = 100;
    static constexpr int32_t kStatusWaitSeconds = 4;

    struct Deps {
        SharedState& Shared;
        ReceiverState& Receiver;
        ReceiveDispatcher& Dispatcher;
        ReceiverPort& Port;
        Clock& SystemClock;
        Scheduler& Timers;
        UserPrompts& Prompts;
        MonitorOutput& Output;
        const IdentificationResult& Identification;
    };
    explicit SgeeUpload(const Deps& deps);
    ~SgeeUpload() override;
    SgeeUpload(const SgeeUpload&) = delete;
    SgeeUpload& operator=(const SgeeUpload&) = delete;

    // Told whenever what the view shows changed.
    void SetChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }
    void JoinSentenceChain(SentenceChain& chain);

    // SiRF IV firmware built with "_SDK" takes SGEE at 460,800 bd.
    [[nodiscard]] bool HighSpeed() const;

    // Opens the window and asks the receiver how long its data remains valid.
    void OpenWindow();
    void CloseWindow();
    // The validity query alone (also repeated after a completed transfer).
    void QueryStatus();
    // The file is here (downloaded or read): refuses anything shorter than an SGEE file,
    // otherwise builds the sentences and starts the transfer. False when nothing started.
    bool UploadFile(std::string_view file);
    // Ends a running transfer as failed (and restores the receiver).
    void Abort();

    [[nodiscard]] bool Running() const { return phase_ != Phase::Idle; }
    [[nodiscard]] SgeeOutcome Outcome() const { return outcome_; }
    [[nodiscard]] const SgeeWindowView& View() const { return view_; }
    [[nodiscard]] const SgeeStatus& Status() const { return status_; }
    [[nodiscard]] const SgeeSentences& Sentences() const { return sentences_; }
    // Index of the next sentence to send, and when the transfer started sending (ms tick).
    [[nodiscard]] std::size_t NextIndex() const { return nextIndex_; }
    [[nodiscard]] uint32_t ElapsedMs() const { return elapsedMs_; }

    // The download's progress moves the gauge.
    void ShowDownloadProgress(uint64_t received, uint64_t total);
    // Buttons while a download runs, and after it.
    void SetButtonsBusy(bool busy);

    // ConnectionListener: the expiry of the status wait; a connect or disconnect ends a
    // transfer.
    void OnLinkSecond() override;
    void OnConnectionChanging() override;

  private:
    enum class Phase : uint8_t { Idle, RaisingRate, Settling, Sending, Finishing };

    bool HandleStatusReply(std::string_view line);
    void Tick();
    void FirstSendingTick();
    void SendingTick();
    void Finish();
    void FinishRestored();
    void SetNmeaOutput(bool on);
    bool Write(std::string_view sentence);
    void Changed();

    SharedState& shared_;
    ReceiverState& receiver_;
    ReceiveDispatcher& dispatcher_;
    ReceiverPort& port_;
    Clock& clock_;
    UserPrompts& prompts_;
    MonitorOutput& output_;
    const IdentificationResult& identification_;
    std::function<void()> changed_;

    std::unique_ptr<Timer> timer_;
    DelayedCall step_;
    SgeeWindowView view_;
    SgeeStatus status_;
    SgeeSentences sentences_;
    ReceiverFamily family_ = ReceiverFamily::Unknown;

    Phase phase_ = Phase::Idle;
    SgeeOutcome outcome_ = SgeeOutcome::None;
    int tickCount_ = 0;
    std::size_t nextIndex_ = 0;
    int timeoutCount_ = 0;
    int timeoutLimit_ = kTimeoutTicks;
    bool finished_ = false;
    bool notSupported_ = false;
    bool failed_ = false;
    bool ioError_ = false;
    SgeeReplyTexts expected_{};
    std::string received_;
    std::string drained_;
    uint32_t savedRate_ = 0;
    uint32_t startTick_ = 0;
    uint32_t elapsedMs_ = 0;
};

}  // namespace gnss
