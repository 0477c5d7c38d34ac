#pragma once

// Text boxes as Windows' edit controls keep their text.

class QLineEdit;

namespace platform {

// The box ends its text at the first NUL, however the text arrives: typed,
// pasted, dropped or set. Windows' edit controls hold no NUL, and the
// platform would read a text with one inside only up to it.
void endTextAtNul(QLineEdit& box);

// Empties the box, wiping the text it held in place first: the toolkit frees
// a box's text as it is, and a password is not to be left in freed memory.
void wipeText(QLineEdit& box);

} // namespace platform
