#include "accounts/AccountQuestionDialog.h"

#include "accounts/AccountsForm.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

AccountQuestionDialog::AccountQuestionDialog(QWidget *parent, const QSize &size) : QDialog(parent)
{
    setupUi(this, size);
    scaleUi(false);
    AccountsForm::setupDialog(this);
    connect(btnYes, &QAbstractButton::clicked, this, &AccountQuestionDialog::yesButtonClicked);
    connect(btnNo, &QAbstractButton::clicked, this, &AccountQuestionDialog::noButtonClicked);
}

AccountQuestionDialog::~AccountQuestionDialog() = default;

void AccountQuestionDialog::setTexts(const QString &message, const QString &yes, const QString &no)
{
    labelMessage->setText(message);
    btnYes->setText(yes);
    btnNo->setText(no);
}

void AccountQuestionDialog::yesButtonClicked()
{
    // The button would keep its hover look when the question is shown again.
    btnYes->setAttribute(Qt::WA_UnderMouse, false);
    accept();
}

void AccountQuestionDialog::noButtonClicked()
{
    btnNo->setAttribute(Qt::WA_UnderMouse, false);
    reject();
}

void AccountQuestionDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void AccountQuestionDialog::scaleUi(bool rescale)
{
    const double factor = formScale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, labelMessage, btnNo, btnYes}, rescale, false);
}
