#include "accounts/BindCardResultDialog.h"

#include "accounts/AccountsForm.h"
#include "shell/kit/EnterKeyButton.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

#include <QPixmap>

BindCardResultDialog::BindCardResultDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    scaleUi(false);
    AccountsForm::setupDialog(this);
    connect(btnOK, &QAbstractButton::clicked, this, &BindCardResultDialog::okButtonClicked);
    EnterKeyButton::install(this, btnOK);
}

BindCardResultDialog::~BindCardResultDialog() = default;

void BindCardResultDialog::setContent(const QString &picture, const QString &message, const QString &ok)
{
    labelPicture->setPixmap(QPixmap(picture));
    labelMessage->setText(message);
    btnOK->setText(ok);
}

void BindCardResultDialog::okButtonClicked()
{
    close();
    answered();
}

void BindCardResultDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void BindCardResultDialog::scaleUi(bool rescale)
{
    const double factor = formScale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, labelPicture, labelMessage, btnOK}, rescale, false);
}
