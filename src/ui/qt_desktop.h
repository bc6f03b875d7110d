#pragma once

#include "base/desktop.h"

namespace gnss::ui {

// The default browser and the system clipboard.
class QtDesktop final : public Desktop {
  public:
    bool OpenUrl(const std::string& url) override;
    void SetClipboardText(const std::string& text) override;
};

}  // namespace gnss::ui
