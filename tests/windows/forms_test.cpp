// The windows on Wine's own machine, behind the real Windows backend: its
// netapi32 keeps accounts in the process, and it has no quota service.

#include "forms/frmNewUser.h"
#include "tests/support/recorded_messages.h"
#include "tests/support/widgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <windows.h>
// The network management headers build on the types of windows.h.
#include <lm.h>

namespace {

using namespace testsupport;

TEST(WineWindowsTest, AnAccountGetsItsQuotaWindowWhoseFailureIsShownAsItCloses)
{
    frmNewUser window;
    ASSERT_TRUE(showActive(window));
    const std::pair<const char*, QString> typed[] = {
        {"txtUserID", QStringLiteral("jdoe")},
        {"txtPassword", QStringLiteral("Winter-24")},
        {"txtConfirm", QStringLiteral("Winter-24")},
        {"txtServer", qEnvironmentVariable("COMPUTERNAME")}};
    for (const auto& [name, text] : typed) {
        QTest::keyClicks(child(window, name), text);
    }
    withModal([&] { click(child<QPushButton>(window, "cmdCreate")); },
              [](QWidget& quota) {
                  EXPECT_EQ(child<QLabel>(quota, "lblUser")->text(), u"jdoe");
                  click(child<QPushButton>(quota, "cmdOK"));
              });
    // Wine has no text for an unknown class string (CO_E_CLASSSTRING).
    EXPECT_EQ(takeShownMessages(), ShownMessages{{u"Automation error 0x800401F3"}});
    EXPECT_EQ(QApplication::topLevelWidgets().size(), 1) << "the quota window is closed";
    EXPECT_TRUE(child<QLineEdit>(window, "txtUserID")->text().isEmpty());
    // Wine's netapi32 changes a password only for one who gives it: the account
    // has the password typed into the boxes, and no other.
    EXPECT_EQ(NetUserChangePassword(nullptr, L"jdoe", L"winter-24", L"x"), ERROR_INVALID_PASSWORD);
    EXPECT_EQ(NetUserChangePassword(nullptr, L"jdoe", L"Winter-24", L"Winter-24"), NERR_Success);
}

} // namespace
