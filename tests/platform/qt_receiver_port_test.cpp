#include "platform/qt_receiver_port.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/qt_test_support.h"

namespace gnss {
namespace {

using testing::PtyPair;
using testing::TerminalOutputSpeed;
using testing::WaitUntil;

// Collects what the port delivers, reading exactly as the receive path does: at most the
// announced count per notification.
struct Collector {
    explicit Collector(QtReceiverPort& port) {
        port.OnReadyRead = [this, &port](std::size_t available) {
            ++notifications;
            std::string chunk(available, '\0');
            chunk.resize(port.Read(chunk.data(), chunk.size()));
            data += chunk;
        };
    }
    std::string data;
    int notifications = 0;
};

class QtReceiverPortPty : public ::testing::TestWithParam<uint32_t> {};

// 250000 is not a standard rate: it is programmed as a custom rate (termios2 BOTHER). The
// Linux pseudo-terminal driver accepts any rate, so both cases run through the real driver.
TEST_P(QtReceiverPortPty, OpensAtTheRateAndCarriesBytesBothWays) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    QtReceiverPort port;
    port.SetPortName(pty.SlavePath());
    port.SetBaudRate(GetParam());
    const PortOpenResult result = port.Open();
    ASSERT_TRUE(result.Ok()) << result.Detail;
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.BaudRate(), GetParam());
    EXPECT_EQ(TerminalOutputSpeed(pty.Slave()), GetParam());
    EXPECT_TRUE(port.Dtr());
    EXPECT_TRUE(port.Rts());
    pty.CloseSlave();

    Collector collector(port);
    // A line split across two writes arrives whole and in order.
    const std::string first = "$GPGGA,123519,4807.038,N,01131.0";
    const std::string second = "00,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n$GPRMC,1";
    ASSERT_TRUE(pty.WriteMaster(first));
    ASSERT_TRUE(WaitUntil([&] { return collector.data.size() >= first.size(); }));
    ASSERT_TRUE(pty.WriteMaster(second));
    ASSERT_TRUE(WaitUntil([&] { return collector.data.size() >= first.size() + second.size(); }));
    EXPECT_EQ(collector.data, first + second);
    EXPECT_GE(collector.notifications, 2);
    EXPECT_EQ(port.BytesAvailable(), 0u);

    // A write goes out completely before Write returns true.
    const std::string command = "$PMTK101*32\r\n";
    EXPECT_TRUE(port.Write(command));
    EXPECT_EQ(pty.ReadMaster(command.size()), command);
    EXPECT_EQ(port.TakeLineErrors(), 0u);

    port.Close();
    EXPECT_FALSE(port.IsOpen());
    port.Close();  // closing a closed port does nothing
    EXPECT_FALSE(port.Write(command));
}

INSTANTIATE_TEST_SUITE_P(Rates, QtReceiverPortPty, ::testing::Values(115200u, 250000u, 9600u));

TEST(QtReceiverPort, ReprogramsTheRateOfAnOpenPort) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    QtReceiverPort port;
    port.SetPortName(pty.SlavePath());
    port.SetBaudRate(9600);
    ASSERT_TRUE(port.Open().Ok());
    for (const uint32_t rate : {38400u, 460800u, 921600u, 4800u}) {
        port.SetBaudRate(rate);
        EXPECT_EQ(port.BaudRate(), rate);
        EXPECT_EQ(TerminalOutputSpeed(pty.Slave()), rate);
    }
    EXPECT_EQ(port.TakeLineErrors(), 0u);
}

TEST(QtReceiverPort, RemovedDeviceWhileOpenRaisesTheIoFlag) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    QtReceiverPort port;
    port.SetPortName(pty.SlavePath());
    ASSERT_TRUE(port.Open().Ok());
    pty.CloseSlave();
    Collector collector(port);
    ASSERT_TRUE(pty.WriteMaster("$GPGLL*00\r\n"));
    ASSERT_TRUE(WaitUntil([&] { return collector.data.size() == 11; }));

    // Hanging up the terminal is what the driver reports when a USB adapter is pulled.
    pty.CloseMaster();
    uint32_t flags = 0;
    ASSERT_TRUE(WaitUntil([&] {
        flags |= port.TakeLineErrors();
        return flags != 0;
    }));
    EXPECT_EQ(flags, static_cast<uint32_t>(kLineErrorIO));
    EXPECT_FALSE(port.LastError().empty());
    EXPECT_EQ(port.TakeLineErrors(), 0u);  // taking clears
    EXPECT_FALSE(port.Write("$PMTK000*32\r\n"));
    port.Close();
    EXPECT_FALSE(port.IsOpen());
}

TEST(QtReceiverPort, OpenFailuresCarryTheReasonAndTheSystemText) {
    QtReceiverPort port;
    port.SetPortName("/dev/ttyGNSSVARO_NO_SUCH_DEVICE");
    PortOpenResult result = port.Open();
    EXPECT_EQ(result.Error, PortOpenError::NotFound);
    EXPECT_FALSE(result.Detail.empty());
    EXPECT_FALSE(port.IsOpen());

    port.SetPortName("");
    EXPECT_EQ(port.Open().Error, PortOpenError::NotFound);

    // A file that is not a terminal cannot be configured as a serial port.
    port.SetPortName("/dev/null");
    result = port.Open();
    EXPECT_FALSE(result.Ok());
    EXPECT_FALSE(port.IsOpen());
}

TEST(QtReceiverPort, WriteTimeoutGrowsWithTheLength) {
    EXPECT_EQ(QtReceiverPort::WriteTimeoutMs(0), 1000);
    EXPECT_EQ(QtReceiverPort::WriteTimeoutMs(1), 1100);
    EXPECT_EQ(QtReceiverPort::WriteTimeoutMs(300), 31000);
}

}  // namespace
}  // namespace gnss
