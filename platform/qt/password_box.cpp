#include "platform/qt/password_box.h"

#include "platform/wipe.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QValidator>
#include <algorithm>
#include <functional>

namespace platform {
namespace {

constexpr QChar kMask = u'*';

// Whatever changes the toolkit's text behind the box's back (a screen
// reader's client writing into it, for one) is turned back into the box's
// masks, so that what it shows is what it holds.
class MasksOnly : public QValidator
{
public:
    explicit MasksOnly(PasswordBox* box) : QValidator(box), box_(box) {}

    State validate(QString& input, int& position) const override
    {
        // Never more than the toolkit's maximum, which it would cut them to.
        const QString masks(
            std::min(static_cast<qsizetype>(box_->password().size()), qsizetype(box_->maxLength())),
            kMask);
        if (input != masks) {
            input = masks;
            position = std::min(position, static_cast<int>(masks.size()));
        }
        return Acceptable;
    }

private:
    const PasswordBox* box_;
};

// Whether a key press types its text, by the rule of the toolkit's own boxes.
bool typesText(const QKeyEvent& event)
{
    const QString text = event.text();
    if (text.isEmpty()) {
        return false;
    }
    const QChar first = text.front();
    if (first.category() == QChar::Other_Format) {
        return true;
    }
    // Ctrl and Ctrl+Shift type nothing; AltGr (Ctrl+Alt) does.
    if (event.modifiers() == Qt::ControlModifier ||
        event.modifiers() == (Qt::ShiftModifier | Qt::ControlModifier)) {
        return false;
    }
    return first.isPrint() || first.category() == QChar::Other_PrivateUse ||
           (first.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate());
}

bool matchesAny(const QKeyEvent& event, std::initializer_list<QKeySequence::StandardKey> keys)
{
    return std::any_of(keys.begin(), keys.end(),
                       [&](QKeySequence::StandardKey key) { return event.matches(key); });
}

} // namespace

PasswordBox::PasswordBox(QWidget* parent) : QLineEdit(parent)
{
    setEchoMode(QLineEdit::Password);
    setMaxLength(QLineEdit::maxLength());
    setValidator(new MasksOnly(this));
}

PasswordBox::~PasswordBox() = default;

void PasswordBox::setMaxLength(int maxLength)
{
    capacity_ = std::max(maxLength, 0);
    // Never empty, so the platform always has a block to give.
    buffer_ = std::make_unique<LockedMemory>(static_cast<std::size_t>(std::max(capacity_, 1)) *
                                             sizeof(char16_t));
    length_ = 0;
    QLineEdit::setMaxLength(capacity_);
    QLineEdit::setText(QString());
}

void PasswordBox::setText(QStringView text)
{
    replace(0, length_, text);
}

void PasswordBox::clear()
{
    replace(0, length_, {});
}

void PasswordBox::replace(int start, int end, QStringView text)
{
    char16_t* characters = this->characters();
    std::copy(characters + end, characters + length_, characters + start);
    length_ -= end - start;
    // The toolkit's maximum, should it be set below the buffer's.
    const int longest = std::min(capacity_, maxLength());
    text =
        text.left(std::clamp(static_cast<qsizetype>(longest - length_), qsizetype(0), text.size()));
    int cursor = start + static_cast<int>(text.size());
    if (const qsizetype nul = text.indexOf(QChar(u'\0')); nul >= 0) {
        // Whatever follows a NUL, in the text or after it, goes.
        text.truncate(nul);
        cursor = length_ = start + static_cast<int>(nul);
    } else {
        std::copy_backward(characters + start, characters + length_,
                           characters + length_ + text.size());
        length_ += static_cast<int>(text.size());
    }
    std::copy(text.utf16(), text.utf16() + text.size(), characters + start);
    // The buffer holds nothing but the password.
    wipe(characters + length_, static_cast<std::size_t>(capacity_ - length_) * sizeof(char16_t));

    QLineEdit::setText(QString(length_, kMask));
    setCursorPosition(cursor);
}

void PasswordBox::replaceSelection(QStringView text)
{
    if (hasSelectedText()) {
        replace(selectionStart(), selectionEnd(), text);
    } else {
        replace(cursorPosition(), cursorPosition(), text);
    }
}

void PasswordBox::removeSelection()
{
    if (hasSelectedText()) {
        replaceSelection({});
    }
}

void PasswordBox::paste(QClipboard::Mode mode)
{
    const QString pasted = QGuiApplication::clipboard()->text(mode);
    if (!pasted.isEmpty() || hasSelectedText()) {
        replaceSelection(pasted);
    }
}

void PasswordBox::backspace()
{
    const int cursor = cursorPosition();
    if (hasSelectedText()) {
        removeSelection();
    } else if (cursor > 0) {
        // Both halves of a surrogate pair go at once.
        const char16_t* characters = this->characters();
        const bool pair = cursor > 1 && QChar::isLowSurrogate(characters[cursor - 1]) &&
                          QChar::isHighSurrogate(characters[cursor - 2]);
        replace(cursor - (pair ? 2 : 1), cursor, {});
    }
}

void PasswordBox::del()
{
    const int cursor = cursorPosition();
    if (hasSelectedText()) {
        removeSelection();
    } else if (cursor < length_) {
        replace(cursor, cursor + 1, {});
    }
}

// The edits in the order the toolkit's own box tries them, so that a key
// bound to two means the same in both. False for a key that edits nothing.
bool PasswordBox::editByKey(const QKeyEvent& event)
{
    using enum QKeySequence::StandardKey;
    const bool control = event.modifiers() & Qt::ControlModifier;
    if (event.key() == Qt::Key_Enter || event.key() == Qt::Key_Return) {
        return false;
    }
    // Undo and redo are off: the box keeps no history of the password.
    if (matchesAny(event, {Undo, Redo})) {
        return true;
    }
    if (matchesAny(event, {SelectAll, Copy})) {
        return false;
    }
    if (event.matches(Paste)) {
        // Where Ctrl+Shift+Insert pastes, it pastes the selection.
        const bool selection = event.key() == Qt::Key_Insert &&
                               event.modifiers() == (Qt::ControlModifier | Qt::ShiftModifier);
        paste(selection ? QClipboard::Selection : QClipboard::Clipboard);
    } else if (event.matches(Cut)) {
        removeSelection();
    } else if (event.matches(DeleteEndOfLine)) {
        replace(cursorPosition(), length_, {});
    } else if (matchesAny(event, {MoveToStartOfLine, MoveToStartOfBlock, MoveToEndOfLine,
                                  MoveToEndOfBlock, SelectStartOfLine, SelectStartOfBlock,
                                  SelectEndOfLine, SelectEndOfBlock, MoveToNextChar, SelectNextChar,
                                  MoveToPreviousChar, SelectPreviousChar, MoveToNextWord,
                                  MoveToPreviousWord, SelectNextWord, SelectPreviousWord})) {
        return false;
    } else if (event.matches(Delete)) {
        del();
    } else if (event.matches(DeleteEndOfWord)) {
        cursorWordForward(true);
        del();
    } else if (event.matches(DeleteStartOfWord)) {
        cursorWordBackward(true);
        removeSelection();
    } else if (event.matches(DeleteCompleteLine)) {
        replace(0, length_, {});
    } else if (event.key() == Qt::Key_Backspace && control) {
        cursorWordBackward(true);
        del();
    } else if (event.key() == Qt::Key_Backspace) {
        backspace();
    } else if (event.key() != Qt::Key_Direction_L && event.key() != Qt::Key_Direction_R &&
               !(control && (event.key() == Qt::Key_Up || event.key() == Qt::Key_Down)) &&
               typesText(event)) {
        replaceSelection(event.text());
    } else {
        return false;
    }
    return true;
}

// Keys that edit nothing go on to the toolkit without their text, which it
// could otherwise type.
void PasswordBox::keyPressEvent(QKeyEvent* event)
{
    if (editByKey(*event)) {
        event->accept();
        return;
    }
    QKeyEvent withoutText(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                          event->nativeVirtualKey(), event->nativeModifiers(), QString(),
                          event->isAutoRepeat(), event->count(), event->device());
    QLineEdit::keyPressEvent(&withoutText);
    event->setAccepted(withoutText.isAccepted());
}

// The committed text reaches the buffer, and the toolkit gets the same edit
// and the unfinished text in masks.
void PasswordBox::inputMethodEvent(QInputMethodEvent* event)
{
    const QString& commit = event->commitString();
    const QString& preedit = event->preeditString();
    // The toolkit compares the unfinished text with its masks, which differ
    // unless both are empty.
    const bool input = !commit.isEmpty() || event->replacementLength() > 0 || !preedit.isEmpty() ||
                       preeditLength_ > 0;
    if (input) {
        removeSelection();
    }
    const int cursor = cursorPosition();
    const int start = std::clamp(cursor + event->replacementStart(), 0, length_);
    const int replaced =
        start + event->replacementLength() <= length_ ? event->replacementLength() : 0;
    if (!commit.isEmpty() || replaced > 0) {
        replace(start, start + replaced, commit);
    }
    if (commit.isEmpty()) {
        int after = cursor;
        if (event->replacementStart() <= 0) {
            after -= std::min(-event->replacementStart(), event->replacementLength());
        }
        after = std::clamp(after, 0, length_);
        // A cursor left where it was keeps its selection.
        if (after != cursorPosition()) {
            setCursorPosition(after);
        }
    }

    QInputMethodEvent masked(QString(preedit.size(), kMask), event->attributes());
    QLineEdit::inputMethodEvent(&masked);
    preeditLength_ = preedit.size();
}

void PasswordBox::dropEvent(QDropEvent* event)
{
    const QString dropped = event->mimeData()->text();
    if (dropped.isNull()) {
        event->ignore();
        return;
    }
    const int position = cursorPositionAt(event->position().toPoint());
    event->acceptProposedAction();
    replace(position, position, dropped);
}

// A middle click pastes the selection where the platform has one.
void PasswordBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        deselect();
        paste(QClipboard::Selection);
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

// The toolkit's menu, without undo and redo, with paste and delete on the
// buffer; cut and copy stay off as they are for every password box.
void PasswordBox::contextMenuEvent(QContextMenuEvent* event)
{
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto add = [&](const char* text, QKeySequence::StandardKey key, bool enabled,
                         const std::function<void()>& act) {
        QString caption = QLineEdit::tr(text);
        if (key != QKeySequence::UnknownKey) {
            caption += u'\t' + QKeySequence(key).toString(QKeySequence::NativeText);
        }
        QAction* action = menu->addAction(caption);
        action->setEnabled(enabled);
        if (act) {
            connect(action, &QAction::triggered, this, act);
        }
    };
    add("Cu&t", QKeySequence::Cut, false, nullptr);
    add("&Copy", QKeySequence::Copy, false, nullptr);
    add("&Paste", QKeySequence::Paste, !QGuiApplication::clipboard()->text().isEmpty(),
        [this] { paste(QClipboard::Clipboard); });
    add("Delete", QKeySequence::UnknownKey, hasSelectedText(), [this] { removeSelection(); });
    menu->addSeparator();
    add("Select All", QKeySequence::SelectAll, length_ > 0 && selectedText().size() < length_,
        [this] { selectAll(); });
    menu->popup(event->globalPos());
}

} // namespace platform
