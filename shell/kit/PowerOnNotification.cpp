#include "shell/kit/PowerOnNotification.h"

#include "shell/base/Session.h"
#include "shell/kit/EnterKeyButton.h"
#include "shell/kit/UiHelpers.h"

PowerOnNotification::PowerOnNotification(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    setWindowTitle(productName());
    setupSharedDialog(this);
    scaleUi(false);
    connect(btnOk, &QToolButton::clicked, this, &PowerOnNotification::clickOK);
    EnterKeyButton::install(this, btnOk);
}

PowerOnNotification::~PowerOnNotification() = default;

void PowerOnNotification::clickOK()
{
    emit sendClickOk();
    close();
}

void PowerOnNotification::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void PowerOnNotification::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, labelMessage, btnOk}, rescale, true);
}
