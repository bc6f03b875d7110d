#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/virtual_time.h"
#include "link/memory_receiver_port.h"
#include "nmea/nmea_checksum.h"
#include "sim/memory_port_attachment.h"
#include "sim/simulated_receiver.h"

namespace gnss::sim::testing {

// A simulated receiver on a memory port, driven by virtual time; collects what the tool side
// would read.
struct Bench {
    explicit Bench(const SimConfig& config, uint32_t toolBaud = 0) {
        receiver = std::make_unique<SimulatedReceiver>(time, time, config);
        port.SetBaudRate(toolBaud != 0 ? toolBaud : receiver->BaudRate());
        port.OnReadyRead = [this](std::size_t) {
            char buffer[4096];
            std::size_t n = 0;
            while ((n = port.Read(buffer, sizeof buffer)) > 0) received.append(buffer, n);
        };
        (void)port.Open();
        attachment = std::make_unique<MemoryPortAttachment>(*receiver, port);
        receiver->Start();
    }
    void Run(uint64_t ms) { time.Advance(ms); }
    void Send(std::string_view bytes) { (void)port.Write(bytes); }
    std::string Take() {
        std::string out;
        out.swap(received);
        return out;
    }

    VirtualTime time;
    MemoryReceiverPort port;
    std::unique_ptr<SimulatedReceiver> receiver;
    std::unique_ptr<MemoryPortAttachment> attachment;
    std::string received;
};

// Complete CR LF lines of a stream (without the CR LF); a trailing partial line is left out.
inline std::vector<std::string> Lines(std::string_view stream) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (true) {
        const auto end = stream.find("\r\n", start);
        if (end == std::string_view::npos) break;
        lines.emplace_back(stream.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// Comma fields of a sentence without its checksum.
inline std::vector<std::string> Fields(std::string_view sentence) {
    const auto star = sentence.rfind('*');
    if (star != std::string_view::npos) sentence = sentence.substr(0, star);
    std::vector<std::string> out;
    std::size_t start = 0;
    while (true) {
        const auto comma = sentence.find(',', start);
        out.emplace_back(sentence.substr(start, comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return out;
}

inline bool Contains(std::string_view hay, std::string_view needle) {
    return hay.find(needle) != std::string_view::npos;
}

// A sentence of this kind ("GGA") from any talker.
inline bool IsKind(std::string_view line, std::string_view kind) {
    return line.size() > 6 && line[0] == '$' && line.substr(3, 3) == kind;
}

inline SimConfig Config(std::string family, std::string variant = "") {
    SimConfig c;
    c.Family = std::move(family);
    c.Variant = std::move(variant);
    return c;
}

}  // namespace gnss::sim::testing
