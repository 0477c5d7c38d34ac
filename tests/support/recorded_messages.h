#pragma once

// The message boxes the code under test would have shown, in order. Tests
// link this in place of the toolkit's box, so nothing waits for a click.

#include "platform/messagebox.h"

#include <ostream>
#include <string>
#include <vector>

namespace testsupport {

struct ShownMessage
{
    std::u16string text;
    platform::MessageStyle style = platform::MessageStyle::Critical;
    std::u16string title = u"Local Users and Groups";

    bool operator==(const ShownMessage&) const = default;
};

using ShownMessages = std::vector<ShownMessage>;

// As a failing test prints it.
std::ostream& operator<<(std::ostream& out, const ShownMessage& message);

// The messages shown since the last call, which forgets them.
ShownMessages takeShownMessages();

} // namespace testsupport
