#include "tests/support/recorded_messages.h"

#include "platform/utf8.h"

#include <utility>

namespace testsupport {
namespace {
ShownMessages shown;
} // namespace

std::ostream& operator<<(std::ostream& out, const ShownMessage& message)
{
    return out << '"' << platform::toUtf8(message.text) << "\" (style " << int(message.style)
               << ", \"" << platform::toUtf8(message.title) << "\")";
}

ShownMessages takeShownMessages()
{
    return std::exchange(shown, {});
}

} // namespace testsupport

namespace platform {

void MsgBox(std::u16string_view text, MessageStyle style, std::u16string_view title)
{
    testsupport::shown.push_back({std::u16string(text), style, std::u16string(title)});
}

} // namespace platform
