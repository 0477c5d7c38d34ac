// The password box against the toolkit's own password box, the text its
// screen-reader clients are told, and the password every kind of edit gives
// the account.

#include "forms/frmNewUser.h"
#include "platform/emulated/machine.h"
#include "platform/qt/password_box.h"
#include "platform/qt/textbox.h"
#include "tests/support/widgets.h"

#include <QAccessible>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <random>

namespace {

using namespace Qt::StringLiterals;
using platform::PasswordBox;
using testsupport::child;

// Characters that take one or two code units, a NUL, a mask, a blank and a
// format character.
const QString kPieces[] = {u"a"_s, u"Z"_s,      u"7"_s,      u"#"_s,          u" "_s,
                           u"*"_s, u"\u00e9"_s, u"\u200d"_s, u"\U0001F600"_s, QString(QChar(0))};

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
                        QApplication::sendEvent(&box, &drop);
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

} // namespace
