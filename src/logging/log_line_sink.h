#pragma once

#include <cstddef>
#include <string_view>

namespace gnss {

// What the monitor and the sentence consumers need of the text log: the recorder implements
// it, tests use a fake.
class LogLineSink {
  public:
    virtual ~LogLineSink() = default;
    [[nodiscard]] virtual bool LogActive() const = 0;
    // Appends a line to the pending lines while a log is active; ignored otherwise.
    virtual void LogAppend(std::string_view line) = 0;
    // Lines collected since the last handover to the writer.
    [[nodiscard]] virtual std::size_t PendingLineCount() const = 0;
    // Hands the pending lines to the writer when there are more than 500 of them.
    virtual void LogHandover() = 0;
};

}  // namespace gnss
