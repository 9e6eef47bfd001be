#pragma once

#include "accounts/AccountQuestionDialog.h"

/// The warning about apps from unknown sources, asked when a user's install permission is
/// turned on. "Yes" leaves the switch on; "Cancel", or closing the warning, emits
/// topSwitchTo(false). Neither writes anything.
class AppPermissionConfirmDialog : public AccountQuestionDialog
{
    Q_OBJECT
public:
    explicit AppPermissionConfirmDialog(QWidget *parent = nullptr);
    ~AppPermissionConfirmDialog() override;

signals:
    void topSwitchTo(bool toggled);
};
