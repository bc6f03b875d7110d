#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/clock.h"
#include "base/scheduler.h"
#include "sim/family_profiles.h"
#include "sim/mtk_epo_responder.h"
#include "sim/nmea_epoch_writer.h"
#include "sim/receiver_extra.h"
#include "sim/rtk_corrections.h"
#include "sim/sensor_sentences.h"
#include "sim/serial_line.h"
#include "sim/sim_assist_data.h"
#include "sim/sim_config.h"
#include "sim/sim_source.h"
#include "sim/sky_model.h"

namespace gnss::sim {

// One simulated receiver: NMEA output from a deterministic sky, the start-up texts, commands
// and acknowledgements of its chip family, restarts with reacquisition, baud-rate changes and
// faults on demand. Driven only by the Clock and Scheduler it is given (VirtualTime in tests,
// a real-time loop in gnss-sim); bytes leave through the output and arrive through Input. The
// output also hears a note for each command understood ("restart cold", "query", "baud 115200",
// ...) and, once, that the device vanished.
class SimulatedReceiver final : public SimSource {
  public:
    // Throws std::invalid_argument when the configuration names no known family/variant.
    SimulatedReceiver(Clock& clock, Scheduler& scheduler, const SimConfig& config);
    ~SimulatedReceiver() override;
    SimulatedReceiver(const SimulatedReceiver&) = delete;
    SimulatedReceiver& operator=(const SimulatedReceiver&) = delete;

    void SetOutput(SimSourceOutput* output) override;
    // Power on: start-up texts, then one epoch per navigation interval.
    void Start() override;
    void Input(std::string_view bytesFromTool) override;

    // What the receiver is doing, for tests and logs.
    [[nodiscard]] const FamilyProfile& Profile() const { return *profile_; }
    [[nodiscard]] const NmeaStyle& Style() const { return style_; }
    [[nodiscard]] uint32_t BaudRate() const { return line_.ReceiverBaud(); }
    [[nodiscard]] bool HasFix() const;
    [[nodiscard]] int RestartCount() const { return restartCount_; }
    [[nodiscard]] RestartKind LastRestartKind() const { return lastKind_; }
    [[nodiscard]] bool InSirfBinaryMode() const { return sirfBinary_; }
    // Milliseconds since Start() (on the Clock's tick) and when the next fix is due.
    [[nodiscard]] uint64_t ElapsedMs() const;
    [[nodiscard]] uint64_t FixDueMs() const { return fixDueMs_; }
    [[nodiscard]] bool Vanished() const { return vanished_; }
    // The assistance data taken (SGEE, HD), and whether the periodic NMEA output is on.
    [[nodiscard]] const SimAssistData& AssistData() const { return assist_; }
    [[nodiscard]] bool PeriodicOutputOn() const { return nmeaOff_ == 0; }
    // The EPO side of MTK receivers; nullptr for other families.
    [[nodiscard]] const MtkEpoResponder* Epo() const { return epo_.get(); }
    // What a special receiver adds (traffic radio, dead-reckoning drive); null for others.
    [[nodiscard]] ReceiverExtra* Extra() const { return extra_.get(); }

    // What really happened after each restart command, in ms since Start(): when the command
    // arrived, when its acknowledgement and the first boot text had left the line (0: none),
    // and when the first sentence of the new fix had left it.
    struct RestartTruth {
        RestartKind Kind = RestartKind::Hot;
        uint64_t CommandMs = 0;
        uint64_t AckDeliveredMs = 0;
        uint64_t BootDeliveredMs = 0;
        uint64_t FixDeliveredMs = 0;
    };
    [[nodiscard]] const std::vector<RestartTruth>& Truths() const { return truths_; }
    // Told when a restart's first fix has left the line.
    void SetTruthSink(std::function<void(const RestartTruth&)> sink) {
        truthSink_ = std::move(sink);
    }
    // The RTK behaviour (--rtk): RTCM corrections from the tool turn the fix from float to fixed.
    [[nodiscard]] RtkCorrectionInput* Rtk() { return rtk_.get(); }

  private:
    std::unique_ptr<RtkCorrectionInput> rtk_;
    struct Pending {
        uint64_t DueMs;
        uint64_t Sequence;
        Continuation Step;
    };

    void Later(uint32_t ms, Continuation step);
    void RunPending();
    void RearmPending();

    void Epoch();
    void SendLines(const std::vector<std::string>& sentences, bool droppable = false);
    void SendBytes(std::string_view bytes, bool droppable = false);
    // `truthNumber` (from 1) names the restart whose acknowledgement this is; 0 for others.
    void SendAck(const std::vector<std::string>& bytes, std::size_t truthNumber = 0);
    void SendFirstFix(const std::vector<std::string>& sentences);
    void ScheduleBoot();
    void SendBoot();
    void Restart(RestartKind kind);
    void ChangeBaudAfterDrain(uint32_t baud);
    void Vanish();
    void Note(const std::string& text);

    void ParseInput();
    void HandleLine(std::string_view line);
    void HandleFrame(std::string_view frame);
    void Act(const CommandRule& rule);
    void HandleMtkText(std::string_view line);
    void HandleSirfText(std::string_view line);
    void React(const AssistReaction& reaction);
    void DropSwitchedOff(std::vector<std::string>& sentences) const;
    void HandleUbxFrame(std::string_view frame);
    void HandleHdFrame(std::string_view frame);
    void HandleSirfFrame(std::string_view frame);
    [[nodiscard]] bool HasFixAt(uint64_t nowMs) const;

    Clock& clock_;
    Scheduler& scheduler_;
    SimConfig config_;
    const FamilyProfile* profile_;
    NmeaStyle style_;
    std::unique_ptr<SkyModel> sky_;
    std::unique_ptr<SensorSentences> sensors_;  // inertial and attitude sensor output
    std::unique_ptr<ReceiverExtra> extra_;
    SerialLine line_;
    SplitMix rng_;
    SimSourceOutput* output_ = nullptr;
    std::unique_ptr<Timer> epochTimer_;
    std::unique_ptr<Timer> garbageTimer_;
    std::unique_ptr<Timer> pendingTimer_;
    std::vector<Pending> pending_;
    uint64_t pendingSequence_ = 0;

    mutable uint32_t lastTick_ = 0;
    mutable uint64_t elapsedMs_ = 0;
    bool started_ = false;
    bool vanished_ = false;
    bool sirfBinary_ = false;

    double latDeg_;
    double lonDeg_;
    double courseDeg_;
    uint64_t epochCount_ = 0;

    uint64_t restartAtMs_ = 0;
    uint64_t fixDueMs_ = 0;
    uint64_t keepFixUntilMs_ = 0;
    int restartCount_ = 0;
    std::vector<RestartTruth> truths_;
    std::function<void(const RestartTruth&)> truthSink_;
    RestartKind lastKind_ = RestartKind::Hot;
    uint32_t bootBaud_ = 0;  // baud rate to switch to when the receiver boots next
    uint64_t bootGeneration_ = 0;
    int forwardEscapes_ = 0;

    std::string input_;
    std::string text_;
    std::string hdPortConfig_;
    SimAssistData assist_;
    uint8_t nmeaOff_ = 0;  // SiRF periodic messages switched off: bit n for message n
    std::unique_ptr<MtkEpoResponder> epo_;
};

}  // namespace gnss::sim
