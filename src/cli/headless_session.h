#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_core.h"
#include "base/desktop.h"
#include "base/file_dialogs.h"
#include "cli/port_options.h"
#include "link/connection_listener.h"
#include "platform/console_prompts.h"
#include "platform/linux_clock_setter.h"
#include "platform/qt_assist_downloader.h"
#include "platform/qt_clock.h"
#include "platform/qt_port_enumerator.h"
#include "platform/qt_receiver_port.h"
#include "platform/qt_scheduler.h"

namespace gnss::cli {

// The save dialog of a program without windows: every question is answered with the file
// named on the command line (or cancelled when there is none).
class FixedFileDialogs final : public FileDialogs {
  public:
    explicit FixedFileDialogs(std::string answer) : answer_(std::move(answer)) {}
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&,
                                              const std::string&, const std::string&) override {
        if (answer_.empty()) return std::nullopt;
        return answer_;
    }

  private:
    std::string answer_;
};

// No browser and no clipboard on a terminal: asking for them does nothing.
class NoDesktop final : public Desktop {
  public:
    bool OpenUrl(const std::string&) override { return false; }
    void SetClipboardText(const std::string&) override {}
};

// The application core of the window program, run without windows on the Qt adapters: the
// same receive path, features and view models, driven by a command instead of a window. It
// follows the port like the window does (the port list once a second, line errors of devices
// that are not listed), and ends the event loop with a failure when the receiver goes away.
class HeadlessSession final : private ConnectionListener {
  public:
    // `saveFile` answers the recorder's save dialog. Questions of the receive path are
    // answered No, so the receiver is never switched to another mode unasked.
    explicit HeadlessSession(std::string saveFile = {});
    ~HeadlessSession() override;
    HeadlessSession(const HeadlessSession&) = delete;
    HeadlessSession& operator=(const HeadlessSession&) = delete;

    [[nodiscard]] AppCore& Core() { return *core_; }
    [[nodiscard]] const QtReceiverPort& Port() const { return port_; }

    // Connects to the port; false when it did not open (the reason was printed).
    bool Open(const PortChoice& choice);
    // Disconnects and ends the core's work (log writer included). Safe to call twice.
    void Close();

    // Where the connection's notes go; standard error unless replaced.
    void SetNoteSink(std::function<void(std::string_view)> sink) { noteSink_ = std::move(sink); }

    [[nodiscard]] int ExitCode() const { return exitCode_; }
    // Runs events until `done` is true (true), `timeoutMs` passed or the session ended (false).
    bool RunUntil(const std::function<bool()>& done, uint32_t timeoutMs);

  private:
    void OnDisconnected() override;
    void OnConnectionNote(std::string_view line) override;
    void CheckLineErrors();
    void End(const std::string& why);

    QtClock clock_;
    QtScheduler scheduler_;
    ConsolePrompts prompts_;
    QtReceiverPort port_;
    QtPortEnumerator enumerator_;
    FixedFileDialogs dialogs_;
    NoDesktop desktop_;
    LinuxClockSetter clockSetter_;
    QtAssistDownloader downloader_;
    QtNetworkStatus network_;
    std::unique_ptr<AppCore> core_;
    PortWatcher watcher_;
    std::unique_ptr<Timer> lineCheck_;
    std::function<void(std::string_view)> noteSink_;
    bool closing_ = false;
    bool closed_ = false;
    int exitCode_ = 0;
};

// The debug memo's lines added since the last call.
[[nodiscard]] std::vector<std::string> TakeNewMemoLines(DebugMemo& memo);

}  // namespace gnss::cli
