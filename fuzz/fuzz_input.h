#pragma once

// What the fuzz targets share: a fresh emulated machine for each input, the
// decoding of an input into the routines' arguments, and a loud end when a
// property does not hold, so that libFuzzer keeps the input that broke it.

#include "platform/emulated/machine.h"
#include "tests/support/recorded_messages.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
class Input
{
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }

    std::int32_t int32()
    {
        std::uint32_t value = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            value |= std::uint32_t{byte()} << shift;
        }
        return static_cast<std::int32_t>(value);
    }

    // The rest as UTF-16LE code units: the first one is the delimiter that
    // separates the texts after it, so that any other code unit, NUL
    // included, can stand inside a text. There is always at least one text.
    std::vector<std::u16string> texts()
    {
        const char16_t delimiter = unit();
        std::vector<std::u16string> texts(1);
        while (size_ - at_ >= 2) {
            const char16_t c = unit();
            if (c == delimiter) {
                texts.emplace_back();
            } else {
                texts.back().push_back(c);
            }
        }
        return texts;
    }

private:
    char16_t unit()
    {
        const std::uint8_t low = byte();
        return static_cast<char16_t>(low | byte() << 8);
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

} // namespace fuzzing
