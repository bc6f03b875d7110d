#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace gnss {

// Compressed streams: a 4-byte little-endian length of the original data, then the data
// compressed with zlib at the library's default level.

// A compressed stream that cannot be read back: too short, corrupt, truncated, or declaring an
// original length above kMaxDecompressedBytes.
class CompressedStreamError : public std::runtime_error {
  public:
    explicit CompressedStreamError(const std::string& message) : std::runtime_error(message) {}
};

// Largest original length DecompressStream accepts; a longer declaration is taken as corrupt
// rather than allocated.
inline constexpr std::size_t kMaxDecompressedBytes = 256u * 1024u * 1024u;

// Raises CompressedStreamError for sources of more than 4 GiB - 1 bytes (the length field).
[[nodiscard]] std::string CompressStream(std::string_view source);
// Inflates exactly the declared number of bytes; bytes after them are ignored. Raises
// CompressedStreamError when the stream does not deliver them.
[[nodiscard]] std::string DecompressStream(std::string_view source);

}  // namespace gnss
