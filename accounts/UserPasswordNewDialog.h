#pragma once

#include "accounts/SettingsPasswordDialog.h"
#include "accounts/Ui_UserPasswordNewDialog.h"
#include "datastore/VelkMultiUser.h"

/// A new password for a panel user, asked when the user's password switch is turned on. Save
/// writes it at once and answers showEditMultiUserDialog(); Cancel answers passwordSwitchOff();
/// closing the window answers nothing.
class UserPasswordNewDialog : public SettingsPasswordDialog, public Ui_UserPasswordNewDialog
{
    Q_OBJECT
public:
    explicit UserPasswordNewDialog(QWidget *parent = nullptr);
    ~UserPasswordNewDialog() override;

    void setMultiUser(VelkMultiUser user);

signals:
    void passwordSwitchOff();
    void showEditMultiUserDialog();

public slots:
    void saveButtonClicked();
    void cancelButtonClicked();

private:
    VelkMultiUser multiUser;
};
