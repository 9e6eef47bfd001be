#pragma once

#include "accounts/BindCardResultDialog.h"

/// The card was free: "Login with card successfully!". OK emits updateMultiUser(), then
/// notifyRfidId().
class BindCardPassedDialog : public BindCardResultDialog
{
    Q_OBJECT
public:
    explicit BindCardPassedDialog(QWidget *parent = nullptr);
    ~BindCardPassedDialog() override;

signals:
    void updateMultiUser();
    void notifyRfidId();

protected:
    void answered() override;
};
