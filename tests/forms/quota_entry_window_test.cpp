#include "admin/mdlDiskQuota.h"
#include "forms/frmQuotaEntry.h"
#include "platform/emulated/machine.h"
#include "tests/support/recorded_messages.h"
#include "tests/support/widgets.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

using emulated::Machine;
using testsupport::shownMessages;

class QuotaEntryWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Machine::instance().reset();
        shownMessages().clear();
        ASSERT_EQ(mdlDiskQuota::CreateLocalUser(u"localhost", u"quinn", u""), 0);
        window = std::make_unique<frmQuotaEntry>();
        window->setUser(QStringLiteral("quinn"));
        ASSERT_TRUE(testsupport::showActive(*window));
    }

    template <typename T = QWidget> T* control(const char* name) const
    {
        return testsupport::child<T>(*window, name);
    }

    QLineEdit* box(const char* name) const { return control<QLineEdit>(name); }
    QComboBox* list(const char* name) const { return control<QComboBox>(name); }
    void click(const char* name) const { testsupport::click(control(name)); }

    static const emulated::QuotaEntry* entryOnD()
    {
        const auto& entries = Machine::instance().volume(u'D')->entries;
        const auto found = entries.find(QStringLiteral("quinn"));
        return found == entries.end() ? nullptr : &found->second;
    }

    static QColor systemColour(QPalette::ColorRole role)
    {
        return QApplication::palette().color(role);
    }

    std::unique_ptr<frmQuotaEntry> window;
};

TEST_F(QuotaEntryWindowTest, StartsInItsDesignState)
{
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(control<QLabel>("lblUser")->text(), QStringLiteral("quinn"));
    EXPECT_EQ(control<QLabel>("Image1")->pixmap().size(), QSize(38, 41));
    EXPECT_EQ(QApplication::focusWidget(), control("optLmitNo"));

    EXPECT_FALSE(control<QRadioButton>("optLmitNo")->isChecked());
    EXPECT_FALSE(control<QRadioButton>("optLimitYes")->isChecked());
    EXPECT_EQ(box("txtDL")->text(), QStringLiteral("D:\\\\"));
    EXPECT_EQ(box("txtDL")->maxLength(), 4);
    for (const char* name : {"txtLval1", "txtLval2"}) {
        EXPECT_EQ(box(name)->text(), QStringLiteral("No Limit")) << name;
        EXPECT_TRUE(box(name)->alignment() & Qt::AlignRight) << name;
    }
    for (const char* name : {"cmbL1", "cmbL2"}) {
        EXPECT_EQ(list(name)->count(), 0) << name;
        EXPECT_FALSE(list(name)->isEditable()) << name;
    }
    EXPECT_EQ(box("txtLval1")->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(box("txtDL")->palette().color(QPalette::Base), QColor(Qt::white));
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->isDefault()) << qPrintable(button->objectName());
    }
}

TEST_F(QuotaEntryWindowTest, EachChoiceOfTheLimitOptionAddsAUnit)
{
    click("optLimitYes");
    click("optLimitYes");
    for (const char* name : {"cmbL1", "cmbL2"}) {
        EXPECT_EQ(list(name)->count(), 2) << name;
        EXPECT_EQ(list(name)->itemText(0), QStringLiteral("MB")) << name;
        EXPECT_EQ(list(name)->itemText(1), QStringLiteral("MB")) << name;
        EXPECT_EQ(list(name)->currentIndex(), 0) << name;
    }
    for (const char* name : {"txtLval1", "txtLval2", "cmbL1", "cmbL2"}) {
        EXPECT_EQ(control(name)->palette().color(QPalette::Base), systemColour(QPalette::Base));
        EXPECT_TRUE(control(name)->isEnabled()) << name;
    }
    EXPECT_EQ(box("txtLval1")->text(), QStringLiteral("1"));
    EXPECT_EQ(box("txtLval2")->text(), QStringLiteral("1"));
}

TEST_F(QuotaEntryWindowTest, TheNoLimitOptionEmptiesTheValuesAndGreysTheFields)
{
    click("optLimitYes");
    // Chosen by keyboard: the option takes the focus, Space chooses it.
    control("optLmitNo")->setFocus();
    QTest::keyClick(control("optLmitNo"), Qt::Key_Space);
    EXPECT_TRUE(control<QRadioButton>("optLmitNo")->isChecked());
    EXPECT_TRUE(box("txtLval1")->text().isEmpty());
    EXPECT_TRUE(box("txtLval2")->text().isEmpty());
    for (const char* name : {"txtLval1", "txtLval2", "cmbL1", "cmbL2"}) {
        EXPECT_EQ(control(name)->palette().color(QPalette::Base), systemColour(QPalette::Button))
            << name;
        EXPECT_TRUE(control(name)->isEnabled()) << name;
    }
    EXPECT_EQ(list("cmbL1")->count(), 1) << "the list keeps what it had";
}

TEST_F(QuotaEntryWindowTest, ValueBoxesTakeTypedDigitsOnly)
{
    QLineEdit* limit = box("txtLval1");
    limit->clear();
    QTest::keyClicks(limit, QStringLiteral("4x2 -"));
    EXPECT_EQ(limit->text(), QStringLiteral("42"));
    QTest::keyClick(limit, Qt::Key_Backspace);
    EXPECT_EQ(limit->text(), QStringLiteral("42")) << "Backspace is a character too";
    QTest::keyClick(limit, Qt::Key_Home);
    QTest::keyClick(limit, Qt::Key_Delete);
    EXPECT_EQ(limit->text(), QStringLiteral("2")) << "Delete types no character";

    QApplication::clipboard()->setText(QStringLiteral("7x"));
    QTest::keyClick(limit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(limit->text(), QStringLiteral("2"));
    limit->paste(); // as the context menu does
    EXPECT_EQ(limit->text(), QStringLiteral("7x2"));
}

TEST_F(QuotaEntryWindowTest, OkAppliesTheQuotaInMegabytesAndCloses)
{
    click("optLimitYes");
    box("txtLval1")->setText(QStringLiteral("0500"));
    box("txtLval2")->setText(QStringLiteral(" 450 "));
    click("cmdOK");

    EXPECT_FALSE(window->isVisible());
    ASSERT_NE(entryOnD(), nullptr);
    EXPECT_EQ(entryOnD()->limit, 500 * 1048576.0);
    EXPECT_EQ(entryOnD()->threshold, 450 * 1048576.0);
    EXPECT_TRUE(Machine::instance().volume(u'D')->logsThreshold);
    EXPECT_TRUE(shownMessages().empty());
}

TEST_F(QuotaEntryWindowTest, NoLimitGivesAnEntryWithoutLimit)
{
    click("cmdOK"); // the design's "No Limit" in both boxes
    ASSERT_NE(entryOnD(), nullptr);
    EXPECT_EQ(entryOnD()->limit, -1.0);

    Machine::instance().volume(u'D')->entries.clear();
    window->show();
    click("optLmitNo");
    click("cmdOK");
    ASSERT_NE(entryOnD(), nullptr);
    EXPECT_EQ(entryOnD()->limit, -1.0);
    EXPECT_EQ(entryOnD()->threshold, -1.0);
}

TEST_F(QuotaEntryWindowTest, AnEmptyDriveBoxKeepsTheWindowOpen)
{
    box("txtDL")->clear();
    click("cmdOK");
    ASSERT_EQ(shownMessages().size(), 1u);
    EXPECT_EQ(shownMessages()[0].text, u"Invalid Drive Letter.");
    EXPECT_EQ(shownMessages()[0].style, platform::MessageStyle::Information);
    EXPECT_EQ(shownMessages()[0].title, u"Local Users and Groups");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(entryOnD(), nullptr);
}

TEST_F(QuotaEntryWindowTest, QuotaFailuresAreShownAndTheWindowCloses)
{
    box("txtDL")->setText(QStringLiteral("   "));
    click("cmdOK");
    EXPECT_FALSE(window->isVisible());

    window->show();
    box("txtDL")->setText(QStringLiteral("Q:"));
    click("cmdOK");
    EXPECT_FALSE(window->isVisible());

    ASSERT_EQ(shownMessages().size(), 2u);
    EXPECT_EQ(shownMessages()[0].text,
              u"The filename, directory name, or volume label syntax is incorrect.");
    EXPECT_EQ(shownMessages()[1].text, u"The system cannot find the path specified.");
    EXPECT_EQ(shownMessages()[1].style, platform::MessageStyle::Critical);
}

TEST_F(QuotaEntryWindowTest, ValuesThatAreNoCountKeepTheWindowOpen)
{
    box("txtLval1")->setText(QStringLiteral("2147483648"));
    box("txtLval2")->setText(QStringLiteral("7x"));
    click("cmdOK");
    ASSERT_EQ(shownMessages().size(), 1u);
    EXPECT_EQ(shownMessages()[0].text, u"Invalid warning level.") << "checked first";
    EXPECT_EQ(shownMessages()[0].style, platform::MessageStyle::Information);
    EXPECT_EQ(QApplication::focusWidget(), box("txtLval2"));

    box("txtLval2")->setText(QStringLiteral("2147483647"));
    click("cmdOK");
    ASSERT_EQ(shownMessages().size(), 2u);
    EXPECT_EQ(shownMessages()[1].text, u"Invalid disk space limit.");
    EXPECT_EQ(QApplication::focusWidget(), box("txtLval1"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(entryOnD(), nullptr);
}

TEST_F(QuotaEntryWindowTest, CancelTheCloseBoxAndNoOtherKeyApplyNothing)
{
    QTest::keyClick(box("txtDL"), Qt::Key_Escape);
    QTest::keyClick(box("txtDL"), Qt::Key_Return);
    EXPECT_TRUE(window->isVisible()) << "no cancel and no default button";

    click("cmdCancel");
    EXPECT_FALSE(window->isVisible());
    window->show();
    window->close();
    EXPECT_FALSE(window->isVisible());

    EXPECT_EQ(entryOnD(), nullptr);
    EXPECT_TRUE(shownMessages().empty());
}

TEST_F(QuotaEntryWindowTest, EnterOnAFocusedButtonPressesIt)
{
    control("cmdOK")->setFocus();
    QTest::keyClick(control("cmdOK"), Qt::Key_Return);
    EXPECT_FALSE(window->isVisible());
    EXPECT_NE(entryOnD(), nullptr);
}

} // namespace
