#include "accounts/MoreOptionDialog.h"

#include "accounts/AccountsForm.h"
#include "accounts/AppPermissionDialog.h"
#include "accounts/EditMultiUserDialog.h"
#include "accounts/RemoveUserDialog.h"
#include "shell/base/Session.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

MoreOptionDialog::MoreOptionDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    setModal(true);
    setFixedSize(size());

    appPermissionDialog = new AppPermissionDialog();
    removeUserDialog = new RemoveUserDialog();
    editMultiUserDialog = new EditMultiUserDialog();
    connect(labelEditAccount, &ClickableLabel::clicked, this, &MoreOptionDialog::editUserAccountClicked);
    connect(labelPermissionsUsers, &ClickableLabel::clicked, this, &MoreOptionDialog::permissionsUsersClicked);
    connect(labelRemoveUser, &ClickableLabel::clicked, this, &MoreOptionDialog::removeUserClicked);
    connect(appPermissionDialog, &AppPermissionDialog::updateMultiUser, this, &MoreOptionDialog::updateMultiUserTable);
    connect(removeUserDialog, &RemoveUserDialog::deleteMultiUser, this, &MoreOptionDialog::emitDeleteMultiUser);
    connect(editMultiUserDialog, &EditMultiUserDialog::updateMultiUser, this, &MoreOptionDialog::updateMultiUserTable);
}

MoreOptionDialog::~MoreOptionDialog()
{
    delete appPermissionDialog;
    delete removeUserDialog;
    delete editMultiUserDialog;
}

void MoreOptionDialog::setMultiUser(VelkMultiUser user)
{
    multiUser = user;
}

void MoreOptionDialog::editUserAccountClicked()
{
    close();
    editMultiUserDialog->setMultiUser(multiUser);
    AccountsForm::moveTo(editMultiUserDialog, AccountsForm::activeCorner(this), 255, 282);
    editMultiUserDialog->loadMultiUser();
    editMultiUserDialog->show();
}

void MoreOptionDialog::permissionsUsersClicked()
{
    close();
    AccountsForm::moveTo(appPermissionDialog, AccountsForm::activeCorner(this), 255, 104);
    appPermissionDialog->setMultiUser(multiUser);
    appPermissionDialog->loadAppPermissions();
    appPermissionDialog->show();
}

void MoreOptionDialog::removeUserClicked()
{
    close();
    AccountsForm::moveTo(removeUserDialog, AccountsForm::activeCorner(this), 255, 306);
    removeUserDialog->show();
}

void MoreOptionDialog::updateMultiUserTable()
{
    emit updateMultiUser();
}

void MoreOptionDialog::emitDeleteMultiUser()
{
    setProperty("muid", multiUser.muid);
    emit deleteMultiUser();
}

void MoreOptionDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void MoreOptionDialog::scaleUi(bool rescale)
{
    const double factor = formScale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, labelEditAccount, labelPermissionsUsers, labelRemoveUser}, rescale, false);
}
