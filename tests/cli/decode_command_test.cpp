// gnssvaro-cli decode, run as a program.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace gnss {
namespace {

const QString kProgram = QString(GNSS_BINARY_DIR) + "/src/gnssvaro-cli";
const QString kCapture =
    QString(GNSS_TESTDATA_DIR) + "/quectel_l70_mtk_nmea_pmtk705-pqverno-banner.log";
const QString kGolden =
    QString(GNSS_TEST_GOLDEN_DIR) + "/golden/quectel_l70_mtk_nmea_pmtk705-pqverno-banner.log.jsonl";

struct RunResult {
    int ExitCode = -1;
    QByteArray Out;
    QString Err;
};

RunResult RunDecode(const QStringList& arguments) {
    QProcess process;
    process.start(kProgram, QStringList{"decode"} + arguments);
    RunResult result;
    if (!process.waitForStarted(10000) || !process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        result.Err = "did not run: " + process.errorString();
        return result;
    }
    result.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.Out = process.readAllStandardOutput();
    result.Err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

TEST(DecodeCommand, WrongArgumentsEndWithCode2AndUnreadableFilesWith1) {
    const struct {
        QStringList arguments;
        int exitCode;
    } cases[] = {
        {{}, 2},
        {{kCapture, kCapture}, 2},
        {{kCapture, "--baud", "10"}, 2},
        {{kCapture, "--baud", "fast"}, 2},
        {{kCapture, "--family", "nonesuch"}, 2},
        {{kCapture, "--no-such-option"}, 2},
        {{"/nonexistent/capture.log"}, 1},
        {{QString(GNSS_TESTDATA_DIR)}, 1},  // a folder
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const RunResult result = RunDecode(c.arguments);
        EXPECT_EQ(result.ExitCode, c.exitCode);
        EXPECT_FALSE(result.Err.isEmpty());
        EXPECT_TRUE(result.Out.isEmpty());
    }
}

TEST(DecodeCommand, JsonOutputIsTheStoredReport) {
    ASSERT_TRUE(QFile::exists(kCapture)) << "capture missing: " << kCapture.toStdString();
    const RunResult result = RunDecode({kCapture});
    ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    QFile golden(kGolden);
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    EXPECT_TRUE(result.Out == golden.readAll());
}

TEST(DecodeCommand, AFileWithoutCrLfIsReadWithLfLineEnds) {
    const QString capture =
        QString(GNSS_TESTDATA_DIR) + "/ublox_neo-m8n_nmea_gntxt-banner_coldstart.log";
    ASSERT_TRUE(QFile::exists(capture)) << "capture missing: " << capture.toStdString();
    const RunResult result = RunDecode({capture});
    ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    EXPECT_TRUE(result.Err.contains("read as CR LF")) << result.Err.toStdString();
    QFile golden(QString(GNSS_TEST_GOLDEN_DIR) +
                 "/golden/ublox_neo-m8n_nmea_gntxt-banner_coldstart.log.jsonl");
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    EXPECT_TRUE(result.Out == golden.readAll()) << "the same as with --lf";
    EXPECT_TRUE(RunDecode({capture, "--lf"}).Err.isEmpty());
}

TEST(DecodeCommand, TextOutputWithOptions) {
    ASSERT_TRUE(QFile::exists(kCapture)) << "capture missing: " << kCapture.toStdString();
    const RunResult result = RunDecode({"--text", "--baud", "9600", "--family", "MTK", kCapture});
    ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    const QString text = QString::fromLatin1(result.Out);
    EXPECT_TRUE(
        text.startsWith("replay quectel_l70_mtk_nmea_pmtk705-pqverno-banner.log at 9600 "
                        "bit/s, family MTK\n"))
        << text.left(200).toStdString();
    EXPECT_TRUE(text.contains("] GGA gns=no time="));
    EXPECT_TRUE(text.contains("satellites in view "));
    EXPECT_TRUE(text.contains("\n  link state       NMEA\n"));
}

}  // namespace
}  // namespace gnss
