#include "shell/app/ReStartConfirmDialog.h"

#include "shell/base/Session.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

ReStartConfirmDialog::ReStartConfirmDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    setWindowTitle(productName());
    setupSharedDialog(this);
    connect(btnCancel, &QToolButton::clicked, this, &ReStartConfirmDialog::closeDialog);
    connect(btnOk, &QToolButton::clicked, this, &ReStartConfirmDialog::clickOK);
}

ReStartConfirmDialog::~ReStartConfirmDialog() = default;

void ReStartConfirmDialog::closeDialog()
{
    close();
}

void ReStartConfirmDialog::clickOK()
{
    close();
    emit sendClickOk();
}

void ReStartConfirmDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void ReStartConfirmDialog::scaleUi(bool rescale)
{
    const double factor = formScale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, btnOk, btnCancel, labelMessage}, rescale, true);
}
