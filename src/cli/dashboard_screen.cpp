#include "cli/dashboard_screen.h"

#include <algorithm>
#include <cstdio>

#include "app/app_core.h"

namespace gnss::cli {

namespace {

// ANSI select-graphic-rendition codes of the dashboard.
constexpr std::string_view kSgrCaption = "33";
constexpr std::string_view kSgrValue = "1";
constexpr std::string_view kSgrStale = "2";
constexpr std::string_view kSgrRule = "2";
constexpr std::string_view kSgrTitle = "1;7";
constexpr std::string_view kSgrPaused = "1;31";

// The signal list: C/No scale of the bar and look of each use state.
constexpr int kBarCells = 20;
constexpr int kBarFullScaleDbHz = 50;
constexpr int kSatelliteCellWidth = 36;
struct UseStateLook {
    std::string_view Text;
    std::string_view Sgr;
};
constexpr std::array<UseStateLook, 4> kUseStateLooks = {{
    {"", ""},
    {"view", "2"},
    {"track", "36"},
    {"used", "32"},
}};

constexpr int kNavigationRows = 5;
constexpr int kNavigationLeftWidth = 38;
constexpr int kMinMonitorRows = 3;

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// A screen line built from pieces, cut at the screen width; colours only when asked for.
class LineBuilder {
  public:
    LineBuilder(int width, bool colour) : width_(width), colour_(colour) {}

    LineBuilder& Add(std::string_view text, std::string_view sgr = {}) {
        if (text.empty() || used_ >= width_) return *this;
        const bool styled = colour_ && !sgr.empty();
        if (styled) text_.append("\x1b[").append(sgr).append("m");
        std::size_t i = 0;
        while (i < text.size() && used_ < width_) {
            std::size_t end = i + 1;
            while (end < text.size() && IsContinuationByte(text[end])) ++end;
            text_.append(text.substr(i, end - i));
            ++used_;
            i = end;
        }
        if (styled) text_.append("\x1b[0m");
        return *this;
    }
    LineBuilder& PadTo(int column) {
        while (used_ < std::min(column, width_)) {
            text_ += ' ';
            ++used_;
        }
        return *this;
    }
    [[nodiscard]] int Used() const { return used_; }
    std::string Take() { return std::move(text_); }

  private:
    int width_;
    bool colour_;
    int used_ = 0;
    std::string text_;
};

std::string Repeat(std::string_view piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text.append(piece);
    return text;
}

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string RuleLine(std::string_view title, int width, bool colour) {
    LineBuilder line(width, colour);
    if (title.empty()) {
        line.Add(Repeat("─", width), kSgrRule);
    } else {
        line.Add("── ", kSgrRule).Add(title, kSgrCaption).Add(" ", kSgrRule);
        line.Add(Repeat("─", width - line.Used()), kSgrRule);
    }
    return line.Take();
}

std::string OrDash(std::string_view text) {
    std::string trimmed = Trimmed(text);
    return trimmed.empty() ? std::string("-") : trimmed;
}

// A monitor line as safe terminal text: printable ASCII as it is, other bytes as \xNN.
std::string SafeText(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f) {
            text += c;
        } else {
            text += "\\x";
            text += kHex[byte >> 4];
            text += kHex[byte & 0x0f];
        }
    }
    return text;
}

std::string SatelliteCell(const DashboardSatellite& sat, bool colour) {
    LineBuilder cell(kSatelliteCellWidth, colour);
    const int cno = std::clamp(sat.Cno, 0, 99);
    const int filled = std::min(kBarCells, cno * kBarCells / kBarFullScaleDbHz);
    const UseStateLook& look = kUseStateLooks[std::min<std::size_t>(sat.Use, 3)];
    char cnoText[8];
    std::snprintf(cnoText, sizeof cnoText, "%2d", cno);
    cell.Add(sat.Label, kSgrValue).PadTo(5);
    cell.Add(Repeat("█", filled), look.Sgr).Add(Repeat("░", kBarCells - filled), kSgrRule);
    cell.Add(" ").Add(cnoText).Add(" ").Add(look.Text, look.Sgr);
    cell.PadTo(kSatelliteCellWidth);
    return cell.Take();
}

}  // namespace

const ConstellationName& NameOf(Constellation system) {
    for (const auto& name : kConstellationNames) {
        if (name.System == system) return name;
    }
    return kConstellationNames.back();
}

void FillSatellites(DashboardSnapshot& snapshot, const SatDisplayList& list, ReceiverFamily family,
                    bool bdsGsvSeen, bool galileoGsvSeen) {
    snapshot.InView = list.InView;
    snapshot.Used = list.UsedCount;
    snapshot.Satellites.clear();
    std::array<ConstellationCount, kConstellationNames.size()> counts{};
    for (std::size_t i = 0; i < counts.size(); ++i)
        counts[i].System = kConstellationNames[i].System;
    for (std::size_t i = 0; i < list.EntryCount && i < list.Entries.size(); ++i) {
        const SatEntry& entry = list.Entries[i];
        DashboardSatellite sat;
        sat.System = ConstellationOf(entry.Number, family);
        sat.Label = std::string(1, NameOf(sat.System).Letter) +
                    GridDisplayNumber(entry.Number, bdsGsvSeen, galileoGsvSeen);
        sat.Cno = entry.Cno;
        sat.Elevation = entry.Elevation;
        sat.Azimuth = entry.Azimuth;
        sat.Use = static_cast<SatUseState>(std::min<uint8_t>(list.UseStates[i], kSatUsed));
        for (auto& count : counts) {
            if (count.System != sat.System) continue;
            ++count.InView;
            if (sat.Use == kSatUsed) ++count.Used;
        }
        snapshot.Satellites.push_back(std::move(sat));
    }
    snapshot.Constellations.clear();
    for (const auto& count : counts) {
        if (count.InView > 0) snapshot.Constellations.push_back(count);
    }
}

DashboardSnapshot TakeDashboardSnapshot(AppCore& core, std::size_t monitorLines) {
    DashboardSnapshot snapshot;
    const StatusBarModel& bar = core.Window.StatusBar();
    snapshot.Port = Trimmed(bar.Text(StatusPanel::Port));
    snapshot.LinkState = Trimmed(bar.Text(StatusPanel::LinkState));
    snapshot.ReceiveRate = Trimmed(bar.Text(StatusPanel::ReceiveRate));
    snapshot.Elapsed = Trimmed(bar.Text(StatusPanel::Elapsed));
    snapshot.Family = Trimmed(bar.Text(StatusPanel::Family));
    snapshot.LogState = Trimmed(bar.Text(StatusPanel::Log));
    snapshot.Firmware = core.Identification.Result.FirmwareLabel;
    snapshot.Paused = core.Shared().MonitorPaused;
    snapshot.Identified = core.Shared().ReceiverIdentified;
    snapshot.Navigation = core.Navigation.View();
    const NmeaDecoder& decoder = core.Pipeline.Decoder;
    FillSatellites(snapshot, decoder.DisplayList(), core.Shared().Family, decoder.BdsGsvSeen(),
                   decoder.GalileoGsvSeen());
    const std::size_t count = core.Monitor.LineCount();
    for (std::size_t i = count - std::min(count, monitorLines); i < count; ++i) {
        snapshot.MonitorLines.push_back(SafeText(core.Monitor.Line(i)));
    }
    return snapshot;
}

std::vector<std::string> RenderDashboard(const DashboardSnapshot& s, int width, int height,
                                         bool colour) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    std::vector<std::string> lines;
    const NavigationPanelView& nav = s.Navigation;
    const std::string_view valueSgr = nav.ValueColor == kNaviLiveColor ? kSgrValue : kSgrStale;

    {
        LineBuilder title(width, colour);
        std::string text = " gnssvaro  " + OrDash(s.Port) + "  │ link " + OrDash(s.LinkState) +
                           " │ " + OrDash(s.ReceiveRate) + " │ up " + OrDash(s.Elapsed) + " ";
        title.Add(text, kSgrTitle);
        if (s.Paused) title.Add("  PAUSED", kSgrPaused);
        lines.push_back(title.Take());
    }
    {
        LineBuilder receiver(width, colour);
        receiver.Add(" Receiver ", kSgrCaption).Add(OrDash(s.Family), kSgrValue);
        receiver.Add("   Firmware ", kSgrCaption).Add(OrDash(s.Firmware), kSgrValue);
        receiver.Add("   Log ", kSgrCaption).Add(OrDash(s.LogState), kSgrValue);
        lines.push_back(receiver.Take());
    }
    lines.push_back(
        RuleLine(s.Identified ? "Navigation" : "Navigation (shown once the receiver is identified)",
                 width, colour));

    const std::string dops = "PDOP " + OrDash(nav.PdopText) + "  HDOP " + OrDash(nav.HdopText) +
                             "  VDOP " + OrDash(nav.VdopText);
    std::string fix = OrDash(nav.FixText);
    if (nav.FixKindLabelVisible && !nav.FixKindLabel.empty()) fix += "  " + nav.FixKindLabel;
    const std::array<std::array<std::string, 4>, kNavigationRows> rows = {{
        {"Fix", fix, "UTC", OrDash(nav.UtcTimeText)},
        {"Latitude", OrDash(nav.LatitudeText), "Local", OrDash(nav.LocalTimeText)},
        {"Longitude", OrDash(nav.LongitudeText), "DOP", dops},
        {"Altitude", OrDash(nav.AltitudeText), "Used", OrDash(nav.SatellitesUsedText)},
        {"Speed", OrDash(nav.SpeedText), "Course", OrDash(nav.CourseText)},
    }};
    for (const auto& row : rows) {
        LineBuilder line(width, colour);
        line.Add(" ").Add(row[0], kSgrCaption).PadTo(12).Add(row[1], valueSgr);
        line.PadTo(kNavigationLeftWidth).Add(row[2], kSgrCaption).PadTo(kNavigationLeftWidth + 8);
        line.Add(row[3], valueSgr);
        lines.push_back(line.Take());
    }

    {
        LineBuilder counts(width, colour);
        counts.Add(" Satellites ", kSgrCaption)
            .Add(std::to_string(s.InView) + " in view, " + std::to_string(s.Used) + " used",
                 kSgrValue);
        if (static_cast<int>(s.Satellites.size()) < s.InView) {
            counts.Add(" (" + std::to_string(s.Satellites.size()) + " listed)", kSgrStale);
        }
        for (const auto& count : s.Constellations) {
            counts.Add("   ").Add(NameOf(count.System).Name, kSgrCaption);
            counts.Add(" " + std::to_string(count.InView) + "/" + std::to_string(count.Used),
                       kSgrValue);
        }
        lines.push_back(RuleLine("Signals (C/No dB-Hz)", width, colour));
        lines.push_back(counts.Take());
    }

    // What is left after the fixed lines goes to the signal list and the monitor.
    const int fixedBelow = 2;  // the monitor's rule and the key line
    const int left = height - static_cast<int>(lines.size()) - fixedBelow;
    const int columns = std::max(1, width / kSatelliteCellWidth);
    const int satCount = static_cast<int>(s.Satellites.size());
    const int wantedRows = (satCount + columns - 1) / columns;
    int satRows = std::clamp(left - kMinMonitorRows, 0, wantedRows);
    if (satRows == 0 && wantedRows > 0 && left > 0) satRows = 1;
    const int shown = std::min(satCount, satRows * columns);
    for (int row = 0; row < satRows; ++row) {
        std::string line;
        int used = 0;
        for (int column = 0; column < columns; ++column) {
            // Column-major order: each column reads down in number order.
            const int index = column * satRows + row;
            if (index >= shown) break;
            const bool lastShownCell = index == shown - 1 && shown < satCount;
            if (lastShownCell) {
                LineBuilder more(width - used, colour);
                more.Add(" +" + std::to_string(satCount - shown + 1) + " more", kSgrStale);
                line += more.Take();
                break;
            }
            if (used + kSatelliteCellWidth > width) break;
            line += SatelliteCell(s.Satellites[static_cast<std::size_t>(index)], colour);
            used += kSatelliteCellWidth;
        }
        lines.push_back(std::move(line));
    }

    lines.push_back(RuleLine("Monitor", width, colour));
    const int monitorRows = std::max(0, height - static_cast<int>(lines.size()) - 1);
    const std::size_t available = s.MonitorLines.size();
    const std::size_t first = available - std::min<std::size_t>(available, monitorRows);
    for (std::size_t i = first; i < available; ++i) {
        LineBuilder line(width, colour);
        line.Add(s.MonitorLines[i]);
        lines.push_back(line.Take());
    }
    while (static_cast<int>(lines.size()) < height - 1) lines.emplace_back();

    LineBuilder keys(width, colour);
    keys.Add(" q", kSgrValue).Add(" quit  ").Add("p", kSgrValue);
    keys.Add(s.Paused ? " resume  " : " pause  ").Add("u", kSgrValue);
    keys.Add(" unit (" + nav.SpeedUnitText + ")  ").Add("f", kSgrValue);
    keys.Add(nav.DmsMode ? " decimal degrees" : " deg-min-sec");
    if (!s.LastNote.empty()) keys.Add("   " + s.LastNote, kSgrStale);
    lines.push_back(keys.Take());

    lines.resize(static_cast<std::size_t>(height));
    return lines;
}

std::string DashboardSummaryLine(const DashboardSnapshot& s) {
    const NavigationPanelView& nav = s.Navigation;
    std::string line = OrDash(s.LinkState) + " " + OrDash(s.Family) + " | " + OrDash(nav.FixText) +
                       " | " + OrDash(nav.LatitudeText) + " " + OrDash(nav.LongitudeText) + " " +
                       OrDash(nav.AltitudeText) + " | " + OrDash(nav.SpeedText) + " " +
                       OrDash(nav.CourseText) + " | UTC " + OrDash(nav.UtcTimeText) + " | sats " +
                       std::to_string(s.InView) + "/" + std::to_string(s.Used);
    for (const auto& count : s.Constellations) {
        line += " " + std::string(NameOf(count.System).Name) + " " + std::to_string(count.InView) +
                "/" + std::to_string(count.Used);
    }
    line += " | " + OrDash(s.ReceiveRate);
    if (s.Paused) line += " | paused";
    return line;
}

int VisibleWidth(std::string_view text) {
    int width = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\x1b') {
            // CSI: ESC '[' parameters, then a final byte 0x40..0x7E.
            ++i;
            if (i < text.size() && text[i] == '[') {
                while (i + 1 < text.size() &&
                       !(text[i + 1] >= 0x40 && text[i + 1] <= 0x7E && text[i + 1] != '[')) {
                    ++i;
                }
                ++i;
            }
            continue;
        }
        if (!IsContinuationByte(text[i])) ++width;
    }
    return width;
}

}  // namespace gnss::cli
