#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QWidget>

#include "shell/app/Ui_UserInfoDialog.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/TextLabel.h"

class Ui_CheckPasswordDialog
{
public:
    QToolButton *btnCancel;
    QToolButton *btnOK;
    QLabel *label;
    QWidget *layoutWidget;
    TextLabel *lbMessage;
    QWidget *widgetPassword;
    QLabel *label_2;
    QLineEdit *lineEditPassword;

    void setupUi(QDialog *CheckPasswordDialog)
    {
        using namespace UserSettingsStyle;
        if (CheckPasswordDialog->objectName().isEmpty())
            CheckPasswordDialog->setObjectName(QStringLiteral("CheckPasswordDialog"));
        CheckPasswordDialog->resize(364, 179);
        CheckPasswordDialog->setStyleSheet(dialogStyle(CheckPasswordDialog->objectName()));

        label = rowLabel(CheckPasswordDialog, "label");
        label->setGeometry(QRect(20, 18, 324, 24));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);

        QHBoxLayout *passwordLayout =
            formRow(CheckPasswordDialog, &widgetPassword, "widgetPassword", QRect(20, 54, 324, 22));
        label_2 = rowLabel(widgetPassword, "label_2");
        lineEditPassword = lineEdit(widgetPassword, "lineEditPassword");
        passwordLayout->addWidget(label_2, 90);
        passwordLayout->addWidget(lineEditPassword, 224);

        layoutWidget = badgeRow(CheckPasswordDialog, &lbMessage, 98);

        btnCancel = createDialogButton(CheckPasswordDialog, QStringLiteral("btnCancel"), QPoint(95, 137));
        btnOK = createDialogButton(CheckPasswordDialog, QStringLiteral("btnOK"), QPoint(190, 137));

        retranslateUi(CheckPasswordDialog);
    }

    void retranslateUi(QDialog *CheckPasswordDialog)
    {
        CheckPasswordDialog->setWindowTitle(QCoreApplication::translate("CheckPasswordDialog", "Dialog"));
        btnCancel->setText(QCoreApplication::translate("CheckPasswordDialog", "Cancel"));
        btnOK->setText(QCoreApplication::translate("CheckPasswordDialog", "OK"));
        label->setText(QCoreApplication::translate("CheckPasswordDialog", "Please enter the current password."));
        label_2->setText(QCoreApplication::translate("CheckPasswordDialog", "Paswsord:"));
        label_2->setToolTip(label_2->text());
        lbMessage->setText(QCoreApplication::translate("CheckPasswordDialog", "Invalid User Password."));
        lbMessage->setToolTip(lbMessage->text());
    }
};
