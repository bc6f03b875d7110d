#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace gnss {

// The positions of the consumers of a received line, in the order they see it. Between
// AssistReplies and SensorAttitude the chain itself ends for lines of 9 characters or less,
// lines not starting with "$" and lines starting with "$PUN"; an empty line ends it first of all.
enum class ChainSlot : uint8_t {
    DrStatus,            // ST dead-reckoning status "$PSTMDROL,"
    RtkDfHeading,        // RTK_DF antenna distance and heading
    DrCalibrationQuiet,  // replies hidden during the first seconds of a DR calibration
    DrConsumers,         // dead-reckoning calibration and sensor window sentences
    VersionReplies,      // SiRF version replies, Furuno "ION,ON,"
    AssistReplies,       // EPO, EASY and SGEE status replies
    SensorAttitude,      // "$PMDR,24" sensor sentences
    Monitor,             // the NMEA monitor
    FixKindLabel,        // GGA fix-kind label
    Recorder,            // the text log, for lines that were shown
    TtffMarkers,         // time-to-first-fix start markers per family
};
inline constexpr std::size_t kChainSlotCount = static_cast<std::size_t>(ChainSlot::TtffMarkers) + 1;

// What the consumers of one line share while it passes.
struct SentenceContext {
    std::string_view Line;
    bool Shown = false;  // set by the monitor when it showed the line; read by the recorder
};

enum class ChainStep { Continue, EndFalse, EndTrue };

using ChainConsumer = std::function<ChainStep(SentenceContext&)>;

// The ordered chain of sentence consumers. The slot decides the order, not the time of
// registration. A slot may hold several consumers (the assistance replies of several
// features share one position); they run in the order they were registered.
class SentenceChain {
  public:
    void Register(ChainSlot slot, ChainConsumer consumer);
    void Clear(ChainSlot slot);

    // Passes the line to the consumers; true when it reached the end of the chain or a
    // consumer ended it with true.
    bool HandleSentence(std::string_view line);

  private:
    [[nodiscard]] bool RunSlots(std::size_t from, std::size_t to, SentenceContext& ctx,
                                bool& result) const;

    std::array<std::vector<ChainConsumer>, kChainSlotCount> slots_;
};

}  // namespace gnss
