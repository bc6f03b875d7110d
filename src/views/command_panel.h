#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/monitor_output.h"
#include "base/user_prompts.h"
#include "control/identification_listener.h"
#include "control/receiver_identification.h"
#include "control/typed_command.h"
#include "control/ubx_hd_reception.h"
#include "link/connection_listener.h"
#include "link/receiver_port.h"
#include "link/shared_state.h"
#include "nmea/receiver_state.h"
#include "views/view_change_listener.h"

namespace gnss {

// The words typed into the logo strip's box that open hidden panels (upper-cased before the
// comparison).
enum class AccessPanel : uint8_t { None, CommandPanel, CorrectionsPanel };
[[nodiscard]] AccessPanel AccessPanelFor(std::string_view typedWord);

// The command panel: an editable box with the command history, the "No_checksum" and "CRLF"
// options (hidden in the standard layout) and "Send". It sends what the user types by the rules
// of PrepareTypedCommand, echoes it in the monitor (and the log), keeps the history, and shows
// itself when the receiver or the user asks for it.
class CommandPanel final : public ConnectionListener,
                           public IdentificationListener,
                           public ReceiverReplyListener {
  public:
    static constexpr std::string_view kSendCaption = "Send";
    static constexpr std::string_view kNoChecksumCaption = "No_checksum";
    static constexpr std::string_view kCrLfCaption = "CRLF";
    static constexpr std::string_view kInvalidData = "Invalid Data !";

    struct Deps {
        SharedState& Shared;
        const ReceiverState& Receiver;
        ReceiverPort& Port;
        IdentificationResult& Identification;
        UserPrompts& Prompts;
        MonitorOutput& Output;
    };
    explicit CommandPanel(const Deps& deps);

    // --- what the window shows ---
    [[nodiscard]] bool Visible() const { return visible_; }
    [[nodiscard]] bool Enabled() const { return enabled_; }
    [[nodiscard]] const std::string& EditText() const { return editText_; }
    [[nodiscard]] const std::vector<std::string>& History() const { return history_; }
    [[nodiscard]] bool NoChecksum() const { return noChecksum_; }
    [[nodiscard]] bool CrLf() const { return crLf_; }
    // The two options are hidden in the standard layout.
    [[nodiscard]] bool OptionsVisible() const { return false; }
    // Asks the window to put the focus into the box (after a refused checksum).
    [[nodiscard]] uint64_t FocusRequests() const { return focusRequests_; }

    // --- what the user does ---
    void SetEditText(std::string_view text);
    void SetNoChecksum(bool on);
    void SetCrLf(bool on);
    // The Enter key: "VER" shows the program's title, "RTCM" to MTK receivers does nothing,
    // everything else is sent.
    void EnterPressed(std::string_view windowTitle);
    void SendPressed();
    // A typed access word, the menu entry: show (or hide) the panel.
    void ShowPanel(bool shown);

    // The history read from the settings (empty entries skipped).
    void LoadHistory(const std::vector<std::string>& entries);

    void SetChangeListener(ViewChangeListener* listener) { listener_ = listener; }

    // ConnectionListener
    void OnConnectionChanging() override;
    void OnConnectionViewChanged() override { SyncEnabled(); }
    void OnConnecting() override { SyncEnabled(); }
    void OnDisconnected() override { SyncEnabled(); }
    // IdentificationListener
    void OnReceiverIdentified() override;
    void OnIdentificationChanged() override;
    // ReceiverReplyListener: an HD module information reply presets the box.
    void OnFrameHandled(FrameProtocol /*protocol*/, std::string_view /*name*/,
                        std::string_view /*frame*/) override;

    // While the monitor is paused the command controls rest.
    void SyncEnabled();

  private:
    void SendTypedCommand();
    void AfterSend();
    void Remember(const std::string& entry);
    void SyncVisibility();
    bool TakePreset();
    void Changed();

    Deps deps_;
    bool visible_ = false;
    bool enabled_ = false;
    std::string editText_;
    std::vector<std::string> history_;
    bool noChecksum_ = false;
    bool crLf_ = true;
    uint64_t focusRequests_ = 0;
    std::string presetShown_;
    ViewChangeListener* listener_ = nullptr;
};

}  // namespace gnss
