#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QMetaObject>

#include "shell/kit/ClickableLabel.h"

class Ui_MoreOptionDialog
{
public:
    QFrame *frameContent;
    ClickableLabel *labelEditAccount;
    ClickableLabel *labelPermissionsUsers;
    ClickableLabel *labelRemoveUser;

    void setupUi(QDialog *MoreOptionDialog)
    {
        if (MoreOptionDialog->objectName().isEmpty())
            MoreOptionDialog->setObjectName(QStringLiteral("MoreOptionDialog"));
        MoreOptionDialog->resize(200, 110);

        frameContent = new QFrame(MoreOptionDialog);
        frameContent->setObjectName(QStringLiteral("frameContent"));
        frameContent->setGeometry(QRect(0, 0, 200, 110));
        frameContent->setStyleSheet(
            QStringLiteral("QFrame#frameContent{background-color: #333333;border: 1px solid #7a7a7a;}\n"
                           "QLabel{color: #ffffff;font-size:10pt; font-family:Arial;padding-left: 14px;}\n"
                           "QLabel:hover{background-color: #0a5f8f;}"));

        const auto entry = [&](const char *name, int top) {
            auto *label = new ClickableLabel(frameContent);
            label->setObjectName(QLatin1String(name));
            label->setGeometry(QRect(1, top, 198, 36));
            label->setCursor(Qt::PointingHandCursor);
            return label;
        };
        labelEditAccount = entry("labelEditAccount", 1);
        labelPermissionsUsers = entry("labelPermissionsUsers", 37);
        labelRemoveUser = entry("labelRemoveUser", 73);

        retranslateUi(MoreOptionDialog);
        QMetaObject::connectSlotsByName(MoreOptionDialog);
    }

    void retranslateUi(QDialog *MoreOptionDialog)
    {
        Q_UNUSED(MoreOptionDialog)
        labelEditAccount->setText(QCoreApplication::translate("MoreOptionDialog", "Edit user account"));
        labelPermissionsUsers->setText(QCoreApplication::translate("MoreOptionDialog", "Permissions of users"));
        labelRemoveUser->setText(QCoreApplication::translate("MoreOptionDialog", "Remove user"));
    }
};
