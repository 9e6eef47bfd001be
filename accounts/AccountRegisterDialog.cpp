#include "accounts/AccountRegisterDialog.h"

#include "accounts/AccountsForm.h"
#include "accounts/BindCardWaitingDialog.h"
#include "accounts/PasswordEntry.h"
#include "accounts/UserRules.h"
#include "datastore/OrvantaDBManager.h"
#include "shell/kit/EnterKeyButton.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

#include <QCloseEvent>

AccountRegisterDialog::AccountRegisterDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    scaleUi(false);
    AccountsForm::setupDialog(this);
    db = OrvantaDBManager::getInstance();
    connect(btnCancel, &QAbstractButton::clicked, this, &QDialog::close);
    connect(btnNext, &QAbstractButton::clicked, this, &AccountRegisterDialog::nextButtonClicked);
    EnterKeyButton::install(this, btnNext);

    bindCardWaitingDialog = new BindCardWaitingDialog(QString::fromLatin1(metaObject()->className()));
    connect(bindCardWaitingDialog, &BindCardWaitingDialog::updateMultiUser, this,
            &AccountRegisterDialog::updateMultiUserTable);
    connect(bindCardWaitingDialog, &BindCardWaitingDialog::showAccountRegisterDialog, this,
            &AccountRegisterDialog::showMe);

    PasswordEntry::prepare(lineEditPassword, UserRules::MaxPasswordLength);
    PasswordEntry::prepare(lineEditPasswordConfirm, UserRules::MaxPasswordLength);
    lineEditUserName->clear();
    lineEditPassword->clear();
    lineEditPasswordConfirm->clear();
    lbMessage->hide();
    const int labelWidth = ScaleMath::truncScaled(gridLayout->columnStretch(0), getScaleFactor());
    for (QLabel *label : {lbUserName, lbPassword, lbPasswordConfirm})
        setElidedLabelText(label, label->toolTip(), labelWidth);
}

AccountRegisterDialog::~AccountRegisterDialog() = default;

void AccountRegisterDialog::nextButtonClicked()
{
    const QString name = lineEditUserName->text();
    const QString password = lineEditPassword->text();
    const UserRules::Verdict verdict = UserRules::checkNewUser(db, name, password, lineEditPasswordConfirm->text());
    if (verdict != UserRules::Accepted) {
        showWarning(UserRules::message(verdict));
        if (verdict != UserRules::LookupFailed) {
            lineEditPasswordConfirm->clear();
            lineEditPassword->clear();
        }
        if (verdict == UserRules::NameTaken)
            lineEditUserName->clear();
        return;
    }

    bindCardWaitingDialog->setProperty("userName", name);
    bindCardWaitingDialog->setProperty("password", password);
    AccountsForm::moveTo(bindCardWaitingDialog, AccountsForm::activeCorner(this), -3, -25);
    bindCardWaitingDialog->show();
    savedUserName = name;
    savedPassword = password;
    savedPasswordConfirm = lineEditPasswordConfirm->text();
    close();
    for (QLineEdit *edit : {lineEditUserName, lineEditPassword, lineEditPasswordConfirm}) {
        edit->clear();
        edit->clearFocus();
    }
}

void AccountRegisterDialog::updateMultiUserTable()
{
    emit updateMultiUser();
}

void AccountRegisterDialog::showMe()
{
    lineEditUserName->setText(savedUserName);
    lineEditPassword->setText(savedPassword);
    lineEditPasswordConfirm->setText(savedPasswordConfirm);
    show();
}

void AccountRegisterDialog::reject()
{
    close();
}

void AccountRegisterDialog::closeEvent(QCloseEvent *event)
{
    lineEditUserName->clear();
    lineEditPassword->clear();
    lineEditPasswordConfirm->clear();
    lbMessage->hide();
    event->ignore();
    hide();
}

void AccountRegisterDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void AccountRegisterDialog::showWarning(const QString &text)
{
    lbMessage->showWarning(text);
}

void AccountRegisterDialog::scaleUi(bool rescale)
{
    const double factor = formScale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, widgetUser, lbMessage, btnCancel, btnNext}, rescale, false);
}
