#include "logging/log_recorder.h"

#include <cstdio>
#include <system_error>
#include <utility>

#include "base/date_time.h"

namespace gnss {

namespace {

constexpr std::string_view kStartToLog = "Start to Log data";
constexpr std::string_view kStopLog = "Stop Log";

// "yyyymmdd-hhmmss" of a local time.
std::string FileTimeText(DateTime local) {
    const DateTimeParts p = DecodeDateTime(local);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", p.Year, p.Month, p.Day, p.Hour,
                  p.Minute, p.Second);
    return text;
}

// The part of a port name that can stand in a file name: the base name of a device path,
// with characters that file systems refuse replaced.
std::string PortFilePart(const std::string& portName) {
    std::string base = std::filesystem::path(portName).filename().string();
    if (base.empty()) base = portName;
    for (char& c : base) {
        switch (c) {
            case '/':
            case '\\':
            case ':':
            case '*':
            case '?':
            case '"':
            case '<':
            case '>':
            case '|':
                c = '_';
                break;
            default:
                if (static_cast<unsigned char>(c) < ' ') c = '_';
        }
    }
    return base;
}

std::string WithExtension(const std::string& name, const char* extension) {
    std::filesystem::path path(name);
    path.replace_extension(extension);
    return path.string();
}

}  // namespace

LogRecorder::LogRecorder(const Clock& clock, UserPrompts& prompts, FileDialogs& dialogs,
                         SharedState& shared, const ReceiverPort& port, Options options)
    : clock_(clock),
      prompts_(prompts),
      dialogs_(dialogs),
      shared_(shared),
      port_(port),
      options_(std::move(options)) {
    if (options_.ReadOnlyMedia) {
        disabled_ = true;
        button_.Enabled = false;
        button_.Hint = std::string(kDisabledHint);
    }
}

LogRecorder::~LogRecorder() {
    writer_.Terminate();
}

void LogRecorder::ToggleLog() {
    if (logActive_) {
        StopLog();
    } else {
        StartLog();
    }
}

void LogRecorder::LogButtonReleased(bool ctrlHeld, std::string_view caption) {
    if (ctrlHeld && logActive_) StartRawCapture(caption);
}

std::string LogRecorder::ProposedFileName() const {
    const std::string when = FileTimeText(clock_.NowLocal());
    if (shared_.PortOpen) {
        const std::string port = PortFilePart(port_.PortName());
        const uint32_t baud = port_.BaudRate();
        return "NMEA_" + port + "_" + std::to_string(baud) + "_" + when + ".txt";
    }
    return "NMEA_" + when + ".txt";
}

std::string LogRecorder::RawFileName() const {
    return logFileName_.empty() ? std::string() : WithExtension(logFileName_, ".bin");
}

std::string LogRecorder::RawTempName() const {
    return logFileName_.empty() ? std::string() : RawFileName() + ".tmp";
}

bool LogRecorder::StartLog() {
    if (disabled_ || logActive_) return false;
    activeLines_.clear();
    rawActive_.clear();

    const std::filesystem::path folder = lastFolder_.empty() ? options_.ProgramFolder : lastFolder_;
    const std::optional<std::string> choice = dialogs_.ChooseSaveFile(
        ProposedFileName(), std::string(kSaveFilter), "txt", folder.string());
    if (!choice || choice->empty()) return false;

    std::error_code ec;
    if (std::filesystem::exists(*choice, ec)) {
        if (prompts_.ConfirmYesNo("[" + *choice + "] exists !  overwrite it ?") !=
            PromptAnswer::Yes) {
            return false;
        }
        std::filesystem::remove(*choice, ec);
    }

    logFileName_ = *choice;
    logTempName_ = WithExtension(logFileName_, ".tmp");
    std::string reason;
    if (!writer_.OpenTextFile(logTempName_, reason)) {
        prompts_.ShowError(std::string(kUnableToCreate));
        return false;
    }
    const std::filesystem::path parent = std::filesystem::path(logFileName_).parent_path();
    if (!parent.empty()) lastFolder_ = parent;

    // A write error left over from an earlier log belongs to that log.
    (void)writer_.TakeError();
    writeErrorShown_ = false;
    writeErrorSeen_ = false;
    logActive_ = true;
    SetView(true, shared_.RawCaptureActive ? "Start Log+" : "Start Log");
    return true;
}

void LogRecorder::StartRawCapture(std::string_view caption) {
    if (!logActive_ || shared_.RawCaptureActive) return;
    rawActive_.clear();
    std::string reason;
    if (!writer_.OpenRawFile(RawTempName(), reason)) {
        prompts_.ShowError(std::string(kUnableToCreate));
        return;
    }
    shared_.RawCaptureActive = true;
    if (shared_.ReceiverIdentified) {
        const std::string port = port_.PortName();
        const uint32_t baud = port_.BaudRate();
        const std::string_view described = caption.size() > 8 ? caption.substr(8) : "";
        rawActive_ = "[" + port + " @ " + std::to_string(baud) + " bps]==[" +
                     std::string(described) + "]== \r\n\r\n";
    }
    // Shows that the raw capture runs beside the text log.
    SetView(true, "Start Log+");
}

void LogRecorder::LogAppend(std::string_view line) {
    if (!logActive_) return;
    activeLines_.emplace_back(line);
}

void LogRecorder::LogRaw(std::string_view bytes) {
    if (!shared_.RawCaptureActive) return;
    rawActive_.append(bytes);
    if (rawActive_.size() >= kRawHandoverBytes) HandOverRaw();
}

void LogRecorder::HandOverRaw() {
    if (rawActive_.empty()) return;
    (void)writer_.TryHandOver(noLines_, rawActive_);
}

void LogRecorder::LogHandover() {
    if (!logActive_ || activeLines_.size() <= kHandoverLines) return;
    // The writer may still be busy with the previous batch; then the lines stay here and go
    // with the next handover, so the program's thread never waits on the disk.
    (void)writer_.TryHandOver(activeLines_, rawActive_);
}

void LogRecorder::OnSecondTick() {
    if (shared_.RawCaptureActive) HandOverRaw();
    PollErrors();
}

void LogRecorder::PollErrors() {
    if (std::optional<std::string> error = writer_.TakeError()) ShowWriteError(*error);
}

void LogRecorder::ShowWriteError(const std::string& message) {
    writeErrorSeen_ = true;
    if (writeErrorShown_) return;
    writeErrorShown_ = true;
    prompts_.ShowError(message);
}

void LogRecorder::FinishRaw() {
    if (!shared_.RawCaptureActive) return;
    shared_.RawCaptureActive = false;
    std::error_code ec;
    std::filesystem::rename(RawTempName(), RawFileName(), ec);
    if (ec) prompts_.ShowError(std::string(kUnableToCreate));
}

void LogRecorder::StopLog() {
    if (!logActive_) return;
    logActive_ = false;
    const bool raw = shared_.RawCaptureActive;
    writer_.FinalWrite(activeLines_, rawActive_, true, raw);
    FinishRaw();
    PollErrors();

    SetView(false, std::string(kStopLog));
    std::error_code ec;
    std::filesystem::rename(logTempName_, logFileName_, ec);
    if (ec) {
        prompts_.ShowError(std::string(kUnableToCreate));
        return;
    }
    // A log that lost data to a write error is not announced as saved.
    if (!writeErrorSeen_) prompts_.ShowInfo(logFileName_ + " was saved !");
}

void LogRecorder::Shutdown() {
    if (logActive_) {
        if (prompts_.ConfirmYesNo(std::string(kSaveBeforeQuit)) == PromptAnswer::Yes) {
            StopLog();
        } else {
            // The temporary file stays, complete up to this moment; the raw capture is saved.
            logActive_ = false;
            writer_.FinalWrite(activeLines_, rawActive_, true, true);
            FinishRaw();
            PollErrors();
            SetView(false, std::string(kStopLog));
        }
    }
    writer_.Terminate();
}

void LogRecorder::SetView(bool recording, std::string statusText) {
    button_.Down = recording;
    button_.Hint = std::string(recording ? kStopLog : kStartToLog);
    statusPanel_ = std::move(statusText);
    if (listener_ != nullptr) listener_->OnLogStateChanged();
}

}  // namespace gnss
