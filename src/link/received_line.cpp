#include "link/received_line.h"

#include <cstring>

namespace gnss {

namespace {

bool IsTextByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x7F;
}

}  // namespace

std::string_view WithoutTrailingCr(std::string_view line) {
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

std::string_view SentenceAfterBinary(std::string_view line) {
    if (line.size() < 2) return line;
    const void* hit = memrchr(line.data() + 1, '$', line.size() - 1);
    if (hit == nullptr) return line;
    const auto dollar = static_cast<std::size_t>(static_cast<const char*>(hit) - line.data());
    for (std::size_t i = 0; i < dollar; ++i) {
        if (!IsTextByte(line[i])) return line.substr(dollar);
    }
    return line;
}

}  // namespace gnss
