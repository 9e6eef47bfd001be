#include "shell/kit/NotificationDialog.h"

#include "shell/base/Session.h"

#include "shell/kit/UiHelpers.h"

NotificationDialog::NotificationDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    setupSharedDialog(this);
    adjustGeometry(false);
    connect(btnOk, &QToolButton::clicked, this, &NotificationDialog::clickOK);
    connect(btnCancel, &QToolButton::clicked, this, &NotificationDialog::closeDialog);
}

NotificationDialog::~NotificationDialog() = default;

void NotificationDialog::setContent(const QString &message)
{
    labelMessage->setText(QStringLiteral("<p style=\"line-height:130%\">%2</p>").arg(message));
}

void NotificationDialog::setTitle(const QString &title)
{
    setWindowTitle(title);
}

void NotificationDialog::clickOK()
{
    emit sendClickOK();
    close();
}

void NotificationDialog::closeDialog()
{
    emit closeNotificationDialog();
    close();
}

void NotificationDialog::showEvent(QShowEvent *event)
{
    adjustGeometry(true);
    QDialog::showEvent(event);
}

void NotificationDialog::adjustGeometry(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    // The label follows the layout of its container.
    scaleForm(this, factor, {frameContent, widget, btnOk, btnCancel}, rescale, true);
}
