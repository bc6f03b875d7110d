#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "corrections/correction_source.h"

namespace gnss::testing {

// The local TCP connection, played by the test: what the client program has sent, and the
// failures to inject.
class FakeCorrectionSource final : public CorrectionSource {
  public:
    bool Connect(std::string_view host, uint16_t port) override {
        ++ConnectCount;
        Host = host;
        Port = port;
        Connected = ConnectSucceeds;
        return Connected;
    }
    bool Disconnect() override {
        ++DisconnectCount;
        Connected = false;
        return DisconnectSucceeds;
    }
    bool TakeAvailable(std::string& bytes) override {
        ++TakeCount;
        if (ReadFails) return false;
        bytes += Buffered;
        Buffered.clear();
        return true;
    }

    bool ConnectSucceeds = true;
    bool DisconnectSucceeds = true;
    bool ReadFails = false;
    bool Connected = false;
    std::string Buffered;
    std::string Host;
    uint16_t Port = 0;
    int ConnectCount = 0;
    int DisconnectCount = 0;
    int TakeCount = 0;
};

}  // namespace gnss::testing
