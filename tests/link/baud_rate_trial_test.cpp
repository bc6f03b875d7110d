#include "link/baud_rate_trial.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "frames/binary_frame.h"
#include "frames/mtk_sirf_frames.h"

namespace gnss {
namespace {

constexpr std::string_view kGga =
    "$GPGGA,092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,*76\r\n";

std::string RandomBytes(std::size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes) c = static_cast<char>(rng() & 0xFF);
    return bytes;
}

TEST(RateEvidence, OnlyWholeCheckedSentencesAndFramesCount) {
    const std::string ubx = BuildUbxFrame(0x01, 0x07, std::string(92, '\x11'));
    const std::string sirf = BuildSirfFrame(std::string("\x29\x00\x01\x02", 4));
    const std::string mtk = BuildMtkFrame(0x0002, "abc");
    struct Case {
        const char* Name;
        std::string Bytes;
        RateEvidence Expected;
    };
    const Case cases[] = {
        {"sentence", std::string(kGga), RateEvidence::Nmea},
        {"noise before the sentence on its line", "\x8f\x13zz" + std::string(kGga),
         RateEvidence::Nmea},
        {"wrong checksum", "$GPGGA,092750.000,5321.6802,N,00630.3372,W,1,8*00\r\n",
         RateEvidence::None},
        {"no line end yet", std::string(kGga.substr(0, kGga.size() - 2)), RateEvidence::None},
        {"only talker prefixes", "$GP$GN$GL$GB$BD\r\n", RateEvidence::None},
        {"an empty sentence is too short", "$*00\r\n", RateEvidence::None},
        {"SiRF frame", "\x01\x02" + sirf, RateEvidence::SirfBinary},
        {"SiRF frame cut short", sirf.substr(0, sirf.size() - 1), RateEvidence::None},
        {"SiRF frame with a bad sum", sirf.substr(0, 7) + "\x7f" + sirf.substr(8),
         RateEvidence::None},
        {"UBX frame", "\x55" + ubx, RateEvidence::OtherBinary},
        {"UBX frame with a bad checksum", ubx.substr(0, ubx.size() - 1) + "\x00",
         RateEvidence::None},
        {"HD frame", BuildHdFrame(0x0A, 0x04, "ver"), RateEvidence::OtherBinary},
        {"MTK binary frame", "zz" + mtk, RateEvidence::OtherBinary},
        {"NMEA wins over binary", ubx + std::string(kGga), RateEvidence::Nmea},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindRateEvidence(c.Bytes), c.Expected) << c.Name;
    }
}

TEST(RateEvidence, RandomBytesNeverProveARate) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        EXPECT_EQ(FindRateEvidence(RandomBytes(64 * 1024, seed)), RateEvidence::None) << seed;
    }
}

// A trial fed tick by tick, 70 ms apart, as the processing timer does.
struct TrialRun {
    explicit TrialRun(uint32_t startMs = 1000) : nowMs(startMs) { trial.Begin(startMs); }
    TrialVerdict Tick(std::string_view chunk = {}) {
        nowMs += 70;
        return trial.OnTick(nowMs, chunk);
    }
    // Ticks until the verdict is not Undecided; the ms that took (0 when it never came).
    uint32_t TicksUntilVerdict(std::string_view chunkEveryTick, TrialVerdict* verdict) {
        const uint32_t start = nowMs;
        for (int i = 0; i < 100; ++i) {
            *verdict = Tick(chunkEveryTick);
            if (*verdict != TrialVerdict::Undecided) return nowMs - start;
        }
        return 0;
    }
    BaudRateTrial trial;
    uint32_t nowMs;
};

TEST(BaudRateTrial, BytesOfTheSettleTimeAreDroppedThenASentenceDecides) {
    TrialRun run;
    // Two ticks (140 ms) fall within the settle time: even a sentence there does not count.
    EXPECT_EQ(run.Tick(kGga), TrialVerdict::Undecided);
    EXPECT_EQ(run.Tick(kGga), TrialVerdict::Undecided);
    EXPECT_TRUE(run.trial.Received().empty());
    EXPECT_EQ(run.Tick(kGga.substr(0, 30)), TrialVerdict::Undecided);
    EXPECT_EQ(run.Tick(kGga.substr(30)), TrialVerdict::Found);
    EXPECT_EQ(run.trial.Evidence(), RateEvidence::Nmea);
}

TEST(BaudRateTrial, AWrongRateIsLeftByItsNoiseOrAtTheEndOfTheDwell) {
    const std::string noise = RandomBytes(200, 7);
    struct Case {
        const char* Name;
        std::string Chunk;  // every tick
        uint32_t MaxMs;     // the verdict comes within this
    };
    const Case cases[] = {
        // 200 bytes a tick: 1024 bytes without evidence come within six ticks.
        {"steady noise", noise, 70 * 8},
        // A silent line waits the whole dwell.
        {"silence", "", BaudRateTrial::kSettleMs + BaudRateTrial::kDwellMs + 70},
    };
    for (const Case& c : cases) {
        TrialRun run;
        TrialVerdict verdict = TrialVerdict::Undecided;
        const uint32_t ms = run.TicksUntilVerdict(c.Chunk, &verdict);
        EXPECT_EQ(verdict, TrialVerdict::Wrong) << c.Name;
        EXPECT_GT(ms, 0u) << c.Name;
        EXPECT_LE(ms, c.MaxMs) << c.Name;
    }
}

TEST(BaudRateTrial, AWholeBurstWithoutAnyStartIsLeftEarlyOneWithAStartIsHeardOut) {
    // Quiet, a short burst of noise, quiet again: the start of a sentence or frame would be in
    // it at the right rate.
    TrialRun early;
    for (int i = 0; i < 4; ++i) early.Tick();
    EXPECT_EQ(early.Tick(std::string_view("\x80\xF8\x00\xE0\x1C", 5)), TrialVerdict::Undecided);
    EXPECT_EQ(early.Tick(), TrialVerdict::Undecided);
    EXPECT_EQ(early.Tick(), TrialVerdict::Wrong);
    EXPECT_LT(early.nowMs - 1000, BaudRateTrial::kDwellMs);

    // The same burst holding a "$" may be a sentence cut by noise: it waits for the dwell.
    TrialRun patient;
    for (int i = 0; i < 4; ++i) patient.Tick();
    EXPECT_EQ(patient.Tick("\x80\xF8$\xE0\x1C"), TrialVerdict::Undecided);
    TrialVerdict verdict = TrialVerdict::Undecided;
    patient.TicksUntilVerdict({}, &verdict);
    EXPECT_EQ(verdict, TrialVerdict::Wrong);
    EXPECT_GE(patient.nowMs - 1000, BaudRateTrial::kSettleMs + BaudRateTrial::kDwellMs);

    // Data already flowing when the trial began: its start was not seen, so no early verdict.
    TrialRun midBurst;
    midBurst.Tick();
    midBurst.Tick();
    EXPECT_EQ(midBurst.Tick(std::string_view("\x80\xF8\x00\xE0\x1C", 5)), TrialVerdict::Undecided);
    EXPECT_EQ(midBurst.Tick(), TrialVerdict::Undecided);
    EXPECT_EQ(midBurst.Tick(), TrialVerdict::Undecided);
}

TEST(BaudRateTrial, BeginStartsAFreshTrial) {
    TrialRun run;
    run.Tick();
    run.Tick();
    run.Tick("\x01\x02");
    EXPECT_FALSE(run.trial.Received().empty());
    run.trial.Begin(run.nowMs);
    EXPECT_TRUE(run.trial.Received().empty());
    EXPECT_EQ(run.trial.Evidence(), RateEvidence::None);
    // The settle time counts again from the new beginning.
    EXPECT_EQ(run.Tick(kGga), TrialVerdict::Undecided);
    EXPECT_TRUE(run.trial.Received().empty());
}

}  // namespace
}  // namespace gnss
