#include "platform/qt_clock.h"

#include <QDateTime>
#include <chrono>

namespace gnss {

namespace {

DateTime ToDateTime(const QDateTime& value) {
    const QDate date = value.date();
    const QTime time = value.time();
    const double dayFraction = static_cast<double>(time.msecsSinceStartOfDay()) / 86400000.0;
    return DateTime{static_cast<double>(DaysFromCivil(date.year(), date.month(), date.day())) +
                    dayFraction};
}

}  // namespace

uint32_t QtClock::TickMs() const {
    // The monotonic clock counts from boot on Linux, as a system tick does; only the low 32 bits
    // are kept so the value wraps like one.
    const auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
    return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

DateTime QtClock::NowLocal() const {
    return ToDateTime(QDateTime::currentDateTime());
}

DateTime QtClock::NowUtc() const {
    return ToDateTime(QDateTime::currentDateTimeUtc());
}

int QtClock::TimeZoneBiasMinutes() const {
    // offsetFromUtc() is local - UTC in seconds, daylight saving included; the bias is the
    // amount to add to local time to get UTC.
    return -QDateTime::currentDateTime().offsetFromUtc() / 60;
}

}  // namespace gnss
