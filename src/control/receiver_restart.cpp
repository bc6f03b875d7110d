#include "control/receiver_restart.h"

#include "control/ubx_hd_messages.h"

namespace gnss {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kOpenPortFirst = "Please Open GPS First !!";
// Receivers whose output format may change with a factory reset: the link searches again.
constexpr ReceiverFamily kFactoryChangesOutput[] = {ReceiverFamily::SiRF, ReceiverFamily::ublox,
                                                    ReceiverFamily::MTK,  ReceiverFamily::CMS,
                                                    ReceiverFamily::CM2,  ReceiverFamily::ST};
constexpr uint32_t kUbloxFactoryWaitMs = 200;
constexpr uint32_t kStStepMs = 20;
constexpr uint32_t kStSettleMs = 1000;
constexpr int32_t kStClearAfterSeconds = 2;
constexpr int32_t kMtkEpoOffAfterSeconds = 4;
constexpr int kFourteenDayEpo = 14;
constexpr std::string_view kMtkEpoOff = "$PMTK869,0*29";

bool FactoryChangesOutput(ReceiverFamily family) {
    for (ReceiverFamily f : kFactoryChangesOutput) {
        if (f == family) return true;
    }
    return false;
}

bool IsMtk(ReceiverFamily family) {
    return family == ReceiverFamily::MTK || family == ReceiverFamily::CM2;
}

}  // namespace

ReceiverRestart::ReceiverRestart(const Deps& deps)
    : deps_(deps), factoryStep_(std::make_unique<DelayedCall>(deps.Timers)) {}

void ReceiverRestart::Notify(auto&& call) {
    for (RestartListener* listener : listeners_) call(*listener);
}

RestartTarget ReceiverRestart::Target() const {
    const IdentificationResult& id = deps_.Identification;
    RestartTarget target;
    target.Family = deps_.Pipeline.Shared.Family;
    target.DrRtkVariant = id.DrRtkVariant;
    target.DrBaseChip = id.DrBaseChip;
    target.FirmwareText = id.FirmwareText;
    target.HdPlainChip = id.HdPlainChip;
    return target;
}

ReceiverRestart::ButtonStates ReceiverRestart::Buttons() const {
    const SharedState& shared = deps_.Pipeline.Shared;
    const IdentificationResult& id = deps_.Identification;
    ButtonStates buttons;
    if (!shared.PortOpen || !shared.ReceiverIdentified || shared.MonitorPaused ||
        shared.Family == ReceiverFamily::Unknown || shared.Family == ReceiverFamily::TMC) {
        return buttons;
    }
    buttons.Hot = true;
    buttons.Cold = true;
    buttons.Warm = shared.Family != ReceiverFamily::RTK_DF;
    buttons.Factory = !(id.SirfRomPatch || id.StUsbFirmware ||
                        (shared.Family == ReceiverFamily::HED && id.HdPlainChip));
    return buttons;
}

void ReceiverRestart::RestartReceiver(RestartKind kind) {
    SharedState& shared = deps_.Pipeline.Shared;
    if (!shared.PortOpen) {
        deps_.Prompts.ShowWarning(std::string(kOpenPortFirst));
        return;
    }
    const int32_t now = deps_.Pipeline.Receiver.SecondsCounter;
    Notify([kind](RestartListener& l) { l.OnRestartArmed(kind); });
    if (shared.Family == ReceiverFamily::ST) stClearDue_ = now + kStClearAfterSeconds;

    const RestartCommand command = BuildRestartCommand(Target(), kind);
    if (command.Refused) {
        if (!command.Warning.empty()) deps_.Prompts.ShowWarning(command.Warning);
        Notify([&](RestartListener& l) { l.OnRestartRefused(kind, command); });
        return;
    }
    Write(kind, command);
    settleTick_ = deps_.Pipeline.Receiver.SecondsCounter + 1;
    lastKind_ = kind;

    if (kind == RestartKind::Factory) {
        if (IsMtk(shared.Family) && deps_.Identification.EpoPeriodDays == kFourteenDayEpo) {
            mtkEpoOffDue_ = now + kMtkEpoOffAfterSeconds;
        }
        if (FactoryChangesOutput(shared.Family)) AfterFactoryReset();
    }
}

void ReceiverRestart::Write(RestartKind kind, const RestartCommand& command) {
    SharedState& shared = deps_.Pipeline.Shared;
    ReceiverState& receiver = deps_.Pipeline.Receiver;
    bool written = false;
    switch (command.Mode) {
        case RestartSendMode::Ubx:
            deps_.Reception.UbxAckTick = 0;
            deps_.Reception.ExpectRestartAck(command.ExpectedAck);
            written = SendUbxCommand(shared, receiver, deps_.Port, command.Bytes);
            break;
        case RestartSendMode::Hd:
            deps_.Reception.HdAckTick = 0;
            deps_.Reception.ExpectRestartAck(command.ExpectedAck);
            written = SendHdCommand(shared, receiver, deps_.Port, command.Bytes);
            break;
        case RestartSendMode::TextLine:
            written = deps_.Port.Write(RestartWireBytes(command));
            break;
    }
    const std::string wire = RestartWireBytes(command);
    Notify([&](RestartListener& l) { l.OnRestartCommandWritten(kind, command, wire, written); });
}

void ReceiverRestart::AfterFactoryReset() {
    switch (deps_.Pipeline.Shared.Family) {
        case ReceiverFamily::ublox:
            factoryStep_->After(kUbloxFactoryWaitMs, [this] { RestartLinkSearch(); });
            break;
        case ReceiverFamily::ST:
            StFactorySequence();
            break;
        default:
            RestartLinkSearch();
            break;
    }
}

// The parameters were restored; a cold start and a system reset follow, with the processing
// paused so that the boot texts are not taken for the old configuration. Each wait is a
// continuation; a disconnect in between cancels the rest and leaves nothing paused.
void ReceiverRestart::StFactorySequence() {
    deps_.Pipeline.Dispatcher.PauseProcessing();
    factoryStep_->After(kStStepMs, [this] {
        (void)deps_.Port.Write("\r\n$PSTMCOLD,15\r\n");
        factoryStep_->After(kStStepMs, [this] {
            (void)deps_.Port.Write("$PSTMSRR\r\n");
            factoryStep_->After(kStSettleMs, [this] {
                deps_.Pipeline.Dispatcher.ClearRxBuffer();
                settleTick_ = deps_.Pipeline.Receiver.SecondsCounter + 1;
                if (deps_.Pipeline.Shared.PortOpen) deps_.Pipeline.Dispatcher.ResumeProcessing();
                RestartLinkSearch();
            });
        });
    });
}

void ReceiverRestart::RestartLinkSearch() {
    if (!deps_.Pipeline.Shared.PortOpen) return;
    deps_.Connection.StartFactoryDetection();
    Notify([](RestartListener& l) { l.OnFactorySequenceDone(); });
}

void ReceiverRestart::RecordHdAssistRequest(RestartKind kind, bool ctrlHeld, bool altHeld) {
    if (deps_.Pipeline.Shared.Family != ReceiverFamily::HED) return;
    if (kind != RestartKind::Cold && kind != RestartKind::Warm) return;
    if (ctrlHeld) {
        PendingHdAssist = HdAssistRequest::UploadLocalFile;
    } else if (altHeld) {
        PendingHdAssist = HdAssistRequest::DownloadCurrent;
    }
}

void ReceiverRestart::OnConnectionChanging() {
    factoryStep_->Cancel();
    stClearDue_ = 0;
    mtkEpoOffDue_ = 0;
    PendingHdAssist = HdAssistRequest::None;
}

void ReceiverRestart::OnLinkSecond() {
    const int32_t now = deps_.Pipeline.Receiver.SecondsCounter;
    if (stClearDue_ != 0 && now >= stClearDue_) {
        stClearDue_ = 0;
        deps_.Pipeline.Decoder.ResetDecoder();
        deps_.Pipeline.Receiver.FixValid = false;
    }
    if (mtkEpoOffDue_ != 0 && now >= mtkEpoOffDue_) {
        mtkEpoOffDue_ = 0;
        if (IsMtk(deps_.Pipeline.Shared.Family)) {
            (void)deps_.Port.Write(std::string(kMtkEpoOff) + std::string(kCrLf));
        }
    }
}

}  // namespace gnss
