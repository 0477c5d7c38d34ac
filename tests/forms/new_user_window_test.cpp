#include "forms/frmNewUser.h"
#include "platform/qt/password_box.h"
#include "tests/support/freed_memory.h"
#include "tests/support/machine_probe.h"
#include "tests/support/recorded_messages.h"
#include "tests/support/widgets.h"

#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

using namespace Qt::StringLiterals;
using emulated::Machine;
using emulated::MachineProbe;
using testsupport::child;
using testsupport::click;
using testsupport::ShownMessages;
using testsupport::takeShownMessages;

class NewUserWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MachineProbe::reset();
        takeShownMessages();
        ASSERT_TRUE(testsupport::showActive(window));
    }

    QLineEdit* box(const char* name) { return child<QLineEdit>(window, name); }
    platform::PasswordBox* passwordBox(const char* name)
    {
        return child<platform::PasswordBox>(window, name);
    }
    QPushButton* create() { return child<QPushButton>(window, "cmdCreate"); }

    void type(const QString& user, const QString& password, const QString& confirmation,
              const QString& server)
    {
        QTest::keyClicks(box("txtUserID"), user);
        QTest::keyClicks(box("txtPassword"), password);
        QTest::keyClicks(box("txtConfirm"), confirmation);
        QTest::keyClicks(box("txtServer"), server);
    }

    // Presses Create, and acts on the quota window it opens.
    void createThen(const std::function<void(QWidget& quota)>& act)
    {
        testsupport::withModal([this] { click(create()); }, act);
    }

    // The texts of the user name, password, confirmation and server boxes.
    QStringList boxes()
    {
        return {box("txtUserID")->text(), box("txtPassword")->text(), box("txtConfirm")->text(),
                box("txtServer")->text()};
    }

    frmNewUser window;
};

TEST_F(NewUserWindowTest, CreateIsEnabledOnlyForAUserNameThatIsNotBlank)
{
    EXPECT_FALSE(create()->isEnabled());
    QTest::keyClicks(box("txtUserID"), QStringLiteral("  "));
    EXPECT_FALSE(create()->isEnabled());
    QTest::keyClicks(box("txtUserID"), QStringLiteral("a"));
    EXPECT_TRUE(create()->isEnabled());
    QTest::keyClick(box("txtUserID"), Qt::Key_Backspace);
    EXPECT_FALSE(create()->isEnabled());
}

TEST_F(NewUserWindowTest, TheInputCheckReportsTheFirstProblemAndKeepsEveryBox)
{
    // Create is enabled only for a user name; the check of it still comes first.
    create()->setEnabled(true);
    type(QString(), QStringLiteral("a"), QStringLiteral("A"), QString());
    click(create());
    EXPECT_EQ(takeShownMessages(), ShownMessages{{u"Invalid User ID"}});
    QTest::keyClicks(box("txtUserID"), QStringLiteral("ann"));
    click(create());
    EXPECT_EQ(takeShownMessages(),
              ShownMessages{{u"The password was not correctly confirmed. Please ensure that the "
                             u"password and confirmation match exactly."}});
    passwordBox("txtConfirm")->setText(u"a");
    click(create());
    EXPECT_EQ(takeShownMessages(), ShownMessages{{u"Server name not specified."}});

    // Refused by the machine: its words, and every box as it was.
    box("txtServer")->setText(QStringLiteral("nowhere"));
    click(create());
    EXPECT_EQ(takeShownMessages(),
              ShownMessages{{u"Errors occured (Invalid Server name)  when adding user ann"}});
    EXPECT_EQ(boxes(), (QStringList{u"ann"_s, u"*"_s, u"*"_s, u"nowhere"_s}));
}

TEST_F(NewUserWindowTest, EnterMovesToTheNextBoxThatTakesInput)
{
    const char* path[] = {"txtUserID", "txtPassword", "txtConfirm", "txtServer"};
    for (std::size_t i = 0; i + 1 < std::size(path); ++i) {
        ASSERT_EQ(QApplication::focusWidget(), box(path[i]));
        QTest::keyClick(box(path[i]), Qt::Key_Return);
        QCoreApplication::processEvents(); // the Tab is sent once Enter is done
        EXPECT_EQ(QApplication::focusWidget(), box(path[i + 1]));
    }
}

TEST_F(NewUserWindowTest, FromTheFirstKeystrokeToTheAppliedQuota)
{
    // Blanks go from both ends of a value.
    type(u" hal "_s, u" s3cret "_s, u"s3cret"_s, u" localhost"_s);
    createThen([this](QWidget& quota) {
        EXPECT_EQ(child<QLabel>(quota, "lblUser")->text(), u"hal"_s);
        EXPECT_EQ(boxes(), (QStringList{QString(), QString(), QString(), u" localhost"_s}));
        EXPECT_FALSE(create()->isEnabled());
        click(child<QRadioButton>(quota, "optLimitYes"));
        child<QLineEdit>(quota, "txtLval1")->setText(u"500"_s);
        child<QLineEdit>(quota, "txtLval2")->setText(u"400"_s);
        click(child<QPushButton>(quota, "cmdOK"));
    });

    EXPECT_TRUE(takeShownMessages().empty());
    EXPECT_TRUE(MachineProbe::isPassword(u"hal"_s, u"s3cret"_s));
    EXPECT_EQ(Machine::instance().volume(u'D')->entries.at(u"hal"_s).threshold, 400 * 1048576.0);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), 1) << "the quota window is discarded";
}

TEST_F(NewUserWindowTest, ATabAtEitherEndIsNoBlankAndReachesTheMachine)
{
    // Pasted, since a typed Tab moves the focus: the machine refuses the
    // name rather than creating an account under another one.
    QApplication::clipboard()->setText(u" \tann\t "_s);
    box("txtUserID")->paste();
    box("txtServer")->setText(u"localhost"_s);
    click(create());
    EXPECT_EQ(takeShownMessages(),
              ShownMessages{{u"Error 2202 in parameter 0 when adding user \tann\t"}});
    EXPECT_EQ(MachineProbe::accounts().size(), 3u);
}

TEST_F(NewUserWindowTest, TheAccountAndItsQuotaGetTheNameAsTheBoxShowsIt)
{
    // A box ends its text at a NUL however it arrives, as Windows' edit
    // controls do; a byte-order mark is an ordinary character of a name.
    const QString names[] = {QStringView(u"nul\0x", 5).toString(), u"\uFEFFbom"_s, u"\uFFFEbom"_s};
    for (const QString& name : names) {
        box("txtUserID")->setText(name);
        box("txtServer")->setText(u"localhost"_s);
        const QString shown = box("txtUserID")->text();
        EXPECT_FALSE(shown.contains(QChar(0)));
        createThen([&](QWidget& quota) {
            EXPECT_EQ(child<QLabel>(quota, "lblUser")->text(), shown);
            EXPECT_EQ(child<QComboBox>(quota, "cmbL1")->count(), 0) << "a fresh window each time";
            click(child<QRadioButton>(quota, "optLimitYes"));
            click(child<QPushButton>(quota, "cmdOK"));
        });
        EXPECT_EQ(takeShownMessages(), ShownMessages{});
        EXPECT_EQ(Machine::instance().volume(u'D')->entries.count(shown), 1u);
    }
}

TEST_F(NewUserWindowTest, NoFreedMemoryHoldsThePasswordFromTheFirstKeystrokeOn)
{
    const QString password = u"Zq9-Vx7!k"_s;
    const QByteArray utf8 = password.toUtf8();
    testsupport::watchFreedMemory(
        {{reinterpret_cast<const char*>(password.utf16()), password.size() * sizeof(char16_t)},
         {utf8.constData(), static_cast<std::size_t>(utf8.size())}});
    type(u"ivy"_s, password, password, u"localhost"_s);
    createThen([&](QWidget& quota) { click(child<QPushButton>(quota, "cmdCancel")); });
    EXPECT_EQ(testsupport::freedBlocksHoldingSecret(), 0);
    testsupport::watchFreedMemory({});
    EXPECT_TRUE(MachineProbe::isPassword(u"ivy"_s, password));
}

TEST_F(NewUserWindowTest, CloseEndsTheProgram)
{
    QTimer::singleShot(0, create(), [this] { click(child<QPushButton>(window, "cmdClose")); });
    // Dies with the test, so that it cannot end a later test's loop.
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    giveUp.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

} // namespace
