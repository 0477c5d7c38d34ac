// The password each road into the password box gives the account, what
// screen readers are told of it, and its buffer's lock. How each kind of edit
// changes the text, against the toolkit's own password box, the fuzz
// target's corpus shows.

#include "forms/frmNewUser.h"
#include "platform/qt/password_box.h"
#include "tests/support/machine_probe.h"
#include "tests/support/told.h"
#include "tests/support/widgets.h"

#include <QAccessible>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <fstream>

namespace {

using namespace Qt::StringLiterals;
using platform::PasswordBox;
using testsupport::child;

// The application hands a drop only to the target of a drag in progress;
// this hands it to the control under the point, as that drag would.
void drop(QWidget& box, QPoint at, const QString& text)
{
    QMimeData data;
    data.setText(text);
    QDropEvent event(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject*>(box.childAt(at))->event(&event);
}

// Types the text, pressing each key named in brackets: "ab[Shift+Left]c".
void press(QWidget& box, const QString& keys)
{
    static const QRegularExpression bracketed(u"(?=\\[)|(?<=\\])"_s);
    for (const QString& part : keys.split(bracketed, Qt::SkipEmptyParts)) {
        if (part.startsWith(u'[')) {
            const QKeyCombination key = QKeySequence(part.sliced(1).chopped(1))[0];
            QTest::keyClick(&box, key.key(), key.keyboardModifiers());
        } else {
            QTest::keyClicks(&box, part);
        }
    }
}

// Each road into the box, taken alike in the password and its confirmation,
// gives the account what was typed, and leaves the toolkit and screen
// readers only masks.
TEST(PasswordBoxTest, EveryRoadInGivesTheAccountWhatWasTypedAndOnlyMasksToScreenReaders)
{
    using Row = std::tuple<const char*, std::function<void(PasswordBox&)>, QString>;
    const Row rows[] = {
        {"keys: word-deleting ones, which take all after or before the cursor, arrows, Home and "
         "End with Shift and without, typed over a selection, Backspace and Delete with a "
         "selection and without, and undo and redo, which do nothing",
         [](PasswordBox& b) {
             press(b, u"ab cd ef[Left][Left][Left][Ctrl+Del][Left][Ctrl+Backspace] [End]bcdefg"
                      u"[Shift+Left][Shift+Left]X[Backspace][Home][Right][Right][Delete][Right]"
                      u"[Shift+Right][Backspace][End][Shift+Left][Delete][Home][Right][Right]"
                      u"[Shift+End]Y[Ctrl+Z][Ctrl+Shift+Z]"_s);
         },
         u"dY"_s},
        {"all selected and pasted over by keys, pasted from the context menu, dropped at the end",
         [](PasswordBox& b) {
             QApplication::clipboard()->setText(u"p5"_s);
             press(b, u"old[Ctrl+A][Ctrl+V][Shift+Ins]"_s);
             QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(2, 2),
                                         b.mapToGlobal(QPoint(2, 2)));
             QApplication::sendEvent(&b, &menuEvent);
             auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
             ASSERT_NE(menu, nullptr);
             for (QAction* action : menu->actions()) {
                 if (action->text().startsWith(u"&Paste")) {
                     action->trigger();
                 }
             }
             menu->close();
             drop(b, QPoint(b.width() - 4, 5), u"dr"_s);
         },
         u"p5p5p5dr"_s},
        {"set from code, then from an input method, which replaces text",
         [](PasswordBox& b) {
             b.setText(u"c0"_s);
             QInputMethodEvent event(u"x"_s, {});
             event.setCommitString(u"cd"_s, -1, 1);
             QApplication::sendEvent(&b, &event);
         },
         u"ccd"_s},
        {"set through the property system and a slot: a lower maximum keeps the first characters",
         [](PasswordBox& b) {
             QMetaObject::invokeMethod(&b, "setText", Q_ARG(QString, u"12345678"_s));
             b.setProperty("maxLength", 5);
         },
         u"12345"_s},
    };

    testsupport::takeToldOfPasswordBoxes();
    for (const auto& [name, edit, expected] : rows) {
        SCOPED_TRACE(name);
        emulated::MachineProbe::reset();
        QStringList told;
        frmNewUser window;
        ASSERT_TRUE(testsupport::showActive(window));
        QTest::keyClicks(child(window, "txtUserID"), u"ann"_s);
        for (const char* boxName : {"txtPassword", "txtConfirm"}) {
            PasswordBox& box = *child<PasswordBox>(window, boxName);
            box.setFocus();
            edit(box);
            told << testsupport::takeToldOfPasswordBoxes() << box.findChild<QLineEdit*>()->text()
                 << QAccessible::queryAccessibleInterface(&box)->text(QAccessible::Value);
        }
        QTest::keyClicks(child(window, "txtServer"), u"localhost"_s);
        const PasswordBox& password = *child<PasswordBox>(window, "txtPassword");
        const char16_t* buffer = password.password().data();
        const int capacity = password.maxLength();
        testsupport::withModal(
            [&] { testsupport::click(child(window, "cmdCreate")); },
            [](QWidget& quota) { testsupport::click(child(quota, "cmdCancel")); });
        told << testsupport::takeToldOfPasswordBoxes();
        EXPECT_TRUE(std::all_of(buffer, buffer + capacity, [](char16_t c) { return c == 0; }))
            << "the box's buffer is wiped when Create empties it";
        EXPECT_TRUE(emulated::MachineProbe::isPassword(u"ann"_s, expected));
        EXPECT_GT(told.size(), 4) << "besides both boxes' texts, screen readers were told nothing";
        EXPECT_TRUE(testsupport::onlyMasks(told)) << qPrintable(told.join(u", "));
    }
}

// A screen reader's client reads the box's masks and cannot write into it,
// nor, past it, into the masks' line edit, whose changes screen readers hear
// of: nothing changes, and they are told nothing.
TEST(PasswordBoxTest, TextWrittenByAScreenReaderLeavesThePasswordAndItsMasks)
{
    frmNewUser window;
    PasswordBox& box = *child<PasswordBox>(window, "txtPassword");
    box.setText(u"kept"_s);
    auto* masks = box.findChild<QLineEdit*>();
    testsupport::takeToldOfPasswordBoxes();
    for (QObject* written : {static_cast<QObject*>(&box), static_cast<QObject*>(masks)}) {
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(written);
        reader->setText(QAccessible::Value, u"y"_s);
        reader->editableTextInterface()->insertText(0, u"hunter2"_s);
        reader->editableTextInterface()->replaceText(0, 1, u"secret9"_s);
        EXPECT_EQ(reader->text(QAccessible::Value), u"****"_s);
    }
    EXPECT_EQ(masks->text(), u"****"_s);
    EXPECT_EQ(box.password(), u"kept");
    const QStringList told = testsupport::takeToldOfPasswordBoxes();
    EXPECT_TRUE(told.isEmpty()) << "screen readers were told: " << qPrintable(told.join(u", "));
}

// On a display, which has a selection: a middle click and Ctrl+Shift+Insert
// paste it, and the X11 keys delete to the end and the whole line (offscreen
// keys are Windows'). A middle click on an input method's unfinished text is
// the input method's, as in the toolkit's box, and pastes nothing, where one
// beside it pastes; a read-only box refuses the click.
TEST(PasswordBoxTest, OnADisplayTheSelectionPastesAndX11KeysDelete)
{
    frmNewUser window;
    PasswordBox& box = *child<PasswordBox>(window, "txtPassword");
    QApplication::clipboard()->setText(u"m1"_s, QClipboard::Selection);
    auto* masks = box.findChild<QLineEdit*>();
    QTest::mouseClick(masks, Qt::MiddleButton, {}, QPoint(2, 5));
    press(box, u"[Ctrl+Shift+Ins]ab[Left][Left][Ctrl+K]"_s);
    EXPECT_EQ(box.password(), u"m1m1");
    press(box, u"[Ctrl+U]cd"_s);
    QInputMethodEvent composing(u"xyz"_s, {});
    QApplication::sendEvent(&box, &composing);
    int onUnfinished = 0;
    while (masks->cursorPositionAt({onUnfinished, 5}) < 3) {
        ++onUnfinished;
    }
    QTest::mouseClick(masks, Qt::MiddleButton, {}, QPoint(onUnfinished, 5));
    EXPECT_EQ(box.password(), u"cd");
    QTest::mouseClick(masks, Qt::MiddleButton, {}, QPoint(2, 5));
    EXPECT_EQ(box.password(), u"m1cd");
    box.setReadOnly(true);
    QTest::mouseClick(masks, Qt::MiddleButton, {}, QPoint(2, 5));
    EXPECT_EQ(box.password(), u"m1cd");
    EXPECT_EQ(masks->text(), u"****"_s);
}

// The design's box keeps its buffer out of swap while it lives. (A box of
// the toolkit's default maximum, 32767 characters, would ask for a 64 KiB
// block, more than many containers let a program lock.)
TEST(PasswordBoxTest, LocksItsBufferWhileItLives)
{
    const auto lockedKilobytes = [] {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line) && !line.starts_with("VmLck:")) {
        }
        return std::stol(line.substr(6));
    };
    const long before = lockedKilobytes();
    {
        const frmNewUser window;
        EXPECT_EQ(child<PasswordBox>(window, "txtPassword")->maxLength(), 10);
        EXPECT_GT(lockedKilobytes(), before);
    }
    EXPECT_EQ(lockedKilobytes(), before);
}

} // namespace
