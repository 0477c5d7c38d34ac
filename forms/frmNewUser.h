#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class frmNewUser;
}

// The start-up window: takes the data of one new account at a time, has it
// created and hands the new user on to the quota entry window.
class frmNewUser : public QWidget
{
    Q_OBJECT

public:
    explicit frmNewUser(QWidget* parent = nullptr);
    ~frmNewUser() override;

private:
    void cmdCreate_Click();
    void cmdClose_Click();
    bool Form_KeyPress(int keyAscii);
    void txtUserID_Change();

    // The first problem with the input, or an empty text.
    QString ValidateInput() const;
    void ClearInput();

    std::unique_ptr<Ui::frmNewUser> ui;
};
