#pragma once

// The toolkit's modal message box with its single OK button. Returns when the
// administrator has dismissed it. The program's windows link the toolkit's
// box; tests link one that records what would have been shown.

#include <string_view>

namespace platform {

enum class MessageStyle
{
    Critical = 16,
    Information = 64,
};

void MsgBox(std::u16string_view text, MessageStyle style, std::u16string_view title);

} // namespace platform
