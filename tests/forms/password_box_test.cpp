// The password box against the toolkit's own password box, the password each
// road into it gives the account, what screen readers are told of it, and
// its buffer's lock.

#include "forms/frmNewUser.h"
#include "platform/qt/password_box.h"
#include "platform/qt/textbox.h"
#include "tests/support/machine_probe.h"
#include "tests/support/widgets.h"

#include <QAccessible>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <fstream>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <random>

namespace {

using namespace Qt::StringLiterals;
using platform::PasswordBox;
using testsupport::child;

// The application hands a drop only to the target of a drag in progress;
// this hands it to the box as that drag would.
void drop(QLineEdit& box, QPointF at, const QString& text)
{
    QMimeData data;
    data.setText(text);
    QDropEvent event(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    box.event(&event);
}

// A random edit, with what it was. Undo and redo are left out: the password
// box has neither.
std::pair<QString, std::function<void(QLineEdit&)>> randomEdit(std::mt19937& random)
{
    // Characters of one and two code units, NUL, mask, blank, format character.
    static const QString pieces[] = {u"a"_s,          u"Z"_s,           u"7"_s,      u"#"_s,
                                     u" "_s,          u"*"_s,           u"\u00e9"_s, u"\u200d"_s,
                                     u"\U0001F600"_s, QString(QChar(0))};
    static const Qt::Key keys[] = {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left,   Qt::Key_Right,
                                   Qt::Key_Home,      Qt::Key_End,    Qt::Key_Insert, Qt::Key_A,
                                   Qt::Key_K,         Qt::Key_V,      Qt::Key_X,      Qt::Key_U};
    const auto pick = [&](std::size_t most) {
        return std::uniform_int_distribution<int>(0, int(most))(random);
    };
    const auto text = [&](int longest) {
        QString text;
        for (int n = pick(longest); n > 0; --n) {
            text += pieces[pick(std::size(pieces) - 1)];
        }
        return text;
    };
    Qt::KeyboardModifiers modifiers;
    modifiers.setFlag(Qt::ShiftModifier, pick(1));
    modifiers.setFlag(Qt::ControlModifier, pick(1));
    const QString typed = text(3);
    const int x = pick(80), back = pick(4), length = pick(2);
    switch (pick(5)) {
    case 0: {
        const Qt::Key key = keys[pick(std::size(keys) - 1)];
        return {QKeySequence(QKeyCombination(modifiers, key)).toString(),
                [=](QLineEdit& box) { QTest::keyClick(&box, key, modifiers); }};
    }
    case 1:
        return {u"typed '%1' with modifiers %2"_s.arg(typed).arg(modifiers.toInt(), 0, 16),
                [=](QLineEdit& box) {
                    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, modifiers, typed);
                    QApplication::sendEvent(&box, &press);
                }};
    case 2:
        QApplication::clipboard()->setText(text(12));
        return {u"pasted '%1'"_s.arg(QApplication::clipboard()->text()),
                [](QLineEdit& box) { QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier); }};
    case 3:
        return {u"dropped '%1' at %2"_s.arg(typed).arg(x),
                [=](QLineEdit& box) { drop(box, QPointF(x, 5), typed); }};
    case 4:
        return {
            u"input method committed '%1' over %2 from %3 back"_s.arg(typed).arg(length).arg(back),
            [=](QLineEdit& box) {
                // An input method replaces text before the cursor, which
                // a selection would take away first.
                const int from = box.hasSelectedText() ? 0 : std::min(back, box.cursorPosition());
                QInputMethodEvent commit;
                commit.setCommitString(typed, -from, std::min(length, from));
                QApplication::sendEvent(&box, &commit);
            }};
    default:
        return {u"set to '%1'"_s.arg(typed), [=](QLineEdit& box) {
                    auto* password = qobject_cast<PasswordBox*>(&box);
                    password ? password->setText(typed) : box.setText(typed);
                }};
    }
}

// The toolkit's own password box, with the design's maximum and NUL rule, is
// the reference.
TEST(PasswordBoxTest, EditsTheTextAsTheToolkitsPasswordBoxDoes)
{
    QWidget window;
    PasswordBox box(&window);
    QLineEdit reference(&window);
    reference.setEchoMode(QLineEdit::Password);
    platform::endTextAtNul(reference);
    for (QLineEdit* each : {static_cast<QLineEdit*>(&box), &reference}) {
        each->setMaxLength(10);
        each->setStyleSheet(u"lineedit-password-character: 42;"_s);
        each->resize(120, 23);
    }
    ASSERT_TRUE(testsupport::showActive(window));

    const std::uint32_t seed =
        qEnvironmentVariable("PASSWORD_BOX_SEED", QString::number(std::random_device{}())).toUInt();
    for (std::uint32_t sequence = seed; sequence != seed + 4000; ++sequence) {
        std::mt19937 random(sequence);
        box.clear();
        reference.setText(QString());
        QString made;
        for (int step = 0; step < 12; ++step) {
            const auto [name, edit] = randomEdit(random);
            made += name + u'\n';
            edit(box);
            edit(reference);
            const auto state = [](QStringView text, QStringView shown, const QLineEdit& each) {
                return u"'%1' shown as '%2' at %3 selected from %4"_s.arg(text, shown)
                    .arg(each.cursorPosition())
                    .arg(each.selectionStart())
                    .toStdString();
            };
            ASSERT_EQ(state(box.password(), box.text(), box),
                      state(reference.text(), reference.displayText(), reference))
                << "PASSWORD_BOX_SEED=" << sequence << " after\n"
                << qPrintable(made.replace(QChar(0), u"\\0"_s));
        }
    }
}

// Every text a screen reader's client is told of a change in a password box.
QStringList told;

void hear(QAccessibleEvent* event)
{
    if (qobject_cast<PasswordBox*>(event->object()) == nullptr) {
        return;
    }
    if (auto* inserted = dynamic_cast<QAccessibleTextInsertEvent*>(event)) {
        told << inserted->textInserted();
    } else if (auto* updated = dynamic_cast<QAccessibleTextUpdateEvent*>(event)) {
        told << updated->textInserted() << updated->textRemoved();
    } else if (auto* removed = dynamic_cast<QAccessibleTextRemoveEvent*>(event)) {
        told << removed->textRemoved();
    }
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
// gives the account what was typed, trimmed of blanks, and leaves the
// toolkit and screen readers only masks. What each kind of edit does to the
// text the test above shows.
TEST(PasswordBoxTest, EveryRoadInGivesTheAccountWhatWasTypedAndOnlyMasksToScreenReaders)
{
    using Row = std::tuple<const char*, std::function<void(PasswordBox&)>, QString>;
    const Row rows[] = {
        {"keys: word-deleting ones, which take all after or before the cursor, arrows, Home and "
         "End with Shift and without, typed over a selection, Backspace and Delete with a "
         "selection and without, blanks around, and undo and redo, which do nothing",
         [](PasswordBox& b) {
             press(b, u"ab cd ef[Left][Left][Left][Ctrl+Del][Left][Ctrl+Backspace] [End]bcdefg"
                      u"[Shift+Left][Shift+Left]X[Backspace][Home][Right][Right][Delete][Right]"
                      u"[Shift+Right][Backspace][End][Shift+Left][Delete][Home][Right][Right]"
                      u"[Shift+End]Y[Ctrl+Z][Ctrl+Shift+Z] "_s);
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
             drop(b, QPointF(b.width() - 4, 5), u"dr"_s);
         },
         u"p5p5p5dr"_s},
        {"set from code, a blank before, then from an input method, which replaces text",
         [](PasswordBox& b) {
             b.setText(u" c0"_s);
             QInputMethodEvent event(u"x"_s, {});
             event.setCommitString(u"cd"_s, -1, 1);
             QApplication::sendEvent(&b, &event);
         },
         u"ccd"_s},
    };

    // As when a screen reader is listening: only then does the toolkit tell.
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    const auto previous = QAccessible::installUpdateHandler(hear);
    for (const auto& [name, edit, expected] : rows) {
        SCOPED_TRACE(name);
        emulated::MachineProbe::reset();
        told.clear();
        frmNewUser window;
        ASSERT_TRUE(testsupport::showActive(window));
        QTest::keyClicks(child(window, "txtUserID"), u"ann"_s);
        for (const char* boxName : {"txtPassword", "txtConfirm"}) {
            PasswordBox& box = *child<PasswordBox>(window, boxName);
            box.setFocus();
            edit(box);
            told << box.text()
                 << QAccessible::queryAccessibleInterface(&box)->text(QAccessible::Value);
        }
        QTest::keyClicks(child(window, "txtServer"), u"localhost"_s);
        const char16_t* buffer = child<PasswordBox>(window, "txtPassword")->password().data();
        testsupport::withModal(
            [&] { testsupport::click(child(window, "cmdCreate")); },
            [](QWidget& quota) { testsupport::click(child(quota, "cmdCancel")); });
        EXPECT_TRUE(std::all_of(buffer, buffer + 10, [](char16_t c) { return c == 0; }))
            << "the box's buffer is wiped when Create empties it";
        EXPECT_TRUE(emulated::MachineProbe::isPassword(u"ann"_s, expected));
        EXPECT_GT(told.size(), 4) << "besides both boxes' texts, screen readers were told nothing";
        EXPECT_TRUE(std::all_of(told.begin(), told.end(), [](const QString& text) {
            return text.count(u'*') == text.size();
        })) << qPrintable(told.join(u", "));
    }
    QAccessible::installUpdateHandler(previous);
}

// A screen reader's client may write into a box as any line edit's text.
TEST(PasswordBoxTest, TextWrittenPastTheBoxTurnsBackIntoItsMasks)
{
    frmNewUser window;
    PasswordBox& box = *child<PasswordBox>(window, "txtPassword");
    box.setText(u"kept");
    QAccessible::queryAccessibleInterface(&box)->editableTextInterface()->insertText(0, u"x"_s);
    EXPECT_EQ(box.text(), u"****"_s);
    EXPECT_EQ(box.password(), u"kept");
}

// The buffer is kept out of swap while the box lives.
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
        const PasswordBox box;
        EXPECT_GT(lockedKilobytes(), before);
    }
    EXPECT_EQ(lockedKilobytes(), before);
}

} // namespace
