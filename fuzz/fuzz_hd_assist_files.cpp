// Arbitrary bytes as an HD hex text file (one frame per line) and as an HD assistance file: the
// hex reader keeps exactly the frames before the first bad line, each the bytes of its line, and
// an upload plan carries every frame of the file once, in whole HD frames of the kind's message
// id and at most the kind's frames per message.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <string>
#include <string_view>

#include "assist/hd_assist_messages.h"
#include "frames/binary_frame.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace gnss;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const HexFileFrames hex = ReadHexFrames(input);
    Check(hex.Frames.size() == hex.Lines.size());
    std::size_t lines = 1;
    for (char ch : input) lines += ch == '\n' ? 1 : 0;
    Check(hex.BadLine <= lines);
    Check(hex.BadLine == 0 || hex.BadLine > hex.Frames.size());
    for (std::size_t i = 0; i < hex.Frames.size(); ++i) {
        Check(!hex.Frames[i].empty());
        Check(hex.Lines[i].size() == 2 * hex.Frames[i].size());
        Check(input.find(hex.Lines[i]) != std::string_view::npos);
    }

    if (const auto plan = PlanHdbUpload(input)) {
        const HdbKindInfo& info = HdbInfo(plan->Kind);
        Check(plan->FrameCount * info.FrameBytes == size);
        Check(plan->Messages.size() == plan->FramesInMessage.size());
        Check(std::accumulate(plan->FramesInMessage.begin(), plan->FramesInMessage.end(),
                              std::size_t{0}) == plan->FrameCount);
        for (std::size_t i = 0; i < plan->Messages.size(); ++i) {
            const std::string& message = plan->Messages[i];
            Check(plan->FramesInMessage[i] >= 1 &&
                  plan->FramesInMessage[i] <= info.FramesPerMessage);
            Check(IsHdFrame(message));
            Check(static_cast<uint8_t>(message[2]) == kHdAidClass &&
                  static_cast<uint8_t>(message[3]) == info.MessageId);
            Check(message.size() == kHdFrameOverhead + plan->FramesInMessage[i] *
                                                           (info.FrameBytes - kHdFrameOverhead));
        }
    } else {
        Check(size == 0 || (size % 73 != 0 && size % 100 != 0));
    }
    return 0;
}
