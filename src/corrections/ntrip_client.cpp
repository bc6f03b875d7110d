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

struct StateLetter {
    char Letter;
    ClientInputState State;
};
constexpr StateLetter kStateLetters[] = {
    {'C', ClientInputState::Connected},
    {'W', ClientInputState::Waiting},
    {'-', ClientInputState::Closed},
    {'E', ClientInputState::Error},
};

std::optional<ClientInputState> StateOfLetter(char letter) {
    for (const StateLetter& entry : kStateLetters) {
        if (entry.Letter == letter) return entry.State;
    }
    return std::nullopt;
}

// "YYYY/MM/DD HH:MM:SS": digits, with the separators where they belong.
bool IsTimeStamp(std::string_view text) {
    constexpr std::string_view kPattern = "0000/00/00 00:00:00";
    if (text.size() != kPattern.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kPattern[i] == '0' ? !digit : text[i] != kPattern[i]) return false;
    }
    return true;
}

std::string FormatNumber(const char* format, double value) {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

std::optional<ClientInputState> ClientInputStateOf(std::string_view line) {
    const std::size_t open = line.find(" [");
    if (open == std::string_view::npos || !IsTimeStamp(line.substr(0, open))) return std::nullopt;
    const std::size_t close = line.find(']', open);
    if (close == std::string_view::npos || close == open + 2) return std::nullopt;
    const std::string_view letters = line.substr(open + 2, close - open - 2);
    for (const char letter : letters) {
        if (!StateOfLetter(letter)) return std::nullopt;
    }
    return StateOfLetter(letters.front());
}

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
    statusReports_ = 0;
    inputDownReports_ = 0;
    started_ = runner_->Start(program, arguments);
    stateText_ = started_ ? "Running" : "Could not start " + program;
    return started_;
}

void NtripClientLauncher::Stop() {
    if (runner_->IsRunning()) runner_->Stop();
    if (started_) stateText_ = "Stopped";
    started_ = false;
    inputDownReports_ = 0;
}

void NtripClientLauncher::TakeStatusLine(std::string_view line) {
    const std::optional<ClientInputState> state = ClientInputStateOf(line);
    if (!state) return;
    // The first report is written at the start, before the client could reach the caster.
    if (statusReports_++ == 0) return;
    inputDownReports_ = *state == ClientInputState::Connected ? 0 : inputDownReports_ + 1;
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
            if (stop > start) {
                last = done.substr(start, stop - start);
                TakeStatusLine(last);
            }
            start = stop + 1;
        }
        if (!last.empty()) lastOutputLine_ = Redacted(last, Settings.Password);
        outputTail_.erase(0, end + 1);
    }
    if (outputTail_.size() > 4096) outputTail_.erase(0, outputTail_.size() - 4096);
    if (started_ && !runner_->IsRunning()) {
        started_ = false;
        inputDownReports_ = 0;
        stateText_ = "Ended (exit code " + std::to_string(runner_->ExitCode()) + ")";
    } else if (started_) {
        stateText_ = CasterUnreachable() ? "Running, the caster is unreachable" : "Running";
    }
}

}  // namespace gnss
