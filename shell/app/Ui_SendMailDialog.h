#pragma once

#include "shell/kit/KitForm.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

class Ui_SendMailDialog
{
public:
    QFrame *frameContent;
    QLabel *labelMessage;
    QToolButton *btnOk;

    void setupUi(QDialog *SendMailDialog)
    {
        if (SendMailDialog->objectName().isEmpty())
            SendMailDialog->setObjectName(QStringLiteral("SendMailDialog"));
        SendMailDialog->resize(364, 109);
        frameContent = createContentFrame(SendMailDialog, QRect(0, 0, 364, 109));
        labelMessage = createMessageLabel(frameContent, QStringLiteral("labelMessage"), QRect(20, 17, 324, 52), false,
                                          Qt::AlignLeft | Qt::AlignTop);
        btnOk = createDialogButton(frameContent, QStringLiteral("btnOk"), QPoint(142, 77));
        retranslateUi(SendMailDialog);
    }

    void retranslateUi(QDialog *SendMailDialog)
    {
        SendMailDialog->setWindowTitle(QCoreApplication::translate("SendMailDialog", "Dialog"));
        labelMessage->setText(
            QCoreApplication::translate("SendMailDialog", "The new password has been sent to your email address."));
        btnOk->setText(QCoreApplication::translate("SendMailDialog", "OK"));
    }
};
