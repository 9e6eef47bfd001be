#pragma once

#include "shell/kit/KitForm.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

/// The one-message notice of the broadcast editor: 432 × 121 at scale 1.0.
class Ui_BroadcastMessageDialog
{
public:
    QFrame *frameContent;
    QLabel *labelMessage;
    QToolButton *btnOk;

    void setupUi(QDialog *BroadcastMessageDialog)
    {
        if (BroadcastMessageDialog->objectName().isEmpty())
            BroadcastMessageDialog->setObjectName(QStringLiteral("BroadcastMessageDialog"));
        BroadcastMessageDialog->resize(432, 121);
        frameContent = createContentFrame(BroadcastMessageDialog, QRect(0, 0, 432, 121));
        labelMessage = createMessageLabel(frameContent, QStringLiteral("labelMessage"), QRect(20, 20, 392, 50), true,
                                          Qt::AlignLeft | Qt::AlignTop);
        btnOk = createDialogButton(frameContent, QStringLiteral("btnOk"), QPoint(176, 81));
        retranslateUi(BroadcastMessageDialog);
    }

    void retranslateUi(QDialog *BroadcastMessageDialog)
    {
        Q_UNUSED(BroadcastMessageDialog)
        labelMessage->setText(
            QCoreApplication::translate("BroadcastMessageDialog", "Set text before you show this dialog."));
        btnOk->setText(QCoreApplication::translate("BroadcastMessageDialog", "OK"));
    }
};
