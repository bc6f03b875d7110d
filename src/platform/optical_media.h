#pragma once

#include <filesystem>

namespace gnss {

// True when `folder` lies on an optical disc's file system (ISO 9660 or UDF), where the
// program cannot write its logs.
[[nodiscard]] bool IsOnOpticalMedia(const std::filesystem::path& folder);

}  // namespace gnss
