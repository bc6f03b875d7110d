#include "control/receiver_identification.h"

#include <algorithm>
#include <utility>

#include "control/identification_rules.h"
#include "control/ubx_hd_messages.h"
#include "frames/binary_frame.h"
#include "link/receiver_link.h"
#include "nmea/nmea_checksum.h"
#include "nmea/text_fields.h"

namespace gnss {

namespace {

constexpr int32_t kMtkWatchSeconds = 3;
constexpr int32_t kSirfWatchSeconds = 8;
constexpr int32_t kEasyQueryDelaySeconds = 2;
constexpr uint32_t kShortDelayMs = 100;
constexpr uint32_t kLongDelayMs = 300;

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kMtkReleaseQuery = "$PMTK605*31\r\n";
constexpr std::string_view kMtkRelease = "$PMTK705";
constexpr std::string_view kSirfVersion = "$PSRF195";
constexpr std::string_view kInjectOff = "$PMDC,INJ,0";
constexpr std::string_view kTdkDrFormatSplit = "R20191022";

constexpr DelimiterSet kCommaDash{",-"};
constexpr DelimiterSet kUnderscore{"_"};
constexpr DelimiterSet kDash{"-"};

constexpr std::string_view kGaveUpCaption =
    "?"
    "?";
// The constellation set of an HD binary chip without module information.
constexpr GnssSet kHdDefaultSet = GnssSet::GpsBdsGalileoBdsIrnss;

// The release text of an "$PMTK705" reply: after "$PMTK705" and its comma, up to "*".
std::optional<std::string_view> MtkRelease(std::string_view text) {
    return TextUpToStar(text, kMtkRelease, kMtkRelease.size() + 1);
}

// Release fields 3, 2, 1 joined with ",".
std::string Reordered(std::string_view release, bool emptyThirdIsBds) {
    std::string_view third = ExtractField(3, release, kComma);
    if (third.empty() && emptyThirdIsBds) third = "BDS";
    std::string out(third);
    out += ',';
    out += ExtractField(2, release, kComma);
    out += ',';
    out += ExtractField(1, release, kComma);
    return out;
}

bool ContainsAny(std::string_view text, auto const& patterns) {
    return std::any_of(std::begin(patterns), std::end(patterns),
                       [text](std::string_view p) { return Contains(text, p); });
}

}  // namespace

SkyBackground SkyBackgroundFor(GnssSet set) {
    switch (set) {
        case GnssSet::Bds:
        case GnssSet::GpsBds:
        case GnssSet::GpsGlonassBds:
        case GnssSet::GpsGlonassGalileo:
            return SkyBackground::MultiGnss;
        default:
            return SkyBackground::Gps;
    }
}

const ReceiverIdentification::Recogniser ReceiverIdentification::kChain[] = {
    {"TDK", &ReceiverIdentification::TryTdk},       {"ST", &ReceiverIdentification::TrySt},
    {"MXT", &ReceiverIdentification::TryMxt},       {"RTK", &ReceiverIdentification::TryRtk},
    {"MTK", &ReceiverIdentification::TryMtk},       {"SiRF", &ReceiverIdentification::TrySirf},
    {"Furuno", &ReceiverIdentification::TryFuruno}, {"HD", &ReceiverIdentification::TryHd},
    {"u-blox", &ReceiverIdentification::TryUblox},  {"TMC", &ReceiverIdentification::TryTmc},
    {"uNav", &ReceiverIdentification::TryUnav},     {"BCM", &ReceiverIdentification::TryBcm},
};

ReceiverIdentification::ReceiverIdentification(ReceivePipeline& pipeline, ReceiverPort& port,
                                               Scheduler& scheduler)
    : pipeline_(pipeline),
      shared_(pipeline.Shared),
      receiver_(pipeline.Receiver),
      port_(port),
      after100_(scheduler),
      after300_(scheduler) {}

// --- small helpers ---

void ReceiverIdentification::Send(std::string_view bytes) {
    (void)SendToReceiver(shared_, port_, bytes);
}

void ReceiverIdentification::SendSentence(std::string_view sentence) {
    std::string line(sentence);
    line += NmeaChecksumSuffix(sentence);
    line += kCrLf;
    Send(line);
}

void ReceiverIdentification::DeferEasyQuery() {
    Result.EasyQueryDue = receiver_.SecondsCounter + kEasyQueryDelaySeconds;
}

void ReceiverIdentification::Changed() {
    for (IdentificationListener* listener : listeners_) listener->OnIdentificationChanged();
}

void ReceiverIdentification::SetChipTag(std::string tag) {
    Result.ChipTag = std::move(tag);
}

void ReceiverIdentification::SetFirmwareLabel(std::string firmware) {
    Result.FirmwareLabel = std::move(firmware);
}

void ReceiverIdentification::SetSky(SkyBackground sky) {
    Result.Sky = sky;
}

void ReceiverIdentification::SetNoChecksum(bool on) {
    Result.NoChecksum = on;
}

bool ReceiverIdentification::WatchOn(const Watch& watch) const {
    return watch.Active && receiver_.SecondsCounter <= watch.Until;
}

void ReceiverIdentification::Identify(ReceiverFamily family, std::string firmware) {
    shared_.Family = family;
    Result.FirmwareText = std::move(firmware);
    shared_.ReceiverIdentified = true;
}

// --- arming, the cycle and the polls ---

void ReceiverIdentification::OnLinkRecognised(LinkState state) {
    if (state != LinkState::Nmea || shared_.ReceiverIdentified) return;
    ArmIdentification();
    ++shared_.IdentificationAttempts;
}

void ReceiverIdentification::OnNmeaSecond(bool recognisedThisSecond) {
    // The second that recognised the link armed the identification already.
    if (!recognisedThisSecond) OnSecond();
}

void ReceiverIdentification::ArmIdentification() {
    if (shared_.ReceiverIdentified) return;
    if (!pipeline_.Dispatcher.SecondTimerEnabled()) return;
    shared_.IdentificationPending = true;
    hdInfoPollAt_ = receiver_.SecondsCounter + 1;
    hdVersionPollAt_ = receiver_.SecondsCounter + 2;
}

void ReceiverIdentification::OnSecond() {
    const int32_t now = receiver_.SecondsCounter;
    if (hdInfoPollAt_ != 0 && now >= hdInfoPollAt_) {
        hdInfoPollAt_ = 0;
        if (!done_) (void)SendHdCommand(shared_, receiver_, port_, kHdMonInfoPoll);
    }
    if (hdVersionPollAt_ != 0 && now >= hdVersionPollAt_) {
        hdVersionPollAt_ = 0;
        if (!done_) (void)SendHdCommand(shared_, receiver_, port_, kHdMonVerPoll);
    }

    if (tdkMtkProbe_.Active && now > tdkMtkProbe_.Until) {
        tdkMtkProbe_.Active = false;
        if (Result.DrBaseChip != ReceiverFamily::MTK) {
            SetSky(SkyBackground::MultiGnss);
            SetChipTag("TD");
            Changed();
        }
    }

    if (!shared_.PortOpen || shared_.ReceiverIdentified) return;
    int& attempts = shared_.IdentificationAttempts;
    if (attempts == 1 && PollUbxVersion && !ubxPollSent_) {
        ubxPollSent_ = true;
        (void)SendUbxCommand(shared_, receiver_, port_, kUbxMonVerPoll);
    }
    if (attempts < kIdentificationAttemptLimit) {
        if (attempts % 2 == 0) ArmIdentification();
        ++attempts;
    } else if (attempts == kIdentificationAttemptLimit) {
        GiveUp();
        ++attempts;
    } else {
        shared_.IdentificationPending = false;
    }
}

// A receiver of no particular family: the displays follow it from now on, on the GPS sky or,
// when more than GPS is seen, the multi-GNSS sky.
void ReceiverIdentification::GiveUp() {
    SetFirmwareLabel(std::string(kGaveUpCaption));
    shared_.IdentificationGaveUp = true;
    const KindFlags& seen = pipeline_.Dispatcher.Counters().KindsSeen;
    const bool moreThanGps = pipeline_.Decoder.BdsGsvSeen() || pipeline_.Decoder.GalileoGsvSeen() ||
                             seen[SentenceKind::GlGsv] || seen[SentenceKind::GlGsa];
    SetSky(moreThanGps ? SkyBackground::MultiGnss : SkyBackground::Gps);
    Changed();
}

// --- the chain ---

bool ReceiverIdentification::IdentifyReceiver(std::string_view buffer) {
    if (!shared_.IdentificationPending || shared_.ReceiverIdentified) return false;
    bool keepsCom4 = false;
    for (const auto& pattern : kRtkPatterns) {
        keepsCom4 = keepsCom4 || (pattern.KeepsCom4 && Contains(buffer, pattern.Text));
    }
    if (!keepsCom4) Result.RtkViaCom4 = true;

    for (const auto& recogniser : kChain) {
        if ((this->*recogniser.Try)(buffer)) {
            IdentificationDone();
            return true;
        }
    }
    return false;
}

void ReceiverIdentification::IdentificationDone() {
    const ReceiverFamily family = shared_.Family;
    if (family == ReceiverFamily::ublox || family == ReceiverFamily::HED) {
        Result.CommandPreset = "HEXCMD:";
    }
    if (family == ReceiverFamily::SiRF4) {
        Result.SirfRomPatch = Contains(Result.FirmwareText, "RPATCH.");
    }
    Result.GnssViewFilter = GnssSet::All;
    SetFirmwareLabel(Result.FirmwareText);
    shared_.IdentificationPending = false;
    shared_.ReceiverIdentified = true;
    done_ = true;
    hdInfoPollAt_ = 0;
    hdVersionPollAt_ = 0;
    if (family != ReceiverFamily::Unknown) Send(kCrLf);
    if (family != ReceiverFamily::TDK_DR) SetSky(SkyBackgroundFor(Result.ReceiverGnssSet));
    for (IdentificationListener* listener : listeners_) listener->OnReceiverIdentified();
}

// Rule 1: TDK dead-reckoning modules.
bool ReceiverIdentification::TryTdk(std::string_view buffer) {
    static constexpr std::string_view kPattern = "$PINVMVER,R20";
    const auto firmware = TextUpToStar(buffer, kPattern, 10);
    if (!firmware) return false;
    const std::string_view version = buffer.substr(buffer.find(kPattern));
    Identify(ReceiverFamily::TDK_DR, std::string(*firmware));

    Result.DrRtkVariant = Contains(*firmware, "-QV2058,");
    Result.DrFormat = ExtractField(1, *firmware, kComma) < kTdkDrFormatSplit ? 1 : 2;
    if (Result.DrRtkVariant) {
        SetChipTag("RTK");
        Result.FixGateOpen = true;
        Result.TakesNtripCorrections = true;
        after300_.After(kLongDelayMs, [this] {
            SendSentence(kInjectOff);
            Result.CommandPanelShown = true;
            Changed();
        });
    } else {
        // The chip under the module: TechToTop names itself in the version's third field.
        const std::string_view chip = LeftPart(ExtractField(3, version, kCommaDash), 2);
        if (chip == "GL" || chip == "GB") {
            Result.DrBaseChip = ReceiverFamily::TTT;
        } else {
            Result.DrBaseChip = ReceiverFamily::Unknown;
            Send(kMtkReleaseQuery);
            tdkMtkProbe_ = {true, receiver_.SecondsCounter + kMtkWatchSeconds};
        }
    }
    if (Contains(buffer, "$PINVMIMU,")) SendSentence("$PMDC,MEMS,0");
    Result.ReceiverGnssSet = GnssSet::GpsBds;
    Result.CommandPanelShown = true;
    return true;
}

// Rule 2: ST Teseo.
bool ReceiverIdentification::TrySt(std::string_view buffer) {
    for (std::string_view pattern : kStVersionPatterns) {
        const std::size_t at = buffer.find(pattern);
        if (at == std::string_view::npos) continue;
        const std::size_t lineEnd = buffer.find(kCrLf, at);
        if (lineEnd == std::string_view::npos) return false;  // wait for the whole line
        const std::size_t comma = buffer.find(',', at);
        std::string_view text = buffer.substr(comma + 1, lineEnd - comma - 1);
        text = WithoutChecksum(text);
        if (text.starts_with("1500,")) text.remove_prefix(5);
        const std::string firmware(Trim(text));
        Identify(ReceiverFamily::ST, firmware);

        SetNoChecksum(true);
        Result.StUsbFirmware = Contains(firmware, ".USB");
        Result.StDrModule = pattern == kStDrPattern;
        const std::size_t gnssAt = Result.StDrModule ? 3 : 2;
        Result.ReceiverGnssSet = GnssSet::GpsGlonass;
        if (firmware.size() > gnssAt) {
            if (firmware[gnssAt] == 'B') {
                Result.ReceiverGnssSet =
                    firmware[2] == 'B' ? GnssSet::GpsBdsGalileoBds : GnssSet::GpsBds;
            } else if (firmware[gnssAt] == 'G') {
                Result.ReceiverGnssSet = GnssSet::GpsGlonass;
            }
        }
        if (Result.StDrModule) {
            after100_.After(kShortDelayMs, [this] { Send("$PSTMHOT\r\n"); });
            const std::string_view link = ExtractField(2, firmware, kUnderscore);
            Result.StDrSpeedInput = DrSpeedInput::Unknown;
            for (const auto& input : kStSpeedInputs) {
                if (link.empty() || link[0] != input.Code) continue;
                Result.StDrSpeedInput = input.Input;
                SetChipTag(std::string(input.Name));
            }
        }
        return true;
    }
    return false;
}

// Rule 3: MXT.
bool ReceiverIdentification::TryMxt(std::string_view buffer) {
    for (std::string_view pattern : kMxtPatterns) {
        const auto firmware = TextUpToStar(buffer, pattern, 9);
        if (!firmware) continue;
        Identify(ReceiverFamily::MXT, std::string(*firmware));
        shared_.AntennaStatusExpected = true;
        Result.ReceiverGnssSet = GnssSet::GpsBds;
        SetNoChecksum(true);
        return true;
    }
    return false;
}

// Rule 4: the maker's RTK modules.
bool ReceiverIdentification::TryRtk(std::string_view buffer) {
    for (const auto& pattern : kRtkPatterns) {
        const auto firmware = TextUpToStar(buffer, pattern.Text, 6);
        if (!firmware) continue;
        Identify(ReceiverFamily::RTK_DF, std::string(*firmware));
        Result.ForwardMode = false;
        Result.NoCourseOutput = !pattern.CourseShown;
        if (pattern.CourseShown) {
            after100_.After(kShortDelayMs, [this] {
                SendSentence(Result.RtkViaCom4 ? "$PMDC,COM4,{PMDC,GETDIST}" : "$PMDC,GETDIST");
            });
        }
        Result.TakesNtripCorrections = true;
        after300_.After(kLongDelayMs, [this] {
            SendSentence(kInjectOff);
            Result.CommandPanelShown = true;
            Changed();
        });
        Result.RtcmForwardingAvailable = true;
        Result.ReceiverGnssSet = GnssSet::GpsBds;
        return true;
    }
    return false;
}

// Rule 5: MTK, by the maker's banner, a .CMS module or the firmware release reply.
bool ReceiverIdentification::TryMtk(std::string_view buffer) {
    bool matched = false;
    if (const std::size_t at = buffer.find("MERIDAN FW"); at != std::string_view::npos) {
        const std::size_t lineEnd = buffer.find(kCrLf, at);
        if (lineEnd == std::string_view::npos) return false;  // wait for the whole line
        Identify(ReceiverFamily::MTK,
                 std::string(Trim(WithoutChecksum(buffer.substr(at, lineEnd - at)))));
        Result.ReceiverGnssSet = GnssSet::GpsBds;
        Result.ForwardMode = true;
        Send(kMtkReleaseQuery);
        mtkReleaseAppend_ = {true, receiver_.SecondsCounter + kMtkWatchSeconds};
        DeferEasyQuery();
        matched = true;
    } else if (const auto cms = TextUpToStar(buffer, "$PMDR,201", 12);
               cms && Contains(buffer, ".CMS")) {
        Identify(ReceiverFamily::CM2, std::string(*cms));
        Result.ReceiverGnssSet = GnssSet::GpsGlonass;
        Result.EpoCapable = true;
        Result.EpoPeriodDays = 14;
        DeferEasyQuery();
        Result.HasAttitudeSensor = true;
        matched = true;
    } else {
        matched = TryMtkRelease(buffer);
    }
    return matched;
}

bool ReceiverIdentification::TryMtkRelease(std::string_view buffer) {
    if (!Contains(buffer, kMtkRelease) || Contains(buffer, "CMS2")) return false;
    const std::optional<std::string_view> release = MtkRelease(buffer);

    if (Contains(buffer, "ZK-48")) {
        if (!release) return false;
        Identify(ReceiverFamily::MTK, Reordered(*release, true));
        shared_.AntennaStatusExpected = Contains(buffer, "ANT,");
        Result.ReceiverGnssSet = GnssSet::GpsBds;
        Result.EpoCapable = true;
        Result.EpoPeriodDays = 14;
        if (Contains(Result.FirmwareText, "QXWZ")) {
            Result.EpoCapable = false;
            Result.QxwzRtk = true;
        }
        DeferEasyQuery();
        return true;
    }
    if (Contains(buffer, "_3337_")) {
        const auto reply = TextUpToStar(buffer, kMtkRelease);
        if (!reply) return false;
        Identify(ReceiverFamily::MTK, std::string(ExtractField(2, *reply, kComma)));
        DeferEasyQuery();
        return true;
    }
    if (ContainsAny(buffer, kMtkRangeTags)) {
        if (!release) return false;
        Identify(ReceiverFamily::MTK, Reordered(*release, false));
        const std::string_view third = ExtractField(3, *release, kComma);
        Result.ReceiverGnssSet = third == "ZK-RR_WIDE" || Contains(third, "ZK-WRE")
                                     ? GnssSet::GpsBdsGalileo
                                     : GnssSet::GpsGlonass;
        Result.EpoCapable = true;
        Result.EpoPeriodDays = 14;
        DeferEasyQuery();
        return true;
    }
    if (ContainsAny(buffer, kMtkRvTags)) {
        if (!release) return false;
        Identify(ReceiverFamily::MTK, Reordered(*release, true));
        Result.ReceiverGnssSet = GnssSet::GpsBds;
        if (!Contains(Result.FirmwareText, "ZK-Z35")) {
            Result.EpoCapable = true;
            Result.EpoPeriodDays = 14;
        }
        if (ExtractField(1, *release, kComma) == kMtkNoEpoRelease1 &&
            ExtractField(2, *release, kComma) == kMtkNoEpoRelease2 &&
            ExtractField(3, *release, kComma) == kMtkNoEpoRelease3) {
            Result.EpoCapable = false;
        }
        DeferEasyQuery();
        return true;
    }
    if (Contains(buffer, "URANUS")) return false;
    const std::string_view firmware = release ? *release : std::string_view("MTK++");
    if (!Contains(firmware, "ZK-")) return false;
    Result.EpoCapable = !Contains(firmware, "ZK-8460(") && Contains(firmware, "AXN");
    if (CountDelimiters(firmware, kComma) < 2) return false;
    Identify(ReceiverFamily::MTK, Reordered(firmware, false));
    if (Result.EpoCapable) {
        const std::string_view first = ExtractField(1, firmware, kComma);
        const auto line = ParseInteger(ExtractField(2, first, kUnderscore));
        if (first.size() > 7 && line && *line >= 2) {
            Result.EpoPeriodDays = 14;
            DeferEasyQuery();
        } else {
            Result.EpoPeriodDays = 7;
        }
    }
    return true;
}

// Rule 6: SiRF.
bool ReceiverIdentification::TrySirf(std::string_view buffer) {
    if (const auto v = TextUpToStar(buffer, "$PSRF195,5x", 9)) {
        Identify(ReceiverFamily::SiRF5, "SiRF V: " + std::string(*v));
        Result.ReceiverGnssSet =
            Contains(buffer, "A3.GCC+5xpt_5.7.5-A3.KCC") ? GnssSet::GpsBds : GnssSet::GpsGlonass;
        Result.SgeeCapable = false;
        sirfStoredText_ = std::string(*v);
        sirfCompletion_ = {true, receiver_.SecondsCounter + kSirfWatchSeconds};
        return true;
    }
    if (const auto v = TextUpToStar(buffer, "$PSRF195,GSD4e_4", 9)) {
        Identify(ReceiverFamily::SiRF4, "SiRF IV: " + std::string(*v));
        Result.ReceiverGnssSet = GnssSet::Gps;
        sirfStoredText_ = std::string(*v);
        sirfCompletion_ = {true, receiver_.SecondsCounter + kSirfWatchSeconds};
        return true;
    }
    if (Contains(buffer, ".TMC")) return false;
    const auto version = TextUpToStar(buffer, ",GS", 1);
    if (!version) return false;
    std::string text(*version);
    if (Contains(text, "GSD4e_")) {
        Result.SgeeCapable = true;
        Result.OffersWarmStart = true;
        Result.SirfRomPatch = Contains(text, "RPATCH.");
        if (!Contains(buffer, "SR,201,")) {
            if (const std::size_t at = buffer.find(kSirfVersion); at != std::string_view::npos) {
                static constexpr DelimiterSet kStarComma{"*,"};
                text += ',';
                text += ExtractField(2, buffer.substr(at), kStarComma);
            }
        }
        Identify(ReceiverFamily::SiRF4, "SiRF IV: " + text);
        return true;
    }
    if (Contains(buffer, ".CMS")) {
        Identify(ReceiverFamily::CMS, text);
        Result.HasAttitudeSensor = true;
    } else {
        Identify(ReceiverFamily::SiRF, "SC-" + text);
    }
    return true;
}

// Rule 7: Furuno.
bool ReceiverIdentification::TryFuruno(std::string_view buffer) {
    static constexpr std::size_t kMinLength = 36;
    const auto text = TextUpToStar(buffer, "SYS,VER");
    if (!text || text->size() <= kMinLength) return false;
    std::string firmware(ExtractField(3, *text, kComma));
    firmware += ',';
    firmware += ExtractField(4, *text, kComma);
    firmware += ',';
    firmware += ExtractField(6, *text, kComma);
    Identify(ReceiverFamily::Furuno, std::move(firmware));
    Result.ReceiverGnssSet = GnssSet::GpsGlonass;
    SetNoChecksum(false);
    return true;
}

// Rule 8: HD chips, by a version sentence or by the replies to the binary polls.
bool ReceiverIdentification::TryHd(std::string_view buffer) {
    if (!shared_.AntennaStatusExpected && Contains(buffer, ",ANT_")) {
        shared_.AntennaStatusExpected = true;
    }
    if (const auto text = TextUpToStar(buffer, "$PMDR,VER"); text && !Contains(*text, ",ZK-")) {
        std::string firmware(ExtractField(5, *text, kComma));
        firmware += ',';
        firmware += ExtractField(3, *text, kComma);
        Identify(ReceiverFamily::HED, std::move(firmware));
        Result.HdAssistCapable = true;
        Result.ReceiverGnssSet = GnssSet::Gps;
        Result.CommandPanelShown = true;
        return true;
    }
    if (Result.HdStage >= 2) return TryHdVersionFrame(buffer);
    TakeHdModuleInfo(buffer);
    return false;
}

void ReceiverIdentification::TakeHdModuleInfo(std::string_view buffer) {
    for (FrameCandidate c = FindHdFrame(buffer, 1); !c.Frame.empty();
         c = FindHdFrame(buffer, c.Position + c.Frame.size())) {
        if (!IsHdFrame(c.Frame) || FrameClass(c.Frame) != 0x0A || FrameId(c.Frame) != 0x05) {
            continue;
        }
        Result.HdModuleInfo = std::string(FramePayload(c.Frame));
        if (!Result.HdModuleInfo.empty()) Result.HdModuleInfo += '-';
        Result.HdStage = 2;
        return;
    }
}

bool ReceiverIdentification::TryHdVersionFrame(std::string_view buffer) {
    static constexpr std::size_t kVersionPayload = 32;
    static constexpr std::size_t kTextSize = 16;
    for (FrameCandidate c = FindHdFrame(buffer, 1); !c.Frame.empty();
         c = FindHdFrame(buffer, c.Position + c.Frame.size())) {
        if (!IsHdFrame(c.Frame) || FrameClass(c.Frame) != 0x0A || FrameId(c.Frame) != 0x04) {
            continue;
        }
        const std::string_view payload = FramePayload(c.Frame);
        if (payload.size() != kVersionPayload) return false;
        const std::string software = PrintableTrimmed(payload.substr(0, kTextSize));
        const std::string hardware = PrintableTrimmed(payload.substr(kTextSize, kTextSize));
        std::string firmware;
        if (!Result.HdModuleInfo.empty()) {
            firmware = Result.HdModuleInfo + hardware + "_" + software;
            Result.HdAssistCapable = true;
        } else {
            if (!Contains(hardware, "8040D") && !Contains(hardware, "8041D")) return false;
            const std::size_t dot = hardware.find('.');
            firmware =
                dot != std::string::npos ? hardware.substr(dot + 1) + "_" + software : software;
            Result.HdPlainChip = true;
            Result.HdAssistCapable = false;
        }
        Identify(ReceiverFamily::HED, std::move(firmware));
        Result.ReceiverGnssSet =
            Result.HdModuleInfo.empty() ? kHdDefaultSet : HdModuleGnssSet(Result.HdModuleInfo);
        Result.NamesGnssView = true;
        SetNoChecksum(true);
        (void)SendHdCommand(shared_, receiver_, port_, kHdNmeaVersionPoll);
        Result.CommandPanelShown = true;
        return true;
    }
    return false;
}

// Rule 9: u-blox and TechToTop, from a version reply to a UBX command of the user's.
bool ReceiverIdentification::TryUblox(std::string_view buffer) {
    static constexpr std::size_t kSoftwareSize = 30;
    static constexpr std::size_t kHardwareSize = 10;
    if (shared_.UbxReplyDeadline <= receiver_.SecondsCounter) return false;
    const FrameCandidate first = FindUbxFrame(buffer, 1);
    if (first.Frame.empty() || !IsUbxFrame(first.Frame) || FrameClass(first.Frame) != 0x0A ||
        FrameId(first.Frame) != 0x04) {
        return false;
    }
    const std::string_view payload = FramePayload(first.Frame);
    const auto extension = static_cast<uint16_t>(payload.size() - 40);  // modulo 65536
    if (extension % 30 != 0) {
        Identify(ReceiverFamily::TTT, "TechToTop:" + PrintableTrimmed(payload));
        return true;
    }
    // A 24-byte payload passes the length test too; it is read as far as it goes.
    const std::string software = PrintableTrimmed(payload.substr(0, kSoftwareSize));
    const std::string hardware =
        PrintableTrimmed(payload.substr(std::min(payload.size(), kSoftwareSize), kHardwareSize));
    const std::string both = software + "_" + hardware;
    if (Contains("ublox:" + both, "QX-") || Contains(hardware, "TD10")) {
        Identify(ReceiverFamily::TTT, "TechToTop:" + both);
        return true;
    }
    Identify(ReceiverFamily::ublox, "ublox:" + both);
    Result.ReceiverGnssSet = GnssSet::Gps;
    if (hardware.starts_with("0008")) {
        const bool beidou = pipeline_.Decoder.BdsGsvSeen();
        Result.ReceiverGnssSet = beidou ? GnssSet::GpsBds : GnssSet::GpsGlonass;
    }
    return true;
}

// Rule 10: traffic-message receivers.
bool ReceiverIdentification::TryTmc(std::string_view buffer) {
    static constexpr std::string_view kTmc = ",\"MDTMC";
    static constexpr std::string_view kTech = ",\"MDTech";
    static constexpr std::string_view kMaker = ",\"MERIDAN,";
    static constexpr std::size_t kQuoteSearchFrom = 8;
    const std::string upper = ToUpperAscii(buffer);
    const bool hasTech = Contains(buffer, kTech);
    const std::size_t tmcAt = buffer.find(kTmc);
    const std::size_t makerAt = hasTech ? std::string::npos : upper.find(kMaker);
    if (tmcAt != std::string::npos || makerAt != std::string::npos) {
        std::size_t start = tmcAt;
        if (start == std::string::npos || (makerAt != std::string::npos && makerAt > start)) {
            start = makerAt;
        }
        const std::size_t quote = buffer.find('"', start + kQuoteSearchFrom);
        if (quote == std::string_view::npos) return false;  // wait for the closing quote
        Identify(ReceiverFamily::TMC, std::string(buffer.substr(start, quote - start)));
        Result.TrafficMessageMode = true;
        return true;
    }
    if ((hasTech || Contains(upper, ",MDTECH")) && Contains(buffer, ",GSW")) {
        const auto version = TextUpToStar(buffer, ",GSW", 1);
        if (!version) return false;
        Identify(ReceiverFamily::SiRF, "RSC-" + std::string(*version));
        Result.TrafficMessageMode = true;
        return true;
    }
    return false;
}

// Rule 11: uNav and its AH firmware.
bool ReceiverIdentification::TryUnav(std::string_view buffer) {
    static constexpr std::string_view kPattern = "CFG_R,09";
    const auto text = TextUpToStar(buffer, kPattern);
    if (!text) return false;
    const std::string_view rest = CopyFrom(*text, 10);
    const std::size_t comma = rest.find(',');
    const std::string_view tag =
        comma == std::string_view::npos ? std::string_view("uNav++") : rest.substr(0, comma);
    if (!Contains(tag, "UC-") && !Contains(tag, "UT-")) {
        static constexpr DelimiterSet kStarComma{"*,"};
        const std::string_view from = buffer.substr(buffer.find(kPattern));
        if (!Contains(ExtractField(7, from, kStarComma), "UBP")) return false;
        std::string firmware = "AH:";
        firmware += ExtractField(5, from, kStarComma);
        firmware += ',';
        firmware += ExtractField(6, from, kStarComma);
        firmware += ',';
        firmware += ExtractField(7, from, kStarComma);
        Identify(ReceiverFamily::AH, std::move(firmware));
        return true;
    }
    const int dashes = CountDelimiters(tag, kDash);
    auto part = [tag](int n) { return std::string(ExtractField(n, tag, kDash)); };
    if (dashes == 3) {
        Identify(ReceiverFamily::uNav, part(3) + "-" + part(4) + "," + part(1) + "-" + part(2));
        return true;
    }
    if (dashes == 4) {
        Identify(ReceiverFamily::uNav,
                 part(4) + "-" + part(5) + "," + part(1) + "-" + part(2) + "-" + part(3));
        return true;
    }
    return false;
}

// Rule 12: Broadcom.
bool ReceiverIdentification::TryBcm(std::string_view buffer) {
    if (!Contains(buffer, "$PGLOR")) return false;
    Identify(ReceiverFamily::BCM, "BCM47511");
    return true;
}

// --- refinements after the match ---

bool ReceiverIdentification::PrcrRewriteActive() const {
    return WatchOn(mtkReleaseAppend_) || WatchOn(tdkMtkProbe_) || WatchOn(sirfCompletion_);
}

void ReceiverIdentification::LineWatch(std::string_view line) {
    if (WatchOn(mtkReleaseAppend_)) {
        if (const auto release = MtkRelease(line)) {
            Result.FirmwareText += "-";
            Result.FirmwareText += *release;
            mtkReleaseAppend_.Active = false;
            SetFirmwareLabel(Result.FirmwareText);
            Changed();
        }
    }
    if (WatchOn(tdkMtkProbe_) && Contains(line, kMtkRelease)) {
        tdkMtkProbe_.Active = false;
        SetChipTag("MTK");
        Result.DrBaseChip = ReceiverFamily::MTK;
        Result.ReceiverGnssSet =
            Contains(line, "ZK-WRE") ? GnssSet::GpsBdsGalileo : GnssSet::GpsBds;
        SetSky(SkyBackgroundFor(Result.ReceiverGnssSet));
        Changed();
    }
    if (WatchOn(sirfCompletion_) && Contains(line, kSirfVersion)) {
        const bool sirf5 = shared_.Family == ReceiverFamily::SiRF5;
        const bool named =
            sirf5 ? Contains(line, "MD_") || Contains(line, "Meridan_") : Contains(line, "MERIDAN");
        if (named) {
            const std::string field(ExtractField(2, line, kCommaStar));
            Result.FirmwareText = sirf5 ? "SiRF V: " + field + "," + sirfStoredText_
                                        : "SiRF IV: " + sirfStoredText_ + "," + field;
            if (sirf5) Result.SirfRomPatch = Contains(Result.FirmwareText, "MD_");
            sirfCompletion_.Active = false;
            SetFirmwareLabel(Result.FirmwareText);
            Changed();
        }
    }
}

// --- lifecycle ---

void ReceiverIdentification::ResetForConnect() {
    const bool panelShown = Result.CommandPanelShown;
    Result = IdentificationResult{};
    Result.CommandPanelShown = panelShown;
    done_ = false;
    ubxPollSent_ = false;
    shared_.IdentificationGaveUp = false;
    hdInfoPollAt_ = 0;
    hdVersionPollAt_ = 0;
    mtkReleaseAppend_ = {};
    tdkMtkProbe_ = {};
    sirfCompletion_ = {};
    sirfStoredText_.clear();
    after100_.Cancel();
    after300_.Cancel();
}

void ReceiverIdentification::ResetForEveryAction() {
    Result.ForwardMode = false;
    Result.NoChecksum = false;
    Result.TrafficMessageMode = false;
}

}  // namespace gnss
