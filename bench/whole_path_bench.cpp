// Throughput of the whole receive path: port -> ring -> receive buffer -> line split -> line
// filter -> decoder -> receiver state -> GSA/GSV block ends and display-list rebuilds, fed in
// 6450-byte processing ticks, over a corpus (bench_corpus.h: by default the real NMEA captures)
// concatenated and repeated to at least 50 MB (GNSS_BENCH_CORPUS_MB sets another size, e.g. 5 for a
// callgrind run; the work itself is in ProcessCorpus, for --toggle-collect).
#include <benchmark/benchmark.h>

#include "bench_corpus.h"
#include "bench_stream_port.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "base/virtual_time.h"
#include "link/receive_pipeline.h"
#include "replay/capture_replay.h"

namespace {

constexpr std::size_t kBytesPerTick = 6450;
constexpr std::size_t kDefaultCorpusMb = 50;

using CorpusPort = gnss::bench::StreamPort;

// The corpus files (by default the pure NMEA captures, no binary frames), text logs without
// CR LF given their CRs, then repeated up to the corpus size.
std::string Corpus() {
    std::string once;
    for (const auto& path : gnss::bench::CorpusFiles(gnss::bench::IsPureNmeaCapture)) {
        std::string bytes = gnss::bench::ReadFileBytes(path);
        if (bytes.find("\r\n") == std::string::npos) bytes = gnss::AddCrBeforeLf(bytes);
        once += bytes;
    }
    if (once.empty()) return once;
    std::size_t megabytes = kDefaultCorpusMb;
    if (const char* env = std::getenv("GNSS_BENCH_CORPUS_MB")) {
        megabytes = std::max<std::size_t>(1, std::strtoul(env, nullptr, 10));
    }
    std::string corpus;
    corpus.reserve(megabytes * 1'000'000 + once.size());
    while (corpus.size() < megabytes * 1'000'000) corpus += once;
    return corpus;
}

// One pass over the corpus, tick by tick.
[[gnu::noinline]] void ProcessCorpus(gnss::ReceivePipeline& pipeline, CorpusPort& port,
                                     std::string_view corpus) {
    port.data = corpus;
    port.at = 0;
    while (port.at < corpus.size()) {
        pipeline.Dispatcher.DeliverFromPort(kBytesPerTick);
        pipeline.Dispatcher.OnProcessingTick();
    }
    pipeline.Dispatcher.ClearRxBuffer();
}

// Counts what the receive path found, as the program's listeners would hear it.
struct SentenceCounter final : gnss::LineListener, gnss::SatelliteListener {
    void OnSentenceDecoded(gnss::SentenceKind kind, std::string_view) override {
        Sentences += kind != gnss::SentenceKind::None ? 1 : 0;
    }
    void OnSatellitesRebuilt() override { ++Rebuilds; }
    uint64_t Sentences = 0;
    uint64_t Rebuilds = 0;
};

void BM_WholeReceivePath(benchmark::State& state) {
    const std::string corpus = Corpus();
    if (corpus.empty()) {
        state.SkipWithError("no captures found");
        return;
    }
    gnss::VirtualTime time;
    CorpusPort port;
    gnss::UnattendedPrompts prompts;
    gnss::ReceivePipeline pipeline(port, time, time, prompts);
    pipeline.Shared.PortOpen = true;
    pipeline.Dispatcher.SetLinkState(gnss::LinkState::Nmea);
    SentenceCounter counter;
    pipeline.Dispatcher.AddListener(counter);

    for (auto _ : state) ProcessCorpus(pipeline, port, corpus);

    const auto passes = static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * corpus.size()));
    state.counters["MB"] = static_cast<double>(corpus.size()) / 1e6;
    state.counters["sentences/pass"] = static_cast<double>(counter.Sentences) / passes;
    state.counters["rebuilds/pass"] = static_cast<double>(counter.Rebuilds) / passes;
}

BENCHMARK(BM_WholeReceivePath)->Unit(benchmark::kMillisecond);

}  // namespace
