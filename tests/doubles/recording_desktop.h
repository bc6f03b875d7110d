#pragma once

#include <string>
#include <vector>

#include "base/desktop.h"

namespace gnss::testing {

// Records the addresses opened and the clipboard texts.
class RecordingDesktop final : public Desktop {
  public:
    bool OpenUrl(const std::string& url) override {
        opened.push_back(url);
        return openSucceeds;
    }
    void SetClipboardText(const std::string& text) override { clipboard = text; }

    bool openSucceeds = true;
    std::vector<std::string> opened;
    std::string clipboard;
};

// Records every attempt to set the clock and answers with the scripted result.
class RecordingClockSetter final : public SystemClockSetter {
  public:
    Result SetLocalTime(DateTime local) override {
        requested.push_back(local);
        return next;
    }

    Result next{true, ""};
    std::vector<DateTime> requested;
};

}  // namespace gnss::testing
