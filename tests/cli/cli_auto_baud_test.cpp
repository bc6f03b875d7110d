// gnssvaro-cli monitor --baud auto against gnss-sim on a pseudo-terminal: the simulator reads
// the terminal's rate and garbles its output at any other, as a real UART line does.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QString>
#include <csignal>

#include "platform/qt_test_support.h"

namespace gnss {
namespace {

const QString kCli = QString(GNSS_BINARY_DIR) + "/src/gnssvaro-cli";
const QString kSim = QString(GNSS_BINARY_DIR) + "/src/gnss-sim";

// Collects a process's standard output as it comes.
struct Output {
    explicit Output(QProcess& process) : process_(process) {}
    bool Contains(const QString& text) {
        text_ += QString::fromLatin1(process_.readAllStandardOutput());
        return text_.contains(text);
    }
    [[nodiscard]] const QString& Text() const { return text_; }

  private:
    QProcess& process_;
    QString text_;
};

void Stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished();
    }
}

TEST(CliAutoBaud, MonitorFindsTheSimulatorsRateAndPrintsItsSentences) {
    ASSERT_TRUE(QFile::exists(kSim)) << "gnss-sim program missing: " << kSim.toStdString();
    for (const char* rate : {"57600", "921600"}) {
        SCOPED_TRACE(rate);
        QProcess sim;
        sim.start(kSim, {"--family", "mtk", "--baud", rate});
        ASSERT_TRUE(sim.waitForStarted(10000));
        Output simOut(sim);
        ASSERT_TRUE(testing::WaitUntil([&] { return simOut.Contains("\n"); }, 10000));
        const QString device = simOut.Text().section('\n', 0, 0).trimmed();
        ASSERT_TRUE(device.startsWith("/dev/")) << simOut.Text().toStdString();

        QProcess monitor;
        monitor.start(kCli, {"monitor", "--port", device, "--baud", "auto"});
        ASSERT_TRUE(monitor.waitForStarted(10000));
        Output out(monitor);
        // The search, then NMEA at the receiver's rate: nine rates of about a second at most.
        EXPECT_TRUE(
            testing::WaitUntil([&] { return out.Contains("-- link state: NMEA\n"); }, 20000))
            << out.Text().toStdString();
        EXPECT_TRUE(testing::WaitUntil([&] { return out.Contains("GGA,"); }, 5000));
        Stop(monitor);
        Stop(sim);
        const QString err = QString::fromLatin1(monitor.readAllStandardError());
        EXPECT_TRUE(out.Text().startsWith("-- link state: AutoProtocol\n"))
            << out.Text().toStdString();
        EXPECT_TRUE(err.contains(QString("Baud rate found: %1 bit/s, NMEA").arg(rate)))
            << err.toStdString();
        EXPECT_EQ(monitor.exitCode(), 0);
    }
}

}  // namespace
}  // namespace gnss
