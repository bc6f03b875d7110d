#include "sim/nmea_epoch_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "sim/sim_bytes.h"

namespace gnss::sim {

namespace {

std::string Format(const char* fmt, double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, value);
    return buf;
}

std::string TimeField(const DateTimeParts& t, int decimals) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d", t.Hour, t.Minute, t.Second);
    std::string out = buf;
    if (decimals > 0) {
        std::snprintf(buf, sizeof buf, "%03d", t.Millisecond);
        out += '.';
        out += std::string(buf).substr(0, static_cast<std::size_t>(std::min(decimals, 3)));
    }
    return out;
}

std::string DateField(const DateTimeParts& t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d", t.Day, t.Month, t.Year % 100);
    return buf;
}

// "ddmm.mmmm,N" or "dddmm.mmmm,E".
std::string Coordinate(double deg, bool latitude, int minuteDecimals) {
    const char hemi = latitude ? (deg < 0 ? 'S' : 'N') : (deg < 0 ? 'W' : 'E');
    double a = std::fabs(deg);
    int whole = static_cast<int>(a);
    double minutes = (a - whole) * 60.0;
    const double scale = std::pow(10.0, minuteDecimals);
    minutes = std::round(minutes * scale) / scale;
    if (minutes >= 60.0) {
        minutes -= 60.0;
        ++whole;
    }
    char buf[48];
    std::snprintf(buf, sizeof buf, latitude ? "%02d%0*.*f,%c" : "%03d%0*.*f,%c", whole,
                  minuteDecimals + 3, minuteDecimals, minutes, hemi);
    return buf;
}

char ModeChar(const EpochReport& r) {
    if (!r.HasFix) return 'N';
    switch (r.Kind) {
        case FixKind::Dgps:
            return 'D';
        case FixKind::RtkFixed:
            return 'R';
        case FixKind::RtkFloat:
            return 'F';
        case FixKind::DeadReckoning:
            return 'E';
        case FixKind::None:
            return 'N';
        default:
            return 'A';
    }
}

int Quality(const EpochReport& r) {
    if (!r.HasFix) return 0;
    switch (r.Kind) {
        case FixKind::Dgps:
            return 2;
        case FixKind::RtkFixed:
            return 4;
        case FixKind::RtkFloat:
            return 5;
        case FixKind::DeadReckoning:
            return 6;
        case FixKind::None:
            return 0;
        default:
            return 1;
    }
}

bool HasCorrections(const EpochReport& r) {
    return r.HasFix &&
           (r.Kind == FixKind::Dgps || r.Kind == FixKind::RtkFixed || r.Kind == FixKind::RtkFloat);
}

int UsedCount(const EpochReport& r) {
    return static_cast<int>(
        std::count_if(r.Sats.begin(), r.Sats.end(), [](const SatView& s) { return s.Used; }));
}

bool ShowsAsQzssOnGp(Constellation system, const NmeaStyle& style) {
    return system == Constellation::Qzss && !style.Nmea41;
}

// The number a satellite carries in this style.
int ShownId(const SatView& s, const NmeaStyle& style) {
    if (ShowsAsQzssOnGp(s.System, style)) return 192 + s.Id;
    return s.Id;
}

std::string GgaSentence(const EpochReport& r, const NmeaStyle& st, const std::string& talker) {
    std::string s = "$" + talker + "GGA," + TimeField(r.Utc, st.TimeDecimals) + ",";
    char used[16];
    std::snprintf(used, sizeof used, "%02d", std::min(UsedCount(r), 99));
    if (!r.HasFix) return s + ",,,,0," + used + ",99.99,,,,,,";
    s += Coordinate(r.LatDeg, true, st.MinuteDecimals) + "," +
         Coordinate(r.LonDeg, false, st.MinuteDecimals) + ",";
    s += std::to_string(Quality(r)) + "," + used + "," + Format("%.2f", r.Dop.Hdop) + ",";
    s += Format("%.1f", r.AltM) + ",M," + Format("%.1f", r.GeoidSepM) + ",M,";
    s += HasCorrections(r) ? "1.0,0000" : ",";
    return s;
}

std::string RmcSentence(const EpochReport& r, const NmeaStyle& st, const std::string& talker) {
    std::string s = "$" + talker + "RMC," + TimeField(r.Utc, st.TimeDecimals) + ",";
    if (!r.HasFix) {
        s += "V,,,,,,," + DateField(r.Utc) + ",,,N";
    } else {
        s += "A," + Coordinate(r.LatDeg, true, st.MinuteDecimals) + "," +
             Coordinate(r.LonDeg, false, st.MinuteDecimals) + "," + Format("%.3f", r.SpeedKnots) +
             "," + Format("%.2f", r.CourseDeg) + "," + DateField(r.Utc) + ",,," + ModeChar(r);
    }
    if (st.Nmea41) s += r.HasFix ? ",S" : ",V";
    return s;
}

std::string GllSentence(const EpochReport& r, const NmeaStyle& st, const std::string& talker) {
    std::string s = "$" + talker + "GLL,";
    if (!r.HasFix) return s + ",,,," + TimeField(r.Utc, st.TimeDecimals) + ",V,N";
    return s + Coordinate(r.LatDeg, true, st.MinuteDecimals) + "," +
           Coordinate(r.LonDeg, false, st.MinuteDecimals) + "," +
           TimeField(r.Utc, st.TimeDecimals) + ",A," + ModeChar(r);
}

std::string VtgSentence(const EpochReport& r, const std::string& talker) {
    if (!r.HasFix) return "$" + talker + "VTG,,T,,M,,N,,K,N";
    return "$" + talker + "VTG," + Format("%.2f", r.CourseDeg) + ",T,,M," +
           Format("%.3f", r.SpeedKnots) + ",N," + Format("%.3f", r.SpeedKnots * 1.852) + ",K," +
           ModeChar(r);
}

std::string ZdaSentence(const EpochReport& r, const NmeaStyle& st, const std::string& talker) {
    char buf[48];
    std::snprintf(buf, sizeof buf, ",%02d,%02d,%04d,00,00", r.Utc.Day, r.Utc.Month, r.Utc.Year);
    return "$" + talker + "ZDA," + TimeField(r.Utc, st.TimeDecimals) + buf;
}

// Systems in reporting order with SBAS (and QZSS without NMEA 4.1) folded into GPS.
std::vector<Constellation> ReportingSystems(const NmeaStyle& st) {
    std::vector<Constellation> out;
    static constexpr Constellation kOrder[] = {Constellation::Gps,     Constellation::Glonass,
                                               Constellation::Galileo, Constellation::BeiDou,
                                               Constellation::Qzss,    Constellation::NavIC};
    const bool hasGpsLike = std::any_of(st.Systems.begin(), st.Systems.end(), [&](auto s) {
        return s == Constellation::Gps || s == Constellation::Sbas || ShowsAsQzssOnGp(s, st);
    });
    for (Constellation c : kOrder) {
        if (c == Constellation::Gps) {
            if (hasGpsLike) out.push_back(c);
            continue;
        }
        if (ShowsAsQzssOnGp(c, st)) continue;
        if (std::find(st.Systems.begin(), st.Systems.end(), c) != st.Systems.end())
            out.push_back(c);
    }
    return out;
}

Constellation ReportingSystemOf(Constellation s, const NmeaStyle& st) {
    if (s == Constellation::Sbas || ShowsAsQzssOnGp(s, st)) return Constellation::Gps;
    return s;
}

std::string GnsSentence(const EpochReport& r, const NmeaStyle& st, const std::string& talker) {
    std::string modes;
    for (Constellation c : ReportingSystems(st)) {
        bool usedAny = std::any_of(r.Sats.begin(), r.Sats.end(), [&](const SatView& s) {
            return s.Used && ReportingSystemOf(s.System, st) == c;
        });
        modes += usedAny ? ModeChar(r) : 'N';
    }
    std::string s = "$" + talker + "GNS," + TimeField(r.Utc, st.TimeDecimals) + ",";
    char used[16];
    std::snprintf(used, sizeof used, "%02d", std::min(UsedCount(r), 99));
    if (!r.HasFix) {
        s += ",,,," + modes + "," + used + ",99.99,,,,";
    } else {
        s += Coordinate(r.LatDeg, true, st.MinuteDecimals) + "," +
             Coordinate(r.LonDeg, false, st.MinuteDecimals) + "," + modes + "," + used + "," +
             Format("%.2f", r.Dop.Hdop) + "," + Format("%.1f", r.AltM) + "," +
             Format("%.1f", r.GeoidSepM) + "," + (HasCorrections(r) ? "1.0,0000" : ",");
    }
    if (st.Nmea41) s += r.HasFix ? ",S" : ",V";
    return s;
}

void AddGsa(std::vector<std::string>& out, const EpochReport& r, const NmeaStyle& st,
            const std::string& talker) {
    const auto systems = ReportingSystems(st);
    const std::string gsaTalker = systems.size() > 1 ? "GN" : talker;
    const int mode = !r.HasFix ? 1 : (r.Kind == FixKind::Fix2D ? 2 : 3);
    for (Constellation c : systems) {
        std::string s = "$" + gsaTalker + "GSA,A," + std::to_string(mode) + ",";
        int n = 0;
        for (const SatView& v : r.Sats) {
            if (!v.Used || ReportingSystemOf(v.System, st) != c || n >= 12) continue;
            char id[16];
            std::snprintf(id, sizeof id, "%02d", ShownId(v, st));
            s += id;
            s += ',';
            ++n;
        }
        for (; n < 12; ++n) s += ',';
        s += Format("%.2f", r.Dop.Pdop) + "," + Format("%.2f", r.Dop.Hdop) + "," +
             Format("%.2f", r.Dop.Vdop);
        if (st.Nmea41) s += "," + std::to_string(InfoOf(c).SystemId);
        out.push_back(WithChecksum(s));
    }
}

void AddGsvGroup(std::vector<std::string>& out, const std::vector<const SatView*>& sats,
                 const std::string& talker, const NmeaStyle& st, int signalId, bool second) {
    const bool withSignal = st.Nmea41 || st.Signals;
    const int total = static_cast<int>(sats.size());
    const int count = std::max(1, (total + 3) / 4);
    for (int k = 0; k < count; ++k) {
        std::string s =
            "$" + talker + "GSV," + std::to_string(count) + "," + std::to_string(k + 1) + ",";
        char buf[32];
        std::snprintf(buf, sizeof buf, "%02d", total);
        s += buf;
        for (int i = k * 4; i < std::min(total, k * 4 + 4); ++i) {
            const SatView& v = *sats[static_cast<std::size_t>(i)];
            const int cno = second ? v.Cno2 : v.Cno;
            std::snprintf(buf, sizeof buf, ",%02d,%02d,%03d,", ShownId(v, st),
                          static_cast<int>(std::lround(v.ElevationDeg)),
                          static_cast<int>(std::lround(v.AzimuthDeg)) % 360);
            s += buf;
            if (cno > 0) {
                std::snprintf(buf, sizeof buf, "%02d", cno);
                s += buf;
            }
        }
        if (withSignal) s += "," + std::to_string(signalId);
        out.push_back(WithChecksum(s));
    }
}

void AddGsv(std::vector<std::string>& out, const EpochReport& r, const NmeaStyle& st) {
    for (Constellation c : ReportingSystems(st)) {
        std::vector<const SatView*> sats;
        for (const SatView& v : r.Sats)
            if (ReportingSystemOf(v.System, st) == c) sats.push_back(&v);
        const std::string talker = GsvTalker(c, st);
        AddGsvGroup(out, sats, talker, st, InfoOf(c).SignalId, false);
        if (st.Signals) {
            std::vector<const SatView*> heard;
            for (const SatView* v : sats)
                if (v->Cno2 > 0) heard.push_back(v);
            AddGsvGroup(out, heard, talker, st, InfoOf(c).SecondSignalId, true);
        }
    }
}

}  // namespace

bool FixKindFromName(std::string_view name, FixKind& out) {
    static const std::map<std::string_view, FixKind> kNames = {
        {"none", FixKind::None},       {"2d", FixKind::Fix2D},     {"3d", FixKind::Fix3D},
        {"dgps", FixKind::Dgps},       {"rtk", FixKind::RtkFixed}, {"float", FixKind::RtkFloat},
        {"dr", FixKind::DeadReckoning}};
    auto it = kNames.find(name);
    if (it == kNames.end()) return false;
    out = it->second;
    return true;
}

std::string GsvTalker(Constellation system, const NmeaStyle& style) {
    if (system == Constellation::BeiDou) return style.BeiDouTalker;
    if (system == Constellation::Sbas || ShowsAsQzssOnGp(system, style)) return "GP";
    return std::string(InfoOf(system).Talker);
}

std::string MainTalker(const NmeaStyle& style) {
    const auto systems = ReportingSystems(style);
    if (systems.size() == 1) return GsvTalker(systems.front(), style);
    return "GN";
}

std::vector<std::string> BuildEpochSentences(const EpochReport& report, const NmeaStyle& style,
                                             bool withGsv) {
    std::vector<std::string> out;
    const std::string talker = MainTalker(style);
    for (const std::string& name : style.Sentences) {
        if (name == "GGA")
            out.push_back(WithChecksum(GgaSentence(report, style, talker)));
        else if (name == "RMC")
            out.push_back(WithChecksum(RmcSentence(report, style, talker)));
        else if (name == "GLL")
            out.push_back(WithChecksum(GllSentence(report, style, talker)));
        else if (name == "VTG")
            out.push_back(WithChecksum(VtgSentence(report, talker)));
        else if (name == "GNS")
            out.push_back(WithChecksum(GnsSentence(report, style, talker)));
        else if (name == "ZDA")
            out.push_back(WithChecksum(ZdaSentence(report, style, talker)));
        else if (name == "GSA")
            AddGsa(out, report, style, talker);
        else if (name == "GSV" && withGsv)
            AddGsv(out, report, style);
    }
    return out;
}

}  // namespace gnss::sim
