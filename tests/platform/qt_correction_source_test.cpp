// The correction link's TCP adapter against a local server: connecting, taking what arrived,
// the last bytes after the other end closed, then the failure; a refused connect.

#include "platform/qt_correction_source.h"

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <string>

#include "platform/qt_process_runner.h"
#include "qt_test_support.h"

namespace gnss {
namespace {

using testing::WaitUntil;

TEST(QtCorrectionSource, TakesWhatArrivedThenTheLastBytesThenFails) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    QtCorrectionSource source;
    ASSERT_TRUE(source.Connect("127.0.0.1", server.serverPort()));
    ASSERT_TRUE(WaitUntil([&] { return server.hasPendingConnections(); }));
    QTcpSocket* peer = server.nextPendingConnection();

    std::string taken;
    EXPECT_TRUE(source.TakeAvailable(taken));  // connected, nothing yet
    EXPECT_TRUE(taken.empty());
    peer->write(QByteArray("\xD3\x00\x01\x02", 4));
    peer->flush();
    ASSERT_TRUE(WaitUntil([&] {
        source.TakeAvailable(taken);
        return taken.size() == 4;
    }));

    peer->write("tail");
    peer->flush();
    peer->disconnectFromHost();
    WaitUntil([] { return false; }, 300);
    std::string last;
    EXPECT_TRUE(source.TakeAvailable(last));  // the bytes sent before the close still count
    EXPECT_EQ(last, "tail");
    std::string none;
    EXPECT_FALSE(source.TakeAvailable(none));
    EXPECT_TRUE(source.Disconnect());
}

TEST(QtCorrectionSource, RefusedConnectFails) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    const quint16 port = server.serverPort();
    server.close();
    QtCorrectionSource source;
    EXPECT_FALSE(source.Connect("127.0.0.1", port));
    std::string bytes;
    EXPECT_FALSE(source.TakeAvailable(bytes));
}

TEST(QtProcessRunner, FindsProgramsAndReportsTheirEnd) {
    QtProcessRunner runner;
    EXPECT_FALSE(runner.FindProgram("sh").empty());
    EXPECT_TRUE(runner.FindProgram("/no/such/program").empty());
    EXPECT_TRUE(runner.FindProgram("").empty());
    EXPECT_TRUE(runner.TakeOutput().empty());  // never started
    ASSERT_TRUE(runner.Start(runner.FindProgram("sh"), {"-c", "echo started; exit 3"}));
    ASSERT_TRUE(WaitUntil([&] { return !runner.IsRunning(); }));
    EXPECT_EQ(runner.ExitCode(), 3);
    EXPECT_EQ(runner.TakeOutput(), "started\n");
}

}  // namespace
}  // namespace gnss
