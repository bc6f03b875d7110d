#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include "base/sky_background.h"

#include "base/receiver_family.h"
#include "base/scheduler.h"
#include "link/receiver_port.h"
#include "link/shared_state.h"
#include "nmea/receiver_state.h"

namespace gnss {

// The window title before the firmware is known.
inline constexpr std::string_view kProgramTitle = "MERIDAN GPSVaro V:0.99v8_HD only";
// Identification gives up after this many attempts; the title then ends in " (??)".
inline constexpr int kIdentificationAttemptLimit = 9;

// 2, 6, 8 and 9 are sets with a second constellation drawn on the multi-GNSS sky.
[[nodiscard]] SkyBackground SkyBackgroundFor(int gnssSet);

// What identification found out about the receiver, for every feature that depends on it.
// Everything except CommandPanelShown goes back to these values on every connect.
struct IdentificationResult {
    std::string FirmwareText;  // empty until identified
    int ReceiverGnssSet = 0;   // constellation set (0 "GPS", 5 "GPS+GLONASS", 6 "GPS+BDS", ...)
    int GnssViewFilter = 13;   // 13 "ALL"

    bool EpoCapable = false;
    int EpoPeriodDays = 0;  // 7 or 14 for receivers that take EPO data
    bool SgeeCapable = false;
    bool HdAssistCapable = false;

    bool DrRtkVariant = false;   // TDK_DR: the RTK variant
    uint8_t DrBaseChip = 0;      // TDK_DR: 0 not yet known, 4 MTK, 19 TechToTop
    int DrFormat = 0;            // TDK_DR: 1 for firmware before R20191022, else 2
    bool HdPlainChip = false;    // HED: bare chip without module information
    std::string HdModuleInfo;    // HED: module information reply, "-" appended when not empty
    int HdStage = 1;             // HED binary path: 1 waits for module information, 2 for version
    bool SirfRomPatch = false;   // SiRF firmware with a ROM patch (no factory default)
    bool StUsbFirmware = false;  // ST firmware for USB (no factory default)
    bool StDrModule = false;     // ST dead-reckoning firmware
    uint8_t StDrSpeedInput = 0;  // 3 CAN, 1 odometer, 2 UART, 0 unknown
    bool ForwardMode = false;    // MTK module behind the maker's forwarding firmware
    bool TrafficMessageMode = false;
    bool NoChecksum = false;  // text commands go out without a checksum (ckNoCK)
    bool QxwzRtk = false;     // MTK module of the RTK type (firmware names "QXWZ")
    bool RtcmPageAvailable = false;
    bool RtkViaCom4 = false;   // the RTK distance query goes through COM4
    int32_t EasyQueryDue = 0;  // SecondsCounter value of the deferred EASY query; 0 none

    bool CommandPanelShown = false;  // kept across connections
};

// How identification reaches the rest of the program. Every hook may stay empty.
struct IdentificationHooks {
    std::function<void(std::string title)> SetWindowTitle;
    std::function<void(int index, std::string text)> SetStatusPanel;
    std::function<void(std::string text)> SetCommandBoxText;
    std::function<void(SkyBackground sky)> SetSkyBackground;
    std::function<void(int filter)> SetGnssViewFilter;
    std::function<void(int filter)> ShowGnssFilterLabel;  // the GNSS label names the filter
    std::function<void()> ShowStatusBar;
    std::function<void()> EnableLogging;
    std::function<void()> SetMonitorColoured;  // coloured owner-drawn monitor on black
    std::function<void(bool shown)> ShowNavigationPanels;
    std::function<void()> EnableReceiverControls;
    std::function<void()> ShowHeadingMeterAndAttitude;
    std::function<void(std::string figure)> ShowEpoPeriod;  // "14d" on the EPO window
    std::function<void()> HideHdAssistPage;
    std::function<void(bool shown)> ShowCommandPanel;
    std::function<void()> ShowNtripButton;
    std::function<void(bool shown)> ShowCourseLabel;
    std::function<void()> ShowWarmStartButton;
    std::function<void()> OpenFixGate;                         // TDK RTK variant
    std::function<void(int32_t dueSecond)> ScheduleEasyQuery;  // "$PMTK869,0*29" then
    std::function<bool()> BeidouReported;                      // BeiDou satellites decoded
    std::function<bool()> OneSecondTimerRunning;               // empty: taken as running
    std::function<void()> OnIdentified;                        // after IdentificationDone
};

// Works out the receiver's chip family and firmware from what it sends: a chain of recognisers
// over the whole receive buffer while identification is pending, the HD version polls, the
// once-per-second cycle that gives up after nine attempts, and the refinements of the firmware
// text from lines that follow the match.
class ReceiverIdentification {
  public:
    ReceiverIdentification(SharedState& shared, ReceiverState& receiver, ReceiverPort& port,
                           Scheduler& scheduler);
    ReceiverIdentification(const ReceiverIdentification&) = delete;
    ReceiverIdentification& operator=(const ReceiverIdentification&) = delete;

    IdentificationHooks Hooks;
    IdentificationResult Result;

    // Sets IdentificationPending and schedules the HD polls, when the one-second timer runs and
    // the receiver is not identified yet.
    void ArmIdentification();
    // The recogniser chain over the whole buffer; true when a rule matched.
    bool IdentifyReceiver(std::string_view buffer);
    // The common completion after a match.
    void IdentificationDone();
    // The identification duties of the one-second tick in state "NMEA": the HD polls, the
    // attempt cycle and the end of the TDK MTK probe.
    void OnSecond();
    // Every received line (before the line filter): the refinements after a match.
    void LineWatch(std::string_view line);
    // "$PRCR" lines are rewritten while a refinement waits for its line.
    [[nodiscard]] bool PrcrRewriteActive() const;

    // Per-connection state back to its start.
    void ResetForConnect();
    // What every connect and disconnect action clears.
    void ResetForEveryAction();

    [[nodiscard]] const std::string& WindowTitle() const { return title_; }

  private:
    struct Watch {
        bool Active = false;
        int32_t Until = 0;  // SecondsCounter value up to which the watch is on
    };
    using Rule = bool (ReceiverIdentification::*)(std::string_view);
    struct Recogniser {
        std::string_view Name;
        Rule Try;
    };
    static const Recogniser kChain[];

    bool TryTdk(std::string_view buffer);
    bool TrySt(std::string_view buffer);
    bool TryMxt(std::string_view buffer);
    bool TryRtk(std::string_view buffer);
    bool TryMtk(std::string_view buffer);
    bool TryMtkRelease(std::string_view buffer);
    bool TrySirf(std::string_view buffer);
    bool TryFuruno(std::string_view buffer);
    bool TryHd(std::string_view buffer);
    bool TryHdVersionFrame(std::string_view buffer);
    void TakeHdModuleInfo(std::string_view buffer);
    bool TryUblox(std::string_view buffer);
    bool TryTmc(std::string_view buffer);
    bool TryUnav(std::string_view buffer);
    bool TryBcm(std::string_view buffer);

    void Identify(ReceiverFamily family, std::string firmware);
    void Send(std::string_view bytes);
    void SendSentence(std::string_view sentence);  // checksum and CR LF added
    void DeferEasyQuery();
    void SetPanel(int index, std::string text);
    void SetTitle(std::string title);
    void SetSky(SkyBackground sky);
    void SetNoChecksum(bool on);
    [[nodiscard]] bool WatchOn(const Watch& watch) const;

    SharedState& shared_;
    ReceiverState& receiver_;
    ReceiverPort& port_;
    std::string title_{kProgramTitle};

    bool done_ = false;         // IdentificationDone ran since the connect
    int32_t hdInfoPollAt_ = 0;  // SecondsCounter values of the scheduled HD polls (0: none)
    int32_t hdVersionPollAt_ = 0;
    Watch mtkReleaseAppend_;
    Watch tdkMtkProbe_;
    Watch sirfCompletion_;
    std::string sirfStoredText_;
    DelayedCall after100_;
    DelayedCall after300_;
};

}  // namespace gnss
