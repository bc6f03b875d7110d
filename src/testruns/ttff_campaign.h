#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/date_time.h"
#include "base/scheduler.h"
#include "control/identification_listener.h"
#include "control/receiver_identification.h"
#include "control/receiver_restart.h"
#include "control/restart_verification.h"
#include "link/connection_listener.h"
#include "link/receive_pipeline.h"
#include "testruns/ttff_measurement.h"

namespace gnss {

// What a campaign runs: restarts of the chosen kinds in turn, each until its fix or its time
// limit, with a pause after each fix.
struct CampaignSettings {
    static constexpr int kMaxRuns = 10000;
    std::vector<RestartKind> Kinds{RestartKind::Cold};
    int Runs = 20;                // 1 .. kMaxRuns
    uint32_t TimeoutMs = 300000;  // per run
    uint32_t PauseMs = 5000;      // after a run, before the next restart
    bool StopOnFirstFailure = false;
};

enum class RunOutcome : uint8_t {
    Fix,
    Timeout,            // no fix within the time limit, though the receiver took the command
    NoAcknowledgement,  // no fix, and the receiver never acknowledged (or refused) the command
    LinkLost,           // the receiver went away during the run
    NotSent,            // the family cannot do this restart
};
[[nodiscard]] std::string_view RunOutcomeName(RunOutcome outcome);  // "fix", "timeout", ...

// One run of a campaign, as the table and the exports show it.
struct CampaignRun {
    int Number = 0;  // from 1
    RestartKind Kind = RestartKind::Cold;
    DateTime Start{};  // wall clock (local) when the command went out
    bool AckExpected = false;
    bool AckSeen = false;
    uint32_t AckDelayMs = 0;
    bool FixDropped = false;
    bool HasTtff = false;
    bool TtffFromAck = false;    // the figure runs from the acknowledgement (else whole seconds)
    uint32_t TtffMs = 0;         // the status bar's figure in ms
    uint32_t FromCommandMs = 0;  // from the command written to the first fix
    int FixQuality = 0;
    int SatellitesUsed = 0;
    double Hdop = 0.0;
    bool HasPosition = false;
    double LatitudeDeg = 0.0;
    double LongitudeDeg = 0.0;
    double DistanceFromMedianM = 0.0;  // from the median position of the campaign's fixes
    RunOutcome Outcome = RunOutcome::Timeout;
};

// Figures of one restart kind over the finished runs.
struct KindSummary {
    RestartKind Kind = RestartKind::Cold;
    int Runs = 0;
    int Fixes = 0;
    int Failures = 0;
    // Over the fixes' TTFF in ms; 0 without fixes.
    double MinMs = 0, MedianMs = 0, MeanMs = 0, P95Ms = 0, MaxMs = 0;
};

// Told as a campaign moves on.
class CampaignListener {
  public:
    virtual ~CampaignListener() = default;
    virtual void OnRunStarted(int /*number*/, RestartKind /*kind*/) {}
    virtual void OnRunFinished(const CampaignRun& /*run*/) {}
    virtual void OnCampaignFinished() {}
};

// Repeated restarts with statistics: every run restarts through the same routine as the
// buttons, so the fix-time measurement and the restart verification apply unchanged. A
// disconnect counts the running run as "link lost"; the campaign goes on once the receiver is
// back and identified. It can be stopped at any time.
class TtffCampaign final : public TtffListener,
                           public ConnectionListener,
                           public IdentificationListener,
                           public RestartListener {
  public:
    struct Deps {
        ReceivePipeline& Pipeline;
        Clock& SystemClock;
        Scheduler& Timers;
        ReceiverRestart& Restart;
        const RestartVerification& Verification;
        const ReceiverIdentification& Identification;
    };
    explicit TtffCampaign(const Deps& deps);

    void AddListener(CampaignListener& listener) { listeners_.push_back(&listener); }

    // The receiver can take a campaign now: identified, restartable, the port open.
    [[nodiscard]] bool CanStart() const;
    // Starts a campaign (the settings clamped to their ranges); false when it cannot start.
    bool Start(CampaignSettings settings);
    // Ends the campaign now; a running run is dropped (not counted).
    void Stop();

    [[nodiscard]] bool Running() const { return running_; }
    [[nodiscard]] const CampaignSettings& Settings() const { return settings_; }
    [[nodiscard]] const std::vector<CampaignRun>& Runs() const { return runs_; }
    [[nodiscard]] int CurrentRun() const { return current_; }  // 0 between runs
    [[nodiscard]] std::vector<KindSummary> Summary() const;
    // Receiver identity for the exports: family and firmware when the campaign started.
    [[nodiscard]] const std::string& Family() const { return family_; }
    [[nodiscard]] const std::string& Firmware() const { return firmware_; }
    [[nodiscard]] DateTime Started() const { return started_; }

    // TtffListener
    void OnTtffFix(const TtffResult& result) override;
    // RestartListener: the moment the command went out.
    void OnRestartCommandWritten(RestartKind kind, const RestartCommand& command,
                                 std::string_view wireBytes, bool written) override;
    void OnRestartRefused(RestartKind kind, const RestartCommand& command) override;
    // ConnectionListener: a disconnect loses the run.
    void OnDisconnected() override;
    // IdentificationListener: back after a disconnect. A receiver that names itself only at
    // start-up is not identified again after a reconnect; when identification gives up, the
    // campaign takes it for the receiver it started with.
    void OnReceiverIdentified() override;
    void OnIdentificationChanged() override;

  private:
    void StartRun();
    void FinishRun(RunOutcome outcome);
    void ScheduleNext(uint32_t delayMs);
    void UpdateDistances();
    void End();

    Deps deps_;
    std::vector<CampaignListener*> listeners_;
    CampaignSettings settings_;
    std::vector<CampaignRun> runs_;
    bool running_ = false;
    bool waitingForReceiver_ = false;
    int current_ = 0;  // number of the run in progress, 0 when none
    int started_runs_ = 0;
    CampaignRun run_;
    uint32_t commandTickMs_ = 0;
    std::string family_;
    ReceiverFamily campaignFamily_ = ReceiverFamily::Unknown;
    std::string firmware_;
    DateTime started_{};
    std::unique_ptr<DelayedCall> timeout_;
    std::unique_ptr<DelayedCall> next_;
};

// The exports: CSV (a commented header with the settings and the receiver, one row per run,
// then the summary rows) and JSON (one object with "settings", "receiver", "runs", "summary").
[[nodiscard]] std::string CampaignCsv(const TtffCampaign& campaign);
[[nodiscard]] std::string CampaignJson(const TtffCampaign& campaign);

}  // namespace gnss
