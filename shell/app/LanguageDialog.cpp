#include "shell/app/LanguageDialog.h"

#include "shell/base/Session.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

#include <QKeyEvent>

LanguageDialog::LanguageDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    setWindowTitle(productName());
    setupSharedDialog(this);
    connect(btnOk, &QToolButton::clicked, this, &LanguageDialog::okButtonClicked);
}

LanguageDialog::~LanguageDialog() = default;

void LanguageDialog::okButtonClicked()
{
    close();
}

void LanguageDialog::keyPressEvent(QKeyEvent *event)
{
    // OK is a tool button, which Enter does not press, and the dialog has no default push button:
    // Enter closes the notice as OK does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        okButtonClicked();
        return;
    }
    QDialog::keyPressEvent(event);
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
