#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gnss {

// What the bytes received at one trial rate show.
enum class RateEvidence : uint8_t {
    None,         // nothing understood (yet)
    Nmea,         // a complete NMEA sentence with a correct checksum
    SirfBinary,   // a complete SiRF binary frame with a correct checksum
    OtherBinary,  // a complete UBX, HD or MTK binary frame with a correct checksum
};

// Looks for proof that the port's rate matches the receiver's: a whole sentence or frame whose
// checksum holds. Bytes read at a wrong rate are noise, and noise practically never forms one,
// so unlike a look for talker prefixes ("$GP") this does not take a wrong rate for the right
// one. NMEA wins over binary when both are present.
[[nodiscard]] RateEvidence FindRateEvidence(std::string_view bytes);

// The verdict on the rate being tried.
enum class TrialVerdict : uint8_t {
    Undecided,  // keep listening
    Found,      // the rate is right: Evidence() says what the receiver speaks
    Wrong,      // try the next rate
};

// Listening at one rate of the baud-rate search. Bytes that arrive within the settle time after
// the rate change were sent or sampled at the old rate and are dropped. The rate is taken on
// evidence (FindRateEvidence); it is given up early when a burst of data was seen whole (quiet
// before and after it) without a single "$" or binary sync pair, or when many bytes came without
// evidence, and in any case when the dwell time has passed (a silent line, or a slow receiver
// whose output the port sees only a few noise bytes of).
class BaudRateTrial {
  public:
    static constexpr uint32_t kSettleMs = 150;
    // Covers one output interval of a 1 Hz receiver plus one sentence at 4800 bit/s.
    static constexpr uint32_t kDwellMs = 1300;
    static constexpr std::size_t kNoEvidenceBytes = 1024;
    static constexpr uint32_t kQuietTicksEndingBurst = 2;

    void Begin(uint32_t nowMs);
    // One processing tick with what it received (empty when the port was quiet).
    TrialVerdict OnTick(uint32_t nowMs, std::string_view chunk);

    [[nodiscard]] RateEvidence Evidence() const { return evidence_; }
    [[nodiscard]] const std::string& Received() const { return received_; }

  private:
    [[nodiscard]] TrialVerdict Judge(uint32_t nowMs);

    uint32_t startMs_ = 0;
    std::string received_;
    std::size_t receivedTotal_ = 0;
    RateEvidence evidence_ = RateEvidence::None;
    bool quietBeforeData_ = false;  // a quiet tick after the settle, before any data
    bool burstStartSeen_ = false;   // data began after such a quiet tick
    uint32_t quietTicks_ = 0;       // consecutive quiet ticks since the last data
};

}  // namespace gnss
