#pragma once

#include <string>
#include <vector>

namespace gnss {

// The serial ports present on the computer, in the stable order the system gives them.
class PortEnumerator {
  public:
    virtual ~PortEnumerator() = default;
    [[nodiscard]] virtual std::vector<std::string> PresentPorts() const = 0;
};

}  // namespace gnss
