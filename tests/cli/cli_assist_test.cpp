// gnssvaro-cli assist against gnss-sim on pseudo-terminals, with the data served by a real HTTP
// server on 127.0.0.1: a SiRF IV SDK receiver gets an SGEE file (status before and after), an HD
// receiver gets both HD ephemeris files (HEAD for the time stamp, then GET). The simulator's own
// account of the data it took must match what the server held.

#include <gtest/gtest.h>
#include <zlib.h>

#include <QDateTime>
#include <QFile>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_test_support.h"
#include "frames/binary_frame.h"
#include "platform/http_test_server.h"

namespace gnss {
namespace {

using testing::JsonObjects;
using testing::SimServer;

std::string SgeeFile(std::size_t size) {
    std::string file(size, '\0');
    for (std::size_t i = 0; i < size; ++i) file[i] = static_cast<char>((i * 31 + 7) & 0xFF);
    return file;
}

// `count` HD frames of `frameBytes` bytes each, with distinct payloads.
std::string HdbFile(std::size_t frameBytes, std::size_t count) {
    std::string file;
    for (std::size_t i = 0; i < count; ++i) {
        std::string payload(frameBytes - 8, '\0');
        for (std::size_t k = 0; k < payload.size(); ++k) {
            payload[k] = static_cast<char>((i * 17 + k) & 0xFF);
        }
        file += BuildHdFrame(0x0B, 0x01, payload);
    }
    return file;
}

QString Crc32Text(const std::string& bytes) {
    const auto crc =
        crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
    return QString("%1").arg(static_cast<qulonglong>(crc), 8, 16, QChar('0'));
}

// The simulator's summary of the assistance data it took, as name=value pairs.
QMap<QString, QString> TakenData(const QByteArray& simErrors) {
    QMap<QString, QString> values;
    for (const QByteArray& line : simErrors.split('\n')) {
        const QString text = QString::fromUtf8(line);
        if (!text.startsWith("gnss-sim: assistance data taken:")) continue;
        for (const QString& pair : text.mid(32).split(' ', Qt::SkipEmptyParts)) {
            values[pair.section('=', 0, 0)] = pair.section('=', 1);
        }
    }
    return values;
}

QStringList ValuesOf(const std::vector<QJsonObject>& objects, const QString& key) {
    QStringList values;
    for (const QJsonObject& object : objects) {
        if (object.contains(key)) values << object[key].toString();
    }
    return values;
}

struct AssistRun {
    QStringList SimArgs;
    std::unique_ptr<SimServer> Sim;
    std::unique_ptr<QProcess> Cli;
    std::vector<QJsonObject> Out;
    QByteArray Errors;
    QByteArray SimErrors;
    int ExitCode = -1;
};

void RunAll(std::vector<AssistRun>& runs, const QString& server) {
    for (AssistRun& run : runs) {
        run.Sim = std::make_unique<SimServer>(run.SimArgs);
        ASSERT_TRUE(run.Sim->Ok())
            << "gnss-sim did not start: " << testing::kSimProgram.toStdString();
        run.Cli = std::make_unique<QProcess>();
        run.Cli->start(testing::kCliProgram, {"assist", "--port", run.Sim->Device(), "--baud",
                                              run.Sim->Baud(), "--json", "--server", server});
        ASSERT_TRUE(run.Cli->waitForStarted(10000))
            << "gnssvaro-cli did not start: " << testing::kCliProgram.toStdString();
    }
    testing::WaitUntil(
        [&] {
            for (AssistRun& run : runs) {
                if (run.Cli->state() != QProcess::NotRunning) return false;
            }
            return true;
        },
        120000);
    for (AssistRun& run : runs) {
        if (run.Cli->state() != QProcess::NotRunning) run.Cli->kill();
        run.Cli->waitForFinished(3000);
        run.Out = JsonObjects(run.Cli->readAllStandardOutput());
        run.Errors = run.Cli->readAllStandardError();
        run.ExitCode = run.Cli->exitStatus() == QProcess::NormalExit ? run.Cli->exitCode() : -1;
        run.SimErrors = run.Sim->StopAndReadErrors();
    }
}

TEST(CliAssist, DownloadsAndUploadsSgeeAndHdDataThatTheReceiversStore) {
    testing::HttpTestServer server;
    ASSERT_TRUE(server.Ready()) << "python3 -m http.server did not start";
    const std::string sgee = SgeeFile(10050);
    const std::string gnss = HdbFile(73, 12);    // three messages: 5, 5 and 2 frames
    const std::string beidou = HdbFile(100, 4);  // two messages: 3 and 1 frames
    ASSERT_TRUE(server.Put("sgee.bin", sgee));
    ASSERT_TRUE(server.Put("HDAgps/file_gnss_aid_eph.hdb", gnss));
    ASSERT_TRUE(server.Put("HDAgps/file_local_bd_aid_eph.hdb", beidou));
    const QDateTime stamp(QDate(2026, 3, 14), QTime(9, 26, 53), Qt::UTC);
    for (const char* name : {"HDAgps/file_gnss_aid_eph.hdb", "HDAgps/file_local_bd_aid_eph.hdb"}) {
        QFile file(server.FilePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    }

    std::vector<AssistRun> runs(2);
    runs[0].SimArgs = {"--family", "sirf4", "--variant", "sdk"};
    runs[1].SimArgs = {"--family", "hd"};
    RunAll(runs, server.Url(""));

    {
        SCOPED_TRACE("SGEE");
        const AssistRun& run = runs[0];
        EXPECT_EQ(run.ExitCode, 0) << run.Errors.toStdString();
        EXPECT_EQ(ValuesOf(run.Out, "before"), QStringList{"Please Update AGPS data !"});
        EXPECT_EQ(ValuesOf(run.Out, "sentences"), QStringList{"103"});
        EXPECT_FALSE(ValuesOf(run.Out, "progress").isEmpty());
        EXPECT_EQ(ValuesOf(run.Out, "after"),
                  QStringList{"AGPS data is valid for 7 day(s) 0 hour(s)"});
        const auto taken = TakenData(run.SimErrors);
        EXPECT_EQ(taken.value("sgee_bytes"), "10050") << run.SimErrors.toStdString();
        EXPECT_EQ(taken.value("sgee_crc32"), Crc32Text(sgee));
        EXPECT_EQ(taken.value("sgee_stored"), "1");
    }
    {
        SCOPED_TRACE("HD");
        const AssistRun& run = runs[1];
        EXPECT_EQ(run.ExitCode, 0) << run.Errors.toStdString();
        EXPECT_EQ(ValuesOf(run.Out, "download"),
                  (QStringList{"HDB:2026-03-14_09:26:53 (876)", "BDS:2026-03-14_09:26:53 (400)"}));
        EXPECT_EQ(ValuesOf(run.Out, "result"), QStringList{"Inject AGPS Data completely !"});
        const auto taken = TakenData(run.SimErrors);
        EXPECT_EQ(taken.value("hd_gnss_frames"), "12") << run.SimErrors.toStdString();
        EXPECT_EQ(taken.value("hd_beidou_frames"), "4");
        EXPECT_EQ(taken.value("hd_messages"), "5");
    }
    {
        SCOPED_TRACE("requests");
        // Each HD file: its time stamp first (HEAD), then the file (GET); SGEE only by GET.
        const QString log = QString::fromUtf8(server.Log());
        const QRegularExpression request(R"re("(HEAD|GET) /(\S+) HTTP)re");
        QStringList requests;
        for (auto it = request.globalMatch(log); it.hasNext();) {
            const auto match = it.next();
            requests << match.captured(1) + " " + match.captured(2);
        }
        requests.sort();
        EXPECT_EQ(requests, (QStringList{"GET HDAgps/file_gnss_aid_eph.hdb",
                                         "GET HDAgps/file_local_bd_aid_eph.hdb", "GET sgee.bin",
                                         "HEAD HDAgps/file_gnss_aid_eph.hdb",
                                         "HEAD HDAgps/file_local_bd_aid_eph.hdb"}))
            << log.toStdString();
        EXPECT_LT(log.indexOf("HEAD /HDAgps/file_gnss_aid_eph.hdb"),
                  log.indexOf("GET /HDAgps/file_gnss_aid_eph.hdb"));
    }
}

}  // namespace
}  // namespace gnss
