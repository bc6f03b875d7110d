// The real receive path on the Qt adapters: bytes written on a pseudo-terminal come out of the
// dispatcher as lines, in order, driven by Qt timers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/link_state.h"
#include "link/receive_dispatch.h"
#include "link/sentence_chain.h"
#include "link/shared_state.h"
#include "nmea/receiver_state.h"
#include "platform/console_prompts.h"
#include "platform/qt_clock.h"
#include "platform/qt_receiver_port.h"
#include "platform/qt_scheduler.h"
#include "platform/qt_test_support.h"

namespace gnss {
namespace {

using testing::PtyPair;
using testing::WaitUntil;

TEST(QtReceivePath, LinesWrittenOnATerminalAreDispatchedInOrder) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    QtClock clock;
    QtScheduler scheduler;
    ConsolePrompts prompts(ConsolePrompts::Policy::AlwaysNo);
    SharedState shared;
    ReceiverState receiver;
    QtReceiverPort port;
    ReceiveDispatcher dispatcher(shared, receiver, port, clock, scheduler, prompts);
    std::vector<std::string> lines;
    dispatcher.Chain().Register(ChainSlot::Monitor, [&](SentenceContext& ctx) {
        lines.emplace_back(ctx.Line);
        return ChainStep::Continue;
    });

    port.SetPortName(pty.SlavePath());
    port.SetBaudRate(115200);
    ASSERT_TRUE(port.Open().Ok());
    pty.CloseSlave();
    shared.PortOpen = true;
    dispatcher.ResetLink();
    dispatcher.SetLinkState(LinkState::Unknown);
    dispatcher.EnableProcessingTimer();

    const std::vector<std::string> sent = {
        "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47",
        "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A",
        "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39",
    };
    // The first chunk makes the link NMEA; its lines wait for the next tick.
    ASSERT_TRUE(pty.WriteMaster(sent[0] + "\r\n"));
    ASSERT_TRUE(WaitUntil([&] { return dispatcher.State() == LinkState::Nmea; }));
    // The second line is split across two writes: it comes out whole once its CR LF arrives.
    const std::string second = sent[1] + "\r\n";
    ASSERT_TRUE(pty.WriteMaster(second.substr(0, 20)));
    ASSERT_TRUE(
        WaitUntil([&] { return dispatcher.RxBuffer().find("$GPRMC") != std::string::npos; }));
    ASSERT_TRUE(pty.WriteMaster(second.substr(20) + sent[2] + "\r\n"));
    ASSERT_TRUE(WaitUntil([&] { return lines.size() >= sent.size(); }));
    EXPECT_EQ(lines, sent);
    EXPECT_TRUE(dispatcher.RxBuffer().empty());

    port.Close();
}

}  // namespace
}  // namespace gnss
