#include <gtest/gtest.h>

#include <map>

#include "assist/agps_update_route.h"
#include "assist/assist_download.h"
#include "assist/assist_servers.h"
#include "assist/text_cipher.h"

namespace gnss {
namespace {

TEST(TextCipher, EnciphersAsHexPairsAndReadsBack) {
    const std::string plain = "http://assist.example.net/files/EPO_II_7D.DAT";
    for (const uint8_t seed : {0, 1, 127, 254, 255}) {
        const std::string stored = EncipherText(plain, kServerAddressKey, seed);
        ASSERT_EQ(stored.size(), 2 * (plain.size() + 1));
        EXPECT_EQ(stored.find_first_not_of("0123456789abcdef"), std::string::npos);
        EXPECT_EQ(stored.find("http"), std::string::npos);
        EXPECT_EQ(DecipherText(stored, kServerAddressKey), plain) << int(seed);
    }
    // The first step by hand: seed 0x10, 'h' (0x68), key 'q' (0x71): ((0x10 + 0x68) % 255) ^ 0x71.
    EXPECT_EQ(EncipherText("h", kServerAddressKey, 0x10).substr(0, 4), "1009");
    EXPECT_NE(DecipherText(EncipherText(plain, "other-key!", 5), kServerAddressKey), plain);
    for (const char* broken : {"", "1", "abc", "zz00", "10 9"}) {
        EXPECT_EQ(DecipherText(broken, kServerAddressKey), "") << broken;
    }
}

TEST(AssistServers, ResolvesOwnAddressesBeforeTheBase) {
    AssistServerAddresses servers;
    EXPECT_EQ(servers.Resolve(AssistServer::EpoII7Days), "");
    servers.SetAddress(AssistServer::Base, "http://127.0.0.1:8080/epo");
    EXPECT_EQ(servers.Resolve(AssistServer::EpoII7Days), "http://127.0.0.1:8080/epo/EPO_II_7D.DAT");
    servers.SetAddress(AssistServer::Base, "http://127.0.0.1:8080/epo/");
    EXPECT_EQ(servers.Resolve(AssistServer::EpoII14Days),
              "http://127.0.0.1:8080/epo/EPO_II_14D.DAT");
    servers.SetAddress(AssistServer::EpoI7Days, "https://mirror.example/one.dat");
    EXPECT_EQ(servers.Resolve(AssistServer::EpoI7Days), "https://mirror.example/one.dat");
    EXPECT_EQ(servers.Resolve(AssistServer::Base), "http://127.0.0.1:8080/epo/");
}

TEST(AssistServers, StoredEncipheredAndLoadedBackDroppingBadValues) {
    AssistServerAddresses servers;
    servers.SetAddress(AssistServer::Base, "http://a.example/x");
    servers.SetAddress(AssistServer::EpoII14Days, "http://b.example/14.dat");
    std::map<std::string, std::string, std::less<>> ini;
    for (const auto& [key, value] : servers.Stored(42)) ini[key] = value;
    ASSERT_EQ(ini.size(), kAssistServerSlots.size());
    EXPECT_EQ(ini["EpoI7Days"], "");
    EXPECT_EQ(ini["Base"].find("example"), std::string::npos);
    ini["EpoII7Days"] = EncipherText("ftp://wrong.example/x", kServerAddressKey, 3);
    ini["EpoI7Days"] = "not hex at all";

    AssistServerAddresses loaded;
    loaded.SetAddress(AssistServer::EpoI7Days, "http://stale.example/");
    loaded.Load([&](std::string_view key) -> std::optional<std::string> {
        const auto it = ini.find(key);
        if (it == ini.end()) return std::nullopt;
        return it->second;
    });
    EXPECT_EQ(loaded.Address(AssistServer::Base), "http://a.example/x");
    EXPECT_EQ(loaded.Address(AssistServer::EpoII14Days), "http://b.example/14.dat");
    EXPECT_EQ(loaded.Address(AssistServer::EpoII7Days), "");
    EXPECT_EQ(loaded.Address(AssistServer::EpoI7Days), "");
}

TEST(AssistServers, AddressProblems) {
    EXPECT_FALSE(AddressProblem(""));
    EXPECT_FALSE(AddressProblem("http://127.0.0.1:8000/EPO.DAT"));
    EXPECT_FALSE(AddressProblem("HTTPS://server.example"));
    for (const char* bad : {"ftp://x", "http://", "www.example.com", "http://a b", "http://a\tb"}) {
        EXPECT_TRUE(AddressProblem(bad)) << bad;
    }
    EXPECT_TRUE(AddressProblem("http://" + std::string(2000, 'a')));
}

TEST(AgpsRoute, ChoosesSgeeThenEpoThenHdAndNeedsAHandler) {
    IdentificationResult mtk;
    mtk.EpoCapable = true;
    IdentificationResult sirf;
    sirf.SgeeCapable = true;
    sirf.EpoCapable = true;
    const IdentificationResult none;
    EXPECT_EQ(ChooseAgpsRoute(mtk, ReceiverFamily::MTK), AgpsRoute::Epo);
    EXPECT_EQ(ChooseAgpsRoute(sirf, ReceiverFamily::SiRF4), AgpsRoute::Sgee);
    EXPECT_EQ(ChooseAgpsRoute(none, ReceiverFamily::HED), AgpsRoute::Hd);
    EXPECT_EQ(ChooseAgpsRoute(none, ReceiverFamily::MTK), AgpsRoute::None);

    AgpsUpdateRouter router;
    int epoRuns = 0;
    router.SetHandler(AgpsRoute::Epo, [&] { ++epoRuns; });
    EXPECT_TRUE(router.CanUpdate(mtk, ReceiverFamily::MTK));
    EXPECT_FALSE(router.CanUpdate(sirf, ReceiverFamily::SiRF4));  // its handler is not there
    EXPECT_FALSE(router.UpdateAgpsData(sirf, ReceiverFamily::SiRF4));
    EXPECT_TRUE(router.UpdateAgpsData(mtk, ReceiverFamily::MTK));
    EXPECT_EQ(epoRuns, 1);
}

TEST(AssistDownload, ErrorTexts) {
    DownloadResult result;
    result.Outcome = DownloadOutcome::NotFound;
    EXPECT_EQ(DownloadErrorText(result), "Not Found");
    result.ErrorText = "HTTP/1.1 404 Not Found";
    EXPECT_EQ(DownloadErrorText(result), "HTTP/1.1 404 Not Found");
}

}  // namespace
}  // namespace gnss
