#include "views/command_panel.h"

#include <algorithm>

#include "nmea/text_fields.h"

namespace gnss {

namespace {

struct AccessWord {
    std::string_view Word;
    AccessPanel Panel;
};
constexpr AccessWord kAccessWords[] = {
    {"CMDS", AccessPanel::CommandPanel},
    {"RTCM", AccessPanel::CorrectionsPanel},
};

// The SecondsCounter span of the HD reply window a typed F1 D9 command opens.
constexpr int32_t kHdReplyWindowSeconds = 3;

}  // namespace

AccessPanel AccessPanelFor(std::string_view typedWord) {
    const std::string upper = ToUpperAscii(Trim(typedWord));
    for (const AccessWord& word : kAccessWords) {
        if (upper == word.Word) return word.Panel;
    }
    return AccessPanel::None;
}

CommandPanel::CommandPanel(const Deps& deps) : deps_(deps) {}

void CommandPanel::Changed() {
    if (listener_ != nullptr) listener_->OnViewChanged();
}

void CommandPanel::SetEditText(std::string_view text) {
    editText_ = text;
}

void CommandPanel::SetNoChecksum(bool on) {
    noChecksum_ = on;
    Changed();
}

void CommandPanel::SetCrLf(bool on) {
    crLf_ = on;
    Changed();
}

void CommandPanel::LoadHistory(const std::vector<std::string>& entries) {
    for (const std::string& entry : entries) {
        if (!Trim(entry).empty()) history_.push_back(entry);
    }
    Changed();
}

void CommandPanel::EnterPressed(std::string_view windowTitle) {
    switch (EnterKeyActionFor(editText_, deps_.Shared.Family)) {
        case EnterKeyAction::Nothing:
            return;
        case EnterKeyAction::ShowVersion:
            editText_ = windowTitle;
            Changed();
            return;
        case EnterKeyAction::Send:
            SendTypedCommand();
            AfterSend();
            return;
    }
}

void CommandPanel::SendPressed() {
    SendTypedCommand();
    AfterSend();
}

void CommandPanel::AfterSend() {
    if (ReturnsToHexPrefix(deps_.Shared.Family)) editText_ = kHexCommandPrefix;
    Changed();
}

void CommandPanel::SendTypedCommand() {
    if (!enabled_) return;
    const TypedCommandOptions options{noChecksum_, crLf_, deps_.Shared.Family};
    const TypedCommand command = PrepareTypedCommand(editText_, options);
    switch (command.Result) {
        case TypedCommand::Outcome::Nothing:
            return;
        case TypedCommand::Outcome::HexTextError:
            deps_.Output.AddMonitorLine(command.MonitorLine);
            return;
        case TypedCommand::Outcome::InvalidHexData:
            deps_.Prompts.ShowError(std::string(kInvalidData));
            return;
        case TypedCommand::Outcome::ChecksumError:
            deps_.Prompts.ShowError(command.ErrorMessage);
            ++focusRequests_;
            return;
        case TypedCommand::Outcome::Unsendable:
            deps_.Prompts.ShowError(command.ErrorMessage);
            ++focusRequests_;
            return;
        case TypedCommand::Outcome::Send:
            break;
    }
    if (command.OpensHdReplyWindow) {
        deps_.Shared.HedReplyDeadline = deps_.Receiver.SecondsCounter + kHdReplyWindowSeconds;
    }
    const bool open = deps_.Port.IsOpen();
    if (open && deps_.Port.Write(command.Bytes)) {
        deps_.Output.AddEchoLine(command.EchoLine);
    } else {
        deps_.Output.AddDebugLine(open ? "Command not sent: the port did not take it"
                                       : "Command not sent: the port is not open");
    }
    if (!command.HistoryEntry.empty()) Remember(command.HistoryEntry);
}

void CommandPanel::Remember(const std::string& entry) {
    const bool known = std::ranges::any_of(
        history_, [&](const std::string& item) { return EqualsIgnoringCase(item, entry); });
    if (!known) history_.insert(history_.begin(), entry);
}

void CommandPanel::ShowPanel(bool shown) {
    deps_.Identification.CommandPanelShown = shown;
    visible_ = shown;
    Changed();
}

void CommandPanel::SyncEnabled() {
    const bool enabled = deps_.Shared.PortOpen && !deps_.Shared.MonitorPaused;
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Changed();
}

void CommandPanel::OnConnectionChanging() {
    editText_.clear();
    noChecksum_ = false;
    presetShown_.clear();
    Changed();
}

void CommandPanel::SyncVisibility() {
    const IdentificationResult& id = deps_.Identification;
    visible_ = id.CommandPanelShown || id.TrafficMessageMode;
}

void CommandPanel::OnReceiverIdentified() {
    noChecksum_ = deps_.Identification.NoChecksum;
    OnIdentificationChanged();
}

void CommandPanel::OnFrameHandled(FrameProtocol, std::string_view, std::string_view) {
    if (TakePreset()) Changed();
}

bool CommandPanel::TakePreset() {
    const std::string& preset = deps_.Identification.CommandPreset;
    if (preset.empty() || preset == presetShown_) return false;
    editText_ = preset;
    presetShown_ = preset;
    return true;
}

void CommandPanel::OnIdentificationChanged() {
    (void)TakePreset();
    SyncVisibility();
    SyncEnabled();
    Changed();
}

}  // namespace gnss
