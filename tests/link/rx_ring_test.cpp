#include "link/rx_ring.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/memory_receiver_port.h"

namespace gnss {
namespace {

std::string Pattern(std::size_t n, std::size_t seed = 0) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (seed + i) % 26);
    return s;
}

struct RingFixture {
    RingFixture() {
        port.Open();
        port.OnReadyRead = [this](std::size_t n) { ring.Deliver(port, n); };
    }
    MemoryReceiverPort port;
    RxRing ring;
};

TEST(RxRing, DeliveriesAndTakesFollowArrivalOrderAcrossTheEnd) {
    // Each row: bytes fed before each take; the ring must return them in order with the
    // positions and the overrun count given.
    struct Step {
        std::size_t fed;
        std::size_t writePos;
        uint64_t overruns;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const std::vector<Case> cases = {
        {"small", {{5, 6, 0}, {7, 13, 0}}},
        {"exactly to the end", {{RxRing::kSize - 1, RxRing::kSize, 0}, {1, 1, 0}}},
        {"across the end", {{10000, 10001, 0}, {500, 261, 0}}},
        {"wrap to position 1 exactly",
         {{RxRing::kSize - 1, RxRing::kSize, 0}, {1, 1, 0}, {3, 4, 0}}},
    };
    for (const auto& c : cases) {
        RingFixture f;
        std::size_t seed = 0;
        for (const auto& step : c.steps) {
            const std::string bytes = Pattern(step.fed, seed);
            seed += step.fed;
            f.port.Feed(bytes);
            EXPECT_EQ(f.ring.RxWritePos(), step.writePos) << c.name;
            EXPECT_EQ(f.ring.Size(), step.fed) << c.name;
            EXPECT_EQ(f.ring.RxTakeAll(), bytes) << c.name;
            EXPECT_EQ(f.ring.RxReadPos(), f.ring.RxWritePos()) << c.name;
            EXPECT_EQ(f.ring.RxOverruns(), step.overruns) << c.name;
        }
    }
}

TEST(RxRing, OverrunsCountEveryCatchUpAndKeepOnlyTheBytesAfterIt) {
    struct Case {
        std::size_t readPosBefore;  // 1-based, set by an earlier fill and take
        std::size_t fed;
        uint64_t overruns;
        std::size_t takeSize;  // what the next take returns
    };
    const std::vector<Case> cases = {
        {1, RxRing::kSize - 1, 0, RxRing::kSize - 1},  // full but not caught up
        {1, RxRing::kSize, 1, 0},                      // caught up: reads as empty
        {1, RxRing::kSize + 10, 1, 10},
        {1, 2 * RxRing::kSize + 3, 2, 3},
        {5001, RxRing::kSize, 1, 0},
        {5001, RxRing::kSize + 1, 1, 1},
        {RxRing::kSize, 1, 0, 1},
        {RxRing::kSize, RxRing::kSize, 1, 0},
    };
    for (const auto& c : cases) {
        RingFixture f;
        if (c.readPosBefore > 1) {
            f.port.Feed(Pattern(c.readPosBefore - 1));
            (void)f.ring.RxTakeAll();
        }
        ASSERT_EQ(f.ring.RxReadPos(), c.readPosBefore);
        const std::string bytes = Pattern(c.fed, 3);
        f.port.Feed(bytes);
        EXPECT_EQ(f.ring.RxOverruns(), c.overruns) << c.readPosBefore << "+" << c.fed;
        const std::string taken = f.ring.RxTakeAll();
        EXPECT_EQ(taken, bytes.substr(bytes.size() - c.takeSize))
            << c.readPosBefore << "+" << c.fed;
    }
}

TEST(RxRing, EmptyTakeLeavesPositionsAndTheCallersStringEmpty) {
    RingFixture f;
    f.port.Feed("abc");
    (void)f.ring.RxTakeAll();
    std::string out = "stale";
    f.ring.RxTakeAll(out);
    EXPECT_EQ(out, "");
    EXPECT_EQ(f.ring.RxReadPos(), 4u);
    EXPECT_EQ(f.ring.RxWritePos(), 4u);
}

TEST(RxRing, ResetReturnsToPositionOneAndKeepsCounters) {
    RingFixture f;
    f.port.Feed(Pattern(RxRing::kSize));
    f.ring.Reset();
    EXPECT_EQ(f.ring.RxWritePos(), 1u);
    EXPECT_EQ(f.ring.RxReadPos(), 1u);
    EXPECT_TRUE(f.ring.Empty());
    EXPECT_EQ(f.ring.RxOverruns(), 1u);
}

// A port whose read announces more data while the first delivery is still copying.
class ReenteringPort final : public ReceiverPort {
  public:
    void SetPortName(const std::string&) override {}
    [[nodiscard]] std::string PortName() const override { return {}; }
    void SetBaudRate(uint32_t) override {}
    [[nodiscard]] uint32_t BaudRate() const override { return 9600; }
    PortOpenResult Open() override { return {}; }
    void Close() override {}
    [[nodiscard]] bool IsOpen() const override { return true; }
    void SetDtr(bool) override {}
    void SetRts(bool) override {}
    [[nodiscard]] bool Dtr() const override { return true; }
    [[nodiscard]] bool Rts() const override { return true; }
    bool Write(std::string_view) override { return true; }
    [[nodiscard]] std::size_t BytesAvailable() const override { return pending.size(); }
    std::size_t Read(char* buffer, std::size_t maxBytes) override {
        const std::size_t n = std::min(maxBytes, pending.size());
        pending.copy(buffer, n);
        pending.erase(0, n);
        if (!late.empty()) {
            pending += late;
            late.clear();
            if (OnReadyRead) OnReadyRead(pending.size());
        }
        return n;
    }
    uint32_t TakeLineErrors() override { return 0; }

    std::string pending;
    std::string late;
};

TEST(RxRing, EventDuringADeliveryIsCountedAndItsBytesComeWithTheNextOne) {
    ReenteringPort port;
    RxRing ring;
    port.OnReadyRead = [&](std::size_t n) { ring.Deliver(port, n); };
    port.pending = "first";
    port.late = "second";
    port.OnReadyRead(port.pending.size());
    EXPECT_EQ(ring.RxMissedEvents(), 1u);
    EXPECT_FALSE(ring.RxBusy());
    EXPECT_EQ(ring.RxTakeAll(), "first");
    port.OnReadyRead(port.pending.size());
    EXPECT_EQ(ring.RxTakeAll(), "second");
}

TEST(RxRing, DeliveryReadsAtMostTheAnnouncedCount) {
    MemoryReceiverPort port;
    port.Open();
    RxRing ring;
    port.Feed("abcdef", false);
    ring.Deliver(port, 4);
    EXPECT_EQ(ring.RxTakeAll(), "abcd");
    EXPECT_EQ(port.BytesAvailable(), 2u);
}

}  // namespace
}  // namespace gnss
