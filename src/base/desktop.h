#pragma once

#include <string>

#include "base/date_time.h"

namespace gnss {

// The parts of the desktop the program reaches out to. The window program opens the default
// browser and writes the system clipboard; tests record what was asked.
class Desktop {
  public:
    virtual ~Desktop() = default;
    // Opens the address with the default browser; false when that could not be started.
    virtual bool OpenUrl(const std::string& url) = 0;
    virtual void SetClipboardText(const std::string& text) = 0;
};

// Sets the computer's clock. Setting it is a privileged operation on every desktop system
// (on Linux it needs CAP_SYS_TIME), so failure is an ordinary outcome with a reason.
class SystemClockSetter {
  public:
    struct Result {
        bool Ok = false;
        std::string Reason;  // why it failed, e.g. the missing privilege; empty on success
    };
    virtual ~SystemClockSetter() = default;
    // Sets the clock so that the computer's local time reads `local` now.
    virtual Result SetLocalTime(DateTime local) = 0;
};

}  // namespace gnss
