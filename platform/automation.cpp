#include "platform/automation.h"

#include "platform/utf8.h"

#include <cstdio>

namespace platform::automation {

Error::Error(std::int32_t code, std::u16string description)
    : code_(code), description_(std::move(description))
{
    if (description_.empty()) {
        char text[32];
        std::snprintf(text, sizeof text, "Automation error 0x%08X", static_cast<unsigned>(code));
        description_.assign(text, text + std::char_traits<char>::length(text));
    }
    utf8Description_ = toUtf8(description_);
}

} // namespace platform::automation
