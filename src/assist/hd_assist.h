#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "assist/hd_assist_messages.h"
#include "base/clock.h"
#include "base/monitor_output.h"
#include "base/user_prompts.h"
#include "control/identification_listener.h"
#include "control/receiver_restart.h"
#include "control/ubx_hd_reception.h"
#include "link/connection_listener.h"
#include "link/receive_listeners.h"
#include "link/receiver_port.h"
#include "link/shared_state.h"
#include "nmea/nmea_decoder.h"
#include "nmea/receiver_state.h"
#include "testruns/ttff_measurement.h"

namespace gnss {

inline constexpr std::string_view kHdHexFileName = "HED_AGPS.hex";
inline constexpr int32_t kHdReplyWindowSeconds = 2;

struct HdGaugeView {
    uint32_t Position = 0;
    uint32_t Max = 0;
    std::string Colour{kHdGaugeIdle};
};

// What the HD page of the main window shows.
struct HdPageView {
    bool Visible = false;                     // only for HD receivers
    std::array<HdGaugeView, 2> Gauges;        // by HdbKind
    std::array<std::string, 2> TimeTexts;     // Last-Modified or the download's error
    std::array<std::string, 2> Descriptions;  // "**" + kind + ":" + time + " (" + size + ")"
    bool GpsTicked = true;
    bool BdsTicked = true;
    bool SaveTicked = false;
    InitialAiding Aiding = InitialAiding::None;
    std::string FileName{"file_gnss_aid_eph.hdb"};
    bool Busy = false;  // a download runs
};

// How the last upload ended.
enum class HdUploadOutcome : uint8_t { None, Active, Complete, Stalled };

// The HD assistance data of HD receivers: uploads of ephemeris files paced by the receiver's
// acknowledgements, injection of saved frames from a hex file, the initial-aiding messages,
// and the upload a restart with Ctrl or Alt asked for, carried out once the restart has been
// acknowledged. The downloads themselves are handed in (SetDownloaded).
class HdAssist final : public ReceiverReplyListener,
                       public ConnectionListener,
                       public IdentificationListener,
                       public TtffListener,
                       public LineListener {
  public:
    struct Deps {
        SharedState& Shared;
        ReceiverState& Receiver;
        const NmeaDecoder& Decoder;
        ReceiverPort& Port;
        Clock& SystemClock;
        UserPrompts& Prompts;
        MonitorOutput& Output;
        ReceiverRestart& Restart;
        std::filesystem::path ProgramFolder;
        // Where files go when the current folder cannot be written.
        std::filesystem::path FallbackFolder;
    };
    explicit HdAssist(const Deps& deps);

    // Told whenever what the view shows changed.
    void SetChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }
    // Runs the online update (download and upload) for the armed restart action; its argument
    // says whether the downloads are saved (never for the restart action).
    void SetOnlineUpdate(std::function<void(bool save)> update) {
        onlineUpdate_ = std::move(update);
    }

    [[nodiscard]] const HdPageView& View() const { return view_; }
    HdPageView& Options() { return view_; }

    // Uploads a file's frames; false (nothing sent) when its length is not a positive multiple
    // of 73 or 100 bytes.
    bool Upload(std::string_view file);
    // After the GNSS file, the BeiDou file goes next when its box is ticked.
    bool UploadDownloaded();
    // The downloaded buffer of a kind (kept until the next download).
    void SetDownloaded(HdbKind kind, std::string data, std::string_view lastModified);
    [[nodiscard]] const std::string& Downloaded(HdbKind kind) const {
        return buffers_[static_cast<std::size_t>(kind)];
    }
    void ShowDownloadStart(HdbKind kind);
    void ShowDownloadProgress(HdbKind kind, uint64_t received, uint64_t total);
    void ShowDownloadError(HdbKind kind, std::string_view text);
    void SetBusy(bool busy);
    // Saves a downloaded buffer under its file name, in the current folder or, when that is
    // not writable, in the fallback folder; returns the path written (empty on failure, and
    // for an empty buffer, which writes nothing).
    std::filesystem::path SaveDownloaded(HdbKind kind, const std::filesystem::path& folder);

    // Sends the message of the selected initial-aiding option; false when none or not written.
    bool SendInitialAiding(InitialAiding aiding);
    // Sends each line of a hex file as one frame; the number of frames sent.
    std::size_t InjectHexFile(const std::filesystem::path& path);
    // "Update HDB from file": ".hdb" uploads, ".hex" injects, other extensions do nothing.
    void UpdateFromFile(const std::filesystem::path& path);
    // The speed button beside the file name.
    void UpdateFromNamedFile();

    [[nodiscard]] HdUploadOutcome Outcome() const { return outcome_; }
    [[nodiscard]] bool UploadActive() const { return outcome_ == HdUploadOutcome::Active; }
    [[nodiscard]] std::size_t MessagesSent() const { return messagesSent_; }
    [[nodiscard]] uint32_t UploadElapsedMs() const { return elapsedMs_; }
    [[nodiscard]] std::size_t BytesSent() const { return bytesSent_; }

    // ReceiverReplyListener: the acknowledgement of an upload message.
    void OnHdAcknowledged(uint8_t ackedClass, uint8_t ackedId) override;
    // ConnectionListener: an upload without its acknowledgement ends; a connect drops it.
    void OnLinkSecond() override;
    void OnConnectionChanging() override;
    // IdentificationListener: the page shows for HD receivers only.
    void OnReceiverIdentified() override { SyncVisible(); }
    void OnIdentificationChanged() override { SyncVisible(); }
    // TtffListener: the restart was acknowledged; the next sentence runs an armed request.
    void OnTtffStart(uint32_t tickMs) override;
    // LineListener
    void OnLineReceived(std::string_view line) override;

  private:
    void SendNextMessage();
    void Complete();
    void SyncVisible();
    void Changed();
    bool Write(std::string_view bytes);
    void RunArmedRequest();

    SharedState& shared_;
    ReceiverState& receiver_;
    const NmeaDecoder& decoder_;
    ReceiverPort& port_;
    Clock& clock_;
    UserPrompts& prompts_;
    MonitorOutput& output_;
    ReceiverRestart& restart_;
    std::filesystem::path programFolder_;
    std::filesystem::path fallbackFolder_;
    std::function<void()> changed_;
    std::function<void(bool save)> onlineUpdate_;

    HdPageView view_;
    std::array<std::string, 2> buffers_;
    std::optional<HdbUploadPlan> plan_;
    std::size_t nextMessage_ = 0;
    std::size_t messagesSent_ = 0;
    std::size_t framesTaken_ = 0;
    std::size_t bytesSent_ = 0;
    uint32_t startTick_ = 0;
    uint32_t elapsedMs_ = 0;
    HdUploadOutcome outcome_ = HdUploadOutcome::None;
    bool restartAcknowledged_ = false;
};

}  // namespace gnss
