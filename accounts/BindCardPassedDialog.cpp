#include "accounts/BindCardPassedDialog.h"

BindCardPassedDialog::BindCardPassedDialog(QWidget *parent) : BindCardResultDialog(parent)
{
    setObjectName(QStringLiteral("BindCardPassedDialog"));
    setContent(QStringLiteral(":/resource/accountMgt/pic_bind_card_tap_card_successfully.png"),
               tr("Login with card successfully!"), tr("OK"));
}

BindCardPassedDialog::~BindCardPassedDialog() = default;

void BindCardPassedDialog::answered()
{
    emit updateMultiUser();
    emit notifyRfidId();
}
