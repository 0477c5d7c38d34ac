#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Overwrites memory with zeros in a way the compiler may not drop, for
// secrets that are about to be released.
void wipe(void* data, std::size_t byteCount);

// A copy of a secret, such as a password, made once and wiped before its
// memory is released.
class WipedText
{
public:
    explicit WipedText(std::u16string_view text) : text_(text) {}
    WipedText(const WipedText&) = delete;
    WipedText& operator=(const WipedText&) = delete;
    // The short-string buffer inside the object is wiped as well as a long one.
    ~WipedText() { wipe(text_.data(), (text_.capacity() + 1) * sizeof(char16_t)); }

    const std::u16string& text() const { return text_; }

private:
    std::u16string text_;
};

} // namespace platform
