#pragma once

#include <QDialog>

#include "accounts/Ui_MoreOptionDialog.h"
#include "datastore/VelkMultiUser.h"
#include "shell/kit/FormScale.h"

class AppPermissionDialog;
class EditMultiUserDialog;
class RemoveUserDialog;

/// The actions of one row of the user table, in a popup that closes on a click elsewhere:
/// edit the user, its app permissions, or remove it. Removal is confirmed first and then asked
/// of the overview through deleteMultiUser(), with the user's muid in the property "muid".
class MoreOptionDialog : public QDialog, public Ui_MoreOptionDialog
{
    Q_OBJECT
public:
    explicit MoreOptionDialog(QWidget *parent = nullptr);
    ~MoreOptionDialog() override;

    void setMultiUser(VelkMultiUser user);
    VelkMultiUser currentUser() const { return multiUser; }

    EditMultiUserDialog *editDialog() const { return editMultiUserDialog; }
    AppPermissionDialog *permissionDialog() const { return appPermissionDialog; }
    RemoveUserDialog *removeDialog() const { return removeUserDialog; }

signals:
    void deleteMultiUser();
    void updateMultiUser();

public slots:
    void editUserAccountClicked();
    void permissionsUsersClicked();
    void removeUserClicked();
    void updateMultiUserTable();
    void emitDeleteMultiUser();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void scaleUi(bool rescale);

    VelkMultiUser multiUser;
    AppPermissionDialog *appPermissionDialog;
    RemoveUserDialog *removeUserDialog;
    EditMultiUserDialog *editMultiUserDialog;
    FormScale formScale;
};
