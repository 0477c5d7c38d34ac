#include "admin/mdlDiskQuota.h"
#include "forms/frmNewUser.h"
#include "forms/frmQuotaEntry.h"
#include "platform/qt/password_box.h"
#include "tests/support/machine_probe.h"
#include "tests/support/recorded_messages.h"
#include "tests/support/told.h"
#include "tests/support/widgets.h"

#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>
#include <malloc.h>
#include <ranges>

namespace {

using namespace Qt::StringLiterals;
using namespace testsupport;
using emulated::Machine, emulated::MachineProbe;

// Sought in every heap block the process gives back, while watched: a secret
// in UTF-16 and in UTF-8, and the count of blocks found still holding it.
QByteArray secrets[2];
std::atomic<bool> watching{false};
std::atomic<int> freedHoldingSecret{0};

// Runs inside free(): it may not allocate.
void inspect(void* block)
{
    if (block != nullptr && watching && std::ranges::any_of(secrets, [&](const QByteArray& secret) {
            return memmem(block, malloc_usable_size(block), secret.constData(),
                          std::size_t(secret.size())) != nullptr;
        })) {
        ++freedHoldingSecret;
    }
}

// The quota entries on D:, by the account's DOMAIN\name.
const auto& entriesOnD()
{
    return Machine::instance().volume(u'D')->entries;
}

class NewUserWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MachineProbe::reset();
        watchCalls();
        takeShownMessages();
        ASSERT_TRUE(showActive(window));
    }
    // On every road the windows run each call of the machine under the wait
    // cursor, and leave none behind.
    void TearDown() override
    {
        EXPECT_TRUE(unwaited.isEmpty()) << qPrintable(unwaited.join(u", "));
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        MachineProbe::watchCalls(nullptr);
    }
    void watchCalls()
    {
        MachineProbe::watchCalls([this](QStringView call) {
            const QCursor* cursor = QGuiApplication::overrideCursor();
            calls << call.toString();
            if (cursor == nullptr || cursor->shape() != Qt::WaitCursor) {
                unwaited << call.toString();
            }
        });
    }

    QWidget* box(const char* name) { return child(window, name); }
    QLineEdit* lineEdit(const char* name) { return child<QLineEdit>(window, name); }
    QPushButton* create() { return child<QPushButton>(window, "cmdCreate"); }

    static constexpr const char* kBoxes[] = {"txtUserID", "txtPassword", "txtConfirm", "txtServer"};

    void type(const QStringList& texts)
    {
        for (int i = 0; i < texts.size(); ++i) {
            QTest::keyClicks(box(kBoxes[i]), texts[i]);
        }
    }
    // As screen readers read them, password boxes in masks.
    QStringList boxes()
    {
        QStringList texts;
        for (const char* name : kBoxes) {
            texts << QAccessible::queryAccessibleInterface(box(name))->text(QAccessible::Value);
        }
        return texts;
    }

    // Presses Create, acts on the quota window it opens, and presses OK there.
    void createThen(const std::function<void(QWidget& quota)>& act)
    {
        withModal([this] { click(create()); },
                  [&](QWidget& quota) {
                      EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "over the quota";
                      act(quota);
                      click(child(quota, "cmdOK"));
                  });
    }

    frmNewUser window;
    QStringList calls, unwaited;
};

TEST_F(NewUserWindowTest, EnterMovesOnCreateWaitsForANameAndTheCheckReportsTheFirstProblem)
{
    for (std::size_t i = 0; i + 1 < std::size(kBoxes); ++i) {
        ASSERT_EQ(QApplication::focusWidget(), box(kBoxes[i]));
        QTest::keyClick(box(kBoxes[i]), Qt::Key_Return);
        QCoreApplication::processEvents(); // the Tab is sent once Enter is done
        EXPECT_EQ(QApplication::focusWidget(), box(kBoxes[i + 1])) << "Enter moves to the next box";
    }

    EXPECT_FALSE(create()->isEnabled());
    type({u"  "_s, u"a"_s, u"A"_s});
    EXPECT_FALSE(create()->isEnabled());
    QTest::keyClicks(box("txtUserID"), u"a"_s);
    EXPECT_TRUE(create()->isEnabled());
    QTest::keyClick(box("txtUserID"), Qt::Key_Backspace);
    EXPECT_FALSE(create()->isEnabled());

    // Enabled or not, the check of the user name comes first.
    create()->setEnabled(true);
    click(create());
    EXPECT_EQ(takeShownMessages(), ShownMessages{{u"Invalid User ID"}});
    // Not typed, since Tab moves the focus: a tab is no blank, and reaches the
    // machine in the name as the box shows it.
    lineEdit("txtUserID")->insert(u"\tann\t"_s);
    click(create());
    EXPECT_EQ(takeShownMessages(),
              ShownMessages{{u"The password was not correctly confirmed. Please ensure that the "
                             u"password and confirmation match exactly."}});
    child<platform::PasswordBox>(window, "txtConfirm")->setText(u"a"_s);
    click(create());
    EXPECT_EQ(takeShownMessages(), ShownMessages{{u"Server name not specified."}});

    // Refused by the machine: its words, and every box as it was.
    lineEdit("txtServer")->setText(u"nowhere"_s);
    click(create());
    EXPECT_EQ(takeShownMessages(),
              ShownMessages{{u"Errors occured (Invalid Server name)  when adding user \tann\t"}});
    EXPECT_EQ(boxes(), (QStringList{u"  \tann\t"_s, u"*"_s, u"*"_s, u"nowhere"_s}));
    EXPECT_EQ(calls, QStringList{u"NetUserAdd"_s}) << "no lookup of an account not made";
}

TEST_F(NewUserWindowTest, FromTheFirstKeystrokeToTheAppliedQuotaAndClose)
{
    // No freed memory holds the password, in either encoding, from its first
    // keystroke to the account made, and screen readers are told of masks
    // only; blanks go from both ends of a value. Literals, so that no block
    // freed before the watch holds the password for a later one to free.
    const QString password = u"Zq9-Vx7!k"_s, padded = u" Zq9-Vx7!k "_s;
    secrets[0] = QByteArray(reinterpret_cast<const char*>(password.utf16()), password.size() * 2);
    secrets[1] = password.toUtf8();
    watching = true;
    takeToldOfPasswordBoxes();
    type({u" hal "_s, padded, password, u" localhost"_s});
    createThen([this](QWidget& quota) {
        EXPECT_EQ(child<QLabel>(quota, "lblUser")->text(), u"hal"_s);
        EXPECT_EQ(boxes(), (QStringList{{}, {}, {}, u" localhost"_s}));
        click(child(quota, "optLimitYes"));
        child<QLineEdit>(quota, "txtLval1")->setText(u"500"_s);
        child<QLineEdit>(quota, "txtLval2")->setText(u"400"_s);
    });
    watching = false;
    EXPECT_EQ(freedHoldingSecret, 0);
    const QStringList told = takeToldOfPasswordBoxes();
    EXPECT_GE(told.size(), padded.size() + password.size()) << "screen readers hear each key";
    EXPECT_TRUE(onlyMasks(told)) << qPrintable(told.join(u", "));

    EXPECT_TRUE(takeShownMessages().empty());
    // An ordinary user, no more, whose password is the one typed and no other.
    const emulated::Account* hal = MachineProbe::findAccount(u"hal"_s);
    ASSERT_NE(hal, nullptr);
    EXPECT_EQ(std::tuple(hal->privilege, hal->flags, hal->passwordAge,
                         hal->homeDirectory + hal->comment + hal->scriptPath,
                         MachineProbe::isPassword(u"hal"_s, password),
                         MachineProbe::isPassword(u"hal"_s, password.toLower())),
              std::tuple(1u, 0x200u, 3u, QString(), true, false));
    EXPECT_EQ(entriesOnD().at(Machine::instance().name() + u"\\hal"_s).threshold, 400 * 1048576.0);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), 1) << "the quota window is discarded";

    // Close ends the program. The fallback goes with the window, so that it
    // cannot end a later test's loop.
    QTimer::singleShot(0, create(), [this] { click(child(window, "cmdClose")); });
    QTimer::singleShot(5000, &window, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

TEST_F(NewUserWindowTest, TheQuotaLandsOnTheNewAccountAsTheBoxShowsItOrFailsOpenly)
{
    // A box ends its text at a NUL, as Windows' edit controls do; a byte-order
    // mark is a character of a name. This machine (domain CORP, controller
    // CORPDC) may hold the new name already; FILESRV, in a workgroup, has
    // accounts it cannot name. (Each server's name: the routines' test.)
    const QString here = Machine::instance().name() + u'\\';
    const ShownMessages noMapping{{u"No mapping between account names and security IDs was done."}};
    const std::tuple<QString, QString, QStringList, QString> roads[] = {
        {QStringView(u"nul\0x", 5).toString(), u"localhost"_s, {}, here + u"nul"_s},
        {u"\uFEFFb"_s, u"localhost"_s, {}, here + u"\uFEFFb"_s},
        {u"jdoe"_s, u"localhost"_s, {u"CORPDC"_s}, here + u"jdoe"_s},
        {u"jdoe"_s, u"\\\\corpdc"_s, {}, u"CORP\\jdoe"_s},
        {u"jdoe"_s, u"CORPDC"_s, {u"localhost"_s}, u"CORP\\jdoe"_s},
        {u"jdoe"_s, u"FILESRV"_s, {}, {}},
        {u"jdoe"_s, u"FILESRV"_s, {u"localhost"_s, u"CORPDC"_s}, {}},
    };
    for (const auto& [name, server, taken, landing] : roads) {
        SCOPED_TRACE(qPrintable(server + u' ' + taken.join(u',') + u' ' + landing));
        MachineProbe::reset();
        for (const QString& computer : taken) {
            ASSERT_EQ(mdlDiskQuota::CreateLocalUser(computer.toStdU16String(), u"jdoe", u""), 0);
        }
        watchCalls();
        lineEdit("txtUserID")->setText(name);
        lineEdit("txtServer")->setText(server);
        const QString shown = lineEdit("txtUserID")->text();
        createThen([&](QWidget& quota) {
            EXPECT_EQ(child<QLabel>(quota, "lblUser")->text(), shown);
            EXPECT_EQ(child<QComboBox>(quota, "cmbL1")->count(), 0) << "a fresh window each time";
            click(child(quota, "optLimitYes"));
        });
        EXPECT_EQ(takeShownMessages(), landing.isEmpty() ? noMapping : ShownMessages{});
        const auto landed = std::views::keys(entriesOnD());
        EXPECT_EQ(QStringList(landed.begin(), landed.end()),
                  landing.isEmpty() ? QStringList{} : QStringList{landing});
    }
}

// On a display, which has a selection: a middle click and Ctrl+Shift+Insert
// paste it, and the X11 keys delete to the end and the whole line. A middle
// click on an input method's unfinished text is the input method's, as in the
// toolkit's box, and pastes nothing; beside it, it pastes; read-only, nothing.
TEST(PasswordBoxTest, OnADisplayTheSelectionPastesAndX11KeysDelete)
{
    frmNewUser window;
    auto& box = *child<platform::PasswordBox>(window, "txtPassword");
    QApplication::clipboard()->setText(u"m1"_s, QClipboard::Selection);
    auto* masks = box.findChild<QLineEdit*>();
    QTest::keyClicks(&box, u"ab"_s);
    QTest::mouseClick(masks, Qt::MiddleButton, {}, QPoint(2, 5)); // at the start
    QTest::keyClick(&box, Qt::Key_Insert, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(&box, Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(box.password(), u"m1m1");
    QTest::keyClick(&box, Qt::Key_U, Qt::ControlModifier);
    QTest::keyClicks(&box, u"cd"_s);
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

// The design's box keeps its buffer out of swap while it lives (one of the
// toolkit's default 32767 characters would ask more than many containers lock).
TEST(PasswordBoxTest, LocksItsBufferWhileItLives)
{
    const auto lockedKilobytes = [] {
        std::ifstream file("/proc/self/status");
        const std::string status(std::istreambuf_iterator<char>(file), {});
        return std::stol(status.substr(status.find("VmLck:") + 6));
    };
    const long before = lockedKilobytes();
    {
        const frmNewUser window;
        EXPECT_EQ(child<platform::PasswordBox>(window, "txtPassword")->maxLength(), 10);
        EXPECT_GT(lockedKilobytes(), before);
    }
    EXPECT_EQ(lockedKilobytes(), before);
}

class QuotaEntryWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MachineProbe::reset();
        ASSERT_EQ(mdlDiskQuota::CreateLocalUser(u"localhost", u"quinn", u""), 0);
        takeShownMessages();
        window.setUser(u"quinn"_s, quinn().toStdU16String());
        ASSERT_TRUE(showActive(window));
    }

    QLineEdit* box(const char* name) { return child<QLineEdit>(window, name); }
    void click(const char* name) { testsupport::click(child(window, name)); }

    static QString quinn() { return Machine::instance().name() + u"\\quinn"_s; }

    // Each limit field shows the back colour of that role and takes input.
    void expectLimitFields(QPalette::ColorRole role)
    {
        for (const char* name : {"txtLval1", "txtLval2", "cmbL1", "cmbL2"}) {
            const QWidget* field = child(window, name);
            EXPECT_EQ(field->palette().color(QPalette::Base), QApplication::palette().color(role))
                << name;
            EXPECT_TRUE(field->isEnabled()) << name;
        }
    }

    frmQuotaEntry window;
};

TEST_F(QuotaEntryWindowTest, TheOptionsFillTheValuesUnitsAndColours)
{
    click("optLimitYes");
    click("optLimitYes");
    for (const char* name : {"cmbL1", "cmbL2"}) {
        const auto* units = child<QComboBox>(window, name);
        EXPECT_EQ(QStringList({units->itemText(0), units->itemText(1)}), QStringList({"MB", "MB"}));
        EXPECT_EQ(units->count(), 2) << "one MB for each choice";
        EXPECT_EQ(units->currentIndex(), 0) << "the first is selected";
    }
    EXPECT_EQ(box("txtLval1")->text() + u'/' + box("txtLval2")->text(), u"1/1"_s);
    expectLimitFields(QPalette::Base);

    click("optLmitNo");
    EXPECT_EQ(box("txtLval1")->text() + u'/' + box("txtLval2")->text(), u"/"_s);
    expectLimitFields(QPalette::Button);

    // The value boxes take typed digits only: "0" and "9" pass; "/" and ":",
    // their neighbours, do not.
    QLineEdit* limit = box("txtLval1");
    QTest::keyClicks(limit, u"0/4x9: -"_s);
    QTest::keyClick(limit, Qt::Key_Backspace);
    QApplication::clipboard()->setText(u"7"_s);
    QTest::keyClick(limit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(limit->text(), u"049"_s);
}

TEST_F(QuotaEntryWindowTest, OkAppliesTheValuesInMegabytesShowsTheFailureOrRefusesThem)
{
    // Refusals first, while no entry is applied: the drive, then the warning
    // level, then the limit, the window left open, a refused count focused.
    // Blanks only pass the check and trim to nothing; a line feed is no blank
    // and stays. A failure closes the window, every entry left as it was.
    const std::u16string syntax =
        u"The filename, directory name, or volume label syntax is incorrect.";
    const std::tuple<QString, QString, QString, double, double, std::u16string, const char*>
        rows[] = {{{}, u"2147483648"_s, u"7x"_s, 0, 0, u"Invalid Drive Letter.", "cmdOK"},
                  {u"D:"_s, u"2147483648"_s, u"7x"_s, 0, 0, u"Invalid warning level.", "txtLval2"},
                  {u"D:"_s, u"2147483648"_s, u"2147483647"_s, 0, 0, u"Invalid disk space limit.",
                   "txtLval1"},
                  {u" D: "_s, u"0500"_s, u" 450 "_s, 500 * 1048576.0, 450 * 1048576.0, {}, nullptr},
                  {u"D:"_s, u"No Limit"_s, u"No Limit"_s, -1, -1, {}, nullptr},
                  {u"D:"_s, {}, {}, -1, -1, {}, nullptr},
                  {u"   "_s, u"7"_s, u"6"_s, -1, -1, syntax, nullptr},
                  {u"C:\n"_s, u"7"_s, u"6"_s, -1, -1, syntax, nullptr}};
    for (const auto& [drive, limit, warning, limitBytes, warningBytes, failure, refused] : rows) {
        SCOPED_TRACE(qPrintable(drive + u' ' + limit + u' ' + warning));
        window.show();
        box("txtDL")->setText(drive);
        box("txtLval1")->setText(limit);
        box("txtLval2")->setText(warning);
        click("cmdOK");
        EXPECT_EQ(window.isVisible(), refused != nullptr);
        if (refused != nullptr) {
            EXPECT_EQ(takeShownMessages(),
                      (ShownMessages{{failure, platform::MessageStyle::Information}}));
            EXPECT_EQ(QApplication::focusWidget(), child(window, refused));
            EXPECT_TRUE(entriesOnD().empty());
            continue;
        }
        const emulated::QuotaEntry& entry = entriesOnD().at(quinn());
        EXPECT_EQ(std::pair(entry.limit, entry.threshold), std::pair(limitBytes, warningBytes));
        EXPECT_EQ(takeShownMessages(),
                  failure.empty() ? ShownMessages{} : ShownMessages{{failure}});
    }
}

TEST_F(QuotaEntryWindowTest, OnlyOkOrCancelCloseTheWindow)
{
    // Neither Escape nor Enter in a box closes it: there is no cancel and no
    // default button. With values OK would take, a wrong press of OK would
    // apply them. Enter on Cancel and the close box close it, and apply nothing.
    click("optLimitYes");
    for (const char* name : {"txtDL", "txtLval1", "txtLval2"}) {
        SCOPED_TRACE(name);
        QTest::keyClick(box(name), Qt::Key_Escape);
        QTest::keyClick(box(name), Qt::Key_Return);
        EXPECT_TRUE(window.isVisible());
    }
    QWidget* cancel = child(window, "cmdCancel");
    cancel->setFocus();
    QTest::keyClick(cancel, Qt::Key_Return);
    EXPECT_FALSE(window.isVisible());
    window.show();
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(entriesOnD().empty());
    EXPECT_TRUE(takeShownMessages().empty());
}

} // namespace

// Every library of the process frees through these, the toolkit and the
// standard library's operator delete included, and glibc's own entry points
// do the work once the block was inspected.
extern "C" void __libc_free(void* block);
extern "C" void* __libc_realloc(void* block, std::size_t size);
extern "C" void free(void* block)
{
    inspect(block);
    __libc_free(block);
}
extern "C" void* realloc(void* block, std::size_t size)
{
    const int before = freedHoldingSecret;
    inspect(block);
    void* moved = __libc_realloc(block, size);
    if (moved == block) {
        freedHoldingSecret = before; // grown in place: nothing was given back
    }
    return moved;
}
