// Decoding speed over every NMEA line of the real captures, repeated.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "base/receiver_family.h"
#include "bench_corpus.h"
#include "nmea/nmea_decoder.h"
#include "nmea/receiver_state.h"

// Counts heap allocations of the whole program, so the decoder's "none per line" shows up as
// the allocs_per_line counter. (GCC mistakes the malloc/free pair below for a mismatch.)
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
namespace {
std::atomic<uint64_t> gAllocations{0};
}  // namespace

void* operator new(std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

// All lines that start with "$" in every capture, CR LF removed, stored back to back.
struct LineCorpus {
    std::string Text;
    std::vector<std::string_view> Lines;
    std::size_t Bytes = 0;
};

const LineCorpus& Corpus() {
    static const LineCorpus corpus = [] {
        LineCorpus c;
        std::vector<std::pair<std::size_t, std::size_t>> spans;
        for (const auto& path : gnss::bench::CorpusFiles(gnss::bench::IsAnyCapture)) {
            const std::string data = gnss::bench::ReadFileBytes(path);
            std::size_t start = 0;
            while (start < data.size()) {
                std::size_t end = data.find('\n', start);
                if (end == std::string::npos) end = data.size();
                std::string_view line(data.data() + start, end - start);
                if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
                if (line.starts_with("$")) {
                    spans.emplace_back(c.Text.size(), line.size());
                    c.Text.append(line);
                }
                start = end + 1;
            }
        }
        for (const auto& [offset, length] : spans) {
            c.Lines.emplace_back(c.Text.data() + offset, length);
            c.Bytes += length + 2;  // as received, with CR LF
        }
        return c;
    }();
    return corpus;
}

void Report(benchmark::State& state, const LineCorpus& corpus, uint64_t allocations) {
    const auto passes = static_cast<int64_t>(state.iterations());
    state.SetItemsProcessed(passes * static_cast<int64_t>(corpus.Lines.size()));
    state.SetBytesProcessed(passes * static_cast<int64_t>(corpus.Bytes));
    state.counters["lines"] = static_cast<double>(corpus.Lines.size());
    state.counters["allocs_per_line"] =
        static_cast<double>(allocations) /
        static_cast<double>(passes * static_cast<int64_t>(corpus.Lines.size()));
}

// DecodeSentence alone, PrevKind kept as the dispatch keeps it.
void BM_DecodeSentence(benchmark::State& state) {
    const LineCorpus& corpus = Corpus();
    gnss::ReceiverState receiverState;
    const gnss::ReceiverFamily family = gnss::ReceiverFamily::ublox;
    gnss::NmeaDecoder decoder(receiverState, family);
    gnss::SentenceKind prevKind = gnss::SentenceKind::None;
    const uint64_t before = gAllocations.load();
    for (auto _ : state) {
        for (std::string_view line : corpus.Lines) {
            const gnss::SentenceKind kind = decoder.DecodeSentence(line, prevKind);
            if (kind != gnss::SentenceKind::None) prevKind = kind;
        }
        benchmark::DoNotOptimize(decoder.Sats());
    }
    Report(state, corpus, gAllocations.load() - before);
}
BENCHMARK(BM_DecodeSentence);

// The per-line decoder work of the dispatch: decode, then close ended GSA/GSV blocks.
void BM_DecodeAndCloseBlocks(benchmark::State& state) {
    const LineCorpus& corpus = Corpus();
    gnss::ReceiverState receiverState;
    const gnss::ReceiverFamily family = gnss::ReceiverFamily::ublox;
    gnss::NmeaDecoder decoder(receiverState, family);
    gnss::SentenceKind prevKind = gnss::SentenceKind::None;
    int rebuilds = 0;
    const uint64_t before = gAllocations.load();
    for (auto _ : state) {
        for (std::string_view line : corpus.Lines) {
            const gnss::SentenceKind kind = decoder.DecodeSentence(line, prevKind);
            if (kind == gnss::SentenceKind::None) continue;
            rebuilds += decoder.CloseEndedBlocks(kind, prevKind).SatellitesRebuilt ? 1 : 0;
            prevKind = kind;
        }
    }
    benchmark::DoNotOptimize(rebuilds);
    Report(state, corpus, gAllocations.load() - before);
}
BENCHMARK(BM_DecodeAndCloseBlocks);

}  // namespace
