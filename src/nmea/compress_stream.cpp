#include "nmea/compress_stream.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace gnss {

namespace {

constexpr std::size_t kLengthBytes = 4;

// zlib counts in uInt; feed large buffers in pieces.
constexpr std::size_t kChunk = 1u << 30;

Bytef* AsBytes(const char* data) {
    return reinterpret_cast<Bytef*>(const_cast<char*>(data));
}

}  // namespace

std::string CompressStream(std::string_view source) {
    if (source.size() > std::numeric_limits<uint32_t>::max()) {
        throw CompressedStreamError("Stream too long to compress");
    }
    const auto length = static_cast<uint32_t>(source.size());
    std::string target(kLengthBytes, '\0');
    for (std::size_t i = 0; i < kLengthBytes; ++i) {
        target[i] = static_cast<char>((length >> (8 * i)) & 0xFF);
    }

    z_stream z{};
    if (deflateInit(&z, Z_DEFAULT_COMPRESSION) != Z_OK) {
        throw CompressedStreamError("Compression could not start");
    }
    const std::size_t header = target.size();
    target.resize(header + deflateBound(&z, static_cast<uLong>(source.size())));
    std::size_t inputDone = 0;
    std::size_t outputDone = header;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        if (outputDone == target.size()) target.resize(target.size() * 2);
        const std::size_t inChunk = std::min(kChunk, source.size() - inputDone);
        const std::size_t outChunk = std::min(kChunk, target.size() - outputDone);
        z.next_in = AsBytes(source.data() + inputDone);
        z.avail_in = static_cast<uInt>(inChunk);
        z.next_out = AsBytes(target.data() + outputDone);
        z.avail_out = static_cast<uInt>(outChunk);
        const bool last = inputDone + inChunk == source.size();
        status = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
        if (status == Z_STREAM_ERROR) {
            deflateEnd(&z);
            throw CompressedStreamError("Compression failed");
        }
        inputDone += inChunk - z.avail_in;
        outputDone += outChunk - z.avail_out;
    }
    deflateEnd(&z);
    target.resize(outputDone);
    return target;
}

std::string DecompressStream(std::string_view source) {
    if (source.size() < kLengthBytes) {
        throw CompressedStreamError("Compressed stream too short");
    }
    uint32_t length = 0;
    for (std::size_t i = 0; i < kLengthBytes; ++i) {
        length |= static_cast<uint32_t>(static_cast<unsigned char>(source[i])) << (8 * i);
    }
    if (length > kMaxDecompressedBytes) {
        throw CompressedStreamError("Compressed stream declares an implausible length");
    }
    std::string target;
    if (length == 0) return target;
    source.remove_prefix(kLengthBytes);

    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw CompressedStreamError("Decompression could not start");
    // Grow the output as data really arrives, so a short corrupt stream declaring a large
    // length costs no large allocation.
    target.resize(std::min<std::size_t>(length, 64u * 1024u));
    std::size_t inputDone = 0;
    std::size_t outputDone = 0;
    while (outputDone < length) {
        if (outputDone == target.size()) {
            target.resize(std::min<std::size_t>(length, target.size() * 2));
        }
        const std::size_t inChunk = std::min(kChunk, source.size() - inputDone);
        const std::size_t outChunk = target.size() - outputDone;
        z.next_in = AsBytes(source.data() + inputDone);
        z.avail_in = static_cast<uInt>(inChunk);
        z.next_out = AsBytes(target.data() + outputDone);
        z.avail_out = static_cast<uInt>(outChunk);
        const int status = inflate(&z, Z_NO_FLUSH);
        inputDone += inChunk - z.avail_in;
        outputDone += outChunk - z.avail_out;
        if (status == Z_STREAM_END) break;
        const bool stalled = status == Z_BUF_ERROR && z.avail_out != 0;
        if ((status != Z_OK && status != Z_BUF_ERROR) || stalled) {
            inflateEnd(&z);
            throw CompressedStreamError(status == Z_DATA_ERROR || status == Z_NEED_DICT
                                            ? "Compressed stream is corrupt"
                                            : "Compressed stream is truncated");
        }
    }
    inflateEnd(&z);
    if (outputDone < length) throw CompressedStreamError("Compressed stream is truncated");
    return target;
}

}  // namespace gnss
