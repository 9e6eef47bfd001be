#pragma once

#include <QCoreApplication>
#include <QMetaObject>

#include "accounts/Ui_PasswordForm.h"

class Ui_AdminPasswordResetDialog : public Ui_PasswordForm
{
public:
    QLabel *label;
    QLineEdit *lineEditOldPassword;
    QLabel *label2;
    QLineEdit *lineEditPassword;
    QLabel *label3;
    QLineEdit *lineEditPasswordConfirm;

    void setupUi(QDialog *AdminPasswordResetDialog)
    {
        setupPasswordForm(AdminPasswordResetDialog, "AdminPasswordResetDialog", 3);
        lineEditOldPassword = AccountsForm::fieldRow(gridLayout, 0, &label, "label", "lineEditOldPassword");
        lineEditPassword = AccountsForm::fieldRow(gridLayout, 1, &label2, "label2", "lineEditPassword");
        lineEditPasswordConfirm = AccountsForm::fieldRow(gridLayout, 2, &label3, "label3", "lineEditPasswordConfirm");
        retranslateUi(AdminPasswordResetDialog);
        QMetaObject::connectSlotsByName(AdminPasswordResetDialog);
    }

    void retranslateUi(QDialog *AdminPasswordResetDialog)
    {
        Q_UNUSED(AdminPasswordResetDialog)
        label->setText(QCoreApplication::translate("AdminPasswordResetDialog", "Old Password:"));
        label->setToolTip(QCoreApplication::translate("AdminPasswordResetDialog", "Old Password:"));
        label2->setText(QCoreApplication::translate("AdminPasswordResetDialog", "New Password:"));
        label2->setToolTip(QCoreApplication::translate("AdminPasswordResetDialog", "New Password:"));
        label3->setText(QCoreApplication::translate("AdminPasswordResetDialog", "Confirm Password:"));
        label3->setToolTip(QCoreApplication::translate("AdminPasswordResetDialog", "Confirm Password:"));
        btnCancel->setText(QCoreApplication::translate("AdminPasswordResetDialog", "Cancel"));
        btnSave->setText(QCoreApplication::translate("AdminPasswordResetDialog", "Save"));
    }
};
