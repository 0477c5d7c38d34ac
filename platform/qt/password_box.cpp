#include "platform/qt/password_box.h"

#include "platform/wipe.h"

#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyleHints>
#include <QStyleOptionFrame>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>
#include <climits>
#include <string>

namespace platform {
namespace {

constexpr QChar kMask = u'*';

// What the toolkit's menu offers to insert where the platform uses
// right-to-left extensions, under the toolkit's own names.
constexpr const char* kControlsContext = "QUnicodeControlCharacterMenu";
constexpr struct
{
    const char* name;
    char16_t character;
} kControlCharacters[] = {
    {QT_TRANSLATE_NOOP("QUnicodeControlCharacterMenu", "LRM Left-to-right mark"), 0x200e},
    {QT_TRANSLATE_NOOP("QUnicodeControlCharacterMenu", "RLM Right-to-left mark"), 0x200f},
    {QT_TRANSLATE_NOOP("QUnicodeControlCharacterMenu", "ZWJ Zero width joiner"), 0x200d},
    {QT_TRANSLATE_NOOP("QUnicodeControlCharacterMenu", "ZWNJ Zero width non-joiner"), 0x200c},
    {QT_TRANSLATE_NOOP("QUnicodeControlCharacterMenu", "ZWSP Zero width space"), 0x200b},
    {QT_TRANSLATE_NOOP("QUnicodeControlCharacterMenu", "LRE Start of left-to-right embedding"),
     0x202a},
    {QT_TRANSLATE_NOOP("QUnicodeControlCharacterMenu", "RLE Start of right-to-left embedding"),
     0x202b},
    {QT_TRANSLATE_NOOP("QUnicodeControlCharacterMenu", "LRO Start of left-to-right override"),
     0x202d},
    {QT_TRANSLATE_NOOP("QUnicodeControlCharacterMenu", "RLO Start of right-to-left override"),
     0x202e},
    {QT_TRANSLATE_NOOP("QUnicodeControlCharacterMenu", "PDF Pop directional formatting"), 0x202c},
    {QT_TRANSLATE_NOOP("QUnicodeControlCharacterMenu", "LRI Left-to-right isolate"), 0x2066},
    {QT_TRANSLATE_NOOP("QUnicodeControlCharacterMenu", "RLI Right-to-left isolate"), 0x2067},
    {QT_TRANSLATE_NOOP("QUnicodeControlCharacterMenu", "FSI First strong isolate"), 0x2068},
    {QT_TRANSLATE_NOOP("QUnicodeControlCharacterMenu", "PDI Pop directional isolate"), 0x2069},
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

// An input method's attributes with every position inside what the toolkit
// can hold, so that it adds no two that overflow. A selection moves the
// cursor to its end and both are bounded to the text, which is never longer
// than kLongest: so bounded first, they come out the same.
QList<QInputMethodEvent::Attribute> boundedAttributes(const QInputMethodEvent& event)
{
    const auto preedit =
        static_cast<int>(std::min<qsizetype>(event.preeditString().size(), PasswordBox::kLongest));
    QList<QInputMethodEvent::Attribute> attributes = event.attributes();
    for (QInputMethodEvent::Attribute& attribute : attributes) {
        if (attribute.type == QInputMethodEvent::Selection) {
            const qint64 start = std::clamp<qint64>(attribute.start, 0, PasswordBox::kLongest);
            const qint64 end = std::clamp<qint64>(qint64(attribute.start) + attribute.length, 0,
                                                  PasswordBox::kLongest);
            attribute.start = static_cast<int>(start);
            attribute.length = static_cast<int>(end - start);
        } else if (attribute.type == QInputMethodEvent::Cursor) {
            // Counts from the cursor into the unfinished text; its length
            // only says whether the cursor shows.
            attribute.start = std::clamp(attribute.start, 0, preedit);
        } else if (attribute.type == QInputMethodEvent::TextFormat) {
            attribute.start = std::clamp(attribute.start, 0, preedit);
            attribute.length = std::clamp(attribute.length, 0, preedit - attribute.start);
        }
    }
    return attributes;
}

} // namespace

// The toolkit's line edit, holding a "*" for each character of the password.
// Whatever a person does to it goes to the box; the box edits it with the
// same calls that edit the toolkit's own box, so that its cursor, selection
// and input method's state follow the toolkit's rules.
class PasswordBox::MaskEdit : public QLineEdit
{
public:
    explicit MaskEdit(PasswordBox* box) : QLineEdit(box), box_(box)
    {
        setEchoMode(QLineEdit::Password);
        setValidator(new Masks(this, box));
        setFocusProxy(box);
    }

    // Clicks and drags may put the cursor past the text (see keepInText()).
    bool event(QEvent* event) override
    {
        const bool handled = QLineEdit::event(event);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonDblClick:
        case QEvent::DragEnter:
        case QEvent::DragMove:
            box_->keepInText();
            break;
        default:
            break;
        }
        return handled;
    }

    void moveByKey(QKeyEvent& event) { QLineEdit::keyPressEvent(&event); }
    void showInput(QInputMethodEvent& event)
    {
        QLineEdit::inputMethodEvent(&event);
        unfinished_ = static_cast<int>(event.preeditString().size());
        shown_ = maskingCharacter();
    }

    // The toolkit compares an input method's unfinished text with what it
    // shows of the last one, in masks of the masking character it had then:
    // masks of its length, made of that character only where the unfinished
    // text is, compare alike.
    QString masksOf(const QString& preedit) const
    {
        const bool onlyShown =
            std::all_of(preedit.begin(), preedit.end(), [&](QChar c) { return c == shown_; });
        return QString(preedit.size(), onlyShown ? shown_ : QChar(shown_ == kMask ? u'#' : kMask));
    }

protected:
    void keyPressEvent(QKeyEvent* event) override { box_->keyPressEvent(event); }
    void inputMethodEvent(QInputMethodEvent* event) override { box_->inputMethodEvent(event); }
    void dropEvent(QDropEvent* event) override { box_->drop(*event); }
    void contextMenuEvent(QContextMenuEvent* event) override { box_->showMenu(event->globalPos()); }

    // A middle click pastes the selection where the platform has one, but
    // for a click on an input method's unfinished text: the line edit offers
    // that to the input method, as the toolkit's box does, and is given no
    // button, so that it pastes nothing itself. Where the click lands is told
    // first, since the input method may commit its text on the click.
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::MiddleButton ||
            !QGuiApplication::clipboard()->supportsSelection()) {
            QLineEdit::mouseReleaseEvent(event);
            return;
        }
        const bool onUnfinished = onUnfinishedText(event->position().toPoint());
        QMouseEvent offered(event->type(), event->position(), event->scenePosition(),
                            event->globalPosition(), Qt::NoButton, event->buttons(),
                            event->modifiers(), event->pointingDevice());
        QLineEdit::mouseReleaseEvent(&offered);
        if (!isReadOnly() && !onUnfinished) {
            deselect();
            box_->paste(QClipboard::Selection);
        }
    }

private:
    QChar maskingCharacter() const
    {
        QStyleOptionFrame option;
        initStyleOption(&option);
        return QChar(style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, &option, this));
    }

    // As the toolkit tells: a point within the unfinished text's length
    // from the cursor, in a line laid out with that text inside, which
    // only then reaches past the masks.
    bool onUnfinishedText(QPoint point)
    {
        constexpr int kFar = 1 << 24;
        const int lineEnd = std::max(cursorPositionAt({-kFar, 0}), cursorPositionAt({kFar, 0}));
        const int fromCursor = cursorPositionAt(point) - cursorPosition();
        return lineEnd > text().size() && fromCursor >= 0 && fromCursor <= unfinished_;
    }

    // Whatever changes the masks behind the box's back (a screen reader's
    // client writing into the line edit, for one) is turned back into as
    // many masks as the box holds characters.
    class Masks : public QValidator
    {
    public:
        Masks(QObject* parent, const PasswordBox* box) : QValidator(parent), box_(box) {}

        State validate(QString& input, int& position) const override
        {
            const QString masks(box_->length_, kMask);
            if (!box_->editing_ && input != masks) {
                input = masks;
                position = std::min(position, box_->length_);
            }
            return Acceptable;
        }

    private:
        const PasswordBox* box_;
    };

    PasswordBox* box_;
    // The unfinished text last shown: its length and masking character.
    int unfinished_ = 0;
    QChar shown_ = kMask;
};

// What screen readers are told of the box, and of the masks' line edit
// within it, whose changes they hear of: a password field that tells its
// masks' count, cursor and selection, as the toolkit's own password box
// does, moves its cursor and selection within the text, and takes no text
// from them. (The toolkit's interface of a line edit writes a client's text
// into it, and tells every screen reader that text before the line edit's
// validator turns it back into masks.)
class PasswordBox::Accessible : public QAccessibleWidget,
                                public QAccessibleTextInterface,
                                public QAccessibleEditableTextInterface
{
public:
    Accessible(QWidget* widget, PasswordBox* box)
        : QAccessibleWidget(widget, QAccessible::EditableText), box_(box)
    {
    }

    static QAccessibleInterface* create(const QString& className, QObject* object)
    {
        if (className == QLatin1String(PasswordBox::staticMetaObject.className())) {
            auto* box = static_cast<PasswordBox*>(object);
            return new Accessible(box, box);
        }
        // The masks' line edit has no class of its own: it is the one line edit
        // in a box, known by its parent from the moment it is made.
        auto* box = qobject_cast<PasswordBox*>(object->parent());
        return box != nullptr && className == QLatin1String(QLineEdit::staticMetaObject.className())
                   ? new Accessible(static_cast<QLineEdit*>(object), box)
                   : nullptr;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        if (type == QAccessible::EditableTextInterface) {
            return static_cast<QAccessibleEditableTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = true;
        state.passwordEdit = true;
        state.selectableText = true;
        state.readOnly = box_->isReadOnly();
        return state;
    }
    QString text(QAccessible::Text type) const override
    {
        return type == QAccessible::Value ? QString(box_->length_, kMask)
                                          : QAccessibleWidget::text(type);
    }
    void setText(QAccessible::Text type, const QString& text) override
    {
        if (type != QAccessible::Value) {
            QAccessibleWidget::setText(type, text);
        }
    }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    void selection(int index, int* start, int* end) const override
    {
        const bool selected = index == 0 && box_->hasSelectedText();
        *start = selected ? box_->selectionStart() : 0;
        *end = selected ? box_->selectionEnd() : 0;
    }
    int selectionCount() const override { return box_->hasSelectedText() ? 1 : 0; }
    int cursorPosition() const override { return box_->cursorPosition(); }
    int characterCount() const override { return box_->length_; }
    int offsetAtPoint(const QPoint& point) const override
    {
        return std::min(box_->edit_->cursorPositionAt(box_->edit_->mapFromGlobal(point)),
                        box_->length_);
    }
    // Neither a character nor its place.
    QString text(int, int) const override { return {}; }
    QString textBeforeOffset(int, QAccessible::TextBoundaryType, int* start,
                             int* end) const override
    {
        return nothingAt(start, end);
    }
    QString textAfterOffset(int, QAccessible::TextBoundaryType, int* start, int* end) const override
    {
        return nothingAt(start, end);
    }
    QString textAtOffset(int, QAccessible::TextBoundaryType, int* start, int* end) const override
    {
        return nothingAt(start, end);
    }
    QRect characterRect(int) const override { return {}; }
    QString attributes(int offset, int* start, int* end) const override
    {
        *start = *end = offset;
        return {};
    }

    // Moved through the box, which keeps the offsets within the text.
    void scrollToSubstring(int start, int end) override
    {
        box_->setCursorPosition(end);
        box_->setCursorPosition(start);
    }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override
    {
        if (index == 0) {
            box_->deselect();
        }
    }
    void setSelection(int index, int start, int end) override
    {
        if (index == 0) {
            box_->setSelection(
                start, static_cast<int>(std::clamp<qint64>(qint64(end) - start, INT_MIN, INT_MAX)));
        }
    }
    void setCursorPosition(int position) override { box_->setCursorPosition(position); }

    // A client cannot write a password into the box.
    void deleteText(int, int) override {}
    void insertText(int, const QString&) override {}
    void replaceText(int, int, const QString&) override {}

private:
    static QString nothingAt(int* start, int* end)
    {
        *start = *end = -1;
        return {};
    }

    PasswordBox* box_;
};

PasswordBox::PasswordBox(QWidget* parent) : QWidget(parent), edit_(new MaskEdit(this))
{
    [[maybe_unused]] static const bool accessible =
        (QAccessible::installFactory(&Accessible::create), true);
    // The masks fill the box, which is laid out as a line edit.
    setSizePolicy(edit_->sizePolicy());
    edit_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins({});
    layout->addWidget(edit_);
    setFocusPolicy(edit_->focusPolicy());
    setInputMethodHints(edit_->inputMethodHints());
    setAttribute(Qt::WA_InputMethodEnabled);
}

PasswordBox::~PasswordBox() = default;

void PasswordBox::setMaxLength(int maxLength)
{
    const int capacity = std::clamp(maxLength, 0, kLongest);
    std::unique_ptr<LockedMemory> buffer;
    if (capacity > 0) {
        buffer = std::make_unique<LockedMemory>(std::size_t(capacity) * sizeof(char16_t));
    }
    const int kept = std::min(length_, capacity);
    if (buffer) {
        // The platform fills a new block with a pattern of its own.
        auto* characters = static_cast<char16_t*>(buffer->data());
        std::char_traits<char16_t>::copy(characters, this->characters(), std::size_t(kept));
        wipe(characters + kept, std::size_t(capacity - kept) * sizeof(char16_t));
    }
    // The old block is wiped as it is released.
    buffer_ = std::move(buffer);
    capacity_ = capacity;
    length_ = kept;
    edit_->setMaxLength(capacity);
}

bool PasswordBox::isReadOnly() const
{
    return edit_->isReadOnly();
}

void PasswordBox::setReadOnly(bool readOnly)
{
    edit_->setReadOnly(readOnly);
    setAttribute(Qt::WA_InputMethodEnabled, !readOnly);
}

int PasswordBox::cursorPosition() const
{
    return edit_->cursorPosition();
}

void PasswordBox::setCursorPosition(int position)
{
    edit_->setCursorPosition(position);
}

bool PasswordBox::hasSelectedText() const
{
    return edit_->hasSelectedText();
}

int PasswordBox::selectionStart() const
{
    return edit_->selectionStart();
}

int PasswordBox::selectionEnd() const
{
    return edit_->selectionEnd();
}

void PasswordBox::setSelection(int start, int length)
{
    // The toolkit adds the length to the start before it bounds the end.
    if (start >= 0 && start <= length_) {
        edit_->setSelection(start,
                            static_cast<int>(std::clamp<qint64>(length, -start, length_ - start)));
    }
}

void PasswordBox::setText(const QString& text)
{
    replace(0, length_, text);
    edit_->setText(QString(length_, kMask));
}

void PasswordBox::clear()
{
    replace(0, length_, {});
    edit_->clear();
}

void PasswordBox::selectAll()
{
    edit_->selectAll();
}

void PasswordBox::deselect()
{
    edit_->deselect();
}

void PasswordBox::insert(const QString& text)
{
    if (hasSelectedText()) {
        replace(selectionStart(), selectionEnd(), text);
    } else {
        replace(cursorPosition(), cursorPosition(), text);
    }
    // The masks' line edit takes its selection away, inserts as many as fit
    // and its validator cuts them where the box cut at a NUL.
    edit_->insert(QString(text.size(), kMask));
}

void PasswordBox::del()
{
    if (hasSelectedText()) {
        replace(selectionStart(), selectionEnd(), {});
    } else if (cursorPosition() < length_) {
        replace(cursorPosition(), cursorPosition() + 1, {});
    }
    edit_->del();
}

void PasswordBox::backspace()
{
    const int cursor = cursorPosition();
    if (hasSelectedText()) {
        replace(selectionStart(), selectionEnd(), {});
    } else if (cursor > 0) {
        // Both halves of a surrogate pair go at once, one mask at a time.
        const char16_t* characters = this->characters();
        const bool pair = cursor > 1 && QChar::isLowSurrogate(characters[cursor - 1]) &&
                          QChar::isHighSurrogate(characters[cursor - 2]);
        replace(cursor - (pair ? 2 : 1), cursor, {});
        if (pair) {
            const QScopedValueRollback editing(editing_, true);
            edit_->backspace();
        }
    }
    edit_->backspace();
}

void PasswordBox::replace(int start, int end, QStringView text)
{
    // Whatever the toolkit's line edit says, nothing outside the password.
    start = std::clamp(start, 0, length_);
    end = std::clamp(end, start, length_);
    text.truncate(std::clamp<qsizetype>(capacity_ - (length_ - (end - start)), 0, text.size()));
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul >= 0) {
        text.truncate(nul);
    }
    // The buffer is made once text comes, for a box whose maximum was never set.
    if (!buffer_ && !text.isEmpty()) {
        buffer_ = std::make_unique<LockedMemory>(std::size_t(capacity_) * sizeof(char16_t));
    }
    char16_t* characters = this->characters();
    if (characters == nullptr) {
        return;
    }
    using Traits = std::char_traits<char16_t>;
    const int kept = nul >= 0 ? 0 : length_ - end;
    Traits::move(characters + start + text.size(), characters + end, std::size_t(kept));
    Traits::copy(characters + start, text.utf16(), std::size_t(text.size()));
    length_ = start + static_cast<int>(text.size()) + kept;
    // The buffer holds nothing but the password.
    wipe(characters + length_, std::size_t(capacity_ - length_) * sizeof(char16_t));
}

// The toolkit counts the positions of the arrows, word moves, clicks and
// drags in a line laid out with an input method's unfinished text inside,
// so that a move may put its cursor past the text (and text then typed is
// padded with blanks up to it): the box keeps the cursor and selection
// within the text.
void PasswordBox::keepInText()
{
    const int cursor = cursorPosition();
    if (cursor <= length_ && selectionEnd() <= length_) {
        return;
    }
    const int anchor = !hasSelectedText()           ? cursor
                       : cursor == selectionStart() ? selectionEnd()
                                                    : selectionStart();
    edit_->setSelection(std::min(anchor, length_),
                        std::min(cursor, length_) - std::min(anchor, length_));
}

void PasswordBox::paste(QClipboard::Mode mode)
{
    const QString pasted = QGuiApplication::clipboard()->text(mode);
    if (!pasted.isEmpty() || hasSelectedText()) {
        insert(pasted);
    }
}

void PasswordBox::drop(QDropEvent& event)
{
    const QString dropped = event.mimeData()->text();
    if (dropped.isNull() || isReadOnly()) {
        event.ignore();
        return;
    }
    // Past the text, where an input method's unfinished text lies, is its end.
    edit_->setCursorPosition(
        std::min(edit_->cursorPositionAt(event.position().toPoint()), length_));
    event.acceptProposedAction();
    insert(dropped);
}

bool PasswordBox::event(QEvent* event)
{
    // The masks' line edit claims its keys from the window's shortcuts,
    // draws its cursor and selects itself as the toolkit's own box does.
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyRelease:
        return edit_->event(event);
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        edit_->event(event);
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

// The edits in the order the toolkit's own box tries them, so that a key
// bound to two means the same in both. False for a key that edits nothing.
bool PasswordBox::editByKey(const QKeyEvent& event)
{
    using enum QKeySequence::StandardKey;
    const bool readOnly = isReadOnly();
    if (event.key() == Qt::Key_Enter || event.key() == Qt::Key_Return) {
        return false;
    }
    // Undo and redo are off: the box keeps no history of the password. (The
    // toolkit's own password box empties itself on undo.)
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
        if (!readOnly) {
            paste(selection ? QClipboard::Selection : QClipboard::Clipboard);
        }
    } else if (event.matches(Cut)) {
        if (!readOnly && hasSelectedText()) {
            del();
        }
    } else if (event.matches(DeleteEndOfLine)) {
        if (!readOnly) {
            edit_->setSelection(cursorPosition(), length_);
            del();
        }
    } else if (matchesAny(event, {MoveToStartOfLine, MoveToStartOfBlock, MoveToEndOfLine,
                                  MoveToEndOfBlock, SelectStartOfLine, SelectStartOfBlock,
                                  SelectEndOfLine, SelectEndOfBlock, MoveToNextChar, SelectNextChar,
                                  MoveToPreviousChar, SelectPreviousChar, MoveToNextWord,
                                  MoveToPreviousWord, SelectNextWord, SelectPreviousWord})) {
        return false;
    } else if (event.matches(Delete)) {
        if (!readOnly) {
            del();
        }
    } else if (event.matches(DeleteEndOfWord)) {
        if (!readOnly) {
            // A word that ends in an input method's unfinished text, past the
            // password, takes nothing with it, as in the toolkit's box, and
            // the cursor and selection stay as they were: a selection up to
            // the end of the password would have the next key delete what
            // the toolkit's box keeps.
            const int cursor = cursorPosition(), start = selectionStart(), end = selectionEnd();
            edit_->cursorWordForward(true);
            if (cursorPosition() > length_) {
                start < 0 ? edit_->setCursorPosition(cursor)
                          : edit_->setSelection(cursor == start ? end : start,
                                                cursor == start ? start - end : end - start);
            } else {
                del();
            }
        }
    } else if (event.matches(DeleteStartOfWord)) {
        if (!readOnly) {
            edit_->cursorWordBackward(true);
            if (hasSelectedText()) {
                del();
            }
        }
    } else if (event.matches(DeleteCompleteLine)) {
        if (!readOnly) {
            edit_->setSelection(0, length_);
            del();
        }
    } else if (event.key() == Qt::Key_Backspace) {
        // With Ctrl a word goes.
        if (!readOnly && (event.modifiers() & Qt::ControlModifier)) {
            edit_->cursorWordBackward(true);
            del();
        } else if (!readOnly) {
            backspace();
        }
    } else if (event.key() == Qt::Key_Direction_L || event.key() == Qt::Key_Direction_R ||
               ((event.modifiers() & Qt::ControlModifier) &&
                (event.key() == Qt::Key_Up || event.key() == Qt::Key_Down)) ||
               readOnly || !typesText(event)) {
        return false;
    } else {
        insert(event.text());
    }
    return true;
}

// Keys that edit nothing go on to the masks without their text, which the
// toolkit could otherwise type.
void PasswordBox::keyPressEvent(QKeyEvent* event)
{
    if (editByKey(*event)) {
        event->accept();
        return;
    }
    QKeyEvent withoutText(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                          event->nativeVirtualKey(), event->nativeModifiers(), QString(),
                          event->isAutoRepeat(), event->count(), event->device());
    edit_->moveByKey(withoutText);
    keepInText();
    event->setAccepted(withoutText.isAccepted());
}

// The committed text reaches the buffer; the masks' line edit gets the same
// edit in masks, and the unfinished text in masks.
void PasswordBox::inputMethodEvent(QInputMethodEvent* event)
{
    // The toolkit's own box takes an input method's text even when read-only.
    if (isReadOnly()) {
        event->ignore();
        return;
    }
    const QString& commit = event->commitString();
    QInputMethodEvent masked(edit_->masksOf(event->preeditString()), boundedAttributes(*event));
    // Where the toolkit's own box is sound, the box does as it does: a start
    // before the text moves to its start, and a negative length, or a range
    // that ends past the text, replaces nothing. Where it is not, the box
    // follows a rule of its own: a start past the end moves to the end (the
    // toolkit pads its text with blanks up to the start), a range that
    // replaces nothing is an empty one (the toolkit leaves one that ends past
    // the text selected, and without a commit, moves its cursor forward by a
    // negative length or drops its selection), and no sum of two positions
    // may overflow.
    if (commit.isEmpty() && event->replacementLength() <= 0) {
        // Only a change of the unfinished text takes the selection away, which
        // the masks' line edit alone can tell: the box follows it.
        const int start = selectionStart();
        const int end = selectionEnd();
        {
            const QScopedValueRollback editing(editing_, true);
            edit_->showInput(masked);
        }
        if (edit_->text().size() < length_) {
            replace(start, end, {});
        }
        return;
    }
    if (hasSelectedText()) {
        del();
    }
    const int cursor = cursorPosition();
    const auto start = static_cast<int>(
        std::clamp<qint64>(qint64(cursor) + event->replacementStart(), 0, length_));
    const int length =
        event->replacementLength() > 0 && qint64(start) + event->replacementLength() <= length_
            ? event->replacementLength()
            : 0;
    replace(start, start + length, commit);
    masked.setCommitString(QString(commit.size(), kMask), start - cursor, length);
    edit_->showInput(masked);
}

QVariant PasswordBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    // A read-only box takes no input method.
    if (query == Qt::ImEnabled) {
        return isEnabled() && !isReadOnly();
    }
    return edit_->inputMethodQuery(query);
}

// Through the masks' line edit, which shows no menu while an input method
// composes.
void PasswordBox::contextMenuEvent(QContextMenuEvent* event)
{
    edit_->event(event);
}

// The toolkit's menu, without undo and redo, with paste, delete and the
// control characters on the buffer; cut and copy stay off as they are for
// every password box, and a read-only box offers no edit at all. Each action
// names its key even where the application has a shortcut on it (the
// toolkit's menu leaves it out there): while the box has focus it claims
// those keys before any shortcut, so they do what the menu says.
void PasswordBox::showMenu(QPoint at)
{
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto add = [&](const char* text, QKeySequence::StandardKey key, bool enabled) {
        QString caption = QLineEdit::tr(text);
        if (key != QKeySequence::UnknownKey &&
            !QCoreApplication::testAttribute(Qt::AA_DontShowShortcutsInContextMenus)) {
            caption += u'\t' + QKeySequence(key).toString(QKeySequence::NativeText);
        }
        QAction* action = menu->addAction(caption);
        action->setEnabled(enabled);
        return action;
    };
    const bool readOnly = isReadOnly();
    if (!readOnly) {
        add("Cu&t", QKeySequence::Cut, false);
    }
    add("&Copy", QKeySequence::Copy, false);
    if (!readOnly) {
        connect(add("&Paste", QKeySequence::Paste, !QGuiApplication::clipboard()->text().isEmpty()),
                &QAction::triggered, this, [this] { paste(); });
        connect(add("Delete", QKeySequence::UnknownKey, hasSelectedText()), &QAction::triggered,
                this, [this] {
                    if (hasSelectedText()) {
                        del();
                    }
                });
    }
    if (!menu->isEmpty()) {
        menu->addSeparator();
    }
    const bool allSelected = selectionStart() == 0 && selectionEnd() == length_;
    connect(add("Select All", QKeySequence::SelectAll, length_ > 0 && !allSelected),
            &QAction::triggered, this, &PasswordBox::selectAll);
    if (!readOnly && QGuiApplication::styleHints()->useRtlExtensions()) {
        menu->addSeparator();
        QMenu* controls = menu->addMenu(
            QCoreApplication::translate(kControlsContext, "Insert Unicode control character"));
        for (const auto& control : kControlCharacters) {
            connect(
                controls->addAction(QCoreApplication::translate(kControlsContext, control.name)),
                &QAction::triggered, this,
                [this, character = control.character] { insert(QString(QChar(character))); });
        }
    }
    menu->popup(at);
}

} // namespace platform
