#include "link/sentence_chain.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gnss {
namespace {

// Records the slots a line passes; one slot may end the chain.
struct Recorder {
    SentenceChain chain;
    std::vector<std::string> seen;

    void Add(ChainSlot slot, const std::string& name, ChainStep step = ChainStep::Continue) {
        chain.Register(slot, [this, name, step](SentenceContext&) {
            seen.push_back(name);
            return step;
        });
    }
};

TEST(SentenceChain, PositionDecidesOrderNotRegistration) {
    Recorder r;
    r.Add(ChainSlot::TtffMarkers, "ttff");
    r.Add(ChainSlot::Monitor, "monitor");
    r.Add(ChainSlot::DrStatus, "dr");
    r.Add(ChainSlot::AssistReplies, "epo");
    r.Add(ChainSlot::AssistReplies, "sgee");
    r.Add(ChainSlot::Recorder, "recorder");
    EXPECT_TRUE(r.chain.HandleSentence("$GPGGA,123519,4807.038,N*47"));
    EXPECT_EQ(r.seen,
              (std::vector<std::string>{"dr", "epo", "sgee", "monitor", "recorder", "ttff"}));
}

TEST(SentenceChain, BuiltInEndsAndConsumerEnds) {
    struct Case {
        const char* name;
        std::string line;
        ChainSlot endSlot;
        ChainStep endStep;
        bool result;
        std::vector<std::string> seen;
    };
    const ChainSlot none = ChainSlot::SensorAttitude;  // a slot no one ends in below
    const std::vector<Case> cases = {
        {"empty line reaches no one", "", none, ChainStep::Continue, false, {}},
        {"short line passes the early slots only",
         "$GPGGA,1",
         none,
         ChainStep::Continue,
         false,
         {"dr", "assist"}},
        {"no dollar", "xx$GPGGA,123519*00", none, ChainStep::Continue, false, {"dr", "assist"}},
        {"$PUN ends after the early slots",
         "$PUNV,START,1*00",
         none,
         ChainStep::Continue,
         false,
         {"dr", "assist"}},
        {"full pass",
         "$GPGGA,123519*00",
         none,
         ChainStep::Continue,
         true,
         {"dr", "assist", "attitude", "monitor", "ttff"}},
        {"early end false",
         "$GPGGA,123519*00",
         ChainSlot::DrStatus,
         ChainStep::EndFalse,
         false,
         {"dr"}},
        {"assist reply ends true before the length check",
         "$PMTK",
         ChainSlot::AssistReplies,
         ChainStep::EndTrue,
         true,
         {"dr", "assist"}},
        {"monitor ends false",
         "$GPGGA,123519*00",
         ChainSlot::Monitor,
         ChainStep::EndFalse,
         false,
         {"dr", "assist", "attitude", "monitor"}},
    };
    for (const auto& c : cases) {
        Recorder r;
        const auto step = [&](ChainSlot slot) {
            return slot == c.endSlot ? c.endStep : ChainStep::Continue;
        };
        r.Add(ChainSlot::DrStatus, "dr", step(ChainSlot::DrStatus));
        r.Add(ChainSlot::AssistReplies, "assist", step(ChainSlot::AssistReplies));
        r.Add(ChainSlot::SensorAttitude, "attitude", ChainStep::Continue);
        r.Add(ChainSlot::Monitor, "monitor", step(ChainSlot::Monitor));
        r.Add(ChainSlot::TtffMarkers, "ttff", step(ChainSlot::TtffMarkers));
        EXPECT_EQ(r.chain.HandleSentence(c.line), c.result) << c.name;
        EXPECT_EQ(r.seen, c.seen) << c.name;
    }
}

TEST(SentenceChain, ContextCarriesShownFromMonitorToRecorder) {
    SentenceChain chain;
    std::vector<std::string> recorded;
    chain.Register(ChainSlot::Recorder, [&](SentenceContext& ctx) {
        if (ctx.Shown) recorded.emplace_back(ctx.Line);
        return ChainStep::Continue;
    });
    chain.Register(ChainSlot::Monitor, [&](SentenceContext& ctx) {
        ctx.Shown = !ctx.Line.starts_with("$PMTK");
        return ChainStep::Continue;
    });
    chain.HandleSentence("$GPRMC,,,,*00");
    chain.HandleSentence("$PMTK001,604,3*32");
    EXPECT_EQ(recorded, (std::vector<std::string>{"$GPRMC,,,,*00"}));
    chain.Clear(ChainSlot::Recorder);
    chain.HandleSentence("$GPRMC,,,,*00");
    EXPECT_EQ(recorded.size(), 1u);
}

}  // namespace
}  // namespace gnss
