#pragma once

// UTF-8, the encoding of the standard library's exception texts, to and from
// the UTF-16 of the platform's texts.

#include <string>
#include <string_view>

namespace platform {

// Unpaired surrogates are encoded as they stand.
std::string toUtf8(std::u16string_view text);

// Malformed sequences decode as U+FFFD, one for each byte that starts none.
std::u16string fromUtf8(std::string_view text);

} // namespace platform
