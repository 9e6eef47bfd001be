#pragma once

#include <QCoreApplication>
#include <QMetaObject>

#include "accounts/Ui_PasswordForm.h"

class Ui_CreateAccountPasswordDialog : public Ui_PasswordPairForm
{
public:
    void setupUi(QDialog *CreateAccountPasswordDialog)
    {
        // Its first caption is longer than the other dialogs'.
        setupPairForm(CreateAccountPasswordDialog, "CreateAccountPasswordDialog", 180);
        retranslateUi(CreateAccountPasswordDialog);
        QMetaObject::connectSlotsByName(CreateAccountPasswordDialog);
    }

    void retranslateUi(QDialog *CreateAccountPasswordDialog)
    {
        Q_UNUSED(CreateAccountPasswordDialog)
        label->setText(QCoreApplication::translate("CreateAccountPasswordDialog", "Create Accounts Password:"));
        label->setToolTip(QCoreApplication::translate("CreateAccountPasswordDialog", "Create Accounts Password:"));
        label2->setText(QCoreApplication::translate("CreateAccountPasswordDialog", "Confirm Password:"));
        label2->setToolTip(QCoreApplication::translate("CreateAccountPasswordDialog", "Confirm Password:"));
        btnCancel->setText(QCoreApplication::translate("CreateAccountPasswordDialog", "Cancel"));
        btnSave->setText(QCoreApplication::translate("CreateAccountPasswordDialog", "Save"));
        lbMessage->setText(QCoreApplication::translate("CreateAccountPasswordDialog", "The Password do not match."));
    }
};
