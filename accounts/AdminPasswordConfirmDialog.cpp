#include "accounts/AdminPasswordConfirmDialog.h"

#include "accounts/AccountsForm.h"
#include "accounts/AdminPasswordResetDialog.h"

AdminPasswordConfirmDialog::AdminPasswordConfirmDialog(QWidget *parent) : AccountQuestionDialog(parent)
{
    setObjectName(QStringLiteral("AdminPasswordConfirmDialog"));
    setTexts(tr("Do you want to reset your password ?"), tr("Yes"), tr("No"));
    m_resetDialog = new AdminPasswordResetDialog(nullptr);
    connect(m_resetDialog, &AdminPasswordResetDialog::showSystemSettingsDialog, this,
            &AdminPasswordConfirmDialog::emitShowSystemSettingsDialog);
    connect(this, &QDialog::accepted, this, &AdminPasswordConfirmDialog::showResetDialog);
    // No answers; closing the question by its title bar does not.
    connect(btnNo, &QAbstractButton::clicked, this, &AdminPasswordConfirmDialog::emitShowSystemSettingsDialog);
}

AdminPasswordConfirmDialog::~AdminPasswordConfirmDialog()
{
    delete m_resetDialog;
}

void AdminPasswordConfirmDialog::emitShowSystemSettingsDialog()
{
    emit showSystemSettingsDialog();
}

void AdminPasswordConfirmDialog::showResetDialog()
{
    AccountsForm::moveTo(m_resetDialog, pos(), 0, -50);
    m_resetDialog->show();
}
