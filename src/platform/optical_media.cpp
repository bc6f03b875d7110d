#include "platform/optical_media.h"

#include <sys/vfs.h>

namespace gnss {

namespace {
constexpr long kIso9660Magic = 0x9660;
constexpr long kUdfMagic = 0x15013346;
}  // namespace

bool IsOnOpticalMedia(const std::filesystem::path& folder) {
    struct statfs info {};
    if (statfs(folder.c_str(), &info) != 0) return false;
    const long type = static_cast<long>(info.f_type);
    return type == kIso9660Magic || type == kUdfMagic;
}

}  // namespace gnss
