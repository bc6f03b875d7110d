// Every simulated family against what the tool reads from a receiver: the version texts or
// frames its identification rule needs, and each restart command acknowledged, the fix dropped
// and regained.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "sim/family_profiles.h"
#include "sim/sim_bytes.h"
#include "sim_test_bench.h"

namespace gnss::sim {
namespace {

using testing::Bench;
using testing::Config;
using testing::Contains;

// Text from `pattern` (found at or after `from`) up to the next "*", if a "*" follows.
std::optional<std::string> UpToStar(const std::string& buf, std::string_view pattern) {
    const auto at = buf.find(pattern);
    if (at == std::string::npos) return std::nullopt;
    const auto star = buf.find('*', at);
    if (star == std::string::npos) return std::nullopt;
    return buf.substr(at, star - at);
}

std::vector<std::string> SplitAny(std::string_view text, std::string_view separators) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (true) {
        const auto end = text.find_first_of(separators, start);
        out.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return out;
}

// First complete frame of a protocol in the buffer, if any.
std::optional<std::string> FirstFrame(const std::string& buf, std::string_view sync,
                                      uint8_t cls = 0, uint8_t id = 0, bool anyClass = true) {
    std::size_t pos = 0;
    while ((pos = buf.find(sync, pos)) != std::string::npos) {
        if (pos + 6 <= buf.size()) {
            const std::size_t len =
                static_cast<uint8_t>(buf[pos + 4]) |
                (static_cast<std::size_t>(static_cast<uint8_t>(buf[pos + 5])) << 8);
            if (pos + len + 8 <= buf.size()) {
                const std::string frame = buf.substr(pos, len + 8);
                if (SimFrameValid(frame) && (anyClass || (static_cast<uint8_t>(frame[2]) == cls &&
                                                          static_cast<uint8_t>(frame[3]) == id)))
                    return frame;
            }
        }
        ++pos;
    }
    return std::nullopt;
}

// The recogniser chain as small predicates, in the order the tool tries them; the first that
// matches names the family.
struct RulePredicate {
    std::string Name;
    ReceiverFamily Family;
    std::function<bool(const std::string&)> Matches;
};

bool MtkReleaseMatches(const std::string& buf, const std::function<bool(const std::string&)>& f) {
    if (!Contains(buf, "$PMTK705") || Contains(buf, "CMS2")) return false;
    return f(buf);
}

std::vector<RulePredicate> Chain() {
    const std::string stPatterns[] = {"$PMDTVER,STGG.B",         "$GPTXT,ST-",
                                      "$PSTMSETPAR,1500,ST-",    "$PSTMSETPAR,1500, ST-",
                                      "$PSTMSETPAR,1500,STGPS_", "$PSTMSETPAR,1500,STG",
                                      "$PSTMSETPAR,1500,STD",    "$PSTMSETPAR,1500,STBB_",
                                      "$PSTMSETPAR,1500,STU",    "$PMDTVER,ST"};
    std::vector<RulePredicate> chain;
    chain.push_back({"tdk", ReceiverFamily::TDK_DR, [](const std::string& b) {
                         return UpToStar(b, "$PINVMVER,R20").has_value();
                     }});
    chain.push_back({"st", ReceiverFamily::ST, [stPatterns](const std::string& b) {
                         for (const auto& p : stPatterns) {
                             const auto at = b.find(p);
                             if (at != std::string::npos)
                                 return b.find("\r\n", at) != std::string::npos;
                         }
                         return false;
                     }});
    chain.push_back({"mxt", ReceiverFamily::MXT, [](const std::string& b) {
                         return UpToStar(b, "$PDTINFO,MXT").has_value() ||
                                UpToStar(b, "$PDTINFO,MZ").has_value();
                     }});
    chain.push_back({"rtk", ReceiverFamily::RTK_DF, [](const std::string& b) {
                         for (auto p : {"$PMDR,RTK_DF,", "$PMDR,ZEBU_PLOW,", "$PMDR,ZEBU,",
                                        "$PMDR,RTK_MH", "$PMDR,ZEBU_"})
                             if (UpToStar(b, p)) return true;
                         return false;
                     }});
    chain.push_back({"mtk-a", ReceiverFamily::MTK,
                     [](const std::string& b) { return Contains(b, "MERIDAN FW"); }});
    chain.push_back({"mtk-b", ReceiverFamily::CM2, [](const std::string& b) {
                         return Contains(b, ".CMS") && UpToStar(b, "$PMDR,201").has_value();
                     }});
    chain.push_back({"mtk-c", ReceiverFamily::MTK, [](const std::string& b) {
                         return MtkReleaseMatches(b, [](auto& s) { return Contains(s, "ZK-48"); });
                     }});
    chain.push_back({"mtk-d", ReceiverFamily::MTK, [](const std::string& b) {
                         return MtkReleaseMatches(b, [](auto& s) { return Contains(s, "_3337_"); });
                     }});
    chain.push_back({"mtk-e", ReceiverFamily::MTK, [](const std::string& b) {
                         return MtkReleaseMatches(b, [](auto& s) {
                             return Contains(s, "ZK-WRE") || Contains(s, "ZK-RE") ||
                                    Contains(s, "ZK-RR");
                         });
                     }});
    chain.push_back({"mtk-f", ReceiverFamily::MTK, [](const std::string& b) {
                         return MtkReleaseMatches(b, [](auto& s) {
                             return Contains(s, "ZK-RV") || Contains(s, "AXN_3.60_3333");
                         });
                     }});
    chain.push_back({"mtk-g", ReceiverFamily::MTK, [](const std::string& b) {
                         if (!MtkReleaseMatches(b, [](auto& s) { return !Contains(s, "URANUS"); }))
                             return false;
                         const auto release = UpToStar(b, "$PMTK705");
                         return release && Contains(*release, "ZK-") &&
                                std::count(release->begin(), release->end(), ',') >= 3;
                     }});
    chain.push_back({"sirf5", ReceiverFamily::SiRF5, [](const std::string& b) {
                         const auto at = b.find("$PSRF195,5x");
                         return at != std::string::npos && b.find('*', at) != std::string::npos;
                     }});
    chain.push_back({"sirf4", ReceiverFamily::SiRF4, [](const std::string& b) {
                         const auto at = b.find("$PSRF195,GSD4e_4");
                         return at != std::string::npos && b.find('*', at) != std::string::npos;
                     }});
    chain.push_back({"sirf/cms", ReceiverFamily::SiRF, [](const std::string& b) {
                         if (Contains(b, ".TMC")) return false;
                         const auto at = b.find(",GS");
                         return at != std::string::npos && b.find('*', at) != std::string::npos;
                     }});
    chain.push_back({"furuno", ReceiverFamily::Furuno, [](const std::string& b) {
                         const auto at = b.find("SYS,VER");
                         if (at == std::string::npos) return false;
                         const auto star = b.find('*', at);
                         return star != std::string::npos && star - at > 36;
                     }});
    chain.push_back({"hd-text", ReceiverFamily::HED, [](const std::string& b) {
                         const auto text = UpToStar(b, "$PMDR,VER");
                         return text && !Contains(*text, ",ZK-");
                     }});
    chain.push_back({"hd-binary", ReceiverFamily::HED, [](const std::string& b) {
                         const auto info = FirstFrame(b, "\xF1\xD9", 0x0A, 0x05, false);
                         const auto ver = FirstFrame(b, "\xF1\xD9", 0x0A, 0x04, false);
                         if (!info || !ver || ver->size() != 40) return false;
                         const std::string hardware = ver->substr(6 + 16, 16);
                         const bool hasInfo = info->size() > 8;
                         return hasInfo || Contains(hardware, "8040D") ||
                                Contains(hardware, "8041D");
                     }});
    chain.push_back({"ublox/ttt", ReceiverFamily::ublox, [](const std::string& b) {
                         const auto frame = FirstFrame(b, "\xB5\x62");
                         return frame && (*frame)[2] == 0x0A && (*frame)[3] == 0x04;
                     }});
    chain.push_back({"tmc", ReceiverFamily::TMC, [](const std::string& b) {
                         return Contains(b, ",\"MDTMC") ||
                                (Contains(b, ",\"MDTech") && Contains(b, ",GSW"));
                     }});
    chain.push_back({"unav", ReceiverFamily::uNav, [](const std::string& b) {
                         const auto text = UpToStar(b, "CFG_R,09");
                         if (!text) return false;
                         const std::string tag = SplitAny(text->substr(9), ",")[0];
                         if (Contains(tag, "UC-") || Contains(tag, "UT-")) {
                             const auto dashes = std::count(tag.begin(), tag.end(), '-');
                             return dashes == 3 || dashes == 4;
                         }
                         const auto fields = SplitAny(*text, ",*");
                         return fields.size() >= 7 && Contains(fields[6], "UBP");
                     }});
    chain.push_back(
        {"bcm", ReceiverFamily::BCM, [](const std::string& b) { return Contains(b, "$PGLOR"); }});
    return chain;
}

// The family the chain's first matching predicate points at, refined the way the rules split
// SiRF/CMS, ublox/TTT, TMC/SiRF and uNav/AH.
ReceiverFamily FirstMatch(const std::string& buffer, std::string& rule) {
    for (const auto& r : Chain()) {
        if (!r.Matches(buffer)) continue;
        rule = r.Name;
        if (r.Name == "sirf/cms") {
            const auto version = UpToStar(buffer, ",GS");
            if (Contains(*version, "GSD4e_")) return ReceiverFamily::SiRF4;
            return Contains(buffer, ".CMS") ? ReceiverFamily::CMS : ReceiverFamily::SiRF;
        }
        if (r.Name == "ublox/ttt") {
            const auto frame = FirstFrame(buffer, "\xB5\x62");
            const std::size_t length = frame->size() - 8;
            const bool odd = (length - 40) % 30 != 0;
            const std::string text = frame->substr(6, std::min<std::size_t>(length, 40));
            return odd || Contains(text, "QX-") || Contains(text, "TD10") ? ReceiverFamily::TTT
                                                                          : ReceiverFamily::ublox;
        }
        if (r.Name == "tmc" && !Contains(buffer, ",\"MDTMC")) return ReceiverFamily::SiRF;
        if (r.Name == "unav") {
            const auto tag = SplitAny(UpToStar(buffer, "CFG_R,09")->substr(9), ",")[0];
            return Contains(tag, "UC-") || Contains(tag, "UT-") ? ReceiverFamily::uNav
                                                                : ReceiverFamily::AH;
        }
        return r.Family;
    }
    rule = "none";
    return ReceiverFamily::Unknown;
}

// What the tool sends to families that are identified from a reply.
std::string QueriesFor(const FamilyProfile& p) {
    if (p.Family == ReceiverFamily::HED)
        return HexBytes("F1 D9 0A 05 00 00 0F 37") + HexBytes("F1 D9 0A 04 00 00 0E 34");
    if (p.Family == ReceiverFamily::ublox || p.Family == ReceiverFamily::TTT)
        return HexBytes("B5 62 0A 04 00 00 0E 34");
    if (p.Key == "mtk" && p.Variant == "a") return "$PMTK605*31\r\n";
    return {};
}

TEST(FamilyIdentification, EveryProfileSaysWhatItsRuleNeeds) {
    for (const auto& profile : FamilyProfiles()) {
        SCOPED_TRACE(profile.Key + "/" + profile.Variant);
        Bench bench(Config(profile.Key, profile.Variant));
        bench.Run(1500);
        const std::string query = QueriesFor(profile);
        if (!query.empty()) {
            // The HD module information poll comes a tick before the version poll.
            if (profile.Family == ReceiverFamily::HED) {
                bench.Send(query.substr(0, 8));
                bench.Run(1000);
                bench.Send(query.substr(8));
            } else {
                bench.Send(query);
            }
        }
        bench.Run(3000);
        const std::string buffer = bench.Take();
        std::string rule;
        EXPECT_EQ(FirstMatch(buffer, rule), profile.Family) << "matched rule " << rule;
        if (profile.Key == "mtk" && profile.Variant.size() == 1 && profile.Variant != "b") {
            EXPECT_EQ(rule, "mtk-" + profile.Variant);
        }
    }
}

TEST(FamilyIdentification, MtkAnswersTheReleaseQuery) {
    for (const char* variant : {"a", "c", "d", "e", "f", "g"}) {
        SCOPED_TRACE(variant);
        Bench bench(Config("mtk", variant));
        bench.Run(3000);
        bench.Take();
        bench.Send("$PMTK605*31\r\n");
        bench.Run(1000);
        const auto lines = testing::Lines(bench.Take());
        const auto reply = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
            return l.rfind("$PMTK705,", 0) == 0;
        });
        ASSERT_NE(reply, lines.end());
        EXPECT_TRUE(NmeaChecksumValid(*reply));
        EXPECT_GE(testing::Fields(*reply).size(), 4u);
    }
}

TEST(FamilyIdentification, UbloxVersionReplyHas40PlusMultipleOf30Bytes) {
    Bench bench(Config("ublox"));
    bench.Run(2000);
    bench.Take();
    bench.Send(HexBytes("B5 62 0A 04 00 00 0E 34"));
    bench.Run(1000);
    const auto frame = FirstFrame(bench.Take(), "\xB5\x62", 0x0A, 0x04, false);
    ASSERT_TRUE(frame);
    const std::size_t length = frame->size() - 8;
    EXPECT_GE(length, 40u);
    EXPECT_EQ((length - 40) % 30, 0u);
    EXPECT_EQ(frame->substr(6 + 30, 4), "0008");  // hardware text
}

// --- restarts ------------------------------------------------------------------------------

struct RestartCase {
    std::string Family;
    std::string Variant;
    RestartKind Kind;
    std::string Command;            // exactly as the tool writes it
    std::vector<std::string> Acks;  // what the tool's fix-time start looks for
};

std::string Sum(std::string_view sentence) {
    return WithChecksum(sentence);
}

std::vector<RestartCase> RestartCases() {
    std::vector<RestartCase> cases;
    const RestartKind kinds[4] = {RestartKind::Hot, RestartKind::Warm, RestartKind::Cold,
                                  RestartKind::Factory};
    for (const std::string family : {"sirf", "cms"}) {
        for (int i = 0; i < 4; ++i) {
            const int k = static_cast<int>(kinds[i]);
            cases.push_back({family,
                             "",
                             kinds[i],
                             Sum("$PSRF101,-2686700,-4304200,3851624,96000,497260,921,12," +
                                 std::to_string(k)) +
                                 "\r\n",
                             {"$PSRF150,1*3E"}});
        }
    }
    for (const std::string family : {"sirf4", "sirf5"}) {
        for (int i = 0; i < 3; ++i) {
            const int k = static_cast<int>(kinds[i]);
            std::vector<std::string> acks = {"$PSRF150,1*3E"};
            if (family == "sirf5") acks.push_back("$GPGGA,,,,,,0,00,,,M,0.0,M,,0000*48");
            cases.push_back({family, "", kinds[i],
                             "\r\n" +
                                 Sum("$PSRF101,-2686700,-4304200,3851624,96000,497260,921,12," +
                                     std::to_string(k)) +
                                 "\r\n",
                             acks});
        }
    }
    const std::string ubxAck = HexBytes("B5 62 05 01 02 00 06 04 12 3B");
    cases.push_back({"ublox",
                     "",
                     RestartKind::Hot,
                     HexBytes("B5 62 06 04 04 00 00 00 02 00 10 68"),
                     {ubxAck, "TXT,01,01,02,Resetting"}});
    cases.push_back({"ublox",
                     "",
                     RestartKind::Warm,
                     HexBytes("B5 62 06 04 04 00 01 06 02 00 17 7E"),
                     {ubxAck, "TXT,01,01,02,Resetting"}});
    cases.push_back({"ublox",
                     "",
                     RestartKind::Cold,
                     HexBytes("B5 62 06 04 04 00 FF FF 02 00 0E 61"),
                     {ubxAck, "TXT,01,01,02,Resetting"}});
    cases.push_back({"ublox",
                     "",
                     RestartKind::Factory,
                     HexBytes("B5 62 06 04 04 00 FF FF 02 00 0E 61") +
                         HexBytes("B5 62 06 09 0C 00 FF FF FF FF 00 00 00 00 FF FF FF FF 13 5B"),
                     {ubxAck, HexBytes("B5 62 05 01 02 00 06 09 17 40")}});
    const char* unav[4] = {"$PUNV,START,HOT*0E", "$PUNV,START,WARM*54", "$PUNV,START,COLD*59",
                           "$PUNV,START,FACTORY*09"};
    const char* mtk[4] = {"$PMTK101*32", "$PMTK102*31", "$PMTK103*30", "$PMTK104*37"};
    const char* furuno[4] = {"$PERDAPI,RESTART,HOT*5F", "$PERDAPI,RESTART,WARM*05",
                             "$PERDAPI,RESTART,COLD*08", "$PERDAPI,RESTART,SIMCOLD*5F"};
    const char* casic[3] = {"$CCSIR,3,3*48", "$CCSIR,3,2*49", "$CCSIR,3,1*4A"};
    const char* mxt[3] = {"$RESET,1,0", "$RESET,1,1", "$RESET,1,2"};
    for (int i = 0; i < 4; ++i) {
        for (const std::string family : {"unav", "ah"})
            cases.push_back({family, "", kinds[i], std::string(unav[i]) + "\r\n", {"$PUNV,START"}});
        for (const std::string variant : {"a", "b", "c", "d", "e", "f", "g"})
            cases.push_back(
                {"mtk", variant, kinds[i], std::string(mtk[i]) + "\r\n", {"$PMTK010,001*2E"}});
        cases.push_back({"cm2", "", kinds[i], std::string(mtk[i]) + "\r\n", {"$PMTK010,001*2E"}});
        cases.push_back(
            {"tdk-dr", "", kinds[i], std::string(mtk[i]) + "\r\n", {"$PMTK010,001*2E"}});
        cases.push_back({"furuno", "", kinds[i], std::string(furuno[i]) + "\r\n", {"SSION,ON*52"}});
    }
    for (int i = 0; i < 3; ++i) {
        cases.push_back({"ttt", "", kinds[i], std::string(casic[i]) + "\r\n", {}});
        cases.push_back({"tdk-dr", "ttt", kinds[i], std::string(casic[i]) + "\r\n", {}});
        cases.push_back({"mxt", "", kinds[i], std::string(mxt[i]) + "\r\n", {"$ACKOK,*61"}});
        const char* gl[3] = {"3", "2", "1"};
        cases.push_back(
            {"tdk-dr", "gl", kinds[i], Sum(std::string("$CCSIR,6,") + gl[i]) + "\r\n", {}});
        const char* rtk[3] = {"HOT", "WARM", "COLD"};
        cases.push_back({"tdk-dr",
                         "rtk",
                         kinds[i],
                         Sum(std::string("$PMDC,QV2058,") + rtk[i]) + "\r\n",
                         {"$PMDR,QV2058,"}});
    }
    for (const std::string variant : {"", "dr"}) {
        cases.push_back({"st", variant, RestartKind::Hot, "$PSTMHOT\r\n", {"$PSTMVER"}});
        cases.push_back({"st", variant, RestartKind::Warm, "$PSTMWARM\r\n", {"$PSTMVER"}});
        cases.push_back({"st", variant, RestartKind::Cold, "\r\n$PSTMCOLD,15\r\n", {"$PSTMVER"}});
        // The factory button: restore parameters, then the cold start and the software reset.
        cases.push_back({"st",
                         variant,
                         RestartKind::Factory,
                         "$PSTMRESTOREPAR\r\n\r\n\r\n$PSTMCOLD,15\r\n$PSTMSRR\r\n",
                         {"$PSTMVER"}});
    }
    const std::string hdAck = HexBytes("F1 D9 05 01 02 00 06 40 4E 77");
    for (const std::string variant : {"", "bin", "plain"}) {
        cases.push_back({"hd",
                         variant,
                         RestartKind::Hot,
                         HexBytes("F1 D9 06 40 01 00 03 4A 24"),
                         {hdAck, "$GPTXT,01,"}});
        cases.push_back({"hd",
                         variant,
                         RestartKind::Warm,
                         SimFrame(FrameProtocol::Hd, 0x06, 0x40, std::string(1, '\x02')),
                         {hdAck, "$GPTXT,01,"}});
        cases.push_back({"hd",
                         variant,
                         RestartKind::Cold,
                         SimFrame(FrameProtocol::Hd, 0x06, 0x40, std::string(1, '\x01')),
                         {hdAck, "$GPTXT,01,"}});
        cases.push_back({"hd",
                         variant,
                         RestartKind::Factory,
                         HexBytes("F1 D9 06 09 08 00 02 00 00 00 FF FF FF FF 15 01"),
                         {HexBytes("F1 D9 05 01 02 00 06 09"), "$GPTXT,01,"}});
    }
    cases.push_back(
        {"rtk-df", "", RestartKind::Hot, Sum("$PMDC,RESTART,0,0") + "\r\n", {"$PMDR,RESTART,0"}});
    cases.push_back(
        {"rtk-df", "", RestartKind::Cold, Sum("$PMDC,RESTART,0,3") + "\r\n", {"$PMDR,RESTART,0"}});
    cases.push_back({"rtk-df",
                     "",
                     RestartKind::Factory,
                     Sum("$PMDC,RESTART,0,2") + "\r\n",
                     {"$PMDR,RESTART,0"}});
    return cases;
}

// The last position report of the stream shows a fix.
bool LastReportHasFix(const std::string& stream) {
    const auto lines = testing::Lines(stream);
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (testing::IsKind(*it, "RMC")) return testing::Fields(*it)[2] == "A";
        if (testing::IsKind(*it, "GGA")) return testing::Fields(*it)[6] != "0";
    }
    return false;
}

TEST(FamilyRestart, EachCommandIsAcknowledgedAndTheFixComesBackOnTime) {
    for (const auto& c : RestartCases()) {
        SCOPED_TRACE(c.Family + "/" + c.Variant + " " + std::string(RestartKindName(c.Kind)));
        SimConfig config = Config(c.Family, c.Variant);
        config.HotMs = 3000;
        config.WarmMs = 6000;
        config.ColdMs = 8000;
        config.FactoryMs = 9000;
        Bench bench(config);
        bench.Run(4000);
        ASSERT_TRUE(LastReportHasFix(bench.Take()));
        bench.Send(c.Command);
        bench.Run(1000);
        const std::string afterCommand = bench.Take();
        for (const auto& ack : c.Acks)
            EXPECT_TRUE(Contains(afterCommand, ack)) << "missing " << ToHex(ack);
        EXPECT_EQ(bench.receiver->LastRestartKind(), c.Kind);
        EXPECT_FALSE(bench.receiver->HasFix());
        const uint32_t due = c.Kind == RestartKind::Hot    ? 3000
                             : c.Kind == RestartKind::Warm ? 6000
                             : c.Kind == RestartKind::Cold ? 8000
                                                           : 9000;
        bench.Run(due - 1000 - 600);
        EXPECT_FALSE(LastReportHasFix(bench.Take()));
        bench.Run(1600);
        EXPECT_TRUE(LastReportHasFix(bench.Take()));
    }
}

TEST(FamilyRestart, FamiliesIgnoreOtherFamiliesRestartCommands) {
    const std::vector<std::pair<std::string, std::string>> foreign = {
        {"ublox", "$PMTK103*30\r\n"}, {"mtk", HexBytes("B5 62 06 04 04 00 FF FF 02 00 0E 61")},
        {"st", "$PMTK103*30\r\n"},    {"plain", "$PMTK103*30\r\n$PSTMCOLD,15\r\n$CCSIR,3,1*4A\r\n"},
        {"sirf", "$PMTK103*30\r\n"},  {"hd", HexBytes("B5 62 06 04 04 00 FF FF 02 00 0E 61")},
    };
    for (const auto& [family, command] : foreign) {
        SCOPED_TRACE(family);
        Bench bench(Config(family));
        bench.Run(4000);
        bench.Send(command);
        bench.Run(1000);
        EXPECT_EQ(bench.receiver->RestartCount(), 0);
        EXPECT_TRUE(bench.receiver->HasFix());
    }
}

TEST(FamilyRestart, CommandsAreRecognisedByteForByte) {
    // A wrong checksum or a changed byte is not the command.
    const std::vector<std::pair<std::string, std::string>> near = {
        {"mtk", "$PMTK103*31\r\n"},
        {"mtk", "$PMTK103\r\n"},
        {"ublox", HexBytes("B5 62 06 04 04 00 FF FF 02 00 0E 62")},
        {"hd", HexBytes("F1 D9 06 40 01 00 03 4A 25")},
        {"furuno", "$PERDAPI,RESTART,COLD*09\r\n"},
        {"st", "$PSTMCOLD,14\r\n"},
    };
    for (const auto& [family, command] : near) {
        SCOPED_TRACE(family + " " + ToHex(command));
        Bench bench(Config(family));
        bench.Run(3000);
        bench.Send(command);
        bench.Run(1000);
        EXPECT_EQ(bench.receiver->RestartCount(), 0);
    }
}

TEST(FamilyRestart, CommandSplitAcrossWritesIsStillUnderstood) {
    Bench bench(Config("ublox"));
    bench.Run(3000);
    const std::string cold = HexBytes("B5 62 06 04 04 00 FF FF 02 00 0E 61");
    bench.Send(cold.substr(0, 5));
    bench.Run(50);
    bench.Send(cold.substr(5));
    bench.Run(500);
    EXPECT_EQ(bench.receiver->RestartCount(), 1);
    EXPECT_EQ(bench.receiver->LastRestartKind(), RestartKind::Cold);
}

}  // namespace
}  // namespace gnss::sim

namespace gnss::sim {
namespace {

// At its usual baud rate and 1 Hz every family's output fits the line with room to spare.
TEST(FamilyOutput, UsualOutputFitsTheUsualBaudRate) {
    for (const auto& profile : FamilyProfiles()) {
        SCOPED_TRACE(profile.Key + "/" + profile.Variant);
        SimConfig config = testing::Config(profile.Key, profile.Variant);
        config.Pace = false;
        testing::Bench bench(config);
        bench.Run(10000);
        const double bytesPerSecond = static_cast<double>(bench.Take().size()) / 10.0;
        EXPECT_LT(bytesPerSecond, profile.DefaultBaud / 10.0 * 0.8);
    }
}

}  // namespace
}  // namespace gnss::sim
