#pragma once

// What both windows share of their design.

#include <QFont>
#include <QString>
#include <QWidget>
#include <string_view>

namespace design {

// The sans-serif the windows are laid out for.
QFont windowFont();

// The window's fixed frame and title bar buttons, its icon and font, and its
// place in the middle of the screen.
void setUpWindow(QWidget& window);

// The text without its leading and trailing blanks; other white space stays.
// A view into the text, so that trimming makes no copy of a password.
std::u16string_view trimBlanks(QStringView text);

} // namespace design
