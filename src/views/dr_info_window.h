#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/scheduler.h"

namespace gnss {

using Rgb = uint32_t;

inline constexpr std::string_view kDrInfoCaption = "DR Calibration Info....";
inline constexpr Rgb kDrInfoText = 0x000000;
inline constexpr Rgb kDrInfoErrorText = 0xFF0000;
// Every line of the info window is padded with blanks to this width.
inline constexpr std::size_t kDrInfoLineWidth = 35;
// The instruction windows close themselves after this many seconds.
inline constexpr int kDrInfoCountdownSeconds = 10;

enum class DrInfoIcon : uint8_t { Information = 0, Error = 1 };
// Confirmation: OK and Cancel, no countdown. Error: red text, OK only, no countdown.
// Countdown: closes itself when its seconds have run out.
enum class DrInfoMode : uint8_t { Confirmation, Error, Countdown };
enum class DrInfoResult : uint8_t { Ok, Cancel, TimedOut, Hidden };

// The always-on-top window of the calibration: an icon, a few lines of instructions or an
// error, and the mode's buttons and countdown.
class DrInfoWindow {
  public:
    explicit DrInfoWindow(Scheduler& scheduler);

    // Shows the window with new content; `seconds` only counts for the countdown mode.
    void Show(DrInfoIcon icon, const std::vector<std::string_view>& lines, DrInfoMode mode,
              bool modal, int seconds = kDrInfoCountdownSeconds);
    // OK, Cancel, the countdown's end or a hide from the program.
    void Close(DrInfoResult result);

    [[nodiscard]] bool Visible() const { return visible_; }
    [[nodiscard]] bool Modal() const { return modal_; }
    [[nodiscard]] DrInfoIcon Icon() const { return icon_; }
    [[nodiscard]] DrInfoMode Mode() const { return mode_; }
    [[nodiscard]] const std::vector<std::string>& Lines() const { return lines_; }
    // The lines as the window shows them: separated by an empty line.
    [[nodiscard]] std::string Text() const;
    [[nodiscard]] Rgb TextColour() const {
        return mode_ == DrInfoMode::Error ? kDrInfoErrorText : kDrInfoText;
    }
    [[nodiscard]] bool CancelShown() const { return mode_ == DrInfoMode::Confirmation; }
    [[nodiscard]] bool CountdownShown() const { return mode_ == DrInfoMode::Countdown; }
    [[nodiscard]] int SecondsLeft() const { return secondsLeft_; }
    [[nodiscard]] uint64_t ShowCount() const { return shows_; }

    // Told about every change of the window and about how it was closed.
    std::function<void()> OnChanged;
    std::function<void(DrInfoResult)> OnClosed;

    // The window's place: the main window's left edge plus the monitor's width less its own
    // width and 2 pixels, 300 pixels below the main window's top.
    struct Point {
        int X = 0;
        int Y = 0;
    };
    [[nodiscard]] static Point Placement(int mainLeft, int mainTop, int monitorWidth, int ownWidth);

  private:
    void Tick();
    void Changed();

    std::unique_ptr<Timer> countdown_;
    bool visible_ = false;
    bool modal_ = false;
    DrInfoIcon icon_ = DrInfoIcon::Information;
    DrInfoMode mode_ = DrInfoMode::Countdown;
    std::vector<std::string> lines_;
    int secondsLeft_ = 0;
    uint64_t shows_ = 0;
};

}  // namespace gnss
