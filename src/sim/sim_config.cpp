#include "sim/sim_config.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>

#include "sim/dr_drive.h"
#include "sim/family_profiles.h"

namespace gnss::sim {

namespace {

std::string Trim(std::string_view s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return std::string(s.substr(b, e - b));
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool ToDouble(std::string_view text, double& out) {
    const std::string s = Trim(text);
    if (s.empty()) return false;
    const char* begin = s.c_str();
    char* end = nullptr;
    out = std::strtod(begin, &end);
    return end == begin + s.size() && std::isfinite(out);
}

template <typename T>
bool ToUnsigned(std::string_view text, T& out) {
    const std::string s = Trim(text);
    uint64_t v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size() || s.empty()) return false;
    if (v > std::numeric_limits<T>::max()) return false;
    out = static_cast<T>(v);
    return true;
}

bool ToInt(std::string_view text, int& out) {
    const std::string s = Trim(text);
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size() && !s.empty();
}

bool ToBool(std::string_view text, bool& out) {
    const std::string s = Lower(Trim(text));
    if (s.empty() || s == "1" || s == "true" || s == "yes" || s == "on") {
        out = true;
        return true;
    }
    if (s == "0" || s == "false" || s == "no" || s == "off") {
        out = false;
        return true;
    }
    return false;
}

bool ValidRate(double v) {
    return v >= 0.0 && v <= 1.0;
}

bool ApplyFault(FaultConfig& f, std::string_view description, std::string& error) {
    const std::string s = Trim(description);
    const auto eq = s.find('=');
    const std::string name = Lower(Trim(s.substr(0, eq)));
    const std::string value = eq == std::string::npos ? "" : Trim(s.substr(eq + 1));
    bool ok = true;
    if (name == "bit-errors") {
        ok = ToDouble(value, f.BitErrorRate) && ValidRate(f.BitErrorRate);
    } else if (name == "drop") {
        ok = ToDouble(value, f.DropRate) && ValidRate(f.DropRate);
    } else if (name == "garbage") {
        const auto at = value.find('@');
        ok = ToInt(value.substr(0, at), f.GarbageBytes) && f.GarbageBytes >= 0 &&
             f.GarbageBytes <= 65536;
        if (ok && at != std::string::npos)
            ok = ToInt(value.substr(at + 1), f.GarbageEverySeconds) && f.GarbageEverySeconds > 0;
    } else if (name == "silence") {
        const auto colon = value.find(':');
        if (colon == std::string::npos) {
            f.SilenceAfterSeconds = 10;
            ok = ToInt(value, f.SilenceSeconds);
        } else {
            ok = ToInt(value.substr(0, colon), f.SilenceAfterSeconds) &&
                 ToInt(value.substr(colon + 1), f.SilenceSeconds);
        }
        ok = ok && f.SilenceAfterSeconds >= 0 && f.SilenceSeconds >= 0;
    } else if (name == "vanish") {
        ok = ToInt(value, f.VanishAfterSeconds) && f.VanishAfterSeconds >= 0;
    } else if (name == "slow-ack") {
        ok = ToUnsigned(value, f.SlowAckMs);
    } else if (name == "reject") {
        ok = ToBool(value, f.Reject);
    } else if (name == "no-ack") {
        ok = ToBool(value, f.NeverAck);
    } else if (name == "sgee-nack") {
        ok = ToInt(value, f.Assist.SgeeNackAt) && f.Assist.SgeeNackAt >= 0;
    } else if (name == "sgee-silent") {
        ok = ToInt(value, f.Assist.SgeeSilentFrom) && f.Assist.SgeeSilentFrom >= 0;
    } else if (name == "sgee-vanish") {
        ok = ToInt(value, f.Assist.SgeeVanishAt) && f.Assist.SgeeVanishAt >= 0;
    } else if (name == "hd-wrong-ack") {
        ok = ToInt(value, f.Assist.HdWrongAckAt) && f.Assist.HdWrongAckAt >= 0;
    } else if (name == "no-crlf") {
        ok = ToDouble(value.empty() ? "1" : value, f.NoLineEndRate) && ValidRate(f.NoLineEndRate);
    } else if (name == "epo-reject") {
        ok = ToInt(value, f.EpoRejectPacket) && f.EpoRejectPacket >= 0;
    } else if (name == "epo-silent") {
        ok = ToInt(value, f.EpoSilentFrom) && f.EpoSilentFrom >= 0;
    } else if (name == "epo-vanish") {
        ok = ToInt(value, f.EpoVanishAt) && f.EpoVanishAt >= 0;
    } else if (name == "epo-wrong-rate") {
        ok = ToBool(value, f.EpoWrongRate);
    } else if (name == "long-lines") {
        ok = ToDouble(value.empty() ? "1" : value, f.LongLineRate) && ValidRate(f.LongLineRate);
    } else {
        error = "unknown fault '" + name + "'";
        return false;
    }
    if (!ok) error = "bad value for fault '" + name + "': '" + value + "'";
    return ok;
}

using Setter = bool (*)(SimConfig&, const std::string&, std::string&);

bool SetGnss(SimConfig& c, const std::string& v, std::string& error) {
    std::string rest = Lower(v);
    std::size_t start = 0;
    while (start <= rest.size()) {
        const auto comma = rest.find(',', start);
        const std::string name = Trim(rest.substr(start, comma - start));
        Constellation system{};
        if (!ConstellationFromName(name, system)) {
            error = "unknown constellation '" + name + "'";
            return false;
        }
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    c.Gnss = rest;
    return true;
}

bool SetMove(SimConfig& c, const std::string& v, std::string& error) {
    const auto comma = v.find(',');
    double speed = 0;
    double course = 0;
    double turn = 0;
    bool ok = ToDouble(v.substr(0, comma), speed) && speed >= 0 && speed < 2000;
    if (ok && comma != std::string::npos) {
        const auto comma2 = v.find(',', comma + 1);
        ok = ToDouble(v.substr(comma + 1, comma2 - comma - 1), course);
        if (ok && comma2 != std::string::npos) ok = ToDouble(v.substr(comma2 + 1), turn);
    }
    if (!ok) {
        error = "bad --move '" + v + "' (SPEED_KMH[,COURSE_DEG[,TURN_DEG_PER_S]])";
        return false;
    }
    c.SpeedKmh = speed;
    c.CourseDeg = std::fmod(std::fmod(course, 360.0) + 360.0, 360.0);
    c.TurnDegPerS = turn;
    return true;
}

const std::map<std::string, Setter, std::less<>>& Setters() {
    static const std::map<std::string, Setter, std::less<>> kSetters = {
        {"family",
         [](SimConfig& c, const std::string& v, std::string&) {
             c.Family = Lower(v);
             return true;
         }},
        {"variant",
         [](SimConfig& c, const std::string& v, std::string&) {
             c.Variant = Lower(v);
             return true;
         }},
        {"drive",
         [](SimConfig& c, const std::string& v, std::string& error) {
             if (FindDriveScript(Lower(v)) == nullptr) {
                 error = "unknown drive '" + v + "'";
                 return false;
             }
             c.Drive = Lower(v);
             return true;
         }},
        {"baud",
         [](SimConfig& c, const std::string& v, std::string&) {
             return ToUnsigned(v, c.Baud) && c.Baud >= 300 && c.Baud <= 4000000;
         }},
        {"rate",
         [](SimConfig& c, const std::string& v, std::string&) {
             return ToInt(v, c.RateHz) && (c.RateHz == 1 || c.RateHz == 5 || c.RateHz == 10);
         }},
        {"gnss", SetGnss},
        {"bd-talker",
         [](SimConfig& c, const std::string& v, std::string&) {
             std::string t = v;
             for (char& ch : t)
                 ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
             c.BeiDouTalker = t;
             return t == "GB" || t == "BD";
         }},
        {"nmea41",
         [](SimConfig& c, const std::string& v, std::string&) {
             bool b = false;
             if (!ToBool(v, b)) return false;
             c.Nmea41 = b ? 1 : 0;
             return true;
         }},
        {"signals",
         [](SimConfig& c, const std::string& v, std::string&) { return ToBool(v, c.Signals); }},
        {"sentences",
         [](SimConfig& c, const std::string& v, std::string&) {
             static const std::string kKnown[] = {"GGA", "RMC", "GLL", "VTG",
                                                  "GSA", "GSV", "GNS", "ZDA"};
             std::string s = v;
             for (char& ch : s)
                 ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
             std::size_t start = 0;
             while (start <= s.size()) {
                 const auto comma = s.find(',', start);
                 const std::string name = Trim(s.substr(start, comma - start));
                 if (std::find(std::begin(kKnown), std::end(kKnown), name) == std::end(kKnown))
                     return false;
                 if (comma == std::string::npos) break;
                 start = comma + 1;
             }
             c.Sentences = s;
             return true;
         }},
        {"fix", [](SimConfig& c, const std::string& v,
                   std::string&) { return FixKindFromName(Lower(v), c.Fix); }},
        {"lat", [](SimConfig& c, const std::string& v,
                   std::string&) { return ToDouble(v, c.LatDeg) && std::fabs(c.LatDeg) <= 89.9; }},
        {"lon", [](SimConfig& c, const std::string& v,
                   std::string&) { return ToDouble(v, c.LonDeg) && std::fabs(c.LonDeg) <= 180.0; }},
        {"alt", [](SimConfig& c, const std::string& v,
                   std::string&) { return ToDouble(v, c.AltM) && std::fabs(c.AltM) < 100000.0; }},
        {"move", SetMove},
        {"seed",
         [](SimConfig& c, const std::string& v, std::string&) { return ToUnsigned(v, c.Seed); }},
        {"power-on-ms", [](SimConfig& c, const std::string& v,
                           std::string&) { return ToUnsigned(v, c.PowerOnMs); }},
        {"hot-ms",
         [](SimConfig& c, const std::string& v, std::string&) { return ToUnsigned(v, c.HotMs); }},
        {"warm-ms",
         [](SimConfig& c, const std::string& v, std::string&) { return ToUnsigned(v, c.WarmMs); }},
        {"cold-ms",
         [](SimConfig& c, const std::string& v, std::string&) { return ToUnsigned(v, c.ColdMs); }},
        {"factory-ms", [](SimConfig& c, const std::string& v,
                          std::string&) { return ToUnsigned(v, c.FactoryMs); }},
        {"jitter-ms", [](SimConfig& c, const std::string& v,
                         std::string&) { return ToUnsigned(v, c.JitterMs); }},
        {"keep-fix-ms", [](SimConfig& c, const std::string& v,
                           std::string&) { return ToUnsigned(v, c.KeepFixMs); }},
        {"ack-delay-ms",
         [](SimConfig& c, const std::string& v, std::string&) {
             return ToUnsigned(v, c.AckDelayMs) && c.AckDelayMs <= 60000;
         }},
        {"boot-delay-ms",
         [](SimConfig& c, const std::string& v, std::string&) {
             return ToUnsigned(v, c.BootDelayMs) && c.BootDelayMs <= 60000;
         }},
        {"factory-baud",
         [](SimConfig& c, const std::string& v, std::string&) {
             return ToUnsigned(v, c.FactoryBaud) &&
                    (c.FactoryBaud == 0 || (c.FactoryBaud >= 300 && c.FactoryBaud <= 4000000));
         }},
        {"sirf-binary",
         [](SimConfig& c, const std::string& v, std::string&) { return ToBool(v, c.SirfBinary); }},
        {"pace",
         [](SimConfig& c, const std::string& v, std::string&) { return ToBool(v, c.Pace); }},
        {"no-pace",
         [](SimConfig& c, const std::string& v, std::string&) {
             bool b = false;
             if (!ToBool(v, b)) return false;
             c.Pace = !b;
             return true;
         }},
        {"fault", [](SimConfig& c, const std::string& v,
                     std::string& error) { return ApplyFault(c.Faults, v, error); }},
        {"replay",
         [](SimConfig& c, const std::string& v, std::string&) {
             c.ReplayFile = v;
             return !v.empty();
         }},
        {"realtime", [](SimConfig& c, const std::string& v,
                        std::string&) { return ToBool(v, c.ReplayRealtime); }},
        {"truth",
         [](SimConfig& c, const std::string& v, std::string&) {
             c.TruthFile = v;
             return !v.empty();
         }},
        {"rtk", [](SimConfig& c, const std::string& v, std::string&) { return ToBool(v, c.Rtk); }},
        {"rtcm-record",
         [](SimConfig& c, const std::string& v, std::string&) {
             c.RtcmRecordFile = v;
             c.Rtk = true;
             return !v.empty();
         }},
    };
    return kSetters;
}

// Options that take no value on the command line.
bool IsFlag(std::string_view key) {
    return key == "nmea41" || key == "signals" || key == "sirf-binary" || key == "no-pace" ||
           key == "realtime" || key == "pace" || key == "rtk";
}

}  // namespace

bool ApplySetting(SimConfig& config, std::string_view key, std::string_view value,
                  std::string& error) {
    const std::string k = Lower(Trim(key));
    const std::string v = Trim(value);
    auto it = Setters().find(k);
    if (it == Setters().end()) {
        error = "unknown setting '" + k + "'";
        return false;
    }
    std::string detail;
    if (!it->second(config, v, detail)) {
        error = detail.empty() ? "bad value for '" + k + "': '" + v + "'" : detail;
        return false;
    }
    return true;
}

bool ParseScenario(std::string_view text, SimConfig& config, std::string& error) {
    int lineNo = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        ++lineNo;
        const auto hash = line.find_first_of("#;");
        if (hash != std::string::npos) line = Trim(line.substr(0, hash));
        if (line.empty() || line.front() == '[') continue;
        const auto eq = line.find('=');
        const std::string key = Trim(line.substr(0, eq));
        const std::string value = eq == std::string::npos ? "" : line.substr(eq + 1);
        if (eq == std::string::npos && !IsFlag(Lower(key))) {
            error = "line " + std::to_string(lineNo) + ": expected key = value";
            return false;
        }
        std::string detail;
        if (!ApplySetting(config, key, value, detail)) {
            error = "line " + std::to_string(lineNo) + ": " + detail;
            return false;
        }
    }
    return true;
}

bool ParseCommandLine(const std::vector<std::string>& args, SimConfig& config, bool& help,
                      std::string& error, const FileReader& readFile) {
    help = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            help = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0) {
            error = "unexpected argument '" + arg + "'";
            return false;
        }
        std::string key = arg.substr(2);
        std::string value;
        bool hasValue = false;
        if (const auto eq = key.find('='); eq != std::string::npos) {
            value = key.substr(eq + 1);
            key = key.substr(0, eq);
            hasValue = true;
        }
        if (!hasValue && !IsFlag(key)) {
            if (i + 1 >= args.size()) {
                error = "option --" + key + " needs a value";
                return false;
            }
            value = args[++i];
        }
        if (key == "scenario") {
            std::string text;
            if (!readFile || !readFile(value, text)) {
                error = "cannot read scenario file '" + value + "'";
                return false;
            }
            std::string detail;
            if (!ParseScenario(text, config, detail)) {
                error = value + ": " + detail;
                return false;
            }
            continue;
        }
        if (!ApplySetting(config, key, value, error)) return false;
    }
    if (config.ReplayFile.empty() && FindProfile(config.Family, config.Variant) == nullptr) {
        error = "unknown family/variant '" + config.Family +
                (config.Variant.empty() ? "" : "/" + config.Variant) + "' (see --help)";
        return false;
    }
    return true;
}

std::string HelpText() {
    std::string text = R"(gnss-sim: a simulated GNSS receiver on a pseudo-terminal.

Usage:
  gnss-sim [options]                  serve one simulated receiver
  gnss-sim --replay FILE [--baud N | --realtime]
                                      serve a capture byte for byte

The first line on standard output is the device path of the pseudo-terminal, the second
"baud=N" (the receiver's rate); open the device like a serial port. The program runs until
SIGINT or SIGTERM (a replay ends once the capture has been read). It reads the line settings the tool sets
on the device: when the tool's baud rate differs from the receiver's, the tool reads garbage
and the receiver does not understand the tool's commands, as with a real UART.

Options (each is also a key of a scenario file: "key = value", one per line, "#" comments):
  --scenario FILE       read settings from FILE (later options override it)
  --family NAME         chip family (see the list below); default mtk
  --variant V           family variant (see the list below)
  --baud N              receiver baud rate (default: the family's usual rate; replay 115200)
  --rate HZ             navigation rate: 1, 5 or 10
  --gnss LIST           constellations: gps,glonass,galileo,beidou,qzss,navic,sbas
  --bd-talker GB|BD     talker of BeiDou sentences (default GB)
  --nmea41 [=0|1]       NMEA 4.1 system ids in GSA, signal ids in GSV, status fields
  --signals             second-signal GSV groups (L5, E5a, B2a ...)
  --sentences LIST      GGA,RMC,GLL,VTG,GSA,GSV,GNS,ZDA in output order
  --fix KIND            none, 2d, 3d, dgps, rtk, float, dr (default 3d)
  --lat DEG --lon DEG --alt M      starting position (default 25.0336 121.5646 45)
  --move KMH[,COURSE[,TURN]]       move at KMH km/h on COURSE degrees, turning TURN deg/s
  --drive NAME          dead-reckoning modules: the drive that begins when the tool clears the
                        calibration: calibration (default; standing, straight, circles),
                        short (parks during the straight part), no-sensor (the speed sensor
                        never reports), sensor-stops (it falls silent when the vehicle drives)
  --seed N              seed of the sky, the noise and the jitter (default 1)
  --power-on-ms MS      time to the first fix after power-on (default 2000)
  --hot-ms MS --warm-ms MS --cold-ms MS --factory-ms MS
                        reacquisition time per restart kind (2000/25000/35000/40000)
  --jitter-ms MS        seeded random change of the reacquisition time, +- MS
  --keep-fix-ms MS      keep reporting the old fix this long after a restart
  --ack-delay-ms MS     command to acknowledgement (default 20)
  --boot-delay-ms MS    command to the start-up texts after a restart (default 300)
  --factory-baud N      baud rate the receiver uses after a factory restart
  --sirf-binary         SiRF families: start in SiRF binary mode (message 129 returns to NMEA)
  --no-pace             write each burst at once instead of at the pace of the baud rate
  --fault WHAT          inject a fault; repeat for several:
        bit-errors=RATE       flip each bit with probability RATE (e.g. 1e-5)
        drop=RATE             lose each byte with probability RATE
        garbage=N[@S]         a burst of N random bytes every S seconds (default 5)
        silence=[START:]S     no output for S seconds from START seconds (default 10)
        vanish=S              the device disappears after S seconds
        slow-ack=MS           acknowledgements come MS later
        reject                refuse restarts where the protocol can (UBX ACK-NAK, HD NAK,
                              "$PMTK001,<id>,2"); others ignore them
        no-ack                restart without acknowledging
        sgee-nack=N           reject SGEE sentence N (0 is the start sentence)
        sgee-silent=N         no reply to SGEE sentence N and later
        sgee-vanish=N         the device disappears on SGEE sentence N
        hd-wrong-ack=N        acknowledge HD upload message N (from 0) with the other id
        epo-reject=N          EPO upload: packet N (from 0) is rejected
        epo-silent=N          EPO upload: no acknowledgement from packet N on
        epo-vanish=N          EPO upload: the device disappears at packet N
        epo-wrong-rate        EPO upload: binary mode at another rate than asked
        no-crlf[=RATE]        send lines without CR LF (share RATE of lines, default all)
        long-lines[=RATE]     add an over-long proprietary line (share RATE of epochs)
  --truth FILE          append one line per restart: when the command arrived, when the
                        acknowledgement, the start-up texts and the first sentence stating the
                        new fix (RMC, GLL or GSA) had left the line, in ms since start:
                        "restart=cold command_ms=N ack_ms=N boot_ms=N fix_ms=N"
  --rtk                 RTK receiver: float fix without corrections, RTK fixed once RTCM 3
                        corrections have arrived for 2 s, float again 3 s after they stop
  --rtcm-record FILE    RTK receiver that appends the bytes of every RTCM 3 frame it
                        receives to FILE
  --replay FILE         stream FILE instead of simulating
  --realtime            replay: one epoch (sentences of one time stamp) per second
  --help                this text

Families and variants:
)";
    for (const auto& p : FamilyProfiles()) {
        std::string name = p.Key + (p.Variant.empty() ? "" : " --variant " + p.Variant);
        text += "  --family " + name;
        if (name.size() < 24) text += std::string(24 - name.size(), ' ');
        text += "  " + p.Description + "\n";
    }
    text += R"(
Example:
  gnss-sim --family mtk --variant c --baud 9600 --rate 10 --gnss gps,glonass,galileo,beidou \
           --bd-talker GB --nmea41 --signals --fix 3d --move 50,90 --seed 1 --hot-ms 2000 \
           --fault bit-errors=1e-5
)";
    return text;
}

}  // namespace gnss::sim
