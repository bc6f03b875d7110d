#pragma once

#include <string>
#include <vector>

#include "link/port_enumerator.h"

namespace gnss::testing {

// A system whose serial ports are whatever the test lists.
class ListedPorts final : public PortEnumerator {
  public:
    ListedPorts() = default;
    explicit ListedPorts(std::vector<std::string> present) : ports(std::move(present)) {}
    [[nodiscard]] std::vector<std::string> PresentPorts() const override { return ports; }
    std::vector<std::string> ports;
};

}  // namespace gnss::testing
