// Time to first fix, line by line at chosen ticks: the texts, the example of an MTK cold start,
// the wrap of the tick counter, and the rules that keep old fixes out.

#include "testruns/ttff_measurement.h"

#include <gtest/gtest.h>

#include <string>

#include "control/receiver_restart.h"
#include "doubles/identifying_station.h"
#include "doubles/recording_monitor_output.h"

namespace gnss {
namespace {

TEST(TtffTexts, TenthsAreRoundedWithTheirCarry) {
    EXPECT_EQ(TtffTenthsText(35240), "00:00:35.2");
    EXPECT_EQ(TtffTenthsText(12960), "00:00:13.0");
    EXPECT_EQ(TtffTenthsText(59960), "00:01:00.0");
    EXPECT_EQ(TtffTenthsText(3723450), "01:02:03.5");
    EXPECT_EQ(TtffSecondsText(12), "00:00:12");
}

// The measurement alone, fed line by line at chosen ticks.
struct MeasurementBench {
    explicit MeasurementBench(ReceiverFamily family) {
        station.pipeline.Shared.Family = family;
        station.pipeline.Shared.ReceiverIdentified = true;
        station.pipeline.Shared.PortOpen = true;
    }
    void At(uint32_t tickMs) { station.time.Advance(tickMs - station.time.TickMs()); }
    void Line(std::string_view line) { ttff.OnLineReceived(line); }
    void Sentence(SentenceKind kind, bool fixValid) {
        station.pipeline.Receiver.FixValid = fixValid;
        ttff.OnSentenceDecoded(kind, "");
    }

    gnss::testing::IdentifyingStation station;
    gnss::testing::RecordingMonitorOutput output;
    UbxHdReception reception{station.pipeline.Shared, station.pipeline.Receiver, station.time,
                             station.identification.Result, output};
    ReceiverRestart restart{{station.pipeline, station.port, station.time, station.time,
                             station.prompts, station.connection, reception,
                             station.identification.Result}};
    TtffMeasurement ttff{{station.pipeline, station.time, restart, reception,
                          station.identification.Result, output}};
};

TEST(TtffMeasurement, ThePartsOwnExampleAndTheTickCountersWrap) {
    MeasurementBench b(ReceiverFamily::MTK);
    b.ttff.OnRestartArmed(RestartKind::Cold);
    b.At(100000);
    b.Line("$PMTK010,001*2E");
    EXPECT_EQ(b.ttff.StartTickMs(), 100000u);
    b.station.pipeline.Receiver.SecondsCounter = 10;  // past the settle tick
    b.At(135240);
    b.Sentence(SentenceKind::Rmc, true);
    EXPECT_EQ(b.ttff.Text(), "Fix (C):+00:00:35.2");

    // Across the wrap of the 32-bit millisecond counter.
    MeasurementBench w(ReceiverFamily::MTK);
    w.ttff.OnRestartArmed(RestartKind::Hot);
    w.At(0xFFFFFF00u);
    w.Line("$PMTK010,001*2E");
    w.station.time.Advance(12960);
    w.Sentence(SentenceKind::Gga, true);
    EXPECT_EQ(w.ttff.Text(), "Fix (H):+00:00:13.0");
}

TEST(TtffMeasurement, BeidouGsaNeverCompletesAndAnHdFixRightAfterItsAcknowledgementIsOld) {
    MeasurementBench b(ReceiverFamily::MTK);
    b.ttff.OnRestartArmed(RestartKind::Hot);
    b.At(5000);
    b.Line("$PMTK010,001*2E");
    b.At(9000);
    b.Sentence(SentenceKind::GbGsa, true);
    EXPECT_TRUE(b.ttff.Armed());
    b.Sentence(SentenceKind::GaGsa, true);
    EXPECT_FALSE(b.ttff.Armed());
    EXPECT_EQ(b.ttff.Text(), "Fix (H):+00:00:04.0");

    MeasurementBench hd(ReceiverFamily::HED);
    hd.ttff.OnRestartArmed(RestartKind::Hot);
    hd.At(20000);
    hd.Line("$GNTXT,02,01,01,booting*00");
    hd.At(20250);
    hd.Sentence(SentenceKind::Rmc, true);
    EXPECT_TRUE(hd.ttff.Armed());  // 250 ms: the old fix
    EXPECT_TRUE(hd.ttff.Text().empty());
    hd.At(26000);
    hd.Sentence(SentenceKind::Rmc, true);
    EXPECT_EQ(hd.ttff.Text(), "Fix (H):+00:00:06.0");
}

TEST(TtffMeasurement, WithoutAnAcknowledgementTheSecondsCount) {
    MeasurementBench b(ReceiverFamily::TTT);  // announces nothing after a restart
    b.ttff.OnRestartArmed(RestartKind::Cold);
    b.Sentence(SentenceKind::Rmc, false);  // the old fix is dropped: the count runs
    for (int i = 0; i < 12; ++i) b.ttff.OnNmeaSecond(false);
    EXPECT_EQ(b.ttff.Text(), "Timer(C):00:00:12");
    b.station.pipeline.Receiver.SecondsCounter = 30;
    b.Sentence(SentenceKind::Gga, true);
    EXPECT_EQ(b.ttff.Text(), "Fix (C):00:00:12");
    EXPECT_EQ(b.output.Lines.front(), "   gbReset := False and gResetTag := 1");
}

}  // namespace
}  // namespace gnss
