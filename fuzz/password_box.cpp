// The password box against the toolkit's own line edit in Password mode,
// with the design's maximum (10), masking character and NUL rule, on the
// offscreen platform. Each edit goes alike to both; after each, the box
// holds the text the line edit holds, shows as many "*" and nothing else to
// the toolkit, has its cursor, selection and input method's state, and has
// told screen readers of masks only.
//
// Where the box differs from the toolkit's box, on purpose, the edit is
// checked against the box's own rule and the line edit does not get it, or
// gets what the rule makes of it:
// - undo and redo (keys, or called by name) change nothing in the box; the
//   toolkit's box empties itself on undo;
// - text a screen reader's client writes, into the box or the masks' line
//   edit within it, changes nothing in the box;
// - a read-only box refuses an input method's events, which the toolkit's
//   box applies;
// - the line edit's roads the box lacks (called or set by name) change
//   nothing;
// - an input method's range where the toolkit's box misbehaves: the box
//   moves a start past the end to the end (the toolkit pads its text with
//   blanks up to it); replaces nothing with a range that ends past the text
//   (the toolkit leaves it selected) or has a negative length (without a
//   commit, the toolkit moves its cursor forward by it or drops the
//   selection); and overflows
//   nowhere (the toolkit adds starts, lengths and the cursor in int). The
//   line edit gets the event the box's rule makes of it;
// - the toolkit's box lays a password out in the direction of its script;
//   the masks have none, so both start left to right;
// - the toolkit's box counts the positions of arrows, word moves, clicks,
//   drags and drops in a line laid out with an input method's unfinished
//   text inside, so that its cursor or selection may go past its text (and a
//   drop, or text typed then, is padded with blanks up to it): the box keeps
//   them within, and the line edit takes the box's state, or the drop at the
//   end of the text;
// - a double click selects a word, which the toolkit's box ends before the
//   blanks that follow it in the password (showing where they are); the
//   masks have none, and the line edit takes the box's selection;
// - a maximum outside 0...32767 is bounded, and a selection's length or an
//   input method's selection that would overflow is bounded, for the line
//   edit as the box bounds it.
//
// An input is a sequence of edits: a byte naming the kind, then its
// operands, integers as single bytes or as four little-endian bytes, texts
// as a byte counting their UTF-16 code units, then the units.

#include "platform/qt/password_box.h"

#include "fuzz/input.h"
#include "platform/qt/textbox.h"
#include "tests/support/told.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QTextCharFormat>
#include <cstring>
#include <private/qguiapplication_p.h>
#include <private/qlineedit_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <qpa/qwindowsysteminterface.h>

namespace {

using namespace Qt::StringLiterals;
using platform::PasswordBox;

// What the input did so far, told when a property breaks.
std::string trail;

void require(bool holds, const char* property)
{
    if (!holds) {
        fuzzing::require(false, property, "after" + trail + "\n");
    }
}

using fuzzing::Input;

// A text: a byte counting its UTF-16 code units, then the units.
QString takeText(Input& input)
{
    QString text;
    for (auto count = input.take<std::uint8_t>(); count > 0 && input.size > 0; --count) {
        text += QChar(input.take<char16_t>());
    }
    return text;
}

enum Edit : std::uint8_t
{
    kKey,
    kClipboard,
    kPaste,
    kDrop,
    kMenu,
    kInputMethod,
    kSetText,
    kInsert,
    kClear,
    kDelete,
    kMaxLength,
    kReadOnly,
    kSelection,
    kCursor,
    kSelectAll,
    kFocus,
    kScreenReaderWrites,
    kAbsentRoad,
    kMouse,
    kEditKinds
};

// Keys that edit, move or select, with any modifiers; a byte past them reads
// any key code.
constexpr Qt::Key kKeys[] = {
    Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left,   Qt::Key_Right,       Qt::Key_Home,
    Qt::Key_End,       Qt::Key_Insert, Qt::Key_Up,     Qt::Key_Down,        Qt::Key_A,
    Qt::Key_C,         Qt::Key_V,      Qt::Key_X,      Qt::Key_Z,           Qt::Key_Y,
    Qt::Key_K,         Qt::Key_U,      Qt::Key_W,      Qt::Key_H,           Qt::Key_Return,
    Qt::Key_Enter,     Qt::Key_Space,  Qt::Key_Escape, Qt::Key_Direction_L, Qt::Key_Direction_R,
    Qt::Key_F18,       Qt::Key_Menu,   Qt::Key_unknown};
constexpr Qt::KeyboardModifier kModifiers[] = {Qt::ShiftModifier,  Qt::ControlModifier,
                                               Qt::AltModifier,    Qt::MetaModifier,
                                               Qt::KeypadModifier, Qt::GroupSwitchModifier};

// Beyond this, a sum of two positions may overflow inside the toolkit.
constexpr qint64 kSafe = 1 << 30;
bool safe(qint64 value)
{
    return value >= -kSafe && value <= kSafe;
}

// Texts of the accessibility events the box raises, itself or the line edit
// of masks within it.
QStringList told;
const QObject* watched = nullptr;

void hear(QAccessibleEvent* event)
{
    const QObject* object = event->object();
    if (object == nullptr || (object != watched && object->parent() != watched)) {
        return;
    }
    told << testsupport::toldTexts(*event);
}

// The design's masking character, which its style sheet sets: a style
// sheet for every box made would take most of the run's time.
class MaskingStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override
    {
        return hint == SH_LineEdit_PasswordCharacter
                   ? u'*'
                   : QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

// No road of the toolkit's line edit leads to the password.
static_assert(!std::is_base_of_v<QLineEdit, PasswordBox>);

// The box and the toolkit's box side by side, as the design makes them.
struct Pair
{
    QWidget window;
    PasswordBox* box = new PasswordBox(&window);
    QLineEdit* reference = new QLineEdit(&window);
    QLineEdit* masks = box->findChild<QLineEdit*>();

    Pair()
    {
        reference->setEchoMode(QLineEdit::Password);
        platform::endTextAtNul(*reference);
        box->setMaxLength(10);
        reference->setMaxLength(10);
        box->resize(120, 23);
        reference->resize(120, 23);
        box->layout()->activate();
        require(masks->geometry() == reference->rect(), "the masks fill the box");
        // The toolkit's box lays a password out in the direction of its
        // script, so that its arrows move the other way in one written right
        // to left; masks have no script. Both go left to right, until a key
        // turns them.
        QKeyEvent toBox(QEvent::KeyPress, Qt::Key_Direction_L, {});
        QKeyEvent toReference(QEvent::KeyPress, Qt::Key_Direction_L, {});
        send(toBox, toReference);
    }

    struct State
    {
        std::u16string text;
        int cursor, selectionStart, selectionEnd;
        bool operator==(const State&) const = default;
        std::string told() const
        {
            return QStringView(text).toString().toStdString() + " at " + std::to_string(cursor) +
                   " selecting " + std::to_string(selectionStart) + ".." +
                   std::to_string(selectionEnd);
        }
    };
    State boxState() const
    {
        return {std::u16string(box->password()), box->cursorPosition(), box->selectionStart(),
                box->selectionEnd()};
    }
    State referenceState() const
    {
        return {reference->text().toStdU16String(), reference->cursorPosition(),
                reference->selectionStart(), reference->selectionEnd()};
    }

    void check()
    {
        // Where the toolkit's box puts its cursor or selection past its text
        // (it counts the positions of arrows, word moves and clicks in a line
        // laid out with an input method's unfinished text inside), the box
        // keeps them within, and the line edit takes the box's state.
        const auto end = reference->text().size();
        if (reference->cursorPosition() > end || reference->selectionEnd() > end) {
            const State kept = boxState();
            require(kept.cursor <= int(kept.text.size()) &&
                        kept.selectionEnd <= int(kept.text.size()),
                    "the box keeps its cursor and selection within its text");
            reference->setText(QStringView(kept.text).toString());
            const int anchor = kept.selectionStart < 0              ? kept.cursor
                               : kept.cursor == kept.selectionStart ? kept.selectionEnd
                                                                    : kept.selectionStart;
            reference->setSelection(anchor, kept.cursor - anchor);
        }
        const State held = boxState(), expected = referenceState();
        if (!(held == expected)) {
            trail += "\n  box: " + held.told() + "; toolkit's: " + expected.told();
        }
        require(held == expected,
                "the box holds the text, cursor and selection the toolkit's box holds");
        // What follows the password in its buffer, up to the maximum, is wiped.
        if (const char16_t* buffer = box->password().data()) {
            static constexpr char16_t kWiped[PasswordBox::kLongest] = {};
            const std::size_t length = box->password().size();
            require(std::memcmp(buffer + length, kWiped,
                                (box->maxLength() - length) * sizeof(char16_t)) == 0,
                    "the buffer holds nothing but the password");
        }
        const QString shown(qsizetype(box->password().size()), u'*');
        require(masks->text() == shown, "the toolkit's text is a \"*\" for every character");
        require(QAccessible::queryAccessibleInterface(box)->text(QAccessible::Value) == shown,
                "screen readers read the masks");
        require(box->maxLength() == reference->maxLength() &&
                    box->isReadOnly() == reference->isReadOnly(),
                "the maximum and read-only state match");
        const auto unfinished = [](QLineEdit* edit) {
            return QLineEditPrivate::get(edit)->control->preeditAreaText().size();
        };
        require(unfinished(masks) == unfinished(reference),
                "an input method's unfinished text is as long in both");
        require(std::all_of(told.begin(), told.end(),
                            [](const QString& text) { return text.count(u'*') == text.size(); }),
                "screen readers are told of masks only");
        told.clear();
    }

    void send(QEvent& toBox, QEvent& toReference)
    {
        QCoreApplication::sendEvent(box, &toBox);
        QCoreApplication::sendEvent(reference, &toReference);
    }

    void key(Input& input)
    {
        const auto which = input.take<std::uint8_t>();
        const int key = which < std::size(kKeys) ? kKeys[which] : input.take<int>();
        const auto bits = input.take<std::uint8_t>();
        Qt::KeyboardModifiers modifiers;
        for (std::size_t i = 0; i < std::size(kModifiers); ++i) {
            modifiers.setFlag(kModifiers[i], bits & (1 << i));
        }
        const QString text = takeText(input);
        QKeyEvent toBox(QEvent::KeyPress, key, modifiers, text);
        QKeyEvent toReference(QEvent::KeyPress, key, modifiers, text);
        if (toBox.matches(QKeySequence::Undo) || toBox.matches(QKeySequence::Redo)) {
            unchangedBy([&] { QCoreApplication::sendEvent(box, &toBox); });
            return;
        }
        send(toBox, toReference);
    }

    // The line edit gets the event as it comes where its box is sound, or
    // else what the box's rule makes of it.
    void inputMethod(Input& input)
    {
        const auto start = input.take<int>(), length = input.take<int>();
        const QString commit = takeText(input), preedit = takeText(input);
        const auto attributes = input.take<std::uint8_t>();
        QList<QInputMethodEvent::Attribute> selection, bounded, others;
        if (attributes & 1) {
            const auto from = input.take<int>(), count = input.take<int>();
            selection << QInputMethodEvent::Attribute(QInputMethodEvent::Selection, from, count);
            const qint64 first = std::clamp<qint64>(from, 0, PasswordBox::kLongest);
            const qint64 end = std::clamp<qint64>(qint64(from) + count, 0, PasswordBox::kLongest);
            bounded << (safe(from) && safe(count)
                            ? selection.front()
                            : QInputMethodEvent::Attribute(QInputMethodEvent::Selection, int(first),
                                                           int(end - first)));
        }
        // Neither moves the cursor nor selects: only the box gets them, to
        // show that it bounds them.
        for (const auto type : {QInputMethodEvent::Cursor, QInputMethodEvent::TextFormat}) {
            if (attributes & (type == QInputMethodEvent::Cursor ? 2 : 4)) {
                const auto from = input.take<int>(), count = input.take<int>();
                others << QInputMethodEvent::Attribute(type, from, count, QTextCharFormat());
            }
        }
        QInputMethodEvent toBox(preedit, selection + others);
        toBox.setCommitString(commit, start, length);
        if (box->isReadOnly()) {
            unchangedBy([&] { QCoreApplication::sendEvent(box, &toBox); });
            return;
        }

        const bool replaces = !commit.isEmpty() || length > 0;
        // Where the replaced range starts from: the selection goes first.
        const bool selected = replaces && reference->hasSelectedText();
        const int cursor = selected ? reference->selectionStart() : reference->cursorPosition();
        const auto text =
            int(reference->text().size() - (selected ? reference->selectedText().size() : 0));
        const qint64 from = qint64(cursor) + start;
        const bool sound =
            safe(start) && safe(length) &&
            (replaces ? (commit.isEmpty() || from <= text) &&
                            (length <= 0 || std::max<qint64>(from, 0) + length <= text)
                      : length == 0);
        QInputMethodEvent toReference(preedit, bounded);
        if (sound) {
            toReference.setCommitString(commit, start, length);
        } else if (replaces) {
            // The selection goes first, as the range that replaces nothing
            // cannot tell the toolkit's box.
            if (selected) {
                reference->del();
            }
            const qint64 first = std::clamp<qint64>(from, 0, text);
            const bool fits = length > 0 && first + length <= text;
            toReference.setCommitString(commit, int(first - cursor), fits ? length : 0);
        }
        send(toBox, toReference);
    }

    void menu(Input& input)
    {
        const auto reason =
            input.take<std::uint8_t>() % 2 ? QContextMenuEvent::Mouse : QContextMenuEvent::Keyboard;
        const auto which = input.take<std::uint8_t>();
        const QPoint at(5, 5);
        QContextMenuEvent toBox(reason, at, box->mapToGlobal(at));
        QContextMenuEvent toReference(reason, at, reference->mapToGlobal(at));
        send(toBox, toReference);
        const std::unique_ptr<QMenu> boxMenu(box->findChild<QMenu*>());
        const std::unique_ptr<QMenu> referenceMenu(reference->findChild<QMenu*>());
        require((boxMenu == nullptr) == (referenceMenu == nullptr),
                "both show a menu, or neither while an input method composes");
        if (boxMenu == nullptr) {
            return;
        }
        // The toolkit's menu has undo and redo besides.
        const auto actions = [](const QMenu& menu) {
            QList<QAction*> actions;
            for (QAction* action : menu.actions()) {
                if (!action->isSeparator() && action->menu() == nullptr &&
                    !action->text().startsWith(u"&Undo") && !action->text().startsWith(u"&Redo")) {
                    actions << action;
                }
            }
            return actions;
        };
        const QList<QAction*> boxActions = actions(*boxMenu);
        const QList<QAction*> referenceActions = actions(*referenceMenu);
        require(boxActions.size() == referenceActions.size(), "the menus offer the same actions");
        for (qsizetype i = 0; i < boxActions.size(); ++i) {
            require(boxActions[i]->text() == referenceActions[i]->text() &&
                        boxActions[i]->isEnabled() == referenceActions[i]->isEnabled(),
                    "each action is named and enabled alike");
        }
        if (!boxActions.empty() && boxActions[which % boxActions.size()]->isEnabled()) {
            boxActions[which % boxActions.size()]->trigger();
            referenceActions[which % boxActions.size()]->trigger();
        }
    }

    // A double click selects a word, which the toolkit's box ends before the
    // blanks that follow it in the password; the masks have none.
    void endWordAsTheBoxDoes()
    {
        const bool selected = reference->hasSelectedText();
        const int start = selected ? reference->selectionStart() : reference->cursorPosition();
        const int end = selected ? reference->selectionEnd() : reference->cursorPosition();
        const QString text = reference->text();
        if (box->hasSelectedText() && box->selectionStart() == start && end < box->selectionEnd() &&
            std::all_of(text.begin() + end, text.begin() + box->selectionEnd(),
                        [](QChar c) { return c.isSpace(); })) {
            reference->setSelection(start, box->selectionEnd() - start);
        }
    }

    // An edit the box takes no notice of, where the toolkit's box does.
    template <typename Act> void unchangedBy(Act act)
    {
        const State before = boxState();
        const QString masksBefore = masks->text();
        act();
        require(boxState() == before && masks->text() == masksBefore,
                "the edit changes nothing in the box");
    }

    void edit(Input& input)
    {
        const auto kind = Edit(input.take<std::uint8_t>() % kEditKinds);
        trail += "\n edit " + std::to_string(kind);
        // The second road, where there is one, is by name; the edit's first
        // operand chooses.
        const auto byName = [&] { return input.take<std::uint8_t>() % 2 == 1; };
        QClipboard* clipboard = QGuiApplication::clipboard();
        switch (kind) {
        case kKey:
            key(input);
            break;
        case kClipboard: {
            const QString text = takeText(input);
            text.isEmpty() ? clipboard->clear() : clipboard->setText(text);
            break;
        }
        case kPaste:
            byName() ? void(QMetaObject::invokeMethod(box, "paste")) : box->paste();
            reference->paste();
            break;
        case kDrop: {
            const QPoint at(input.take<std::uint8_t>() % reference->width(), 5);
            QMimeData data;
            if (input.take<std::uint8_t>() % 2 == 0) {
                data.setText(takeText(input));
            }
            QDropEvent toBox(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QDropEvent toReference(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            // As to the target of a drag in progress: the widget under the point.
            static_cast<QObject*>(box->childAt(at))->event(&toBox);
            // Past the text, where the toolkit's box pads it (see above), at
            // its end.
            if (reference->cursorPositionAt(at) <= reference->text().size()) {
                static_cast<QObject*>(reference)->event(&toReference);
            } else if (!data.text().isNull() && !reference->isReadOnly()) {
                reference->end(false);
                reference->insert(data.text());
            }
            break;
        }
        case kMouse: {
            static constexpr QEvent::Type kTypes[] = {QEvent::MouseButtonPress, QEvent::MouseMove,
                                                      QEvent::MouseButtonRelease,
                                                      QEvent::MouseButtonDblClick};
            static constexpr Qt::MouseButton kButtons[] = {Qt::LeftButton, Qt::RightButton,
                                                           Qt::MiddleButton};
            const QEvent::Type type = kTypes[input.take<std::uint8_t>() % std::size(kTypes)];
            const Qt::MouseButton button = kButtons[input.take<std::uint8_t>() % 3];
            const auto modifiers =
                input.take<std::uint8_t>() % 2 ? Qt::ShiftModifier : Qt::NoModifier;
            const QPoint at(input.take<std::uint8_t>() % reference->width(), 5);
            const auto make = [&](QWidget* widget) {
                return QMouseEvent(type, at, widget->mapToGlobal(at),
                                   type == QEvent::MouseMove ? Qt::NoButton : button, button,
                                   modifiers);
            };
            QMouseEvent toBox = make(box), toReference = make(reference);
            QCoreApplication::sendEvent(box->childAt(at), &toBox);
            QCoreApplication::sendEvent(reference, &toReference);
            if (type == QEvent::MouseButtonDblClick) {
                endWordAsTheBoxDoes();
            }
            break;
        }
        case kMenu:
            menu(input);
            break;
        case kInputMethod:
            inputMethod(input);
            break;
        case kSetText: {
            const bool named = byName();
            const QString text = takeText(input);
            named ? void(QMetaObject::invokeMethod(box, "setText", Q_ARG(QString, text)))
                  : box->setText(text);
            reference->setText(text);
            break;
        }
        case kInsert: {
            const QString text = takeText(input);
            box->insert(text);
            reference->insert(text);
            break;
        }
        case kClear:
            byName() ? void(QMetaObject::invokeMethod(box, "clear")) : box->clear();
            reference->clear();
            break;
        case kDelete:
            if (input.take<std::uint8_t>() % 2) {
                box->del();
                reference->del();
            } else {
                box->backspace();
                reference->backspace();
            }
            break;
        case kMaxLength: {
            const bool named = byName();
            const auto length = input.take<int>();
            named ? void(box->setProperty("maxLength", length)) : box->setMaxLength(length);
            reference->setMaxLength(std::clamp(length, 0, PasswordBox::kLongest));
            break;
        }
        case kReadOnly: {
            const bool named = byName();
            const bool readOnly = input.take<std::uint8_t>() % 2;
            named ? void(box->setProperty("readOnly", readOnly)) : box->setReadOnly(readOnly);
            reference->setReadOnly(readOnly);
            break;
        }
        case kSelection: {
            const bool named = byName();
            const auto start = input.take<int>(), length = input.take<int>();
            // By name here: as a screen reader's client sets it, by its ends.
            if (named) {
                const auto end = int(qint64(start) + length);
                QAccessible::queryAccessibleInterface(box)->textInterface()->setSelection(0, start,
                                                                                          end);
                if (safe(start) && safe(end)) {
                    QAccessible::queryAccessibleInterface(reference)->textInterface()->setSelection(
                        0, start, end);
                } else {
                    reference->setSelection(
                        start, int(std::clamp<qint64>(qint64(end) - start, -qint64(start),
                                                      reference->text().size() - start)));
                }
            } else {
                box->setSelection(start, length);
                reference->setSelection(
                    start, safe(length)
                               ? length
                               : int(std::clamp<qint64>(length, -qint64(start),
                                                        reference->text().size() - start)));
            }
            break;
        }
        case kCursor: {
            const bool named = byName();
            const auto position = input.take<int>();
            named ? void(box->setProperty("cursorPosition", position))
                  : box->setCursorPosition(position);
            reference->setCursorPosition(position);
            break;
        }
        case kSelectAll: {
            const bool named = byName();
            const bool all = input.take<std::uint8_t>() % 2;
            const char* name = all ? "selectAll" : "deselect";
            named ? void(QMetaObject::invokeMethod(box, name))
                  : (all ? box->selectAll() : box->deselect());
            all ? reference->selectAll() : reference->deselect();
            break;
        }
        case kFocus: {
            const auto type = input.take<std::uint8_t>() % 2 ? QEvent::FocusIn : QEvent::FocusOut;
            const auto reason =
                Qt::FocusReason(input.take<std::uint8_t>() % (Qt::OtherFocusReason + 1));
            QFocusEvent toBox(type, reason), toReference(type, reason);
            send(toBox, toReference);
            break;
        }
        case kScreenReaderWrites: {
            const auto start = input.take<int>(), end = input.take<int>();
            const QString text = takeText(input);
            const auto how = input.take<std::uint8_t>();
            // The box, or the masks' line edit within it, whose changes screen
            // readers hear of.
            QAccessibleInterface* reader =
                QAccessible::queryAccessibleInterface(how & 4 ? static_cast<QObject*>(masks) : box);
            unchangedBy([&] {
                switch (how % 4) {
                case 0:
                    reader->setText(QAccessible::Value, text);
                    break;
                case 1:
                    reader->editableTextInterface()->insertText(start, text);
                    break;
                case 2:
                    reader->editableTextInterface()->deleteText(start, end);
                    break;
                default:
                    reader->editableTextInterface()->replaceText(start, end, text);
                }
            });
            break;
        }
        case kAbsentRoad: {
            const QString text = takeText(input);
            unchangedBy([&] {
                bool reached = false;
                switch (input.take<std::uint8_t>() % 5) {
                case 0:
                    reached = box->setProperty("text", text);
                    break;
                case 1:
                    reached = QMetaObject::invokeMethod(box, "insert", Q_ARG(QString, text));
                    break;
                default:
                    for (const char* name : {"undo", "redo", "cut"}) {
                        reached = reached || QMetaObject::invokeMethod(box, name);
                    }
                }
                require(!reached, "the toolkit's box's roads the box lacks lead nowhere");
            });
            break;
        }
        case kEditKinds:
            break;
        }
    }
};

} // namespace

// fontconfig, through which the toolkit finds its fonts, loses a block of its
// own once.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The toolkit's warnings (a selection that starts outside the text, for
    // one) would only slow the run.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    new QApplication(*argc, *argv);
    QApplication::setStyle(new MaskingStyle);
    // As when a screen reader is listening: only then does the toolkit tell.
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    QAccessible::installUpdateHandler(hear);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QGuiApplication::clipboard()->clear();
    {
        Pair pair;
        watched = pair.box;
        told.clear();
        trail.clear();
        Input input{data, size};
        while (input.size > 0) {
            pair.edit(input);
            pair.check();
        }
    }
    // What only an event loop would deliver goes, the widgets gone, so that
    // nothing piles up from one input to the next: the offscreen platform
    // queues an expose for every window shown (a menu), and the toolkit
    // posts events of its own.
    QWindowSystemInterface::sendWindowSystemEvents(QEventLoop::AllEvents);
    QCoreApplication::removePostedEvents(nullptr);
    return 0;
}
