#include "shell/app/LanguageDialog.h"

#include "shell/base/Session.h"
#include "shell/kit/EnterKeyButton.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

LanguageDialog::LanguageDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    setWindowTitle(productName());
    setupSharedDialog(this);
    connect(btnOk, &QToolButton::clicked, this, &LanguageDialog::okButtonClicked);
    EnterKeyButton::install(this, btnOk);
}

LanguageDialog::~LanguageDialog() = default;

void LanguageDialog::okButtonClicked()
{
    close();
}

void LanguageDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void LanguageDialog::scaleUi(bool rescale)
{
    const double factor = formScale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, btnOk, labelMessage}, rescale, true);
}
