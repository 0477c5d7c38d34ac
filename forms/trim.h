#pragma once

// The one rule by which the windows read their boxes: a text without its
// leading and trailing blanks (U+0020). Other white space stays, a tab at
// either end included, and reaches the platform as it was typed.

#include <QStringView>
#include <string_view>

namespace forms {

// A view into the text, so that trimming makes no copy of a password.
constexpr std::u16string_view trimBlanks(std::u16string_view text)
{
    const std::size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

inline std::u16string_view trimBlanks(QStringView text)
{
    return trimBlanks(std::u16string_view(text.utf16(), static_cast<std::size_t>(text.size())));
}

} // namespace forms
