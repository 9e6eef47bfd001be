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
#include "devices/DeviceFormStyle.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/TextLabel.h"

class Ui_UserPasswordNewDialog
{
public:
    QFrame *frameContent;
    QWidget *widgetPassword;
    QGridLayout *gridLayout;
    QLabel *label;
    QLineEdit *lineEditPassword;
    QLabel *label2;
    QLineEdit *lineEditPasswordConfirm;
    TextLabel *lbMessage;
    QPushButton *btnCancel;
    QPushButton *btnSave;

    void setupUi(QDialog *UserPasswordNewDialog)
    {
        if (UserPasswordNewDialog->objectName().isEmpty())
            UserPasswordNewDialog->setObjectName(QStringLiteral("UserPasswordNewDialog"));
        UserPasswordNewDialog->resize(410, 172);

        frameContent = createContentFrame(UserPasswordNewDialog, QRect(0, 0, 410, 172));

        widgetPassword = new QWidget(frameContent);
        widgetPassword->setObjectName(QStringLiteral("widgetPassword"));
        widgetPassword->setGeometry(QRect(25, 22, 360, 72));
        gridLayout = AccountsForm::fieldGrid(widgetPassword, 130, 230, 12);
        lineEditPassword = AccountsForm::fieldRow(gridLayout, 0, &label, "label", "lineEditPassword");
        lineEditPasswordConfirm = AccountsForm::fieldRow(gridLayout, 1, &label2, "label2", "lineEditPasswordConfirm");
        lbMessage = AccountsForm::warningBadge(frameContent, QRect(25, 102, 360, 20));

        btnCancel = DeviceFormStyle::button(frameContent, "btnCancel", QRect(195, 130, 90, 28), false);
        btnSave = DeviceFormStyle::button(frameContent, "btnSave", QRect(295, 130, 90, 28), true);

        retranslateUi(UserPasswordNewDialog);
        QMetaObject::connectSlotsByName(UserPasswordNewDialog);
    }

    void retranslateUi(QDialog *UserPasswordNewDialog)
    {
        Q_UNUSED(UserPasswordNewDialog)
        label->setText(QCoreApplication::translate("UserPasswordNewDialog", "User Password:"));
        label->setToolTip(QCoreApplication::translate("UserPasswordNewDialog", "User Password:"));
        label2->setText(QCoreApplication::translate("UserPasswordNewDialog", "Confirm Password:"));
        label2->setToolTip(QCoreApplication::translate("UserPasswordNewDialog", "Confirm Password:"));
        btnCancel->setText(QCoreApplication::translate("UserPasswordNewDialog", "Cancel"));
        btnSave->setText(QCoreApplication::translate("UserPasswordNewDialog", "Save"));
        lbMessage->setText(QCoreApplication::translate("UserPasswordNewDialog", "The Password do not match."));
    }
};
