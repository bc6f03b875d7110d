#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/date_time.h"
#include "nmea/nmea_records.h"

namespace gnss {

// The receiver's EPO data as its "$PMTK707" reply describes it.
struct EpoStatus {
    double ValidDays = 0.0;  // whole days of data less the last 6-hour set
    DateTime Start{};        // start of the data; the GPS time origin when the receiver has none
    DateTime End{};          // end of the last set
    bool NeedUpdate = false;
};

// Fields 2 to 6 of "$PMTK707,sets,firstWeek,firstTow,lastWeek,lastTow*hh".
struct EpoStatusReply {
    int Sets = 0;
    int FirstWeek = 0;
    int FirstTowSeconds = 0;
    int LastWeek = 0;
    int LastTowSeconds = 0;
};

inline constexpr std::string_view kEpoStatusQuery = "$PMTK607*33\r\n";
inline constexpr std::string_view kEpoStatusReplyTag = "$PMTK707";
// Data that started more than this long before now is old enough to be replaced (26 hours).
inline constexpr double kEpoRenewAfterDays = 1.0833333;

// The reply's five numbers; nothing when the line is no "$PMTK707" or a field is not a whole
// number.
[[nodiscard]] std::optional<EpoStatusReply> ParseEpoStatusReply(std::string_view line);
// The status a reply describes, judged at `now`.
[[nodiscard]] EpoStatus EpoStatusFromReply(const EpoStatusReply& reply, DateTime now);

// The time the data is judged against: the receiver's own UTC date and time while its RMC
// status is valid ("A" or "D"), else the computer's UTC clock.
struct ReferenceTime {
    DateTime Utc{};
    bool FromReceiver = false;
    // "[GPS]--" or "[PC]--", put before texts that used it.
    [[nodiscard]] std::string_view Prefix() const { return FromReceiver ? "[GPS]--" : "[PC]--"; }
};
[[nodiscard]] ReferenceTime EpoReferenceTime(const RmcRecord& rmc, DateTime computerUtc);

// The validity line: "AGPS data is empty !", "AGPS data is valid for %d day(s) %d hour(s)" or
// "AGPS data is out of date !".
[[nodiscard]] std::string EpoValidityText(const EpoStatus& status, DateTime now);

// Whether data that started at `start` is old enough to be replaced at `now` (more than 26 hours).
[[nodiscard]] bool EpoNeedsUpdate(DateTime start, DateTime now);

// Whether "Update" may replace the receiver's data now: not while it holds data loaded less
// than 26 hours ago.
[[nodiscard]] bool EpoUpdateAllowed(const EpoStatus& status, DateTime now);

}  // namespace gnss
