#pragma once

#include <QCoreApplication>
#include <QMetaObject>

#include "accounts/Ui_PasswordForm.h"

class Ui_UserPasswordNewDialog : public Ui_PasswordPairForm
{
public:
    void setupUi(QDialog *UserPasswordNewDialog)
    {
        setupPairForm(UserPasswordNewDialog, "UserPasswordNewDialog");
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
