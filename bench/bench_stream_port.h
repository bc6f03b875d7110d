#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "base/user_prompts.h"
#include "link/receiver_port.h"

namespace gnss::bench {

// A port that hands out a prepared stream without copying it around.
class StreamPort final : public ReceiverPort {
  public:
    void SetPortName(const std::string&) override {}
    [[nodiscard]] std::string PortName() const override { return "bench"; }
    void SetBaudRate(uint32_t) override {}
    [[nodiscard]] uint32_t BaudRate() const override { return 921600; }
    PortOpenResult Open() override { return {}; }
    void Close() override {}
    [[nodiscard]] bool IsOpen() const override { return true; }
    void SetDtr(bool) override {}
    void SetRts(bool) override {}
    [[nodiscard]] bool Dtr() const override { return true; }
    [[nodiscard]] bool Rts() const override { return true; }
    bool Write(std::string_view) override { return true; }
    [[nodiscard]] std::size_t BytesAvailable() const override { return data.size() - at; }
    std::size_t Read(char* buffer, std::size_t maxBytes) override {
        const std::size_t n = std::min(maxBytes, data.size() - at);
        std::copy_n(data.data() + at, n, buffer);
        at += n;
        return n;
    }
    uint32_t TakeLineErrors() override { return 0; }

    std::string_view data;
    std::size_t at = 0;
};

// Answers every question with No and shows nothing.
}  // namespace gnss::bench
