#include "accounts/UserPasswordNewDialog.h"

#include "accounts/UserRules.h"
#include "accounts/UserStore.h"
#include "datastore/DbResult.h"
#include "shell/base/Log.h"

UserPasswordNewDialog::UserPasswordNewDialog(QWidget *parent) : SettingsPasswordDialog(parent)
{
    setupUi(this);
    preparePair(this);
    widgetPassword->show();
}

UserPasswordNewDialog::~UserPasswordNewDialog() = default;

void UserPasswordNewDialog::setMultiUser(VelkMultiUser user)
{
    multiUser = user;
}

void UserPasswordNewDialog::saveButtonClicked()
{
    if (!checkNewPassword(lineEditPassword, lineEditPasswordConfirm))
        return;
    const QString password = lineEditPassword->text();
    UserStore::UserEdit edit;
    edit.password = password;
    const quint32 rc = UserStore::editUser(db, multiUser.muid, edit);
    if (rc != DB_OK && rc != DB_ROW_NOT_FOUND) {
        writeLog(LOG_LEVEL_ERROR, "UserPasswordNewDialog::saveButtonClicked, updateMultiUser error 0x%08x", rc);
        refuse(UserRules::message(UserRules::WriteFailed));
        return;
    }
    multiUser.password = password;
    closeSaved();
    emit showEditMultiUserDialog();
}

void UserPasswordNewDialog::cancelButtonClicked()
{
    close();
    emit passwordSwitchOff();
}
