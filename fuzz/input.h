#pragma once

// What the fuzz targets share: reading an input, and failing loudly.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace fuzzing {

// Ends loudly, so that libFuzzer keeps the input that broke the property;
// what led there, if told, follows.
inline void require(bool holds, const char* property, const std::string& after = {})
{
    if (!holds) {
        std::fprintf(stderr, "Property broken: %s\n%s", property, after.c_str());
        std::abort();
    }
}

// Reads an input front to back; a read past its end yields zeros.
struct Input
{
    const std::uint8_t* data;
    std::size_t size;

    template <typename T> T take()
    {
        T value{};
        const std::size_t count = std::min(sizeof value, size);
        std::memcpy(&value, data, count);
        data += count;
        size -= count;
        return value;
    }
};

} // namespace fuzzing
