#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>

namespace mdlDiskQuota {

// The bytes a network API buffer takes for a text of that many UTF-16 code
// units and its terminator, in the 32 bits the API sizes buffers in; none
// when they do not fit, as they would wrap to a buffer too small to copy into.
constexpr std::optional<std::uint32_t> TerminatedByteCount(std::size_t length)
{
    constexpr std::size_t kLongest =
        std::numeric_limits<std::uint32_t>::max() / sizeof(char16_t) - 1;
    if (length > kLongest) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>((length + 1) * sizeof(char16_t));
}

} // namespace mdlDiskQuota
