#include <gtest/gtest.h>

#include "base/virtual_time.h"
#include "control/receiver_identification.h"
#include "doubles/scripted_prompts.h"
#include "link/memory_receiver_port.h"
#include "link/receive_pipeline.h"

namespace gnss {
namespace {

// Identification plugged into a receive path whose link is not yet recognised.
struct Station {
    Station() {
        pipeline.Dispatcher.AddListener(identification);
        (void)port.Open();
        pipeline.Shared.PortOpen = true;
        pipeline.Dispatcher.SetLinkState(LinkState::Unknown);
        pipeline.Dispatcher.EnableProcessingTimer();
    }

    VirtualTime time;
    MemoryReceiverPort port;
    testing::ScriptedPrompts prompts;
    ReceivePipeline pipeline{port, time, time, prompts};
    ReceiverIdentification identification{pipeline, port, time};
};

constexpr std::string_view kStartUpTexts =
    "$PMTK011,MTKGPS*08\r\n$PMTK705,AXN_5.1.6_3333_18112800,0001,ZK-48,1.0*00\r\n"
    "$GPGGA,092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,*76\r\n";

// The first data after a connect often carries the receiver's start-up texts. When the link is
// recognised as NMEA, identification must arm at once (it arms only while the one-second timer
// runs), or those texts are processed before anybody looks at them.
TEST(IdentificationStart, ArmsWhenTheLinkIsRecognisedAndReadsTheStartUpTexts) {
    Station s;
    ASSERT_FALSE(s.pipeline.Dispatcher.SecondTimerEnabled());
    s.port.Feed(kStartUpTexts);
    s.time.Advance(70);

    EXPECT_EQ(s.pipeline.Dispatcher.State(), LinkState::Nmea);
    EXPECT_TRUE(s.pipeline.Shared.IdentificationPending);
    EXPECT_EQ(s.pipeline.Shared.IdentificationAttempts, 1);

    // The next data brings the next pass, which reads the buffer the texts are in.
    s.port.Feed("$GPGSA,A,1,,,,,,,,,,,,,,,*1E\r\n");
    s.time.Advance(70);
    EXPECT_TRUE(s.pipeline.Shared.ReceiverIdentified);
    EXPECT_EQ(s.pipeline.Shared.Family, ReceiverFamily::MTK);
}

TEST(IdentificationStart, AnIdentifiedReceiverIsNotArmedAgain) {
    Station s;
    s.pipeline.Shared.ReceiverIdentified = true;
    s.port.Feed(kStartUpTexts);
    s.time.Advance(70);
    EXPECT_EQ(s.pipeline.Dispatcher.State(), LinkState::Nmea);
    EXPECT_FALSE(s.pipeline.Shared.IdentificationPending);
    EXPECT_EQ(s.pipeline.Shared.IdentificationAttempts, 0);
}

}  // namespace
}  // namespace gnss
