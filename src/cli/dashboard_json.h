#pragma once

#include <QJsonObject>

#include "cli/dashboard_screen.h"

namespace gnss::cli {

// The dashboard as one JSON object of type "status" (watch --json): the texts the window
// shows, the counts per constellation and one entry per satellite.
[[nodiscard]] QJsonObject DashboardJson(const DashboardSnapshot& snapshot);

}  // namespace gnss::cli
