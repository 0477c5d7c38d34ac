#pragma once

// Key presses as Windows delivers them to the forms: as character codes, seen
// by a handler that may cancel them, and a Tab keystroke sent as if typed.

#include <QObject>
#include <functional>

class QWidget;

namespace platform {

// Decides whether a typed character goes on to the control: false cancels it.
// Characters are those Windows delivers: printable ones, and the control
// characters Backspace (8), Enter (13), Escape (27) and Ctrl+A to Ctrl+Z
// (1 to 26). Keys that type none (Tab, Delete, the arrows) pass unseen.
using KeyPressHandler = std::function<bool(int keyAscii)>;

// Hands every character typed into the control to the handler first.
void onKeyPress(QWidget* control, KeyPressHandler handler);

// Hands every character typed into any control of the window to the handler
// before the control sees it.
void onKeyPreview(QWidget* window, KeyPressHandler handler);

// Sends one Tab keystroke once the current event is done, to whichever
// control has the focus then.
void SendTabKeystroke();

} // namespace platform
