// Throughput of the receive spine: port -> ring -> receive buffer -> frame cutting -> line
// split -> sentence chain (no-op consumers in every slot), 6450 bytes per processing tick,
// over the real NMEA captures and over the captures that mix NMEA with binary frames.
#include <benchmark/benchmark.h>

#include "bench_corpus.h"
#include "bench_stream_port.h"

#include <string>

#include "base/virtual_time.h"
#include "link/receive_dispatch.h"

namespace {

constexpr std::size_t kBytesPerTick = 6450;

using StreamPort = gnss::bench::StreamPort;

// By default the captures whose names say NMEA: pure ones, or mixed with binary frames ("+" in
// the name); a corpus given on the command line is used whole for both.
std::string Concatenated(bool mixed) {
    std::string all;
    const auto filter = mixed ? gnss::bench::IsMixedCapture : gnss::bench::IsPureNmeaCapture;
    for (const auto& path : gnss::bench::CorpusFiles(filter)) {
        all += gnss::bench::ReadFileBytes(path);
    }
    return all;
}

void RunSpine(benchmark::State& state, bool mixed) {
    const std::string data = Concatenated(mixed);
    if (data.empty()) {
        state.SkipWithError("no captures found");
        return;
    }
    gnss::VirtualTime time;
    StreamPort port;
    gnss::SharedState shared;
    gnss::ReceiverState receiver;
    gnss::UnattendedPrompts prompts;
    shared.PortOpen = true;
    if (mixed) {
        shared.Family = gnss::ReceiverFamily::ublox;
        shared.ReceiverIdentified = true;
        shared.UbxReplyDeadline = 1 << 30;
    }
    gnss::ReceiveDispatcher dispatcher(shared, receiver, port, time, time, prompts);
    dispatcher.SetLinkState(gnss::LinkState::Nmea);
    for (std::size_t slot = 0; slot < gnss::kChainSlotCount; ++slot) {
        dispatcher.Chain().Register(static_cast<gnss::ChainSlot>(slot), [](gnss::SentenceContext&) {
            return gnss::ChainStep::Continue;
        });
    }
    std::size_t lines = 0;
    dispatcher.Chain().Register(gnss::ChainSlot::TtffMarkers, [&lines](gnss::SentenceContext&) {
        ++lines;
        return gnss::ChainStep::Continue;
    });

    for (auto _ : state) {
        port.data = data;
        port.at = 0;
        while (port.at < data.size()) {
            dispatcher.DeliverFromPort(kBytesPerTick);
            dispatcher.OnProcessingTick();
        }
        dispatcher.ClearRxBuffer();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
    state.counters["lines/pass"] =
        benchmark::Counter(static_cast<double>(lines) / static_cast<double>(state.iterations()));
}

void BM_ReceiveSpineNmea(benchmark::State& state) {
    RunSpine(state, false);
}
void BM_ReceiveSpineMixed(benchmark::State& state) {
    RunSpine(state, true);
}

BENCHMARK(BM_ReceiveSpineNmea)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReceiveSpineMixed)->Unit(benchmark::kMillisecond);

}  // namespace
