#include "assist/agps_update_route.h"

#include <utility>

namespace gnss {

AgpsRoute ChooseAgpsRoute(const IdentificationResult& result, ReceiverFamily family) {
    if (result.SgeeCapable) return AgpsRoute::Sgee;
    if (result.EpoCapable) return AgpsRoute::Epo;
    if (family == ReceiverFamily::HED) return AgpsRoute::Hd;
    return AgpsRoute::None;
}

void AgpsUpdateRouter::SetHandler(AgpsRoute route, std::function<void()> handler) {
    handlers_[static_cast<std::size_t>(route)] = std::move(handler);
}

bool AgpsUpdateRouter::CanUpdate(const IdentificationResult& result, ReceiverFamily family) const {
    const AgpsRoute route = ChooseAgpsRoute(result, family);
    return route != AgpsRoute::None && handlers_[static_cast<std::size_t>(route)] != nullptr;
}

bool AgpsUpdateRouter::UpdateAgpsData(const IdentificationResult& result,
                                      ReceiverFamily family) const {
    if (!CanUpdate(result, family)) return false;
    handlers_[static_cast<std::size_t>(ChooseAgpsRoute(result, family))]();
    return true;
}

}  // namespace gnss
