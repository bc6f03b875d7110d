#include "logging/log_recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/virtual_time.h"
#include "doubles/scripted_file_dialogs.h"
#include "doubles/scripted_prompts.h"
#include "doubles/temp_folder.h"
#include "link/memory_receiver_port.h"

namespace gnss {
namespace {

namespace fs = std::filesystem;
using testing::ReadWholeFile;
using testing::ScriptedFileDialogs;
using testing::ScriptedPrompts;
using testing::TempFolder;
using testing::WriteWholeFile;
using Kind = ScriptedPrompts::Kind;

std::string Sentence(int n) {
    return "$GPGGA," + std::to_string(n) + ",4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
}

std::string Lines(int from, int to) {
    std::string text;
    for (int n = from; n < to; ++n) text += Sentence(n) + "\r\n";
    return text;
}

class LogRecorderTest : public ::testing::Test {
  protected:
    explicit LogRecorderTest(bool readOnlyMedia = false) {
        VirtualTime::Options timeOptions;
        timeOptions.StartUtc = DateTime{45658.0 + (13 * 3600 + 45 * 60 + 12) / 86400.0};
        time = std::make_unique<VirtualTime>(timeOptions);
        LogRecorder::Options options;
        options.ProgramFolder = folder.Path();
        options.ReadOnlyMedia = readOnlyMedia;
        port.SetPortName("COM3");
        port.SetBaudRate(9600);
        recorder = std::make_unique<LogRecorder>(*time, prompts, dialogs, shared, port, options);
    }

    // Starts a log under `name` inside the test folder.
    void Start(const std::string& name) {
        dialogs.answers.push_back(folder / name);
        ASSERT_TRUE(recorder->StartLog());
    }

    std::vector<ScriptedPrompts::Shown> Shown(Kind kind) const {
        std::vector<ScriptedPrompts::Shown> result;
        for (const auto& shown : prompts.shown) {
            if (shown.kind == kind) result.push_back(shown);
        }
        return result;
    }

    TempFolder folder;
    std::unique_ptr<VirtualTime> time;
    ScriptedPrompts prompts;
    ScriptedFileDialogs dialogs;
    SharedState shared;
    MemoryReceiverPort port;
    static constexpr std::string_view kCaption = "MERIDAN GPSVaro V:0.99v8 (fw 1.2)";
    std::unique_ptr<LogRecorder> recorder;
};

TEST_F(LogRecorderTest, ProposedNameFollowsPortAndLocalTime) {
    struct Case {
        bool portOpen;
        std::string port;
        int baud;
        std::string expected;
    };
    const Case cases[] = {
        {true, "COM3", 9600, "NMEA_COM3_9600_20250101-134512.txt"},
        {true, "/dev/ttyUSB0", 115200, "NMEA_ttyUSB0_115200_20250101-134512.txt"},
        {true, "/dev/pts/3", 4800, "NMEA_3_4800_20250101-134512.txt"},
        {true, "ttyACM1", 9600, "NMEA_ttyACM1_9600_20250101-134512.txt"},
        {false, "COM3", 9600, "NMEA_20250101-134512.txt"},
    };
    for (const Case& c : cases) {
        shared.PortOpen = c.portOpen;
        port.SetPortName(c.port);
        port.SetBaudRate(static_cast<uint32_t>(c.baud));
        EXPECT_EQ(recorder->ProposedFileName(), c.expected) << c.port;
    }
}

TEST_F(LogRecorderTest, StartAndStopWithoutLinesGivesEmptyFileAndNoTemporary) {
    EXPECT_EQ(recorder->Button().Hint, "Start to Log data");
    const std::string name = folder / "empty.txt";
    Start("empty.txt");
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].filter,
              "Text File (*.txt)|*.txt|NMEA log File (*.log)|*.log|Other type (*.* )|*.*");
    EXPECT_EQ(dialogs.requests[0].defaultExtension, "txt");
    EXPECT_EQ(dialogs.requests[0].initialFolder, folder.Path().string());
    EXPECT_TRUE(fs::exists(folder / "empty.tmp"));
    EXPECT_TRUE(recorder->Button().Down);
    EXPECT_EQ(recorder->Button().Hint, "Stop Log");
    EXPECT_EQ(recorder->StateText(), "Start Log");

    recorder->ToggleLog();  // stops
    EXPECT_FALSE(recorder->LogActive());
    EXPECT_TRUE(fs::exists(name));
    EXPECT_EQ(fs::file_size(name), 0u);
    EXPECT_FALSE(fs::exists(folder / "empty.tmp"));
    ASSERT_EQ(Shown(Kind::Info).size(), 1u);
    EXPECT_EQ(Shown(Kind::Info)[0].text, name + " was saved !");
    EXPECT_EQ(recorder->StateText(), "Stop Log");
    EXPECT_FALSE(recorder->Button().Down);
    EXPECT_EQ(recorder->Button().Hint, "Start to Log data");
}

TEST_F(LogRecorderTest, ExistingFileIsReplacedOnlyAfterYes) {
    struct Case {
        PromptAnswer answer;
        bool started;
    };
    for (const Case& c : {Case{PromptAnswer::No, false}, Case{PromptAnswer::Yes, true}}) {
        const std::string name = folder / "old.txt";
        WriteWholeFile(name, "old content\r\n");
        prompts.shown.clear();
        prompts.answers = {c.answer};
        dialogs.answers.push_back(name);
        EXPECT_EQ(recorder->StartLog(), c.started);
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].text, "[" + name + "] exists !  overwrite it ?");
        if (!c.started) {
            EXPECT_EQ(ReadWholeFile(name), "old content\r\n");
            EXPECT_FALSE(fs::exists(folder / "old.tmp"));
            EXPECT_FALSE(recorder->Button().Down);
            continue;
        }
        recorder->LogAppend("$GPRMC,new");
        recorder->StopLog();
        EXPECT_EQ(ReadWholeFile(name), "$GPRMC,new\r\n");
    }
}

TEST_F(LogRecorderTest, CancelledDialogChangesNothing) {
    EXPECT_FALSE(recorder->StartLog());
    EXPECT_FALSE(recorder->LogActive());
    EXPECT_FALSE(recorder->Button().Down);
    EXPECT_EQ(recorder->StateText(), "");
    recorder->LogAppend("$GPGGA,ignored");
    EXPECT_EQ(recorder->PendingLineCount(), 0u);
    EXPECT_TRUE(fs::is_empty(folder.Path()));
}

TEST_F(LogRecorderTest, UncreatableFileIsReportedAndLeavesTheRecorderIdle) {
    dialogs.answers.push_back(folder / "missing-folder/x.txt");
    EXPECT_FALSE(recorder->StartLog());
    ASSERT_EQ(Shown(Kind::Error).size(), 1u);
    EXPECT_EQ(Shown(Kind::Error)[0].text, "Unable to create Log file.");
    EXPECT_FALSE(recorder->LogActive());
}

// Lines arrive at a given rate and the monitor step hands them over once per second; each
// handover of more than 500 lines reaches the disk as one batch, the rest at stop.
TEST_F(LogRecorderTest, BatchesReachTheFileInOrderEachSecondAndTheRestAtStop) {
    struct Case {
        int perSecond;
        int seconds;
        int tail;
    };
    for (const Case& c : {Case{1200, 5, 300}, Case{501, 3, 17}, Case{400, 3, 0}}) {
        const std::string name = "rate" + std::to_string(c.perSecond) + ".txt";
        Start(name);
        const std::string temp = folder / ("rate" + std::to_string(c.perSecond) + ".tmp");
        int n = 0;
        int written = 0;
        for (int second = 1; second <= c.seconds; ++second) {
            for (int i = 0; i < c.perSecond; ++i) recorder->LogAppend(Sentence(n++));
            recorder->LogHandover();
            recorder->WaitForWriter();
            // More than 500 pending lines go to the disk at once; fewer wait in memory.
            if (n - written > 500) written = n;
            EXPECT_EQ(ReadWholeFile(temp), Lines(0, written)) << c.perSecond << " s" << second;
            EXPECT_EQ(recorder->PendingLineCount(), static_cast<size_t>(n - written));
        }
        for (int i = 0; i < c.tail; ++i) recorder->LogAppend(Sentence(n++));
        recorder->StopLog();
        EXPECT_EQ(ReadWholeFile(folder / name), Lines(0, n));
    }
}

TEST_F(LogRecorderTest, CtrlClickCapturesRawBytesBesideTheTextLog) {
    struct Case {
        bool identified;
        std::string header;
    };
    const Case cases[] = {
        {true, "[/dev/ttyUSB0 @ 115200 bps]==[GPSVaro V:0.99v8 (fw 1.2)]== \r\n\r\n"},
        {false, ""},
    };
    port.SetPortName("/dev/ttyUSB0");
    port.SetBaudRate(115200);
    shared.PortOpen = true;
    int run = 0;
    for (const Case& c : cases) {
        shared.ReceiverIdentified = c.identified;
        const std::string base = "raw" + std::to_string(run++);
        dialogs.answers.push_back(folder / (base + ".txt"));
        recorder->ToggleLog();
        recorder->LogButtonReleased(true, kCaption);
        EXPECT_TRUE(shared.RawCaptureActive);
        EXPECT_EQ(recorder->StateText(), "Start Log+");

        std::string expected = c.header;
        for (int chunk = 0; chunk < 40; ++chunk) {
            // Binary chunks of varying size, some larger than the raw handover size.
            std::string bytes(static_cast<size_t>(chunk) * 3001 % 70000 + 1, '\0');
            for (size_t i = 0; i < bytes.size(); ++i) {
                bytes[i] = static_cast<char>((i * 7 + static_cast<size_t>(chunk)) & 0xFF);
            }
            recorder->LogRaw(bytes);
            expected += bytes;
            recorder->LogAppend(Sentence(chunk));
            if (chunk % 10 == 9) recorder->OnSecondTick();
        }
        recorder->ToggleLog();
        EXPECT_FALSE(shared.RawCaptureActive);
        EXPECT_EQ(ReadWholeFile(folder / (base + ".txt")), Lines(0, 40));
        EXPECT_EQ(ReadWholeFile(folder / (base + ".bin")), expected);
        EXPECT_FALSE(fs::exists(folder / (base + ".tmp")));
        EXPECT_FALSE(fs::exists(folder / (base + ".bin.tmp")));
    }
}

TEST_F(LogRecorderTest, RawCaptureNeedsAnActiveLogAndTheCtrlKey) {
    recorder->LogButtonReleased(true, kCaption);
    EXPECT_FALSE(shared.RawCaptureActive);
    Start("plain.txt");
    recorder->LogButtonReleased(false, kCaption);
    EXPECT_FALSE(shared.RawCaptureActive);
    recorder->LogRaw("ignored");
    recorder->StopLog();
    EXPECT_FALSE(fs::exists(folder / "plain.bin"));
}

TEST_F(LogRecorderTest, ShutdownAsksAndNoLeavesTheTemporaryFile) {
    struct Case {
        PromptAnswer answer;
        bool raw;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {PromptAnswer::No, false, {"q.tmp"}},
        {PromptAnswer::No, true, {"q.bin", "q.tmp"}},
        {PromptAnswer::Yes, true, {"q.bin", "q.txt"}},
    };
    for (const Case& c : cases) {
        TempFolder caseFolder;
        ScriptedPrompts casePrompts;
        ScriptedFileDialogs caseDialogs;
        SharedState caseShared;
        LogRecorder::Options options;
        options.ProgramFolder = caseFolder.Path();
        MemoryReceiverPort casePort;
        LogRecorder caseRecorder(*time, casePrompts, caseDialogs, caseShared, casePort, options);
        caseDialogs.answers.push_back(caseFolder / "q.txt");
        ASSERT_TRUE(caseRecorder.StartLog());
        if (c.raw) caseRecorder.LogButtonReleased(true, kCaption);
        for (int n = 0; n < 700; ++n) caseRecorder.LogAppend(Sentence(n));
        caseRecorder.LogHandover();
        for (int n = 700; n < 750; ++n) caseRecorder.LogAppend(Sentence(n));
        caseRecorder.LogRaw("\xB5\x62raw");
        casePrompts.answers = {c.answer};
        caseRecorder.Shutdown();
        ASSERT_FALSE(casePrompts.shown.empty());
        EXPECT_EQ(casePrompts.shown[0].text, "Do you want to save log data before quit ? ");
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(caseFolder.Path())) {
            files.push_back(entry.path().filename().string());
        }
        std::sort(files.begin(), files.end());
        EXPECT_EQ(files, c.files);
        const std::string textFile = c.answer == PromptAnswer::Yes ? "q.txt" : "q.tmp";
        EXPECT_EQ(ReadWholeFile(caseFolder / textFile), Lines(0, 750));
        if (c.raw) {
            EXPECT_EQ(ReadWholeFile(caseFolder / "q.bin"), "\xB5\x62raw");
        }
    }
}

TEST_F(LogRecorderTest, ShutdownWithoutLogAsksNothing) {
    recorder->Shutdown();
    EXPECT_TRUE(prompts.shown.empty());
}

#ifndef _WIN32
// The temporary file is a link to /dev/full, so every flush fails with "no space left".
TEST_F(LogRecorderTest, WriteErrorIsReportedOnceAndTheWriterCarriesOn) {
    fs::create_symlink("/dev/full", folder / "full.tmp");
    Start("full.txt");
    for (int second = 0; second < 3; ++second) {
        for (int n = 0; n < 600; ++n) recorder->LogAppend(Sentence(n));
        recorder->LogHandover();
        recorder->WaitForWriter();
        recorder->OnSecondTick();
    }
    ASSERT_EQ(Shown(Kind::Error).size(), 1u);
    EXPECT_NE(Shown(Kind::Error)[0].text.find("full.tmp"), std::string::npos);
    recorder->StopLog();
    EXPECT_EQ(Shown(Kind::Error).size(), 1u);
    EXPECT_TRUE(Shown(Kind::Info).empty()) << "a log that lost data is not announced as saved";

    // The writer is still alive: the next log is written in full.
    Start("after.txt");
    for (int n = 0; n < 600; ++n) recorder->LogAppend(Sentence(n));
    recorder->LogHandover();
    recorder->WaitForWriter();
    EXPECT_EQ(ReadWholeFile(folder / "after.tmp"), Lines(0, 600));
    recorder->StopLog();
    EXPECT_EQ(ReadWholeFile(folder / "after.txt"), Lines(0, 600));
    EXPECT_EQ(Shown(Kind::Info).size(), 1u);
}
#endif

class ReadOnlyMediaTest : public LogRecorderTest {
  protected:
    ReadOnlyMediaTest() : LogRecorderTest(true) {}
};

TEST_F(ReadOnlyMediaTest, LoggingIsDisabled) {
    EXPECT_FALSE(recorder->Button().Enabled);
    EXPECT_EQ(recorder->Button().Hint,
              "The Log function was disabled when run the utility from CD-ROM !");
    dialogs.answers.push_back(folder / "x.txt");
    EXPECT_FALSE(recorder->StartLog());
    EXPECT_TRUE(dialogs.requests.empty());
}

}  // namespace
}  // namespace gnss
