#include "shell/kit/DeleteScheduleDialog.h"

#include "shell/base/Session.h"
#include "shell/kit/UiHelpers.h"

DeleteScheduleDialog::DeleteScheduleDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    setWindowTitle(productName());
    setupSharedDialog(this);
    scaleUi(false);
    connect(btnOk, &QToolButton::clicked, this, &DeleteScheduleDialog::clickOK);
    connect(btnCancel, &QToolButton::clicked, this, &DeleteScheduleDialog::closeDialog);
}

DeleteScheduleDialog::~DeleteScheduleDialog() = default;

void DeleteScheduleDialog::setText(const QString &text)
{
    labelMessage->setText(QStringLiteral("<p style=\"line-height:130%\">%1</p>").arg(text));
}

void DeleteScheduleDialog::clickOK()
{
    emit sendClickOK();
    close();
}

void DeleteScheduleDialog::closeDialog()
{
    emit closeNotificationDialog();
    close();
}

void DeleteScheduleDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void DeleteScheduleDialog::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, labelMessage, btnOk, btnCancel}, rescale, false);
}
