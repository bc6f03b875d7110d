#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gnss {

// The TCP connection to the local program that offers the correction stream. The platform
// adapter buffers what arrives between two takes; TakeAvailable only hands over what is already
// there and never waits.
class CorrectionSource {
  public:
    virtual ~CorrectionSource() = default;
    // Connects to `host`:`port`; true once connected.
    virtual bool Connect(std::string_view host, uint16_t port) = 0;
    // Closes the connection; false when closing failed.
    virtual bool Disconnect() = 0;
    // Appends everything received since the last take to `bytes`. False when the connection has
    // failed or was closed by the other end and nothing received is left to take.
    virtual bool TakeAvailable(std::string& bytes) = 0;
};

// No correction source: every connect fails (programs without a network adapter).
class NoCorrectionSource final : public CorrectionSource {
  public:
    bool Connect(std::string_view /*host*/, uint16_t /*port*/) override { return false; }
    bool Disconnect() override { return true; }
    bool TakeAvailable(std::string& /*bytes*/) override { return false; }
};

}  // namespace gnss
