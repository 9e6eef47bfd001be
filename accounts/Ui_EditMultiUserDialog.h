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
#include "shell/kit/ClickableLabel.h"
#include "shell/kit/FormStyle.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/TextLabel.h"

/// The edit-user form. The two switches are not part of it: the dialog builds them anew for
/// each user and lays them at the field column of their rows.
class Ui_EditMultiUserDialog
{
public:
    QFrame *frameContent;
    QWidget *widgetUser;
    QGridLayout *gridLayout;
    QLabel *label;
    QLineEdit *lineUserName;
    QLabel *label_2;
    QWidget *widgetChangePassword;
    QPushButton *btnChangePassword;
    QWidget *widgetPassword;
    QGridLayout *gridLayout_2;
    QLabel *lbPassword;
    QLineEdit *lineEditPassword;
    QLabel *lbPasswordConfirm;
    QLineEdit *lineEditPasswordConfirm;
    QWidget *widgetBindCard;
    QLabel *lbBindCard;
    ClickableLabel *lbChangeBindCard;
    TextLabel *lbMessage;
    QPushButton *btnCancel;
    QPushButton *btnSave;

    void setupUi(QDialog *EditMultiUserDialog)
    {
        if (EditMultiUserDialog->objectName().isEmpty())
            EditMultiUserDialog->setObjectName(QStringLiteral("EditMultiUserDialog"));
        EditMultiUserDialog->resize(410, 239);

        frameContent = createContentFrame(EditMultiUserDialog, QRect(0, 0, 410, 239));

        widgetUser = new QWidget(frameContent);
        widgetUser->setObjectName(QStringLiteral("widgetUser"));
        widgetUser->setGeometry(QRect(25, 20, 360, 76));
        gridLayout = AccountsForm::fieldGrid(widgetUser, 127, 233, 12);
        lineUserName = AccountsForm::fieldRow(gridLayout, 0, &label, "label", "lineUserName");
        label_2 = FormStyle::caption(widgetUser, "label_2", QRect());
        label_2->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        gridLayout->addWidget(label_2, 1, 0);

        widgetChangePassword = new QWidget(frameContent);
        widgetChangePassword->setObjectName(QStringLiteral("widgetChangePassword"));
        widgetChangePassword->setGeometry(QRect(225, 64, 160, 32));
        btnChangePassword = FormStyle::button(widgetChangePassword, "btnChangePassword", QRect(0, 2, 160, 28), false);

        widgetPassword = new QWidget(frameContent);
        widgetPassword->setObjectName(QStringLiteral("widgetPassword"));
        widgetPassword->setGeometry(QRect(25, 108, 360, 64));
        gridLayout_2 = AccountsForm::fieldGrid(widgetPassword, 127, 233, 8);
        lineEditPassword = AccountsForm::fieldRow(gridLayout_2, 0, &lbPassword, "lbPassword", "lineEditPassword");
        lineEditPasswordConfirm =
            AccountsForm::fieldRow(gridLayout_2, 1, &lbPasswordConfirm, "lbPasswordConfirm", "lineEditPasswordConfirm");

        widgetBindCard = new QWidget(frameContent);
        widgetBindCard->setObjectName(QStringLiteral("widgetBindCard"));
        widgetBindCard->setGeometry(QRect(25, 121, 360, 40));
        lbBindCard = FormStyle::caption(widgetBindCard, "lbBindCard", QRect(0, 0, 125, 40));
        lbChangeBindCard = new ClickableLabel(widgetBindCard);
        lbChangeBindCard->setObjectName(QStringLiteral("lbChangeBindCard"));
        lbChangeBindCard->setGeometry(QRect(200, 0, 160, 40));
        lbChangeBindCard->setCursor(Qt::PointingHandCursor);
        lbChangeBindCard->setStyleSheet(
            QStringLiteral("QLabel{color: #00acff;font-size:10pt; font-family:Arial;text-decoration: underline;}\n"
                           "QLabel:disabled{color: #7a7a7a;}"));

        lbMessage = AccountsForm::warningBadge(frameContent, QRect(25, 165, 360, 20));

        btnCancel = FormStyle::button(frameContent, "btnCancel", QRect(195, 195, 90, 28), false);
        btnSave = FormStyle::button(frameContent, "btnSave", QRect(295, 195, 90, 28), true);

        retranslateUi(EditMultiUserDialog);
        QMetaObject::connectSlotsByName(EditMultiUserDialog);
    }

    void retranslateUi(QDialog *EditMultiUserDialog)
    {
        Q_UNUSED(EditMultiUserDialog)
        label->setText(QCoreApplication::translate("EditMultiUserDialog", "User Name:"));
        label->setToolTip(QCoreApplication::translate("EditMultiUserDialog", "User Name:"));
        label_2->setText(QCoreApplication::translate("EditMultiUserDialog", "Paswsord:"));
        label_2->setToolTip(QCoreApplication::translate("EditMultiUserDialog", "Paswsord:"));
        btnChangePassword->setText(QCoreApplication::translate("EditMultiUserDialog", "Change Password"));
        lbPassword->setText(QCoreApplication::translate("EditMultiUserDialog", "New Password:"));
        lbPassword->setToolTip(QCoreApplication::translate("EditMultiUserDialog", "New Password:"));
        lbPasswordConfirm->setText(QCoreApplication::translate("EditMultiUserDialog", "Confirm Password:"));
        lbPasswordConfirm->setToolTip(QCoreApplication::translate("EditMultiUserDialog", "Confirm Password:"));
        lbBindCard->setText(QCoreApplication::translate("EditMultiUserDialog", "Bind Card Login:"));
        lbBindCard->setToolTip(QCoreApplication::translate("EditMultiUserDialog", "Bind Card Login:"));
        lbChangeBindCard->setText(QCoreApplication::translate("EditMultiUserDialog", "Change Bind Card"));
        btnCancel->setText(QCoreApplication::translate("EditMultiUserDialog", "Cancel"));
        btnSave->setText(QCoreApplication::translate("EditMultiUserDialog", "Save"));
        lbMessage->setText(QCoreApplication::translate("EditMultiUserDialog", "The Password do not match."));
    }
};
