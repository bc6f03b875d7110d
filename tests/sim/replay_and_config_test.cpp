// Capture replay (byte-exact, paced) and the scenario/command-line settings.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "sim/capture_replayer.h"
#include "sim/family_profiles.h"
#include "sim_test_bench.h"

namespace gnss::sim {
namespace {

std::string ReadCapture(const std::string& name) {
    std::ifstream in(std::string(GNSS_TESTDATA_DIR) + "/" + name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

struct ReplayBench {
    ReplayBench(std::string capture, CaptureReplayer::Options options, uint32_t toolBaud)
        : replayer(time, std::move(capture), options) {
        port.SetBaudRate(toolBaud);
        port.OnReadyRead = [this](std::size_t) {
            char buffer[4096];
            std::size_t n = 0;
            while ((n = port.Read(buffer, sizeof buffer)) > 0) received.append(buffer, n);
        };
        (void)port.Open();
        attachment = std::make_unique<MemoryPortAttachment>(replayer, port);
        replayer.Start();
    }
    // The replay told the tool's end that it has sent everything.
    [[nodiscard]] bool Finished() const { return attachment->ReplayDone(); }
    VirtualTime time;
    MemoryReceiverPort port;
    CaptureReplayer replayer;
    std::unique_ptr<MemoryPortAttachment> attachment;
    std::string received;
};

TEST(Replay, ReproducesCapturesByteForByte) {
    for (const char* name :
         {"quectel_l70_mtk_nmea_pmtk705-pqverno-banner.log",
          "ublox_lea-m8f_ubx+gntxt_mon-ver_cfg-ack.log", "sirf_sirfstarv_sirf-binary.log",
          "st_teseo-liv4f_nmea41_pstmver-banner_doubledollar.log"}) {
        SCOPED_TRACE(name);
        const std::string capture = ReadCapture(name);
        ASSERT_FALSE(capture.empty());
        for (bool realtime : {false, true}) {
            ReplayBench bench(capture, {115200, realtime}, 115200);
            bench.time.Advance(600000);
            EXPECT_TRUE(bench.Finished());
            EXPECT_EQ(bench.received, capture);
        }
    }
}

TEST(Replay, PacesAtTheBaudRate) {
    const std::string capture = ReadCapture("quectel_l70_mtk_nmea_pmtk705-pqverno-banner.log");
    ReplayBench bench(capture, {9600, false}, 9600);
    bench.time.Advance(1000);
    EXPECT_NEAR(static_cast<double>(bench.received.size()), 960.0, 20.0);
    bench.time.Advance(1000);
    EXPECT_NEAR(static_cast<double>(bench.received.size()), 1920.0, 20.0);
    EXPECT_EQ(bench.received, capture.substr(0, bench.received.size()));
}

TEST(Replay, RealtimeSendsOneEpochPerSecond) {
    const std::string capture = ReadCapture("quectel_l70_mtk_nmea_pmtk705-pqverno-banner.log");
    const auto starts = FindEpochStarts(capture);
    ASSERT_GT(starts.size(), 10u);
    ReplayBench bench(capture, {115200, true}, 115200);
    EXPECT_EQ(bench.received.size(), starts[1]);
    bench.time.Advance(1000);
    EXPECT_EQ(bench.received.size(), starts[2]);
    bench.time.Advance(3000);
    EXPECT_EQ(bench.received.size(), starts[5]);
    // Each epoch holds one time stamp: its first line carries it.
    EXPECT_NE(capture.substr(starts[1], 30).find("150120"), std::string::npos);
}

TEST(Replay, MismatchedBaudGarbles) {
    const std::string capture = ReadCapture("quectel_l70_mtk_nmea_pmtk705-pqverno-banner.log");
    ReplayBench bench(capture, {9600, false}, 57600);
    bench.time.Advance(3000);
    EXPECT_EQ(bench.received.find("$GP"), std::string::npos);
    EXPECT_FALSE(bench.received.empty());
}

TEST(SimConfig, ScenarioFileAndCommandLine) {
    const std::string scenario = R"(# a moving MTK receiver
[receiver]
family = mtk
variant = e
baud = 38400      ; the module's rate
rate = 5
gnss = gps,glonass,beidou
bd-talker = bd
nmea41
fix = rtk
move = 50,90,0.5
fault = bit-errors=1e-5
fault = silence=20:5
cold-ms = 30000
)";
    SimConfig config;
    std::string error;
    ASSERT_TRUE(ParseScenario(scenario, config, error)) << error;
    EXPECT_EQ(config.Family, "mtk");
    EXPECT_EQ(config.Variant, "e");
    EXPECT_EQ(config.Baud, 38400u);
    EXPECT_EQ(config.RateHz, 5);
    EXPECT_EQ(config.BeiDouTalker, "BD");
    EXPECT_EQ(config.Nmea41, 1);
    EXPECT_EQ(config.Fix, FixKind::RtkFixed);
    EXPECT_DOUBLE_EQ(config.SpeedKmh, 50.0);
    EXPECT_DOUBLE_EQ(config.CourseDeg, 90.0);
    EXPECT_DOUBLE_EQ(config.TurnDegPerS, 0.5);
    EXPECT_DOUBLE_EQ(config.Faults.BitErrorRate, 1e-5);
    EXPECT_EQ(config.Faults.SilenceAfterSeconds, 20);
    EXPECT_EQ(config.Faults.SilenceSeconds, 5);
    EXPECT_EQ(config.ColdMs, 30000u);

    // Command-line options override the scenario read before them.
    bool help = false;
    auto reader = [&](const std::string& path, std::string& text) {
        if (path != "s.ini") return false;
        text = scenario;
        return true;
    };
    SimConfig cli;
    ASSERT_TRUE(ParseCommandLine(
        {"--scenario", "s.ini", "--rate=10", "--signals", "--baud", "9600", "--fault", "no-ack"},
        cli, help, error, reader))
        << error;
    EXPECT_EQ(cli.RateHz, 10);
    EXPECT_EQ(cli.Baud, 9600u);
    EXPECT_TRUE(cli.Signals);
    EXPECT_TRUE(cli.Faults.NeverAck);
    EXPECT_EQ(cli.Variant, "e");
    EXPECT_FALSE(help);
}

TEST(SimConfig, RejectsBadSettingsWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {"--rate", "3"},
        {"--gnss", "gps,mars"},
        {"--fix", "4d"},
        {"--baud", "12"},
        {"--fault", "gremlins"},
        {"--fault", "bit-errors=2"},
        {"--family", "nokia"},
        {"--move", "fast"},
        {"--lat", "91"},
        {"--bd-talker", "BX"},
        {"--rate"},
        {"stray"},
        {"--scenario", "missing.ini"},
    };
    for (const auto& args : bad) {
        SimConfig config;
        bool help = false;
        std::string error;
        EXPECT_FALSE(ParseCommandLine(args, config, help, error,
                                      [](const std::string&, std::string&) { return false; }))
            << args[0];
        EXPECT_FALSE(error.empty());
    }
    SimConfig config;
    std::string error;
    EXPECT_FALSE(ParseScenario("rate = 5\njust words\n", config, error));
    EXPECT_NE(error.find("line 2"), std::string::npos);
}

TEST(SimConfig, HelpListsEveryFamilyAndFault) {
    const std::string help = HelpText();
    for (const auto& p : FamilyProfiles()) {
        EXPECT_NE(help.find("--family " + p.Key), std::string::npos) << p.Key;
        if (!p.Variant.empty()) {
            EXPECT_NE(help.find("--variant " + p.Variant), std::string::npos) << p.Variant;
        }
    }
    for (const char* fault : {"bit-errors", "drop", "garbage", "silence", "vanish", "slow-ack",
                              "reject", "no-ack", "no-crlf", "long-lines"})
        EXPECT_NE(help.find(fault), std::string::npos) << fault;
}

}  // namespace
}  // namespace gnss::sim
