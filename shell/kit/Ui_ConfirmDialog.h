#pragma once

#include "shell/kit/KitForm.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

class Ui_ConfirmDialog
{
public:
    QFrame *frameContent;
    QLabel *labelMessage;
    QToolButton *btnOk;
    QToolButton *btnCancel;

    void setupUi(QDialog *ConfirmDialog)
    {
        if (ConfirmDialog->objectName().isEmpty())
            ConfirmDialog->setObjectName(QStringLiteral("ConfirmDialog"));
        ConfirmDialog->resize(310, 100);
        frameContent = createContentFrame(ConfirmDialog, QRect(0, 0, 310, 100));
        labelMessage = createMessageLabel(frameContent, QStringLiteral("labelMessage"), QRect(20, 17, 270, 58), false,
                                          Qt::AlignLeft | Qt::AlignTop);
        btnOk = createDialogButton(frameContent, QStringLiteral("btnOk"), QPoint(162, 68));
        btnCancel = createDialogButton(frameContent, QStringLiteral("btnCancel"), QPoint(62, 68));
        retranslateUi(ConfirmDialog);
    }

    void retranslateUi(QDialog *ConfirmDialog)
    {
        ConfirmDialog->setWindowTitle(QCoreApplication::translate("ConfirmDialog", "Dialog"));
        labelMessage->setText(QCoreApplication::translate("ConfirmDialog", "Are you sure [operation]?"));
        btnOk->setText(QCoreApplication::translate("ConfirmDialog", "Yes"));
        btnCancel->setText(QCoreApplication::translate("ConfirmDialog", "No"));
    }
};
