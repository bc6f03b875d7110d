// A 1,000-run cold-start campaign through the application core against the in-process simulator
// on virtual time: how long the campaign machinery (restart, verification, fix time, run table,
// statistics) takes for a production-line sized series. Prints the wall time and the runs per
// second; the argument changes the number of runs.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/app_core.h"
#include "base/virtual_time.h"
#include "link/memory_receiver_port.h"
#include "sim/memory_port_attachment.h"
#include "sim/simulated_receiver.h"

namespace {

class Silent final : public gnss::UserPrompts {
  public:
    void ShowError(const std::string&) override {}
    void ShowWarning(const std::string&) override {}
    void ShowInfo(const std::string&) override {}
    gnss::PromptAnswer ConfirmYesNo(const std::string&) override { return gnss::PromptAnswer::No; }
};
class NoDialogs final : public gnss::FileDialogs {
  public:
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&,
                                              const std::string&, const std::string&) override {
        return std::nullopt;
    }
};
class NoPorts final : public gnss::PortEnumerator {
  public:
    std::vector<std::string> PresentPorts() const override { return {"ttyUSB0"}; }
};
class NoDesktop final : public gnss::Desktop {
  public:
    bool OpenUrl(const std::string&) override { return false; }
    void SetClipboardText(const std::string&) override {}
};
class NoClock final : public gnss::SystemClockSetter {
  public:
    Result SetLocalTime(gnss::DateTime) override { return {}; }
};

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 1000;
    gnss::VirtualTime time;
    gnss::MemoryReceiverPort port;
    Silent prompts;
    NoDialogs dialogs;
    NoPorts ports;
    NoDesktop desktop;
    NoClock clockSetter;
    gnss::AppCore core{gnss::AppServices{port, time, time, prompts, dialogs, ports, desktop,
                                         clockSetter, std::filesystem::temp_directory_path(),
                                         true}};
    gnss::sim::SimConfig config;
    config.Family = "mtk";
    config.ColdMs = 30000;
    config.JitterMs = 10000;
    config.Baud = 115200;
    gnss::sim::SimulatedReceiver receiver(time, time, config);
    gnss::sim::MemoryPortAttachment attachment(receiver, port);
    receiver.Start();
    core.Start();
    core.PortTextChanged("ttyUSB0");
    core.BaudRateChosen("115200");
    core.ToolButtonClicked(gnss::ToolButton::Connect, false);
    for (int i = 0; i < 300 && !core.Receiver().FixValid; ++i) time.Advance(100);

    gnss::CampaignSettings settings;
    settings.Kinds = {gnss::RestartKind::Cold};
    settings.Runs = runs;
    settings.PauseMs = 5000;
    const auto wallStart = std::chrono::steady_clock::now();
    if (!core.Campaign.Start(settings)) {
        std::fprintf(stderr, "the campaign did not start\n");
        return 1;
    }
    while (core.Campaign.Running()) time.Advance(100);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const auto summary = core.Campaign.Summary();
    std::printf(
        "runs %d fixes %d failures %d, simulated %.1f h, wall %.2f s (%.0f runs/s); "
        "cold TTFF min %.1f s median %.1f s p95 %.1f s max %.1f s\n",
        summary[0].Runs, summary[0].Fixes, summary[0].Failures,
        static_cast<double>(time.TickMs()) / 3.6e6, wall, summary[0].Runs / wall,
        summary[0].MinMs / 1000, summary[0].MedianMs / 1000, summary[0].P95Ms / 1000,
        summary[0].MaxMs / 1000);
    return summary[0].Failures == 0 ? 0 : 1;
}
