#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/receiver_family.h"

namespace gnss::sim {

// Faults of the assistance-data transfers, by the 0-based number of the SGEE sentence (0 is the
// start sentence) or of the HD upload message.
struct AssistFaults {
    int SgeeNackAt = -1;      // sgee-nack=N: sentence N is rejected
    int SgeeSilentFrom = -1;  // sgee-silent=N: no reply to sentence N and later
    int SgeeVanishAt = -1;    // sgee-vanish=N: the device vanishes on sentence N
    int HdWrongAckAt = -1;    // hd-wrong-ack=N: upload message N is acknowledged with the other id
};

// What the receiver does about one message.
struct AssistReaction {
    bool Handled = false;
    std::vector<std::string> Replies;  // complete lines or frames
    bool Vanish = false;
};

// The assistance data a simulated SiRF or HD receiver takes: the SGEE sentences with their
// acknowledgements and the status reply that reports the stored data, the HD ephemeris upload
// messages with their acknowledgements, and the echo of the initial-aiding messages.
class SimAssistData {
  public:
    SimAssistData(ReceiverFamily family, const AssistFaults& faults)
        : family_(family), faults_(faults) {}

    // A complete sentence (checksum included, no line end).
    AssistReaction OnSirfSentence(std::string_view sentence);
    // A complete HD frame with a valid checksum.
    AssistReaction OnHdFrame(std::string_view frame);

    // SGEE: the bytes taken so far, and whether a whole file has been stored.
    [[nodiscard]] const std::string& SgeeData() const { return sgeeData_; }
    [[nodiscard]] bool SgeeStored() const { return sgeeStored_; }
    [[nodiscard]] int SgeeSentencesSeen() const { return sgeeSentence_; }
    // HD: ephemeris frames stored per upload id (0x32, 0x33), upload messages seen, and the
    // initial-aiding messages taken.
    [[nodiscard]] std::size_t HdGnssFrames() const { return hdGnssFrames_; }
    [[nodiscard]] std::size_t HdBeidouFrames() const { return hdBeidouFrames_; }
    [[nodiscard]] int HdMessagesSeen() const { return hdMessages_; }
    [[nodiscard]] int AidingMessagesSeen() const { return aidingMessages_; }

  private:
    AssistReaction SgeeStatus() const;
    AssistReaction SgeeStep(int kind, std::string_view fields);

    ReceiverFamily family_;
    AssistFaults faults_;
    int sgeeSentence_ = 0;  // the number of the next SGEE sentence
    uint32_t sgeeSize_ = 0;
    uint32_t sgeeNextBlock_ = 1;
    std::string sgeeData_;
    bool sgeeStored_ = false;
    std::size_t hdGnssFrames_ = 0;
    std::size_t hdBeidouFrames_ = 0;
    int hdMessages_ = 0;
    int aidingMessages_ = 0;
};

}  // namespace gnss::sim
