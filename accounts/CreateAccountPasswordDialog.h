#pragma once

#include "accounts/SettingsPasswordDialog.h"
#include "accounts/Ui_CreateAccountPasswordDialog.h"

/// The password with which the panels create card accounts, typed twice. Save writes it into
/// the settings record at once and answers showSystemSettingsDialog(); Cancel answers
/// loginCardSwitchOff(); closing the window answers nothing.
class CreateAccountPasswordDialog : public SettingsPasswordDialog, public Ui_CreateAccountPasswordDialog
{
    Q_OBJECT
public:
    explicit CreateAccountPasswordDialog(QWidget *parent = nullptr);
    ~CreateAccountPasswordDialog() override;

signals:
    void loginCardSwitchOff();
    void showSystemSettingsDialog();

public slots:
    void saveButtonClicked();
    void cancelButtonClicked();
};
