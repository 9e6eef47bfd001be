#pragma once

#include "accounts/AccountQuestionDialog.h"

/// "Do you want to remove this user?": Yes emits deleteMultiUser(); Cancel or closing it does
/// nothing.
class RemoveUserDialog : public AccountQuestionDialog
{
    Q_OBJECT
public:
    explicit RemoveUserDialog(QWidget *parent = nullptr);
    ~RemoveUserDialog() override;

signals:
    void deleteMultiUser();
};
