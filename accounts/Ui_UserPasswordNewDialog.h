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

        frameContent = new QFrame(UserPasswordNewDialog);
        frameContent->setObjectName(QStringLiteral("frameContent"));
        frameContent->setGeometry(QRect(0, 0, 410, 172));
        frameContent->setStyleSheet(QStringLiteral("QFrame#frameContent{\nbackground-color:#404040;\n}\n"));

        widgetPassword = new QWidget(frameContent);
        widgetPassword->setObjectName(QStringLiteral("widgetPassword"));
        widgetPassword->setGeometry(QRect(25, 22, 360, 72));
        gridLayout = new QGridLayout(widgetPassword);
        gridLayout->setObjectName(QStringLiteral("gridLayout"));
        gridLayout->setContentsMargins(0, 0, 0, 0);
        gridLayout->setHorizontalSpacing(6);
        gridLayout->setVerticalSpacing(12);
        gridLayout->setColumnStretch(0, 130);
        gridLayout->setColumnStretch(1, 230);
        label = DeviceFormStyle::caption(widgetPassword, "label", QRect());
        lineEditPassword = DeviceFormStyle::lineEdit(widgetPassword, "lineEditPassword", QRect());
        label2 = DeviceFormStyle::caption(widgetPassword, "label2", QRect());
        lineEditPasswordConfirm = DeviceFormStyle::lineEdit(widgetPassword, "lineEditPasswordConfirm", QRect());
        for (QLineEdit *edit : {lineEditPassword, lineEditPasswordConfirm})
            edit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        gridLayout->addWidget(label, 0, 0);
        gridLayout->addWidget(lineEditPassword, 0, 1);
        gridLayout->addWidget(label2, 1, 0);
        gridLayout->addWidget(lineEditPasswordConfirm, 1, 1);

        lbMessage = new TextLabel(frameContent);
        lbMessage->setObjectName(QStringLiteral("lbMessage"));
        lbMessage->setGeometry(QRect(25, 102, 360, 20));
        lbMessage->hide();

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
