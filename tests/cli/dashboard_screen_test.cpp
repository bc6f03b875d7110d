#include "cli/dashboard_screen.h"

#include <gtest/gtest.h>

#include <QJsonArray>

#include "cli/dashboard_json.h"

namespace gnss::cli {
namespace {

// A display list as the decoder builds it: entries sorted by number, with use states.
SatDisplayList ListOf(std::initializer_list<std::pair<int, SatUseState>> satellites, int inView) {
    SatDisplayList list;
    list.InView = inView;
    for (const auto& [number, use] : satellites) {
        const std::size_t i = list.EntryCount++;
        list.Entries[i].Number = static_cast<int16_t>(number);
        list.Entries[i].Cno = static_cast<int8_t>(20 + number % 30);
        list.Entries[i].Elevation = 45;
        list.Entries[i].Azimuth = 180;
        list.UseStates[i] = use;
        if (use == kSatUsed) ++list.UsedCount;
    }
    return list;
}

DashboardSnapshot Sample(int satelliteCount, int monitorLines) {
    DashboardSnapshot s;
    s.Port = "Open (ttyUSB0,9600 bps)";
    s.LinkState = "NMEA";
    s.ReceiveRate = "Rx(Bps):1234";
    s.Family = "MTK";
    s.Firmware = "AXN_5.1.6";
    s.Identified = true;
    s.Navigation.FixText = "Fix(3D)";
    s.Navigation.LatitudeText = "N  25.0336000°";
    s.Navigation.LongitudeText = "E 121.5646000°";
    SatDisplayList list;
    list.InView = satelliteCount;
    for (int i = 0; i < satelliteCount && i < 44; ++i) {
        list.Entries[static_cast<std::size_t>(i)].Number = static_cast<int16_t>(i + 1);
        list.Entries[static_cast<std::size_t>(i)].Cno = 40;
        list.UseStates[static_cast<std::size_t>(i)] = kSatUsed;
        ++list.EntryCount;
    }
    list.UsedCount = list.EntryCount;
    FillSatellites(s, list, ReceiverFamily::MTK, false, false);
    for (int i = 0; i < monitorLines; ++i)
        s.MonitorLines.push_back("$GPGGA,line" + std::to_string(i));
    return s;
}

TEST(DashboardSatellites, CountsEachConstellationAndLabelsAsTheGridNumbersThem) {
    // GPS 5 and 12 (used), GLONASS 70 (tracked), Galileo 301 (used), BeiDou 201 (in view).
    DashboardSnapshot s;
    FillSatellites(
        s,
        ListOf(
            {{5, kSatUsed}, {12, kSatUsed}, {70, kSatTracked}, {201, kSatInView}, {301, kSatUsed}},
            5),
        ReceiverFamily::MTK, true, true);
    ASSERT_EQ(s.Satellites.size(), 5U);
    EXPECT_EQ(s.Satellites[0].Label, "G5");
    EXPECT_EQ(s.Satellites[2].System, Constellation::Glonass);
    EXPECT_EQ(s.Satellites[3].System, Constellation::Bds);
    EXPECT_EQ(s.Satellites[4].System, Constellation::Galileo);
    EXPECT_EQ(s.Satellites[4].Use, kSatUsed);
    // Listed in a fixed order, only those with satellites, used counted per system.
    ASSERT_EQ(s.Constellations.size(), 4U);
    EXPECT_EQ(s.Constellations[0].System, Constellation::Gps);
    EXPECT_EQ(s.Constellations[0].InView, 2);
    EXPECT_EQ(s.Constellations[0].Used, 2);
    EXPECT_EQ(s.Constellations[1].System, Constellation::Glonass);
    EXPECT_EQ(s.Constellations[1].Used, 0);
    EXPECT_EQ(s.Constellations[2].System, Constellation::Galileo);
    EXPECT_EQ(s.Constellations[3].System, Constellation::Bds);
    EXPECT_EQ(s.Used, 3);
}

// Every size of terminal gets exactly its rows, none wider than its columns, whatever there is
// to show; plain output has no escape sequences and coloured output the same visible text.
TEST(DashboardScreen, FillsExactlyTheTerminalAndNeverWraps) {
    for (const int width : {20, 40, 80, 120, 200}) {
        for (const int height : {1, 5, 12, 24, 60}) {
            for (const int sats : {0, 9, 44}) {
                SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + " " +
                             std::to_string(sats));
                const DashboardSnapshot s = Sample(sats, 300);
                const auto plain = RenderDashboard(s, width, height, false);
                const auto coloured = RenderDashboard(s, width, height, true);
                ASSERT_EQ(plain.size(), static_cast<std::size_t>(height));
                ASSERT_EQ(coloured.size(), plain.size());
                for (std::size_t i = 0; i < plain.size(); ++i) {
                    EXPECT_LE(VisibleWidth(plain[i]), width) << plain[i];
                    EXPECT_EQ(plain[i].find('\x1b'), std::string::npos);
                    EXPECT_LE(VisibleWidth(coloured[i]), width) << coloured[i];
                }
            }
        }
    }
}

TEST(DashboardScreen, ShowsTheNewestMonitorLinesAndSaysWhatDidNotFit) {
    const DashboardSnapshot s = Sample(44, 300);
    const auto lines = RenderDashboard(s, 80, 30, false);
    // Monitor lines end just above the key line, newest last.
    EXPECT_EQ(lines[lines.size() - 2], "$GPGGA,line299");
    EXPECT_EQ(lines.back().substr(0, 7), " q quit");
    // 44 satellites in two columns do not fit 30 rows: the last cell counts the rest.
    bool more = false;
    for (const auto& line : lines) more = more || line.find(" more") != std::string::npos;
    EXPECT_TRUE(more);

    // On a tall screen every satellite has its cell and nothing is left out.
    int cells = 0;
    for (const auto& line : RenderDashboard(s, 80, 80, false)) {
        for (auto at = line.find(" 40 used"); at != std::string::npos;
             at = line.find(" 40 used", at + 1)) {
            ++cells;
        }
        EXPECT_EQ(line.find(" more"), std::string::npos);
    }
    EXPECT_EQ(cells, 44);
}

TEST(DashboardScreen, TheBarFollowsCnoAndTheStateIsNamed) {
    DashboardSnapshot s;
    FillSatellites(s, ListOf({{3, kSatUsed}, {30, kSatInView}}, 2), ReceiverFamily::MTK, false,
                   false);
    s.Satellites[0].Cno = 50;
    s.Satellites[1].Cno = 0;
    const auto lines = RenderDashboard(s, 36, 24, false);
    std::string full;
    std::string empty;
    for (const auto& line : lines) {
        if (line.rfind("G3 ", 0) == 0) full = line;
        if (line.rfind("G30", 0) == 0) empty = line;
    }
    std::string fullBar;
    for (int i = 0; i < 20; ++i) fullBar += "█";
    EXPECT_EQ(full, "G3   " + fullBar + " 50 used   ");
    EXPECT_NE(empty.find("░░░░░░░░░░░░░░░░░░░░  0 view"), std::string::npos) << empty;
}

TEST(DashboardScreen, UnidentifiedReceiverAndPauseAreSaid) {
    DashboardSnapshot s = Sample(3, 3);
    s.Identified = false;
    s.Paused = true;
    s.Navigation = NavigationPanelView{};
    const auto lines = RenderDashboard(s, 100, 30, false);
    EXPECT_NE(lines[0].find("PAUSED"), std::string::npos);
    EXPECT_NE(lines[2].find("shown once the receiver is identified"), std::string::npos);
    EXPECT_NE(lines[3].find("Fix        -"), std::string::npos) << lines[3];
    EXPECT_NE(lines.back().find("p resume"), std::string::npos);
}

TEST(DashboardSummary, OneLineWithTheFixAndTheCounts) {
    const DashboardSnapshot s = Sample(9, 0);
    EXPECT_EQ(DashboardSummaryLine(s),
              "NMEA MTK | Fix(3D) | N  25.0336000° E 121.5646000° - | - - | UTC - | sats 9/9 "
              "GPS 9/9 | Rx(Bps):1234");
}

TEST(DashboardJson, CarriesTheTextsCountsAndEverySatellite) {
    const QJsonObject json = DashboardJson(Sample(4, 0));
    EXPECT_EQ(json["type"].toString(), "status");
    EXPECT_EQ(json["fix"].toString(), "Fix(3D)");
    EXPECT_EQ(json["latitude"].toString(), "N  25.0336000°");
    EXPECT_EQ(json["inView"].toInt(), 4);
    ASSERT_EQ(json["satellites"].toArray().size(), 4);
    const QJsonObject first = json["satellites"].toArray()[0].toObject();
    EXPECT_EQ(first["sv"].toString(), "G1");
    EXPECT_EQ(first["cno"].toInt(), 40);
    EXPECT_EQ(first["use"].toString(), "used");
    EXPECT_EQ(json["constellations"].toArray()[0].toObject()["used"].toInt(), 4);
}

TEST(VisibleWidth, CountsCharactersNotBytesOrEscapes) {
    EXPECT_EQ(VisibleWidth("abc"), 3);
    EXPECT_EQ(VisibleWidth("25°"), 3);
    EXPECT_EQ(VisibleWidth("██░"), 3);
    EXPECT_EQ(VisibleWidth("\x1b[1;31mab\x1b[0m"), 2);
    EXPECT_EQ(VisibleWidth(""), 0);
}

}  // namespace
}  // namespace gnss::cli
