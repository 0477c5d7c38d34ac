#include "platform/messagebox.h"
#include "platform/qt/override_cursor.h"
#include "tests/support/widgets.h"

#include <QCursor>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace {

TEST(MessageBoxTest, ShowsTheArrowOverItselfWhileThePlatformWorks)
{
    const platform::OverrideCursor waiting(Qt::WaitCursor);
    testsupport::withModal(
        [] { platform::MsgBox(u"Access is denied.", platform::MessageStyle::Critical, u"T"); },
        [](QWidget& box) {
            ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
            EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);
            box.close();
        });
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor) << "once it is closed";
}

TEST(MessageBoxTest, ShowsTheTextWholeModallyWithTheStylesIconAndOneOkButton)
{
    // The longest message the windows give, which the box wraps.
    const char16_t* const text = u"The password was not correctly confirmed. Please ensure that "
                                 u"the password and confirmation match exactly. <b>x</b>";
    const std::pair<platform::MessageStyle, QMessageBox::Icon> styles[] = {
        {platform::MessageStyle::Critical, QMessageBox::Critical},
        {platform::MessageStyle::Information, QMessageBox::Information}};
    for (const auto& [style, icon] : styles) {
        SCOPED_TRACE(int(style));
        testsupport::withModal(
            [&, style = style] { platform::MsgBox(text, style, u"Local Users and Groups"); },
            [&, icon = icon](QWidget& modal) {
                auto* box = qobject_cast<QMessageBox*>(&modal);
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(box->windowTitle(), QStringLiteral("Local Users and Groups"));
                EXPECT_EQ(box->text(), QString::fromUtf16(text));
                EXPECT_EQ(box->textFormat(), Qt::PlainText) << "a name is never markup";
                EXPECT_EQ(box->icon(), icon);
                ASSERT_EQ(box->buttons().size(), 1);
                EXPECT_EQ(box->standardButton(box->buttons().front()), QMessageBox::Ok);

                // Whole, in the face the box asks for: a missing one would
                // be answered with whatever the font matcher picks.
                const auto* label = testsupport::child<QLabel>(*box, "qt_msgbox_label");
                testsupport::expectDrawnAsAsked(*label);
                const QRect room = label->contentsRect();
                EXPECT_TRUE(room.contains(label->fontMetrics().boundingRect(
                    room, Qt::TextWordWrap | label->alignment(), label->text())))
                    << room.width() << "x" << room.height();
                testsupport::click(box->buttons().front());
            });
    }
}

} // namespace
