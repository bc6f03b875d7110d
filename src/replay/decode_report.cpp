#include "replay/decode_report.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "link/link_state.h"
#include "nmea/byte_lanes.h"

namespace gnss {

namespace {

constexpr std::array<std::string_view, kSentenceKindCount> kKindNames = {
    "",      "echo",  "RMC",   "GGA",   "GLL",   "GPGSA", "GNGSA", "GLGSA", "BDGSA", "GBGSA",
    "GAGSA", "GNGSV", "QZGSV", "GPGSV", "GLGSV", "BDGSV", "GBGSV", "GAGSV", "GIGSV", "VTG",
    "MSS",   "PMD",   "TTQ",   "TTM",   "TTR",   "TCH",   "PQT",   "GNS"};

constexpr int kDecimals = 9;
constexpr double kFixedLimit = 1e15;  // beyond this, exponent form
constexpr char kHex[] = "0123456789ABCDEF";

void AppendUnsigned(std::string& out, uint64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, static_cast<std::size_t>(result.ptr - digits));
}

void AppendSigned(std::string& out, int64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, static_cast<std::size_t>(result.ptr - digits));
}

__extension__ using Uint128 = unsigned __int128;

// The value rounded to kDecimals decimals, as to_chars in fixed form with that precision rounds
// it (exactly, ties to even), then written without trailing zeros; false (nothing written) for
// values this integer arithmetic does not cover. A double is m * 2^e with m below 2^53, so
// m * 10^9 fits 128 bits and a shift by -e with the remainder decides the rounding.
bool AppendFixedExactly(std::string& out, double value) {
    constexpr uint64_t kScale = 1'000'000'000;  // 10^kDecimals
    static_assert(kDecimals == 9);
    const auto bits = std::bit_cast<uint64_t>(value);
    const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
    const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    const uint64_t mantissa = biased == 0 ? fraction : fraction | (uint64_t{1} << 52);
    const int exponent = (biased == 0 ? 1 : biased) - 1075;
    if (exponent > 0) return false;  // integers of 2^53 and more: not met below kFixedLimit
    const Uint128 scaled = Uint128{mantissa} * kScale;
    const int shift = -exponent;
    Uint128 rounded = 0;
    if (shift < 100) {
        rounded = scaled >> shift;
        if (shift > 0) {
            const Uint128 rest = scaled & ((Uint128{1} << shift) - 1);
            const Uint128 half = Uint128{1} << (shift - 1);
            if (rest > half || (rest == half && (rounded & 1) != 0)) ++rounded;
        }
    }                                        // else below 2^-47 * 10^-9 of a unit: rounds to 0
    if ((rounded >> 64) != 0) return false;  // above 1.8e10: the general path
    const auto scaledValue = static_cast<uint64_t>(rounded);
    const uint64_t whole = scaledValue / kScale;
    uint64_t decimals = scaledValue % kScale;
    if (value < 0 && scaledValue != 0) out += '-';
    AppendUnsigned(out, whole);
    if (decimals == 0) return true;
    int width = kDecimals;
    while (decimals % 10 == 0) {
        decimals /= 10;
        --width;
    }
    char text[kDecimals + 1];
    text[0] = '.';
    for (int i = width; i > 0; --i) {
        text[i] = static_cast<char>('0' + decimals % 10);
        decimals /= 10;
    }
    out.append(text, static_cast<std::size_t>(width) + 1);
    return true;
}

void AppendTwoDigits(std::string& out, unsigned value) {
    if (value < 10) out += '0';
    AppendUnsigned(out, value);
}

// Readable text form of arbitrary bytes: printable ASCII as it is, the rest as \xHH.
void AppendPlainText(std::string& out, std::string_view bytes) {
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            out += c;
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
}

// "hh:mm:ss.sss" from a record's time of fix.
std::string TimeText(const TimeOfFix& time) {
    std::string text;
    AppendTwoDigits(text, time.Hour);
    text += ':';
    AppendTwoDigits(text, time.Minute);
    text += ':';
    if (time.Second >= 0.0 && time.Second < 10.0) text += '0';
    AppendNumber(text, time.Second);
    return text;
}

// "yy-mm-dd" with the year as sent.
std::string DateText(const NmeaDate& date) {
    std::string text;
    if (date.Year < 0) text += '-';
    AppendTwoDigits(text, static_cast<unsigned>(std::abs(date.Year)));
    text += '-';
    AppendTwoDigits(text, date.Month);
    text += '-';
    AppendTwoDigits(text, date.Day);
    return text;
}

std::string_view LetterText(const char& letter) {
    return letter == 0 ? std::string_view{} : std::string_view(&letter, 1);
}

// Where the record fields of a sentence go: a JSON object or a line of text.
class FieldSink {
  public:
    virtual ~FieldSink() = default;
    virtual void Int(std::string_view key, int64_t value) = 0;
    virtual void Number(std::string_view key, double value) = 0;
    virtual void Text(std::string_view key, std::string_view value) = 0;
    virtual void Flag(std::string_view key, bool value) = 0;
    virtual void IntList(std::string_view key, const int16_t* values, std::size_t count) = 0;
};

class JsonFields final : public FieldSink {
  public:
    explicit JsonFields(std::string& out) : out_(out) {}
    void Int(std::string_view key, int64_t value) override {
        Key(key);
        AppendSigned(out_, value);
    }
    void Number(std::string_view key, double value) override {
        Key(key);
        AppendNumber(out_, value);
    }
    void Text(std::string_view key, std::string_view value) override {
        Key(key);
        AppendJsonString(out_, value);
    }
    void Flag(std::string_view key, bool value) override {
        Key(key);
        out_ += value ? "true" : "false";
    }
    void IntList(std::string_view key, const int16_t* values, std::size_t count) override {
        Key(key);
        out_ += '[';
        for (std::size_t i = 0; i < count; ++i) {
            if (i != 0) out_ += ',';
            AppendSigned(out_, values[i]);
        }
        out_ += ']';
    }

  private:
    void Key(std::string_view key) {
        char text[48];
        if (key.size() + 4 > sizeof text) {
            out_ += ",\"";
            out_ += key;
            out_ += "\":";
            return;
        }
        text[0] = ',';
        text[1] = '"';
        std::memcpy(text + 2, key.data(), key.size());
        text[key.size() + 2] = '"';
        text[key.size() + 3] = ':';
        out_.append(text, key.size() + 4);
    }
    std::string& out_;
};

class TextFields final : public FieldSink {
  public:
    explicit TextFields(std::string& out) : out_(out) {}
    void Int(std::string_view key, int64_t value) override {
        Key(key);
        AppendSigned(out_, value);
    }
    void Number(std::string_view key, double value) override {
        Key(key);
        AppendNumber(out_, value);
    }
    void Text(std::string_view key, std::string_view value) override {
        Key(key);
        AppendPlainText(out_, value);
    }
    void Flag(std::string_view key, bool value) override {
        Key(key);
        out_ += value ? "yes" : "no";
    }
    void IntList(std::string_view key, const int16_t* values, std::size_t count) override {
        Key(key);
        for (std::size_t i = 0; i < count; ++i) {
            if (i != 0) out_ += ',';
            AppendSigned(out_, values[i]);
        }
    }

  private:
    void Key(std::string_view key) {
        out_ += ' ';
        out_ += key;
        out_ += '=';
    }
    std::string& out_;
};

void PositionFields(FieldSink& f, double lat, const char& latLetter, double lon,
                    const char& lonLetter) {
    f.Number("lat", lat);
    f.Text("latLetter", LetterText(latLetter));
    f.Number("lon", lon);
    f.Text("lonLetter", LetterText(lonLetter));
}

// The fields of the record that a sentence of `kind` was parsed into.
void RecordFields(FieldSink& f, SentenceKind kind, const NmeaDecoder& decoder) {
    switch (kind) {
        case SentenceKind::Gga:
        case SentenceKind::Gns: {
            const GgaRecord& r = decoder.Gga();
            f.Flag("gns", r.IsGns);
            f.Text("time", TimeText(r.Time));
            PositionFields(f, r.Latitude, r.LatitudeLetter, r.Longitude, r.LongitudeLetter);
            f.Int("quality", r.FixQuality);
            if (r.IsGns) f.Text("mode", r.ModeText.View());
            f.Int("satellites", r.SatellitesUsed);
            f.Number("hdop", r.Hdop);
            f.Number("altitude", r.Altitude);
            f.Number("geoidSeparation", r.GeoidSeparation);
            if (!r.IsGns) {
                f.Number("diffAge", r.DifferentialAge);
                f.Int("stationId", r.StationId);
            }
            return;
        }
        case SentenceKind::Rmc: {
            const RmcRecord& r = decoder.Rmc();
            f.Text("time", TimeText(r.Time));
            f.Text("status", LetterText(r.Status));
            PositionFields(f, r.Latitude, r.LatitudeLetter, r.Longitude, r.LongitudeLetter);
            f.Number("speedKnots", r.SpeedKnots);
            f.Number("course", r.CourseDeg);
            f.Text("date", DateText(r.Date));
            f.Number("magVar", r.MagneticVariation);
            f.Text("magVarLetter", LetterText(r.MagneticVariationLetter));
            f.Text("mode", LetterText(r.ModeLetter));
            return;
        }
        case SentenceKind::Gll: {
            const GllRecord& r = decoder.Gll();
            PositionFields(f, r.Latitude, r.LatitudeLetter, r.Longitude, r.LongitudeLetter);
            f.Text("time", TimeText(r.Time));
            f.Text("status", LetterText(r.Status));
            return;
        }
        case SentenceKind::Vtg: {
            const VtgRecord& r = decoder.Vtg();
            f.Number("courseTrue", r.CourseTrueDeg);
            f.Number("courseMagnetic", r.CourseMagneticDeg);
            f.Number("speedKnots", r.SpeedKnots);
            f.Number("speedKmh", r.SpeedKmh);
            f.Text("mode", LetterText(r.ModeLetter));
            return;
        }
        case SentenceKind::Mss:
            return;  // the line is the record
        default:
            break;
    }
    if (IsGsaKind(kind)) {
        const GsaRecord& r = decoder.Gsa();
        f.Text("selection", LetterText(r.SelectionMode));
        f.Int("fixMode", r.FixMode);
        f.Int("used", r.UsedCount);
        // Positions up to the last one filled (empty fields inside the list stay 0).
        std::size_t filled = r.UsedSatellites.size();
        while (filled > 0 && r.UsedSatellites[filled - 1] == 0) --filled;
        f.IntList("usedList", r.UsedSatellites.data(), filled);
        f.Number("pdop", r.Pdop);
        f.Number("hdop", r.Hdop);
        f.Number("vdop", r.Vdop);
    } else if (IsGsvKind(kind)) {
        const SatTable& t = decoder.Sats();
        f.Text("talker", LetterText(t.TalkerLetter));
        f.Int("state", t.CollectionState);
        f.Int("total", t.TotalMessages);
        f.Int("number", t.MessageNumber);
        f.Int("inView", t.InView);
        f.Int("collected", decoder.GsvInViewTotal());
    }
}

// Entries of the table that the in-view count covers.
std::size_t TableEntryCount(const SatTable& table) {
    if (table.InView <= 0) return 0;
    return std::min<std::size_t>(static_cast<std::size_t>(table.InView), kMaxSatellites);
}

// The decimal texts of 0..999, for the numbers of table entries.
struct SmallNumberTexts {
    std::array<std::array<char, 3>, 1000> Digits{};
    std::array<uint8_t, 1000> Length{};
};
constexpr SmallNumberTexts kSmallNumbers = [] {
    SmallNumberTexts texts;
    for (int v = 0; v < 1000; ++v) {
        const int length = v < 10 ? 1 : v < 100 ? 2 : 3;
        int rest = v;
        for (int i = length - 1; i >= 0; --i) {
            texts.Digits[static_cast<std::size_t>(v)][static_cast<std::size_t>(i)] =
                static_cast<char>('0' + rest % 10);
            rest /= 10;
        }
        texts.Length[static_cast<std::size_t>(v)] = static_cast<uint8_t>(length);
    }
    return texts;
}();

// Writes `value` in decimal at `at`; returns the end. For the small numbers of table entries.
char* WriteInt(char* at, int value) {
    if (value >= 0 && value < 1000) {
        const auto index = static_cast<std::size_t>(value);
        std::memcpy(at, kSmallNumbers.Digits[index].data(), 3);
        return at + kSmallNumbers.Length[index];
    }
    if (value < 0) {
        *at++ = '-';
        value = -value;
    }
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0) *at++ = digits[--n];
    return at;
}

// "[number,elevation,azimuth,cno,cno2" then "]" or, with a use state, ",use]"; one append.
void AppendJsonEntry(std::string& out, const SatEntry& e, int useState = -1) {
    char text[64];
    char* at = text;
    *at++ = '[';
    const int values[] = {e.Number, e.Elevation, e.Azimuth, e.Cno, e.SecondCno, useState};
    const int count = useState < 0 ? 5 : 6;
    for (int i = 0; i < count; ++i) {
        if (i != 0) *at++ = ',';
        at = WriteInt(at, values[i]);
    }
    *at++ = ']';
    out.append(text, static_cast<std::size_t>(at - text));
}

}  // namespace

std::string_view SentenceKindName(SentenceKind kind) {
    return KindIndex(kind) < kKindNames.size() ? kKindNames[KindIndex(kind)] : std::string_view{};
}

void AppendJsonString(std::string& out, std::string_view bytes) {
    out += '"';
    // Runs of bytes that need no escape are appended whole; eight bytes are tested at once.
    std::size_t plainFrom = 0;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        uint64_t word = 0;
        std::memcpy(&word, bytes.data() + i, sizeof word);
        const uint64_t escaped = (~LanesInRange(word, 0x20, 0x7E) & kLaneHigh) |
                                 LanesEqual(word, '"') | LanesEqual(word, '\\');
        if (escaped != 0) break;
    }
    for (; i < bytes.size(); ++i) {
        const char c = bytes[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\') continue;
        out.append(bytes.data() + plainFrom, i - plainFrom);
        plainFrom = i + 1;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else {
            const char escape[] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 0x0F]};
            out.append(escape, sizeof escape);
        }
    }
    out.append(bytes.data() + plainFrom, bytes.size() - plainFrom);
    out += '"';
}

void AppendNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    if (value == 0.0) {  // also -0
        out += '0';
        return;
    }
    char digits[64];
    if (std::fabs(value) >= kFixedLimit) {
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        out.append(digits, result.ptr);
        return;
    }
    if (AppendFixedExactly(out, value)) return;
    const auto result =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, kDecimals);
    std::string_view text(digits, static_cast<std::size_t>(result.ptr - digits));
    while (text.back() == '0') text.remove_suffix(1);
    if (text.back() == '.') text.remove_suffix(1);
    if (text == "-0") text = "0";  // a tiny negative value rounded away
    out += text;
}

// --- JSON Lines ---

void JsonLinesReport::Flush() {
    text_ += '\n';
    out_ << text_;
    text_.clear();
}

bool JsonLinesReport::TakeEventSlot() {
    if (events_ >= eventLimit_) {
        ++omitted_;
        return false;
    }
    ++events_;
    return true;
}

void JsonLinesReport::Begin(std::string_view file, const ReplayOptions& options) {
    text_ = "{\"type\":\"replay\",\"file\":";
    AppendJsonString(text_, file);
    text_ += ",\"baudRate\":";
    AppendUnsigned(text_, options.BaudRate);
    text_ += ",\"family\":";
    AppendJsonString(text_, FamilyDisplayName(options.Family));
    text_ += ",\"lfLineEnds\":";
    text_ += options.LfLineEnds ? "true" : "false";
    text_ += '}';
    Flush();
}

void JsonLinesReport::Sentence(uint64_t timeMs, SentenceKind kind, std::string_view line,
                               const NmeaDecoder& decoder) {
    if (!TakeEventSlot()) return;
    text_ = "{\"type\":\"sentence\",\"t\":";
    AppendUnsigned(text_, timeMs);
    text_ += ",\"kind\":";
    AppendUnsigned(text_, KindIndex(kind));
    text_ += ",\"name\":";
    AppendJsonString(text_, SentenceKindName(kind));
    text_ += ",\"line\":";
    AppendJsonString(text_, line);
    JsonFields fields(text_);
    RecordFields(fields, kind, decoder);
    text_ += '}';
    Flush();
}

void JsonLinesReport::Satellites(uint64_t timeMs, const NmeaDecoder& decoder) {
    if (!TakeEventSlot()) return;
    const SatTable& table = decoder.Sats();
    const SatDisplayList& list = decoder.DisplayList();
    text_ = "{\"type\":\"satellites\",\"t\":";
    AppendUnsigned(text_, timeMs);
    text_ += ",\"inView\":";
    AppendSigned(text_, list.InView);
    text_ += ",\"used\":";
    AppendSigned(text_, list.UsedCount);
    text_ += ",\"table\":[";
    for (std::size_t i = 0; i < TableEntryCount(table); ++i) {
        if (i != 0) text_ += ',';
        AppendJsonEntry(text_, table.Entries[i]);
    }
    text_ += "],\"list\":[";
    for (std::size_t i = 0; i < list.EntryCount; ++i) {
        if (i != 0) text_ += ',';
        AppendJsonEntry(text_, list.Entries[i], list.UseStates[i]);
    }
    text_ += "]}";
    Flush();
}

void JsonLinesReport::Prompt(uint64_t timeMs, std::string_view text) {
    if (!TakeEventSlot()) return;
    text_ = "{\"type\":\"prompt\",\"t\":";
    AppendUnsigned(text_, timeMs);
    text_ += ",\"text\":";
    AppendJsonString(text_, text);
    text_ += '}';
    Flush();
}

void JsonLinesReport::Summary(const ReplaySummary& s) {
    text_ = "{\"type\":\"summary\"";
    const auto field = [this](std::string_view key, uint64_t value) {
        text_ += ",\"";
        text_ += key;
        text_ += "\":";
        AppendUnsigned(text_, value);
    };
    field("bytes", s.Bytes);
    field("bytesFed", s.BytesFed);
    field("bytesLeft", s.BytesLeft);
    field("lines", s.Lines);
    field("decodedLines", s.DecodedLines);
    field("invalidLines", s.InvalidLines);
    field("badChecksumLines", s.BadChecksumLines);
    field("notSentenceLines", s.NotSentenceLines);
    field("unknownKindLines", s.UnknownKindLines);
    text_ += ",\"kinds\":{";
    bool first = true;
    for (std::size_t index = 1; index < kSentenceKindCount; ++index) {
        const auto kind = static_cast<SentenceKind>(index);
        if (s.LinesPerKind[kind] == 0) continue;
        if (!first) text_ += ',';
        first = false;
        AppendJsonString(text_, SentenceKindName(static_cast<SentenceKind>(kind)));
        text_ += ':';
        AppendUnsigned(text_, s.LinesPerKind[kind]);
    }
    text_ += '}';
    field("overlongLines", s.OverlongLines);
    field("satelliteBlocks", s.SatelliteBlocks);
    field("ringOverruns", s.RingOverruns);
    field("missedEvents", s.MissedEvents);
    field("consumerErrors", s.ConsumerErrors);
    field("replayedMs", s.ReplayedMs);
    text_ += ",\"linkState\":";
    AppendJsonString(text_, LinkStateName(s.FinalLinkState));
    text_ += ",\"disconnected\":";
    text_ += s.Disconnected ? "true" : "false";
    if (omitted_ != 0) field("eventsOmitted", omitted_);
    text_ += '}';
    Flush();
}

// --- text ---

void TextReport::Flush() {
    text_ += '\n';
    out_ << text_;
    text_.clear();
}

namespace {

// "[   12.345] " with the replay time in seconds.
void AppendTimeStamp(std::string& out, uint64_t timeMs) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "[%8llu.%03u] ",
                  static_cast<unsigned long long>(timeMs / 1000),
                  static_cast<unsigned>(timeMs % 1000));
    out += stamp;
}

void AppendTextEntry(std::string& out, const SatEntry& e) {
    AppendSigned(out, e.Number);
    out += '(';
    AppendSigned(out, e.Elevation);
    out += '/';
    AppendSigned(out, e.Azimuth);
    out += '/';
    AppendSigned(out, e.Cno);
    if (e.SecondCno != 0) {
        out += '+';
        AppendSigned(out, e.SecondCno);
    }
    out += ')';
}

}  // namespace

void TextReport::Begin(std::string_view file, const ReplayOptions& options) {
    text_ = "replay ";
    AppendPlainText(text_, file);
    text_ += " at ";
    AppendUnsigned(text_, options.BaudRate);
    text_ += " bit/s, family ";
    text_ += FamilyDisplayName(options.Family);
    if (options.LfLineEnds) text_ += ", CR added before LF";
    Flush();
}

void TextReport::Sentence(uint64_t timeMs, SentenceKind kind, std::string_view line,
                          const NmeaDecoder& decoder) {
    AppendTimeStamp(text_, timeMs);
    text_ += SentenceKindName(kind);
    TextFields fields(text_);
    RecordFields(fields, kind, decoder);
    text_ += "  ";
    AppendPlainText(text_, line);
    Flush();
}

void TextReport::Satellites(uint64_t timeMs, const NmeaDecoder& decoder) {
    static constexpr std::array<std::string_view, 4> kUseMarks = {"", "-", "", "*"};
    const SatDisplayList& list = decoder.DisplayList();
    AppendTimeStamp(text_, timeMs);
    text_ += "satellites in view ";
    AppendSigned(text_, list.InView);
    text_ += ", used ";
    AppendSigned(text_, list.UsedCount);
    text_ += ':';
    for (std::size_t i = 0; i < list.EntryCount; ++i) {
        text_ += ' ';
        AppendTextEntry(text_, list.Entries[i]);
        const uint8_t use = list.UseStates[i];
        if (use < kUseMarks.size()) text_ += kUseMarks[use];
    }
    Flush();
}

void TextReport::Prompt(uint64_t timeMs, std::string_view text) {
    AppendTimeStamp(text_, timeMs);
    text_ += "prompt: ";
    AppendPlainText(text_, text);
    Flush();
}

void TextReport::Summary(const ReplaySummary& s) {
    const auto line = [this](std::string_view label, uint64_t value) {
        text_ += label;
        AppendUnsigned(text_, value);
        Flush();
    };
    text_ += "summary";
    Flush();
    line("  bytes            ", s.Bytes);
    line("  bytes fed        ", s.BytesFed);
    line("  bytes left       ", s.BytesLeft);
    line("  lines            ", s.Lines);
    line("  decoded lines    ", s.DecodedLines);
    line("  invalid lines    ", s.InvalidLines);
    line("    bad checksum   ", s.BadChecksumLines);
    line("    not a sentence ", s.NotSentenceLines);
    line("  unknown kinds    ", s.UnknownKindLines);
    for (std::size_t index = 1; index < kSentenceKindCount; ++index) {
        const auto kind = static_cast<SentenceKind>(index);
        if (s.LinesPerKind[kind] == 0) continue;
        text_ += "    ";
        text_ += SentenceKindName(kind);
        text_.append(13 - std::min<std::size_t>(13, SentenceKindName(kind).size()), ' ');
        AppendUnsigned(text_, s.LinesPerKind[kind]);
        Flush();
    }
    line("  overlong lines   ", s.OverlongLines);
    line("  satellite blocks ", s.SatelliteBlocks);
    line("  ring overruns    ", s.RingOverruns);
    line("  missed events    ", s.MissedEvents);
    line("  consumer errors  ", s.ConsumerErrors);
    line("  replayed ms      ", s.ReplayedMs);
    text_ += "  link state       ";
    text_ += LinkStateName(s.FinalLinkState);
    if (s.Disconnected) text_ += " (disconnected)";
    Flush();
}

}  // namespace gnss
