// Corrections end to end, on the loopback address only: an NTRIP caster (str2str of RTKLIB)
// fed the RTCM 3 capture of the test data on its standard input at a steady pace, the NTRIP
// client started by the window from its dialog, the window's correction link, and gnss-sim as
// an RTK receiver that records the frames it receives. With GNSS_SCREENSHOT_DIR set, the window
// is saved there while corrections flow.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QFile>
#include <QPushButton>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTimer>
#include <QToolButton>
#include <map>

#include "corrections/rtcm3_frames.h"
#include "ui/corrections_panel_widget.h"
#include "ui/ntrip_client_dialog.h"
#include "ui/sim_window_harness.h"

namespace gnss::ui {
namespace {

using testing::SimProcess;
using testing::WaitFor;
using testing::WindowProgram;

constexpr const char* kCapture = "trimble_netr9_rtcm3_msm7_gps-glo-qzs-bds_cut-at-256k.rtcm3";
constexpr int kChunkBytes = 2000;
constexpr int kChunkEveryMs = 200;
// The stream is cut to this many bytes of whole frames, so that the test lasts about 12 s.
constexpr std::size_t kStreamBytes = 120000;

uint16_t FreePort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

// The first whole frames of the capture up to about `limit` bytes, and their counts per type.
struct Stream {
    QByteArray Bytes;
    std::map<uint16_t, uint64_t> Counts;
};
Stream WholeFrames(const QByteArray& capture, std::size_t limit) {
    Stream stream;
    qsizetype pos = 0;
    while (pos + 6 <= capture.size() && static_cast<uint8_t>(capture[pos]) == kRtcm3Preamble) {
        const qsizetype length = (static_cast<qsizetype>(capture[pos + 1] & 0x03) << 8) |
                                 static_cast<uint8_t>(capture[pos + 2]);
        if (pos + length + 6 > capture.size() || static_cast<std::size_t>(pos) > limit) break;
        const std::string payload = capture.mid(pos + 3, 2).toStdString();
        ++stream.Counts[static_cast<uint16_t>(RtcmBits(payload, 0, 12))];
        pos += length + 6;
    }
    stream.Bytes = capture.left(pos);
    return stream;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void SaveScreenshot(QWidget& window, const char* name) {
    if (const char* folder = std::getenv("GNSS_SCREENSHOT_DIR")) {
        window.grab().save(QString(folder) + "/" + name);
    }
}

TEST(WindowCorrections, CasterToSimulatedRtkReceiverThroughTheToolStartedNtripClient) {
    const QString str2str = QStandardPaths::findExecutable("str2str");
    ASSERT_FALSE(str2str.isEmpty())
        << "str2str not found: install the Debian package rtklib (scripts/ensure-deps.sh)";
    const QByteArray capture = ReadAll(QString(GNSS_TESTDATA_DIR) + "/" + kCapture);
    ASSERT_GT(capture.size(), kStreamBytes) << "missing capture " << kCapture;
    const Stream stream = WholeFrames(capture, kStreamBytes);

    WindowProgram program;
    const QString record = QString::fromStdString((program.folder.Path() / "rtcm.bin").string());
    SimProcess sim({"--family", "rtk-df", "--rtcm-record", record, "--power-on-ms", "1000"});
    ASSERT_TRUE(sim.started);

    const uint16_t casterPort = FreePort();
    const uint16_t localPort = FreePort();
    QProcess caster;
    caster.setStandardErrorFile(QProcess::nullDevice());
    caster.start(str2str, {"-out", QString("ntripc://rover:s3cret@:%1/SIM").arg(casterPort)});
    ASSERT_TRUE(caster.waitForStarted(5000));

    program.window.resize(1218, 900);
    program.window.show();
    program.Connect(sim);
    ASSERT_TRUE(WaitFor([&] { return program.core.Shared().ReceiverIdentified; }, 15000));
    ASSERT_TRUE(WaitFor([&] { return program.window.NtripButton()->isVisible(); }, 3000));
    EXPECT_TRUE(program.window.NtripButton()->isEnabled());

    // The panel through its access word, the client through the toolbar button and its dialog.
    auto* panel = program.window.findChild<CorrectionsPanelWidget*>("plRTCM");
    ASSERT_NE(panel, nullptr);
    program.core.AccessWordEntered("RTCM");
    ASSERT_TRUE(WaitFor([&] { return panel->isVisible(); }, 2000));
    program.core.Corrections.SetLocalPort(localPort);
    program.window.NtripButton()->click();
    auto* dialog = program.window.findChild<NtripClientDialog*>("dlgNtripClient");
    ASSERT_NE(dialog, nullptr);
    NtripClientSettings client;
    client.CasterHost = "127.0.0.1";
    client.CasterPort = casterPort;
    client.MountPoint = "SIM";
    client.User = "rover";
    client.Password = "s3cret";
    dialog->Load(client);
    dialog->findChild<QPushButton*>("btnNtripStart")->click();
    ASSERT_TRUE(program.core.NtripClient.Running()) << program.core.NtripClient.StateText();
    for (const std::string& line : program.core.Memo.Lines()) {
        EXPECT_EQ(line.find("s3cret"), std::string::npos) << line;
    }

    // Tick "Ntrip_TCPIP" once the client serves its port; let the client reach the caster.
    QCheckBox* link = panel->LinkBox();
    ASSERT_TRUE(WaitFor(
        [&] {
            if (!link->isChecked()) link->click();
            return program.core.Corrections.LinkOn();
        },
        5000));
    WaitFor([] { return false; }, 1500);

    // The caster sends the stream at a steady pace.
    qsizetype sent = 0;
    QTimer pace;
    QObject::connect(&pace, &QTimer::timeout, [&] {
        if (sent >= stream.Bytes.size()) return;
        sent += caster.write(stream.Bytes.mid(sent, kChunkBytes));
    });
    pace.start(kChunkEveryMs);
    ASSERT_TRUE(WaitFor([&] { return program.core.Receiver().FixQuality == 4; }, 15000));
    WaitFor([&] { return sent > stream.Bytes.size() / 2; }, 10000);
    SaveScreenshot(program.window, "corrections_flowing.png");
    SaveScreenshot(*dialog, "ntrip_client_dialog.png");
    ASSERT_TRUE(WaitFor([&] { return ReadAll(record).size() >= stream.Bytes.size(); }, 30000))
        << ReadAll(record).size() << " of " << stream.Bytes.size();

    const QByteArray received = ReadAll(record);
    EXPECT_EQ(QCryptographicHash::hash(received, QCryptographicHash::Sha256),
              QCryptographicHash::hash(stream.Bytes, QCryptographicHash::Sha256));
    EXPECT_EQ(program.core.Corrections.Frames().CountsByType, stream.Counts);
    EXPECT_EQ(program.core.Corrections.Frames().CrcFailures, 0U);
    EXPECT_EQ(program.core.Navigation.View().FixText, "RTK (Fix)");

    // The caster ends mid-stream: the client keeps serving its port but reports its input lost,
    // and the link ends with the failure text; the client and the receiver stay.
    caster.kill();
    caster.waitForFinished(3000);
    ASSERT_TRUE(WaitFor([&] { return !program.core.Corrections.LinkOn(); }, 25000))
        << program.core.NtripClient.LastOutputLine();
    const RtcmPanelView view = program.core.Corrections.PanelView();
    EXPECT_EQ(view.StatusText, kLinkFailedText);
    EXPECT_EQ(view.StatusBar[0], kCasterUnreachableText);
    ASSERT_TRUE(WaitFor([&] { return !link->isChecked(); }, 2000));
    EXPECT_TRUE(program.core.NtripClient.Running());
    EXPECT_TRUE(program.core.Shared().PortOpen);

    program.core.StopNtripClient();
    for (const std::string& line : program.core.Memo.Lines()) {
        EXPECT_EQ(line.find("s3cret"), std::string::npos) << line;
    }
}

}  // namespace
}  // namespace gnss::ui
