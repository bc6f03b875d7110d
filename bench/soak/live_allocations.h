// Exact accounting of the memory the program holds: every global operator new and delete of
// the soak binary passes through here, so the live byte and block counts are what the code
// owns, free of the allocator's arena slack and of other threads' arenas.
#pragma once

#include <cstddef>

namespace gnss::soak {

struct LiveAllocations {
    std::size_t Bytes = 0;
    std::size_t Blocks = 0;
};

LiveAllocations CurrentLiveAllocations();

}  // namespace gnss::soak
