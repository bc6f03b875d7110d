// What a simulated source tells the tool's end of its line, and how the in-process attachment
// connects a source to a memory port and cuts it off again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/capture_replayer.h"
#include "sim_test_bench.h"

namespace gnss::sim {
namespace {

using testing::Bench;
using testing::Config;
using testing::Contains;

constexpr std::string_view kMtkColdRestart = "$PMTK103*30\r\n";

// The tool's end as a test sees it: everything the source says, recorded.
struct RecordingOutput final : SimSourceOutput {
    void Deliver(std::string_view bytes) override { Received += bytes; }
    [[nodiscard]] uint32_t ToolBaudRate() const override { return ToolBaud; }
    void DeviceVanished() override { ++VanishCalls; }
    void ReplayFinished() override { ++FinishCalls; }
    void Note(std::string_view text) override { Notes.emplace_back(text); }

    uint32_t ToolBaud = 0;
    std::string Received;
    std::vector<std::string> Notes;
    int VanishCalls = 0;
    int FinishCalls = 0;
};

// A receiver driven by its own virtual time, talking to a RecordingOutput.
struct DirectBench {
    explicit DirectBench(const SimConfig& config, uint32_t toolBaud = 0)
        : receiver(time, time, config) {
        output.ToolBaud = toolBaud;
        receiver.SetOutput(&output);
        receiver.Start();
    }
    VirtualTime time;
    SimulatedReceiver receiver;
    RecordingOutput output;
};

TEST(SourceOutput, ToolRateZeroMeansTheReceiversOwnRate) {
    DirectBench unknown(Config("mtk"), 0);
    DirectBench same(Config("mtk"), unknown.receiver.BaudRate());
    DirectBench other(Config("mtk"), unknown.receiver.BaudRate() * 4);
    for (DirectBench* b : {&unknown, &same, &other}) b->time.Advance(4000);
    EXPECT_TRUE(Contains(unknown.output.Received, "$GP"));
    EXPECT_EQ(unknown.output.Received, same.output.Received);
    EXPECT_NE(unknown.output.Received, other.output.Received);
}

TEST(SourceOutput, NotesNameTheCommandsUnderstood) {
    DirectBench bench(Config("mtk"));
    bench.time.Advance(3000);
    EXPECT_TRUE(bench.output.Notes.empty());  // plain output is not worth a note
    bench.receiver.Input(kMtkColdRestart);
    bench.time.Advance(500);
    EXPECT_EQ(bench.receiver.RestartCount(), 1);
    ASSERT_FALSE(bench.output.Notes.empty());
    EXPECT_EQ(bench.output.Notes.front(), "restart cold");
}

TEST(SourceOutput, VanishingIsToldOnceAndNothingFollows) {
    SimConfig config = Config("mtk");
    config.Faults.VanishAfterSeconds = 3;
    DirectBench bench(config);
    bench.time.Advance(5000);
    EXPECT_EQ(bench.output.VanishCalls, 1);
    ASSERT_FALSE(bench.output.Notes.empty());
    EXPECT_EQ(bench.output.Notes.back(), "vanished");
    // Reconnecting does not bring a vanished device back.
    bench.output.Received.clear();
    bench.receiver.SetOutput(&bench.output);
    bench.receiver.Input(kMtkColdRestart);
    bench.time.Advance(5000);
    EXPECT_TRUE(bench.output.Received.empty());
    EXPECT_EQ(bench.output.VanishCalls, 1);
    EXPECT_EQ(bench.receiver.RestartCount(), 0);
}

TEST(SourceOutput, DisconnectedReceiverTalksToNobodyUntilReconnected) {
    DirectBench bench(Config("mtk"));
    bench.time.Advance(2000);
    bench.receiver.SetOutput(nullptr);
    bench.output.Received.clear();
    bench.output.Notes.clear();
    bench.receiver.Input(kMtkColdRestart);  // still understood: only the output is gone
    bench.time.Advance(3000);
    EXPECT_TRUE(bench.output.Received.empty());
    EXPECT_TRUE(bench.output.Notes.empty());
    EXPECT_EQ(bench.receiver.RestartCount(), 1);
    bench.receiver.SetOutput(&bench.output);
    bench.time.Advance(3000);
    EXPECT_TRUE(Contains(bench.output.Received, "$GP"));
}

TEST(SourceOutput, ReplayFinishesOnceAfterItsLastByte) {
    const std::string capture = "$GPGGA,120000.000,,,,,0,00,,,M,,M,,*47\r\n";
    VirtualTime time;
    CaptureReplayer replayer(time, capture, {9600, false});
    RecordingOutput output;
    replayer.SetOutput(&output);
    replayer.Start();
    time.Advance(10);
    EXPECT_EQ(output.FinishCalls, 0);
    EXPECT_LT(output.Received.size(), capture.size());
    time.Advance(1000);
    EXPECT_EQ(output.Received, capture);
    EXPECT_EQ(output.FinishCalls, 1);
    time.Advance(1000);
    EXPECT_EQ(output.FinishCalls, 1);
}

TEST(MemoryPortAttachment, OnlyWritesThePortAcceptsReachTheReceiver) {
    Bench bench(Config("mtk"));
    bench.Run(3000);
    bench.port.FailWrites = true;
    bench.Send(kMtkColdRestart);
    bench.port.FailWrites = false;
    bench.port.Close();
    bench.Send(kMtkColdRestart);
    bench.Run(500);
    EXPECT_EQ(bench.receiver->RestartCount(), 0);
    (void)bench.port.Open();
    bench.Send(kMtkColdRestart);
    bench.Run(500);
    EXPECT_EQ(bench.receiver->RestartCount(), 1);
}

TEST(MemoryPortAttachment, DestroyingItCutsBothDirections) {
    Bench bench(Config("mtk"));
    bench.Run(3000);
    EXPECT_FALSE(bench.Take().empty());
    bench.attachment.reset();
    bench.Send(kMtkColdRestart);
    bench.Run(3000);
    EXPECT_TRUE(bench.Take().empty());
    EXPECT_EQ(bench.receiver->RestartCount(), 0);
}

}  // namespace
}  // namespace gnss::sim
