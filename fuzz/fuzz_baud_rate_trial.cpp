// Arbitrary bytes through the baud-rate search's judgement: the evidence finder over the whole
// input, and a trial fed in processing-tick chunks. The first byte sets the chunk size (0 means
// a quiet tick between chunks), so that bursts, quiet gaps and the dwell are all reached.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "link/baud_rate_trial.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace gnss;
    if (size == 0) return 0;
    const std::size_t chunkSize = data[0] % 97;
    std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);

    const RateEvidence whole = FindRateEvidence(input);
    Check(whole == RateEvidence::None || whole == RateEvidence::Nmea ||
          whole == RateEvidence::SirfBinary || whole == RateEvidence::OtherBinary);

    BaudRateTrial trial;
    uint32_t nowMs = 0xFFFFF000u;  // the tick counter wraps during the trial
    trial.Begin(nowMs);
    TrialVerdict verdict = TrialVerdict::Undecided;
    while (verdict == TrialVerdict::Undecided && !input.empty()) {
        nowMs += 70;
        const std::size_t take = chunkSize == 0 ? 1 : std::min(chunkSize, input.size());
        std::string_view chunk = input.substr(0, take);
        if (chunkSize == 0 && (nowMs / 70) % 3 == 0) chunk = {};  // a quiet tick now and then
        input.remove_prefix(chunk.size());
        verdict = trial.OnTick(nowMs, chunk);
        Check(trial.Received().size() < BaudRateTrial::kNoEvidenceBytes + 97);
        Check((verdict == TrialVerdict::Found) == (trial.Evidence() != RateEvidence::None));
    }
    // Silence to the end: every trial decides within the dwell.
    for (int i = 0; i < 40 && verdict == TrialVerdict::Undecided; ++i) {
        nowMs += 70;
        verdict = trial.OnTick(nowMs, {});
    }
    Check(verdict != TrialVerdict::Undecided);
    return 0;
}
