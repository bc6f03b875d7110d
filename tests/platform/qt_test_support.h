#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <functional>
#include <string>
#include <string_view>

namespace gnss::testing {

// Runs the event loop until the condition holds or the deadline passes; returns the condition.
// The deadline only bounds a failing test: a passing one leaves as soon as the event arrived.
inline bool WaitUntil(const std::function<bool()>& condition, int deadlineMs = 5000) {
    const QDeadlineTimer deadline(deadlineMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

// A pseudo-terminal: the test plays the device on the master side, the code under test opens
// the slave path like a serial port.
class PtyPair {
  public:
    PtyPair() {
        char name[128] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) == 0) {
            slavePath_ = name;
            ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
            // Programs started by a test must not inherit either end: a master held open by a
            // child would keep the terminal alive after the test closed its own.
            ::fcntl(master_, F_SETFD, FD_CLOEXEC);
            ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
        }
    }
    ~PtyPair() {
        CloseSlave();
        CloseMaster();
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    [[nodiscard]] bool Ok() const { return master_ >= 0 && !slavePath_.empty(); }
    [[nodiscard]] const std::string& SlavePath() const { return slavePath_; }
    [[nodiscard]] int Master() const { return master_; }
    [[nodiscard]] int Slave() const { return slave_; }

    bool WriteMaster(std::string_view bytes) const {
        while (!bytes.empty()) {
            const ssize_t n = ::write(master_, bytes.data(), bytes.size());
            if (n <= 0) return false;
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }

    // Reads from the master until `count` bytes came or the deadline passed.
    std::string ReadMaster(std::size_t count, int deadlineMs = 5000) const {
        std::string data;
        const QDeadlineTimer deadline(deadlineMs);
        while (data.size() < count && !deadline.hasExpired()) {
            pollfd fd{master_, POLLIN, 0};
            if (::poll(&fd, 1, 20) > 0 && (fd.revents & POLLIN)) {
                char buffer[256];
                const ssize_t n = ::read(master_, buffer, sizeof buffer);
                if (n > 0) data.append(buffer, static_cast<std::size_t>(n));
            }
            QCoreApplication::processEvents();
        }
        return data;
    }

    // Our own slave descriptor keeps the terminal alive while nobody else has it open; close it
    // once the code under test holds its own.
    void CloseSlave() {
        if (slave_ >= 0) ::close(slave_);
        slave_ = -1;
    }
    void CloseMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

// The output speed the terminal driver holds for a descriptor (exact value, custom rates too);
// 0 when it cannot be read.
unsigned TerminalOutputSpeed(int fd);

}  // namespace gnss::testing
