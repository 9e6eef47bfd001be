#include "accounts/AdminPasswordNewDialog.h"

AdminPasswordNewDialog::AdminPasswordNewDialog(QWidget *parent) : SettingsPasswordDialog(parent)
{
    setupUi(this);
    preparePair(this);
}

AdminPasswordNewDialog::~AdminPasswordNewDialog() = default;

void AdminPasswordNewDialog::saveButtonClicked()
{
    if (savePassword(lineEditPassword, lineEditPasswordConfirm, &VelkMultiUserAdmin::adminPassword,
                     "AdminPasswordNewDialog::saveButtonClicked"))
        emit adminPasswordSwitchOn();
}

void AdminPasswordNewDialog::cancelButtonClicked()
{
    close();
    switch (mode) {
    case SystemSettingsModel::ModeMultiUser:
        emit multiUserSwitchOff();
        break;
    case SystemSettingsModel::ModeAdminPassword:
        emit adminPasswordSwitchOff();
        break;
    default:
        emit showSystemSettingsDialog();
        break;
    }
}
