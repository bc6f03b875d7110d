#pragma once

#include "views/view_change_listener.h"

namespace gnss::testing {

// Counts the change notifications of a view model.
struct CountingViewListener final : ViewChangeListener {
    void OnViewChanged() override { ++Count; }
    int Count = 0;
};

}  // namespace gnss::testing
