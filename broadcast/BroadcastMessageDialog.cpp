#include "broadcast/BroadcastMessageDialog.h"

#include "shell/base/Session.h"
#include "shell/kit/EnterKeyButton.h"
#include "shell/kit/UiHelpers.h"

BroadcastMessageDialog::BroadcastMessageDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    setupSharedDialog(this);
    setWindowTitle(productName());
    connect(btnOk, &QToolButton::clicked, this, &BroadcastMessageDialog::okButtonClicked);
    EnterKeyButton::install(this, btnOk);
}

BroadcastMessageDialog::~BroadcastMessageDialog() = default;

void BroadcastMessageDialog::setMessage(const QString &text)
{
    labelMessage->setText(text);
}

void BroadcastMessageDialog::okButtonClicked()
{
    close();
}

void BroadcastMessageDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void BroadcastMessageDialog::scaleUi(bool fromShowEvent)
{
    const double factor = m_scale.nextFactor(fromShowEvent, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, btnOk, labelMessage}, fromShowEvent, true);
}
