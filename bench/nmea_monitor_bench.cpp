#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/virtual_time.h"
#include "link/memory_receiver_port.h"
#include "views/nmea_monitor.h"

namespace {

class NullLog final : public gnss::LogLineSink {
  public:
    [[nodiscard]] bool LogActive() const override { return false; }
    void LogAppend(std::string_view) override {}
    [[nodiscard]] std::size_t PendingLineCount() const override { return 0; }
    void LogHandover() override {}
};

// One second of a busy receiver: 2000 received lines through the show rules and the filter,
// then the per-second step with its cap.
void BM_MonitorSecondOf2000Lines(benchmark::State& state) {
    gnss::VirtualTime time;
    gnss::SharedState shared;
    gnss::ReceiverState receiver;
    receiver.SecondsCounter = 60;
    NullLog log;
    gnss::MemoryReceiverPort port;
    gnss::NmeaMonitor monitor(time, shared, receiver, log, port);
    if (state.range(0) != 0) monitor.SetFilterText("GGA");
    std::vector<std::string> lines;
    for (int i = 0; i < 2000; ++i) {
        lines.push_back(
            i % 2 == 0 ? "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47"
                       : "$GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00*74");
    }
    for (auto _ : state) {
        for (const std::string& line : lines) monitor.MonitorReceived(line);
        monitor.MarkNewSentence();
        monitor.MonitorStep();
        benchmark::DoNotOptimize(monitor.TakeChanges());
    }
    state.SetItemsProcessed(state.iterations() * 2000);
}
BENCHMARK(BM_MonitorSecondOf2000Lines)->Arg(0)->Arg(1);

}  // namespace
