#include "views/monitor_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/virtual_time.h"
#include "link/memory_receiver_port.h"
#include "nmea/time_text.h"
#include "views/debug_memo.h"
#include "views/nmea_monitor_view.h"

namespace gnss {
namespace {

std::vector<std::string> Numbered(int from, int count) {
    std::vector<std::string> lines;
    for (int i = from; i < from + count; ++i) lines.push_back("$GPGGA," + std::to_string(i));
    return lines;
}

TEST(MonitorLineBuffer, BatchAppendSelectsTheLastLineAndReportsTheAppendedCount) {
    MonitorLineBuffer buffer;
    EXPECT_EQ(buffer.SelectedLine(), -1);
    buffer.AppendBatch(Numbered(0, 2000));
    EXPECT_EQ(buffer.LineCount(), 2000u);
    EXPECT_EQ(buffer.SelectedLine(), 1999);
    const MonitorViewChanges changes = buffer.TakeChanges();
    EXPECT_FALSE(changes.Reset);
    EXPECT_EQ(changes.Appended, 2000u);
    EXPECT_EQ(changes.RemovedFromTop, 0u);
    EXPECT_FALSE(buffer.TakeChanges().Any());
}

TEST(MonitorLineBuffer, CapCutsToTheNewestLinesAndTellsTheViewWhatItLost) {
    struct Row {
        int Known;     // lines the view has already seen
        int Appended;  // lines added since
        std::size_t Removed;
        std::size_t NewForView;
    };
    const Row rows[] = {
        {2400, 1, 482, 1},         // 2401 lines: the newest 1919 stay
        {2000, 2000, 2000, 1919},  // the cut takes all known lines and 81 new ones
        {0, 5000, 0, 1919},        // the view never saw the lines that were cut
        {2400, 0, 0, 0},           // exactly at the limit: nothing is cut
    };
    for (const Row& row : rows) {
        MonitorLineBuffer buffer;
        buffer.AppendBatch(Numbered(0, row.Known));
        buffer.TakeChanges();
        buffer.AppendBatch(Numbered(row.Known, row.Appended));
        const std::size_t total = static_cast<std::size_t>(row.Known + row.Appended);
        const std::size_t expectedCount = total > 2400 ? 1919 : total;
        EXPECT_EQ(buffer.LineCount(), expectedCount) << row.Known << "+" << row.Appended;
        const MonitorViewChanges changes = buffer.TakeChanges();
        EXPECT_EQ(changes.RemovedFromTop, row.Removed) << row.Known << "+" << row.Appended;
        EXPECT_EQ(changes.Appended, row.NewForView) << row.Known << "+" << row.Appended;
        // The view's arithmetic must land on the same line count.
        EXPECT_EQ(static_cast<std::size_t>(row.Known) - changes.RemovedFromTop + changes.Appended,
                  buffer.LineCount());
        if (buffer.LineCount() > 0) {
            EXPECT_EQ(buffer.Line(buffer.LineCount() - 1),
                      "$GPGGA," + std::to_string(row.Known + row.Appended - 1));
            EXPECT_EQ(buffer.SelectedLine(), static_cast<std::ptrdiff_t>(buffer.LineCount()) - 1);
        }
    }
}

TEST(MonitorLineBuffer, LinesArePlainUntilColouringIsSwitchedOn) {
    MonitorLineBuffer buffer;
    buffer.SetColorOf([](std::string_view line) -> Rgb {
        return line.find("RMC") != std::string_view::npos ? 0x7BF700 : 0xFFFFFF;
    });
    buffer.Append("$GPRMC,1");
    buffer.TakeChanges();
    EXPECT_EQ(buffer.LineColor(0), 0xFFFFFFu);
    buffer.SetColoured(true);
    EXPECT_EQ(buffer.LineColor(0), 0x7BF700u);
    EXPECT_EQ(buffer.LineColor(7), 0xFFFFFFu);  // outside the list: plain, no crash
    EXPECT_TRUE(buffer.Coloured());

    buffer.Clear();
    EXPECT_EQ(buffer.LineCount(), 0u);
    EXPECT_EQ(buffer.SelectedLine(), -1);
    EXPECT_TRUE(buffer.TakeChanges().Reset);
}

TEST(DebugMemo, StampsEachLineAndKeepsTheNewestThousand) {
    DebugMemo memo;
    const DateTime at = *TryEncodeDateTime(2024, 5, 1, 13, 4, 5, 67);
    memo.Add(at, "<Ok>");
    ASSERT_EQ(memo.Lines().size(), 1u);
    EXPECT_EQ(memo.Lines()[0], "[13:04:05.067]<Ok>");
    auto changes = memo.TakeChanges();
    EXPECT_EQ(changes.Appended, 1u);

    for (int i = 0; i < 1500; ++i) memo.Add(at, std::to_string(i));
    EXPECT_EQ(memo.Lines().size(), DebugMemo::kMaxLines);
    EXPECT_EQ(memo.Lines().back(), "[13:04:05.067]1499");
    changes = memo.TakeChanges();
    EXPECT_FALSE(changes.Reset);
    EXPECT_EQ(changes.Appended, DebugMemo::kMaxLines);

    memo.Clear();
    EXPECT_TRUE(memo.TakeChanges().Reset);
    EXPECT_TRUE(memo.Lines().empty());
}

class NoLog final : public LogLineSink {
  public:
    [[nodiscard]] bool LogActive() const override { return false; }
    void LogAppend(std::string_view) override {}
    [[nodiscard]] std::size_t PendingLineCount() const override { return 0; }
    void LogHandover() override {}
};

TEST(NmeaMonitorView, ShowsTheMonitorsLinesColoursAndChanges) {
    VirtualTime time;
    SharedState shared;
    ReceiverState receiver;
    NoLog log;
    MemoryReceiverPort port;
    NmeaMonitor monitor(time, shared, receiver, log, port);
    NmeaMonitorView view(monitor);

    monitor.MonitorAddLine("$GPRMC,1");
    monitor.MonitorAddLine("  <note>");
    EXPECT_EQ(view.LineCount(), 2u);
    EXPECT_EQ(view.Line(1), "  <note>");
    EXPECT_EQ(view.SelectedLine(), 1);
    EXPECT_FALSE(view.Coloured());
    EXPECT_EQ(view.LineColor(0), 0xFFFFFFu);
    const MonitorViewChanges changes = view.TakeChanges();
    EXPECT_EQ(changes.Appended, 2u);

    shared.ReceiverIdentified = true;
    EXPECT_TRUE(view.Coloured());
    EXPECT_EQ(view.LineColor(0), 0x7BF700u);
}

}  // namespace
}  // namespace gnss
