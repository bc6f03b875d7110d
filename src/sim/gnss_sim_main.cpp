// gnss-sim: one simulated receiver (or a capture replay) on a pseudo-terminal.
#include <zlib.h>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/capture_replayer.h"
#include "sim/pty_server.h"
#include "sim/realtime_loop.h"
#include "sim/sim_config.h"
#include "sim/simulated_receiver.h"

namespace {

std::atomic<bool> gStop{false};

void OnSignal(int) {
    gStop.store(true);
}

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream out;
    out << in.rdbuf();
    text = out.str();
    return true;
}

// On leaving: the assistance data the receiver took, when it took any, so that a test can compare
// it with what it sent.
void ReportAssistData(const gnss::sim::SimAssistData& assist) {
    if (assist.SgeeSentencesSeen() == 0 && assist.HdMessagesSeen() == 0 &&
        assist.AidingMessagesSeen() == 0) {
        return;
    }
    const std::string& sgee = assist.SgeeData();
    const auto crc =
        crc32(0L, reinterpret_cast<const Bytef*>(sgee.data()), static_cast<uInt>(sgee.size()));
    char crcText[16];
    std::snprintf(crcText, sizeof crcText, "%08lx", static_cast<unsigned long>(crc));
    std::cerr << "gnss-sim: assistance data taken: sgee_bytes=" << sgee.size()
              << " sgee_crc32=" << crcText << " sgee_stored=" << (assist.SgeeStored() ? 1 : 0)
              << " hd_gnss_frames=" << assist.HdGnssFrames()
              << " hd_beidou_frames=" << assist.HdBeidouFrames()
              << " hd_messages=" << assist.HdMessagesSeen()
              << " aiding_messages=" << assist.AidingMessagesSeen() << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace gnss::sim;
    SimConfig config;
    bool help = false;
    std::string error;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!ParseCommandLine(args, config, help, error, ReadFile)) {
        std::cerr << "gnss-sim: " << error << "\n(gnss-sim --help lists the options)\n";
        return 2;
    }
    if (help) {
        std::cout << HelpText();
        return 0;
    }

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    RealtimeLoop loop;
    std::unique_ptr<SimSource> source;
    const SimulatedReceiver* simulated = nullptr;
    uint32_t baud = 0;
    try {
        if (!config.ReplayFile.empty()) {
            std::string capture;
            if (!ReadFile(config.ReplayFile, capture)) {
                std::cerr << "gnss-sim: cannot read " << config.ReplayFile << "\n";
                return 2;
            }
            CaptureReplayer::Options options;
            options.Baud = config.Baud != 0 ? config.Baud : 115200;
            options.Realtime = config.ReplayRealtime;
            baud = options.Baud;
            source = std::make_unique<CaptureReplayer>(loop, std::move(capture), options);
        } else {
            auto receiver = std::make_unique<SimulatedReceiver>(loop, loop, config);
            baud = receiver->BaudRate();
            if (!config.TruthFile.empty()) {
                auto truth = std::make_shared<std::ofstream>(config.TruthFile, std::ios::app);
                if (!*truth) {
                    std::cerr << "gnss-sim: cannot write " << config.TruthFile << "\n";
                    return 2;
                }
                receiver->SetTruthSink([truth](const SimulatedReceiver::RestartTruth& t) {
                    *truth << "restart=" << RestartKindName(t.Kind) << " command_ms=" << t.CommandMs
                           << " ack_ms=" << t.AckDeliveredMs << " boot_ms=" << t.BootDeliveredMs
                           << " fix_ms=" << t.FixDeliveredMs << std::endl;
                });
            }
            if (!config.RtcmRecordFile.empty()) {
                auto record = std::make_shared<std::ofstream>(config.RtcmRecordFile,
                                                              std::ios::app | std::ios::binary);
                if (!*record) {
                    std::cerr << "gnss-sim: cannot write " << config.RtcmRecordFile << "\n";
                    return 2;
                }
                receiver->Rtk()->RecordSink = [record](std::string_view frame) {
                    record->write(frame.data(), static_cast<std::streamsize>(frame.size()));
                    record->flush();
                };
            }
            std::cerr << "gnss-sim: " << receiver->Profile().Description << " at " << baud
                      << " bit/s\n";
            simulated = receiver.get();
            source = std::move(receiver);
        }
    } catch (const std::exception& e) {
        std::cerr << "gnss-sim: " << e.what() << "\n";
        return 2;
    }

    PtyServer server(loop, *source, std::cerr);  // the receiver's notes go to stderr
    if (!server.Open(baud, error)) {
        std::cerr << "gnss-sim: " << error << "\n";
        return 1;
    }
    std::cout << server.DevicePath() << std::endl;  // first line, flushed
    std::cout << "baud=" << baud << std::endl;      // the rate to open it at
    const int status = server.Run(gStop);
    if (simulated != nullptr) ReportAssistData(simulated->AssistData());
    return status;
}
