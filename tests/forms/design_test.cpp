#include "forms/frmNewUser.h"
#include "forms/frmQuotaEntry.h"
#include "platform/messagebox.h"
#include "platform/qt/override_cursor.h"
#include "tests/support/widgets.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QCursor>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <span>
#include <tuple>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

using namespace Qt::StringLiterals;
using namespace testsupport;

// The control is drawn in the face and size its font asks for, and in a face
// that scales: never a raster face, which snaps to a size of its own and is
// magnified above 96 dots per inch.
void expectDrawnAsAsked(const QWidget& control)
{
    const QFontInfo drawn(control.font());
    const QString name = control.objectName();
    EXPECT_EQ(drawn.family(), control.font().family()) << qPrintable(name);
    EXPECT_NEAR(drawn.pointSizeF(), control.font().pointSizeF(), 0.1) << qPrintable(name);
    EXPECT_TRUE(QFontDatabase::isSmoothlyScalable(drawn.family(), drawn.styleName()))
        << qPrintable(name) << " is drawn in a raster face";
}

// The shown window is its size in the design. With the windows platform, the
// screen's density is TEST_SCREEN_DPI, where that is set, and the client area,
// as Windows measures it, is that size at the screen's scale, within rounding.
void expectSizeAsDesigned(QWidget& window, QSize designed)
{
    EXPECT_EQ(window.size(), designed);
#ifdef Q_OS_WIN
    if (QGuiApplication::platformName() != u"windows") {
        return;
    }
    auto* const handle = reinterpret_cast<HWND>(window.winId());
    HDC screen = GetDC(handle);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(handle, screen);
    if (qEnvironmentVariableIsSet("TEST_SCREEN_DPI")) {
        EXPECT_EQ(dpi, qEnvironmentVariableIntValue("TEST_SCREEN_DPI")) << "the screen's density";
    }
    RECT client{};
    ASSERT_TRUE(GetClientRect(handle, &client));
    EXPECT_NEAR(client.right, designed.width() * dpi / 96.0, 2);
    EXPECT_NEAR(client.bottom, designed.height() * dpi / 96.0, 2);
#endif
}

// Every caption and box text whole, with a pixel to spare, in the face asked
// for; the picture whole.
void expectNothingClipped(QWidget& window)
{
    window.ensurePolished();
    for (QWidget* control : window.findChildren<QWidget*>()) {
        expectDrawnAsAsked(*control);
        QSize needed;
        if (auto* label = qobject_cast<QLabel*>(control)) {
            // The picture fills its control exactly.
            needed = label->sizeHint() - (label->text().isEmpty() ? QSize(1, 1) : QSize());
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
        EXPECT_LT(needed.width(), control->width()) << qPrintable(control->objectName());
        EXPECT_LT(needed.height(), control->height()) << qPrintable(control->objectName());
    }
}

// Each caption's width in the design's font at 96 dots per inch, the 8-point
// MS Sans Serif (the drive note 6.75-point Small Fonts), as Wine's
// sserife.fon and smalle.fon measure it. The face drawn in its stead may be
// a little narrower, not much.
using Width = std::pair<const char*, int>;
void expectCaptionsAsWideAsDesigned(const QWidget& window, std::span<const Width> widths)
{
    for (const auto& [name, designed] : widths) {
        const QWidget* control = child(window, name);
        const QString caption = control->property("text").toString();
        const int width = control->fontMetrics().size(Qt::TextShowMnemonic, caption).width();
        EXPECT_GE(width, 0.85 * designed) << name;
    }
}

// Each control's role, name and description, as a screen reader reads them.
using Reading = std::tuple<QString, QAccessible::Role, QString, QString>;
void expectReadings(QWidget& window, const std::vector<Reading>& readings)
{
    for (const auto& [name, role, accessibleName, description] : readings) {
        QAccessibleInterface* control =
            QAccessible::queryAccessibleInterface(child(window, qPrintable(name)));
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
    expectNothingClipped(window);
    const Width widths[] = {{"chkOp1", 198},  {"chkOp2", 145},   {"chkOp3", 112},
                            {"chkOp4", 92},   {"cmdCreate", 31}, {"cmdClose", 26},
                            {"Label1_0", 54}, {"Label1_1", 48},  {"Label1_2", 56},
                            {"Label1_3", 49}, {"Label1_4", 86},  {"Label1_5", 63}};
    expectCaptionsAsWideAsDesigned(window, widths);
    using enum QAccessible::Role;
    expectReadings(window, {{u"txtUserID"_s, EditableText, u"User name:"_s, {}},
                            {u"txtName"_s, EditableText, u"Full name:"_s, {}},
                            {u"txtDescr"_s, EditableText, u"Description:"_s, {}},
                            {u"txtPassword"_s, EditableText, u"Password:"_s, {}},
                            {u"txtConfirm"_s, EditableText, u"Confirm password:"_s, {}},
                            {u"txtServer"_s, EditableText, u"Server name:"_s, {}}});

    ASSERT_TRUE(showActive(window));
    expectSizeAsDesigned(window, QSize(411, 367));
    QTest::keyClicks(QApplication::focusWidget(), u"kim"_s);
    EXPECT_EQ(tabOrder(), (QStringList{u"txtPassword"_s, u"txtConfirm"_s, u"txtServer"_s,
                                       u"cmdCreate"_s, u"cmdClose"_s, u"txtUserID"_s}));
}

TEST(DesignTest, QuotaEntryWindow)
{
    frmQuotaEntry window;
    window.setUser(QString(20, u'M'), {}); // the longest user name, in wide capitals
    expectNothingClipped(window);
    const Width widths[] = {{"optLmitNo", 106},  {"Label1_0", 25}, {"Label1_1", 179},
                            {"optLimitYes", 93}, {"Label1_2", 93}, {"cmdCancel", 33},
                            {"cmdOK", 15},       {"Label1_3", 58}, {"Label1_4", 88}};
    expectCaptionsAsWideAsDesigned(window, widths);
    window.setUser(u"quinn"_s, {});
    using enum QAccessible::Role;
    expectReadings(window,
                   {{u"txtDL"_s, EditableText, u"Drive Letter:"_s, u"[must be NTFS drive)"_s},
                    {u"Image1"_s, Graphic, {}, u"Decorative picture"_s},
                    {u"lblUser"_s, StaticText, u"User: quinn"_s, {}},
                    {u"txtLval1"_s, EditableText, u"Limite disk space to"_s, {}},
                    {u"cmbL1"_s, ComboBox, u"Limite disk space to (unit)"_s, {}},
                    {u"txtLval2"_s, EditableText, u"Set warning level to"_s, {}},
                    {u"cmbL2"_s, ComboBox, u"Set warning level to (unit)"_s, {}}});

    ASSERT_TRUE(showActive(window));
    expectSizeAsDesigned(window, QSize(328, 216));
    EXPECT_EQ(tabOrder(), (QStringList{u"txtLval1"_s, u"txtLval2"_s, u"cmbL1"_s, u"cmbL2"_s,
                                       u"cmdCancel"_s, u"cmdOK"_s, u"txtDL"_s, u"optLmitNo"_s}));

    click(child(window, "optLimitYes")); // the unit lists get "MB"
    expectNothingClipped(window);
}

// The toolkit's box, which every report goes through.
TEST(MessageBoxTest, ShowsTheTextWholeModallyWithTheStylesIconOneOkButtonAndTheArrow)
{
    // The longest message the windows give, which the box wraps, with the
    // wait cursor of the work that failed still over the windows.
    const char16_t* const text = u"The password was not correctly confirmed. Please ensure that "
                                 u"the password and confirmation match exactly. <b>x</b>";
    const platform::OverrideCursor waiting(Qt::WaitCursor);
    const std::pair<platform::MessageStyle, QMessageBox::Icon> styles[] = {
        {platform::MessageStyle::Critical, QMessageBox::Critical},
        {platform::MessageStyle::Information, QMessageBox::Information}};
    for (const auto& [style, icon] : styles) {
        SCOPED_TRACE(int(style));
        withModal([&, style = style] { platform::MsgBox(text, style, u"Local Users and Groups"); },
                  [&, icon = icon](QWidget& modal) {
                      ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
                      EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);
                      auto* box = qobject_cast<QMessageBox*>(&modal);
                      ASSERT_NE(box, nullptr);
                      EXPECT_EQ(box->windowTitle(), u"Local Users and Groups"_s);
                      EXPECT_EQ(box->text(), QString::fromUtf16(text));
                      EXPECT_EQ(box->textFormat(), Qt::PlainText) << "a name is never markup";
                      EXPECT_EQ(box->icon(), icon);
                      ASSERT_EQ(box->buttons().size(), 1);
                      EXPECT_EQ(box->standardButton(box->buttons().front()), QMessageBox::Ok);

                      // Whole, in the face the box asks for: a missing one would
                      // be answered with whatever the font matcher picks.
                      const auto* label = child<QLabel>(*box, "qt_msgbox_label");
                      expectDrawnAsAsked(*label);
                      const QRect room = label->contentsRect();
                      EXPECT_TRUE(room.contains(label->fontMetrics().boundingRect(
                          room, Qt::TextWordWrap | label->alignment(), label->text())))
                          << room.width() << "x" << room.height();
                      click(box->buttons().front());
                  });
    }
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr) << "once it is closed";
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
}

} // namespace
