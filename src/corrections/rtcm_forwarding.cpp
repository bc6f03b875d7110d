#include "corrections/rtcm_forwarding.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace gnss {

namespace {

constexpr ReceiverFamily kFamiliesTakingCorrections[] = {
    ReceiverFamily::ublox,     ReceiverFamily::MTK, ReceiverFamily::ST,
    ReceiverFamily::SimpleTec, ReceiverFamily::TTT, ReceiverFamily::RTK_DF,
};

struct LookColours {
    LinkStatusLook Look;
    LinkStatusColours Colours;
};
constexpr LookColours kLookColours[] = {
    {LinkStatusLook::Plain, {0x000000, 0xF0F0F0}},
    {LinkStatusLook::Connected, {0x00FF40, 0x000000}},
    {LinkStatusLook::Closed, {0xFFFF00, 0x000000}},
    {LinkStatusLook::Failed, {0xFFFFFF, 0xC00000}},
};

template <typename... Args>
std::string Format(const char* format, Args... args) {
    char text[128];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

std::string Hemisphere(double value, char positive, char negative) {
    return Format("%c %.7f\xC2\xB0", value < 0 ? negative : positive, std::fabs(value));
}

}  // namespace

LinkStatusColours ColoursFor(LinkStatusLook look) {
    for (const LookColours& entry : kLookColours) {
        if (entry.Look == look) return entry.Colours;
    }
    return kLookColours[0].Colours;
}

bool FamilyTakesCorrections(ReceiverFamily family) {
    return std::find(std::begin(kFamiliesTakingCorrections), std::end(kFamiliesTakingCorrections),
                     family) != std::end(kFamiliesTakingCorrections);
}

RtcmForwarding::RtcmForwarding(const Deps& deps) : deps_(deps) {}

void RtcmForwarding::Changed() {
    if (OnChanged) OnChanged();
}

void RtcmForwarding::ShowStatus(std::string_view text, LinkStatusLook look) {
    statusText_ = text;
    statusLook_ = look;
}

void RtcmForwarding::SetLinkTicked(bool ticked) {
    if (ticked == linkOn_) return;
    if (ticked) {
        Connect();
    } else {
        Disconnect();
    }
    Changed();
}

void RtcmForwarding::Connect() {
    if (!source_->Connect(kCorrectionHost, localPort_)) {
        linkOn_ = false;
        ShowStatus(kLinkFailedText, LinkStatusLook::Failed);
        deps_.Output.AddDebugLine("Correction link: no connection to " +
                                  std::string(kCorrectionHost) + ":" + std::to_string(localPort_));
        return;
    }
    linkOn_ = true;
    totalBytes_ = 0;
    linkStartSecond_ = deps_.Receiver.SecondsCounter;
    secondsText_.clear();
    sizeText_.clear();
    stepText_.clear();
    scanner_.Reset();
    ShowStatus(kLinkConnectedText, LinkStatusLook::Connected);
    deps_.Output.AddDebugLine("Correction link: connected to " + std::string(kCorrectionHost) +
                              ":" + std::to_string(localPort_));
}

void RtcmForwarding::Disconnect() {
    linkOn_ = false;
    linkStartSecond_ = 0;
    if (!source_->Disconnect()) {
        ShowStatus(kLinkFailedText, LinkStatusLook::Failed);
        return;
    }
    ShowStatus(kLinkClosedText, LinkStatusLook::Closed);
    deps_.Output.AddDebugLine("Correction link: closed");
}

void RtcmForwarding::Fail(std::string_view why) {
    source_->Disconnect();
    linkOn_ = false;
    linkStartSecond_ = 0;
    ShowStatus(kLinkFailedText, LinkStatusLook::Failed);
    deps_.Output.AddDebugLine("Correction link: " + std::string(why));
}

void RtcmForwarding::CasterUnreachable() {
    if (!linkOn_) return;
    Fail("the NTRIP client has no connection to its caster");
    statusBar_[0] = kCasterUnreachableText;
    Changed();
}

bool RtcmForwarding::ReceiverTakesCorrections() const {
    return FamilyTakesCorrections(deps_.Shared.Family) ||
           deps_.Identification.TakesNtripCorrections;
}

void RtcmForwarding::OnLinkSecond() {
    if (!linkOn_) return;
    if (!ReceiverTakesCorrections()) {
        statusBar_[0] = "Not forwarded: " + std::string(FamilyDisplayName(deps_.Shared.Family));
        Changed();
        return;
    }
    ForwardRtcm();
}

void RtcmForwarding::ForwardRtcm() {
    const uint32_t startTick = deps_.SystemClock.TickMs();
    const int32_t seconds = deps_.Receiver.SecondsCounter - linkStartSecond_;
    secondsText_ = Format("%3d", seconds);
    taken_.clear();
    if (!source_->TakeAvailable(taken_)) {
        Fail("the connection to the NTRIP client ended");
        Changed();
        return;
    }
    const auto n = static_cast<int>(taken_.size());
    totalBytes_ += taken_.size();
    sizeText_ = Format("%3d,  %3llu", n, static_cast<unsigned long long>(totalBytes_));
    if (OnStatusBarText) OnStatusBarText(Format("%d/%d", seconds, n));
    if (n > 0) {
        scanner_.Feed(taken_, startTick);
        const bool sent = deps_.Shared.PortOpen && deps_.Port.Write(taken_);
        statusBar_[0] = sent ? "Forwarded to " + std::string(FamilyDisplayName(deps_.Shared.Family))
                             : "Lost: the receiver port did not take them";
    }
    const Rtcm3Scanner::Statistics& stats = scanner_.Stats();
    statusBar_[1] = Format("Frames %llu", static_cast<unsigned long long>(stats.Frames));
    stepText_ = Format("%u", static_cast<unsigned>(deps_.SystemClock.TickMs() - startTick));
    Changed();
}

void RtcmForwarding::OnDisconnected() {
    if (linkOn_) {
        source_->Disconnect();
        linkOn_ = false;
        linkStartSecond_ = 0;
        ShowStatus(kLinkClosedText, LinkStatusLook::Closed);
        deps_.Output.AddDebugLine("Correction link: closed with the receiver's connection");
    }
    statusBar_ = {};
    panelVisible_ = false;
    panelAvailable_ = false;
    Changed();
}

void RtcmForwarding::SyncAvailability() {
    const bool available =
        deps_.Identification.RtcmForwardingAvailable || deps_.Identification.QxwzRtk;
    if (available == panelAvailable_) return;
    panelAvailable_ = available;
    Changed();
}

void RtcmForwarding::AccessWordEntered() {
    if (!panelAvailable_ || panelVisible_) return;
    panelVisible_ = true;
    Changed();
}

void RtcmForwarding::TogglePanel() {
    panelVisible_ = !panelVisible_;
    Changed();
}

RtcmPanelView RtcmForwarding::PanelView() const {
    RtcmPanelView view;
    view.Visible = panelVisible_;
    view.LinkTicked = linkOn_;
    view.StatusText = statusText_;
    view.StatusColours = ColoursFor(statusLook_);
    view.SecondsText = secondsText_;
    view.SizeText = sizeText_;
    view.StepText = stepText_;
    view.StatusBar = statusBar_;
    const Rtcm3Scanner::Statistics& stats = scanner_.Stats();
    for (const auto& [type, count] : stats.CountsByType) {
        view.Types.push_back(RtcmTypeRow{type, RtcmMessageName(type), count});
    }
    view.FramesText = Format("Frames %llu, CRC errors %llu, other bytes %llu",
                             static_cast<unsigned long long>(stats.Frames),
                             static_cast<unsigned long long>(stats.CrcFailures),
                             static_cast<unsigned long long>(stats.SkippedBytes));
    if (stats.Station) {
        const ReferenceStation& s = *stats.Station;
        view.StationText = Format("Station %u  ", static_cast<unsigned>(s.StationId)) +
                           Hemisphere(s.LatitudeDeg, 'N', 'S') + "  " +
                           Hemisphere(s.LongitudeDeg, 'E', 'W') + Format("  %.2f m", s.HeightM);
    } else if (stats.LastStationId) {
        view.StationText = Format("Station %u (no position message yet)",
                                  static_cast<unsigned>(*stats.LastStationId));
    }
    if (stats.LastFrameTickMs) {
        const uint32_t age = deps_.SystemClock.TickMs() - *stats.LastFrameTickMs;
        view.AgeText = Format("Last frame %.1f s ago", static_cast<double>(age) / 1000.0);
        if (linkOn_) view.StatusBar[2] = view.AgeText;
    }
    return view;
}

}  // namespace gnss
