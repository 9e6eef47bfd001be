#pragma once

#include "accounts/AccountQuestionDialog.h"

/// Asked when "Setup from Server" is turned off: Yes answers setupUserSwitchOffConfirmed(); No,
/// or closing the question, answers setupUserSwitchOn().
class SetupUserConfirmDialog : public AccountQuestionDialog
{
    Q_OBJECT
public:
    explicit SetupUserConfirmDialog(QWidget *parent = nullptr);
    ~SetupUserConfirmDialog() override;

signals:
    void setupUserSwitchOn();
    void setupUserSwitchOffConfirmed();
};
