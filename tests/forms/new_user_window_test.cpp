#include "forms/frmNewUser.h"
#include "platform/emulated/machine.h"
#include "tests/support/modal.h"
#include "tests/support/recorded_messages.h"
#include "tests/support/widgets.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>
#include <memory>

namespace {

using emulated::Machine;
using testsupport::child;
using testsupport::click;
using testsupport::shownMessages;

class NewUserWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Machine::instance().reset();
        shownMessages().clear();
        window = std::make_unique<frmNewUser>();
        ASSERT_TRUE(testsupport::showActive(*window));
    }

    template <typename T = QWidget> T* control(const char* name) const
    {
        return testsupport::child<T>(*window, name);
    }

    QLineEdit* box(const char* name) const { return control<QLineEdit>(name); }
    QPushButton* createButton() const { return control<QPushButton>("cmdCreate"); }

    void fill(const QString& user, const QString& password, const QString& confirmation,
              const QString& server) const
    {
        QTest::keyClicks(box("txtUserID"), user);
        QTest::keyClicks(box("txtPassword"), password);
        QTest::keyClicks(box("txtConfirm"), confirmation);
        QTest::keyClicks(box("txtServer"), server);
    }

    void pressCreate() const { click(createButton()); }

    // Closes the quota window that a successful Create opens, and tells
    // the user it was opened for.
    static std::shared_ptr<QString> cancelQuotaEntry()
    {
        auto user = std::make_shared<QString>();
        testsupport::whenModalShown([user](QWidget& modal) {
            *user = child<QLabel>(modal, "lblUser")->text();
            click(child<QPushButton>(modal, "cmdCancel"));
        });
        return user;
    }

    static QString here() { return Machine::instance().name(); }

    static std::u16string onlyMessage()
    {
        EXPECT_EQ(shownMessages().size(), 1u);
        return shownMessages().empty() ? std::u16string() : shownMessages().front().text;
    }

    std::unique_ptr<frmNewUser> window;
};

TEST_F(NewUserWindowTest, StartsInItsDesignState)
{
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_FALSE(window->windowIcon().isNull());
    EXPECT_EQ(QApplication::focusWidget(), box("txtUserID"));
    EXPECT_FALSE(createButton()->isEnabled());

    for (const char* name : {"txtName", "txtDescr", "chkOp1", "chkOp2", "chkOp3", "chkOp4"}) {
        EXPECT_FALSE(control(name)->isEnabled()) << name;
    }
    for (const char* name : {"txtPassword", "txtConfirm"}) {
        QLineEdit* masked = box(name);
        EXPECT_EQ(masked->echoMode(), QLineEdit::Password) << name;
        EXPECT_EQ(
            masked->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, masked), '*')
            << name;
    }
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->isDefault()) << qPrintable(button->objectName());
    }
}

TEST_F(NewUserWindowTest, BoxesTakeNoMoreThanTheirMaximum)
{
    const QString longText(40, u'x');
    const std::pair<const char*, int> limits[] = {
        {"txtUserID", 20}, {"txtPassword", 10}, {"txtConfirm", 10}, {"txtServer", 10}};
    for (const auto& [name, limit] : limits) {
        QTest::keyClicks(box(name), longText);
        EXPECT_EQ(box(name)->text().size(), limit) << name;
    }
}

TEST_F(NewUserWindowTest, CreateIsEnabledOnlyForANonBlankUserName)
{
    QLineEdit* user = box("txtUserID");
    QTest::keyClicks(user, QStringLiteral("  "));
    EXPECT_FALSE(createButton()->isEnabled());
    QTest::keyClicks(user, QStringLiteral("a"));
    EXPECT_TRUE(createButton()->isEnabled());
    QTest::keyClick(user, Qt::Key_Backspace);
    EXPECT_FALSE(createButton()->isEnabled());
    user->setText(QStringLiteral("\tb"));
    EXPECT_TRUE(createButton()->isEnabled()) << "only blanks are trimmed";
}

TEST_F(NewUserWindowTest, InputCheckReportsTheFirstProblemOnly)
{
    // Create is disabled for a blank user name; the check still comes first.
    createButton()->setEnabled(true);
    QTest::keyClicks(box("txtPassword"), QStringLiteral("a"));
    pressCreate();
    EXPECT_EQ(onlyMessage(), u"Invalid User ID");
    EXPECT_EQ(shownMessages().front().style, platform::MessageStyle::Critical);
    EXPECT_EQ(shownMessages().front().title, u"Local Users and Groups");

    shownMessages().clear();
    QTest::keyClicks(box("txtUserID"), QStringLiteral("ann"));
    QTest::keyClicks(box("txtConfirm"), QStringLiteral("A"));
    pressCreate();
    EXPECT_EQ(onlyMessage(), u"The password was not correctly confirmed. Please ensure that the "
                             u"password and confirmation match exactly.");

    shownMessages().clear();
    box("txtConfirm")->setText(QStringLiteral("a"));
    pressCreate();
    EXPECT_EQ(onlyMessage(), u"Server name not specified.");

    EXPECT_EQ(box("txtUserID")->text(), QStringLiteral("ann"));
    EXPECT_EQ(box("txtPassword")->text(), QStringLiteral("a"));
    EXPECT_EQ(Machine::instance().findAccount(QStringLiteral("ann")), nullptr);
}

TEST_F(NewUserWindowTest, CreatesTheAccountFromTrimmedInputAndClearsThreeBoxes)
{
    fill(QStringLiteral(" bea "), QStringLiteral("pw "), QStringLiteral(" pw"),
         QStringLiteral(" localhost"));
    const auto quotaUser = cancelQuotaEntry();
    pressCreate();
    EXPECT_EQ(*quotaUser, QStringLiteral("bea"));

    EXPECT_TRUE(shownMessages().empty());
    EXPECT_TRUE(Machine::instance().isPassword(QStringLiteral("bea"), QStringLiteral("pw")));
    EXPECT_TRUE(box("txtUserID")->text().isEmpty());
    EXPECT_TRUE(box("txtPassword")->text().isEmpty());
    EXPECT_TRUE(box("txtConfirm")->text().isEmpty());
    EXPECT_EQ(box("txtServer")->text(), QStringLiteral(" localhost"));
    EXPECT_FALSE(createButton()->isEnabled());
}

TEST_F(NewUserWindowTest, AFailedCreationKeepsEveryBox)
{
    fill(QStringLiteral("Guest"), QStringLiteral("pw"), QStringLiteral("pw"), here());
    pressCreate();
    EXPECT_EQ(onlyMessage(), u"Errors occured (User already exist)  when adding user Guest");

    shownMessages().clear();
    box("txtUserID")->setText(QStringLiteral("cyd"));
    box("txtServer")->setText(QStringLiteral("nowhere"));
    pressCreate();
    EXPECT_EQ(onlyMessage(), u"Errors occured (Invalid Server name)  when adding user cyd");

    EXPECT_EQ(box("txtUserID")->text(), QStringLiteral("cyd"));
    EXPECT_EQ(box("txtPassword")->text(), QStringLiteral("pw"));
    EXPECT_EQ(box("txtConfirm")->text(), QStringLiteral("pw"));
    EXPECT_EQ(box("txtServer")->text(), QStringLiteral("nowhere"));
    EXPECT_TRUE(createButton()->isEnabled());
}

TEST_F(NewUserWindowTest, EnterMovesToTheNextBoxThatTakesInput)
{
    // The disabled boxes and check boxes are passed over.
    const char* path[] = {"txtUserID", "txtPassword", "txtConfirm", "txtServer"};
    box("txtUserID")->setText(QStringLiteral("dee"));
    for (std::size_t i = 0; i + 1 < std::size(path); ++i) {
        ASSERT_EQ(QApplication::focusWidget(), box(path[i]));
        QTest::keyClick(box(path[i]), Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), box(path[i])) << "the Tab waits its turn";
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), box(path[i + 1]));
    }
    EXPECT_TRUE(shownMessages().empty());
}

TEST_F(NewUserWindowTest, EveryAccountGetsItsQuotaWindowInItsDesignState)
{
    // The first showing is used and cancelled; the second must not show it.
    fill(QStringLiteral("fay"), QString(), QString(), QStringLiteral("localhost"));
    testsupport::whenModalShown([this](QWidget& modal) {
        EXPECT_EQ(modal.windowModality(), Qt::ApplicationModal);
        EXPECT_EQ(modal.parentWidget(), nullptr);
        EXPECT_EQ(modal.windowHandle()->transientParent(), window->windowHandle())
            << "it stands over the New User window, out of the task bar";
        click(child<QRadioButton>(modal, "optLimitYes"));
        modal.close();
    });
    pressCreate();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    QTest::keyClicks(box("txtUserID"), QStringLiteral("gus"));
    testsupport::whenModalShown([](QWidget& modal) {
        EXPECT_FALSE(child<QRadioButton>(modal, "optLimitYes")->isChecked());
        EXPECT_EQ(child<QComboBox>(modal, "cmbL1")->count(), 0);
        EXPECT_EQ(child<QLineEdit>(modal, "txtLval1")->text(), QStringLiteral("No Limit"));
        EXPECT_EQ(child<QLabel>(modal, "lblUser")->text(), QStringLiteral("gus"));
        click(child<QPushButton>(modal, "cmdCancel"));
    });
    pressCreate();
    EXPECT_TRUE(Machine::instance().volume(u'D')->entries.empty());
    EXPECT_TRUE(window->findChildren<QDialog*>().isEmpty());
    EXPECT_EQ(QApplication::topLevelWidgets().size(), 1) << "each quota window is discarded";
}

TEST_F(NewUserWindowTest, FromTheFirstKeystrokeToTheAppliedQuota)
{
    QTest::keyClicks(box("txtUserID"), QStringLiteral("hal"));
    QTest::keyClick(box("txtUserID"), Qt::Key_Return);
    QCoreApplication::processEvents();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("s3cret"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("s3cret"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents();
    QTest::keyClicks(QApplication::focusWidget(), here());
    ASSERT_EQ(QApplication::focusWidget(), box("txtServer"));

    testsupport::whenModalShown([](QWidget& modal) {
        click(child<QRadioButton>(modal, "optLimitYes"));
        for (const auto& [name, value] : {std::pair{"txtLval1", "500"}, {"txtLval2", "400"}}) {
            QLineEdit* valueBox = child<QLineEdit>(modal, name);
            valueBox->setFocus();
            valueBox->selectAll();
            QTest::keyClicks(valueBox, QString::fromLatin1(value));
        }
        QPushButton* ok = child<QPushButton>(modal, "cmdOK");
        ok->setFocus();
        QTest::keyClick(ok, Qt::Key_Return);
    });
    QTest::keyClick(box("txtServer"), Qt::Key_R, Qt::AltModifier); // to Create, ambiguous
    ASSERT_EQ(QApplication::focusWidget(), createButton());
    QTest::keyClick(createButton(), Qt::Key_Return); // Enter presses a focused button

    EXPECT_TRUE(shownMessages().empty());
    EXPECT_TRUE(Machine::instance().isPassword(QStringLiteral("hal"), QStringLiteral("s3cret")));
    const emulated::Volume& drive = *Machine::instance().volume(u'D');
    ASSERT_EQ(drive.entries.count(QStringLiteral("hal")), 1u);
    EXPECT_EQ(drive.entries.at(QStringLiteral("hal")).limit, 500 * 1048576.0);
    EXPECT_EQ(drive.entries.at(QStringLiteral("hal")).threshold, 400 * 1048576.0);
    EXPECT_TRUE(drive.logsThreshold);

    // Ready for the next account at once.
    EXPECT_EQ(box("txtServer")->text(), here());
    QTest::keyClicks(box("txtUserID"), QStringLiteral("ida"));
    EXPECT_TRUE(createButton()->isEnabled());
}

TEST_F(NewUserWindowTest, AccessKeysMoveTheFocusAndPressNoSharedButton)
{
    QTest::keyClick(window.get(), Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), box("txtPassword"));

    // C belongs to "&Close" and to "&Confirm password:": it only moves the focus.
    QTest::keyClick(window.get(), Qt::Key_C, Qt::AltModifier);
    QWidget* first = QApplication::focusWidget();
    QTest::keyClick(window.get(), Qt::Key_C, Qt::AltModifier);
    QWidget* second = QApplication::focusWidget();
    EXPECT_NE(first, second);
    EXPECT_TRUE(first == box("txtConfirm") || first == control("cmdClose"));
    EXPECT_TRUE(second == box("txtConfirm") || second == control("cmdClose"));
    EXPECT_TRUE(window->isVisible());
}

TEST_F(NewUserWindowTest, CloseEndsTheProgram)
{
    QTimer::singleShot(0, control<QPushButton>("cmdClose"), &QPushButton::click);
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

} // namespace
