#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QWidget>

#include "accounts/AccountsForm.h"
#include "shell/kit/FormStyle.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/TextLabel.h"

class Ui_AccountRegisterDialog
{
public:
    QFrame *frameContent;
    QWidget *widgetUser;
    QGridLayout *gridLayout;
    QLabel *lbUserName;
    QLineEdit *lineEditUserName;
    QLabel *lbPassword;
    QLineEdit *lineEditPassword;
    QLabel *lbPasswordConfirm;
    QLineEdit *lineEditPasswordConfirm;
    TextLabel *lbMessage;
    QPushButton *btnCancel;
    QPushButton *btnNext;

    void setupUi(QDialog *AccountRegisterDialog)
    {
        if (AccountRegisterDialog->objectName().isEmpty())
            AccountRegisterDialog->setObjectName(QStringLiteral("AccountRegisterDialog"));
        AccountRegisterDialog->resize(410, 214);

        frameContent = createContentFrame(AccountRegisterDialog, QRect(0, 0, 410, 214));

        widgetUser = new QWidget(frameContent);
        widgetUser->setObjectName(QStringLiteral("widgetUser"));
        widgetUser->setGeometry(QRect(25, 22, 360, 112));
        gridLayout = AccountsForm::fieldGrid(widgetUser, 130, 230, 12);
        lineEditUserName = AccountsForm::fieldRow(gridLayout, 0, &lbUserName, "lbUserName", "lineEditUserName");
        lineEditPassword = AccountsForm::fieldRow(gridLayout, 1, &lbPassword, "lbPassword", "lineEditPassword");
        lineEditPasswordConfirm =
            AccountsForm::fieldRow(gridLayout, 2, &lbPasswordConfirm, "lbPasswordConfirm", "lineEditPasswordConfirm");
        lbMessage = AccountsForm::warningBadge(frameContent, QRect(25, 142, 360, 20));

        btnCancel = FormStyle::button(frameContent, "btnCancel", QRect(195, 172, 90, 28), false);
        btnNext = FormStyle::button(frameContent, "btnNext", QRect(295, 172, 90, 28), true);

        retranslateUi(AccountRegisterDialog);
        QMetaObject::connectSlotsByName(AccountRegisterDialog);
    }

    void retranslateUi(QDialog *AccountRegisterDialog)
    {
        Q_UNUSED(AccountRegisterDialog)
        lbUserName->setText(QCoreApplication::translate("AccountRegisterDialog", "User Name:"));
        lbUserName->setToolTip(QCoreApplication::translate("AccountRegisterDialog", "User Name:"));
        lbPassword->setText(QCoreApplication::translate("AccountRegisterDialog", "Password:"));
        lbPassword->setToolTip(QCoreApplication::translate("AccountRegisterDialog", "Password:"));
        lbPasswordConfirm->setText(QCoreApplication::translate("AccountRegisterDialog", "Confirm Password:"));
        lbPasswordConfirm->setToolTip(QCoreApplication::translate("AccountRegisterDialog", "Confirm Password:"));
        btnCancel->setText(QCoreApplication::translate("AccountRegisterDialog", "Cancel"));
        btnNext->setText(QCoreApplication::translate("AccountRegisterDialog", "Next"));
        lbMessage->setText(QCoreApplication::translate("AccountRegisterDialog", "This user name has been occupied."));
    }
};
