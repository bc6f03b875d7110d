// Reads a terminal's baud rate with the termios2 request, which also reports custom rates.
// Kept apart: <asm/termbits.h> cannot share a file with <termios.h>.
#include <cstdint>

#if defined(__linux__)
#include <asm/termbits.h>
#include <sys/ioctl.h>
#endif

namespace gnss::sim {

uint32_t TerminalBaudTermios2(int fd) {
#if defined(__linux__) && defined(TCGETS2)
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) return 0;
    return tio.c_ospeed;
#else
    (void)fd;
    return 0;
#endif
}

}  // namespace gnss::sim
