#include "forms/frmQuotaEntry.h"

#include "admin/mdlDiskQuota.h"
#include "forms/design.h"
#include "forms/trim.h"
#include "platform/messagebox.h"
#include "platform/qt/keyboard.h"
#include "platform/qt/override_cursor.h"
#include "ui_frmQuotaEntry.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWindow>
#include <algorithm>
#include <limits>

using forms::trimBlanks;

namespace {

void showInformation(std::u16string_view text)
{
    platform::MsgBox(text, platform::MessageStyle::Information, mdlDiskQuota::kMessageTitle);
}

void setBackColour(QWidget& control, const QColor& colour)
{
    QPalette palette = control.palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Button, colour);
    control.setPalette(palette);
}

} // namespace

frmQuotaEntry::frmQuotaEntry(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmQuotaEntry>())
{
    ui->setupUi(this);
    design::setUpWindow(*this);
    setBackColour(*ui->txtLval1, Qt::white);
    setBackColour(*ui->txtDL, Qt::white);

    // The note is smaller than the rest, in the same face: the design's Small
    // Fonts is a raster face too.
    QFont noteFont = font();
    noteFont.setPointSizeF(6.75);
    ui->Label1_4->setFont(noteFont);

    // A screen reader names each input after the caption beside it in the
    // design, so that the limit and the warning level can be told apart.
    QString limit = ui->optLimitYes->text();
    limit.remove(u'&');
    const QString warning = ui->Label1_2->text();
    ui->txtLval1->setAccessibleName(limit);
    ui->cmbL1->setAccessibleName(limit + QStringLiteral(" (unit)"));
    ui->txtLval2->setAccessibleName(warning);
    ui->cmbL2->setAccessibleName(warning + QStringLiteral(" (unit)"));
    ui->txtDL->setAccessibleName(ui->Label1_3->text());
    ui->txtDL->setAccessibleDescription(ui->Label1_4->text());
    ui->Image1->setAccessibleDescription(QStringLiteral("Decorative picture"));

    connect(ui->cmdOK, &QPushButton::clicked, this, &frmQuotaEntry::cmdOK_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &frmQuotaEntry::cmdCancel_Click);
    connect(ui->optLmitNo, &QRadioButton::clicked, this, &frmQuotaEntry::optLmitNo_Click);
    connect(ui->optLimitYes, &QRadioButton::clicked, this, &frmQuotaEntry::optLimitYes_Click);
    platform::onKeyPress(ui->txtLval1, &frmQuotaEntry::txtLval_KeyPress);
    platform::onKeyPress(ui->txtLval2, &frmQuotaEntry::txtLval_KeyPress);
}

frmQuotaEntry::~frmQuotaEntry() = default;

void frmQuotaEntry::setUser(const QString& userName, std::u16string accountName)
{
    accountName_ = std::move(accountName);
    ui->lblUser->setText(userName);
    ui->lblUser->setAccessibleName(ui->Label1_0->text() + QChar(u' ') + userName);
}

void frmQuotaEntry::keyPressEvent(QKeyEvent* event)
{
    // The window has no cancel button and no default button: Escape does not
    // close it, and Enter presses only a button that has the focus.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmQuotaEntry::showEvent(QShowEvent* event)
{
    // No window owns this one; it stands over the window that was active when
    // it opened, which also keeps it out of the task bar.
    if (QWindow* window = windowHandle();
        window != nullptr && window->transientParent() == nullptr) {
        window->setTransientParent(QGuiApplication::focusWindow());
    }
    QDialog::showEvent(event);
}

void frmQuotaEntry::cmdOK_Click()
{
    if (ui->txtDL->text().isEmpty()) {
        showInformation(u"Invalid Drive Letter.");
        return;
    }
    const std::u16string volumePath(trimBlanks(ui->txtDL->text()));
    const std::optional<std::int32_t> warning = Megabytes(*ui->txtLval2, u"Invalid warning level.");
    if (!warning) {
        return;
    }
    const std::optional<std::int32_t> limit =
        Megabytes(*ui->txtLval1, u"Invalid disk space limit.");
    if (!limit) {
        return;
    }
    {
        // Resolving the account's name alone may take seconds.
        const platform::OverrideCursor waiting(Qt::WaitCursor);
        // The routine shows its own failures; the window closes either way.
        mdlDiskQuota::SetUserDiskQuota(volumePath, accountName_, *limit, *warning);
    }
    accept();
}

void frmQuotaEntry::cmdCancel_Click()
{
    reject();
}

void frmQuotaEntry::optLmitNo_Click()
{
    ui->txtLval1->clear();
    ui->txtLval2->clear();
    SetLimitFieldsLook(false);
}

void frmQuotaEntry::optLimitYes_Click()
{
    ui->txtLval1->setText(QStringLiteral("1"));
    ui->txtLval2->setText(QStringLiteral("1"));
    FillUnitList(*ui->cmbL1);
    FillUnitList(*ui->cmbL2);
    SetLimitFieldsLook(true);
}

bool frmQuotaEntry::txtLval_KeyPress(int keyAscii)
{
    return keyAscii >= '0' && keyAscii <= '9';
}

void frmQuotaEntry::FillUnitList(QComboBox& unitList)
{
    unitList.addItem(QStringLiteral("MB"));
    unitList.setCurrentIndex(0);
}

void frmQuotaEntry::SetLimitFieldsLook(bool limited)
{
    const QColor colour =
        QApplication::palette().color(limited ? QPalette::Base : QPalette::Button);
    for (QWidget* field :
         std::initializer_list<QWidget*>{ui->txtLval1, ui->txtLval2, ui->cmbL1, ui->cmbL2}) {
        setBackColour(*field, colour);
    }
}

std::optional<std::int32_t> frmQuotaEntry::Megabytes(QLineEdit& valueBox, const char16_t* invalid)
{
    const QString valueText = valueBox.text();
    const QStringView text(trimBlanks(valueText));
    if (text.isEmpty() || text == u"No Limit") {
        return -1;
    }
    const bool digitsOnly =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    bool inRange = false;
    const qlonglong megabytes = text.toLongLong(&inRange);
    if (digitsOnly && inRange && megabytes <= std::numeric_limits<std::int32_t>::max()) {
        return static_cast<std::int32_t>(megabytes);
    }
    showInformation(invalid);
    valueBox.setFocus();
    return std::nullopt;
}
