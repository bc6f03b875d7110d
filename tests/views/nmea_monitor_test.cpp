#include "views/nmea_monitor.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "base/virtual_time.h"
#include "link/memory_receiver_port.h"

namespace gnss {
namespace {

class FakeLog final : public LogLineSink {
  public:
    [[nodiscard]] bool LogActive() const override { return active; }
    void LogAppend(std::string_view line) override {
        if (active) lines.emplace_back(line);
    }
    [[nodiscard]] std::size_t PendingLineCount() const override { return lines.size(); }
    void LogHandover() override {
        ++handovers;
        lines.clear();
    }

    bool active = false;
    std::vector<std::string> lines;
    int handovers = 0;
};

class NmeaMonitorTest : public ::testing::Test {
  protected:
    NmeaMonitorTest() {
        port.SetPortName("/dev/ttyUSB0");
        port.SetBaudRate(9600);
        monitor = std::make_unique<NmeaMonitor>(time, shared, receiver, log, port);
    }

    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < monitor->LineCount(); ++i) lines.push_back(monitor->Line(i));
        return lines;
    }

    VirtualTime time;
    SharedState shared;
    ReceiverState receiver;
    FakeLog log;
    MemoryReceiverPort port;
    std::unique_ptr<NmeaMonitor> monitor;
};

constexpr std::string_view kGga =
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
constexpr std::string_view kRmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,,*6A";
constexpr std::string_view kNote = "  <Hex Command :[B562]> GGA";

TEST_F(NmeaMonitorTest, DisplayFilter) {
    struct Case {
        std::string filter;
        std::string_view line;
        bool shown;
    };
    const Case cases[] = {
        {"GGA", kGga, true},
        {"gga", kGga, true},
        {"  Gga ", kGga, true},
        {"GGA", kRmc, false},
        {"GGA", kNote, false},
        {"GGA", "   ", false},
        {"GGA", "$gpgga,1,2,3", false},
        {"ALL", kNote, true},
        {"all", kNote, true},
        {"", kNote, true},
        {"  ", kRmc, true},
        {"$GPRMC", kRmc, true},
    };
    for (const Case& c : cases) {
        monitor->MonitorClear();
        monitor->SetFilterText(c.filter);
        monitor->MonitorAddLine(c.line);
        EXPECT_EQ(monitor->LineCount(), c.shown ? 1u : 0u) << "[" << c.filter << "] " << c.line;
        if (c.shown) {
            EXPECT_EQ(monitor->Line(0), c.line);
            EXPECT_EQ(monitor->SelectedLine(), 0);
        }
    }
}

TEST_F(NmeaMonitorTest, WhichReceivedLinesAreShown) {
    struct Case {
        int32_t seconds;
        ReceiverFamily family;
        bool headingTest;
        std::string_view line;
        std::string shown;  // empty: not shown
    };
    const std::string tick = "          @" + std::to_string(1234);
    const Case cases[] = {
        {3, ReceiverFamily::Unknown, false, "$PSTMVER,GNSSLIB_8.4.18.25_ARM*7B", ""},
        {5, ReceiverFamily::Unknown, false, "$PSTMVER,GNSSLIB_8.4.18.25_ARM*7B", ""},
        {6, ReceiverFamily::Unknown, false, "$PSTMVER,GNSSLIB_8.4.18.25_ARM*7B",
         "$PSTMVER,GNSSLIB_8.4.18.25_ARM*7B"},
        {2, ReceiverFamily::Unknown, false, "$PMTK705,AXN_5.1.7_3333_1902071,0000,,1.0*69", ""},
        {2, ReceiverFamily::Unknown, false, "$GPTXT,inv format*11", ""},
        {2, ReceiverFamily::Unknown, false, kGga, std::string(kGga)},
        {9, ReceiverFamily::Unknown, false, "$PUNV,CFG_R,1*5A", ""},
        {9, ReceiverFamily::Unknown, false, "$GPGGA,12", ""},  // nine characters
        {9, ReceiverFamily::Unknown, false, "$GPGGA,123", "$GPGGA,123"},
        {9, ReceiverFamily::Unknown, false, "GPGGA,123519,4807", ""},
        {9, ReceiverFamily::RTK_DF, true, "$GPHDT,274.07,T*03", "$GPHDT,274.07,T*03" + tick},
        {9, ReceiverFamily::RTK_DF, true, "$DFX V0.91 heading", "$DFX V0.91 heading" + tick},
        {9, ReceiverFamily::RTK_DF, false, "$GPHDT,274.07,T*03", "$GPHDT,274.07,T*03"},
        {9, ReceiverFamily::MTK, true, "$GPHDT,274.07,T*03", "$GPHDT,274.07,T*03"},
        {9, ReceiverFamily::RTK_DF, true, kRmc, std::string(kRmc)},
    };
    time.Advance(1234);
    log.active = true;
    for (const Case& c : cases) {
        monitor->MonitorClear();
        log.lines.clear();
        receiver.SecondsCounter = c.seconds;
        shared.Family = c.family;
        monitor->SetHeadingTest(c.headingTest);
        const bool shown = monitor->MonitorReceived(c.line);
        EXPECT_EQ(shown, !c.shown.empty()) << c.line;
        const std::vector<std::string> expected =
            c.shown.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.shown};
        EXPECT_EQ(Lines(), expected) << c.line;
        EXPECT_EQ(log.lines, expected) << "shown lines are logged as shown: " << c.line;
    }
}

TEST_F(NmeaMonitorTest, ReceivedLinesAreLoggedBeforeTheDisplayFilter) {
    log.active = true;
    receiver.SecondsCounter = 9;
    monitor->SetFilterText("GGA");
    EXPECT_TRUE(monitor->MonitorReceived(kRmc));
    EXPECT_EQ(monitor->LineCount(), 0u);
    EXPECT_EQ(log.lines, std::vector<std::string>{std::string(kRmc)});
}

TEST_F(NmeaMonitorTest, LoggedAndStampedLines) {
    monitor->MonitorAddLogged("  <Cold start>");
    EXPECT_TRUE(log.lines.empty());
    log.active = true;
    monitor->MonitorAddLogged("  <Hot start>");
    EXPECT_EQ(log.lines, std::vector<std::string>{"  <Hot start>"});

    time.Advance(((13 * 60 + 45) * 60 + 12) * 1000 + 345);
    monitor->MonitorAddStamped("TTFF 35.2 s");
    EXPECT_EQ(monitor->Line(2), "....[TTFF 35.2 s]....[13:45:12.345]....");
}

TEST_F(NmeaMonitorTest, StepCapsTheListOnlyWhenNewSentencesArrived) {
    struct Case {
        std::size_t lines;
        bool newSentence;
        std::size_t after;
    };
    const Case cases[] = {
        {2401, false, 2401}, {2401, true, 1919}, {2400, true, 2400}, {5000, true, 1919}};
    for (const Case& c : cases) {
        monitor->MonitorClear();
        for (std::size_t i = 0; i < c.lines; ++i) monitor->MonitorAddLine(std::to_string(i));
        if (c.newSentence) monitor->MarkNewSentence();
        const MonitorStepResult result = monitor->MonitorStep();
        ASSERT_EQ(monitor->LineCount(), c.after);
        EXPECT_EQ(monitor->Line(c.after - 1), std::to_string(c.lines - 1)) << "newest kept";
        EXPECT_EQ(monitor->Line(0), std::to_string(c.lines - c.after));
        EXPECT_EQ(monitor->SelectedLine(), static_cast<std::ptrdiff_t>(c.after) - 1);
        EXPECT_EQ(result,
                  c.newSentence ? MonitorStepResult::NewSentences : MonitorStepResult::Quiet);
        EXPECT_FALSE(monitor->NewSentenceFlag());
    }
}

TEST_F(NmeaMonitorTest, StepHandsOverALargeLogBatch) {
    struct Case {
        bool logActive;
        int pending;
        int handovers;
    };
    const Case cases[] = {{false, 0, 0}, {true, 500, 0}, {true, 501, 1}, {false, 501, 0}};
    for (const Case& c : cases) {
        log.handovers = 0;
        log.active = c.logActive;
        log.lines.assign(static_cast<std::size_t>(c.pending), "x");
        monitor->MarkNewSentence();
        EXPECT_EQ(monitor->MonitorStep(), MonitorStepResult::NewSentences);
        EXPECT_EQ(log.handovers, c.handovers) << c.pending;
    }
}

TEST_F(NmeaMonitorTest, DecodedSentencesOfKnownKindsMarkTheSecond) {
    monitor->OnSentenceDecoded(SentenceKind::None, "$GPXYZ,1*00");
    EXPECT_FALSE(monitor->NewSentenceFlag());
    monitor->OnSentenceDecoded(SentenceKind::Gga, kGga);
    EXPECT_TRUE(monitor->NewSentenceFlag());
    monitor->OnConnecting();
    EXPECT_FALSE(monitor->NewSentenceFlag());
}

TEST_F(NmeaMonitorTest, PauseStopsAdditionsAndTheStep) {
    monitor->SetPause(true);
    EXPECT_TRUE(shared.MonitorPaused);
    const MonitorPauseView& view = monitor->PauseView();
    EXPECT_EQ(view.Hint, "Click to Continue");
    EXPECT_EQ(view.PortStatusText, "Pause (/dev/ttyUSB0,9600 bps)");
    EXPECT_TRUE(view.PortStatusLowered);
    EXPECT_FALSE(view.CommandControlsEnabled);

    receiver.SecondsCounter = 9;
    log.active = true;
    EXPECT_FALSE(monitor->MonitorReceived(kGga));
    monitor->MonitorAddLine(kRmc);
    EXPECT_EQ(monitor->LineCount(), 0u);
    EXPECT_TRUE(log.lines.empty());
    monitor->MarkNewSentence();
    EXPECT_EQ(monitor->MonitorStep(), MonitorStepResult::Paused);
    EXPECT_TRUE(monitor->NewSentenceFlag()) << "the step does nothing while paused";

    monitor->SetPause(false);
    EXPECT_FALSE(shared.MonitorPaused);
    EXPECT_EQ(view.Hint, "Click to Pause");
    EXPECT_EQ(view.PortStatusText, "Open (/dev/ttyUSB0,9600 bps)");
    EXPECT_FALSE(view.PortStatusLowered);
    EXPECT_TRUE(view.CommandControlsEnabled);
    monitor->MonitorAddLine(kRmc);
    EXPECT_EQ(monitor->LineCount(), 1u);

    monitor->SetPause(true);
    monitor->MonitorConnectReset();
    EXPECT_FALSE(shared.MonitorPaused);
    EXPECT_EQ(monitor->LineCount(), 0u);
}

TEST_F(NmeaMonitorTest, ColoursByKindOnceIdentified) {
    struct Case {
        ReceiverFamily family;
        std::string line;
        Rgb color;
    };
    const Case cases[] = {
        {ReceiverFamily::MTK, std::string(kGga), 0xF200F2},
        {ReceiverFamily::MTK, "$GPRMC,1,2*00 $GPGSV,3,1", 0x7BF700},  // RMC before GSV
        {ReceiverFamily::MTK, "$GPGSV,3,1,12*00", 0xFF9797},
        {ReceiverFamily::MTK, "$GNGNS,1,2,3", 0xCB83FC},
        {ReceiverFamily::MTK, "  <Hex Command>", 0xFF3C3C},
        {ReceiverFamily::MTK, "$PXYZ,1", 0xFFFFFF},
        {ReceiverFamily::TMC, "$PMDRTR,1,PMD", 0xFFFF3C},
        {ReceiverFamily::TMC, "$PMDX,1", 0xBCFF79},
        {ReceiverFamily::TMC, "  <Ack>", 0x00FFFF},
        {ReceiverFamily::TMC, "  ", 0xFFFFFF},
        {ReceiverFamily::TMC, std::string(kGga), 0xFFFFFF},
    };
    for (const Case& c : cases) {
        monitor->MonitorClear();
        monitor->MonitorAddLine(c.line);
        shared.Family = c.family;
        shared.ReceiverIdentified = false;
        EXPECT_EQ(monitor->LineColor(0), 0xFFFFFFu) << "plain until identified: " << c.line;
        shared.ReceiverIdentified = true;
        EXPECT_EQ(monitor->LineColor(0), c.color) << c.line;
    }
}

TEST_F(NmeaMonitorTest, ClearEmptiesTheListAndTheSelection) {
    monitor->MonitorAddLine(kGga);
    monitor->MonitorClear();
    EXPECT_EQ(monitor->LineCount(), 0u);
    EXPECT_EQ(monitor->SelectedLine(), -1);
}

// A view that applies only the reported changes ends up with the same lines as the model.
TEST_F(NmeaMonitorTest, ChangesLetAViewFollowInBatches) {
    std::deque<std::string> view;
    auto sync = [&] {
        const MonitorViewChanges changes = monitor->TakeChanges();
        if (changes.Reset) view.clear();
        ASSERT_LE(changes.RemovedFromTop, view.size());
        view.erase(view.begin(),
                   view.begin() + static_cast<std::ptrdiff_t>(changes.RemovedFromTop));
        const std::size_t first = changes.Reset ? 0 : monitor->LineCount() - changes.Appended;
        for (std::size_t i = first; i < monitor->LineCount(); ++i) view.push_back(monitor->Line(i));
        ASSERT_EQ(std::vector<std::string>(view.begin(), view.end()), Lines());
    };
    int n = 0;
    uint32_t seed = 12345;
    for (int round = 0; round < 60; ++round) {
        seed = seed * 1103515245u + 12345u;
        const int burst = static_cast<int>(seed >> 16) % 2600;
        for (int i = 0; i < burst; ++i) monitor->MonitorAddLine("$L" + std::to_string(n++));
        if (round % 3 != 0) {
            monitor->MarkNewSentence();
            monitor->MonitorStep();
        }
        if (round % 17 == 16) monitor->MonitorClear();
        if (round % 2 == 0) sync();
    }
    sync();
    EXPECT_FALSE(monitor->TakeChanges().Any());
}

TEST_F(NmeaMonitorTest, HardLimitHoldsWithoutTheStep) {
    for (std::size_t i = 0; i <= NmeaMonitor::kHardLimit; ++i) monitor->MonitorAddLine("$x");
    EXPECT_LE(monitor->LineCount(), NmeaMonitor::kHardLimit);
}

TEST(TmcSentenceKind, FirstTextInTableOrder) {
    EXPECT_EQ(TmcSentenceKind(""), 0);
    EXPECT_EQ(TmcSentenceKind("$PMDTTS,TFD"), 10);
    EXPECT_EQ(TmcSentenceKind("$PMDTFD"), 11);
    EXPECT_EQ(TmcSentenceKind("$RTT,TTM"), 3);
}

}  // namespace
}  // namespace gnss
