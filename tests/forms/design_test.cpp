// The windows as their design lays them out: nothing clipped, every input
// named for a screen reader, and Tab through the inputs in the design's order.

#include "forms/frmNewUser.h"
#include "forms/frmQuotaEntry.h"
#include "tests/support/widgets.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <tuple>

namespace {

using namespace Qt::StringLiterals;

void expectNothingClipped(QWidget& window)
{
    window.ensurePolished();
    for (QWidget* control : window.findChildren<QWidget*>()) {
        QSize needed;
        if (auto* label = qobject_cast<QLabel*>(control)) {
            needed = label->sizeHint();
        } else if (auto* button = qobject_cast<QPushButton*>(control)) {
            const int margin =
                button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
            needed = button->fontMetrics().size(Qt::TextShowMnemonic, button->text()) +
                     QSize(2 * margin, 0);
        } else if (auto* option = qobject_cast<QAbstractButton*>(control)) {
            needed = QSize(option->sizeHint().width(), option->fontMetrics().height());
        } else if (auto* box = qobject_cast<QLineEdit*>(control)) {
            // The frame and the text margins take two pixels on each side.
            needed = QSize(box->fontMetrics().horizontalAdvance(box->text()) + 8,
                           box->fontMetrics().height() + 4);
        } else if (auto* list = qobject_cast<QComboBox*>(control)) {
            // Its widest item beside the arrow, as the style lays them out.
            needed = QSize(list->sizeHint().width(), list->fontMetrics().height());
        }
        EXPECT_LE(needed.width(), control->width()) << qPrintable(control->objectName());
        EXPECT_LE(needed.height(), control->height()) << qPrintable(control->objectName());
    }
}

// Each control's role, name and description, as a screen reader reads them.
using Reading = std::tuple<QString, QAccessible::Role, QString, QString>;

void expectReadings(QWidget& window, const std::vector<Reading>& readings)
{
    for (const auto& [name, role, accessibleName, description] : readings) {
        QAccessibleInterface* control =
            QAccessible::queryAccessibleInterface(testsupport::child(window, qPrintable(name)));
        ASSERT_NE(control, nullptr) << qPrintable(name);
        EXPECT_EQ(Reading(name, control->role(), control->text(QAccessible::Name),
                          control->text(QAccessible::Description)),
                  Reading(name, role, accessibleName, description));
    }
}

// The controls Tab moves through from the focused one, back to where it began.
QStringList tabOrder()
{
    QStringList order;
    const QWidget* start = QApplication::focusWidget();
    do {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    } while (QApplication::focusWidget() != start && order.size() < 20);
    return order;
}

TEST(DesignTest, NewUserWindow)
{
    frmNewUser window;
    EXPECT_EQ(window.size(), QSize(411, 367));
    expectNothingClipped(window);
    using enum QAccessible::Role;
    expectReadings(window, {{u"txtUserID"_s, EditableText, u"User name:"_s, {}},
                            {u"txtName"_s, EditableText, u"Full name:"_s, {}},
                            {u"txtDescr"_s, EditableText, u"Description:"_s, {}},
                            {u"txtPassword"_s, EditableText, u"Password:"_s, {}},
                            {u"txtConfirm"_s, EditableText, u"Confirm password:"_s, {}},
                            {u"txtServer"_s, EditableText, u"Server name:"_s, {}}});

    ASSERT_TRUE(testsupport::showActive(window));
    QTest::keyClicks(QApplication::focusWidget(), u"kim"_s);
    EXPECT_EQ(tabOrder(), (QStringList{u"txtPassword"_s, u"txtConfirm"_s, u"txtServer"_s,
                                       u"cmdCreate"_s, u"cmdClose"_s, u"txtUserID"_s}));
}

TEST(DesignTest, QuotaEntryWindow)
{
    frmQuotaEntry window;
    window.setUser(QString(20, u'M')); // the longest user name, in wide capitals
    EXPECT_EQ(window.size(), QSize(328, 216));
    expectNothingClipped(window);
    window.setUser(u"quinn"_s);
    using enum QAccessible::Role;
    expectReadings(window,
                   {{u"txtDL"_s, EditableText, u"Drive Letter:"_s, u"[must be NTFS drive)"_s},
                    {u"Image1"_s, Graphic, {}, u"Decorative picture"_s},
                    {u"lblUser"_s, StaticText, u"User: quinn"_s, {}},
                    {u"txtLval1"_s, EditableText, u"Limite disk space to"_s, {}},
                    {u"cmbL1"_s, ComboBox, u"Limite disk space to (unit)"_s, {}},
                    {u"txtLval2"_s, EditableText, u"Set warning level to"_s, {}},
                    {u"cmbL2"_s, ComboBox, u"Set warning level to (unit)"_s, {}}});

    ASSERT_TRUE(testsupport::showActive(window));
    EXPECT_EQ(tabOrder(), (QStringList{u"txtLval1"_s, u"txtLval2"_s, u"cmbL1"_s, u"cmbL2"_s,
                                       u"cmdCancel"_s, u"cmdOK"_s, u"txtDL"_s, u"optLmitNo"_s}));

    testsupport::click(testsupport::child(window, "optLimitYes")); // the unit lists get "MB"
    expectNothingClipped(window);
}

} // namespace
