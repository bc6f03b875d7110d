#include "sim/pty_server.h"
#include <chrono>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>

#include <cstring>
#include <iterator>

namespace gnss::sim {

uint32_t TerminalBaudTermios2(int fd);

namespace {

struct SpeedEntry {
    speed_t Code;
    uint32_t Baud;
};
constexpr SpeedEntry kSpeeds[] = {
    {B300, 300},       {B600, 600},       {B1200, 1200},     {B2400, 2400},   {B4800, 4800},
    {B9600, 9600},     {B19200, 19200},   {B38400, 38400},   {B57600, 57600}, {B115200, 115200},
    {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
};

}  // namespace

uint32_t TerminalBaud(int fd) {
    if (const uint32_t custom = TerminalBaudTermios2(fd); custom != 0) return custom;
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return 0;
    const speed_t code = cfgetospeed(&tio);
    for (const auto& e : kSpeeds)
        if (e.Code == code) return e.Baud;
    return 0;
}

PtyServer::PtyServer(RealtimeLoop& loop, SimSource& source, std::ostream& notes)
    : loop_(loop), source_(source), notes_(notes) {}

PtyServer::~PtyServer() {
    source_.SetOutput(nullptr);
    CloseAll();
}

void PtyServer::CloseAll() {
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
    master_ = -1;
    slave_ = -1;
}

bool PtyServer::Open(uint32_t initialBaud, std::string& error) {
    (void)initialBaud;
    char name[256] = {};
    termios tio{};
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    // The line starts at a rate no tool uses, so that the tool's settings on opening the port
    // show that it is there (see Run).
    cfsetispeed(&tio, B50);
    cfsetospeed(&tio, B50);
    if (openpty(&master_, &slave_, name, &tio, nullptr) != 0) {
        error = std::string("openpty failed: ") + std::strerror(errno);
        return false;
    }
    path_ = name;
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    source_.SetOutput(this);
    return true;
}

uint32_t PtyServer::ToolBaud() const {
    return slave_ >= 0 ? TerminalBaud(slave_) : 0;
}

void PtyServer::DeviceVanished() {
    vanished_ = true;
    CloseAll();  // the tool's port now reads end of file / I/O errors, as after an unplug
}

void PtyServer::Note(std::string_view text) {
    notes_ << "gnss-sim: " << text << "\n";
}

void PtyServer::Deliver(std::string_view bytes) {
    while (!bytes.empty() && master_ >= 0) {
        const ssize_t n = write(master_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        // Nobody reads the port: the terminal's input queue is full. A serial line would lose
        // these bytes; drop the stale queue too, so that a tool opening the port later reads
        // current data.
        if (slave_ >= 0) tcflush(slave_, TCIFLUSH);
        const ssize_t again = write(master_, bytes.data(), bytes.size());
        if (again <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(again));
    }
}

namespace {
constexpr uint32_t kUnopenedLineBaud = 50;
constexpr int kPowerOnFallbackMs = 5000;
}  // namespace

int PtyServer::Run(const std::atomic<bool>& stop) {
    // The receiver powers on when the tool opens the port and sets its line (as a receiver
    // powered by its USB port does), so that the tool sees its start-up texts; a tool that
    // never sets the line gets it after a while anyway.
    const auto started = std::chrono::steady_clock::now();
    bool powered = false;
    int graceMs = -1;
    while (!stop.load()) {
        if (!powered) {
            const auto waited = std::chrono::steady_clock::now() - started;
            if (ToolBaud() != kUnopenedLineBaud ||
                waited > std::chrono::milliseconds(kPowerOnFallbackMs)) {
                source_.Start();
                powered = true;
            }
        }
        if (vanished_) return 0;
        if (finished_ && graceMs < 0) graceMs = 0;
        int timeout = loop_.MsUntilNextDue(100);
        pollfd pfd{master_, POLLIN, 0};
        const int ready = poll(&pfd, 1, timeout);
        if (ready < 0 && errno != EINTR) return 1;
        if (ready > 0 && (pfd.revents & POLLIN) != 0) {
            char buffer[4096];
            const ssize_t n = read(master_, buffer, sizeof buffer);
            if (n > 0) source_.Input(std::string_view(buffer, static_cast<std::size_t>(n)));
        }
        loop_.RunDue();
        if (graceMs >= 0) {
            // A finished replay waits until the tool has read what is queued (at most ~2 s).
            int queued = 0;
            if (slave_ >= 0 && ioctl(slave_, TIOCINQ, &queued) == 0 && queued == 0) return 0;
            graceMs += timeout > 0 ? timeout : 1;
            if (graceMs > 2000) return 0;
        }
    }
    return 0;
}

}  // namespace gnss::sim
