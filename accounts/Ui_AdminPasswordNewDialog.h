#pragma once

#include <QCoreApplication>
#include <QMetaObject>

#include "accounts/Ui_PasswordForm.h"

class Ui_AdminPasswordNewDialog : public Ui_PasswordPairForm
{
public:
    void setupUi(QDialog *AdminPasswordNewDialog)
    {
        setupPairForm(AdminPasswordNewDialog, "AdminPasswordNewDialog");
        retranslateUi(AdminPasswordNewDialog);
        QMetaObject::connectSlotsByName(AdminPasswordNewDialog);
    }

    void retranslateUi(QDialog *AdminPasswordNewDialog)
    {
        Q_UNUSED(AdminPasswordNewDialog)
        label->setText(QCoreApplication::translate("AdminPasswordNewDialog", "Admin Password:"));
        label->setToolTip(QCoreApplication::translate("AdminPasswordNewDialog", "Admin Password:"));
        label2->setText(QCoreApplication::translate("AdminPasswordNewDialog", "Confirm Password:"));
        label2->setToolTip(QCoreApplication::translate("AdminPasswordNewDialog", "Confirm Password:"));
        btnCancel->setText(QCoreApplication::translate("AdminPasswordNewDialog", "Cancel"));
        btnSave->setText(QCoreApplication::translate("AdminPasswordNewDialog", "Save"));
    }
};
