#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/monitor_output.h"

namespace gnss::testing {

// Keeps the lines features put out, in order: monitor lines as they are, logged monitor lines
// with "log:" before them, echo lines with "echo:", stamped ones with "@" before the text; debug
// lines apart.
class RecordingMonitorOutput final : public MonitorOutput {
  public:
    void AddMonitorLine(std::string_view line) override { Lines.emplace_back(line); }
    void AddLoggedMonitorLine(std::string_view line) override {
        Lines.push_back("log:" + std::string(line));
    }
    void AddStampedMonitorLine(std::string_view text) override {
        Lines.push_back("@" + std::string(text));
    }
    void AddEchoLine(std::string_view line) override {
        Lines.push_back("echo:" + std::string(line));
    }
    void AddDebugLine(std::string_view line) override { Debug.emplace_back(line); }

    std::vector<std::string> Lines;
    std::vector<std::string> Debug;
};

}  // namespace gnss::testing
