#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

#include "shell/kit/KitForm.h"

class Ui_ReStartConfirmDialog
{
public:
    QFrame *frameContent;
    QToolButton *btnOk;
    QToolButton *btnCancel;
    QLabel *labelMessage;

    void setupUi(QDialog *ReStartConfirmDialog)
    {
        if (ReStartConfirmDialog->objectName().isEmpty())
            ReStartConfirmDialog->setObjectName(QStringLiteral("ReStartConfirmDialog"));
        ReStartConfirmDialog->resize(432, 124);
        frameContent = createContentFrame(ReStartConfirmDialog, QRect(0, 0, 432, 124));
        labelMessage = createMessageLabel(frameContent, QStringLiteral("labelMessage"), QRect(20, 14, 392, 56), false,
                                          Qt::AlignLeft | Qt::AlignVCenter);
        btnCancel = createDialogButton(frameContent, QStringLiteral("btnCancel"), QPoint(128, 81));
        btnOk = createDialogButton(frameContent, QStringLiteral("btnOk"), QPoint(223, 81));
        retranslateUi(ReStartConfirmDialog);
    }

    void retranslateUi(QDialog *ReStartConfirmDialog)
    {
        ReStartConfirmDialog->setWindowTitle(QCoreApplication::translate("ReStartConfirmDialog", "Dialog"));
        btnOk->setText(QCoreApplication::translate("ReStartConfirmDialog", "Continue"));
        btnCancel->setText(QCoreApplication::translate("ReStartConfirmDialog", "Cancel"));
        labelMessage->setText(QCoreApplication::translate(
            "ReStartConfirmDialog",
            "If you start to restore the database, it will clear all existing data and restart the program "
            "automatically."));
    }
};
