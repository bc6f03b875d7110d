#pragma once

#include <string_view>

namespace gnss {

// Where features put lines for the user to read: the NMEA monitor, the scrolling list of
// received sentences and annotations, and the debug memo of time-stamped diagnostics. The window
// program sends them to its monitor and memo; command-line programs print or drop them.
class MonitorOutput {
  public:
    virtual ~MonitorOutput() = default;
    // A monitor line, through the monitor's display filter (dropped while the monitor is paused).
    virtual void AddMonitorLine(std::string_view line) = 0;
    // The same, and into the text log while one is recorded.
    virtual void AddLoggedMonitorLine(std::string_view line) = 0;
    // A monitor line with the local time: "....[" + text + "]....[hh:nn:ss.zzz]....".
    virtual void AddStampedMonitorLine(std::string_view text) = 0;
    // A line past the display filter, shown and selected at once, and into the text log while
    // one is recorded: what the tool itself wrote to the receiver, and what became of it.
    virtual void AddEchoLine(std::string_view line) = 0;
    // A line for the debug memo, which stamps it with the local time.
    virtual void AddDebugLine(std::string_view line) = 0;
};

}  // namespace gnss
