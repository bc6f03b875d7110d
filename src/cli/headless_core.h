#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_core.h"
#include "base/desktop.h"
#include "base/file_dialogs.h"
#include "platform/console_prompts.h"
#include "platform/linux_clock_setter.h"
#include "platform/qt_clock.h"
#include "platform/qt_port_enumerator.h"
#include "platform/qt_receiver_port.h"
#include "platform/qt_scheduler.h"

namespace gnss::cli {

// The application core as the window program runs it, without a window: real port, clock and
// timers; questions answered "no" on standard error; no file dialogs, browser or clipboard.
class HeadlessCore {
  public:
    HeadlessCore();
    ~HeadlessCore();
    HeadlessCore(const HeadlessCore&) = delete;
    HeadlessCore& operator=(const HeadlessCore&) = delete;

    AppCore& Core() { return *core_; }
    QtScheduler& Timers() { return scheduler_; }

    // Connects as the connect button does (`baud` as the rate box shows it: digits or "Auto");
    // false (with the reason on standard error) when the port did not open.
    bool Connect(const std::string& portName, const std::string& baud);
    // Runs the event loop until `done` is true or `timeoutMs` passed; true when done.
    bool RunUntil(const std::function<bool()>& done, uint32_t timeoutMs);
    // The debug memo lines not printed yet.
    std::vector<std::string> TakeNewMemoLines();

  private:
    class NoDesktop final : public Desktop {
      public:
        bool OpenUrl(const std::string&) override { return false; }
        void SetClipboardText(const std::string&) override {}
    };
    class NoFileDialogs final : public FileDialogs {
      public:
        std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&,
                                                  const std::string&, const std::string&) override {
            return std::nullopt;
        }
    };

    QtClock clock_;
    QtScheduler scheduler_;
    ConsolePrompts prompts_{ConsolePrompts::Policy::AlwaysNo};
    QtReceiverPort port_;
    QtPortEnumerator ports_;
    NoDesktop desktop_;
    NoFileDialogs dialogs_;
    LinuxClockSetter clockSetter_;
    std::unique_ptr<AppCore> core_;
};

// A family by its display name ("MTK", "ublox", ...; any letter case); nothing for an unknown
// name.
[[nodiscard]] std::optional<ReceiverFamily> FamilyByName(std::string_view name);

}  // namespace gnss::cli
