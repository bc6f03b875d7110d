#include "assist/epo_status.h"

#include <cmath>
#include <cstdio>

#include "nmea/number_parse.h"
#include "nmea/text_fields.h"

namespace gnss {

namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr double kSetDays = 0.25;

std::optional<int> WholeNumber(std::string_view field) {
    if (field.empty()) return std::nullopt;
    for (const char c : field) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    return TryParseInt(field);
}

DateTime GpsTime(int week, int towSeconds) {
    return DateTime{GpsTimeOrigin().Days + week * 7.0 + towSeconds / kSecondsPerDay};
}

}  // namespace

std::optional<EpoStatusReply> ParseEpoStatusReply(std::string_view line) {
    const std::size_t at = line.find(kEpoStatusReplyTag);
    if (at == std::string_view::npos) return std::nullopt;
    const std::string_view sentence = line.substr(at);
    int values[5] = {};
    for (int i = 0; i < 5; ++i) {
        const std::optional<int> value = WholeNumber(ExtractField(i + 2, sentence, kCommaStar));
        if (!value) return std::nullopt;
        values[i] = *value;
    }
    return EpoStatusReply{values[0], values[1], values[2], values[3], values[4]};
}

EpoStatus EpoStatusFromReply(const EpoStatusReply& reply, DateTime now) {
    EpoStatus status;
    status.ValidDays = reply.Sets / 4 - kSetDays;
    status.Start = GpsTime(reply.FirstWeek, reply.FirstTowSeconds);
    status.End = DateTime{GpsTime(reply.LastWeek, reply.LastTowSeconds).Days + kSetDays};
    status.NeedUpdate = EpoNeedsUpdate(status.Start, now);
    return status;
}

ReferenceTime EpoReferenceTime(const RmcRecord& rmc, DateTime computerUtc) {
    const bool valid = (rmc.Status == 'A' || rmc.Status == 'D') && rmc.Date.Month >= 1 &&
                       rmc.Date.Month <= 12 && rmc.Date.Day >= 1 && rmc.Date.Day <= 31;
    if (!valid) return ReferenceTime{computerUtc, false};
    const int year = rmc.Date.Year < 100 ? 2000 + rmc.Date.Year : rmc.Date.Year;
    const double days =
        static_cast<double>(DaysFromCivil(year, rmc.Date.Month, rmc.Date.Day)) +
        (rmc.Time.Hour * 3600.0 + rmc.Time.Minute * 60.0 + rmc.Time.Second) / kSecondsPerDay;
    return ReferenceTime{DateTime{days}, true};
}

std::string EpoValidityText(const EpoStatus& status, DateTime now) {
    if (status.Start.Days - GpsTimeOrigin().Days < 1.0) return "AGPS data is empty !";
    if (status.End.Days <= now.Days) return "AGPS data is out of date !";
    const double left = status.End.Days - now.Days;
    const int days = static_cast<int>(std::trunc(left));
    const int hours = static_cast<int>(std::trunc((left - days) * 24.0));
    char text[80];
    std::snprintf(text, sizeof text, "AGPS data is valid for %d day(s) %d hour(s)", days, hours);
    return text;
}

bool EpoNeedsUpdate(DateTime start, DateTime now) {
    return now.Days - start.Days > kEpoRenewAfterDays;
}

bool EpoUpdateAllowed(const EpoStatus& status, DateTime now) {
    return !(status.ValidDays > 0 && now.Days - status.Start.Days < kEpoRenewAfterDays);
}

}  // namespace gnss
