#include "forms/frmNewUser.h"

#include "admin/mdlDiskQuota.h"
#include "forms/design.h"
#include "forms/frmQuotaEntry.h"
#include "forms/trim.h"
#include "platform/messagebox.h"
#include "platform/qt/keyboard.h"
#include "platform/qt/override_cursor.h"
#include "platform/qt/password_box.h"
#include "platform/wipe.h"
#include "ui_frmNewUser.h"

#include <QCoreApplication>

using forms::trimBlanks;

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

    const std::u16string userName(trimBlanks(ui->txtUserID->text()));
    const std::u16string serverName(trimBlanks(ui->txtServer->text()));
    std::int32_t status = 0;
    std::u16string accountName;
    {
        // The server may be far away, and the window answers nothing meanwhile.
        const platform::OverrideCursor waiting(Qt::WaitCursor);
        {
            // The one copy of the password the window makes, wiped and
            // released once the account is made, before the lookup.
            const platform::WipedText password(trimBlanks(ui->txtPassword->password()));
            status = mdlDiskQuota::CreateLocalUser(serverName, userName, password.text());
        }
        if (status == 0) {
            accountName = mdlDiskQuota::QualifiedUserName(serverName, userName);
        }
    }
    if (status != 0) {
        return;
    }
    ClearInput();

    // A fresh window for every account, so each showing starts from its design.
    frmQuotaEntry quotaEntry;
    quotaEntry.setUser(QStringView(userName).toString(), accountName);
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
    ui->cmdCreate->setEnabled(!trimBlanks(ui->txtUserID->text()).empty());
}

QString frmNewUser::ValidateInput() const
{
    if (trimBlanks(ui->txtUserID->text()).empty()) {
        return QStringLiteral("Invalid User ID");
    }
    if (trimBlanks(ui->txtPassword->password()) != trimBlanks(ui->txtConfirm->password())) {
        return QStringLiteral("The password was not correctly confirmed. "
                              "Please ensure that the password and confirmation match exactly.");
    }
    if (trimBlanks(ui->txtServer->text()).empty()) {
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
