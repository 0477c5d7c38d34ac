#pragma once

// Text boxes as Windows' edit controls keep their text.

class QLineEdit;

namespace platform {

// The box ends its text at the first NUL, however the text arrives: typed,
// pasted, dropped or set. Windows' edit controls hold no NUL, and the
// platform would read a text with one inside only up to it.
void endTextAtNul(QLineEdit& box);

} // namespace platform
