#pragma once

#include <cstddef>

namespace mdlDiskQuota {

// Overwrites memory with zeros in a way the compiler may not drop, for
// secrets that are about to be released.
inline void wipe(void* data, std::size_t byteCount)
{
    auto* bytes = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < byteCount; ++i) {
        bytes[i] = 0;
    }
}

} // namespace mdlDiskQuota
