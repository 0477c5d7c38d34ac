#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class QComboBox;
class QLineEdit;

namespace Ui {
class frmQuotaEntry;
}

// The modal window that gives a newly created user a disk quota: a volume,
// and either no limit or a limit and warning level in megabytes. Each
// showing starts from the design; all its state lives in its controls.
class frmQuotaEntry : public QDialog
{
    Q_OBJECT

public:
    explicit frmQuotaEntry(QWidget* parent = nullptr);
    ~frmQuotaEntry() override;

    // The account the quota is for: the user name the window shows, and the
    // name the quota is given under, which finds that account alone.
    void setUser(const QString& userName, std::u16string accountName);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void cmdOK_Click();
    void cmdCancel_Click();
    void optLmitNo_Click();
    void optLimitYes_Click();
    static bool txtLval_KeyPress(int keyAscii);

    static void FillUnitList(QComboBox& unitList);
    void SetLimitFieldsLook(bool limited);

    // The megabytes a value box holds: a negative count for no limit, none
    // when its text is not a count. Shows why when there is none.
    static std::optional<std::int32_t> Megabytes(QLineEdit& valueBox, const char16_t* invalid);

    std::unique_ptr<Ui::frmQuotaEntry> ui;
    std::u16string accountName_;
};
