#include "views/navigation_panel.h"

#include <cmath>
#include <optional>
#include <span>

#include "nmea/number_parse.h"
#include "nmea/number_text.h"
#include "nmea/text_fields.h"
#include "nmea/time_text.h"
#include "nmea/time_zone.h"

namespace gnss {

namespace {

constexpr double kCourseUnknownFrom = 999.0;  // 999 or more: course not reported
constexpr double kDopNotReportedFrom = 99.7;
constexpr double kSogFixMovingKmh = 1.5;
constexpr double kGpsWeekRolloverDays = 7168.0;  // 1024 weeks
constexpr int kRolloverLastYear = 2003;
constexpr double kClockSyncLeadDays = 0.7 / 86400.0;  // the clock is set 0.7 s ahead
constexpr int kTimeDatePartLength = 11;               // "yyyy/mm/dd "
constexpr std::size_t kTimeTextShortLength = 20;
constexpr int kGgaFieldCount = 15;

std::string_view LetterText(const char& letter) {
    return letter == 0 ? std::string_view{} : std::string_view{&letter, 1};
}

std::string_view NameAt(std::span<const std::string_view> names, int index) {
    return index >= 0 && index < static_cast<int>(names.size()) ? names[index] : std::string_view{};
}

std::string CourseText(double course, int decimals) {
    return FixedText(course, decimals) + std::string(kDegreeSign);
}

// "yyyy/mm/dd hh:nn:ss.zzz "
std::string DateTimeText(DateTime value) {
    const DateTimeParts p = DecodeDateTime(value);
    return IntText(p.Year, 4, true) + "/" + IntText(p.Month, 2, true) + "/" +
           IntText(p.Day, 2, true) + " " + IntText(p.Hour, 2, true) + ":" +
           IntText(p.Minute, 2, true) + ":" + IntText(p.Second, 2, true) + "." +
           IntText(p.Millisecond, 3, true) + " ";
}

// "hh:nn:ss.zzz "
std::string TimeOfDayText(int hour, int minute, int second, int millisecond) {
    return IntText(hour, 2, true) + ":" + IntText(minute, 2, true) + ":" +
           IntText(second, 2, true) + "." + IntText(millisecond, 3, true) + " ";
}

struct SplitSeconds {
    int Whole = 0;
    int Millisecond = 0;
};

// Whole seconds and the rounded milliseconds of a seconds field. Receivers send at most three
// decimals; a fraction that would round up to 1000 ms stays at 999.
SplitSeconds Split(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0.0 || seconds >= 100.0) return {};
    const double whole = std::trunc(seconds);
    const long ms = std::lround((seconds - whole) * 1000.0);
    return {static_cast<int>(whole), static_cast<int>(std::min(ms, 999L))};
}

}  // namespace

std::string PositionText(char letter, double degrees, bool dmsMode) {
    const std::string prefix = std::string(LetterText(letter)) + " ";
    if (!dmsMode) return prefix + FixedText(degrees, 7, 10) + std::string(kDegreeSign);

    if (!std::isfinite(degrees) || std::fabs(degrees) > 1e6) degrees = 0.0;
    double d = std::trunc(degrees);
    double m = std::trunc((degrees - d) * 60.0);
    double s = ((degrees - d) * 60.0 - m) * 60.0;
    // Seconds that print as 60.000 belong to the next minute (and a 60th minute to the next
    // degree), so that the text is a valid angle.
    if (FixedText(s, 3) == "60.000") {
        s = 0.0;
        if (++m >= 60.0) {
            m = 0.0;
            ++d;
        }
    }
    return prefix + IntText(static_cast<int64_t>(d), 3) + std::string(kDegreeSign) +
           IntText(static_cast<int64_t>(m), 2, true) + "'" + FixedText(s, 3, 4) + "\"";
}

std::string FixFieldText(bool fixValid, int quality, int mode) {
    const std::string_view qualityName = NameAt(kFixQualityNames, quality);
    const std::string_view modeName = NameAt(kFixModeNames, mode);
    if (fixValid) {
        if (quality > 0 && mode > 0) {
            if (quality == 4 || quality == 5) return std::string(qualityName);
            return std::string(qualityName) + "(" + std::string(modeName) + ")";
        }
        if (quality > 0) return std::string(qualityName) + " ";
        if (mode > 0) return std::string(modeName) + " ";
        return "Fix ";
    }
    if (quality > 0) return std::string(qualityName) + " ";
    return "non-Fix ";
}

std::string DopText(double dop, bool fixValid) {
    if (fixValid && dop >= kDopNotReportedFrom) return "--.--";
    return FixedText(dop, 2, 3);
}

std::string PositionClipboardText(const ShownPosition& position) {
    return "Lon:" + FixedText(position.Longitude, 8, 7) +
           ", Lat:" + FixedText(position.Latitude, 6, 7);
}

NavigationPanel::NavigationPanel(const Deps& deps) : deps_(deps) {}

void NavigationPanel::JoinSentenceChain(SentenceChain& chain) {
    chain.Register(ChainSlot::RtkDfHeading, [this](SentenceContext& ctx) {
        if (deps_.Shared.Family != ReceiverFamily::RTK_DF) return ChainStep::Continue;
        if (ctx.Line.find("$PMDR,DIST") != std::string_view::npos) {
            gauges_.ShowAntennaDistance(ctx.Line);
        } else if (ctx.Line.find("$GPHDT,") != std::string_view::npos) {
            gauges_.ShowDualAntennaHeading(ctx.Line);
        }
        return ChainStep::Continue;
    });
    chain.Register(ChainSlot::FixKindLabel, [this](SentenceContext& ctx) {
        if (ctx.Line.find("GGA") != std::string_view::npos) ShowDgpsLabel();
        return ChainStep::Continue;
    });
}

void NavigationPanel::OnSentenceDecoded(SentenceKind kind, std::string_view) {
    if (kind == SentenceKind::Rmc) {
        ShowRmcTime();
    } else if (kind == SentenceKind::Gga) {
        ShowGgaTime();
    }
}

void NavigationPanel::OnReceiverIdentified() {
    const ReceiverFamily family = deps_.Shared.Family;
    if (family == ReceiverFamily::CMS || family == ReceiverFamily::CM2) SetCourseRowLayout(2);
}

void NavigationPanel::RefreshNavigationPanel(KindFlags& kindsSeen) {
    lastRefreshTick_ = deps_.Time.TickMs();
    const ReceiverFamily family = deps_.Shared.Family;
    const bool noFamily = family == ReceiverFamily::Unknown && !deps_.Shared.IdentificationGaveUp;
    if (noFamily || family == ReceiverFamily::TMC) return;
    RunNmeaPath(kindsSeen);
    UpdateGaugesNow(kindsSeen);
    previousKindsSeen_ = kindsSeen;
    kindsSeen.Clear();
}

void NavigationPanel::UpdateGaugesNow(const KindFlags& kindsSeen) {
    const NmeaDecoder& decoder = deps_.Decoder;
    gauges_.UpdateGauges({deps_.State.FixValid, deps_.State.DrFix, &decoder.Rmc(), &decoder.Vtg(),
                          &kindsSeen, view_.SpeedUnitIndex});
}

void NavigationPanel::RunNmeaPath(const KindFlags& kindsSeen) {
    const ReceiverState& state = deps_.State;
    const ReceiverFamily family = deps_.Shared.Family;
    if (family == ReceiverFamily::CMS || family == ReceiverFamily::CM2) ShowMagneticVariation();

    view_.FixText = FixFieldText(state.FixValid, state.FixQuality, state.FixMode);

    if (state.FixValid || state.DrFix) {
        if (ShowPosition(kindsSeen)) {
            const NmeaDecoder& decoder = deps_.Decoder;
            const SpeedUnit& unit = SpeedUnitAt(view_.SpeedUnitIndex);
            if (kindsSeen[SentenceKind::Gga]) {
                if (view_.DopRowVisible) view_.HdopText = FixedText(state.Hdop, 2, 3);
                const double altitude = decoder.Gga().Altitude;
                view_.AltitudeText = unit.AltitudeInFeet
                                         ? FixedText(altitude * kFeetPerMetre, 1) + " ft "
                                         : FixedText(altitude, 1) + " m ";
            }
            ShowSpeedAndCourse(kindsSeen);
            view_.SatellitesUsedText = IntText(decoder.DisplayList().UsedCount) + " ";
            if (view_.DopRowVisible) {
                view_.PdopText = DopText(state.Pdop, state.FixValid);
                view_.VdopText = DopText(state.Vdop, state.FixValid);
                view_.HdopText = DopText(state.Hdop, state.FixValid);
            }
        }
    } else {
        SetLive(false);
        view_.CalibrationSpeedText = "non-Fix";
    }
}

void NavigationPanel::ShowMagneticVariation() {
    const RmcRecord& rmc = deps_.Decoder.Rmc();
    if (rmc.MagneticVariationLetter == 0) return;
    view_.MagneticVariationText =
        (rmc.MagneticVariationLetter == 'W' ? "-" : "+") + FixedText(rmc.MagneticVariation, 1);
    if (rmc.CourseDeg < kCourseUnknownFrom) {
        view_.CourseText = CourseText(rmc.CourseDeg, 1);
        view_.GaugeCourseText = CourseText(rmc.CourseDeg, 2);
    }
}

bool NavigationPanel::ShowPosition(const KindFlags& kindsSeen) {
    const NmeaDecoder& decoder = deps_.Decoder;
    ShownPosition position;
    if (kindsSeen[SentenceKind::Rmc] && decoder.Rmc().Latitude != 0.0) {
        const RmcRecord& r = decoder.Rmc();
        position = {r.Latitude, r.LatitudeLetter, r.Longitude, r.LongitudeLetter};
    } else if (kindsSeen[SentenceKind::Gll] && decoder.Gll().Latitude != 0.0) {
        const GllRecord& r = decoder.Gll();
        position = {r.Latitude, r.LatitudeLetter, r.Longitude, r.LongitudeLetter};
    } else if (kindsSeen[SentenceKind::Gga] && decoder.Gga().Latitude != 0.0) {
        const GgaRecord& r = decoder.Gga();
        position = {r.Latitude, r.LatitudeLetter, r.Longitude, r.LongitudeLetter};
    } else {
        return false;
    }
    lastShown_ = position;
    if (!live_) SetLive(true);
    RedrawPosition();
    return true;
}

void NavigationPanel::ShowSpeedAndCourse(const KindFlags& kindsSeen) {
    const NmeaDecoder& decoder = deps_.Decoder;
    const SpeedUnit& unit = SpeedUnitAt(view_.SpeedUnitIndex);
    const auto speedText = [&unit](double knots) {
        return FixedText(knots * unit.Factor, 1) + " " + std::string(unit.Label) + " ";
    };
    if (kindsSeen[SentenceKind::Rmc]) {
        const RmcRecord& rmc = decoder.Rmc();
        speedKmh_ = rmc.SpeedKnots * kKmhPerKnot;
        view_.CalibrationSpeedText = FixedText(speedKmh_, 1) + " KmH";
        view_.CalibrationSpeedBackground =
            speedKmh_ > kSogFixMovingKmh ? kSogFixMovingBackground : kSogFixStillBackground;
        view_.SpeedText = speedText(rmc.SpeedKnots);
        if (rmc.CourseDeg < kCourseUnknownFrom) {
            view_.CourseText = CourseText(rmc.CourseDeg, 1);
            view_.GaugeCourseText = CourseText(rmc.CourseDeg, 2);
        }
    } else if (kindsSeen[SentenceKind::Vtg]) {
        const VtgRecord& vtg = decoder.Vtg();
        view_.SpeedText = speedText(vtg.SpeedKnots);
        if (vtg.CourseTrueDeg < kCourseUnknownFrom) {
            view_.CourseText = CourseText(vtg.CourseTrueDeg, 1);
            view_.GaugeCourseText = CourseText(vtg.CourseTrueDeg, 2);
        }
    }
}

void NavigationPanel::SetLive(bool live) {
    live_ = live;
    view_.ValueColor = live ? kNaviLiveColor : kNaviStaleColor;
    if (view_.DopRowVisible) view_.DopColor = view_.ValueColor;
}

void NavigationPanel::RedrawPosition() {
    view_.LatitudeText =
        PositionText(lastShown_.LatitudeLetter, std::fabs(lastShown_.Latitude), view_.DmsMode);
    view_.LongitudeText =
        PositionText(lastShown_.LongitudeLetter, std::fabs(lastShown_.Longitude), view_.DmsMode);
}

void NavigationPanel::ShowRmcTime() {
    const ReceiverState& state = deps_.State;
    const SharedState& shared = deps_.Shared;
    if (!(state.FixValid || state.DrFix) || !DisplaysFollowReceiver(shared) ||
        shared.MonitorPaused) {
        return;
    }
    const RmcRecord& rmc = deps_.Decoder.Rmc();
    const int year = rmc.Date.Year + 2000;
    const SplitSeconds sec = Split(rmc.Time.Second);
    std::string text = IntText(year, 2, true) + "/" + IntText(rmc.Date.Month, 2, true) + "/" +
                       IntText(rmc.Date.Day, 2, true) + " " +
                       TimeOfDayText(rmc.Time.Hour, rmc.Time.Minute, sec.Whole, sec.Millisecond);

    // Fails for an empty date (month and day 0) and any date the calendar rejects.
    const std::optional<DateTime> encoded =
        TryEncodeDateTime(year, rmc.Date.Month, rmc.Date.Day, rmc.Time.Hour, rmc.Time.Minute,
                          sec.Whole, sec.Millisecond);
    if (!encoded) {
        view_.UtcTimeText = text;
        return;
    }
    DateTime utc = *encoded;
    const ReceiverFamily family = shared.Family;
    if ((family == ReceiverFamily::uNav || family == ReceiverFamily::MTK) &&
        year <= kRolloverLastYear) {
        utc.Days += kGpsWeekRolloverDays;
    }
    text = DateTimeText(utc);
    deps_.State.ReceiverUtcTime = utc;
    if (clockSyncRequest_) TrySetSystemClock(utc);
    view_.UtcTimeText = text;
    view_.LocalTimeText = DateTimeText(UtcToLocal(utc, deps_.Time));
}

void NavigationPanel::TrySetSystemClock(DateTime utc) {
    DateTime local = UtcToLocal(utc, deps_.Time);
    local.Days += kClockSyncLeadDays;
    const SystemClockSetter::Result result = deps_.ClockSetter.SetLocalTime(local);
    if (result.Ok) {
        clockSyncRequest_ = false;
        clockSyncFailureReported_ = false;
        deps_.Output.AddLoggedMonitorLine(kClockSyncDoneLine);
        return;
    }
    // The request stays pending and the next valid RMC tries again; say why once.
    if (!clockSyncFailureReported_) {
        clockSyncFailureReported_ = true;
        deps_.Output.AddDebugLine(
            "Could not set the system time from the receiver: " +
            (result.Reason.empty() ? std::string("no reason given") : result.Reason));
    }
}

void NavigationPanel::ShowGgaTime() {
    const SharedState& shared = deps_.Shared;
    if (!deps_.State.FixValid || !DisplaysFollowReceiver(shared) || shared.MonitorPaused) return;
    const GgaRecord& gga = deps_.Decoder.Gga();
    const SplitSeconds sec = Split(gga.Time.Second);
    const std::string timeText =
        TimeOfDayText(gga.Time.Hour, gga.Time.Minute, sec.Whole, sec.Millisecond);
    const auto datePart = [](const std::string& current, int blanks) {
        return current.size() <= kTimeTextShortLength ? std::string(blanks, ' ')
                                                      : current.substr(0, kTimeDatePartLength);
    };
    view_.UtcTimeText = datePart(view_.UtcTimeText, kTimeDatePartLength) + timeText;

    const std::optional<DateTime> utc =
        TryEncodeDateTime(2012, 5, 5, gga.Time.Hour, gga.Time.Minute, sec.Whole, sec.Millisecond);
    if (!utc) return;
    deps_.State.ReceiverUtcTime = *utc;
    const DateTimeParts local = DecodeDateTime(UtcToLocal(*utc, deps_.Time));
    view_.LocalTimeText = datePart(view_.LocalTimeText, 15) +
                          TimeOfDayText(local.Hour, local.Minute, local.Second, local.Millisecond);
}

void NavigationPanel::ShowDgpsLabel() {
    const GgaRecord& gga = deps_.Decoder.Gga();
    const ReceiverState& state = deps_.State;
    const int quality = gga.FixQuality;
    std::string text(NameAt(kDgpsLabelTexts, quality));
    if (quality == 2 && CountDelimiters(gga.Sentence.View(), kComma) == kGgaFieldCount - 1 &&
        TryParseInt(state.DgpsStationText)) {
        text += "(" + state.DgpsStationText + ")";
    }
    view_.FixKindLabel = text;
    if (DisplaysFollowReceiver(deps_.Shared)) view_.FixKindLabelVisible = quality > 0;
    if (state.LastGgaSecond != dgpsColouredSecond_) {
        dgpsColouredSecond_ = state.LastGgaSecond;
        view_.FixKindLabelColor = kDgpsFreshColor;
    }
}

void NavigationPanel::DgpsLabelTick() {
    const ReceiverState& state = deps_.State;
    if (state.LastGgaSecond + 2 < state.SecondsCounter) view_.FixKindLabelColor = kDgpsOldColor;
}

// $PMDR,24,1,123.4,...  (12 fields; field 4 is the magnetic heading)
void NavigationPanel::ShowMagneticNorth(std::string_view sentence, const KindFlags& kindsSeen) {
    RunNmeaPath(kindsSeen);
    UpdateGaugesNow(kindsSeen);
    if (CountDelimiters(sentence, kComma) != 11) return;
    const std::string_view field = ExtractField(4, sentence, kComma);
    if (field.empty()) return;
    if (const auto whole = TryParseInt(field)) {
        view_.MagneticNorthText = "MN:" + IntText(*whole, 3) + std::string(kDegreeSign);
        gauges_.SetCompassHeading(*whole);
    } else if (const auto value = TryParseFloat(field);
               value && std::isfinite(*value) && std::fabs(*value) < 1e6) {
        view_.MagneticNorthText = "MN:" + FixedText(*value, 1, 3) + std::string(kDegreeSign);
        gauges_.SetCompassHeading(static_cast<int>(std::lround(*value)));
    }
}

void NavigationPanel::SetSpeedUnitIndex(int index, KindFlags& kindsSeen) {
    LoadUnitSettings(index, view_.DmsMode);
    RefreshNavigationPanel(kindsSeen);
}

void NavigationPanel::LoadUnitSettings(int speedUnitIndex, bool dmsMode) {
    if (speedUnitIndex < 0 || speedUnitIndex > 2) speedUnitIndex = 0;
    const SpeedUnit& unit = SpeedUnitAt(speedUnitIndex);
    view_.SpeedUnitIndex = speedUnitIndex;
    view_.SpeedUnitText = std::string(unit.Label);
    view_.SpeedUnitColor = unit.LabelColor;
    view_.DmsMode = dmsMode;
}

void NavigationPanel::ToggleDmsMode() {
    view_.DmsMode = !view_.DmsMode;
    if (deps_.State.FixValid) RedrawPosition();
}

std::string NavigationPanel::PositionClipboard() const {
    return PositionClipboardText(lastShown_);
}

bool NavigationPanel::RequestClockSync() {
    if (!deps_.State.FixValid || clockSyncRequest_) return false;
    clockSyncRequest_ = true;
    clockSyncFailureReported_ = false;
    deps_.Output.AddLoggedMonitorLine(kClockSyncRequestLine);
    return true;
}

void NavigationPanel::SetCourseRowLayout(int index) {
    if (index >= 0 && index < static_cast<int>(kCourseRowLayouts.size()))
        view_.CourseRowLayoutIndex = index;
}

void NavigationPanel::SetDopPanelVisible(bool visible) {
    view_.DopRowVisible = visible;
}

void NavigationPanel::ClearForConnect() {
    for (std::string* label :
         {&view_.LatitudeText, &view_.LongitudeText, &view_.AltitudeText, &view_.FixText,
          &view_.SpeedText, &view_.CourseText, &view_.MagneticNorthText,
          &view_.MagneticVariationText, &view_.SatellitesUsedText, &view_.UtcTimeText,
          &view_.LocalTimeText, &view_.PdopText, &view_.VdopText, &view_.HdopText,
          &view_.GaugeCourseText}) {
        label->clear();
    }
    view_.CourseRowLayoutIndex = 0;
    gauges_.ClearForConnect();
}

}  // namespace gnss
