#include "cli/dashboard_json.h"

#include <QJsonArray>

#include "cli/json_lines.h"

namespace gnss::cli {

namespace {

constexpr std::array<const char*, 4> kUseStateNames = {"", "view", "tracked", "used"};

QString Text(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).trimmed();
}

}  // namespace

QJsonObject DashboardJson(const DashboardSnapshot& s) {
    const NavigationPanelView& nav = s.Navigation;
    QJsonArray constellations;
    for (const auto& count : s.Constellations) {
        const std::string_view name = NameOf(count.System).Name;
        constellations.append(QJsonObject{
            {"name", QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()))},
            {"inView", count.InView},
            {"used", count.Used}});
    }
    QJsonArray satellites;
    for (const auto& sat : s.Satellites) {
        satellites.append(QJsonObject{{"sv", Text(sat.Label)},
                                      {"cno", sat.Cno},
                                      {"elevation", sat.Elevation},
                                      {"azimuth", sat.Azimuth},
                                      {"use", kUseStateNames[std::min<std::size_t>(sat.Use, 3)]}});
    }
    return QJsonObject{{"type", "status"},
                       {"time", JsonTimeNow()},
                       {"port", Text(s.Port)},
                       {"link", Text(s.LinkState)},
                       {"rxRate", Text(s.ReceiveRate)},
                       {"family", Text(s.Family)},
                       {"firmware", Text(s.Firmware)},
                       {"paused", s.Paused},
                       {"fix", Text(nav.FixText)},
                       {"latitude", Text(nav.LatitudeText)},
                       {"longitude", Text(nav.LongitudeText)},
                       {"altitude", Text(nav.AltitudeText)},
                       {"speed", Text(nav.SpeedText)},
                       {"course", Text(nav.CourseText)},
                       {"utc", Text(nav.UtcTimeText)},
                       {"pdop", Text(nav.PdopText)},
                       {"hdop", Text(nav.HdopText)},
                       {"vdop", Text(nav.VdopText)},
                       {"inView", s.InView},
                       {"used", s.Used},
                       {"constellations", constellations},
                       {"satellites", satellites}};
}

}  // namespace gnss::cli
