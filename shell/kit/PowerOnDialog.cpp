#include "shell/kit/PowerOnDialog.h"

#include "shell/base/Session.h"
#include "shell/kit/UiHelpers.h"

PowerOnDialog::PowerOnDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    setWindowTitle(productName());
    setupSharedDialog(this);
    scaleUi(false);
    connect(btnOk, &QToolButton::clicked, this, &PowerOnDialog::clickOK);
    connect(btnCancel, &QToolButton::clicked, this, &PowerOnDialog::closeDialog);
}

PowerOnDialog::~PowerOnDialog() = default;

void PowerOnDialog::clickOK()
{
    emit sendClickOk();
    close();
}

void PowerOnDialog::closeDialog()
{
    close();
}

void PowerOnDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void PowerOnDialog::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, labelMessage, btnOk, btnCancel}, rescale, false);
}
