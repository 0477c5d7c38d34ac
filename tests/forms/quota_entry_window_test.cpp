#include "admin/mdlDiskQuota.h"
#include "forms/frmQuotaEntry.h"
#include "tests/support/machine_probe.h"
#include "tests/support/recorded_messages.h"
#include "tests/support/widgets.h"

#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>

namespace {

using namespace Qt::StringLiterals;
using emulated::Machine;
using platform::MessageStyle;
using testsupport::ShownMessages;
using testsupport::takeShownMessages;

class QuotaEntryWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        emulated::MachineProbe::reset();
        ASSERT_EQ(mdlDiskQuota::CreateLocalUser(u"localhost", u"quinn", u""), 0);
        takeShownMessages();
        window.setUser(u"quinn"_s, quinn().toStdU16String());
        ASSERT_TRUE(testsupport::showActive(window));
    }

    QLineEdit* box(const char* name) { return testsupport::child<QLineEdit>(window, name); }
    void click(const char* name) { testsupport::click(testsupport::child(window, name)); }

    static const auto& entriesOnD() { return Machine::instance().volume(u'D')->entries; }
    static QString quinn() { return Machine::instance().name() + u"\\quinn"_s; }

    // Each limit field shows the back colour of that role and takes input.
    void expectLimitFields(QPalette::ColorRole role)
    {
        for (const char* name : {"txtLval1", "txtLval2", "cmbL1", "cmbL2"}) {
            const QWidget* field = testsupport::child(window, name);
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
        const auto* units = testsupport::child<QComboBox>(window, name);
        EXPECT_EQ(QStringList({units->itemText(0), units->itemText(1)}), QStringList({"MB", "MB"}));
        EXPECT_EQ(units->count(), 2) << "one MB for each choice";
        EXPECT_EQ(units->currentIndex(), 0) << "the first is selected";
    }
    EXPECT_EQ(QStringList({box("txtLval1")->text(), box("txtLval2")->text()}),
              QStringList({"1", "1"}));
    expectLimitFields(QPalette::Base);

    click("optLmitNo");
    EXPECT_EQ(box("txtLval1")->text() + box("txtLval2")->text(), QString());
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

TEST_F(QuotaEntryWindowTest, OkAppliesTheValuesInMegabytesAndCloses)
{
    const std::tuple<QString, QString, double, double> rows[] = {
        {u"0500"_s, u" 450 "_s, 500 * 1048576.0, 450 * 1048576.0},
        {u"No Limit"_s, u"No Limit"_s, -1, -1},
        {{}, {}, -1, -1}};
    box("txtDL")->setText(u" D: "_s);
    for (const auto& [limit, warning, limitBytes, warningBytes] : rows) {
        SCOPED_TRACE(qPrintable(limit));
        window.show();
        box("txtLval1")->setText(limit);
        box("txtLval2")->setText(warning);
        click("cmdOK");
        EXPECT_FALSE(window.isVisible());
        const emulated::QuotaEntry& entry = entriesOnD().at(quinn());
        EXPECT_EQ(std::pair(entry.limit, entry.threshold), std::pair(limitBytes, warningBytes));
    }
    EXPECT_TRUE(takeShownMessages().empty());
}

TEST_F(QuotaEntryWindowTest, OnlyOkWithADriveAndCountsOrCancelCloseTheWindow)
{
    // The drive is checked first, then the warning level, then the limit;
    // a refused value gets the focus.
    const std::tuple<QString, QString, QString, std::u16string, const char*> refused[] = {
        {{}, u"2147483648"_s, u"7x"_s, u"Invalid Drive Letter.", nullptr},
        {u"D:"_s, u"2147483648"_s, u"7x"_s, u"Invalid warning level.", "txtLval2"},
        {u"D:"_s, u"2147483648"_s, u"2147483647"_s, u"Invalid disk space limit.", "txtLval1"}};
    for (const auto& [drive, limit, warning, notice, focus] : refused) {
        box("txtDL")->setText(drive);
        box("txtLval1")->setText(limit);
        box("txtLval2")->setText(warning);
        click("cmdOK");
        EXPECT_EQ(takeShownMessages(), (ShownMessages{{notice, MessageStyle::Information}}));
        if (focus != nullptr) {
            EXPECT_EQ(QApplication::focusWidget(), box(focus));
        }
    }

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
    QWidget* cancel = testsupport::child(window, "cmdCancel");
    cancel->setFocus();
    QTest::keyClick(cancel, Qt::Key_Return);
    EXPECT_FALSE(window.isVisible());
    window.show();
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(entriesOnD().empty());
    EXPECT_TRUE(takeShownMessages().empty());
}

TEST_F(QuotaEntryWindowTest, AQuotaFailureIsShownAndTheWindowClosesAnyway)
{
    // Blanks only pass the window's check and trim to nothing; a line feed is
    // no blank and stays.
    for (const QString& drive : {u"   "_s, u"C:\n"_s}) {
        SCOPED_TRACE(qPrintable(drive));
        window.show();
        box("txtDL")->setText(drive);
        click("cmdOK");
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(takeShownMessages(),
                  ShownMessages{{u"The filename, directory name, or volume label syntax is "
                                 u"incorrect."}});
    }
    EXPECT_TRUE(Machine::instance().volume(u'C')->entries.empty());
}

} // namespace
