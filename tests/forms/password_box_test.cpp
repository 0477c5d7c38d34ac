// The password box against the toolkit's own password box, the text its
// screen-reader clients are told, and the password every kind of edit gives
// the account.

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
#include <QPushButton>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <random>

namespace {

using namespace Qt::StringLiterals;
using platform::PasswordBox;
using testsupport::child;

// Characters that take one or two code units, a NUL, a mask, a blank and a
// format character.
const QString kPieces[] = {u"a"_s, u"Z"_s,      u"7"_s,      u"#"_s,          u" "_s,
                           u"*"_s, u"\u00e9"_s, u"\u200d"_s, u"\U0001F600"_s, QString(QChar(0))};

// The application hands a drop only to the target of a drag in progress;
// this hands it to the box as that drag would.
void deliverDrop(QObject& box, QDropEvent& drop)
{
    box.event(&drop);
}

// One edit made alike to both boxes; its name says what it was.
struct Edit
{
    QString name;
    std::function<void(QLineEdit&)> make;
};

class Differential
{
public:
    explicit Differential(std::uint32_t seed) : random_(seed) {}

    QString text(int longest)
    {
        QString text;
        for (int n = pick(longest); n > 0; --n) {
            text += kPieces[pick(std::size(kPieces) - 1)];
        }
        return text;
    }

    Edit next()
    {
        static const Qt::Key keys[] = {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left,
                                       Qt::Key_Right,     Qt::Key_Home,   Qt::Key_End,
                                       Qt::Key_Insert,    Qt::Key_A,      Qt::Key_K,
                                       Qt::Key_V,         Qt::Key_X,      Qt::Key_U};
        Qt::KeyboardModifiers modifiers;
        modifiers.setFlag(Qt::ShiftModifier, pick(1));
        modifiers.setFlag(Qt::ControlModifier, pick(1));
        const QString typed = text(3);
        switch (pick(5)) {
        case 0: {
            const Qt::Key key = keys[pick(std::size(keys) - 1)];
            return {u"key %1 with modifiers %2"_s.arg(key).arg(modifiers.toInt()),
                    [=](QLineEdit& box) { QTest::keyClick(&box, key, modifiers); }};
        }
        case 1:
            return {u"typed '%1' with modifiers %2"_s.arg(typed).arg(modifiers.toInt()),
                    [=](QLineEdit& box) {
                        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, modifiers, typed);
                        QApplication::sendEvent(&box, &press);
                    }};
        case 2: {
            QApplication::clipboard()->setText(text(12));
            return {u"pasted '%1'"_s.arg(QApplication::clipboard()->text()),
                    [](QLineEdit& box) { QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier); }};
        }
        case 3: {
            const int x = pick(80);
            return {u"dropped '%1' at %2"_s.arg(typed).arg(x), [=](QLineEdit& box) {
                        QMimeData data;
                        data.setText(typed);
                        QDropEvent drop(QPointF(x, 5), Qt::CopyAction, &data, Qt::LeftButton,
                                        Qt::NoModifier);
                        deliverDrop(box, drop);
                    }};
        }
        case 4: {
            const int from = pick(4), length = pick(2);
            return {
                u"input method committed '%1' over %2 from %3 back"_s.arg(typed).arg(length).arg(
                    from),
                [=](QLineEdit& box) {
                    // An input method replaces text before the cursor, which
                    // a selection would take away first.
                    const int back =
                        box.hasSelectedText() ? 0 : std::min(from, box.cursorPosition());
                    QInputMethodEvent commit;
                    commit.setCommitString(typed, -back, std::min(length, back));
                    QApplication::sendEvent(&box, &commit);
                }};
        }
        default:
            return {u"set to '%1'"_s.arg(typed), [=](QLineEdit& box) {
                        if (auto* password = qobject_cast<PasswordBox*>(&box)) {
                            password->setText(typed);
                        } else {
                            box.setText(typed);
                        }
                    }};
        }
    }

private:
    int pick(std::size_t most) { return std::uniform_int_distribution<int>(0, int(most))(random_); }

    std::mt19937 random_;
};

// The toolkit's own password box, with the design's maximum and NUL rule, is
// the reference. Undo and redo are left out: the password box has neither.
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

    const std::uint32_t seed = qEnvironmentVariableIsSet("PASSWORD_BOX_SEED")
                                   ? qEnvironmentVariable("PASSWORD_BOX_SEED").toUInt()
                                   : std::random_device{}();
    for (std::uint32_t sequence = seed; sequence < seed + 4000; ++sequence) {
        Differential edits(sequence);
        box.clear();
        reference.setText(QString());
        QStringList made;
        for (int step = 0; step < 12; ++step) {
            const Edit edit = edits.next();
            made << QString(edit.name).replace(QChar(0), u"\\0"_s);
            edit.make(box);
            edit.make(reference);
            const QString secret = QStringView(box.password()).toString();
            if (secret != reference.text() || box.text() != QString(secret.size(), u'*') ||
                box.cursorPosition() != reference.cursorPosition() ||
                box.selectionStart() != reference.selectionStart()) {
                FAIL() << "PASSWORD_BOX_SEED=" << sequence << " after\n"
                       << qPrintable(made.join(u'\n')) << "\nthe box holds '" << qPrintable(secret)
                       << "' at " << box.cursorPosition() << ", the reference '"
                       << qPrintable(reference.text()) << "' at " << reference.cursorPosition()
                       << " selected from " << box.selectionStart() << " and "
                       << reference.selectionStart();
            }
        }
    }
}

// Every text a screen reader's client is told of a change in a password box.
QStringList toldTexts;

void hearTextChanges(QAccessibleEvent* event)
{
    if (qobject_cast<PasswordBox*>(event->object()) == nullptr) {
        return;
    }
    if (event->type() == QAccessible::TextInserted) {
        toldTexts << static_cast<QAccessibleTextInsertEvent*>(event)->textInserted();
    } else if (event->type() == QAccessible::TextUpdated) {
        toldTexts << static_cast<QAccessibleTextUpdateEvent*>(event)->textInserted()
                  << static_cast<QAccessibleTextUpdateEvent*>(event)->textRemoved();
    } else if (event->type() == QAccessible::TextRemoved) {
        toldTexts << static_cast<QAccessibleTextRemoveEvent*>(event)->textRemoved();
    }
}

bool onlyMasks(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == u'*'; });
}

void keys(QWidget* box, std::initializer_list<Qt::Key> pressed, Qt::KeyboardModifiers with = {})
{
    for (Qt::Key key : pressed) {
        QTest::keyClick(box, key, with);
    }
}

// Each kind of edit, made alike to the password and its confirmation, gives
// the account what was typed, trimmed of blanks, and no one else hears it.
TEST(PasswordBoxTest, EveryKindOfEditGivesTheAccountWhatWasTypedAndOnlyMasksToScreenReaders)
{
    using Row = std::tuple<const char*, std::function<void(PasswordBox&)>, QString>;
    const Row rows[] = {
        {"typed, blanks around", [](PasswordBox& b) { QTest::keyClicks(&b, u" Zq7#pLm "_s); },
         u"Zq7#pLm"_s},
        {"typed over a selection, arrows and Home and End with Shift",
         [](PasswordBox& b) {
             QTest::keyClicks(&b, u"abcdef"_s);
             keys(&b, {Qt::Key_Left, Qt::Key_Left}, Qt::ShiftModifier);
             QTest::keyClicks(&b, u"X"_s);
             keys(&b, {Qt::Key_Home, Qt::Key_Right});
             keys(&b, {Qt::Key_End}, Qt::ShiftModifier);
             QTest::keyClicks(&b, u"Y"_s);
         },
         u"aY"_s},
        {"Backspace and Delete, with a selection and without",
         [](PasswordBox& b) {
             QTest::keyClicks(&b, u"abcdef"_s);
             keys(&b, {Qt::Key_Backspace, Qt::Key_Home, Qt::Key_Delete, Qt::Key_Right});
             keys(&b, {Qt::Key_Right}, Qt::ShiftModifier);
             keys(&b, {Qt::Key_Backspace, Qt::Key_End});
             keys(&b, {Qt::Key_Left}, Qt::ShiftModifier);
             keys(&b, {Qt::Key_Delete});
         },
         u"bd"_s},
        {"word-deleting keys, which take all before or after the cursor",
         [](PasswordBox& b) {
             QTest::keyClicks(&b, u"ab cd ef"_s);
             keys(&b, {Qt::Key_Left, Qt::Key_Left, Qt::Key_Left});
             keys(&b, {Qt::Key_Delete}, Qt::ControlModifier);
             keys(&b, {Qt::Key_Left});
             keys(&b, {Qt::Key_Backspace}, Qt::ControlModifier);
         },
         u"d"_s},
        {"select all, typed over",
         [](PasswordBox& b) {
             QTest::keyClicks(&b, u"old"_s);
             keys(&b, {Qt::Key_A}, Qt::ControlModifier);
             QTest::keyClicks(&b, u"new"_s);
         },
         u"new"_s},
        {"pasted by keys",
         [](PasswordBox& b) {
             QApplication::clipboard()->setText(u"pa5"_s);
             keys(&b, {Qt::Key_V}, Qt::ControlModifier);
             keys(&b, {Qt::Key_Insert}, Qt::ShiftModifier);
         },
         u"pa5pa5"_s},
        {"pasted from the context menu",
         [](PasswordBox& b) {
             QApplication::clipboard()->setText(u"m3nu"_s);
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
         },
         u"m3nu"_s},
        {"dropped at the end",
         [](PasswordBox& b) {
             QTest::keyClicks(&b, u"dr"_s);
             QMimeData data;
             data.setText(u"op"_s);
             QDropEvent drop(QPointF(b.width() - 4, 5), Qt::CopyAction, &data, Qt::LeftButton,
                             Qt::NoModifier);
             deliverDrop(b, drop);
         },
         u"drop"_s},
        {"from an input method, which replaces what it gave",
         [](PasswordBox& b) {
             QInputMethodEvent first(u"x"_s, {});
             first.setCommitString(u"ab"_s);
             QApplication::sendEvent(&b, &first);
             QInputMethodEvent second;
             second.setCommitString(u"cd"_s, -1, 1);
             QApplication::sendEvent(&b, &second);
         },
         u"acd"_s},
        {"set from code", [](PasswordBox& b) { b.setText(u"c0de "_s); }, u"c0de"_s},
    };

    // As when a screen reader is listening: only then does the toolkit tell.
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    const auto previous = QAccessible::installUpdateHandler(hearTextChanges);
    for (const auto& [name, edit, expected] : rows) {
        SCOPED_TRACE(name);
        emulated::MachineProbe::reset();
        toldTexts.clear();
        frmNewUser window;
        ASSERT_TRUE(testsupport::showActive(window));
        QTest::keyClicks(child(window, "txtUserID"), u"ann"_s);
        for (const char* boxName : {"txtPassword", "txtConfirm"}) {
            PasswordBox& box = *child<PasswordBox>(window, boxName);
            box.setFocus();
            edit(box);
            EXPECT_TRUE(onlyMasks(box.text())) << qPrintable(box.text());
            const QString told =
                QAccessible::queryAccessibleInterface(&box)->text(QAccessible::Value);
            EXPECT_TRUE(onlyMasks(told)) << qPrintable(told);
        }
        QTest::keyClicks(child(window, "txtServer"), u"localhost"_s);
        const char16_t* buffer = child<PasswordBox>(window, "txtPassword")->password().data();
        testsupport::withModal(
            [&] { testsupport::click(child(window, "cmdCreate")); },
            [](QWidget& quota) { testsupport::click(child(quota, "cmdCancel")); });
        EXPECT_TRUE(std::all_of(buffer, buffer + 10, [](char16_t c) { return c == 0; }))
            << "the box's buffer is wiped when Create empties it";
        EXPECT_TRUE(emulated::MachineProbe::isPassword(u"ann"_s, expected));
        EXPECT_FALSE(toldTexts.isEmpty());
        EXPECT_TRUE(std::all_of(toldTexts.begin(), toldTexts.end(), onlyMasks))
            << qPrintable(toldTexts.join(u", "));
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

} // namespace
