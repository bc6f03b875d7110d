#pragma once

#include <atomic>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "sim/realtime_loop.h"
#include "sim/sim_source.h"

namespace gnss::sim {

// Serves one SimSource on a pseudo-terminal (POSIX). The slave side is the "serial port" the
// tool opens; the server keeps it open too, to read the line settings the tool sets on it.
// The source's notes go to `notes`, one line each ("gnss-sim: restart cold").
class PtyServer final : private SimSourceOutput {
  public:
    PtyServer(RealtimeLoop& loop, SimSource& source, std::ostream& notes);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Opens the pseudo-terminal in raw mode at `initialBaud`; false with a message on failure.
    bool Open(uint32_t initialBaud, std::string& error);
    [[nodiscard]] const std::string& DevicePath() const { return path_; }
    // Runs until `stop` becomes true, the device vanishes or a replay finishes (after a
    // short grace period so the tool can read the tail). Returns the exit code.
    int Run(const std::atomic<bool>& stop);
    // The baud rate the tool's side of the line is set to (0 when unknown).
    [[nodiscard]] uint32_t ToolBaud() const;

  private:
    void Deliver(std::string_view bytes) override;
    [[nodiscard]] uint32_t ToolBaudRate() const override { return ToolBaud(); }
    void DeviceVanished() override;
    void ReplayFinished() override { finished_ = true; }
    void Note(std::string_view text) override;
    void CloseAll();

    RealtimeLoop& loop_;
    SimSource& source_;
    std::ostream& notes_;
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
    bool vanished_ = false;
    bool finished_ = false;
};

// Baud rate of a terminal file descriptor, custom rates included; 0 when unknown.
[[nodiscard]] uint32_t TerminalBaud(int fd);

}  // namespace gnss::sim
