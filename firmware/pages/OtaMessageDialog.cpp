#include "firmware/pages/OtaMessageDialog.h"

#include "shell/base/Session.h"
#include "shell/kit/EnterKeyButton.h"
#include "shell/kit/UiHelpers.h"

OtaMessageDialog::OtaMessageDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    setWindowTitle(productName());
    setupSharedDialog(this);
    EnterKeyButton::install(this, btnOk);
    connect(btnOk, &QToolButton::clicked, this, &OtaMessageDialog::okButtonClicked);
}

OtaMessageDialog::~OtaMessageDialog() = default;

void OtaMessageDialog::setMessage(const QString &text)
{
    labelMessage->setText(text);
}

void OtaMessageDialog::setButtonText(const QString &text)
{
    btnOk->setText(text);
}

void OtaMessageDialog::okButtonClicked()
{
    close();
    emit confirmed();
}

void OtaMessageDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void OtaMessageDialog::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, btnOk, labelMessage}, rescale, true);
}
