// EPO uploads through the application core into simulated MTK receivers on virtual time: the
// whole upload, the download before it, and every fault ending with the receiver back in NMEA at
// its old rate.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "assist/epo_file.h"
#include "assist/epo_status.h"
#include "doubles/epo_file_maker.h"
#include "doubles/scripted_downloader.h"
#include "frames/mtk_sirf_frames.h"
#include "sim/app_core_station.h"

namespace gnss {
namespace {

using gnss::testing::ScriptedPrompts;

sim::SimConfig Mtk(const std::string& variant, const std::string& fault = "") {
    sim::SimConfig config;
    config.Family = "mtk";
    config.Variant = variant;
    if (!fault.empty()) {
        std::string error;
        EXPECT_TRUE(sim::ApplySetting(config, "fault", fault, error)) << error;
    }
    return config;
}

struct EpoStation : gnss::testing::AppCoreStation {
    explicit EpoStation(const sim::SimConfig& config) : AppCoreStation(config) {
        core.SetAssistNetwork(&downloader, &network);
        // The first folder cannot take the file: it goes to the second.
        core.EpoUpload.SetReceivedFileFolders(folder.Path() / "not-there", folder.Path());
    }
    // Identified, the EASY query answered, the EPO window open with its buttons usable.
    void OpenEpoWindow() {
        ASSERT_TRUE(Identify());
        time.Advance(3000);
        ASSERT_TRUE(core.Window.Button(ToolButton::Assistance).Enabled);
        core.ToolButtonClicked(ToolButton::Assistance, false);
        time.Advance(4000);
        ASSERT_TRUE(core.Epo.View().Visible);
        ASSERT_TRUE(core.Epo.View().ButtonsEnabled);
    }
    // A 7-day file whose data starts at the receiver's current hour (6-hour aligned).
    std::string FreshFile() {
        const ReferenceTime now = EpoReferenceTime(core.Pipeline.Decoder.Rmc(), time.NowUtc());
        const uint32_t hour = gnss::testing::GpsHourOf(now.Utc.Days, GpsTimeOrigin().Days);
        return gnss::testing::MakeEpoIISevenDays(hour - hour % 6);
    }
    void RunWhileBusy(int maxSeconds = 120) {
        for (int i = 0; i < maxSeconds * 20 && core.Epo.Busy(); ++i) time.Advance(50);
        time.Advance(1000);
    }
    [[nodiscard]] bool Shown(ScriptedPrompts::Kind kind, const std::string& text) const {
        for (const auto& shown : prompts.shown) {
            if (shown.kind == kind && shown.text == text) return true;
        }
        return false;
    }
    [[nodiscard]] const sim::MtkEpoResponder& Receiver() const { return *simulated->Epo(); }

    gnss::testing::ScriptedDownloader downloader{time};
    gnss::testing::FixedNetworkStatus network;
};

TEST(EpoEndToEnd, ThreeHundredPacketsUploadAndTheReceiverReportsTheNewData) {
    EpoStation s(Mtk("g"));  // a 7-day receiver
    s.OpenEpoWindow();
    EXPECT_EQ(s.core.Epo.View().PeriodText, "7d");
    EXPECT_NE(s.core.Epo.View().ValidityText.find("AGPS data is empty !"), std::string::npos);
    EXPECT_EQ(s.core.Epo.Easy(), EasyState::On);
    const uint32_t baudBefore = s.port.BaudRate();

    s.port.ClearWrites();
    ASSERT_TRUE(s.core.Epo.UploadBytes(s.FreshFile()));
    EXPECT_FALSE(s.core.Window.Button(ToolButton::Assistance).Enabled);
    s.RunWhileBusy();

    EXPECT_EQ(s.Receiver().PacketsAccepted(), 300);
    EXPECT_TRUE(s.Shown(ScriptedPrompts::Kind::Info, "Update success !"));
    EXPECT_EQ(s.core.Epo.LastOutcome(), "Update success !");
    EXPECT_EQ(s.core.Epo.View().GaugePosition, 299u);
    EXPECT_EQ(s.core.Epo.View().GaugeMax, 299u);
    // Back in NMEA at the old rate on both ends, and the fresh status shown.
    EXPECT_FALSE(s.Receiver().InBinaryMode());
    EXPECT_EQ(s.port.BaudRate(), baudBefore);
    EXPECT_EQ(s.simulated->BaudRate(), baudBefore);
    EXPECT_EQ(s.Receiver().Held().Sets, 28);
    EXPECT_DOUBLE_EQ(s.core.Epo.Status().ValidDays, 6.75);
    EXPECT_NE(s.core.Epo.View().ValidityText.find("AGPS data is valid for 6 day(s)"),
              std::string::npos)
        << s.core.Epo.View().ValidityText;
    const std::string written = s.port.WrittenBytes();
    EXPECT_EQ(written.find(EpoTransfer::kSwitchToBinary), 0u);
    EXPECT_NE(written.find(EpoTransfer::ReturnToNmeaFrame(baudBefore)), std::string::npos);
    EXPECT_NE(written.find(kEpoStatusQuery), std::string::npos);

    // The link carries NMEA again and a second upload is refused by nothing.
    const int32_t seconds = s.core.Receiver().SecondsCounter;
    s.time.Advance(3000);
    EXPECT_GT(s.core.Receiver().SecondsCounter, seconds);
    EXPECT_EQ(s.core.Pipeline.Dispatcher.State(), LinkState::Nmea);
    EXPECT_TRUE(s.core.Window.Button(ToolButton::Assistance).Enabled);
    EXPECT_TRUE(s.core.Shared().PortOpen);
}

TEST(EpoEndToEnd, UpdateDownloadsTheFileForTheReceiverAndRefusesWrongSizes) {
    EpoStation s(Mtk("g"));
    s.OpenEpoWindow();
    s.core.AssistServers.SetAddress(AssistServer::Base, "http://127.0.0.1:1/epo");

    // One byte short: refused before anything is sent to the receiver.
    s.downloader.Next.Outcome = DownloadOutcome::Ok;
    s.downloader.Next.Body = s.FreshFile();
    s.downloader.Next.Body.pop_back();
    s.port.ClearWrites();
    s.core.Epo.UpdateClicked();
    s.RunWhileBusy();
    ASSERT_EQ(s.downloader.Requests.size(), 1u);
    EXPECT_EQ(s.downloader.Requests[0].Url, "http://127.0.0.1:1/epo/EPO_II_7D.DAT");
    EXPECT_EQ(s.downloader.Requests[0].ConnectTimeoutMs, 15000u);
    EXPECT_TRUE(s.Shown(ScriptedPrompts::Kind::Error, "Data error !"));
    EXPECT_EQ(s.port.WrittenBytes().find("$PMTK253"), std::string::npos);
    EXPECT_TRUE(s.core.Epo.View().ButtonsEnabled);

    // Not on the server, another error, offline.
    s.downloader.Next = DownloadResult{};
    s.downloader.Next.Outcome = DownloadOutcome::NotFound;
    s.core.Epo.UpdateClicked();
    s.RunWhileBusy();
    EXPECT_TRUE(s.Shown(ScriptedPrompts::Kind::Error, "The AGPS data is not available !"));
    s.downloader.Next.Outcome = DownloadOutcome::TimedOut;
    s.downloader.Next.ErrorText = "Read timed out";
    s.core.Epo.UpdateClicked();
    s.RunWhileBusy();
    EXPECT_TRUE(s.Shown(ScriptedPrompts::Kind::Error, "Read timed out"));
    s.network.Online = false;
    s.core.Epo.UpdateClicked();
    EXPECT_TRUE(s.Shown(ScriptedPrompts::Kind::Info, "Please connect to Internet first !"));
    s.network.Online = true;

    // Cancel during the download: nothing sent, buttons back.
    s.downloader.Next = DownloadResult{};
    s.downloader.Next.Outcome = DownloadOutcome::Ok;
    s.downloader.Next.Body = s.FreshFile();
    s.core.Epo.UpdateClicked();
    s.time.Advance(250);
    EXPECT_TRUE(s.core.Epo.View().CancelEnabled);
    EXPECT_GT(s.core.Epo.View().GaugePosition, 0u);  // the gauge follows the bytes
    s.core.Epo.CancelClicked();
    EXPECT_FALSE(s.core.Epo.Busy());
    EXPECT_TRUE(s.core.Epo.View().ButtonsEnabled);
    EXPECT_EQ(s.port.WrittenBytes().find("$PMTK253"), std::string::npos);

    // The right size: downloaded, uploaded, and the next Update finds nothing to do.
    s.core.Epo.UpdateClicked();
    s.RunWhileBusy();
    EXPECT_TRUE(s.Shown(ScriptedPrompts::Kind::Info, "Update success !"));
    EXPECT_EQ(s.Receiver().Held().Sets, 28);
    const std::size_t requests = s.downloader.Requests.size();
    s.core.Epo.UpdateClicked();
    EXPECT_TRUE(s.Shown(ScriptedPrompts::Kind::Info, "AGPS data does not need to update !"));
    EXPECT_EQ(s.downloader.Requests.size(), requests);
}

TEST(EpoEndToEnd, FourteenDayReceiversFetchTheFourteenDayFile) {
    EpoStation s(Mtk("c"));
    s.OpenEpoWindow();
    EXPECT_EQ(s.core.Epo.View().PeriodText, "14d");
    EXPECT_EQ(s.core.Epo.ServerForReceiver(), AssistServer::EpoII14Days);
    EXPECT_EQ(s.core.Epo.ExpectedSizeForReceiver(), kEpoIIFourteenDaysSize);
}

struct FaultCase {
    const char* Fault;
    const char* Message;
    bool DeviceStays;
    std::string Saved;  // part of what gsRx3.bin must hold
};

TEST(EpoEndToEnd, EveryFaultEndsWithTheReceiverInNmeaAtItsOldRate) {
    const FaultCase cases[] = {
        {"epo-reject=5", "---- [EPO Terminate !] at EPO Pkt :005", true,
         EpoTransfer::AckFrame(5, false)},
        {"epo-silent=7", "---- [EPO Time out !] at EPO Pkt :007", true, ""},
        {"epo-wrong-rate", "---- [EPO Time out !] at EPO Pkt :000", true, ""},
        {"epo-vanish=3", "---- [EPO Port error !] at EPO Pkt :003", false, ""},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.Fault);
        EpoStation s(Mtk("g", c.Fault));
        s.OpenEpoWindow();
        const uint32_t baudBefore = s.port.BaudRate();
        ASSERT_TRUE(s.core.Epo.UploadBytes(s.FreshFile()));
        s.RunWhileBusy();

        EXPECT_TRUE(s.Shown(ScriptedPrompts::Kind::Error, c.Message));
        EXPECT_FALSE(s.core.Epo.Busy());
        EXPECT_FALSE(s.core.Epo.View().Visible);
        EXPECT_EQ(s.port.BaudRate(), baudBefore);
        EXPECT_FALSE(s.core.Shared().PortOpen);  // disconnected after telling the receiver
        EXPECT_EQ(s.core.EpoUpload.ReceivedFile(), s.folder.Path() / "gsRx3.bin");
        EXPECT_TRUE(std::filesystem::exists(s.folder.Path() / "gsRx3.bin"));
        if (!c.Saved.empty()) {
            std::ifstream in(s.folder.Path() / "gsRx3.bin", std::ios::binary);
            const std::string saved((std::istreambuf_iterator<char>(in)), {});
            EXPECT_NE(saved.find(c.Saved), std::string::npos);
        }
        if (!c.DeviceStays) continue;
        EXPECT_FALSE(s.Receiver().InBinaryMode());
        EXPECT_EQ(s.simulated->BaudRate(), baudBefore);
        // The link is usable again: a new connection finds NMEA at the old rate.
        s.Connect();
        for (int i = 0; i < 100 && !s.core.Receiver().FixValid; ++i) s.time.Advance(100);
        EXPECT_TRUE(s.core.Receiver().FixValid);
        EXPECT_EQ(s.core.Pipeline.Dispatcher.State(), LinkState::Nmea);
    }
}

TEST(EpoEndToEnd, ClosingTheWindowDuringAnUploadRestoresTheReceiver) {
    EpoStation s(Mtk("g"));
    s.OpenEpoWindow();
    const uint32_t baudBefore = s.port.BaudRate();
    ASSERT_TRUE(s.core.Epo.UploadBytes(s.FreshFile()));
    s.time.Advance(1500);
    ASSERT_TRUE(s.Receiver().InBinaryMode());
    // The connect button does nothing while packets go out.
    s.core.ToolButtonClicked(ToolButton::Connect, false);
    EXPECT_TRUE(s.core.Shared().PortOpen);
    s.core.Epo.CloseWindow();
    s.RunWhileBusy();
    EXPECT_EQ(s.core.Epo.LastOutcome().rfind("---- [EPO Cancelled !] at EPO Pkt :", 0), 0u)
        << s.core.Epo.LastOutcome();
    EXPECT_TRUE(s.Shown(ScriptedPrompts::Kind::Error, s.core.Epo.LastOutcome()));
    EXPECT_FALSE(s.Receiver().InBinaryMode());
    EXPECT_EQ(s.simulated->BaudRate(), baudBefore);
    EXPECT_EQ(s.port.BaudRate(), baudBefore);
}

TEST(EpoEndToEnd, EasyStatusAndItsOffCommand) {
    EpoStation s(Mtk("g"));
    s.OpenEpoWindow();
    EXPECT_EQ(s.core.Epo.View().EasyText, "EASY : On");
    EXPECT_EQ(s.core.Window.StatusBar().Panel(StatusPanel::ChipTag).Text, "EASY:On(3)");
    s.core.Epo.EasyOffClicked();
    s.time.Advance(4000);
    EXPECT_FALSE(s.Receiver().EasyOn());
    EXPECT_EQ(s.core.Epo.Easy(), EasyState::Off);
    EXPECT_EQ(s.core.Epo.View().EasyText, "EASY : Off");
    EXPECT_EQ(s.core.Window.StatusBar().Panel(StatusPanel::ChipTag).Text, "EASY:Off");
}

}  // namespace
}  // namespace gnss
