#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/clock.h"
#include "base/monitor_output.h"
#include "control/identification_listener.h"
#include "control/receiver_identification.h"
#include "corrections/correction_source.h"
#include "corrections/rtcm3_frames.h"
#include "link/connection_listener.h"
#include "link/receiver_port.h"
#include "link/shared_state.h"
#include "nmea/receiver_state.h"

namespace gnss {

inline constexpr std::string_view kCorrectionHost = "127.0.0.1";
inline constexpr uint16_t kDefaultCorrectionPort = 16800;

// The texts and looks of the corrections panel's status line.
inline constexpr std::string_view kLinkConnectedText = "NTrip connected";
inline constexpr std::string_view kLinkFailedText = "Please check NTrip connection !";
inline constexpr std::string_view kLinkClosedText = "NTrip disconnect";
inline constexpr std::string_view kLinkCheckBoxCaption = "Ntrip_TCPIP";
inline constexpr std::string_view kCasterUnreachableText = "The NTRIP caster is unreachable";

enum class LinkStatusLook : uint8_t { Plain, Connected, Closed, Failed };
struct LinkStatusColours {
    uint32_t Text;  // #RRGGBB
    uint32_t Background;
};
[[nodiscard]] LinkStatusColours ColoursFor(LinkStatusLook look);

// Receivers that are given corrections: these families, and the maker's RTK modules whatever
// family identification gave them.
[[nodiscard]] bool FamilyTakesCorrections(ReceiverFamily family);

// One row of the panel's table of received message types.
struct RtcmTypeRow {
    uint16_t MessageType = 0;
    std::string Name;
    uint64_t Count = 0;
};

// Everything the corrections panel shows, computed here; the window only draws it.
struct RtcmPanelView {
    bool Visible = false;
    bool LinkTicked = false;  // "Ntrip_TCPIP"
    std::string StatusText;   // status line
    LinkStatusColours StatusColours{};
    std::string SecondsText;               // "%3d" seconds since the link started
    std::string SizeText;                  // "%3d,  %3d" bytes this second, total
    std::string StepText;                  // "%d" milliseconds the last step took
    std::array<std::string, 3> StatusBar;  // the panel's own status bar
    std::vector<RtcmTypeRow> Types;        // per message type, ascending
    std::string FramesText;                // "Frames 120, CRC errors 0, other bytes 0"
    std::string StationText;               // reference station id and position
    std::string AgeText;                   // age of the last good frame
};

// The correction link: a TCP connection to the local NTRIP client's output, whose bytes are taken
// once a second and written unchanged to the receiver, with the counts, the panel's texts and its
// visibility. The RTCM 3 frames in the forwarded bytes are counted on the side.
class RtcmForwarding final : public ConnectionListener, public IdentificationListener {
  public:
    struct Deps {
        const SharedState& Shared;
        const ReceiverState& Receiver;
        ReceiverPort& Port;
        Clock& SystemClock;
        const IdentificationResult& Identification;
        MonitorOutput& Output;
    };
    explicit RtcmForwarding(const Deps& deps);

    // The adapter of the TCP connection (NoCorrectionSource until one is given).
    void SetSource(CorrectionSource& source) { source_ = &source; }
    void ResetSource() { source_ = &noSource_; }
    void SetLocalPort(uint16_t port) { localPort_ = port; }
    [[nodiscard]] uint16_t LocalPort() const { return localPort_; }
    // Told when the panel's texts changed, and of the main status bar's text ("%d/%d").
    std::function<void()> OnChanged;
    std::function<void(std::string_view)> OnStatusBarText;

    // --- what the user does ---
    // Ticking or unticking "Ntrip_TCPIP".
    void SetLinkTicked(bool ticked);
    // The panel's access word was typed: shown when the receiver is one that is offered it.
    void AccessWordEntered();
    // The menu entry: shows or hides the panel.
    void TogglePanel();

    // The NTRIP client still serves its port but has lost its caster: the link ends as when the
    // client itself ends, and the panel says why.
    void CasterUnreachable();

    // The once-a-second step: take what the source has, forward it, update the lines.
    void ForwardRtcm();

    [[nodiscard]] bool LinkOn() const { return linkOn_; }
    [[nodiscard]] bool PanelAvailable() const { return panelAvailable_; }
    [[nodiscard]] uint64_t TotalBytes() const { return totalBytes_; }
    [[nodiscard]] int32_t LinkStartSecond() const { return linkStartSecond_; }
    [[nodiscard]] const Rtcm3Scanner::Statistics& Frames() const { return scanner_.Stats(); }
    [[nodiscard]] RtcmPanelView PanelView() const;

    // ConnectionListener
    void OnLinkSecond() override;
    void OnDisconnected() override;
    // IdentificationListener
    void OnReceiverIdentified() override { SyncAvailability(); }
    void OnIdentificationChanged() override { SyncAvailability(); }

  private:
    void Connect();
    void Disconnect();
    void Fail(std::string_view why);
    void ShowStatus(std::string_view text, LinkStatusLook look);
    void SyncAvailability();
    [[nodiscard]] bool ReceiverTakesCorrections() const;
    void Changed();

    Deps deps_;
    NoCorrectionSource noSource_;
    CorrectionSource* source_ = &noSource_;
    uint16_t localPort_ = kDefaultCorrectionPort;

    bool linkOn_ = false;
    int32_t linkStartSecond_ = 0;
    uint64_t totalBytes_ = 0;
    bool panelVisible_ = false;
    bool panelAvailable_ = false;
    std::string statusText_;
    LinkStatusLook statusLook_ = LinkStatusLook::Plain;
    std::string secondsText_;
    std::string sizeText_;
    std::string stepText_;
    std::array<std::string, 3> statusBar_;
    Rtcm3Scanner scanner_;
    std::string taken_;  // reused buffer of one step
};

}  // namespace gnss
