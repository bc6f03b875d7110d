// The navigation output: well-formed sentences whose satellites, counts and times agree.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "sim_test_bench.h"

namespace gnss::sim {
namespace {

using testing::Bench;
using testing::Config;
using testing::Fields;
using testing::IsKind;
using testing::Lines;

struct OutputCase {
    std::string Family;
    int RateHz;
    std::string Gnss;
    int Nmea41;
    bool Signals;
    std::string BdTalker;
};

// Checks one second-or-more stream: every line valid, GSV groups complete and consistent, GSA
// satellites present in GSV with a signal, GGA used count equal to the GSA satellites.
void CheckStream(const std::string& stream, const NmeaStyle& style) {
    const auto lines = Lines(stream);
    ASSERT_FALSE(lines.empty());
    // Skip a leading partial line.
    std::size_t first = lines.front().empty() || lines.front()[0] != '$' ? 1 : 0;
    std::map<std::string, std::set<int>> heard;  // talker -> ids heard on some signal
    std::vector<int> gsaIds;
    int expectedGsv = 0;
    int gsvIndex = 0;
    int gsvCount = 0;
    int blocks = 0;
    for (std::size_t i = first; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        SCOPED_TRACE(line);
        ASSERT_TRUE(IsValidSentence(line));
        EXPECT_LE(line.size(), 82u + 2u);
        const auto f = Fields(line);
        const std::string talker = line.substr(1, 2);
        if (IsKind(line, "GSV")) {
            const int count = std::stoi(f[1]);
            const int index = std::stoi(f[2]);
            const int total = std::stoi(f[3]);
            const bool withSignal = style.Nmea41 || style.Signals;
            const std::size_t sats = (f.size() - 4 - (withSignal ? 1 : 0)) / 4;
            EXPECT_EQ((f.size() - 4 - (withSignal ? 1 : 0)) % 4, 0u);
            if (index == 1) {
                gsvCount = count;
                gsvIndex = 0;
                expectedGsv = total;
                blocks = 0;
            }
            EXPECT_EQ(index, gsvIndex + 1);
            gsvIndex = index;
            EXPECT_EQ(count, std::max(1, (total + 3) / 4));
            blocks += static_cast<int>(sats);
            if (index == gsvCount) {
                EXPECT_EQ(blocks, expectedGsv);
            }
            for (std::size_t s = 0; s < sats; ++s) {
                const int id = std::stoi(f[4 + 4 * s]);
                const int elevation = std::stoi(f[5 + 4 * s]);
                const int azimuth = std::stoi(f[6 + 4 * s]);
                EXPECT_GE(elevation, 0);
                EXPECT_LE(elevation, 90);
                EXPECT_GE(azimuth, 0);
                EXPECT_LT(azimuth, 360);
                if (!f[7 + 4 * s].empty()) heard[talker].insert(id);
            }
        } else if (IsKind(line, "GSA")) {
            for (int k = 3; k < 15; ++k)
                if (!f[static_cast<std::size_t>(k)].empty())
                    gsaIds.push_back(std::stoi(f[static_cast<std::size_t>(k)]));
            EXPECT_EQ(f.size(), style.Nmea41 ? 19u : 18u);
        } else if (IsKind(line, "GGA")) {
            if (!gsaIds.empty()) {
                EXPECT_EQ(std::stoi(f[7]), static_cast<int>(gsaIds.size()));
            }
            gsaIds.clear();
        }
    }
    // Every satellite reported used is in some GSV group with a signal.
    std::set<int> allHeard;
    for (const auto& [talker, ids] : heard) allHeard.insert(ids.begin(), ids.end());
    for (int id : gsaIds) EXPECT_TRUE(allHeard.count(id)) << id;
}

TEST(NmeaOutput, WellFormedAndConsistentAcrossStyles) {
    const std::vector<OutputCase> cases = {
        {"mtk", 1, "gps", -1, false, "GB"},
        {"mtk", 5, "gps,glonass", 0, false, "GB"},
        {"ublox", 10, "gps,glonass,galileo,beidou", 1, false, "GB"},
        {"ublox", 1, "gps,glonass,galileo,beidou,qzss,navic,sbas", 1, true, "GB"},
        {"st", 1, "gps,beidou", 1, true, "BD"},
        {"sirf", 1, "gps,sbas", 0, false, "GB"},
        {"hd", 5, "beidou", 0, false, "BD"},
        {"furuno", 1, "gps,glonass,galileo,qzss", 0, false, "GB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Family + " " + std::to_string(c.RateHz) + " Hz " + c.Gnss);
        SimConfig config = Config(c.Family);
        config.RateHz = c.RateHz;
        config.Gnss = c.Gnss;
        config.Nmea41 = c.Nmea41;
        config.Signals = c.Signals;
        config.BeiDouTalker = c.BdTalker;
        config.Baud = 921600;
        Bench bench(config);
        bench.Run(4000);
        bench.Take();
        bench.Run(3000);
        const std::string stream = bench.Take();
        CheckStream(stream, bench.receiver->Style());
        // One GGA per navigation interval.
        int gga = 0;
        for (const auto& line : Lines(stream))
            if (IsKind(line, "GGA")) ++gga;
        EXPECT_NEAR(gga, 3 * c.RateHz, 1);
    }
}

TEST(NmeaOutput, TalkersAndSignalIdsFollowTheStyle) {
    SimConfig config = Config("ublox");
    config.Gnss = "gps,glonass,galileo,beidou";
    config.Nmea41 = 1;
    config.Signals = true;
    config.BeiDouTalker = "BD";
    config.Baud = 921600;
    Bench bench(config);
    bench.Run(4000);
    const auto lines = Lines(bench.Take());
    std::set<std::string> gsvTalkerSignal;
    std::set<std::string> gsaSystems;
    for (const auto& line : lines) {
        if (IsKind(line, "GSV")) gsvTalkerSignal.insert(line.substr(1, 2) + Fields(line).back());
        if (IsKind(line, "GSA")) gsaSystems.insert(Fields(line).back());
        if (IsKind(line, "GGA") || IsKind(line, "RMC")) {
            EXPECT_EQ(line.substr(1, 2), "GN");
        }
    }
    EXPECT_EQ(gsvTalkerSignal,
              (std::set<std::string>{"GP1", "GP8", "GL1", "GL3", "GA7", "GA1", "BD1", "BD5"}));
    EXPECT_EQ(gsaSystems, (std::set<std::string>{"1", "2", "3", "4"}));

    config.Gnss = "gps";
    config.Nmea41 = 0;
    config.Signals = false;
    Bench gpsOnly(config);
    gpsOnly.Run(4000);
    for (const auto& line : Lines(gpsOnly.Take())) {
        if (line.empty() || line[0] != '$' || line.rfind("$GNTXT", 0) == 0) continue;
        EXPECT_EQ(line.substr(1, 2), "GP") << line;
    }
}

TEST(NmeaOutput, FixKindsShowInGgaRmcAndGsa) {
    struct Row {
        FixKind Kind;
        std::string Quality;
        std::string Mode;
        std::string GsaMode;
    };
    const std::vector<Row> rows = {
        {FixKind::Fix2D, "1", "A", "2"},    {FixKind::Fix3D, "1", "A", "3"},
        {FixKind::Dgps, "2", "D", "3"},     {FixKind::RtkFixed, "4", "R", "3"},
        {FixKind::RtkFloat, "5", "F", "3"}, {FixKind::DeadReckoning, "6", "E", "3"},
        {FixKind::None, "0", "N", "1"},
    };
    for (const auto& row : rows) {
        SimConfig config = Config("mtk");
        config.Fix = row.Kind;
        config.Gnss = "gps";
        Bench bench(config);
        bench.Run(5000);
        bench.Take();
        bench.Run(2000);
        for (const auto& line : Lines(bench.Take())) {
            if (line.empty() || line[0] != '$') continue;
            const auto f = Fields(line);
            if (IsKind(line, "GGA")) {
                EXPECT_EQ(f[6], row.Quality) << line;
            }
            if (IsKind(line, "RMC")) {
                EXPECT_EQ(f[12], row.Mode) << line;
            }
            if (IsKind(line, "GSA")) {
                EXPECT_EQ(f[2], row.GsaMode) << line;
            }
        }
    }
}

TEST(NmeaOutput, TimeAndDateComeFromTheClock) {
    SimConfig config = Config("mtk");
    config.RateHz = 5;
    Bench bench(config);  // virtual time starts 2025-01-01 00:00:00 UTC
    bench.Run(4000);
    std::vector<std::string> times;
    for (const auto& line : Lines(bench.Take())) {
        if (IsKind(line, "RMC")) {
            times.push_back(Fields(line)[1]);
            EXPECT_EQ(Fields(line)[9], "010125");
        }
    }
    ASSERT_GE(times.size(), 10u);
    EXPECT_EQ(times[0], "000000.000");
    EXPECT_EQ(times[1], "000000.200");
    EXPECT_EQ(times[5], "000001.000");
}

double ParseCoordinate(const std::string& value, const std::string& hemisphere, int degreeDigits) {
    const double deg = std::stod(value.substr(0, static_cast<std::size_t>(degreeDigits)));
    const double min = std::stod(value.substr(static_cast<std::size_t>(degreeDigits)));
    const double v = deg + min / 60.0;
    return hemisphere == "S" || hemisphere == "W" ? -v : v;
}

TEST(NmeaOutput, MovingReceiverFollowsSpeedAndCourse) {
    SimConfig config = Config("ublox");
    config.SpeedKmh = 36.0;  // 10 m/s
    config.CourseDeg = 90.0;
    config.Baud = 115200;
    Bench bench(config);
    bench.Run(3000);
    std::vector<std::pair<double, double>> fixes;
    std::string speed;
    std::string course;
    bench.Run(10000);
    for (const auto& line : Lines(bench.Take())) {
        if (!IsKind(line, "RMC")) continue;
        const auto f = Fields(line);
        if (f[2] != "A") continue;
        fixes.emplace_back(ParseCoordinate(f[3], f[4], 2), ParseCoordinate(f[5], f[6], 3));
        speed = f[7];
        course = f[8];
    }
    ASSERT_GE(fixes.size(), 10u);
    const double dLon = fixes.back().second - fixes.front().second;
    const double metres =
        dLon * std::cos(25.0336 * 3.14159265 / 180.0) * 6371000.0 * 3.14159265 / 180.0;
    EXPECT_NEAR(metres, 10.0 * static_cast<double>(fixes.size() - 1), 2.0);
    EXPECT_NEAR(fixes.back().first, fixes.front().first, 1e-6);
    EXPECT_NEAR(std::stod(speed), 36.0 / 1.852, 0.01);
    EXPECT_EQ(course, "90.00");
}

TEST(NmeaOutput, SkyIsDeterministicPerSeedAndSignalFollowsElevation) {
    auto run = [](uint64_t seed) {
        SimConfig config = Config("mtk");
        config.Seed = seed;
        config.Gnss = "gps,glonass,galileo,beidou";
        config.Baud = 921600;
        Bench bench(config);
        bench.Run(6000);
        return bench.Take();
    };
    const std::string a = run(7);
    EXPECT_EQ(a, run(7));
    EXPECT_NE(a, run(8));

    // Over a long stretch: high satellites are louder than low ones; some are tracked without
    // signal; some are heard but not used.
    SimConfig config = Config("ublox");
    config.Gnss = "gps,glonass,galileo,beidou";
    config.Baud = 921600;
    config.Nmea41 = 1;
    Bench bench(config);
    double highSum = 0, lowSum = 0;
    int high = 0, low = 0, silent = 0, heardUnused = 0;
    for (int minute = 0; minute < 30; ++minute) {
        bench.Run(60000);
        std::set<std::pair<std::string, int>> used;
        std::vector<std::tuple<std::string, int, int, std::string>> seen;
        for (const auto& line : Lines(bench.Take())) {
            const auto f = Fields(line);
            if (IsKind(line, "GSA")) {
                used.clear();
                for (int k = 3; k < 15; ++k)
                    if (!f[static_cast<std::size_t>(k)].empty())
                        used.insert({f[18], std::stoi(f[static_cast<std::size_t>(k)])});
            }
            if (!IsKind(line, "GSV")) continue;
            for (std::size_t s = 0; 4 + 4 * s + 3 < f.size(); ++s)
                seen.emplace_back(line.substr(1, 2), std::stoi(f[4 + 4 * s]),
                                  std::stoi(f[5 + 4 * s]), f[7 + 4 * s]);
        }
        for (const auto& [talker, id, elevation, cno] : seen) {
            if (cno.empty()) {
                ++silent;
                continue;
            }
            if (elevation >= 50) highSum += std::stoi(cno), ++high;
            if (elevation <= 15) lowSum += std::stoi(cno), ++low;
        }
        heardUnused += static_cast<int>(seen.size()) - static_cast<int>(used.size()) > 0;
    }
    ASSERT_GT(high, 0);
    ASSERT_GT(low, 0);
    EXPECT_GT(highSum / high, lowSum / low + 5.0);
    EXPECT_GT(silent, 0);
    EXPECT_GT(heardUnused, 0);
}

TEST(NmeaOutput, SatellitesRiseAndSetOverHours) {
    SimConfig config = Config("mtk");
    config.Gnss = "gps";
    config.Baud = 921600;
    Bench bench(config);
    auto ids = [&] {
        std::set<int> out;
        bench.Take();
        bench.Run(1000);
        for (const auto& line : Lines(bench.Take())) {
            if (!IsKind(line, "GSV")) continue;
            const auto f = Fields(line);
            for (std::size_t s = 0; 4 + 4 * s + 3 < f.size(); ++s)
                out.insert(std::stoi(f[4 + 4 * s]));
        }
        return out;
    };
    const auto early = ids();
    bench.Run(3 * 3600 * 1000);
    const auto later = ids();
    EXPECT_GE(early.size(), 6u);
    EXPECT_GE(later.size(), 6u);
    EXPECT_NE(early, later);
}

}  // namespace
}  // namespace gnss::sim
