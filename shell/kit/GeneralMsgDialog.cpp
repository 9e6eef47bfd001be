#include "shell/kit/GeneralMsgDialog.h"

#include "shell/base/Session.h"
#include "shell/kit/EnterKeyButton.h"
#include "shell/kit/UiHelpers.h"

GeneralMsgDialog::GeneralMsgDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    setWindowTitle(productName());
    setupSharedDialog(this);
    scaleUi(false);
    connect(btnOk, &QToolButton::clicked, this, &GeneralMsgDialog::okButtonClicked);
    EnterKeyButton::install(this, btnOk);
}

GeneralMsgDialog::~GeneralMsgDialog() = default;

void GeneralMsgDialog::setMessage(const QString &message)
{
    labelMessage->setText(message);
}

void GeneralMsgDialog::okButtonClicked()
{
    close();
}

void GeneralMsgDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void GeneralMsgDialog::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, labelMessage, btnOk}, rescale, true);
}
