#pragma once

#include <termios.h>

#include <string>
#include <vector>

namespace gnss::cli {

// The terminal while a full-screen view runs: the alternate screen with the cursor hidden, and
// the keyboard read key by key without echo (Ctrl-C still sends SIGINT). Everything comes back
// as it was when this object ends.
class TerminalScreen {
  public:
    // True when both the standard input and output are terminals.
    [[nodiscard]] static bool Available();

    TerminalScreen();
    ~TerminalScreen();
    TerminalScreen(const TerminalScreen&) = delete;
    TerminalScreen& operator=(const TerminalScreen&) = delete;

    // Columns and rows of the terminal now (80 x 24 when it does not say).
    [[nodiscard]] int Columns() const;
    [[nodiscard]] int Rows() const;

    // Draws the lines from the top left, each cleared to its end, in one write.
    void Draw(const std::vector<std::string>& lines) const;

  private:
    termios saved_{};
    bool keyboardRaw_ = false;
};

}  // namespace gnss::cli
