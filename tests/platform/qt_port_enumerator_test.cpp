#include "platform/qt_port_enumerator.h"

#include <gtest/gtest.h>

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
