#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/nmea_epoch_writer.h"
#include "sim/sim_assist_data.h"

namespace gnss::sim {

// Faults injected on demand.
struct FaultConfig {
    double BitErrorRate = 0.0;  // bit-errors=RATE
    double DropRate = 0.0;      // drop=RATE (bytes)
    int GarbageBytes = 0;       // garbage=BYTES[@SECONDS]
    int GarbageEverySeconds = 5;
    int SilenceAfterSeconds = -1;  // silence=[START:]SECONDS
    int SilenceSeconds = 0;
    int VanishAfterSeconds = -1;  // vanish=SECONDS
    uint32_t SlowAckMs = 0;       // slow-ack=MS
    bool Reject = false;          // reject
    bool NeverAck = false;        // no-ack
    double NoLineEndRate = 0.0;   // no-crlf=RATE (lines sent without CR LF)
    double LongLineRate = 0.0;    // long-lines=RATE (over-long lines per epoch)
    AssistFaults Assist;          // sgee-nack=N, sgee-silent=N, sgee-vanish=N, hd-wrong-ack=N
    // MTK EPO uploads; packets count from 0.
    int EpoRejectPacket = -1;   // epo-reject=N: packet N is rejected
    int EpoSilentFrom = -1;     // epo-silent=N: no acknowledgement from packet N on
    int EpoVanishAt = -1;       // epo-vanish=N: the device disappears at packet N
    bool EpoWrongRate = false;  // epo-wrong-rate: binary mode at another rate than asked
};

// Everything a simulated receiver (or a replay) can be told. Option names on the command line
// are the scenario-file keys with "--" in front.
struct SimConfig {
    std::string Family = "mtk";
    std::string Variant;
    uint32_t Baud = 0;  // 0: the family's usual rate
    int RateHz = 1;     // 1, 5 or 10
    std::string Gnss;   // "gps,glonass"; empty: the family's usual set
    std::string BeiDouTalker = "GB";
    int Nmea41 = -1;  // -1: the family's habit
    bool Signals = false;
    std::string Sentences;  // "GGA,RMC,..."; empty: the family's usual set
    FixKind Fix = FixKind::Fix3D;
    double LatDeg = 25.0336;
    double LonDeg = 121.5646;
    double AltM = 45.0;
    double GeoidSepM = 16.5;
    double SpeedKmh = 0.0;
    double CourseDeg = 0.0;
    double TurnDegPerS = 0.0;
    std::string Drive;  // dead-reckoning modules: the scripted drive ("": calibration)
    uint64_t Seed = 1;
    uint32_t PowerOnMs = 2000;  // time to the first fix after power-on
    uint32_t HotMs = 2000;
    uint32_t WarmMs = 25000;
    uint32_t ColdMs = 35000;
    uint32_t FactoryMs = 40000;
    uint32_t JitterMs = 0;       // reacquisition time +- up to this much (seeded)
    uint32_t KeepFixMs = 0;      // keeps reporting the old fix this long after a restart
    uint32_t AckDelayMs = 20;    // command to acknowledgement
    uint32_t BootDelayMs = 300;  // command to the boot texts
    uint32_t FactoryBaud = 0;    // baud rate after a factory restart (0: unchanged)
    bool SirfBinary = false;     // SiRF families: start in SiRF binary mode
    bool Pace = true;            // pace output at the baud rate
    FaultConfig Faults;
    // Replay of a capture instead of a simulated receiver.
    std::string ReplayFile;
    bool ReplayRealtime = false;
    // Where the receiver writes the ground truth of each restart (one line per restart).
    std::string TruthFile;
    // RTK receiver: RTCM corrections turn the fix from float to fixed; the bytes of the frames it
    // received are appended to RtcmRecordFile when set.
    bool Rtk = false;
    std::string RtcmRecordFile;
};

// Applies one setting ("rate", "10"); false with a message for an unknown key or bad value.
bool ApplySetting(SimConfig& config, std::string_view key, std::string_view value,
                  std::string& error);
// Scenario file: one "key = value" per line; "#" or ";" starts a comment; "[section]" lines
// are ignored; a key may repeat (fault = ...).
bool ParseScenario(std::string_view text, SimConfig& config, std::string& error);
// Reads the file at `path` into `text`; false when it cannot be read.
using FileReader = std::function<bool(const std::string& path, std::string& text)>;
// Command line (argv[0] skipped): "--key value", "--key=value" or a bare flag. "--scenario
// FILE" reads a scenario file through `readFile` at that point. Sets `help` for --help.
bool ParseCommandLine(const std::vector<std::string>& args, SimConfig& config, bool& help,
                      std::string& error, const FileReader& readFile);
[[nodiscard]] std::string HelpText();

}  // namespace gnss::sim
