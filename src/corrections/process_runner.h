#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gnss {

// Starts and watches one external program (the NTRIP client). The platform adapter runs it
// without a shell, so arguments reach it exactly as given.
class ProcessRunner {
  public:
    virtual ~ProcessRunner() = default;
    // The full path of `program` (a path, or a name looked up in the search path); empty when
    // there is no such executable file.
    [[nodiscard]] virtual std::string FindProgram(std::string_view program) const = 0;
    // Starts the program; false when it could not be started.
    virtual bool Start(const std::string& program, const std::vector<std::string>& arguments) = 0;
    // Ends the program (politely first) if it runs.
    virtual void Stop() = 0;
    [[nodiscard]] virtual bool IsRunning() const = 0;
    // The program's exit code once it has ended.
    [[nodiscard]] virtual int ExitCode() const = 0;
    // What the program wrote (standard output and error) since the last take.
    virtual std::string TakeOutput() = 0;
};

// No way to start programs: every start fails.
class NoProcessRunner final : public ProcessRunner {
  public:
    [[nodiscard]] std::string FindProgram(std::string_view /*program*/) const override {
        return {};
    }
    bool Start(const std::string& /*program*/,
               const std::vector<std::string>& /*arguments*/) override {
        return false;
    }
    void Stop() override {}
    [[nodiscard]] bool IsRunning() const override { return false; }
    [[nodiscard]] int ExitCode() const override { return 0; }
    std::string TakeOutput() override { return {}; }
};

}  // namespace gnss
