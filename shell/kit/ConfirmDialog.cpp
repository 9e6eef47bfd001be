#include "shell/kit/ConfirmDialog.h"

#include "shell/base/Session.h"
#include "shell/kit/UiHelpers.h"

ConfirmDialog::ConfirmDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    setWindowTitle(productName());
    setupSharedDialog(this);
    scaleUi(false);
    connect(btnOk, &QToolButton::clicked, this, &ConfirmDialog::okClicked);
    connect(btnCancel, &QToolButton::clicked, this, &ConfirmDialog::cancelClicked);
}

ConfirmDialog::~ConfirmDialog() = default;

void ConfirmDialog::setText(const QString &text)
{
    labelMessage->setText(text);
}

void ConfirmDialog::okClicked()
{
    close();
    emit confirmed();
}

void ConfirmDialog::cancelClicked()
{
    close();
}

void ConfirmDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void ConfirmDialog::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, labelMessage, btnOk, btnCancel}, rescale, false);
}
