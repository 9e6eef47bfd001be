#pragma once

#include "accounts/SettingsPasswordDialog.h"
#include "accounts/Ui_AdminPasswordResetDialog.h"

/// Changes the panels' administrator password; the stored one must be typed first. Save and
/// Cancel answer showSystemSettingsDialog(); closing the window answers nothing.
class AdminPasswordResetDialog : public SettingsPasswordDialog, public Ui_AdminPasswordResetDialog
{
    Q_OBJECT
public:
    explicit AdminPasswordResetDialog(QWidget *parent = nullptr);
    ~AdminPasswordResetDialog() override;

signals:
    void showSystemSettingsDialog();

public slots:
    void saveButtonClicked();
    void cancelButtonClicked();
};
