#include "admin/mdlDiskQuota.h"
#include "forms/frmQuotaEntry.h"
#include "tests/support/machine_probe.h"
#include "tests/support/recorded_messages.h"
#include "tests/support/widgets.h"

#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

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
        window.setUser(u"quinn"_s);
        ASSERT_TRUE(testsupport::showActive(window));
    }

    QLineEdit* box(const char* name) { return testsupport::child<QLineEdit>(window, name); }
    void click(const char* name) { testsupport::click(testsupport::child(window, name)); }

    static const emulated::QuotaEntry* entryOnD()
    {
        const auto& entries = Machine::instance().volume(u'D')->entries;
        const auto found = entries.find(u"quinn"_s);
        return found == entries.end() ? nullptr : &found->second;
    }

    // Each limit field's back colour, and whether it takes input.
    std::vector<std::pair<QColor, bool>> limitFields()
    {
        std::vector<std::pair<QColor, bool>> fields;
        for (const char* name : {"txtLval1", "txtLval2", "cmbL1", "cmbL2"}) {
            const QWidget* field = testsupport::child(window, name);
            fields.emplace_back(field->palette().color(QPalette::Base), field->isEnabled());
        }
        return fields;
    }

    frmQuotaEntry window;
};

TEST_F(QuotaEntryWindowTest, TheOptionsFillTheValuesUnitsAndColours)
{
    const auto look = [](QPalette::ColorRole role) {
        return std::vector(4, std::pair(QApplication::palette().color(role), true));
    };
    click("optLimitYes");
    click("optLimitYes");
    for (const char* name : {"cmbL1", "cmbL2"}) {
        const auto* units = testsupport::child<QComboBox>(window, name);
        EXPECT_EQ(units->count(), 2) << "one MB for each choice";
        EXPECT_EQ(units->itemText(0), u"MB"_s);
        EXPECT_EQ(units->itemText(1), u"MB"_s);
        EXPECT_EQ(units->currentIndex(), 0) << "the first is selected";
    }
    EXPECT_EQ(box("txtLval1")->text(), u"1"_s);
    EXPECT_EQ(box("txtLval2")->text(), u"1"_s);
    EXPECT_EQ(limitFields(), look(QPalette::Base));

    click("optLmitNo");
    EXPECT_TRUE(box("txtLval1")->text().isEmpty());
    EXPECT_TRUE(box("txtLval2")->text().isEmpty());
    EXPECT_EQ(limitFields(), look(QPalette::Button));
}

TEST_F(QuotaEntryWindowTest, ValueBoxesTakeTypedDigitsOnly)
{
    QLineEdit* limit = box("txtLval1");
    limit->clear();
    // "0" and "9" pass; "/" and ":", their neighbours, do not.
    QTest::keyClicks(limit, u"0/4x9: -"_s);
    QTest::keyClick(limit, Qt::Key_Backspace);
    QApplication::clipboard()->setText(u"7"_s);
    QTest::keyClick(limit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(limit->text(), u"049"_s);
}

TEST_F(QuotaEntryWindowTest, OkAppliesTheValuesInMegabytesAndCloses)
{
    const std::pair<QString, QString> values[] = {
        {u"0500"_s, u" 450 "_s}, {u"No Limit"_s, u"No Limit"_s}, {QString(), QString()}};
    const std::pair<double, double> bytes[] = {
        {500 * 1048576.0, 450 * 1048576.0}, {-1.0, -1.0}, {-1.0, -1.0}};
    box("txtDL")->setText(u" D: "_s);
    for (std::size_t i = 0; i < std::size(values); ++i) {
        SCOPED_TRACE(qPrintable(values[i].first));
        window.show();
        box("txtLval1")->setText(values[i].first);
        box("txtLval2")->setText(values[i].second);
        click("cmdOK");
        EXPECT_FALSE(window.isVisible());
        ASSERT_NE(entryOnD(), nullptr);
        EXPECT_EQ(std::pair(entryOnD()->limit, entryOnD()->threshold), bytes[i]);
    }
    EXPECT_TRUE(takeShownMessages().empty());
}

TEST_F(QuotaEntryWindowTest, OnlyOkWithADriveAndCountsOrCancelCloseTheWindow)
{
    box("txtDL")->clear();
    click("cmdOK");
    EXPECT_EQ(takeShownMessages(),
              (ShownMessages{{u"Invalid Drive Letter.", MessageStyle::Information}}));

    box("txtDL")->setText(u"D:"_s);
    box("txtLval1")->setText(u"2147483648"_s);
    box("txtLval2")->setText(u"7x"_s);
    click("cmdOK");
    EXPECT_EQ(takeShownMessages(),
              (ShownMessages{{u"Invalid warning level.", MessageStyle::Information}}));
    EXPECT_EQ(QApplication::focusWidget(), box("txtLval2"));
    box("txtLval2")->setText(u"2147483647"_s);
    click("cmdOK");
    EXPECT_EQ(takeShownMessages(),
              (ShownMessages{{u"Invalid disk space limit.", MessageStyle::Information}}));
    EXPECT_EQ(QApplication::focusWidget(), box("txtLval1"));

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
    EXPECT_EQ(entryOnD(), nullptr);
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
