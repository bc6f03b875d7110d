#include "corrections/ntrip_client.h"

#include <cstdio>

namespace gnss {

namespace {

constexpr std::string_view kMask = "****";
constexpr std::string_view kPositionRequestCycleMs = "10000";

struct FieldRule {
    std::string_view Name;
    std::string NtripClientSettings::*Field;
    std::string_view Forbidden;  // characters the field may not hold
    bool Required;
};
const FieldRule kFieldRules[] = {
    {"caster host", &NtripClientSettings::CasterHost, ":@/", true},
    {"mount point", &NtripClientSettings::MountPoint, ":@/", true},
    {"user", &NtripClientSettings::User, ":@/", false},
    {"password", &NtripClientSettings::Password, "/", false},
};

bool HasBlankOrControl(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F) return true;
    }
    return false;
}

std::string FormatNumber(const char* format, double value) {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

std::string NtripSettingsProblem(const NtripClientSettings& settings) {
    for (const FieldRule& rule : kFieldRules) {
        const std::string& value = settings.*rule.Field;
        if (rule.Required && value.empty()) return "The " + std::string(rule.Name) + " is missing";
        if (HasBlankOrControl(value)) {
            return "The " + std::string(rule.Name) + " may not contain blanks";
        }
        if (value.find_first_of(rule.Forbidden) != std::string::npos) {
            return "The " + std::string(rule.Name) + " may not contain any of " +
                   std::string(rule.Forbidden);
        }
    }
    if (settings.CasterPort == 0) return "The caster port is missing";
    if (settings.User.empty() && !settings.Password.empty()) {
        return "A password needs a user";
    }
    return {};
}

std::vector<std::string> NtripClientArguments(const NtripClientSettings& settings,
                                              uint16_t localPort,
                                              const std::optional<CasterPosition>& position) {
    std::string credentials;
    if (!settings.User.empty()) {
        credentials = settings.User;
        if (!settings.Password.empty()) credentials += ":" + settings.Password;
        credentials += "@";
    }
    std::vector<std::string> arguments = {
        "-in",
        "ntrip://" + credentials + settings.CasterHost + ":" + std::to_string(settings.CasterPort) +
            "/" + settings.MountPoint,
        "-out",
        "tcpsvr://:" + std::to_string(localPort),
    };
    if (settings.SendPosition && position) {
        arguments.insert(arguments.end(), {"-p", FormatNumber("%.9f", position->LatitudeDeg),
                                           FormatNumber("%.9f", position->LongitudeDeg),
                                           FormatNumber("%.3f", position->HeightM), "-n",
                                           std::string(kPositionRequestCycleMs)});
    }
    return arguments;
}

std::string Redacted(std::string_view text, std::string_view secret) {
    if (secret.empty()) return std::string(text);
    std::string result;
    std::size_t pos = 0;
    while (true) {
        const std::size_t found = text.find(secret, pos);
        if (found == std::string_view::npos) break;
        result.append(text.substr(pos, found - pos));
        result.append(kMask);
        pos = found + secret.size();
    }
    result.append(text.substr(pos));
    return result;
}

std::string RedactedCommandLine(std::string_view program, const std::vector<std::string>& arguments,
                                std::string_view password) {
    std::string line(program);
    for (const std::string& argument : arguments) {
        line += ' ';
        line += Redacted(argument, password);
    }
    return line;
}

bool NtripClientLauncher::ProgramFound() const {
    return !runner_->FindProgram(Settings.ProgramPath).empty();
}

NtripClientLauncher::ButtonAction NtripClientLauncher::ButtonClicked() const {
    return runner_->IsRunning() ? ButtonAction::BringToFront : ButtonAction::OpenDialog;
}

bool NtripClientLauncher::Start(const std::optional<CasterPosition>& position, uint16_t localPort,
                                std::string& logLine) {
    if (runner_->IsRunning()) return true;
    if (const std::string problem = NtripSettingsProblem(Settings); !problem.empty()) {
        stateText_ = problem;
        return false;
    }
    if (Settings.SendPosition && !position) {
        stateText_ = "No position to send to the caster yet";
        return false;
    }
    const std::string program = runner_->FindProgram(Settings.ProgramPath);
    if (program.empty()) {
        stateText_ = "Program not found: " + Settings.ProgramPath;
        return false;
    }
    const std::vector<std::string> arguments = NtripClientArguments(Settings, localPort, position);
    logLine = "NTRIP client: " + RedactedCommandLine(program, arguments, Settings.Password);
    outputTail_.clear();
    lastOutputLine_.clear();
    started_ = runner_->Start(program, arguments);
    stateText_ = started_ ? "Running" : "Could not start " + program;
    return started_;
}

void NtripClientLauncher::Stop() {
    if (runner_->IsRunning()) runner_->Stop();
    if (started_) stateText_ = "Stopped";
    started_ = false;
}

void NtripClientLauncher::Poll() {
    outputTail_ += runner_->TakeOutput();
    // The program rewrites its status line with CR; keep the last complete non-empty line.
    const std::size_t end = outputTail_.find_last_of("\r\n");
    if (end != std::string::npos) {
        const std::string_view done(outputTail_.data(), end);
        std::string_view last;
        std::size_t start = 0;
        while (start <= done.size()) {
            std::size_t stop = done.find_first_of("\r\n", start);
            if (stop == std::string_view::npos) stop = done.size();
            if (stop > start) last = done.substr(start, stop - start);
            start = stop + 1;
        }
        if (!last.empty()) lastOutputLine_ = Redacted(last, Settings.Password);
        outputTail_.erase(0, end + 1);
    }
    if (outputTail_.size() > 4096) outputTail_.erase(0, outputTail_.size() - 4096);
    if (started_ && !runner_->IsRunning()) {
        started_ = false;
        stateText_ = "Ended (exit code " + std::to_string(runner_->ExitCode()) + ")";
    }
}

}  // namespace gnss
