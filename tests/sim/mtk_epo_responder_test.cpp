// The simulated MTK receiver's EPO side on its own: the mode switches, acknowledgements of good,
// corrupted and out-of-order packets, the status it reports after an upload, EASY, and the EPO
// fault settings.

#include "sim/mtk_epo_responder.h"

#include <gtest/gtest.h>

#include <vector>

#include "assist/epo_file.h"
#include "assist/epo_transfer.h"
#include "doubles/epo_file_maker.h"
#include "frames/mtk_sirf_frames.h"
#include "sim/sim_bytes.h"
#include "sim/sim_config.h"

namespace gnss {
namespace {

struct Responder {
    explicit Responder(const sim::FaultConfig& faults = {})
        : epo(faults,
              sim::MtkEpoResponder::Hooks{
                  [this](std::string_view bytes) { sent.emplace_back(bytes); },
                  [this](uint32_t baud) { bauds.push_back(baud); }, [this] { vanished = true; },
                  [](const std::string&) {}, nullptr, nullptr, nullptr}) {}
    sim::MtkEpoResponder epo;
    std::vector<std::string> sent;
    std::vector<uint32_t> bauds;
    bool vanished = false;
};

std::string Frame(const std::string& stream, std::size_t index) {
    return stream.substr(index * 227, 227);
}

TEST(MtkEpoResponder, AcknowledgesInOrderPacketsAndRejectsCorruptOrOutOfOrderOnes) {
    Responder r;
    const std::string file = testing::MakeEpoIISevenDays(2200 * 168);
    const std::string stream = BuildEpoPackets(file, RecogniseEpoFile(file));
    ASSERT_TRUE(r.epo.HandleText("$PMTK253,1,115200*00"));
    EXPECT_TRUE(r.epo.InBinaryMode());
    EXPECT_EQ(r.bauds, std::vector<uint32_t>{115200});

    r.epo.Input(Frame(stream, 0));
    std::string corrupt = Frame(stream, 1);
    corrupt[100] ^= 0x40;
    r.epo.Input(corrupt);
    r.epo.Input(Frame(stream, 2));  // packet 1 is still missing
    // A packet split over two reads is still one packet.
    r.epo.Input(Frame(stream, 1).substr(0, 50));
    r.epo.Input(Frame(stream, 1).substr(50));
    ASSERT_EQ(r.sent.size(), 4u);
    EXPECT_EQ(r.sent[0], EpoTransfer::AckFrame(0, true));
    EXPECT_EQ(r.sent[1], EpoTransfer::AckFrame(1, false));
    EXPECT_EQ(r.sent[2], EpoTransfer::AckFrame(2, false));
    EXPECT_EQ(r.sent[3], EpoTransfer::AckFrame(1, true));

    for (std::size_t i = 2; i < 300; ++i) r.epo.Input(Frame(stream, i));
    EXPECT_EQ(r.sent.back(), EpoTransfer::AckFrame(0xFFFF, true));
    EXPECT_EQ(r.epo.PacketsAccepted(), 300);
    EXPECT_EQ(r.epo.Held().Sets, 28);
    EXPECT_EQ(r.epo.Held().FirstWeek, 2200);
    EXPECT_EQ(r.epo.Held().FirstTow, 0);
    EXPECT_EQ(r.epo.Held().LastWeek, 2200);
    EXPECT_EQ(r.epo.Held().LastTow, 27 * 6 * 3600);

    r.epo.Input(EpoTransfer::ReturnToNmeaFrame(9600));
    EXPECT_FALSE(r.epo.InBinaryMode());
    EXPECT_EQ(r.bauds.back(), 9600u);
    ASSERT_TRUE(r.epo.HandleText("$PMTK607*33"));
    EXPECT_EQ(r.sent.back(), sim::NmeaLine("$PMTK707,28,2200,0,2200,583200"));
}

TEST(MtkEpoResponder, EasyQueryAndOff) {
    Responder r;
    ASSERT_TRUE(r.epo.HandleText("$PMTK869,0*29"));
    EXPECT_EQ(r.sent.back(), sim::NmeaLine("$PMTK869,2,1,3"));
    ASSERT_TRUE(r.epo.HandleText("$PMTK869,1,0*34"));
    ASSERT_TRUE(r.epo.HandleText("$PMTK869,0*29"));
    EXPECT_EQ(r.sent.back(), sim::NmeaLine("$PMTK869,2,0"));
    EXPECT_FALSE(r.epo.HandleText("$PMTK605*31"));
}

TEST(MtkEpoResponder, FaultsAndTheirSettings) {
    sim::SimConfig config;
    std::string error;
    for (const char* fault : {"epo-reject=3", "epo-silent=5", "epo-vanish=7", "epo-wrong-rate"}) {
        EXPECT_TRUE(sim::ApplySetting(config, "fault", fault, error)) << error;
    }
    EXPECT_EQ(config.Faults.EpoRejectPacket, 3);
    EXPECT_EQ(config.Faults.EpoSilentFrom, 5);
    EXPECT_EQ(config.Faults.EpoVanishAt, 7);
    EXPECT_TRUE(config.Faults.EpoWrongRate);
    for (const char* bad : {"epo-reject=", "epo-silent=-1", "epo-vanish=x"}) {
        EXPECT_FALSE(sim::ApplySetting(config, "fault", bad, error)) << bad;
    }

    Responder wrong(config.Faults);
    ASSERT_TRUE(wrong.epo.HandleText("$PMTK253,1,115200*00"));
    EXPECT_EQ(wrong.bauds, std::vector<uint32_t>{57600});

    const std::string file = testing::MakeEpoIISevenDays(100);
    const std::string stream = BuildEpoPackets(file, RecogniseEpoFile(file));
    sim::FaultConfig faults;
    faults.EpoRejectPacket = 1;
    faults.EpoSilentFrom = 3;
    faults.EpoVanishAt = 4;
    Responder r(faults);
    ASSERT_TRUE(r.epo.HandleText("$PMTK253,1,115200*00"));
    for (std::size_t i = 0; i < 5; ++i) r.epo.Input(Frame(stream, i));
    ASSERT_EQ(r.sent.size(), 3u);
    EXPECT_EQ(r.sent[0], EpoTransfer::AckFrame(0, true));
    EXPECT_EQ(r.sent[1], EpoTransfer::AckFrame(1, false));
    EXPECT_EQ(r.sent[2], EpoTransfer::AckFrame(2, false));  // out of order after the reject
    EXPECT_TRUE(r.vanished);
}

}  // namespace
}  // namespace gnss
