#include "platform/linux_clock_setter.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>

namespace gnss {

SystemClockSetter::Result LinuxClockSetter::SetLocalTime(DateTime local) {
    const DateTimeParts parts = DecodeDateTime(local);
    std::tm broken{};
    broken.tm_year = parts.Year - 1900;
    broken.tm_mon = parts.Month - 1;
    broken.tm_mday = parts.Day;
    broken.tm_hour = parts.Hour;
    broken.tm_min = parts.Minute;
    broken.tm_sec = parts.Second;
    broken.tm_isdst = -1;  // the system decides whether daylight saving applies
    const std::time_t seconds = std::mktime(&broken);
    if (seconds == static_cast<std::time_t>(-1)) return {false, "the time cannot be represented"};
    const timespec value{seconds, static_cast<long>(parts.Millisecond) * 1000000L};
    if (clock_settime(CLOCK_REALTIME, &value) == 0) return {true, ""};
    if (errno == EPERM) {
        return {false,
                "setting the clock needs the CAP_SYS_TIME privilege (run as root, or grant it "
                "to the program: setcap cap_sys_time+ep gnssvaro)"};
    }
    return {false, std::string("clock_settime failed: ") + std::strerror(errno)};
}

}  // namespace gnss
