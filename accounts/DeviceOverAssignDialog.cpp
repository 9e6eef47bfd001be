#include "accounts/DeviceOverAssignDialog.h"

#include "accounts/AccountsForm.h"
#include "shell/kit/UiHelpers.h"

#include <QCloseEvent>

DeviceOverAssignDialog::DeviceOverAssignDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    scaleUi(false);
    AccountsForm::setupDialog(this);
    connect(btnCancel, &QAbstractButton::clicked, this, &DeviceOverAssignDialog::cancelButtonClicked);
    connect(btnYes, &QAbstractButton::clicked, this, &DeviceOverAssignDialog::yesButtonClicked);
    textBrowser->setReadOnly(true);
}

DeviceOverAssignDialog::~DeviceOverAssignDialog() = default;

void DeviceOverAssignDialog::setDeviceList(const QString &text)
{
    textBrowser->setPlainText(text);
}

void DeviceOverAssignDialog::yesButtonClicked()
{
    close();
    emit closeDeviceListDialog();
}

void DeviceOverAssignDialog::cancelButtonClicked()
{
    close();
}

void DeviceOverAssignDialog::reject()
{
    close();
}

void DeviceOverAssignDialog::closeEvent(QCloseEvent *event)
{
    textBrowser->clear();
    event->ignore();
    hide();
}

void DeviceOverAssignDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void DeviceOverAssignDialog::scaleUi(bool rescale)
{
    const double factor = formScale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, labelMessage, textBrowser, btnCancel, btnYes}, rescale, false);
}
