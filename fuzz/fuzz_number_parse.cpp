// Feeds arbitrary bytes to the text, number, hex, checksum and stream helpers: none may crash,
// hang or read out of bounds, and the conversions may only refuse with their own error types.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/conversion_error.h"
#include "frames/mtk_sirf_frames.h"
#include "nmea/compress_stream.h"
#include "nmea/hex_text.h"
#include "nmea/nmea_checksum.h"
#include "nmea/number_parse.h"
#include "nmea/text_fields.h"
#include "nmea/text_scrambler.h"

using namespace gnss;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    (void)TryParseInt(text);
    (void)TryParseUInt(text);
    (void)TryParseFloat(text);
    (void)ParseFloatOrZero(text);
    (void)IsInteger(text);
    (void)IsFloat(text);
    (void)IsFloat(text, ',');
    (void)IsHexText(text);
    (void)IsHexText(text, HexPrefix::Dollar);

    try {
        const std::string bytes = HexToBin(text);
        Check(BinToHex(bytes).size() == text.size());
    } catch (const ConversionError&) {
    }
    try {
        (void)HexToInt(text);
    } catch (const ConversionError&) {
    }
    try {
        (void)HexToCharCodes(text);
    } catch (const ConversionError&) {
    }

    const int fields = CountDelimiters(text, kCommaStar) + 1;
    Check(fields >= 1);
    for (int n = 0; n <= fields + 1 && n < 64; ++n) {
        const std::string_view field = ExtractField(n, text, kCommaStar);
        Check(field.empty() || (field.data() >= text.data() &&
                                field.data() + field.size() <= text.data() + text.size()));
    }
    (void)PosFrom(",", text, static_cast<std::ptrdiff_t>(size % 7) - 2);
    (void)LastPos("*", text);

    (void)NmeaChecksumValid(text);
    (void)IsValidSentence(text);
    (void)NmeaChecksumSuffix(text);

    try {
        const std::string plain = DecompressStream(text);
        Check(plain.size() <= kMaxDecompressedBytes);
    } catch (const CompressedStreamError&) {
    }

    const std::string plain = UnscrambleText(text, "");
    Check(plain.empty() || plain.size() * 2 + 2 == size);

    // Texts without the bytes 0 and 255 (which the scheme cannot tell apart) read back intact.
    if (text.find_first_of(std::string_view("\x00\xFF", 2)) == std::string_view::npos) {
        const auto startValue = static_cast<uint8_t>(size * 37);
        Check(UnscrambleText(ScrambleText(text, "", startValue), "") == text);
    }

    (void)IsMtkFrame(text);
    (void)MtkFrameLength(text);
    (void)MtkFrameId(text);
    (void)MtkFramePayload(text);
    (void)SirfChecksum(text);
    (void)IsSirfThroughputFrameStart(text);
    return 0;
}
