#include <gtest/gtest.h>

#include "base/virtual_time.h"
#include "doubles/scripted_prompts.h"
#include "link/memory_receiver_port.h"
#include "link/receive_dispatch.h"

namespace gnss {
namespace {

// The first data after a connect often carries the receiver's start-up texts. When the link is
// recognised as NMEA, identification must be able to arm at once (it arms only while the
// one-second timer runs), or those texts are processed before anybody looks at them.
TEST(IdentificationStart, TheOneSecondTimerRunsWhenIdentificationStarts) {
    VirtualTime time;
    MemoryReceiverPort port;
    testing::ScriptedPrompts prompts;
    SharedState shared;
    ReceiverState receiver;
    ReceiveDispatcher dispatcher(shared, receiver, port, time, time, prompts);
    bool timerRunningAtStart = false;
    int starts = 0;
    dispatcher.Hooks.StartIdentification = [&] {
        ++starts;
        timerRunningAtStart = dispatcher.SecondTimerEnabled();
    };
    (void)port.Open();
    shared.PortOpen = true;
    dispatcher.SetLinkState(LinkState::Unknown);
    dispatcher.EnableProcessingTimer();
    ASSERT_FALSE(dispatcher.SecondTimerEnabled());

    port.Feed(
        "$PMTK011,MTKGPS*08\r\n$PMTK705,AXN_5.1.6_3333_18112800,0001,ZK-48,1.0*00\r\n"
        "$GPGGA,092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,*76\r\n");
    time.Advance(70);

    EXPECT_EQ(dispatcher.State(), LinkState::Nmea);
    EXPECT_EQ(starts, 1);
    EXPECT_TRUE(timerRunningAtStart);
}

}  // namespace
}  // namespace gnss
