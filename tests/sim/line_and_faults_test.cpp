// The serial line (baud mismatch, pacing) and the faults a receiver shows on demand.
#include <gtest/gtest.h>

#include "sim/serial_line.h"
#include "sim/sim_bytes.h"
#include "sim_test_bench.h"

namespace gnss::sim {
namespace {

using testing::Bench;
using testing::Config;
using testing::Contains;
using testing::Lines;

int ValidSentences(const std::string& stream) {
    int n = 0;
    for (const auto& line : Lines(stream))
        if (IsValidSentence(line)) ++n;
    return n;
}

TEST(UartResample, SameRateIsIdentityOtherRatesGarbleDeterministically) {
    const std::string text = "$GPGGA,000000.000,,,,,0,00,99.99,,,,,,*48\r\n";
    EXPECT_EQ(UartResample(text, 9600, 9600), text);
    for (const auto& [tx, rx] : std::vector<std::pair<uint32_t, uint32_t>>{{9600, 115200},
                                                                           {115200, 9600},
                                                                           {9600, 4800},
                                                                           {4800, 9600},
                                                                           {9600, 19200},
                                                                           {38400, 57600}}) {
        SCOPED_TRACE(std::to_string(tx) + " -> " + std::to_string(rx));
        const std::string garbled = UartResample(text, tx, rx);
        EXPECT_NE(garbled, text);
        EXPECT_EQ(garbled, UartResample(text, tx, rx));
        EXPECT_EQ(garbled.find("GGA"), std::string::npos);
        // A faster sampler sees more bytes, a slower one fewer.
        if (rx > 2 * tx) {
            EXPECT_GT(garbled.size(), text.size());
        }
        if (tx > 2 * rx) {
            EXPECT_LT(garbled.size(), text.size());
        }
    }
}

TEST(BaudMismatch, OutputIsGarbledAndCommandsAreNotUnderstood) {
    SimConfig config = Config("mtk");
    config.Baud = 9600;
    Bench wrong(config, 115200);
    wrong.Run(4000);
    const std::string garbled = wrong.Take();
    EXPECT_FALSE(garbled.empty());
    EXPECT_EQ(ValidSentences(garbled), 0);
    Bench again(config, 115200);
    again.Run(4000);
    EXPECT_EQ(again.Take(), garbled);  // deterministic
    wrong.Send("$PMTK103*30\r\n");
    wrong.Run(2000);
    EXPECT_EQ(wrong.receiver->RestartCount(), 0);

    // The tool changes its port to the receiver's rate: clean NMEA from then on.
    wrong.port.SetBaudRate(9600);
    wrong.Run(2000);
    wrong.Take();
    wrong.Run(2000);
    EXPECT_GT(ValidSentences(wrong.Take()), 5);
}

TEST(BaudChange, FactoryRestartMovesTheReceiverToItsFactoryRate) {
    SimConfig config = Config("mtk");
    config.Baud = 9600;
    config.FactoryBaud = 38400;
    Bench bench(config);
    bench.Run(3000);
    bench.Send("$PMTK104*37\r\n");
    bench.Run(1000);
    EXPECT_TRUE(Contains(bench.Take(), "$PMTK010,001*2E"));  // the acknowledgement at 9600
    EXPECT_EQ(bench.receiver->BaudRate(), 38400u);
    bench.Run(2000);
    EXPECT_EQ(ValidSentences(bench.Take()), 0);
    bench.port.SetBaudRate(38400);
    bench.Run(2000);
    bench.Take();
    bench.Run(2000);
    EXPECT_GT(ValidSentences(bench.Take()), 5);
}

TEST(BaudChange, HdPortConfigurationPollAndSet) {
    Bench bench(Config("hd", "bin"));
    bench.Run(3000);
    bench.Take();
    bench.Send(HexBytes("F1 D9 06 00 01 00 00 07 21"));
    bench.Run(500);
    const std::string out = bench.Take();
    const auto at = out.find(std::string("\xF1\xD9\x06\x00\x08\x00", 6));
    ASSERT_NE(at, std::string::npos);
    std::string reply = out.substr(at, 16);
    ASSERT_TRUE(SimFrameValid(reply));
    std::string payload = reply.substr(6, 8);
    EXPECT_EQ(payload.substr(4), std::string("\x00\xC2\x01\x00", 4));  // 115200
    payload.replace(4, 4, std::string("\x00\x96\x00\x00", 4));         // 38400
    bench.Send(SimFrame(FrameProtocol::Hd, 0x06, 0x00, payload));
    bench.Run(500);
    EXPECT_TRUE(Contains(bench.Take(), HexBytes("F1 D9 05 01 02 00 06 00")));
    EXPECT_EQ(bench.receiver->BaudRate(), 38400u);
}

TEST(BaudChange, MtkBaudCommandAnswersThenChangesRate) {
    Bench bench(Config("mtk"));
    bench.Run(3000);
    bench.Send(WithChecksum("$PMTK251,115200") + "\r\n");
    bench.Run(2000);
    EXPECT_TRUE(Contains(bench.Take(), WithChecksum("$PMTK001,251,3")));
    EXPECT_EQ(bench.receiver->BaudRate(), 115200u);
}

TEST(SirfBinary, StartsInBinaryAndMessage129ReturnsToNmea) {
    SimConfig config = Config("sirf");
    config.SirfBinary = true;
    config.Baud = 38400;
    Bench bench(config);
    bench.Run(3000);
    const std::string binary = bench.Take();
    EXPECT_TRUE(Contains(binary, HexBytes("A0 A2 00 09 09")));
    EXPECT_FALSE(Contains(binary, "$"));
    EXPECT_TRUE(bench.receiver->InSirfBinaryMode());
    // The tool's switch to NMEA at 9600, byte for byte.
    bench.Send(
        HexBytes("A0 A2 00 18 81 02 01 01 01 01 01 01 01 01 01 01 01 01 00 01 00 01 00 01 "
                 "00 00 25 80 01 37 B0 B3"));
    bench.Run(500);
    EXPECT_FALSE(bench.receiver->InSirfBinaryMode());
    EXPECT_EQ(bench.receiver->BaudRate(), 9600u);
    bench.port.SetBaudRate(9600);
    bench.Run(3000);
    EXPECT_GT(ValidSentences(bench.Take()), 3);
}

TEST(UnknownCommands, AnsweredAsTheFamilyWould) {
    Bench mtk(Config("mtk"));
    mtk.Run(3000);
    mtk.Send(WithChecksum("$PMTK220,200") + "\r\n" + WithChecksum("$PMTK999,1") + "\r\n");
    mtk.Run(1500);
    const std::string out = mtk.Take();
    EXPECT_TRUE(Contains(out, WithChecksum("$PMTK001,220,3")));
    EXPECT_TRUE(Contains(out, WithChecksum("$PMTK001,999,1")));

    Bench ubx(Config("ublox"));
    ubx.Run(3000);
    ubx.Send(SimFrame(FrameProtocol::Ubx, 0x06, 0x01, HexBytes("F0 05 00")));  // a CFG message
    ubx.Send(SimFrame(FrameProtocol::Ubx, 0x01, 0x07, ""));                    // a NAV poll
    ubx.Run(1500);
    const std::string ubxOut = ubx.Take();
    EXPECT_TRUE(Contains(ubxOut, SimAck(FrameProtocol::Ubx, 0x06, 0x01)));
    EXPECT_FALSE(Contains(ubxOut, SimAck(FrameProtocol::Ubx, 0x01, 0x07)));
}

struct FaultCase {
    std::string Family;
    std::string Fault;
    std::string Command;
    std::string Expect;     // must appear after the command
    std::string ExpectNot;  // must not appear
    bool Restarts;
};

TEST(Faults, RejectionsAndMissingAcknowledgements) {
    const std::string ubxCold = HexBytes("B5 62 06 04 04 00 FF FF 02 00 0E 61");
    const std::vector<FaultCase> cases = {
        {"mtk", "reject", "$PMTK103*30\r\n", WithChecksum("$PMTK001,103,2"), "$PMTK010,001", false},
        {"ublox", "reject", ubxCold, HexBytes("B5 62 05 00 02 00 06 04"), "Resetting", false},
        {"hd", "reject", HexBytes("F1 D9 06 40 01 00 03 4A 24"),
         HexBytes("F1 D9 05 00 02 00 06 40"), "", false},
        {"furuno", "reject", "$PERDAPI,RESTART,COLD*08\r\n", "", "SSION,ON", false},
        {"mtk", "no-ack", "$PMTK103*30\r\n", "", "$PMTK010,001", true},
        {"ublox", "no-ack", ubxCold, "", HexBytes("B5 62 05 01"), true},
        {"mxt", "no-ack", "$RESET,1,2\r\n", "", "$ACKOK", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Family + " " + c.Fault);
        SimConfig config = Config(c.Family);
        std::string error;
        ASSERT_TRUE(ApplySetting(config, "fault", c.Fault, error)) << error;
        Bench bench(config);
        bench.Run(3000);
        bench.Take();
        bench.Send(c.Command);
        bench.Run(1500);
        const std::string out = bench.Take();
        if (!c.Expect.empty()) {
            EXPECT_TRUE(Contains(out, c.Expect));
        }
        if (!c.ExpectNot.empty()) {
            EXPECT_FALSE(Contains(out, c.ExpectNot));
        }
        EXPECT_EQ(bench.receiver->RestartCount(), c.Restarts ? 1 : 0);
        EXPECT_EQ(bench.receiver->HasFix(), !c.Restarts);
    }
}

TEST(Faults, SlowAcknowledgementComesLate) {
    SimConfig config = Config("mxt");
    config.Faults.SlowAckMs = 1500;
    Bench bench(config);
    bench.Run(3000);
    bench.Take();
    bench.Send("$RESET,1,0\r\n");
    bench.Run(1000);
    EXPECT_FALSE(Contains(bench.Take(), "$ACKOK,*61"));
    bench.Run(1000);
    EXPECT_TRUE(Contains(bench.Take(), "$ACKOK,*61"));
}

TEST(Restart, KeepsTheOldFixForAWhileWhenAsked) {
    SimConfig config = Config("mtk");
    config.KeepFixMs = 3000;
    config.ColdMs = 10000;
    Bench bench(config);
    bench.Run(4000);
    bench.Send("$PMTK103*30\r\n");
    bench.Run(2000);
    EXPECT_TRUE(bench.receiver->HasFix());
    bench.Run(2000);
    EXPECT_FALSE(bench.receiver->HasFix());
    bench.Run(7000);
    EXPECT_TRUE(bench.receiver->HasFix());
}

TEST(Restart, JitterIsSeededAndBounded) {
    auto due = [](uint64_t seed) {
        SimConfig config = Config("mtk");
        config.Seed = seed;
        config.ColdMs = 35000;
        config.JitterMs = 5000;
        Bench bench(config);
        bench.Run(3000);
        bench.Send("$PMTK103*30\r\n");
        bench.Run(100);
        return static_cast<int64_t>(bench.receiver->FixDueMs()) - 3000;
    };
    std::set<int64_t> seen;
    for (uint64_t seed = 1; seed <= 6; ++seed) {
        const int64_t d = due(seed);
        EXPECT_EQ(d, due(seed));
        EXPECT_GE(d, 30000 - 100);
        EXPECT_LE(d, 40000 + 100);
        seen.insert(d);
    }
    EXPECT_GT(seen.size(), 3u);
}

TEST(Faults, LineFaultsAreDeterministic) {
    struct Row {
        std::string Fault;
        std::function<void(const std::string& clean, const std::string& faulty)> Check;
    };
    const std::vector<Row> rows = {
        {"bit-errors=1e-3",
         [](const std::string& clean, const std::string& faulty) {
             EXPECT_EQ(clean.size(), faulty.size());
             EXPECT_LT(ValidSentences(faulty), ValidSentences(clean));
             EXPECT_GT(ValidSentences(faulty), ValidSentences(clean) / 2);
         }},
        {"drop=1e-3",
         [](const std::string& clean, const std::string& faulty) {
             EXPECT_LT(faulty.size(), clean.size());
             EXPECT_GT(faulty.size(), clean.size() * 99 / 100);
         }},
        {"garbage=200@2",
         [](const std::string& clean, const std::string& faulty) {
             EXPECT_GE(faulty.size(), clean.size() + 4 * 200);
         }},
        {"silence=3:4",
         [](const std::string& clean, const std::string& faulty) {
             EXPECT_LT(faulty.size(), clean.size() * 7 / 10);
         }},
        {"no-crlf=0.2",
         [](const std::string& clean, const std::string& faulty) {
             EXPECT_LT(Lines(faulty).size(), Lines(clean).size());
         }},
        {"long-lines",
         [](const std::string&, const std::string& faulty) {
             int longLines = 0;
             for (const auto& line : Lines(faulty))
                 if (line.size() > 100 && IsValidSentence(line)) ++longLines;
             EXPECT_GE(longLines, 8);
         }},
    };
    SimConfig clean = Config("mtk");
    Bench cleanBench(clean);
    cleanBench.Run(10000);
    const std::string cleanOut = cleanBench.Take();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Fault);
        SimConfig config = clean;
        std::string error;
        ASSERT_TRUE(ApplySetting(config, "fault", row.Fault, error)) << error;
        Bench a(config);
        a.Run(10000);
        Bench b(config);
        b.Run(10000);
        const std::string out = a.Take();
        EXPECT_EQ(out, b.Take());
        row.Check(cleanOut, out);
    }
}

TEST(Faults, VanishingDeviceRaisesAnIoErrorAndGoesQuiet) {
    SimConfig config = Config("mtk");
    config.Faults.VanishAfterSeconds = 3;
    Bench bench(config);
    bench.Run(5000);
    EXPECT_TRUE(bench.receiver->Vanished());
    EXPECT_NE(bench.port.TakeLineErrors() & kLineErrorIO, 0u);
    bench.Take();
    bench.Send("$PMTK605*31\r\n");
    bench.Run(3000);
    EXPECT_TRUE(bench.Take().empty());
}

TEST(ForwardMode, FiveEscapeCharactersBringTheBannerBack) {
    Bench bench(Config("mtk", "a"));
    bench.Run(3000);
    bench.Take();
    for (int i = 0; i < 5; ++i) {
        bench.Send("+");
        bench.Run(600);
    }
    bench.Run(500);
    EXPECT_TRUE(Contains(bench.Take(), "MERIDAN FW"));
}

}  // namespace
}  // namespace gnss::sim
