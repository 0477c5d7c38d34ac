#pragma once

// A password box whose toolkit text is only masks: the toolkit's line edit
// keeps every character it is given in its undo history and hands typed
// text to screen readers, so the password itself never reaches it.

#include "platform/locked_memory.h"

#include <QClipboard>
#include <QWidget>
#include <memory>
#include <string_view>

namespace platform {

// The password lives in one locked buffer of the box's own, sized for the
// box's maximum and wiped when it is released. The box is no line edit: it
// owns one that holds a "*" for every character of the password and shows
// it, so that no road of the toolkit's line edit leads to the password.
// Every edit (keys, paste, drop, input methods, calls from code) is applied
// to the buffer as the toolkit's own password box applies it to its text,
// and the same edit to the masks. The text ends at its first NUL, however it
// arrives. Undo and redo do nothing; copy, cut and drag out stay off; a
// screen reader's client reads masks and writes nothing.
class PasswordBox : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int maxLength READ maxLength WRITE setMaxLength)
    Q_PROPERTY(bool readOnly READ isReadOnly WRITE setReadOnly)
    Q_PROPERTY(int cursorPosition READ cursorPosition WRITE setCursorPosition)

public:
    // The toolkit's default maximum, and the box's bound.
    static constexpr int kLongest = 32767;

    explicit PasswordBox(QWidget* parent = nullptr);
    ~PasswordBox() override;

    // A view of the buffer, valid until the box is next edited.
    std::u16string_view password() const { return {characters(), std::size_t(length_)}; }

    int maxLength() const { return capacity_; }
    // Keeps the password's first characters up to the maximum, bounded to
    // 0...kLongest, in a buffer of that size: the buffer is made before the
    // box changes, so that a failure (std::bad_alloc) leaves it as it was.
    void setMaxLength(int maxLength);
    bool isReadOnly() const;
    // A read-only box refuses what a person types, pastes, drops, picks from
    // its menu or sends from an input method; calls from code still edit it.
    void setReadOnly(bool readOnly);

    int cursorPosition() const;
    void setCursorPosition(int position);
    bool hasSelectedText() const;
    // -1 without a selection.
    int selectionStart() const;
    int selectionEnd() const;
    // As QLineEdit::setSelection(); a start outside the text selects nothing.
    void setSelection(int start, int length);

    // Replaces the selection, or inserts at the cursor.
    void insert(const QString& text);
    void del();
    void backspace();

public slots:
    // Replaces the password; the cursor goes to its end.
    void setText(const QString& text);
    // Empties the box and wipes its buffer.
    void clear();
    void selectAll();
    void deselect();
    // Pastes the clipboard's text, as the paste keys do.
    void paste() { paste(QClipboard::Clipboard); }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    class MaskEdit;
    class Accessible;

    char16_t* characters() const
    {
        return buffer_ ? static_cast<char16_t*>(buffer_->data()) : nullptr;
    }

    // The one edit of the buffer every other is made of: the characters from
    // start to end give way to as much of the text as there is room for, up
    // to its first NUL; whatever follows a NUL goes.
    void replace(int start, int end, QStringView text);
    void keepInText();
    void paste(QClipboard::Mode mode);
    void drop(QDropEvent& event);
    void showMenu(QPoint at);
    bool editByKey(const QKeyEvent& event);

    MaskEdit* edit_;
    std::unique_ptr<LockedMemory> buffer_;
    int capacity_ = kLongest;
    int length_ = 0;
    // While the box edits the masks in more than one step, they may
    // differ from the password.
    bool editing_ = false;
};

} // namespace platform
