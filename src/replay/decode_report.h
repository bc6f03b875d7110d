#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "replay/capture_replay.h"

namespace gnss {

// Short name of a sentence kind: "RMC", "GGA", "GPGSA", ... "GNS"; "echo" for 1, "" for 0 and
// for numbers outside the table.
[[nodiscard]] std::string_view SentenceKindName(SentenceKind kind);

// Appends `bytes` as a JSON string: quotes and backslashes escaped, printable ASCII as it is,
// every other byte (control characters, DEL, bytes of 0x80 and above) as \u00XX. A byte string
// that is not UTF-8 therefore survives as the code points U+0000..U+00FF.
void AppendJsonString(std::string& out, std::string_view bytes);
// Appends a number the same way on every machine and locale: fixed notation with up to nine
// decimals and no trailing zeros ("0.5", "37.11049", "10000"); very large values in exponent
// form; "null" for values that are not finite.
void AppendNumber(std::string& out, double value);

// The replay as JSON Lines: one object per line, in stream order.
//   {"type":"replay","file":...,"baudRate":...,"family":...}      (from Begin)
//   {"type":"sentence","t":ms,"kind":n,"name":...,"line":..., record fields}
//   {"type":"satellites","t":ms,"inView":...,"used":...,"table":[...],"list":[...]}
//   {"type":"prompt","t":ms,"text":...}
//   {"type":"summary",...}
// README.md lists the fields of each type.
class JsonLinesReport final : public ReplayObserver {
  public:
    explicit JsonLinesReport(std::ostream& out) : out_(out) {}

    // At most `limit` sentence, satellites and prompt objects are written; the summary then
    // says how many were left out.
    void SetEventLimit(std::size_t limit) { eventLimit_ = limit; }

    void Begin(std::string_view file, const ReplayOptions& options);
    void Sentence(uint64_t timeMs, SentenceKind kind, std::string_view line,
                  const NmeaDecoder& decoder) override;
    void Satellites(uint64_t timeMs, const NmeaDecoder& decoder) override;
    void Prompt(uint64_t timeMs, std::string_view text) override;
    void Summary(const ReplaySummary& summary) override;

  private:
    bool TakeEventSlot();
    void Flush();

    std::ostream& out_;
    std::string text_;  // the object being built, reused
    std::size_t eventLimit_ = SIZE_MAX;
    std::size_t events_ = 0;
    std::size_t omitted_ = 0;
};

// The same events as readable text, one line per event.
class TextReport final : public ReplayObserver {
  public:
    explicit TextReport(std::ostream& out) : out_(out) {}

    void Begin(std::string_view file, const ReplayOptions& options);
    void Sentence(uint64_t timeMs, SentenceKind kind, std::string_view line,
                  const NmeaDecoder& decoder) override;
    void Satellites(uint64_t timeMs, const NmeaDecoder& decoder) override;
    void Prompt(uint64_t timeMs, std::string_view text) override;
    void Summary(const ReplaySummary& summary) override;

  private:
    void Flush();

    std::ostream& out_;
    std::string text_;
};

}  // namespace gnss
