#pragma once

// What the fuzz targets share: a fresh emulated machine for each input, the
// decoding of an input into the routines' arguments, and a loud end when a
// property does not hold, so that libFuzzer keeps the input that broke it.

#include "platform/emulated/machine.h"
#include "tests/support/recorded_messages.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace fuzzing {

inline emulated::Machine& freshMachine()
{
    emulated::Machine::instance().reset();
    testsupport::takeShownMessages();
    return emulated::Machine::instance();
}

inline void require(bool holds, const char* property)
{
    if (!holds) {
        std::fprintf(stderr, "Property broken: %s\n", property);
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

    // The rest as UTF-16 code units: the first is the delimiter between the
    // texts after it, so that any other, NUL included, can stand in a text.
    std::vector<std::u16string> texts()
    {
        const auto delimiter = take<char16_t>();
        std::vector<std::u16string> texts(1);
        while (size >= sizeof(char16_t)) {
            if (const auto c = take<char16_t>(); c == delimiter) {
                texts.emplace_back();
            } else {
                texts.back().push_back(c);
            }
        }
        return texts;
    }
};

} // namespace fuzzing
