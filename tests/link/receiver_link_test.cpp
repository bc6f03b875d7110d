#include "link/receiver_link.h"

#include <gtest/gtest.h>

#include <vector>

#include "link/memory_receiver_port.h"

namespace gnss {
namespace {

TEST(SendToReceiver, ClosedFailingAndGoodWrites) {
    struct Case {
        const char* name;
        bool portOpenFlag;
        bool portOpen;
        bool failWrites;
        bool result;
        std::size_t writes;
    };
    const std::vector<Case> cases = {
        {"flag clear: port untouched", false, true, false, false, 0},
        {"all written", true, true, false, true, 1},
        {"short write", true, true, true, false, 0},
        {"flag set but port closed", true, false, false, false, 0},
    };
    for (const auto& c : cases) {
        MemoryReceiverPort port;
        if (c.portOpen) port.Open();
        port.FailWrites = c.failWrites;
        SharedState shared;
        shared.PortOpen = c.portOpenFlag;
        EXPECT_EQ(SendToReceiver(shared, port, "$PMTK101*32\r\n"), c.result) << c.name;
        EXPECT_EQ(port.Writes().size(), c.writes) << c.name;
    }
}

TEST(ReadLineErrors, NamesFlagsInOrderAndReportsIoAndClears) {
    struct Case {
        uint32_t flags;
        const char* text;
        bool io;
    };
    const std::vector<Case> cases = {
        {0, "<Ok>", false},
        {kLineErrorFrame, "<ComError:Frame>", false},
        {kLineErrorTxFull | kLineErrorFrame | kLineErrorIO, "<ComError:Frame,IO,TxFull>", true},
        {0xFF, "<ComError:Frame,Parity,Overrun,Break,IO,Mode,RxOver,TxFull>", true},
        {kLineErrorRxOver | kLineErrorParity, "<ComError:Parity,RxOver>", false},
    };
    for (const auto& c : cases) {
        MemoryReceiverPort port;
        port.RaiseLineErrors(c.flags);
        const LineErrorReport report = ReadLineErrors(port);
        EXPECT_EQ(report.Text, c.text);
        EXPECT_EQ(report.IoError, c.io) << c.text;
        EXPECT_EQ(ReadLineErrors(port).Text, "<Ok>");  // read clears
    }
}

}  // namespace
}  // namespace gnss
