#include "accounts/CreateAccountPasswordDialog.h"

CreateAccountPasswordDialog::CreateAccountPasswordDialog(QWidget *parent) : SettingsPasswordDialog(parent)
{
    setupUi(this);
    preparePair(this);
    widgetPassword->show();
}

CreateAccountPasswordDialog::~CreateAccountPasswordDialog() = default;

void CreateAccountPasswordDialog::saveButtonClicked()
{
    if (savePassword(lineEditPassword, lineEditPasswordConfirm, &VelkMultiUserAdmin::createAccountPassword,
                     "CreateAccountPasswordDialog::saveButtonClicked"))
        emit showSystemSettingsDialog();
}

void CreateAccountPasswordDialog::cancelButtonClicked()
{
    close();
    emit loginCardSwitchOff();
}
