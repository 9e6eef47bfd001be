#include "accounts/BindCardUsedDialog.h"

BindCardUsedDialog::BindCardUsedDialog(QWidget *parent) : BindCardResultDialog(parent)
{
    setObjectName(QStringLiteral("BindCardUsedDialog"));
    setContent(QStringLiteral(":/resource/accountMgt/pic_bind_card_tap_card_unsuccessfully.png"),
               tr("This card has been used by another account"), tr("OK"));
}

BindCardUsedDialog::~BindCardUsedDialog() = default;

void BindCardUsedDialog::answered()
{
    emit showWaitingDialog();
}
