#include "cli/terminal_screen.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

namespace gnss::cli {

namespace {

constexpr const char* kEnterScreen = "\x1b[?1049h\x1b[?25l\x1b[2J";
constexpr const char* kLeaveScreen = "\x1b[0m\x1b[?25h\x1b[?1049l";

void WriteAll(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

winsize WindowSize() {
    winsize size{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) size = {};
    return size;
}

}  // namespace

bool TerminalScreen::Available() {
    return ::isatty(STDIN_FILENO) == 1 && ::isatty(STDOUT_FILENO) == 1;
}

TerminalScreen::TerminalScreen() {
    if (::tcgetattr(STDIN_FILENO, &saved_) == 0) {
        termios raw = saved_;
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
        keyboardRaw_ = ::tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
    }
    WriteAll(kEnterScreen);
}

TerminalScreen::~TerminalScreen() {
    WriteAll(kLeaveScreen);
    if (keyboardRaw_) ::tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
}

int TerminalScreen::Columns() const {
    const winsize size = WindowSize();
    return size.ws_col > 0 ? size.ws_col : 80;
}

int TerminalScreen::Rows() const {
    const winsize size = WindowSize();
    return size.ws_row > 0 ? size.ws_row : 24;
}

void TerminalScreen::Draw(const std::vector<std::string>& lines) const {
    std::string frame = "\x1b[H";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        frame += lines[i];
        frame += "\x1b[0m\x1b[K";
        if (i + 1 < lines.size()) frame += "\r\n";
    }
    WriteAll(frame);
}

}  // namespace gnss::cli
