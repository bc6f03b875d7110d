#pragma once

#include <string_view>

namespace gnss {

// A line cut at CR LF without the further CRs before that end: some receivers (LTE modules
// among them) end every line with CR CR LF, and the extra CR belongs to the line end.
[[nodiscard]] std::string_view WithoutTrailingCr(std::string_view line);

// The sentence of a line that carries binary bytes before it. Receivers that mix NMEA with
// binary output (UBX, RTCM 3) send a frame right before a sentence, and since only CR LF ends a
// line the frame's bytes and the sentence arrive as one line. When a byte that is not printable
// text comes before the line's last "$", the sentence starts at that "$"; any other line is
// returned as it is (a line of text, or binary bytes inside a sentence's tail).
[[nodiscard]] std::string_view SentenceAfterBinary(std::string_view line);

}  // namespace gnss
