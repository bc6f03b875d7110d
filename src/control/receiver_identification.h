#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/gnss_set.h"
#include "base/receiver_family.h"
#include "base/scheduler.h"
#include "base/sky_background.h"
#include "control/identification_listener.h"
#include "control/identification_rules.h"
#include "link/connection_listener.h"
#include "link/receive_listeners.h"
#include "link/receive_pipeline.h"
#include "link/receiver_port.h"
#include "link/shared_state.h"
#include "nmea/receiver_state.h"

namespace gnss {

// Identification gives up after this many attempts; the receiver is then shown as "??".
inline constexpr int kIdentificationAttemptLimit = 9;

// Sets with a second constellation drawn on the multi-GNSS sky (BDS, GPS+BDS, GPS+GLONASS+BDS,
// GPS+GLONASS+GALILEO) choose it; the others the GPS sky.
[[nodiscard]] SkyBackground SkyBackgroundFor(GnssSet set);

// What identification found out about the receiver, for every feature that depends on it.
// Everything except CommandPanelShown goes back to these values on every connect.
struct IdentificationResult {
    std::string FirmwareText;                // empty until identified
    GnssSet ReceiverGnssSet = GnssSet::Gps;  // the constellations the receiver tracks
    GnssSet GnssViewFilter = GnssSet::All;   // what the sky plot shows

    bool EpoCapable = false;
    int EpoPeriodDays = 0;  // 7 or 14 for receivers that take EPO data
    bool SgeeCapable = false;
    bool HdAssistCapable = false;

    bool DrRtkVariant = false;  // TDK_DR: the RTK variant
    // TDK_DR: the chip under the module: MTK or TTT, Unknown until known.
    ReceiverFamily DrBaseChip = ReceiverFamily::Unknown;
    int DrFormat = 0;            // TDK_DR: 1 for firmware before R20191022, else 2
    bool HdPlainChip = false;    // HED: bare chip without module information
    std::string HdModuleInfo;    // HED: module information reply, "-" appended when not empty
    int HdStage = 1;             // HED binary path: 1 waits for module information, 2 for version
    bool SirfRomPatch = false;   // SiRF firmware with a ROM patch (no factory default)
    bool StUsbFirmware = false;  // ST firmware for USB (no factory default)
    bool StDrModule = false;     // ST dead-reckoning firmware
    DrSpeedInput StDrSpeedInput = DrSpeedInput::Unknown;
    bool ForwardMode = false;  // MTK module behind the maker's forwarding firmware
    bool TrafficMessageMode = false;
    bool NoChecksum = false;  // text commands go out without a checksum ("No_checksum")
    bool QxwzRtk = false;     // MTK module of the RTK type (firmware names "QXWZ")
    bool RtcmForwardingAvailable = false;
    bool RtkViaCom4 = false;   // the RTK distance query goes through COM4
    int32_t EasyQueryDue = 0;  // SecondsCounter value of the deferred EASY query; 0 none

    // How the receiver is named and drawn: the firmware label (the firmware text, or "??" once
    // identification gave up; empty before), its chip tag ("RTK", "TD", "MTK" or the
    // dead-reckoning speed input) and the sky background of its constellations.
    std::string FirmwareLabel;
    std::string ChipTag;
    SkyBackground Sky = SkyBackground::Gps;
    // What the receiver offers beyond plain NMEA.
    std::string CommandPreset;   // the command to start from: "HEXCMD:" or HD module information
    bool NamesGnssView = false;  // the view filter's name is shown (HD binary path)
    bool HasAttitudeSensor = false;      // heading and attitude from the module (CMS, CM2)
    bool TakesNtripCorrections = false;  // RTCM corrections from an NTRIP client (RTK modules)
    bool NoCourseOutput = false;         // RTK modules that report no course
    bool OffersWarmStart = false;        // SiRF IV with assistance data
    bool FixGateOpen = false;            // TDK RTK variant: fixes count from the first GGA

    bool CommandPanelShown = false;  // kept across connections
};

// Works out the receiver's chip family and firmware from what it sends: a chain of recognisers
// over the whole receive buffer while identification is pending, the HD version polls, the
// once-per-second cycle that gives up after nine attempts, and the refinements of the firmware
// text from lines that follow the match. It follows the receive path (the buffer, every line,
// the link's recognition and seconds) and the connection (its resets); what it finds goes into
// Result and the shared state, and its listeners hear when that changed.
class ReceiverIdentification final : public StreamListener,
                                     public LineListener,
                                     public LinkListener,
                                     public ConnectionListener {
  public:
    ReceiverIdentification(ReceivePipeline& pipeline, ReceiverPort& port, Scheduler& scheduler);
    ReceiverIdentification(const ReceiverIdentification&) = delete;
    ReceiverIdentification& operator=(const ReceiverIdentification&) = delete;

    // Registers a listener; it must outlive the identification's use of it.
    void AddListener(IdentificationListener& listener) { listeners_.push_back(&listener); }

    IdentificationResult Result;
    // Receivers that match no rule after the first attempt are sent the UBX version poll once
    // per connection, so that u-blox receivers identify themselves by their reply.
    bool PollUbxVersion = true;

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
    // A refinement after the match still waits for its line (the chip under a TDK module, an
    // MTK release, the SiRF completion): the receiver's commands may still change.
    [[nodiscard]] bool RefinementPending() const { return PrcrRewriteActive(); }

    // Per-connection state back to its start.
    void ResetForConnect();
    // What every connect and disconnect action clears.
    void ResetForEveryAction();

    // StreamListener: the buffer while identification is pending.
    void OnReceiveBuffer(std::string_view buffer) override { (void)IdentifyReceiver(buffer); }
    // LineListener: the refinements, and "$PRCR" unwrapped while one waits for its line.
    [[nodiscard]] bool UnwrapsPrcrLines() const override { return PrcrRewriteActive(); }
    void OnLineReceived(std::string_view line) override { LineWatch(line); }
    // LinkListener: NMEA found arms the identification; its seconds run the cycle.
    void OnLinkRecognised(LinkState state) override;
    void OnNmeaSecond(bool recognisedThisSecond) override;
    // ConnectionListener
    void OnConnectionChanging() override { ResetForEveryAction(); }
    void OnConnecting() override { ResetForConnect(); }

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
    void SetChipTag(std::string tag);
    void SetFirmwareLabel(std::string firmware);
    void SetSky(SkyBackground sky);
    void SetNoChecksum(bool on);
    void Changed();
    [[nodiscard]] bool WatchOn(const Watch& watch) const;

    ReceivePipeline& pipeline_;
    SharedState& shared_;
    ReceiverState& receiver_;
    ReceiverPort& port_;
    std::vector<IdentificationListener*> listeners_;

    void GiveUp();

    bool done_ = false;         // IdentificationDone ran since the connect
    bool ubxPollSent_ = false;  // the UBX version poll went out on this connection
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
