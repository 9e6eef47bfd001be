#include "accounts/RemoveUserDialog.h"

RemoveUserDialog::RemoveUserDialog(QWidget *parent) : AccountQuestionDialog(parent)
{
    setObjectName(QStringLiteral("RemoveUserDialog"));
    setTexts(tr("Do you want to remove this user?\n\nThis user's all data will be deleted."), tr("Yes"), tr("Cancel"));
    connect(this, &QDialog::accepted, this, &RemoveUserDialog::deleteMultiUser);
}

RemoveUserDialog::~RemoveUserDialog() = default;
