// Throughput of the receive spine: port -> ring -> receive buffer -> frame cutting -> line
// split -> sentence chain (no-op consumers in every slot), 6450 bytes per processing tick,
// over the real NMEA captures and over the captures that mix NMEA with binary frames.
#include <benchmark/benchmark.h>

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

// A port that hands out a prepared stream without copying it around.
class StreamPort final : public gnss::ReceiverPort {
  public:
    void SetPortName(const std::string&) override {}
    [[nodiscard]] std::string PortName() const override { return "bench"; }
    void SetBaudRate(uint32_t) override {}
    [[nodiscard]] uint32_t BaudRate() const override { return 921600; }
    gnss::PortOpenResult Open() override { return {}; }
    void Close() override {}
    [[nodiscard]] bool IsOpen() const override { return true; }
    void SetDtr(bool) override {}
    void SetRts(bool) override {}
    [[nodiscard]] bool Dtr() const override { return true; }
    [[nodiscard]] bool Rts() const override { return true; }
    bool Write(std::string_view) override { return true; }
    [[nodiscard]] std::size_t BytesAvailable() const override { return data.size() - at; }
    std::size_t Read(char* buffer, std::size_t maxBytes) override {
        const std::size_t n = std::min(maxBytes, data.size() - at);
        std::copy_n(data.data() + at, n, buffer);
        at += n;
        return n;
    }
    uint32_t TakeLineErrors() override { return 0; }

    std::string_view data;
    std::size_t at = 0;
};

class NoPrompts final : public gnss::UserPrompts {
  public:
    void ShowError(const std::string&) override {}
    void ShowWarning(const std::string&) override {}
    void ShowInfo(const std::string&) override {}
    gnss::PromptAnswer ConfirmYesNo(const std::string&) override { return gnss::PromptAnswer::No; }
};

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
    NoPrompts prompts;
    shared.PortOpen = true;
    if (mixed) {
        shared.Family = gnss::ReceiverFamily::ublox;
        shared.ReceiverIdentified = true;
        shared.UbxReplyDeadline = 1 << 30;
    }
    gnss::ReceiveDispatcher dispatcher(shared, receiver, port, time, time, prompts);
    dispatcher.SetLinkState(gnss::LinkState::NMEA);
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
            dispatcher.TimerCTimer();
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
