#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "base/receiver_family.h"
#include "control/receiver_identification.h"

namespace gnss {

// Where the toolbar's "update AGPS data" leads for the receiver at hand.
enum class AgpsRoute : uint8_t { None, Sgee, Epo, Hd };

// SiRF receivers that take SGEE first, then MTK receivers that take EPO, then HD receivers.
[[nodiscard]] AgpsRoute ChooseAgpsRoute(const IdentificationResult& result, ReceiverFamily family);

// The toolbar action: each assistance feature registers the handler of its route; the action
// runs the handler of the receiver's route, and the button is usable only when one is there.
class AgpsUpdateRouter {
  public:
    void SetHandler(AgpsRoute route, std::function<void()> handler);
    [[nodiscard]] bool CanUpdate(const IdentificationResult& result, ReceiverFamily family) const;
    // True when a handler ran.
    bool UpdateAgpsData(const IdentificationResult& result, ReceiverFamily family) const;

  private:
    std::array<std::function<void()>, 4> handlers_;
};

}  // namespace gnss
