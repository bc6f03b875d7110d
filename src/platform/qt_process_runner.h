#pragma once

#include <QProcess>

#include "corrections/process_runner.h"

namespace gnss {

// Starts one external program with QProcess (no shell), its output and error merged.
class QtProcessRunner final : public ProcessRunner {
  public:
    static constexpr int kStartWaitMs = 3000;
    static constexpr int kStopWaitMs = 2000;

    QtProcessRunner() = default;
    ~QtProcessRunner() override;
    QtProcessRunner(const QtProcessRunner&) = delete;
    QtProcessRunner& operator=(const QtProcessRunner&) = delete;

    [[nodiscard]] std::string FindProgram(std::string_view program) const override;
    bool Start(const std::string& program, const std::vector<std::string>& arguments) override;
    void Stop() override;
    [[nodiscard]] bool IsRunning() const override;
    [[nodiscard]] int ExitCode() const override;
    std::string TakeOutput() override;

  private:
    QProcess process_;
};

}  // namespace gnss
