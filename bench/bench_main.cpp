// The benchmarks' main: takes --corpus=PATH out of the arguments (see bench_corpus.h), then
// runs Google Benchmark with the rest.
#include <benchmark/benchmark.h>

#include <cstring>
#include <iostream>
#include <vector>

#include "bench_corpus.h"

int main(int argc, char** argv) {
    constexpr const char* kCorpusOption = "--corpus=";
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && std::strncmp(argv[i], kCorpusOption, std::strlen(kCorpusOption)) == 0) {
            gnss::bench::SetCorpusPath(argv[i] + std::strlen(kCorpusOption));
            continue;
        }
        rest.push_back(argv[i]);
    }
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    if (benchmark::ReportUnrecognizedArguments(restCount, rest.data())) return 1;
    std::cerr << "corpus: " << gnss::bench::Corpus().Path.string()
              << (gnss::bench::Corpus().IsDefault ? " (the repository's captures)" : "") << "\n";
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
