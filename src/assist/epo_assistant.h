#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "assist/assist_download.h"
#include "assist/assist_servers.h"
#include "assist/epo_file.h"
#include "assist/epo_status.h"
#include "assist/epo_transfer.h"
#include "base/clock.h"
#include "base/monitor_output.h"
#include "base/scheduler.h"
#include "base/user_prompts.h"
#include "control/receiver_identification.h"
#include "link/connection_listener.h"
#include "link/receive_pipeline.h"
#include "link/sentence_chain.h"

namespace gnss {

using EpoRgb = uint32_t;                                     // #RRGGBB
inline constexpr EpoRgb kEpoGaugeUploadColour = 0xFFFFE0;    // light yellow
inline constexpr EpoRgb kEpoGaugeDownloadColour = 0x00C000;  // green

// What the EPO window shows; the window only paints it.
struct EpoWindowView {
    static constexpr std::string_view kCaption = "AGPS Data Update";
    bool Visible = false;
    std::string PeriodText;       // the receiver's EPO period, "7d" or "14d"
    std::string ValidityText;     // "[GPS]--AGPS data is valid for 6 day(s) 3 hour(s)"
    std::string EasyText;         // "EASY : On" / "EASY : Off"
    std::string ElapsedText;      // "%4.1f Sec" during an upload
    std::string ActivityText;     // what runs now: "Downloading ...", "Uploading ...", ""
    bool ButtonsEnabled = false;  // "Update", "Close", "From file...", "Servers..."
    bool CancelEnabled = false;   // while a download or an upload runs
    bool EpoIChecked = false;     // "EPO", for MTK-3329 use only
    bool GaugeVisible = false;
    uint32_t GaugeMax = 0;
    uint32_t GaugePosition = 0;
    EpoRgb GaugeColour = kEpoGaugeUploadColour;
};

// How the receiver's EASY assistance was last reported.
enum class EasyState : uint8_t { Unknown, Off, On };

// Assistance data for MTK receivers: the EPO window's model and its actions. It asks the
// receiver for its EPO status ("$PMTK607", answered by "$PMTK707") and shows how long the data
// lasts; "Update" downloads the file for the receiver's EPO period (unless the receiver's data is
// younger than 26 hours), checks it and uploads it through EpoTransfer; "From file..." uploads a
// file from disk with the same checks. It also runs the EASY status query and its "off" command.
class EpoAssistant final : public ConnectionListener, private EpoTransferListener {
  public:
    static constexpr uint32_t kButtonPollMs = 200;
    static constexpr int32_t kEasyQueryDelaySeconds = 2;
    static constexpr int32_t kEasyReplySeconds = 5;
    static constexpr std::size_t kMaxFileBytes = 4 * 1024 * 1024;
    static constexpr std::string_view kEasyQuery = "$PMTK869,0*29\r\n";
    static constexpr std::string_view kEasyOff = "$PMTK869,1,0*34\r\n";
    static constexpr std::string_view kUserAgent = "Mozilla/3.0 (compatible; Indy Library)";
    static constexpr std::string_view kAccept = "text/html, */*";

    struct Deps {
        ReceivePipeline& Pipeline;
        ReceiverPort& Port;
        Scheduler& Timers;
        Clock& SystemClock;
        UserPrompts& Prompts;
        MonitorOutput& Output;
        IdentificationResult& Identification;
        EpoTransfer& Transfer;
        const AssistServerAddresses& Servers;
        // The status bar's EASY panel ("EASY:On", "EASY:Off", "" to clear).
        std::function<void(std::string_view)> ShowEasyPanel;
        // Something in the view changed.
        std::function<void()> ViewChanged;
    };
    explicit EpoAssistant(Deps deps);
    ~EpoAssistant() override;
    EpoAssistant(const EpoAssistant&) = delete;
    EpoAssistant& operator=(const EpoAssistant&) = delete;

    // The network side; without a downloader every download fails with a message.
    void SetNetwork(AssistDownloader* downloader, const NetworkStatus* network) {
        downloader_ = downloader;
        network_ = network;
    }

    // --- the window's actions ---
    // Asks the receiver for its status and shows the window; the first opening keeps the buttons
    // disabled until the receiver has answered.
    void OpenWindow();
    // "Close" (and closing the window): ends a running download or upload first.
    void CloseWindow();
    // "Update".
    void UpdateClicked();
    // "From file...": the file the user chose.
    void UploadFileClicked(const std::filesystem::path& path);
    // "Cancel" of a running download or upload.
    void CancelClicked();
    // "off": turns EASY off and asks again two seconds later.
    void EasyOffClicked();
    void SetEpoIChecked(bool checked);
    // Schedules the EASY query two seconds ahead (the toolbar action does so).
    void ScheduleEasyQuery();

    // --- for the command line: the same steps without the window ---
    // Downloads `url`, expecting the size of the receiver's EPO period, and uploads it.
    void DownloadAndUpload(const std::string& url);
    // Checks and uploads file contents (false with the box shown when they are no EPO data).
    bool UploadBytes(std::string bytes);
    // Asks the receiver for its EPO status.
    void QueryStatus();

    // --- state ---
    [[nodiscard]] const EpoWindowView& View() const { return view_; }
    [[nodiscard]] const EpoStatus& Status() const { return status_; }
    [[nodiscard]] bool StatusKnown() const { return statusKnown_; }
    [[nodiscard]] bool ExpectingStatus() const { return expectStatus_; }
    [[nodiscard]] EasyState Easy() const { return easy_; }
    [[nodiscard]] bool Busy() const { return downloading_ || deps_.Transfer.Running(); }
    // The file that fits the receiver: server slot and size.
    [[nodiscard]] AssistServer ServerForReceiver() const;
    [[nodiscard]] uint32_t ExpectedSizeForReceiver() const;
    // How the last download, upload or check ended: empty while none ended, "Update success !"
    // or the message shown.
    [[nodiscard]] const std::string& LastOutcome() const { return lastOutcome_; }
    [[nodiscard]] bool LastOutcomeOk() const { return lastOutcomeOk_; }

    void JoinSentenceChain(SentenceChain& chain);
    // ConnectionListener
    void OnConnectionChanging() override;
    void OnLinkSecond() override;

  private:
    // EpoTransferListener
    void OnEpoPacketAccepted(uint32_t acknowledged, uint32_t lastIndex,
                             double elapsedSeconds) override;
    void OnEpoTransferDone() override;
    void OnEpoTransferConfirmed() override;
    void OnEpoTransferFailed(const std::string& message) override;

    bool HandleStatusReply(std::string_view line);
    void HandleEasyReply(std::string_view line);
    void StartDownload(const std::string& url, uint32_t expectedSize);
    void Downloaded(const DownloadResult& result, const std::string& url, uint32_t expectedSize);
    bool PrepareAndStart(std::string bytes);
    void Fail(const std::string& message, bool asError);
    void Finish(const std::string& outcome, bool ok);
    void SetButtons(bool enabled);
    void ShowValidity();
    void Changed();

    Deps deps_;
    AssistDownloader* downloader_ = nullptr;
    const NetworkStatus* network_ = nullptr;
    std::unique_ptr<Timer> buttonPoll_;
    EpoWindowView view_;
    EpoStatus status_;
    bool statusKnown_ = false;
    bool expectStatus_ = false;
    bool windowCreated_ = false;
    bool downloading_ = false;
    bool easyOutstanding_ = false;
    int32_t easyExpiry_ = 0;
    EasyState easy_ = EasyState::Unknown;
    std::string lastOutcome_;
    bool lastOutcomeOk_ = false;
};

}  // namespace gnss
