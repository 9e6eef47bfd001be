#include "shell/app/CheckPasswordDialog.h"

#include <QKeyEvent>

#include "datastore/OrvantaDBManager.h"
#include "shell/app/AccountEditRules.h"
#include "shell/base/PasswordFieldRule.h"
#include "shell/base/Session.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/PasswordFieldValidator.h"
#include "shell/kit/UiHelpers.h"

CheckPasswordDialog::CheckPasswordDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    setWindowTitle(productName());
    setupSharedDialog(this);
    connect(btnCancel, &QToolButton::clicked, this, &CheckPasswordDialog::close);
    connect(btnOK, &QToolButton::clicked, this, &CheckPasswordDialog::writeSetting);
    dbIntf = OrvantaDBManager::getInstance();
    lbMessage->hide();
    lineEditPassword->setEchoMode(QLineEdit::Password);
    // The current password, as log-in takes it: a password of 33 or 34 characters, or one an earlier version stored
    // with a pasted tab, logged in but could not be confirmed here, and the account could not be changed.
    lineEditPassword->setValidator(new PasswordFieldValidator(PasswordFieldRule::Entry, lineEditPassword));
    qApp->installEventFilter(this);
    widgetPassword->show();
    fitRowLabels({label_2}, 90);
}

CheckPasswordDialog::~CheckPasswordDialog() = default;

void CheckPasswordDialog::setUserInfo(VelkAccount account)
{
    userInfo = account;
}

void CheckPasswordDialog::setPendingUserInfo(VelkAccount account)
{
    pendingUserInfo = account;
    hasPendingUserInfo = true;
}

void CheckPasswordDialog::writeSetting()
{
    if (!hasPendingUserInfo)
        return;
    VelkAccount written;
    switch (AccountEditRules::confirmAndWrite(dbIntf, lineEditPassword->text(), userInfo, pendingUserInfo, &written)) {
    case AccountEditRules::Written:
        emit passWordChange(written.password);
        hasPendingUserInfo = false;
        lbMessage->hide();
        close();
        break;
    case AccountEditRules::WriteFailed:
        lbMessage->setWarningText(tr("The settings could not be saved."));
        lbMessage->show();
        break;
    case AccountEditRules::WrongPassword:
        lbMessage->setWarningText(tr("Invalid User Password."));
        lbMessage->show();
        break;
    }
    lineEditPassword->clear();
}

bool CheckPasswordDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lineEditPassword && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            writeSetting();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CheckPasswordDialog::closeEvent(QCloseEvent *event)
{
    lbMessage->hide();
    QDialog::closeEvent(event);
    lineEditPassword->clear();
}

void CheckPasswordDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    fitRowLabels({label_2}, 90);
    QDialog::showEvent(event);
    lineEditPassword->setFocus();
}

void CheckPasswordDialog::scaleUi(bool rescale)
{
    const double factor = formScale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {btnCancel, btnOK, label, layoutWidget, widgetPassword}, rescale, true);
}
