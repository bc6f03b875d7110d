#pragma once

#include <cstdint>

namespace gnss {

// Control code of a device-control request on a port handle:
// device·65536 + access·16384 + function·4 + method.
[[nodiscard]] constexpr uint32_t IoctlCode(uint32_t device, uint32_t function, uint32_t method,
                                           uint32_t access) {
    return device * 65536u + access * 16384u + function * 4u + method;
}

}  // namespace gnss
