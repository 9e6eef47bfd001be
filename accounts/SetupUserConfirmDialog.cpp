#include "accounts/SetupUserConfirmDialog.h"

SetupUserConfirmDialog::SetupUserConfirmDialog(QWidget *parent) : AccountQuestionDialog(parent, QSize(380, 164))
{
    setObjectName(QStringLiteral("SetupUserConfirmDialog"));
    setTexts(tr("Do you want to disable setup from server? \nWhen the setting is disabled,\nwe will clear all data "
                "and you can't control all devices."),
             tr("Yes"), tr("No"));
    connect(this, &QDialog::accepted, this, &SetupUserConfirmDialog::setupUserSwitchOffConfirmed);
    connect(this, &QDialog::rejected, this, &SetupUserConfirmDialog::setupUserSwitchOn);
}

SetupUserConfirmDialog::~SetupUserConfirmDialog() = default;
