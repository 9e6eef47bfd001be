#include "broadcast/BroadcastSaveDialog.h"

#include "shell/base/Session.h"
#include "shell/kit/UiHelpers.h"

BroadcastSaveDialog::BroadcastSaveDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    setupSharedDialog(this);
    setWindowTitle(productName());
    connect(btnOk, &QToolButton::clicked, this, &BroadcastSaveDialog::saveButtonClicked);
    connect(btnCancel, &QToolButton::clicked, this, &BroadcastSaveDialog::cancelButtonClicked);
}

BroadcastSaveDialog::~BroadcastSaveDialog() = default;

void BroadcastSaveDialog::saveButtonClicked()
{
    accept();
}

void BroadcastSaveDialog::cancelButtonClicked()
{
    reject();
}

void BroadcastSaveDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void BroadcastSaveDialog::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, labelTitle, btnOk, btnCancel, labelMessage}, rescale, true);
}
