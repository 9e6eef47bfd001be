#include "shell/kit/DeleteManagementDialog.h"

#include "shell/base/Session.h"
#include "shell/kit/UiHelpers.h"

DeleteManagementDialog::DeleteManagementDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    setWindowTitle(productName());
    setupSharedDialog(this);
    scaleUi(false);
    connect(btnOk, &QToolButton::clicked, this, &DeleteManagementDialog::clickOK);
    connect(btnCancel, &QToolButton::clicked, this, &DeleteManagementDialog::closeDialog);
}

DeleteManagementDialog::~DeleteManagementDialog() = default;

void DeleteManagementDialog::setText(const QString &text)
{
    label->setText(text);
}

void DeleteManagementDialog::setTitle(const QString &title)
{
    setWindowTitle(title);
}

void DeleteManagementDialog::setOkOnly(bool okOnly)
{
    if (okOnly) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        btnOk->hide();
        btnCancel->setText(tr("OK"));
        btnCancel->show();
    } else {
        label->setAlignment(Qt::AlignCenter);
        btnOk->setText(tr("Yes"));
        btnCancel->setText(tr("No"));
        btnOk->show();
        btnCancel->show();
    }
}

void DeleteManagementDialog::setRatio(double labelLeft)
{
    m_labelLeft = labelLeft;
}

void DeleteManagementDialog::clickOK()
{
    close();
    emit sendClickOK();
}

void DeleteManagementDialog::closeDialog()
{
    close();
    emit closeNotificationDialog();
}

void DeleteManagementDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void DeleteManagementDialog::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor != 0.0)
        scaleForm(this, factor, {frameContent}, rescale, true);

    // The label and the buttons follow their own scale, read from where the label stands
    // against its unscaled left position, so they reach the current scale on the first show
    // after setRatio and are never scaled twice.
    if (m_labelLeft == 0.0)
        return;
    const double target = getScaleFactor() * m_labelLeft;
    const double current = label->x();
    if (qAbs(current - target) < 0.5 || current <= 0.0)
        return;
    const double catchUp = target / current;
    for (QWidget *widget :
         {static_cast<QWidget *>(label), static_cast<QWidget *>(btnOk), static_cast<QWidget *>(btnCancel)})
        scaleWidgetGeometry(widget, catchUp);
}
