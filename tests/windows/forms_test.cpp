// The windows on Wine's own machine, behind the real Windows backend: its
// netapi32 keeps accounts in the process, and its quota object is the
// tests' own recorder.

#include "forms/frmNewUser.h"
#include "tests/support/recorded_messages.h"
#include "tests/support/widgets.h"
#include "tests/windows/quota_recorder.h"

#include <QLineEdit>
#include <QPushButton>
#include <windows.h>
// The network management headers build on the types of windows.h.
#include <lm.h>

namespace {

using namespace testsupport;

TEST(WineWindowsTest, AnAccountGetsItsQuotaUnderTheNameThisMachineFindsItBy)
{
    ASSERT_EQ(DllRegisterServer(), S_OK);
    frmNewUser window;
    ASSERT_TRUE(showActive(window));
    const QString computer = qEnvironmentVariable("COMPUTERNAME");
    for (const QString& text : {QStringLiteral("jdoe"), QStringLiteral("Winter-24"),
                                QStringLiteral("Winter-24"), computer}) {
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    withModal([&] { click(child<QPushButton>(window, "cmdCreate")); },
              [](QWidget& quota) {
                  click(child(quota, "optLimitYes"));
                  child<QLineEdit>(quota, "txtLval1")->setText(QStringLiteral("500"));
                  child<QLineEdit>(quota, "txtLval2")->setText(QStringLiteral("400"));
                  click(child<QPushButton>(quota, "cmdOK"));
              });
    EXPECT_EQ(takeShownMessages(), ShownMessages{});
    // Wine's lookup knows no account its NetUserAdd made: the name is
    // qualified with the computer's, by which this machine finds it.
    EXPECT_EQ(std::wstring(RecordedQuotaCalls()),
              QStringLiteral("control.Initialize(BSTR* D:\\\\, I2 1)\n"
                             "control.AddUser(BSTR* %1\\jdoe)\n"
                             "control.LogQuotaThreshold = BOOL -1\n"
                             "user.QuotaLimit = R8 524288000\n"
                             "user.QuotaThreshold = R8 419430400\n")
                  .arg(computer)
                  .toStdWString());
    EXPECT_EQ(LiveQuotaObjects(), 0);
    // Wine's netapi32 changes a password only for one who gives it: the account
    // has the password typed into the boxes, and no other.
    EXPECT_EQ(NetUserChangePassword(nullptr, L"jdoe", L"winter-24", L"x"), ERROR_INVALID_PASSWORD);
    EXPECT_EQ(NetUserChangePassword(nullptr, L"jdoe", L"Winter-24", L"Winter-24"), NERR_Success);
}

} // namespace
