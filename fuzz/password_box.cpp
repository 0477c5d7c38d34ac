// The password box against the toolkit's own line edit in Password mode, on
// the offscreen platform, each in a shown window of its own (the box's
// active, the box focused), with the design's maximum or none ever set, and
// the NUL rule. Each edit goes alike to both; then, before anything is handed
// over, the box must hold the line edit's text, cursor, selection, maximum
// and input method's state, and its buffer nothing else; show what it shows;
// and tell screen readers and input methods what it tells them, in masks.
//
// Where the box differs from the toolkit's box on purpose, the edit is
// checked against the box's own rule: the line edit does not get it, or gets
// what the rule makes of it, or the box is held to what the rule makes of
// the line edit's state:
// - undo and redo change nothing (the toolkit's box empties itself on undo),
//   nor does a screen reader's client writing into the box or its masks, nor
//   a road by name the toolkit's box has and the box lacks;
// - a read-only box refuses an input method, which the toolkit's applies;
// - an input method's start past the end moves to the end (the toolkit pads
//   the text with blanks up to it); its range that ends past the text (the
//   toolkit leaves it selected) or has a negative length (without a commit,
//   the toolkit moves its cursor by it or drops the selection) replaces
//   nothing; no sum of positions overflows; its cursor and formats stay
//   within its unfinished text;
// - masks have no script: both boxes start left to right;
// - where the toolkit counts positions (arrows, word moves and deletions,
//   clicks, drags, drops) in a line with an input method's unfinished text
//   inside, past the text (padding a drop, or text typed then, with blanks),
//   the box keeps them within, and a drop there goes to the end; Ctrl+Delete
//   whose word ends there changes nothing (the toolkit's selects into that
//   text, so that its next key deletes nothing either);
// - a double click's word takes the blanks after it (the toolkit's stops
//   before them, showing where they are);
// - a maximum outside 0...32767, or a selection's length that would
//   overflow, is bounded;
// - input methods read masks, where the toolkit's box hands them the text;
// - the menu names each action's key even where the application has a
//   shortcut on it (the toolkit's leaves it out): the box claims the key
//   first, as the keys the window gets show.
//
// Handed over once the edit is compared, and nothing else: the box's cursor
// and selection, where a rule above puts them elsewhere than the line edit's,
// so that the next edit starts alike. What screen readers and input methods
// are told of them is compared after.

#include "platform/qt/password_box.h"

#include "fuzz/input.h"
#include "platform/qt/textbox.h"
#include "tests/support/told.h"

#include <QAccessible>
#include <QApplication>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QShortcut>
#include <QTextCharFormat>
#include <cstring>
#include <private/qguiapplication_p.h>
#include <private/qlineedit_p.h>
#include <qpa/qplatformintegration.h>
#include <qpa/qwindowsysteminterface.h>

namespace {

using platform::PasswordBox;
using Attribute = QInputMethodEvent::Attribute;
using Sync = QWindowSystemInterface::SynchronousDelivery;

// The toolkit's documented default maximum of a line edit.
constexpr int kToolkitLongest = 32767;

// What the input did so far, told when a property breaks.
std::string trail;

void require(bool holds, const char* property)
{
    if (!holds) {
        fuzzing::require(false, property, "after" + trail + "\n");
    }
}

// The one reader of an edit's operands: bytes, integers of four
// little-endian bytes, and texts, a byte counting their UTF-16 code units,
// then the units.
struct Operands
{
    fuzzing::Input& input;

    int byte() { return input.take<std::uint8_t>(); }
    bool odd() { return byte() % 2 == 1; }
    int integer() { return input.take<int>(); }
    char16_t unit() { return input.take<char16_t>(); }
    QString text()
    {
        QString text;
        for (int count = byte(); count > 0 && input.size > 0; --count) {
            text += QChar(unit());
        }
        return text;
    }
    template <typename T, std::size_t N> T of(const T (&choices)[N]) { return choices[byte() % N]; }
    QPoint point(const QWidget& widget) { return {byte() % widget.width(), 5}; }
};

// The offscreen platform, but for whether it uses right-to-left extensions
// (the toolkit's menu offers control characters then).
class Platform : public QPlatformIntegration
{
public:
    explicit Platform(QPlatformIntegration& offscreen) : offscreen_(offscreen) {}
    QVariant styleHint(StyleHint hint) const override
    {
        return hint == UseRtlExtensions ? QVariant(rightToLeft) : offscreen_.styleHint(hint);
    }
    bool hasCapability(Capability which) const override { return offscreen_.hasCapability(which); }
    QPlatformWindow* createPlatformWindow(QWindow* window) const override
    {
        return offscreen_.createPlatformWindow(window);
    }
    QPlatformBackingStore* createPlatformBackingStore(QWindow* window) const override
    {
        return offscreen_.createPlatformBackingStore(window);
    }
    // Made once, before this platform stands in.
    QAbstractEventDispatcher* createEventDispatcher() const override { return nullptr; }
    QPlatformFontDatabase* fontDatabase() const override { return offscreen_.fontDatabase(); }
    QPlatformClipboard* clipboard() const override { return offscreen_.clipboard(); }
    QPlatformInputContext* inputContext() const override { return offscreen_.inputContext(); }
    QPlatformAccessibility* accessibility() const override { return offscreen_.accessibility(); }

    bool rightToLeft = false;

private:
    QPlatformIntegration& offscreen_;
};

// What the application holds for the whole run, each input setting it
// afresh: the boxes' windows, the platform, its shortcuts on keys the boxes
// bind, and the masking character its style gives every box (a style sheet
// for every box made would take most of the run's time).
QWidget* boxWindow;
QWidget* referenceWindow;
Platform* integration;
QChar masking;
std::vector<QShortcut*> shortcuts;
int fired = 0;

class MaskingStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override
    {
        return hint == SH_LineEdit_PasswordCharacter
                   ? masking.unicode()
                   : QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

void activate(QWidget* window)
{
    if (QApplication::activeWindow() != window) {
        QWindowSystemInterface::handleWindowActivated<Sync>(window->windowHandle(),
                                                            Qt::ActiveWindowFocusReason);
    }
}

// The masking characters styles give: the star, the black circle and the
// bullet. Each is a character of its own, as a mask must be: the toolkit's
// box would delete a run of combining marks as one.
constexpr char16_t kMaskingCharacters[] = {u'*', u'\u25CF', u'\u2022'};

// Which shortcuts are on, whether the platform uses right-to-left
// extensions, whether menus name keys, and the masking character.
void configure(int bits, char16_t mask)
{
    for (std::size_t i = 0; i < shortcuts.size(); ++i) {
        shortcuts[i]->setEnabled(bits & (1 << i));
    }
    integration->rightToLeft = bits & 0x40;
    QCoreApplication::setAttribute(Qt::AA_DontShowShortcutsInContextMenus, bits & 0x80);
    masking = kMaskingCharacters[mask % std::size(kMaskingCharacters)];
}

// No road of the toolkit's line edit leads to the password.
static_assert(!std::is_base_of_v<QLineEdit, PasswordBox>);

// The box, the line edit of masks within it and the toolkit's box, of the
// input at hand.
PasswordBox* box = nullptr;
QLineEdit* masks = nullptr;
QLineEdit* reference = nullptr;
int edits = 0;
bool doubleClicked = false;
// The edit was one the box's rule lets change nothing in the box.
bool unchangedByRule = false;

template <typename Call> void both(Call call)
{
    call(box);
    call(reference);
}

template <typename Event, typename... Arguments> void sendBoth(Arguments... arguments)
{
    both([&](QWidget* widget) {
        Event event(arguments...);
        QCoreApplication::sendEvent(widget, &event);
    });
}

// Boxes as the design makes them, with the maximum asked for, none ever set
// for 0.
void make(int maximum)
{
    delete box;
    delete reference;
    box = new PasswordBox(boxWindow);
    reference = new QLineEdit(referenceWindow);
    masks = box->findChild<QLineEdit*>();
    reference->setEchoMode(QLineEdit::Password);
    platform::endTextAtNul(*reference);
    both([maximum](auto* widget) {
        if (maximum > 0) {
            widget->setMaxLength(maximum);
        }
        widget->resize(120, 23);
        widget->show();
        widget->setFocus(Qt::ActiveWindowFocusReason);
    });
    box->layout()->activate();
    require(masks->geometry() == reference->rect(), "the masks fill the box");
    // The toolkit's box lays a password out in the direction of its script,
    // so that its arrows move the other way in one written right to left;
    // masks have no script. Both go left to right, until a key turns them.
    sendBoth<QKeyEvent>(QEvent::KeyPress, Qt::Key_Direction_L, Qt::NoModifier);
}

struct State
{
    std::u16string text;
    int cursor, selectionStart, selectionEnd;
    bool operator==(const State&) const = default;

    int anchor() const
    {
        return selectionStart < 0         ? cursor
               : cursor == selectionStart ? selectionEnd
                                          : selectionStart;
    }
    // Its cursor and selection within the text, as the box keeps its own.
    State keptInText() const
    {
        const int end = int(text.size()), from = std::min(anchor(), end),
                  to = std::min(cursor, end);
        return from == to ? State{text, to, -1, -1}
                          : State{text, to, std::min(from, to), std::max(from, to)};
    }
};

State boxState()
{
    return {std::u16string(box->password()), box->cursorPosition(), box->selectionStart(),
            box->selectionEnd()};
}

State referenceState()
{
    return {reference->text().toStdU16String(), reference->cursorPosition(),
            reference->selectionStart(), reference->selectionEnd()};
}

// What the edit did, before anything is handed over.
void compare()
{
    const State held = boxState(), expected = referenceState().keptInText();
    // A double click's word may take the blanks after it in the box, even
    // a word of nothing but blanks, of which the toolkit's selects nothing.
    const bool selecting = expected.selectionStart >= 0;
    const int start = selecting ? expected.selectionStart : expected.cursor;
    int end = expected.cursor;
    while (doubleClicked && (!selecting || expected.cursor == expected.selectionEnd) &&
           end < std::min(held.cursor, int(expected.text.size())) &&
           QChar(expected.text[end]).isSpace()) {
        ++end;
    }
    const State widened = end > start ? State{expected.text, end, start, end} : expected;
    require(held == expected || held == widened || unchangedByRule,
            "the box holds the text, cursor and selection the toolkit's box holds");
    // The line edit is given the maximum asked for, bounded to its default.
    require(box->maxLength() == reference->maxLength() &&
                masks->maxLength() == reference->maxLength() &&
                box->isReadOnly() == reference->isReadOnly(),
            "the maximum and read-only states match");
    // What follows the password in its buffer, up to the maximum, is wiped.
    if (const char16_t* buffer = box->password().data()) {
        static constexpr char16_t kWiped[kToolkitLongest] = {};
        const std::size_t length = box->password().size();
        require(std::memcmp(buffer + length, kWiped,
                            (box->maxLength() - length) * sizeof(char16_t)) == 0,
                "the buffer holds nothing but the password");
    }
    require(masks->displayText() == reference->displayText(),
            "the box shows what the toolkit's box shows");
    const auto control = [](QLineEdit* edit) { return QLineEditPrivate::get(edit)->control; };
    require(
        control(masks)->preeditAreaText().size() == control(reference)->preeditAreaText().size() &&
            control(masks)->textLayout()->formats() == control(reference)->textLayout()->formats(),
        "an input method's unfinished text is as long and formatted alike in both");
    require(testsupport::onlyMasks(testsupport::takeToldOfPasswordBoxes()),
            "screen readers are told of masks only");
}

// The one hand-off (see the top).
void handOver()
{
    doubleClicked = unchangedByRule = false;
    const State held = boxState();
    if (!(held == referenceState())) {
        reference->setSelection(held.anchor(), held.cursor - held.anchor());
    }
}

// What screen readers are told of a line edit.
auto readerView(QObject* object)
{
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(object);
    QAccessibleTextInterface* text = reader->textInterface();
    int start = 0, end = 0, atStart, atEnd;
    if (text->selectionCount() > 0) {
        text->selection(0, &start, &end);
    }
    const QString at =
        text->textAtOffset(text->cursorPosition(), QAccessible::CharBoundary, &atStart, &atEnd);
    const QAccessible::State state = reader->state();
    return std::tuple(reader->text(QAccessible::Value), text->characterCount(),
                      text->cursorPosition(), start, end, text->text(0, text->characterCount()), at,
                      atStart, atEnd, bool(state.readOnly), bool(state.passwordEdit));
}

// What screen readers and input methods are told, in the same state.
void compareTold()
{
    const auto toolkits = readerView(reference);
    require(readerView(box) == toolkits && readerView(masks) == toolkits,
            "screen readers are told of the box and its masks what they are told of the "
            "toolkit's box");
    constexpr Qt::InputMethodQueries kQueries =
        Qt::ImQueryInput | Qt::ImEnabled | Qt::ImMaximumTextLength | Qt::ImReadOnly | Qt::ImHints |
        Qt::ImTextBeforeCursor | Qt::ImTextAfterCursor;
    QInputMethodQueryEvent toBox(kQueries), toReference(kQueries);
    QCoreApplication::sendEvent(box, &toBox);
    QCoreApplication::sendEvent(reference, &toReference);
    for (unsigned bit = 0; bit < 32; ++bit) {
        const auto query = Qt::InputMethodQuery(1u << bit);
        const QVariant held = toBox.value(query), answer = toReference.value(query);
        const QString masks = held.toString();
        require(answer.typeId() == QMetaType::QString
                    ? masks.size() == answer.toString().size() && masks.count(u'*') == masks.size()
                    : held == (query == Qt::ImEnabled
                                   ? QVariant(answer.toBool() && !reference->isReadOnly())
                                   : answer),
                "input methods are told of the box what they are told of the toolkit's box, in "
                "masks");
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

// Keys that edit, move or select; a byte past them reads any key code.
constexpr Qt::Key kKeys[] = {
    Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left,   Qt::Key_Right,       Qt::Key_Home,
    Qt::Key_End,       Qt::Key_Insert, Qt::Key_Up,     Qt::Key_Down,        Qt::Key_A,
    Qt::Key_C,         Qt::Key_V,      Qt::Key_X,      Qt::Key_Z,           Qt::Key_Y,
    Qt::Key_K,         Qt::Key_U,      Qt::Key_W,      Qt::Key_H,           Qt::Key_Return,
    Qt::Key_Enter,     Qt::Key_Space,  Qt::Key_Escape, Qt::Key_Direction_L, Qt::Key_Direction_R,
    Qt::Key_F18,       Qt::Key_Menu,   Qt::Key_unknown};

// A key sent to each box, or through its window, which offers it to the
// focused box before the application's shortcuts.
void key(Operands& o)
{
    const bool throughWindow = o.odd();
    const int which = o.byte();
    const int key = which < int(std::size(kKeys)) ? kKeys[which] : o.integer();
    // Shift, Control, Alt, Meta, Keypad and GroupSwitch, the bits in order.
    const auto modifiers = Qt::KeyboardModifiers::fromInt((o.byte() & 0x3f) << 25);
    const QString text = o.text();
    const auto press = [&](QWidget* widget) {
        const int before = fired;
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
        if (!throughWindow) {
            QCoreApplication::sendEvent(widget, &event);
        } else {
            activate(widget->window());
            QWindowSystemInterface::handleKeyEvent<Sync>(widget->window()->windowHandle(),
                                                         QEvent::KeyPress, key, modifiers, text);
        }
        return fired - before;
    };
    const QKeyEvent pressed(QEvent::KeyPress, key, modifiers, text);
    if (pressed.matches(QKeySequence::Undo) || pressed.matches(QKeySequence::Redo)) {
        unchangedBy([&] { press(box); });
    } else {
        const State before = boxState();
        const int byBox = press(box);
        require(press(reference) == byBox,
                "the box claims the keys the toolkit's box claims from the application");
        // A word deleted to its end in the unfinished text.
        if (pressed.matches(QKeySequence::DeleteEndOfWord) &&
            reference->selectionEnd() > reference->text().size()) {
            require(boxState() == before, "the edit changes nothing in the box");
            unchangedByRule = true;
        }
    }
    activate(boxWindow);
}

// The line edit gets the event as it comes where its box is sound, or else
// what the box's rule makes of it.
void inputMethod(Operands& o)
{
    const auto start = o.integer(), length = o.integer();
    const QString commit = o.text(), preedit = o.text();
    const int attributes = o.byte();
    const int unfinished = int(std::min<qsizetype>(preedit.size(), kToolkitLongest));
    QList<Attribute> toBox, bounded;
    constexpr std::pair<QInputMethodEvent::AttributeType, int> kAttributes[] = {
        {QInputMethodEvent::Selection, 1},
        {QInputMethodEvent::Cursor, 2},
        {QInputMethodEvent::TextFormat, 4}};
    for (const auto& [type, bit] : kAttributes) {
        if (attributes & bit) {
            const auto from = o.integer(), count = o.integer();
            toBox << Attribute(type, from, count, QTextCharFormat());
            // As the box bounds them: a selection to what the toolkit can
            // hold (where the toolkit bounds it alike), a cursor and formats
            // to the unfinished text.
            const bool selection = type == QInputMethodEvent::Selection;
            const auto first =
                int(std::clamp<qint64>(from, 0, selection ? kToolkitLongest : unfinished));
            const auto end = int(std::clamp<qint64>(qint64(from) + count, 0, kToolkitLongest));
            bounded << Attribute(type, first,
                                 selection ? end - first
                                 : type == QInputMethodEvent::Cursor
                                     ? count
                                     : std::clamp(count, 0, unfinished - first),
                                 QTextCharFormat());
        }
    }
    QInputMethodEvent boxEvent(preedit, toBox), referenceEvent(preedit, bounded);
    boxEvent.setCommitString(commit, start, length);
    if (box->isReadOnly()) {
        unchangedBy([&] { QCoreApplication::sendEvent(box, &boxEvent); });
        return;
    }
    const bool replaces = !commit.isEmpty() || length > 0;
    // Where the replaced range starts from: the selection goes first.
    const bool selected = replaces && reference->hasSelectedText();
    const int cursor = selected ? reference->selectionStart() : reference->cursorPosition();
    const auto text =
        int(reference->text().size() - (selected ? reference->selectedText().size() : 0));
    const qint64 from = qint64(cursor) + start;
    // Beyond this, a sum of two positions may overflow inside the toolkit.
    const auto safe = [](qint64 value) { return value >= -(1 << 30) && value <= 1 << 30; };
    if (safe(start) && safe(length) &&
        (replaces ? (commit.isEmpty() || from <= text) &&
                        (length <= 0 || std::max<qint64>(from, 0) + length <= text)
                  : length == 0)) {
        referenceEvent.setCommitString(commit, start, length);
    } else if (replaces) {
        // The selection goes first, as the range that replaces nothing
        // cannot tell the toolkit's box.
        if (selected) {
            reference->del();
        }
        const qint64 first = std::clamp<qint64>(from, 0, text);
        const bool fits = length > 0 && first + length <= text;
        referenceEvent.setCommitString(commit, int(first - cursor), fits ? length : 0);
    }
    QCoreApplication::sendEvent(box, &boxEvent);
    QCoreApplication::sendEvent(reference, &referenceEvent);
}

// Each action of a menu and its submenus, but undo and redo, which the box's
// menu lacks.
QList<QAction*> actionsOf(const QMenu& menu)
{
    QList<QAction*> actions;
    for (QAction* action : menu.actions()) {
        if (!action->isSeparator() && !action->text().startsWith(u"&Undo") &&
            !action->text().startsWith(u"&Redo")) {
            actions << action << (action->menu() ? actionsOf(*action->menu()) : QList<QAction*>());
        }
    }
    return actions;
}

void menu(Operands& o)
{
    const auto reason = o.odd() ? QContextMenuEvent::Mouse : QContextMenuEvent::Keyboard;
    const int which = o.byte();
    both([&](QWidget* widget) {
        QContextMenuEvent event(reason, {5, 5}, widget->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(widget, &event);
    });
    const std::unique_ptr<QMenu> boxMenu(box->findChild<QMenu*>());
    const std::unique_ptr<QMenu> referenceMenu(reference->findChild<QMenu*>());
    require((boxMenu == nullptr) == (referenceMenu == nullptr),
            "both show a menu, or neither while an input method composes");
    if (boxMenu == nullptr) {
        return;
    }
    const QList<QAction*> boxActions = actionsOf(*boxMenu), toolkits = actionsOf(*referenceMenu);
    require(boxActions.size() == toolkits.size(), "the menus offer the same actions");
    for (qsizetype i = 0; i < boxActions.size(); ++i) {
        const QString named = boxActions[i]->text(), key = named.section(u'\t', 1);
        const bool shortcut = std::any_of(shortcuts.begin(), shortcuts.end(), [&](auto* s) {
            return s->isEnabled() && s->key().toString(QKeySequence::NativeText) == key;
        });
        require((named == toolkits[i]->text() ||
                 (shortcut && named.section(u'\t', 0, 0) == toolkits[i]->text())) &&
                    boxActions[i]->isEnabled() == toolkits[i]->isEnabled(),
                "each action is named and enabled alike");
    }
    if (!boxActions.empty() && boxActions[which % boxActions.size()]->isEnabled()) {
        boxActions[which % boxActions.size()]->trigger();
        toolkits[which % boxActions.size()]->trigger();
    }
}

// A drag's enter, move or leave, or a drop, handed to the widget under the
// point as to the target of a drag in progress.
void drag(Operands& o)
{
    // Numbered in this order.
    static constexpr QEvent::Type kTypes[] = {QEvent::DragEnter, QEvent::DragMove,
                                              QEvent::DragLeave, QEvent::Drop};
    const QEvent::Type type = o.of(kTypes);
    const QPoint at = o.point(*reference);
    QMimeData data;
    if (!o.odd()) {
        data.setText(o.text());
    }
    const auto deliver = [&](QObject* target) {
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDragLeaveEvent leave;
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QEvent* const event =
            std::array<QEvent*, 4>{&enter, &move, &leave, &drop}[type - kTypes[0]];
        target->event(event);
        return event->isAccepted();
    };
    const bool byBox = deliver(box->childAt(at));
    if (type == QEvent::Drop && reference->cursorPositionAt(at) > reference->text().size()) {
        if (!data.text().isNull() && !reference->isReadOnly()) {
            reference->end(false);
            reference->insert(data.text());
        }
    } else {
        require(deliver(reference) == byBox, "both take a drag or a drop alike");
    }
}

void mouse(Operands& o)
{
    static constexpr QEvent::Type kTypes[] = {QEvent::MouseButtonPress, QEvent::MouseMove,
                                              QEvent::MouseButtonRelease,
                                              QEvent::MouseButtonDblClick};
    static constexpr Qt::MouseButton kButtons[] = {Qt::LeftButton, Qt::RightButton,
                                                   Qt::MiddleButton};
    const QEvent::Type type = o.of(kTypes);
    const Qt::MouseButton button = o.of(kButtons);
    const auto modifiers = o.odd() ? Qt::ShiftModifier : Qt::NoModifier;
    const QPoint at = o.point(*reference);
    both([&](QWidget* widget) {
        QMouseEvent event(type, at, widget->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : button, button, modifiers);
        QCoreApplication::sendEvent(widget->childAt(at) ? widget->childAt(at) : widget, &event);
    });
    doubleClicked = type == QEvent::MouseButtonDblClick;
}

// A selection set by call, or as a screen reader's client sets it, by its
// ends: the toolkit's box is given the length bounded to its text, which
// changes nothing where the length is safe.
void select(Operands& o)
{
    const bool byReader = o.odd();
    const auto start = o.integer(), length = o.integer();
    const auto end = int(qint64(start) + length);
    byReader
        ? QAccessible::queryAccessibleInterface(box)->textInterface()->setSelection(0, start, end)
        : box->setSelection(start, length);
    reference->setSelection(
        start, int(std::clamp<qint64>(byReader ? qint64(end) - start : length, -qint64(start),
                                      reference->text().size() - start)));
}

// Text a screen reader's client writes into the box, or into the masks' line
// edit within it, whose changes screen readers hear of.
void screenReaderWrites(Operands& o)
{
    const auto start = o.integer(), end = o.integer();
    const QString text = o.text();
    const int how = o.byte();
    QAccessibleInterface* reader =
        QAccessible::queryAccessibleInterface(how & 4 ? static_cast<QObject*>(masks) : box);
    QAccessibleEditableTextInterface* editable = reader->editableTextInterface();
    unchangedBy([&] {
        how % 4 == 0   ? reader->setText(QAccessible::Value, text)
        : how % 4 == 1 ? editable->insertText(start, text)
        : how % 4 == 2 ? editable->deleteText(start, end)
                       : editable->replaceText(start, end, text);
    });
}

// A slot or property of the box by its name, and the toolkit's box's of that
// name (the maximum bounded for it); or a road of the toolkit's box alone,
// which leads nowhere in the box. Each takes a text, an integer, a flag or
// nothing; the first eight are both boxes', the rest the toolkit's box's.
struct Road
{
    const char* name;
    char operand;
};
constexpr Road kRoads[] = {
    {"setText", 't'}, {"clear", 0},       {"paste", 0},      {"selectAll", 0},
    {"deselect", 0},  {"maxLength", 'i'}, {"readOnly", 'f'}, {"cursorPosition", 'i'},
    {"text", 't'},    {"insert", 't'},    {"undo", 0},       {"redo", 0},
    {"cut", 0}};

void byName(Operands& o)
{
    const int which = o.byte() % int(std::size(kRoads));
    const Road& road = kRoads[which];
    const QVariant value = road.operand == 't'   ? QVariant(o.text())
                           : road.operand == 'i' ? QVariant(o.integer())
                           : road.operand == 'f' ? QVariant(o.odd())
                                                 : QVariant();
    // The toolkit's box's property of that name, or else its slot.
    const auto reach = [&](QObject* object, const QVariant& argument) {
        return QLineEdit::staticMetaObject.indexOfProperty(road.name) >= 0
                   ? object->setProperty(road.name, argument)
                   : QMetaObject::invokeMethod(
                         object, road.name,
                         QGenericArgument(argument.typeName(), argument.constData()));
    };
    if (which >= 8) {
        unchangedBy([&] {
            require(!reach(box, value), "the toolkit's box's roads the box lacks lead nowhere");
        });
        return;
    }
    reach(box, value);
    // The toolkit's box has no slot to deselect.
    which == 4 ? reference->deselect()
               : void(reach(reference,
                            which == 5 ? std::clamp(value.toInt(), 0, kToolkitLongest) : value));
}

// Each kind of edit, by the byte that names it.
constexpr std::pair<const char*, void (*)(Operands&)> kEdits[] = {
    {"key", key},
    {"clipboard", [](Operands& o) { QGuiApplication::clipboard()->setText(o.text()); }},
    {"drag", drag},
    {"menu", menu},
    {"input method", inputMethod},
    {"mouse", mouse},
    {"focus",
     [](Operands& o) {
         const auto type = o.odd() ? QEvent::FocusIn : QEvent::FocusOut;
         sendBoth<QFocusEvent>(type, Qt::FocusReason(o.byte() % (Qt::OtherFocusReason + 1)));
     }},
    {"selection", select},
    {"screen reader writes", screenReaderWrites},
    {"by name", byName},
    {"set text", [](Operands& o) { both([t = o.text()](auto* w) { w->setText(t); }); }},
    {"insert", [](Operands& o) { both([t = o.text()](auto* w) { w->insert(t); }); }},
    {"clear", [](Operands&) { both([](auto* w) { w->clear(); }); }},
    {"paste", [](Operands&) { both([](auto* w) { w->paste(); }); }},
    {"delete",
     [](Operands& o) { both([d = o.odd()](auto* w) { d ? w->del() : w->backspace(); }); }},
    {"maximum",
     [](Operands& o) {
         const int maximum = o.integer();
         box->setMaxLength(maximum);
         reference->setMaxLength(std::clamp(maximum, 0, kToolkitLongest));
     }},
    {"read-only", [](Operands& o) { both([r = o.odd()](auto* w) { w->setReadOnly(r); }); }},
    {"cursor", [](Operands& o) { both([c = o.integer()](auto* w) { w->setCursorPosition(c); }); }},
    {"select all",
     [](Operands& o) { both([a = o.odd()](auto* w) { a ? w->selectAll() : w->deselect(); }); }},
    // Its widgets hear of it as of a new style.
    {"application",
     [](Operands& o) {
         const int bits = o.byte();
         configure(bits, o.unit());
         QEvent change(QEvent::StyleChange);
         QCoreApplication::sendEvent(masks, &change);
         QCoreApplication::sendEvent(reference, &change);
     }},
    // As an input's first edit only: enough, and far cheaper.
    {"boxes with no maximum set", [](Operands&) { edits == 1 ? make(0) : void(); }},
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
    integration = new Platform(*QGuiApplicationPrivate::platform_integration);
    QGuiApplicationPrivate::platform_integration = integration;
    QApplication::setStyle(new MaskingStyle);
    testsupport::takeToldOfPasswordBoxes(); // listening from now on
    referenceWindow = new QWidget;
    boxWindow = new QWidget;
    for (const auto key : {QKeySequence::Cut, QKeySequence::Copy, QKeySequence::Paste,
                           QKeySequence::Undo, QKeySequence::SelectAll, QKeySequence::Delete}) {
        shortcuts.push_back(
            new QShortcut(key, boxWindow, nullptr, nullptr, Qt::ApplicationShortcut));
        QObject::connect(shortcuts.back(), &QShortcut::activated, [] { ++fired; });
    }
    for (QWidget* window : {referenceWindow, boxWindow}) {
        window->resize(160, 40);
        window->show();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QGuiApplication::clipboard()->clear();
    configure(0, 0);
    activate(boxWindow);
    make(10);
    testsupport::takeToldOfPasswordBoxes();
    trail.clear();
    fuzzing::Input input{data, size};
    Operands operands{input};
    for (edits = 1; input.size > 0; ++edits) {
        const auto& [name, edit] = kEdits[operands.byte() % std::size(kEdits)];
        trail += std::string("\n ") + name;
        edit(operands);
        compare();
        handOver();
        compareTold();
    }
    delete std::exchange(box, nullptr);
    delete std::exchange(reference, nullptr);
    // What only an event loop would deliver goes, the widgets gone, so that
    // nothing piles up from one input to the next: the offscreen platform
    // queues an expose for every window shown (a menu), and the toolkit
    // posts events of its own.
    QWindowSystemInterface::sendWindowSystemEvents(QEventLoop::AllEvents);
    QCoreApplication::removePostedEvents(nullptr);
    return 0;
}
