#pragma once

// What both windows share of their design.

#include <QWidget>

namespace design {

// The window's fixed frame and title bar buttons, its icon and font, and its
// place in the middle of the screen.
void setUpWindow(QWidget& window);

} // namespace design
