#include "platform/qt_port_enumerator.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <string>
#include <vector>

#include "doubles/listed_ports.h"
#include "platform/qt_test_support.h"

namespace gnss {
namespace {

using testing::ListedPorts;

TEST(PortWatcher, ReportsEveryChangeOfTheListTextAndNothingElse) {
    ListedPorts system;
    system.ports = {"ttyS0", "ttyUSB0"};
    PortWatcher watcher(system);
    std::vector<std::vector<std::string>> reported;
    QObject::connect(&watcher, &PortWatcher::PortsChanged,
                     [&] { reported.push_back(watcher.Ports()); });
    watcher.Start();
    EXPECT_TRUE(watcher.IsActive());
    EXPECT_EQ(watcher.Ports(), system.ports);

    struct Step {
        std::vector<std::string> Ports;
        bool Changed;
    };
    const Step steps[] = {
        {{"ttyS0", "ttyUSB0"}, false},
        {{"ttyS0"}, true},             // removed
        {{"ttyS0", "ttyACM0"}, true},  // another one plugged in
        {{"ttyS0", "ttyACM0"}, false},
        {{"ttyACM0", "ttyS0"}, true},    // same ports, other order: another text
        {{"ttyACM0", "ttyUSB1"}, true},  // swapped between two polls, same length
        {{}, true},
    };
    std::size_t expectedReports = 0;
    for (const auto& step : steps) {
        system.ports = step.Ports;
        EXPECT_EQ(watcher.Poll(), step.Changed);
        if (step.Changed) {
            ++expectedReports;
            ASSERT_EQ(reported.size(), expectedReports);
            EXPECT_EQ(reported.back(), step.Ports);
        }
        EXPECT_EQ(watcher.Ports(), step.Ports);
    }
    watcher.Stop();
    EXPECT_FALSE(watcher.IsActive());
}

TEST(PortWatcher, PollsOnItsOwnTimer) {
    ListedPorts system;
    PortWatcher watcher(system, 10);
    int changes = 0;
    QObject::connect(&watcher, &PortWatcher::PortsChanged, [&] { ++changes; });
    watcher.Start();
    system.ports = {"ttyUSB3"};
    ASSERT_TRUE(testing::WaitUntil([&] { return changes == 1; }));
    EXPECT_EQ(watcher.Ports(), system.ports);
}

TEST(PortWatcher, ReadsTheListWhenTheWatchedFolderChangesAndPollsSlowly) {
    const QTemporaryDir devices;
    ASSERT_TRUE(devices.isValid());
    QFile other(devices.filePath("ptmx"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    ListedPorts system;
    PortWatcher watcher(system, 10);
    ASSERT_TRUE(watcher.WatchDeviceFolder(devices.path(), 60000));
    EXPECT_EQ(watcher.IntervalMs(), 60000);
    int changes = 0;
    QObject::connect(&watcher, &PortWatcher::PortsChanged, [&] { ++changes; });
    watcher.Start();
    // A new list alone is not seen before the slow poll, nor when a node is only written to ...
    system.ports = {"ttyUSB3"};
    ASSERT_TRUE(other.open(QIODevice::WriteOnly | QIODevice::Append));
    other.write("x");
    other.close();
    EXPECT_FALSE(testing::WaitUntil([&] { return changes > 0; }, 3 * PortWatcher::kSettleMs));
    // ... but a node appearing in the folder makes the watcher read it.
    QFile node(devices.filePath("ttyUSB3"));
    ASSERT_TRUE(node.open(QIODevice::WriteOnly));
    node.close();
    ASSERT_TRUE(testing::WaitUntil([&] { return changes == 1; }));
    EXPECT_EQ(watcher.Ports(), system.ports);
    // A folder that cannot be watched leaves the polling as it was.
    PortWatcher polling(system, 10);
    EXPECT_FALSE(polling.WatchDeviceFolder(devices.filePath("missing"), 60000));
    EXPECT_EQ(polling.IntervalMs(), 10);
}

TEST(QtPortEnumerator, NamesMatchTheDescriptions) {
    const auto names = QtPortEnumerator().PresentPorts();
    const auto described = QtPortEnumerator::DescribePorts();
    ASSERT_EQ(names.size(), described.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(names[i], described[i].Name);
        EXPECT_FALSE(described[i].Path.empty());
    }
}

}  // namespace
}  // namespace gnss
