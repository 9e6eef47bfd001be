#pragma once

#include "accounts/AccountQuestionDialog.h"

/// "Do you want to disable password?", asked when a user's password switch is turned off: Yes
/// emits removeUserPassword(); No, or closing the question, emits passwordSwitchOn().
class UserPasswordRemoveConfirmDialog : public AccountQuestionDialog
{
    Q_OBJECT
public:
    explicit UserPasswordRemoveConfirmDialog(QWidget *parent = nullptr);
    ~UserPasswordRemoveConfirmDialog() override;

signals:
    void removeUserPassword();
    void passwordSwitchOn();
};
