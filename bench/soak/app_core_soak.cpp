// Soak run of the whole application core on virtual time: a simulated MTK receiver sends
// GPS, GLONASS, Galileo and BeiDou at 10 Hz; the core connects, identifies it, keeps the NMEA
// monitor, the navigation panel and the satellite views live and records a text log (with its
// raw capture) into a temporary folder. Every simulated hour it prints the heap in use and the
// resident set size, so that growth shows up long before a day has passed. "live" counts what
// the program itself holds (every operator new not yet deleted); "heap" is the allocator's
// main-arena figure, which also moves with fragmentation.
//
// Usage: gnss_soak [HOURS [FAMILY [BAUD]]]   (24 hours of an "mtk" receiver at 921600 bit/s
// by default; BAUD 0: the family's usual rate)
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_core.h"
#include "base/user_prompts.h"
#include "base/virtual_time.h"
#include "link/memory_receiver_port.h"
#include "live_allocations.h"
#include "sim/memory_port_attachment.h"
#include "sim/simulated_receiver.h"

namespace {

namespace fs = std::filesystem;

constexpr uint64_t kHourMs = 3'600'000;
constexpr uint64_t kStepMs = 1000;

// Every file the core asks for goes into the soak's folder.
class FolderDialogs final : public gnss::FileDialogs {
  public:
    explicit FolderDialogs(fs::path folder) : folder_(std::move(folder)) {}
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&,
                                              const std::string&, const std::string&) override {
        return (folder_ / "soak.txt").string();
    }

  private:
    fs::path folder_;
};

class OnePort final : public gnss::PortEnumerator {
  public:
    [[nodiscard]] std::vector<std::string> PresentPorts() const override { return {"ttyUSB0"}; }
};

class NoDesktop final : public gnss::Desktop, public gnss::SystemClockSetter {
  public:
    bool OpenUrl(const std::string&) override { return false; }
    void SetClipboardText(const std::string&) override {}
    Result SetLocalTime(gnss::DateTime) override { return {false, "soak run"}; }
};

uint64_t ResidentKb() {
    std::ifstream statm("/proc/self/statm");
    uint64_t pages = 0;
    uint64_t resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<uint64_t>(sysconf(_SC_PAGESIZE)) / 1024;
}

uint64_t HeapInUseKb() {
    return mallinfo2().uordblks / 1024;
}

}  // namespace

int main(int argc, char** argv) {
    const int hours = argc > 1 ? std::max(1, std::atoi(argv[1])) : 24;
    const fs::path folder = fs::temp_directory_path() / ("gnss_soak_" + std::to_string(getpid()));
    fs::create_directories(folder);

    gnss::VirtualTime time;
    gnss::MemoryReceiverPort port;
    gnss::UnattendedPrompts prompts;
    FolderDialogs dialogs(folder);
    OnePort ports;
    NoDesktop desktop;
    gnss::sim::SimConfig config;
    config.Family = argc > 2 ? argv[2] : "mtk";
    config.RateHz = 10;
    config.Gnss = "gps,glonass,galileo,beidou";
    config.Baud = argc > 3 ? static_cast<uint32_t>(std::atoi(argv[3])) : 921600;
    int status = 0;
    {
        auto core = std::make_unique<gnss::AppCore>(gnss::AppServices{
            port, time, time, prompts, dialogs, ports, desktop, desktop, folder, false});
        gnss::sim::SimulatedReceiver receiver(time, time, config);
        gnss::sim::MemoryPortAttachment attachment(receiver, port);
        core->Start();
        core->PortTextChanged("ttyUSB0");
        core->BaudRateChosen(std::to_string(receiver.BaudRate()));
        // Connected first, then the receiver powers up: its start-up texts identify it.
        core->ToolButtonClicked(gnss::ToolButton::Connect, false);
        time.Advance(1500);
        receiver.Start();
        time.Advance(5000);
        core->ToolButtonClicked(gnss::ToolButton::Log, true);

        std::printf(
            "hour  live KB  blocks  heap KB  RSS KB  monitor lines  link  identified  "
            "receive rate      wall s\n");
        const auto start = std::chrono::steady_clock::now();
        for (int hour = 0; hour <= hours; ++hour) {
            if (hour > 0) {
                for (uint64_t ms = 0; ms < kHourMs; ms += kStepMs) time.Advance(kStepMs);
                core->Recorder.WaitForWriter();
            }
            const double wall =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const auto live = gnss::soak::CurrentLiveAllocations();
            std::printf(
                "%4d %8zu %7zu %8llu %7llu %14zu  %-5s %-10s %-16s %7.1f\n", hour,
                live.Bytes / 1024, live.Blocks, static_cast<unsigned long long>(HeapInUseKb()),
                static_cast<unsigned long long>(ResidentKb()), core->Monitor.LineCount(),
                std::string(gnss::LinkStateName(core->Pipeline.Dispatcher.State())).c_str(),
                core->Shared().ReceiverIdentified ? "yes" : "no",
                core->Window.StatusBar().Text(gnss::StatusPanel::ReceiveRate).c_str(), wall);
            std::fflush(stdout);
            // The text log of a day at 10 Hz is several GB: start a new one every hour.
            core->ToolButtonClicked(gnss::ToolButton::Log, false);
            core->Recorder.WaitForWriter();
            for (const auto& entry : fs::directory_iterator(folder)) fs::remove(entry.path());
            core->ToolButtonClicked(gnss::ToolButton::Log, true);
        }
        if (core->Pipeline.Dispatcher.State() != gnss::LinkState::Nmea) status = 1;
        core->ToolButtonClicked(gnss::ToolButton::Log, false);
        core->Recorder.WaitForWriter();
    }
    fs::remove_all(folder);
    return status;
}
