#pragma once

// The message boxes the code under test would have shown, in order. Tests
// link this in place of the toolkit's box, so nothing waits for a click.

#include "platform/messagebox.h"

#include <string>
#include <vector>

namespace testsupport {

struct ShownMessage
{
    std::u16string text;
    platform::MessageStyle style;
    std::u16string title;
};

std::vector<ShownMessage>& shownMessages();

} // namespace testsupport
