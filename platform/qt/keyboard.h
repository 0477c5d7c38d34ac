#pragma once

// Key presses as Windows delivers them to the forms: as character codes, seen
// by a handler that may cancel them, and a Tab keystroke sent as if typed.

#include <QObject>
#include <functional>

class QKeyEvent;
class QWidget;

namespace platform {

// Decides whether a typed character goes on to the control: false cancels it.
using KeyPressHandler = std::function<bool(int keyAscii)>;

// The character code a key press types: a printable character, or one of the
// control characters Backspace (8), Enter (13), Escape (27) and Ctrl+A to
// Ctrl+Z (1 to 26); 0 for keys that type none (Tab moves the focus instead).
int typedCharacter(const QKeyEvent& event);

// Hands every character typed into the control to the handler first.
void onKeyPress(QWidget* control, KeyPressHandler handler);

// Hands every character typed into any control of the window to the handler
// before the control sees it.
void onKeyPreview(QWidget* window, KeyPressHandler handler);

// Sends one Tab keystroke once the current event is done, to whichever
// control has the focus then.
void SendTabKeystroke();

} // namespace platform
