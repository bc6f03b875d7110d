#include "nmea/compress_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gnss {
namespace {

using namespace std::string_literals;

std::string SampleData(std::size_t size) {
    std::string data;
    data.reserve(size);
    uint32_t x = 12345;
    for (std::size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        // Mostly text-like with some repetition, so deflate has something to do.
        data.push_back(static_cast<char>(i % 7 == 0 ? (x >> 16) & 0xFF : 'A' + i % 13));
    }
    return data;
}

TEST(CompressStream, PrefixesTheLittleEndianLengthAndRoundTrips) {
    for (std::size_t size : {0u, 1u, 100u, 70000u, 300000u}) {
        const std::string data = SampleData(size);
        const std::string packed = CompressStream(data);
        ASSERT_GE(packed.size(), 4u);
        const uint32_t length = static_cast<uint8_t>(packed[0]) |
                                static_cast<uint8_t>(packed[1]) << 8 |
                                static_cast<uint8_t>(packed[2]) << 16 |
                                static_cast<uint32_t>(static_cast<uint8_t>(packed[3])) << 24;
        EXPECT_EQ(length, size);
        EXPECT_EQ(static_cast<uint8_t>(packed[4]), 0x78);  // zlib header
        EXPECT_EQ(DecompressStream(packed), data) << size;
    }
}

TEST(DecompressStream, InflatesOnlyTheDeclaredLength) {
    std::string packed = CompressStream("0123456789");
    packed[0] = 4;  // declare fewer bytes than the stream holds
    EXPECT_EQ(DecompressStream(packed), "0123");
    EXPECT_EQ(DecompressStream(CompressStream("abc") + "trailing bytes"), "abc");
    EXPECT_EQ(DecompressStream("\0\0\0\0"s), "");
}

TEST(DecompressStream, RefusesDamagedStreams) {
    const std::string good = CompressStream(SampleData(5000));
    std::string corrupt = good;
    corrupt[4] = 0x00;  // broken zlib header
    std::string longer = good;
    longer[2] = static_cast<char>(longer[2] + 1);  // declares 64 KiB more than it holds
    const std::vector<std::string> bad = {
        "",
        "\x05\x00\x00"s,
        good.substr(0, good.size() / 2),
        good.substr(0, 4),
        corrupt,
        longer,
        "\xFF\xFF\xFF\xFF"s + good.substr(4),  // 4 GiB: refused before any allocation
        "\x01\x00\x00\x10"s + good.substr(4),  // just above the 256 MiB cap
    };
    for (std::size_t i = 0; i < bad.size(); ++i) {
        EXPECT_THROW((void)DecompressStream(bad[i]), CompressedStreamError) << "case " << i;
    }
}

}  // namespace
}  // namespace gnss
