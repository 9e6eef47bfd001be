#include "accounts/UserPasswordNewDialog.h"

#include "accounts/AccountsForm.h"
#include "accounts/PasswordEntry.h"
#include "accounts/UserRules.h"
#include "accounts/UserStore.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "shell/base/Log.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

#include <QCloseEvent>

UserPasswordNewDialog::UserPasswordNewDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    scaleUi(false);
    AccountsForm::setupDialog(this);
    db = OrvantaDBManager::getInstance();
    // The password field takes any length, its confirmation 32 characters: a longer password
    // can never be confirmed.
    PasswordEntry::prepare(lineEditPassword, 0);
    PasswordEntry::prepare(lineEditPasswordConfirm, UserRules::MaxPasswordLength);
    connect(btnCancel, &QAbstractButton::clicked, this, &UserPasswordNewDialog::cancelButtonClicked);
    connect(btnSave, &QAbstractButton::clicked, this, &UserPasswordNewDialog::saveButtonClicked);
    lbMessage->hide();
    widgetPassword->show();
    const int labelWidth = ScaleMath::truncScaled(gridLayout->columnStretch(0), getScaleFactor());
    setElidedLabelText(label, label->toolTip(), labelWidth);
    setElidedLabelText(label2, label2->toolTip(), labelWidth);
}

UserPasswordNewDialog::~UserPasswordNewDialog() = default;

void UserPasswordNewDialog::setMultiUser(VelkMultiUser user)
{
    multiUser = user;
}

void UserPasswordNewDialog::saveButtonClicked()
{
    const QString password = lineEditPassword->text();
    UserRules::Verdict verdict = UserRules::checkPassword(password, lineEditPasswordConfirm->text(), false);
    if (verdict == UserRules::Accepted) {
        UserStore::UserEdit edit;
        edit.password = password;
        const quint32 rc = UserStore::editUser(db, multiUser.muid, edit);
        if (rc != DB_OK && rc != DB_ROW_NOT_FOUND) {
            writeLog(LOG_LEVEL_ERROR, "UserPasswordNewDialog::saveButtonClicked, updateMultiUser error 0x%08x", rc);
            verdict = UserRules::WriteFailed;
        }
    }
    if (verdict != UserRules::Accepted) {
        lbMessage->showWarning(UserRules::message(verdict));
        lineEditPassword->clear();
        lineEditPasswordConfirm->clear();
        return;
    }
    multiUser.password = password;
    close();
    lineEditPassword->clearFocus();
    lineEditPasswordConfirm->clearFocus();
    emit showEditMultiUserDialog();
}

void UserPasswordNewDialog::cancelButtonClicked()
{
    close();
    emit passwordSwitchOff();
}

void UserPasswordNewDialog::reject()
{
    close();
}

void UserPasswordNewDialog::closeEvent(QCloseEvent *event)
{
    lineEditPasswordConfirm->clear();
    lineEditPassword->clear();
    lbMessage->hide();
    event->ignore();
    hide();
}

void UserPasswordNewDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void UserPasswordNewDialog::scaleUi(bool rescale)
{
    const double factor = formScale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, widgetPassword, lbMessage, btnCancel, btnSave}, rescale, false);
}
