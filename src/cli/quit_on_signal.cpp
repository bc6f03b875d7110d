#include "cli/quit_on_signal.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>

namespace gnss::cli {

QuitOnSignal::QuitOnSignal() {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds_) != 0) return;
    writeFd_ = fds_[0];
    notifier_ = std::make_unique<QSocketNotifier>(fds_[1], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        char byte = 0;
        [[maybe_unused]] const auto n = ::read(fds_[1], &byte, 1);
        signalled_ = true;
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = &QuitOnSignal::Handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &previousInt_);
    ::sigaction(SIGTERM, &action, &previousTerm_);
}

QuitOnSignal::~QuitOnSignal() {
    if (fds_[0] < 0) return;
    ::sigaction(SIGINT, &previousInt_, nullptr);
    ::sigaction(SIGTERM, &previousTerm_, nullptr);
    writeFd_ = -1;
    notifier_.reset();
    ::close(fds_[0]);
    ::close(fds_[1]);
}

void QuitOnSignal::Handler(int) {
    const int fd = writeFd_;
    if (fd < 0) return;
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(fd, &byte, 1);
}

}  // namespace gnss::cli
