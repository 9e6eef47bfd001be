#pragma once

#include "accounts/BindCardResultDialog.h"

/// Another user or the panels' administrator holds the card. OK emits showWaitingDialog(), so
/// the card step waits for another card.
class BindCardUsedDialog : public BindCardResultDialog
{
    Q_OBJECT
public:
    explicit BindCardUsedDialog(QWidget *parent = nullptr);
    ~BindCardUsedDialog() override;

signals:
    void showWaitingDialog();

protected:
    void answered() override;
};
