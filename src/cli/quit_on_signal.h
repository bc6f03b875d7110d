#pragma once

#include <QSocketNotifier>
#include <csignal>
#include <memory>

namespace gnss::cli {

// Ctrl-C (SIGINT) and SIGTERM end the event loop: the handler only writes one byte to a socket
// pair, whose other end wakes the loop, which then quits in an orderly way. The previous
// handlers come back when this object ends.
class QuitOnSignal {
  public:
    QuitOnSignal();
    ~QuitOnSignal();
    QuitOnSignal(const QuitOnSignal&) = delete;
    QuitOnSignal& operator=(const QuitOnSignal&) = delete;

    [[nodiscard]] bool Signalled() const { return signalled_; }

  private:
    static void Handler(int);

    static inline volatile std::sig_atomic_t writeFd_ = -1;
    int fds_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
    bool signalled_ = false;
};

}  // namespace gnss::cli
