#include "forms/frmNewUser.h"

#include "admin/mdlDiskQuota.h"
#include "forms/design.h"
#include "forms/frmQuotaEntry.h"
#include "platform/messagebox.h"
#include "platform/qt/keyboard.h"
#include "ui_frmNewUser.h"

#include <QCoreApplication>

using design::trimBlanks;

frmNewUser::frmNewUser(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::frmNewUser>())
{
    ui->setupUi(this);
    design::setUpWindow(*this);

    connect(ui->cmdCreate, &QPushButton::clicked, this, &frmNewUser::cmdCreate_Click);
    connect(ui->cmdClose, &QPushButton::clicked, this, &frmNewUser::cmdClose_Click);
    connect(ui->txtUserID, &QLineEdit::textChanged, this, &frmNewUser::txtUserID_Change);
    platform::onKeyPreview(this, [this](int keyAscii) { return Form_KeyPress(keyAscii); });
}

frmNewUser::~frmNewUser() = default;

void frmNewUser::cmdCreate_Click()
{
    const QString problem = ValidateInput();
    if (!problem.isEmpty()) {
        platform::MsgBox(problem.toStdU16String(), platform::MessageStyle::Critical,
                         mdlDiskQuota::kMessageTitle);
        return;
    }

    const std::u16string userName = trimBlanks(ui->txtUserID->text()).toStdU16String();
    const std::u16string password = trimBlanks(ui->txtPassword->text()).toStdU16String();
    const std::u16string serverName = trimBlanks(ui->txtServer->text()).toStdU16String();
    if (mdlDiskQuota::CreateLocalUser(serverName, userName, password) != 0) {
        return;
    }
    ClearInput();

    // A fresh window for every account, so each showing starts from its design.
    frmQuotaEntry quotaEntry;
    quotaEntry.setUser(QString::fromStdU16String(userName));
    quotaEntry.exec();
}

void frmNewUser::cmdClose_Click()
{
    QCoreApplication::exit(0);
}

bool frmNewUser::Form_KeyPress(int keyAscii)
{
    if (keyAscii == 13) {
        platform::SendTabKeystroke();
    }
    return true;
}

void frmNewUser::txtUserID_Change()
{
    ui->cmdCreate->setEnabled(!trimBlanks(ui->txtUserID->text()).isEmpty());
}

QString frmNewUser::ValidateInput() const
{
    if (trimBlanks(ui->txtUserID->text()).isEmpty()) {
        return QStringLiteral("Invalid User ID");
    }
    if (trimBlanks(ui->txtPassword->text()) != trimBlanks(ui->txtConfirm->text())) {
        return QStringLiteral("The password was not correctly confirmed. "
                              "Please ensure that the password and confirmation match exactly.");
    }
    if (trimBlanks(ui->txtServer->text()).isEmpty()) {
        return QStringLiteral("Server name not specified.");
    }
    return {};
}

void frmNewUser::ClearInput()
{
    ui->txtUserID->clear();
    ui->txtPassword->clear();
    ui->txtConfirm->clear();
}
