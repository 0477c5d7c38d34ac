#include "tests/support/recorded_messages.h"

namespace testsupport {

std::vector<ShownMessage>& shownMessages()
{
    static std::vector<ShownMessage> messages;
    return messages;
}

} // namespace testsupport

namespace platform {

void MsgBox(std::u16string_view text, MessageStyle style, std::u16string_view title)
{
    testsupport::shownMessages().push_back({std::u16string(text), style, std::u16string(title)});
}

} // namespace platform
