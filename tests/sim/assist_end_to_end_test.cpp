// SGEE and HD assistance uploads of the application core against simulated receivers on
// virtual time: the receiver takes the data and reports it, and every fault ends with the
// receiver back at its old rate with its output on and the tool processing again.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app_core_station.h"
#include "doubles/scripted_downloader.h"
#include "frames/binary_frame.h"
#include "nmea/hex_text.h"

namespace gnss::testing {
namespace {

std::string SgeeFile(std::size_t size) {
    std::string file(size, '\0');
    for (std::size_t i = 0; i < size; ++i) file[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    return file;
}

std::string HdbFile(std::size_t frameBytes, std::size_t count) {
    std::string file;
    for (std::size_t i = 0; i < count; ++i) {
        file += BuildHdFrame(0x0B, 0x01, std::string(frameBytes - 8, static_cast<char>(i)));
    }
    return file;
}

std::string LastMessage(const ScriptedPrompts& prompts) {
    return prompts.shown.empty() ? std::string() : prompts.shown.back().text;
}

sim::SimConfig Receiver(const char* family, const char* variant = "") {
    sim::SimConfig config;
    config.Family = family;
    config.Variant = variant;
    return config;
}

// Runs until the SGEE transfer has ended and the restore has finished.
void RunSgee(AppCoreStation& s, uint32_t* highestRate = nullptr) {
    for (int i = 0; i < 20000 && s.core.Sgee.Running(); ++i) {
        s.time.Advance(13);
        if (highestRate != nullptr && s.port.BaudRate() > *highestRate) {
            *highestRate = s.port.BaudRate();
        }
    }
}

struct SgeeCase {
    const char* Family;
    const char* Variant;
    uint32_t TransferRate;
};

class SgeeEndToEnd : public ::testing::TestWithParam<SgeeCase> {};

TEST_P(SgeeEndToEnd, UploadStoresTheFileAndRestoresTheReceiver) {
    const SgeeCase& c = GetParam();
    AppCoreStation s(Receiver(c.Family, c.Variant));
    ASSERT_TRUE(s.Identify());
    const uint32_t rate = s.port.BaudRate();

    s.core.Sgee.OpenWindow();
    s.time.Advance(1500);
    EXPECT_EQ(s.core.Sgee.View().ValidityText, "Please Update AGPS data !");
    EXPECT_TRUE(s.core.Sgee.View().UpdateEnabled);

    const std::string file = SgeeFile(10050);
    ASSERT_TRUE(s.core.Sgee.UploadFile(file));
    EXPECT_FALSE(s.core.Pipeline.Dispatcher.ProcessingTimerEnabled());
    uint32_t highest = 0;
    RunSgee(s, &highest);

    EXPECT_EQ(highest, c.TransferRate);
    EXPECT_EQ(s.core.Sgee.Outcome(), SgeeOutcome::Complete);
    EXPECT_EQ(s.core.Sgee.Sentences().Sentences.size(), 103u);
    EXPECT_EQ(s.simulated->AssistData().SgeeData(), file);
    EXPECT_TRUE(s.simulated->AssistData().SgeeStored());
    EXPECT_EQ(s.port.BaudRate(), rate);
    EXPECT_EQ(s.simulated->BaudRate(), rate);
    EXPECT_TRUE(s.simulated->PeriodicOutputOn());
    EXPECT_TRUE(s.core.Pipeline.Dispatcher.ProcessingTimerEnabled());
    EXPECT_TRUE(s.MonitorShows("< Update Complete ! >"));

    // The repeated query reads back what the receiver now holds.
    s.time.Advance(2000);
    EXPECT_EQ(s.core.Sgee.View().ValidityText, "AGPS data is valid for 7 day(s) 0 hour(s)");
    EXPECT_FALSE(s.core.Sgee.View().UpdateEnabled);
    EXPECT_TRUE(s.core.Receiver().FixValid);
}

INSTANTIATE_TEST_SUITE_P(Families, SgeeEndToEnd,
                         ::testing::Values(SgeeCase{"sirf", "", 115200},
                                           SgeeCase{"cms", "", 115200},
                                           SgeeCase{"sirf4", "", 115200},
                                           SgeeCase{"sirf4", "sdk", 460800},
                                           SgeeCase{"sirf5", "", 115200}));

struct SgeeFaultCase {
    const char* Family;
    const char* Variant;
    const char* Fault;
    SgeeOutcome Outcome;
    const char* Text;
};

class SgeeFaults : public ::testing::TestWithParam<SgeeFaultCase> {};

TEST_P(SgeeFaults, EveryFaultEndsRestored) {
    const SgeeFaultCase& c = GetParam();
    sim::SimConfig config = Receiver(c.Family, c.Variant);
    std::string error;
    ASSERT_TRUE(sim::ApplySetting(config, "fault", c.Fault, error)) << error;
    AppCoreStation s(config);
    ASSERT_TRUE(s.Identify());
    const uint32_t rate = s.port.BaudRate();

    ASSERT_TRUE(s.core.Sgee.UploadFile(SgeeFile(10000)));
    RunSgee(s);
    ASSERT_FALSE(s.core.Sgee.Running());
    EXPECT_EQ(s.core.Sgee.Outcome(), c.Outcome);
    EXPECT_EQ(s.core.Sgee.View().ValidityText, c.Text);
    EXPECT_FALSE(s.simulated->AssistData().SgeeStored());
    EXPECT_EQ(s.port.BaudRate(), rate);
    EXPECT_TRUE(s.core.Pipeline.Dispatcher.ProcessingTimerEnabled());
    EXPECT_TRUE(s.core.Sgee.View().CloseEnabled);
    if (!s.simulated->Vanished()) {
        EXPECT_EQ(s.simulated->BaudRate(), rate);
        EXPECT_TRUE(s.simulated->PeriodicOutputOn());
        s.time.Advance(3000);
        EXPECT_TRUE(s.core.Receiver().FixValid);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SgeeFaults,
    ::testing::Values(SgeeFaultCase{"sirf4", "", "sgee-nack=0", SgeeOutcome::NotSupported,
                                    "[Error:1]. Can not support AGPS function !"},
                      SgeeFaultCase{"sirf", "", "sgee-nack=5", SgeeOutcome::Failed,
                                    "Process fail [error:6], Please try again !"},
                      SgeeFaultCase{"sirf5", "", "sgee-nack=1", SgeeOutcome::Failed,
                                    "Process fail [error:2], Please try again !"},
                      SgeeFaultCase{"sirf4", "", "sgee-silent=4", SgeeOutcome::Failed,
                                    "Process fail [error:5], Please try again !"},
                      SgeeFaultCase{"sirf4", "sdk", "sgee-silent=30", SgeeOutcome::Failed,
                                    "Process fail [error:31], Please try again !"},
                      SgeeFaultCase{"sirf4", "", "sgee-vanish=3", SgeeOutcome::Failed,
                                    "Process fail [error:4], Please try again !"}));

TEST(SgeeEndToEnd, ShortFileIsRefusedWithoutTouchingTheReceiver) {
    AppCoreStation s(Receiver("sirf4"));
    ASSERT_TRUE(s.Identify());
    const std::size_t writes = s.port.Writes().size();
    EXPECT_FALSE(s.core.Sgee.UploadFile(SgeeFile(6143)));
    EXPECT_EQ(LastMessage(s.prompts), "The AGPS data is not available !");
    EXPECT_EQ(s.port.Writes().size(), writes);
    EXPECT_TRUE(s.core.Pipeline.Dispatcher.ProcessingTimerEnabled());
}

TEST(SgeeEndToEnd, DisconnectDuringTransferPutsThePortBack) {
    AppCoreStation s(Receiver("sirf4"));
    ASSERT_TRUE(s.Identify());
    const uint32_t rate = s.port.BaudRate();
    ASSERT_TRUE(s.core.Sgee.UploadFile(SgeeFile(10000)));
    s.time.Advance(2000);
    ASSERT_TRUE(s.core.Sgee.Running());
    s.Connect();  // the connect button again: disconnect
    EXPECT_FALSE(s.core.Sgee.Running());
    EXPECT_EQ(s.core.Sgee.Outcome(), SgeeOutcome::Failed);
    EXPECT_EQ(s.port.BaudRate(), rate);
}

// --- HD ---

bool RunHd(AppCoreStation& s, std::size_t gnss, std::size_t beidou) {
    for (int i = 0; i < 2000; ++i) {
        s.time.Advance(20);
        if (s.simulated->AssistData().HdGnssFrames() == gnss &&
            s.simulated->AssistData().HdBeidouFrames() == beidou && !s.core.Hd.UploadActive()) {
            return true;
        }
    }
    return false;
}

TEST(HdEndToEnd, GnssThenBeidouUploadPacedByAcknowledgements) {
    AppCoreStation s(Receiver("hd"));
    ASSERT_TRUE(s.Identify());
    EXPECT_TRUE(s.core.Hd.View().Visible);
    s.core.Hd.SetDownloaded(HdbKind::Gnss, HdbFile(73, 100), "2026-12-09_10:00:00");
    s.core.Hd.SetDownloaded(HdbKind::Beidou, HdbFile(100, 10), "2026-12-09_10:00:00");
    ASSERT_TRUE(s.core.Hd.UploadDownloaded());
    ASSERT_TRUE(RunHd(s, 100, 10));
    EXPECT_EQ(s.core.Hd.Outcome(), HdUploadOutcome::Complete);
    EXPECT_EQ(s.simulated->AssistData().HdMessagesSeen(), 24);  // 20 + 4
    EXPECT_EQ(s.core.Hd.View().Gauges[0].Position, 100u);
    EXPECT_EQ(s.core.Hd.View().Gauges[1].Position, 10u);
    EXPECT_EQ(s.core.Hd.View().Gauges[1].Colour, "#FFB6C1");
    EXPECT_TRUE(s.MonitorShows("  < Inject AGPS Data completely ! >"));
    EXPECT_TRUE(s.core.Pipeline.Dispatcher.ProcessingTimerEnabled());
}

TEST(HdEndToEnd, AcknowledgementOfTheWrongMessageStopsTheUploadAndSaysSo) {
    sim::SimConfig config = Receiver("hd");
    std::string error;
    ASSERT_TRUE(sim::ApplySetting(config, "fault", "hd-wrong-ack=3", error)) << error;
    AppCoreStation s(config);
    ASSERT_TRUE(s.Identify());
    s.core.Hd.Options().BdsTicked = false;
    ASSERT_TRUE(s.core.Hd.Upload(HdbFile(73, 100)));
    s.time.Advance(5000);
    EXPECT_EQ(s.core.Hd.Outcome(), HdUploadOutcome::Stalled);
    EXPECT_EQ(s.simulated->AssistData().HdMessagesSeen(), 4);
    EXPECT_TRUE(s.MonitorShows("no acknowledgement of message 4"));
    EXPECT_FALSE(s.MonitorShows("Inject AGPS Data completely"));
    // A new upload starts afresh.
    ASSERT_TRUE(s.core.Hd.Upload(HdbFile(73, 10)));
    s.time.Advance(2000);
    EXPECT_EQ(s.core.Hd.Outcome(), HdUploadOutcome::Complete);
}

TEST(HdEndToEnd, InitialAidingMessagesAreEchoedInTheMonitor) {
    AppCoreStation s(Receiver("hd"));
    ASSERT_TRUE(s.Identify());
    for (InitialAiding aiding :
         {InitialAiding::Time, InitialAiding::Position, InitialAiding::PositionTime}) {
        ASSERT_TRUE(s.core.Hd.SendInitialAiding(aiding));
        s.time.Advance(500);
    }
    EXPECT_EQ(s.simulated->AssistData().AidingMessagesSeen(), 3);
    EXPECT_TRUE(s.MonitorShows("  [AID-TIME]"));
    EXPECT_TRUE(s.MonitorShows("  [AID-POS]"));
    EXPECT_TRUE(s.MonitorShows("  [AID-POSTIME]"));
    EXPECT_TRUE(s.MonitorShows("PL Len : 20"));
    EXPECT_TRUE(s.MonitorShows("PL Len : 17"));
    EXPECT_TRUE(s.MonitorShows("PL Len : 22"));
}

TEST(HdEndToEnd, CtrlColdStartInjectsTheHexFileAfterTheRestart) {
    AppCoreStation s(Receiver("hd"));
    ASSERT_TRUE(s.Identify());
    const std::string frame = BuildHdFrame(0x0B, 0x11, std::string(20, '\0'));
    {
        std::ofstream hex(s.folder.Path() / "HED_AGPS.hex");
        hex << BinToHex(frame) << "\r\n\r\n" << BinToHex(frame) << "\r\n";
    }
    s.core.ToolButtonClicked(ToolButton::ColdStart, true);
    EXPECT_EQ(s.core.Restart.PendingHdAssist, HdAssistRequest::UploadLocalFile);
    EXPECT_EQ(s.simulated->AssistData().AidingMessagesSeen(), 0);
    s.time.Advance(3000);
    EXPECT_EQ(s.simulated->AssistData().AidingMessagesSeen(), 2);
    EXPECT_EQ(s.core.Restart.PendingHdAssist, HdAssistRequest::None);
    EXPECT_TRUE(s.MonitorShows("  <" + BinToHex(frame) + ">"));
}

TEST(HdEndToEnd, BadHexLineEndsTheInjection) {
    AppCoreStation s(Receiver("hd"));
    ASSERT_TRUE(s.Identify());
    const std::string frame = BinToHex(BuildHdFrame(0x0B, 0x11, std::string(20, '\0')));
    const auto path = s.folder.Path() / "frames.hex";
    {
        std::ofstream hex(path);
        hex << frame << "\n" << frame.substr(1) << "\n" << frame << "\n";
    }
    s.core.Hd.UpdateFromFile(path);
    s.time.Advance(500);
    EXPECT_EQ(s.simulated->AssistData().AidingMessagesSeen(), 1);
    EXPECT_EQ(LastMessage(s.prompts), "Invalid Data !");
}

TEST(AssistDownloads, LastModifiedShownAsDateAndTime) {
    EXPECT_EQ(LastModifiedText("Wed, 09 Dec 2026 15:00:07 GMT"), "2026-12-09_15:00:07");
    EXPECT_EQ(LastModifiedText("yesterday"), "yesterday");
    EXPECT_EQ(LastModifiedText(""), "");
}

TEST(AssistDownloads, HdDownloadFromTheUsersServerThenUpload) {
    AppCoreStation s(Receiver("hd"));
    ScriptedDownloader downloader(s.time);
    FixedNetworkStatus network;
    s.core.SetAssistNetwork(&downloader, &network);
    ASSERT_TRUE(s.Identify());
    s.core.Hd.Options().BdsTicked = false;

    // No address set: nothing is fetched, and the user is told where to set one.
    s.core.HdUpdateOnlineClicked();
    EXPECT_TRUE(downloader.Requests.empty());
    EXPECT_NE(LastMessage(s.prompts).find("set it in the settings"), std::string::npos);

    s.core.AssistServers.SetAddress(AssistServer::Base, "http://127.0.0.1:8000/data");
    downloader.Next.Outcome = DownloadOutcome::Ok;
    downloader.Next.Body = HdbFile(73, 100);
    downloader.Next.LastModified = "Wed, 09 Dec 2026 15:00:07 GMT";
    s.core.HdUpdateOnlineClicked();
    ASSERT_TRUE(RunHd(s, 100, 0));
    ASSERT_EQ(downloader.Requests.size(), 2u);
    EXPECT_EQ(downloader.Requests[0].Verb, DownloadRequest::Method::Head);
    EXPECT_EQ(downloader.Requests[1].Url,
              "http://127.0.0.1:8000/data/HDAgps/file_gnss_aid_eph.hdb");
    EXPECT_EQ(s.core.Hd.View().TimeTexts[0], "HDB:2026-12-09_15:00:07 (7300)");
    EXPECT_EQ(s.core.Hd.Outcome(), HdUploadOutcome::Complete);
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// "get HDB" and "Save HDB" write the downloads into a folder; a kind whose download failed
// leaves the file already there alone rather than emptying it.
TEST(AssistDownloads, HdbFilesSavedForTheTickedKindsThatArrived) {
    const std::string gnss = HdbFile(73, 12);
    const std::string beidou = HdbFile(100, 4);
    const std::string earlier = HdbFile(73, 3);
    struct Case {
        const char* Name;
        bool GnssOnServer;
        bool BdsTicked;
        bool Upload;  // "Update HDB on Line" with "Save HDB" rather than "get HDB"
        std::string GnssFileAfter;
        std::string BeidouFileAfter;
        std::size_t GnssFramesTaken;
    };
    const Case cases[] = {
        {"get HDB, both kinds", true, true, false, gnss, beidou, 0},
        {"get HDB, BDS unticked", true, false, false, gnss, "", 0},
        {"get HDB, GNSS file missing", false, true, false, earlier, beidou, 0},
        {"update on line and save", true, false, true, gnss, "", 12},
        {"update on line, GNSS file missing", false, false, true, earlier, "", 0},
        {"update on line, only the BDS file arrived", false, true, true, earlier, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        AppCoreStation s(Receiver("hd"));
        ScriptedDownloader downloader(s.time);
        FixedNetworkStatus network;
        s.core.SetAssistNetwork(&downloader, &network);
        ASSERT_TRUE(s.Identify());
        s.core.AssistServers.SetAddress(AssistServer::Base, "http://127.0.0.1:8000");
        DownloadResult found;
        found.Outcome = DownloadOutcome::Ok;
        found.LastModified = "Wed, 09 Dec 2026 15:00:07 GMT";
        DownloadResult missing;
        missing.Outcome = DownloadOutcome::NotFound;
        missing.ErrorText = "Not Found";
        const std::string base = "http://127.0.0.1:8000/HDAgps/";
        found.Body = gnss;
        downloader.ByUrl[base + "file_gnss_aid_eph.hdb"] = c.GnssOnServer ? found : missing;
        found.Body = beidou;
        downloader.ByUrl[base + "file_local_bd_aid_eph.hdb"] = found;
        s.core.Hd.Options().BdsTicked = c.BdsTicked;

        const std::filesystem::path folder = s.folder.Path() / "current";
        std::filesystem::create_directory(folder);
        {
            std::ofstream out(folder / "file_gnss_aid_eph.hdb", std::ios::binary);
            out << earlier;
        }
        if (c.Upload) {
            s.core.Fetch->UpdateHdOnline(true, folder);
        } else {
            s.core.Fetch->GetHdb(folder);
        }
        s.time.Advance(5000);

        EXPECT_EQ(ReadAll(folder / "file_gnss_aid_eph.hdb"), c.GnssFileAfter);
        EXPECT_EQ(ReadAll(folder / "file_local_bd_aid_eph.hdb"), c.BeidouFileAfter);
        EXPECT_EQ(s.simulated->AssistData().HdGnssFrames(), c.GnssFramesTaken);
        EXPECT_EQ(s.simulated->AssistData().HdBeidouFrames(), 0u);
    }
}

// "Save HDB" into a folder that cannot be written puts the file beside the logs instead.
TEST(AssistDownloads, HdbSavedBesideTheLogsWhenTheFolderIsNotWritable) {
    AppCoreStation s(Receiver("hd"));
    ASSERT_TRUE(s.Identify());
    const std::string gnss = HdbFile(73, 5);
    s.core.Hd.SetDownloaded(HdbKind::Gnss, gnss, "2026-12-09_15:00:07");
    const auto saved = s.core.Hd.SaveDownloaded(HdbKind::Gnss, s.folder.Path() / "no" / "such");
    EXPECT_EQ(saved, s.folder.Path() / "file_gnss_aid_eph.hdb");
    EXPECT_EQ(ReadAll(saved), gnss);
    EXPECT_TRUE(s.MonitorShows("saved >"));
}

// The speed button beside the file name: the trimmed name, relative to the program's folder,
// chosen by extension in any case; a missing file is named in the error.
TEST(AssistDownloads, NamedFileButtonUploadsInjectsOrNamesTheMissingFile) {
    AppCoreStation s(Receiver("hd"));
    ASSERT_TRUE(s.Identify());
    s.core.Hd.Options().BdsTicked = false;
    {
        std::ofstream out(s.folder.Path() / "mine.HDB", std::ios::binary);
        out << HdbFile(73, 7);
    }
    {
        std::ofstream out(s.folder.Path() / "aid.hex");
        out << BinToHex(BuildHdFrame(0x0B, 0x11, std::string(20, '\0'))) << "\n";
    }
    s.core.Hd.Options().FileName = "  mine.HDB \t";
    s.core.Hd.UpdateFromNamedFile();
    ASSERT_TRUE(RunHd(s, 7, 0));
    s.core.Hd.Options().FileName = "aid.hex";
    s.core.Hd.UpdateFromNamedFile();
    s.time.Advance(500);
    EXPECT_EQ(s.simulated->AssistData().AidingMessagesSeen(), 1);
    s.core.Hd.Options().FileName = " gone.hdb ";
    s.core.Hd.UpdateFromNamedFile();
    EXPECT_EQ(LastMessage(s.prompts), "\"gone.hdb\" not found !");
}

TEST(AssistDownloads, SgeeFileMissingOnTheServerSendsNothing) {
    AppCoreStation s(Receiver("sirf4"));
    ScriptedDownloader downloader(s.time);
    FixedNetworkStatus network;
    s.core.SetAssistNetwork(&downloader, &network);
    ASSERT_TRUE(s.Identify());
    s.core.AssistServers.SetAddress(AssistServer::Sgee, "http://127.0.0.1:8000/sgee.bin");
    downloader.Next.Outcome = DownloadOutcome::NotFound;
    downloader.Next.ErrorText = "Not Found";
    s.port.ClearWrites();
    s.core.SgeeUpdateClicked();
    s.time.Advance(1000);
    EXPECT_EQ(LastMessage(s.prompts), "The AGPS data is not available !");
    EXPECT_TRUE(s.port.Writes().empty());
    EXPECT_FALSE(s.core.Sgee.Running());
    EXPECT_TRUE(s.core.Sgee.View().CloseEnabled);
}

}  // namespace
}  // namespace gnss::testing
