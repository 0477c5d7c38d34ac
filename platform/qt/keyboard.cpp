#include "platform/qt/keyboard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace platform {
namespace {

// The character code a key press types, as Windows delivers it; 0 for none.
int typedCharacter(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if (modifiers & (Qt::AltModifier | Qt::MetaModifier)) {
        return 0;
    }
    switch (event.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 0;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    default:
        break;
    }
    if ((modifiers & Qt::ControlModifier) && event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z) {
        return event.key() - Qt::Key_A + 1;
    }
    const QString text = event.text();
    if (text.isEmpty() || text.front().unicode() < 0x20 || text.front().unicode() == 0x7F) {
        return 0;
    }
    return text.front().unicode();
}

class KeyPressFilter : public QObject
{
public:
    KeyPressFilter(QObject* owner, KeyPressHandler handler)
        : QObject(owner), handler_(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int character = typedCharacter(*static_cast<QKeyEvent*>(event));
            if (character != 0 && !handler_(character)) {
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    KeyPressHandler handler_;
};

} // namespace

void onKeyPress(QWidget* control, KeyPressHandler handler)
{
    control->installEventFilter(new KeyPressFilter(control, std::move(handler)));
}

void onKeyPreview(QWidget* window, KeyPressHandler handler)
{
    // On the controls only: a key a control ignores travels on to the window,
    // and must not reach the handler a second time there.
    auto* filter = new KeyPressFilter(window, std::move(handler));
    for (QWidget* control : window->findChildren<QWidget*>()) {
        control->installEventFilter(filter);
    }
}

void SendTabKeystroke()
{
    QMetaObject::invokeMethod(
        qApp,
        [] {
            if (QWidget* focused = QApplication::focusWidget()) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier,
                                QStringLiteral("\t"));
                QKeyEvent release(QEvent::KeyRelease, Qt::Key_Tab, Qt::NoModifier,
                                  QStringLiteral("\t"));
                QApplication::sendEvent(focused, &press);
                QApplication::sendEvent(focused, &release);
            }
        },
        Qt::QueuedConnection);
}

} // namespace platform
