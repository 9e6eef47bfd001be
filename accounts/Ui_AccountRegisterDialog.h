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

#include "devices/DeviceFormStyle.h"
#include "shell/TextLabel.h"

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

        frameContent = new QFrame(AccountRegisterDialog);
        frameContent->setObjectName(QStringLiteral("frameContent"));
        frameContent->setGeometry(QRect(0, 0, 410, 214));
        frameContent->setStyleSheet(QStringLiteral("QFrame#frameContent{\nbackground-color:#404040;\n}\n"));

        // The label column and the field column share the width 130 : 230.
        widgetUser = new QWidget(frameContent);
        widgetUser->setObjectName(QStringLiteral("widgetUser"));
        widgetUser->setGeometry(QRect(25, 22, 360, 112));
        gridLayout = new QGridLayout(widgetUser);
        gridLayout->setObjectName(QStringLiteral("gridLayout"));
        gridLayout->setContentsMargins(0, 0, 0, 0);
        gridLayout->setHorizontalSpacing(6);
        gridLayout->setVerticalSpacing(12);
        gridLayout->setColumnStretch(0, 130);
        gridLayout->setColumnStretch(1, 230);
        lbUserName = DeviceFormStyle::caption(widgetUser, "lbUserName", QRect());
        lineEditUserName = DeviceFormStyle::lineEdit(widgetUser, "lineEditUserName", QRect());
        lbPassword = DeviceFormStyle::caption(widgetUser, "lbPassword", QRect());
        lineEditPassword = DeviceFormStyle::lineEdit(widgetUser, "lineEditPassword", QRect());
        lbPasswordConfirm = DeviceFormStyle::caption(widgetUser, "lbPasswordConfirm", QRect());
        lineEditPasswordConfirm = DeviceFormStyle::lineEdit(widgetUser, "lineEditPasswordConfirm", QRect());
        // The rows share the container's height, so they grow with it when the form is scaled.
        for (QLineEdit *edit : {lineEditUserName, lineEditPassword, lineEditPasswordConfirm})
            edit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        gridLayout->addWidget(lbUserName, 0, 0);
        gridLayout->addWidget(lineEditUserName, 0, 1);
        gridLayout->addWidget(lbPassword, 1, 0);
        gridLayout->addWidget(lineEditPassword, 1, 1);
        gridLayout->addWidget(lbPasswordConfirm, 2, 0);
        gridLayout->addWidget(lineEditPasswordConfirm, 2, 1);

        lbMessage = new TextLabel(frameContent);
        lbMessage->setObjectName(QStringLiteral("lbMessage"));
        lbMessage->setGeometry(QRect(25, 142, 360, 20));
        lbMessage->hide();

        btnCancel = DeviceFormStyle::button(frameContent, "btnCancel", QRect(195, 172, 90, 28), false);
        btnNext = DeviceFormStyle::button(frameContent, "btnNext", QRect(295, 172, 90, 28), true);

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
