#pragma once

#include "accounts/SettingsPasswordDialog.h"
#include "accounts/Ui_AdminPasswordNewDialog.h"
#include "accounts/core/SystemSettingsModel.h"

/// A new administrator password for the panels, typed twice, without the old one. Save writes
/// it into the settings record at once and answers adminPasswordSwitchOn(); Cancel answers by
/// the mode the settings dialog opened it in; closing the window answers nothing.
class AdminPasswordNewDialog : public SettingsPasswordDialog, public Ui_AdminPasswordNewDialog
{
    Q_OBJECT
public:
    using AdminPasswordDialogMode = SystemSettingsModel::PasswordMode;

    explicit AdminPasswordNewDialog(QWidget *parent = nullptr);
    ~AdminPasswordNewDialog() override;

    /// Set by the opener before each show.
    void setMode(int newMode) { mode = newMode; }

signals:
    void multiUserSwitchOff();
    void adminPasswordSwitchOn();
    void adminPasswordSwitchOff();
    void showSystemSettingsDialog();

public slots:
    void saveButtonClicked();
    void cancelButtonClicked();

private:
    int mode = SystemSettingsModel::ModeAdminPassword;
};
