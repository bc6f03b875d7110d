#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/clock.h"
#include "base/file_dialogs.h"
#include "base/user_prompts.h"
#include "link/connection_listener.h"
#include "link/receive_listeners.h"
#include "link/receiver_port.h"
#include "link/shared_state.h"
#include "logging/log_line_sink.h"
#include "logging/log_writer_thread.h"

namespace gnss {

// What the log button shows.
struct LogButtonView {
    bool Enabled = true;
    bool Down = false;  // recording image
    std::string Hint = "Start to Log data";
};

// Told when what the log button and the log state show changed.
class LogRecorderListener {
  public:
    virtual ~LogRecorderListener() = default;
    virtual void OnLogStateChanged() = 0;
};

// Records received sentences and annotation lines to a text log, and optionally every received
// byte to a raw capture file beside it. Lines are collected in memory on the program's thread and
// written in batches by the writer thread (`LogWriterThread`). While recording, the text goes to
// the chosen name with ".tmp" as extension and the raw bytes to the chosen name with ".bin.tmp";
// both get their final names when the log is stopped.
//
// All members are called on the program's thread.
class LogRecorder final : public LogLineSink, public StreamListener, public ConnectionListener {
  public:
    struct Options {
        // Initial folder of the save dialog until a log has been saved somewhere.
        std::filesystem::path ProgramFolder;
        // The program runs from read-only media (a CD-ROM): logging is disabled for the run.
        bool ReadOnlyMedia = false;
    };

    static constexpr std::size_t kHandoverLines = 500;
    // Raw bytes collected before they are handed to the writer without waiting for the next
    // per-second tick.
    static constexpr std::size_t kRawHandoverBytes = 64 * 1024;
    static constexpr std::string_view kSaveFilter =
        "Text File (*.txt)|*.txt|NMEA log File (*.log)|*.log|Other type (*.* )|*.*";
    static constexpr std::string_view kUnableToCreate = "Unable to create Log file.";
    static constexpr std::string_view kSaveBeforeQuit =
        "Do you want to save log data before quit ? ";
    static constexpr std::string_view kDisabledHint =
        "The Log function was disabled when run the utility from CD-ROM !";

    // `port` gives the receiver port's name and baud rate for file names and the raw header.
    LogRecorder(const Clock& clock, UserPrompts& prompts, FileDialogs& dialogs, SharedState& shared,
                const ReceiverPort& port, Options options);
    ~LogRecorder() override;
    LogRecorder(const LogRecorder&) = delete;
    LogRecorder& operator=(const LogRecorder&) = delete;

    // The log button: a click starts or stops the log; the mouse release afterwards with Ctrl
    // held starts the raw capture when a log is then active. `caption` is the program's caption
    // (title and firmware), named in the raw capture's first line.
    void ToggleLog();
    void LogButtonReleased(bool ctrlHeld, std::string_view caption);

    // Asks for the file name (and whether to overwrite) and starts recording. False when the
    // user cancels, logging is disabled or the file cannot be created.
    bool StartLog();
    // Writes the rest, gives the files their final names and tells the user.
    void StopLog();
    // Starts capturing every received byte (only while a log is active).
    void StartRawCapture(std::string_view caption);

    // LogLineSink
    [[nodiscard]] bool LogActive() const override { return logActive_; }
    void LogAppend(std::string_view line) override;
    [[nodiscard]] std::size_t PendingLineCount() const override { return activeLines_.size(); }
    void LogHandover() override;

    // Every received chunk while the raw capture is on.
    void LogRaw(std::string_view bytes);
    void OnBytesReceived(std::string_view chunk) override { LogRaw(chunk); }

    // Once per second on the program's thread: hands collected raw bytes to the writer and
    // reports a write error.
    void OnSecondTick();
    void OnLinkSecond() override { OnSecondTick(); }
    // Shows the first write error of the current log to the user, once.
    void PollErrors();

    // The close of the main window: asks whether to save an active log, then ends the writer.
    void Shutdown();

    // "NMEA_COM3_9600_20250101-120000.txt" while a port is open, "NMEA_20250101-120000.txt"
    // otherwise. A port given as a device path contributes its base name.
    [[nodiscard]] std::string ProposedFileName() const;

    [[nodiscard]] const LogButtonView& Button() const { return button_; }
    // The log state: "", "Start Log", "Start Log+" or "Stop Log".
    [[nodiscard]] const std::string& StateText() const { return statusPanel_; }
    [[nodiscard]] const std::string& LogFileName() const { return logFileName_; }
    [[nodiscard]] const std::string& LogTempName() const { return logTempName_; }
    [[nodiscard]] std::string RawFileName() const;
    [[nodiscard]] std::string RawTempName() const;
    [[nodiscard]] bool LoggingDisabled() const { return disabled_; }

    // Blocks until the writer has written every batch handed to it.
    void WaitForWriter() { writer_.WaitIdle(); }

    // Told whenever the button or the log state changes.
    void SetListener(LogRecorderListener* listener) { listener_ = listener; }

  private:
    void FinishRaw();
    void SetView(bool recording, std::string statusText);
    void ShowWriteError(const std::string& message);
    void HandOverRaw();

    const Clock& clock_;
    UserPrompts& prompts_;
    FileDialogs& dialogs_;
    SharedState& shared_;
    const ReceiverPort& port_;
    Options options_;
    LogRecorderListener* listener_ = nullptr;

    LogWriterThread writer_;
    bool disabled_ = false;
    bool logActive_ = false;
    std::vector<std::string> activeLines_;
    std::vector<std::string> noLines_;  // stands in for the lines when only raw bytes go over
    std::string rawActive_;
    std::string noRaw_;
    std::string logFileName_;
    std::string logTempName_;
    std::filesystem::path lastFolder_;
    bool writeErrorShown_ = false;
    bool writeErrorSeen_ = false;

    LogButtonView button_;
    std::string statusPanel_;
};

}  // namespace gnss
