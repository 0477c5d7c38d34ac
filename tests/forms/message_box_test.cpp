#include "platform/messagebox.h"
#include "tests/support/widgets.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

TEST(MessageBoxTest, ShowsTheTextModallyWithTheStylesIconAndOneOkButton)
{
    const std::pair<platform::MessageStyle, QMessageBox::Icon> styles[] = {
        {platform::MessageStyle::Critical, QMessageBox::Critical},
        {platform::MessageStyle::Information, QMessageBox::Information}};
    for (const auto& [style, icon] : styles) {
        SCOPED_TRACE(int(style));
        testsupport::withModal(
            [style = style] {
                platform::MsgBox(u"Errors occured  when\tadding <b>x</b>", style,
                                 u"Local Users and Groups");
            },
            [&, icon = icon](QWidget& modal) {
                auto* box = qobject_cast<QMessageBox*>(&modal);
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(box->windowTitle(), QStringLiteral("Local Users and Groups"));
                EXPECT_EQ(box->text(), QStringLiteral("Errors occured  when\tadding <b>x</b>"));
                EXPECT_EQ(box->textFormat(), Qt::PlainText) << "a name is never markup";
                EXPECT_EQ(box->icon(), icon);
                ASSERT_EQ(box->buttons().size(), 1);
                EXPECT_EQ(box->standardButton(box->buttons().front()), QMessageBox::Ok);
                testsupport::expectScaledClientArea(*box, box->size());
                testsupport::click(box->buttons().front());
            });
    }
}

} // namespace
