// Hostile and broken streams through the receive path: nothing crashes or hangs, the buffer
// stays within its designed bounds and good sentences after the garbage are still found.
//
// The designed bounds of the receive buffer:
//  - "NMEA": processed lines leave on every pass; what has no CR LF is cut to its first 512
//    bytes by the monitor step of every second without a decoded sentence. Between two such
//    steps a whole second of data may pile up, so up to 512 bytes + one second of data
//    (about 11.5 KB at 115200 bit/s) is expected. Without the monitor step wired the buffer
//    grows to the longest stretch of the stream without CR LF.
//  - "UNKNOW": cut to its last 128 bytes every second (180 before each NMEA detection).
//  - Any other state (SiRF question pending, stepping detection) is cut only by the feature
//    that owns it; the ring (10240 bytes) limits what a paused link can collect.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "frames/binary_frame.h"
#include "link/dispatch_fixture.h"
#include "nmea/nmea_checksum.h"

namespace gnss {
namespace {

using testing::DispatchFixture;

constexpr std::size_t kBytesPerTick = 806;  // 115200 bit/s in 70 ms
constexpr std::size_t kOneSecond = 15 * kBytesPerTick;

std::string Sentence(std::string_view body) {
    std::string s(body);
    s += NmeaChecksumSuffix(s);
    return s;
}

std::string RandomBytes(std::size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(rng() & 0xFF);
    return s;
}

// The monitor step's cut, as the monitor performs it once per second, and a decoder that takes
// every valid sentence for a GGA.
class MonitorStepStandIn final : public LinkListener, public SentenceDecoder {
  public:
    explicit MonitorStepStandIn(DispatchFixture& f) : f_(f) {
        f.dispatcher.AddListener(*this);
        f.dispatcher.SetDecoder(this);
        f.dispatcher.SetSecondTimerEnabled(true);
    }
    void OnNmeaSecond(bool) override {
        auto& counters = f_.dispatcher.Counters();
        if (counters.NewSentenceFlag) {
            counters.NewSentenceFlag = false;
        } else {
            f_.dispatcher.CutRxBufferTo(512);
        }
    }
    SentenceKind DecodeSentence(std::string_view line, SentenceKind) override {
        return IsValidSentence(line) ? SentenceKind::Gga : SentenceKind::None;
    }
    BlockEnds CloseEndedBlocks(SentenceKind, SentenceKind) override { return {}; }

  private:
    DispatchFixture& f_;
};

struct BadStream {
    const char* name;
    std::string bytes;
};

std::vector<BadStream> BadStreams() {
    std::string farUbx("\xB5\x62\x01\x02\xFF\xFF", 6);
    std::string farHd("\xF1\xD9\x0B\x32\xF0\xFF", 6);
    std::string unaccepted = BuildUbxFrame(0x0C, 0x01, "dbg") + BuildHdFrame(0x0D, 0x01, "x");
    return {
        {"random", RandomBytes(300000, 7)},
        {"nul bytes", std::string(100000, '\0')},
        {"bare CR", std::string(100000, '\r')},
        {"bare LF", std::string(100000, '\n')},
        {"LF CR pairs",
         [] {
             std::string s;
             for (int i = 0; i < 50000; ++i) s += "\n\r";
             return s;
         }()},
        {"two megabytes without CR LF", std::string(2u << 20, 'A')},
        {"frames pointing far past the data", farUbx + farHd + std::string(40000, 'z')},
        {"repeated sync pairs",
         [] {
             std::string s;
             for (int i = 0; i < 30000; ++i) s += "\xB5\x62\xF1\xD9";
             return s;
         }()},
        {"unaccepted classes",
         [&] {
             std::string s;
             for (int i = 0; i < 5000; ++i) s += unaccepted;
             return s;
         }()},
    };
}

TEST(BadInput, NmeaStateStaysBoundedAndRecovers) {
    const std::string gga = Sentence("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,M,,");
    const std::vector<ReceiverFamily> families = {ReceiverFamily::Unknown, ReceiverFamily::ublox,
                                                  ReceiverFamily::HED, ReceiverFamily::MTK};
    for (const auto& stream : BadStreams()) {
        for (ReceiverFamily family : families) {
            SCOPED_TRACE(std::string(stream.name) + " / family " +
                         std::to_string(static_cast<int>(family)));
            DispatchFixture f;
            f.shared.Family = family;
            f.shared.ReceiverIdentified = true;
            f.shared.UbxReplyDeadline = 1 << 30;
            f.shared.HedReplyDeadline = 1 << 30;
            f.shared.AntennaStatusExpected = true;
            MonitorStepStandIn step(f);
            std::size_t largest = 0;
            for (std::size_t at = 0; at < stream.bytes.size(); at += kBytesPerTick) {
                f.FeedTick(std::string_view(stream.bytes).substr(at, kBytesPerTick));
                largest = std::max(largest, f.dispatcher.RxBuffer().size());
            }
            EXPECT_LE(largest, 512 + kOneSecond);
            // A far-pointing frame header may still sit in the buffer; a line end and a good
            // sentence after it are found all the same.
            f.FeedTick("\r\n" + gga + "\r\n");
            ASSERT_FALSE(f.lines.empty());
            EXPECT_EQ(f.lines.back(), gga);
        }
    }
}

TEST(BadInput, UnknownStateIsCutEverySecond) {
    for (const auto& stream : BadStreams()) {
        SCOPED_TRACE(stream.name);
        DispatchFixture f(LinkState::Unknown);
        std::size_t largest = 0;
        for (std::size_t at = 0; at < stream.bytes.size(); at += kBytesPerTick) {
            f.FeedTick(std::string_view(stream.bytes).substr(at, kBytesPerTick));
            largest = std::max(largest, f.dispatcher.RxBuffer().size());
        }
        // Random bytes may contain "$GP" and switch to NMEA, where lines leave each pass.
        if (f.dispatcher.State() == LinkState::Unknown) {
            EXPECT_LE(largest, 180 + kOneSecond);
        }
    }
}

TEST(BadInput, WithoutCrLfTheNmeaBufferStaysWithin512PlusOneSecond) {
    DispatchFixture f;
    MonitorStepStandIn step(f);
    const std::string noLineEnd = std::string(1000, 'x') + "$GPGGA,1,2,3";
    std::size_t largest = 0;
    for (int tick = 0; tick < 200; ++tick) {
        f.FeedTick(std::string_view(noLineEnd).substr(0, kBytesPerTick));
        largest = std::max(largest, f.dispatcher.RxBuffer().size());
        EXPECT_LE(f.dispatcher.RxBuffer().size(), 512 + kOneSecond);
    }
    EXPECT_GT(largest, 512u);  // the bound is the second's data, not a cut per tick
}

}  // namespace
}  // namespace gnss
