#pragma once

// What both windows share of their design.

#include <QFont>
#include <QWidget>

namespace design {

// The sans-serif the windows are laid out for.
QFont windowFont();

// The window's fixed frame and title bar buttons, its icon and font, and its
// place in the middle of the screen.
void setUpWindow(QWidget& window);

} // namespace design
