// Throughput of the receive spine: port -> ring -> receive buffer -> frame cutting -> line
// split -> sentence chain (no-op consumers in every slot), 6450 bytes per processing tick,
// over the real NMEA captures and over the captures that mix NMEA with binary frames.
#include <benchmark/benchmark.h>

#include "bench_stream_port.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/virtual_time.h"
#include "link/receive_dispatch.h"

namespace {

namespace fs = std::filesystem;
constexpr std::size_t kBytesPerTick = 6450;

using StreamPort = gnss::bench::StreamPort;

// Captures whose names say NMEA: pure ones, or mixed with binary frames ("+" in the name).
std::string Concatenated(bool mixed) {
    std::vector<fs::path> files;
    const fs::path dir(GNSS_TESTDATA_DIR);
    if (fs::is_directory(dir)) {
        for (const auto& entry : fs::directory_iterator(dir)) {
            const std::string name = entry.path().filename().string();
            if (!entry.is_regular_file() || name.ends_with(".chk") || name.ends_with(".md"))
                continue;
            const bool isMixed = name.find('+') != std::string::npos;
            const bool isNmea = name.find("nmea") != std::string::npos;
            if (mixed ? isMixed : (isNmea && !isMixed)) files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    std::string all;
    for (const auto& path : files) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        all += text.str();
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
