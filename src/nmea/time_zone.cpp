#include "nmea/time_zone.h"

namespace gnss {

namespace {
constexpr double kMinutesPerDay = 1440.0;
}  // namespace

DateTime LocalToUtc(DateTime local, int biasMinutes) {
    return DateTime{local.Days + biasMinutes / kMinutesPerDay};
}

DateTime UtcToLocal(DateTime utc, int biasMinutes) {
    return DateTime{utc.Days - biasMinutes / kMinutesPerDay};
}

}  // namespace gnss
