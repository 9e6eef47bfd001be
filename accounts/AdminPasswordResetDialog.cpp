#include "accounts/AdminPasswordResetDialog.h"

AdminPasswordResetDialog::AdminPasswordResetDialog(QWidget *parent) : SettingsPasswordDialog(parent)
{
    setupUi(this);
    prepare({lineEditOldPassword, lineEditPassword, lineEditPasswordConfirm}, {lineEditOldPassword}, lbMessage,
            {label, label2, label3}, gridLayout->columnStretch(0),
            {frameContent, widgetPassword, lbMessage, btnCancel, btnSave});
    connect(btnSave, &QAbstractButton::clicked, this, &AdminPasswordResetDialog::saveButtonClicked);
    connect(btnCancel, &QAbstractButton::clicked, this, &AdminPasswordResetDialog::cancelButtonClicked);
}

AdminPasswordResetDialog::~AdminPasswordResetDialog() = default;

void AdminPasswordResetDialog::saveButtonClicked()
{
    // The new password is judged before the old one is compared.
    if (!checkNewPassword(lineEditPassword, lineEditPasswordConfirm))
        return;
    VelkMultiUserAdmin settings;
    const Read read = readSettings(settings);
    if (read == ReadFailed)
        return;
    if (read == Found) {
        if (lineEditOldPassword->text() != settings.adminPassword) {
            refuse(tr("The Password is incorrect."));
            return;
        }
        settings.adminPassword = lineEditPassword->text();
        if (!writeSettings(settings, "AdminPasswordResetDialog::saveButtonClicked"))
            return;
    }
    closeSaved();
    emit showSystemSettingsDialog();
}

void AdminPasswordResetDialog::cancelButtonClicked()
{
    close();
    emit showSystemSettingsDialog();
}
