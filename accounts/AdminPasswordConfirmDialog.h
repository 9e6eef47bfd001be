#pragma once

#include "accounts/AccountQuestionDialog.h"

class AdminPasswordResetDialog;

/// "Do you want to reset your password ?", asked when multi-user mode is turned on while an
/// administrator password is stored. Yes opens the change of the password in its place; No
/// answers showSystemSettingsDialog(), as does the change dialog when it is done; closing the
/// question answers nothing.
class AdminPasswordConfirmDialog : public AccountQuestionDialog
{
    Q_OBJECT
public:
    explicit AdminPasswordConfirmDialog(QWidget *parent = nullptr);
    ~AdminPasswordConfirmDialog() override;

    AdminPasswordResetDialog *resetDialog() const { return m_resetDialog; }

signals:
    void showSystemSettingsDialog();

public slots:
    void emitShowSystemSettingsDialog();

private:
    void showResetDialog();

    AdminPasswordResetDialog *m_resetDialog;
};
