#pragma once

// The application core, as the window program runs it, against a simulated receiver or a
// replayed capture on virtual time: what a user does in the window, without the window.

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "app/app_core.h"
#include "base/virtual_time.h"
#include "doubles/listed_ports.h"
#include "doubles/recording_desktop.h"
#include "doubles/scripted_file_dialogs.h"
#include "doubles/scripted_prompts.h"
#include "doubles/temp_folder.h"
#include "link/memory_receiver_port.h"
#include "sim/capture_replayer.h"
#include "sim/memory_port_attachment.h"
#include "sim/simulated_receiver.h"

namespace gnss::testing {

struct AppCoreStation {
    // A simulated receiver.
    explicit AppCoreStation(const sim::SimConfig& config) {
        auto receiver = std::make_unique<sim::SimulatedReceiver>(time, time, config);
        simulated = receiver.get();
        Attach(std::move(receiver), SimulatedBaud(*simulated));
    }
    // A capture from the test data, replayed at `baud`.
    AppCoreStation(const std::string& capture, uint32_t baud) {
        Attach(std::make_unique<sim::CaptureReplayer>(time, ReadCapture(capture),
                                                      sim::CaptureReplayer::Options{baud, false}),
               baud);
    }
    AppCoreStation(const AppCoreStation&) = delete;
    AppCoreStation& operator=(const AppCoreStation&) = delete;

    void Connect() { core.ToolButtonClicked(ToolButton::Connect, false); }
    // Connects and runs until the receiver is identified and has a fix (false when not).
    bool Identify() {
        Connect();
        for (int i = 0; i < 300 && !core.Shared().ReceiverIdentified; ++i) time.Advance(100);
        for (int i = 0; i < 100 && !core.Receiver().FixValid; ++i) time.Advance(100);
        return core.Shared().ReceiverIdentified;
    }
    [[nodiscard]] bool MonitorShows(const std::string& text) const {
        for (std::size_t i = 0; i < core.Monitor.LineCount(); ++i) {
            if (core.Monitor.Line(i).find(text) != std::string::npos) return true;
        }
        return false;
    }
    [[nodiscard]] bool MemoShows(const std::string& text) const {
        for (const std::string& line : core.Memo.Lines()) {
            if (line.find(text) != std::string::npos) return true;
        }
        return false;
    }
    static std::string ReadCapture(const std::string& name) {
        std::ifstream in(std::string(GNSS_TESTDATA_DIR) + "/" + name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    TempFolder folder;
    VirtualTime time;
    MemoryReceiverPort port;
    ScriptedPrompts prompts;
    ScriptedFileDialogs dialogs;
    ListedPorts ports{{"ttyUSB0"}};
    RecordingDesktop desktop;
    RecordingClockSetter clockSetter;
    AppCore core{AppServices{port, time, time, prompts, dialogs, ports, desktop, clockSetter,
                             folder.Path(), false}};
    sim::SimulatedReceiver* simulated = nullptr;  // set for a simulated receiver
    std::unique_ptr<sim::SimSource> source;
    std::unique_ptr<sim::MemoryPortAttachment> attachment;

  private:
    static uint32_t SimulatedBaud(const sim::SimulatedReceiver& receiver) {
        return receiver.BaudRate();
    }
    void Attach(std::unique_ptr<sim::SimSource> from, uint32_t baud) {
        source = std::move(from);
        attachment = std::make_unique<sim::MemoryPortAttachment>(*source, port);
        source->Start();
        core.Start();
        core.PortTextChanged("ttyUSB0");
        core.BaudRateChosen(std::to_string(baud));
    }
};

}  // namespace gnss::testing
