#pragma once

// A password box whose toolkit text is only masks: the toolkit's line edit
// keeps every character it is given in its undo history and hands typed
// text to screen readers, so the password itself never reaches it.

#include "platform/locked_memory.h"

#include <QClipboard>
#include <QLineEdit>
#include <memory>
#include <string_view>

namespace platform {

// The password lives in one locked buffer of the box's own, sized for the
// box's maximum and wiped when it is released. Every edit a person makes
// (keys, paste, drop, input methods) is applied to that buffer as the
// toolkit's own password box applies it to its text, and the toolkit's text
// becomes that many "*". The text ends at its first NUL, however it
// arrives. Undo and redo do nothing; copy, cut and drag out stay off.
class PasswordBox : public QLineEdit
{
    Q_OBJECT

public:
    explicit PasswordBox(QWidget* parent = nullptr);
    ~PasswordBox() override;

    // A view of the buffer, valid until the box is next edited.
    std::u16string_view password() const { return {characters(), std::size_t(length_)}; }

    // Sets the maximum and empties the box; the designs set it before
    // anything is typed.
    void setMaxLength(int maxLength);
    // Replaces the password, as QLineEdit::setText() replaces a text.
    void setText(QStringView text);
    // Empties the box and wipes its buffer.
    void clear();
    // Pastes the clipboard's text, as the paste keys do.
    void paste() { paste(QClipboard::Clipboard); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    char16_t* characters() const { return static_cast<char16_t*>(buffer_->data()); }

    // The one edit every other is made of: the characters from start to end
    // give way to as much of the text as there is room for.
    void replace(int start, int end, QStringView text);
    void replaceSelection(QStringView text);
    void removeSelection();
    void paste(QClipboard::Mode mode);
    void backspace();
    void del();
    bool editByKey(const QKeyEvent& event);

    std::unique_ptr<LockedMemory> buffer_;
    int capacity_ = 0;
    int length_ = 0;
    // The length of the input method's unfinished text, which the toolkit
    // shows in masks.
    qsizetype preeditLength_ = 0;
};

} // namespace platform
