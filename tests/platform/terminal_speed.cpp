// Kept apart from <termios.h>: the kernel's termios2 (exact custom rates) clashes with it.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace gnss::testing {

unsigned TerminalOutputSpeed(int fd) {
    struct termios2 settings {};
    if (::ioctl(fd, TCGETS2, &settings) != 0) return 0;
    return settings.c_ospeed;
}

}  // namespace gnss::testing
