#include "accounts/UserPasswordRemoveConfirmDialog.h"

UserPasswordRemoveConfirmDialog::UserPasswordRemoveConfirmDialog(QWidget *parent) : AccountQuestionDialog(parent)
{
    setObjectName(QStringLiteral("UserPasswordRemoveConfirmDialog"));
    setTexts(tr("Do you want to disable password?\n\nThis password will be deleted."), tr("Yes"), tr("No"));
    connect(this, &QDialog::accepted, this, &UserPasswordRemoveConfirmDialog::removeUserPassword);
    connect(this, &QDialog::rejected, this, &UserPasswordRemoveConfirmDialog::passwordSwitchOn);
}

UserPasswordRemoveConfirmDialog::~UserPasswordRemoveConfirmDialog() = default;
