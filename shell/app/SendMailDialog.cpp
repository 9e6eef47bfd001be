#include "shell/app/SendMailDialog.h"

#include "shell/base/Session.h"
#include "shell/kit/UiHelpers.h"

SendMailDialog::SendMailDialog(QWidget *parent) : QDialog(parent)
{
    ui.setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    setupSharedDialog(this);
    scaleUi(false);
    setWindowTitle(productName());
    connect(ui.btnOk, &QToolButton::clicked, this, &SendMailDialog::clickOK);
}

SendMailDialog::~SendMailDialog() = default;

void SendMailDialog::clickOK()
{
    close();
}

void SendMailDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void SendMailDialog::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {ui.frameContent, ui.btnOk, ui.labelMessage}, rescale, false);
}
