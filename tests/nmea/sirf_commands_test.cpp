#include "nmea/sirf_commands.h"

#include <gtest/gtest.h>

#include <string>

#include "link/ioctl_code.h"
#include "nmea/nmea_checksum.h"

namespace gnss {
namespace {

using namespace std::string_literals;

TEST(Psrf114Command, ListsBytesInShortLowerCaseHexAndAppendsTheChecksum) {
    EXPECT_EQ(Psrf114Command(5, "\x00\x0A\xFF"s), "$PSRF114,4b,0,5,3,0,a,ff,0*22");
    EXPECT_EQ(Psrf114Command(-1, ""), "$PSRF114,4b,0,-1,0,0*75");
    const std::string big = Psrf114Command(1, std::string(500, '\x7F'));
    EXPECT_TRUE(big.starts_with("$PSRF114,4b,0,1,500,7f,7f,"));
    EXPECT_TRUE(IsValidSentence(big));
}

// Control codes of serial-port requests, as the platform's headers define them.
static_assert(IoctlCode(0x1B, 1, 0, 0) == 0x001B0004);   // set baud rate
static_assert(IoctlCode(0x1B, 20, 0, 0) == 0x001B0050);  // get baud rate
static_assert(IoctlCode(0x22, 0x100, 3, 3) == 0x0022C403);

}  // namespace
}  // namespace gnss
