#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/scheduler.h"
#include "base/user_prompts.h"
#include "control/receiver_identification.h"
#include "control/restart_commands.h"
#include "control/ubx_hd_reception.h"
#include "link/connection_control.h"
#include "link/connection_listener.h"
#include "link/receive_listeners.h"
#include "link/receive_pipeline.h"
#include "link/receiver_port.h"

namespace gnss {

// What a restart tells the features that follow it (the fix-time measurement, the restart
// verification). Every method does nothing by default.
class RestartListener {
  public:
    virtual ~RestartListener() = default;
    // A restart was asked for while the port is open: measurements start over, before the
    // command is built.
    virtual void OnRestartArmed(RestartKind /*kind*/) {}
    // The command went out (`written` false when the port refused it), or nothing had to go
    // out for this family: `wireBytes` is then the bare line end or empty.
    virtual void OnRestartCommandWritten(RestartKind /*kind*/, const RestartCommand& /*command*/,
                                         std::string_view /*wireBytes*/, bool /*written*/) {}
    // The family cannot do this restart; nothing was written.
    virtual void OnRestartRefused(RestartKind /*kind*/, const RestartCommand& /*command*/) {}
    // The factory sequence of the family ended (the link searches its rate again).
    virtual void OnFactorySequenceDone() {}
};

// An assistance upload an HD receiver asked for with Ctrl or Alt on a restart button; it is
// carried out once the receiver has restarted.
enum class HdAssistRequest : uint8_t {
    None = 0,
    UploadLocalFile = 1,  // Ctrl: the locally saved frames
    DownloadCurrent = 2,  // Alt: fresh data from the server
};

// The restart buttons: one routine for the four kinds that writes each family's command,
// arms what follows a restart (acknowledgement frames, the settle tick, the ST one-shot clear,
// the MTK deferred EPO command after a factory reset) and, after a factory reset that may change
// the receiver's output, the ST sequence and the link's rate search.
class ReceiverRestart final : public ConnectionListener {
  public:
    struct Deps {
        ReceivePipeline& Pipeline;
        ReceiverPort& Port;
        Clock& SystemClock;
        Scheduler& Timers;
        UserPrompts& Prompts;
        ConnectionControl& Connection;
        UbxHdReception& Reception;
        const IdentificationResult& Identification;
    };
    explicit ReceiverRestart(const Deps& deps);

    void AddListener(RestartListener& listener) { listeners_.push_back(&listener); }

    // The routine behind the four buttons.
    void RestartReceiver(RestartKind kind);
    // A restart button released with Ctrl or Alt held (HD receivers, cold and warm start):
    // records the assistance request.
    void RecordHdAssistRequest(RestartKind kind, bool ctrlHeld, bool altHeld);

    // The target of the commands as identification describes the receiver.
    [[nodiscard]] RestartTarget Target() const;
    // Which buttons the receiver offers (the port open and the receiver identified).
    struct ButtonStates {
        bool Hot = false;
        bool Warm = false;
        bool Cold = false;
        bool Factory = false;
    };
    [[nodiscard]] ButtonStates Buttons() const;

    [[nodiscard]] RestartKind LastRestartKind() const { return lastKind_; }
    // SecondsCounter + 1 when the last command went out; fixes before it belong to the old run.
    [[nodiscard]] int32_t RestartSettleTick() const { return settleTick_; }
    [[nodiscard]] bool FactorySequenceRunning() const { return factoryStep_->Pending(); }
    HdAssistRequest PendingHdAssist = HdAssistRequest::None;

    // ConnectionListener: a connect or disconnect cancels pending steps (and so ends a pause
    // of the processing: the connection sets its own); the link's second runs the one-shot
    // steps due at a later second.
    void OnConnectionChanging() override;
    void OnLinkSecond() override;

  private:
    void Write(RestartKind kind, const RestartCommand& command);
    void AfterFactoryReset();
    void StFactorySequence();
    void RestartLinkSearch();
    void Notify(auto&& call);

    Deps deps_;
    std::vector<RestartListener*> listeners_;
    RestartKind lastKind_ = RestartKind::Hot;
    int32_t settleTick_ = 0;
    int32_t stClearDue_ = 0;    // SecondsCounter at which ST receivers' decoded state is cleared
    int32_t mtkEpoOffDue_ = 0;  // SecondsCounter at which the deferred EPO command goes out
    std::unique_ptr<DelayedCall> factoryStep_;
};

}  // namespace gnss
