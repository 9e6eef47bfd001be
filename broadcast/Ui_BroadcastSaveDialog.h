#pragma once

#include "shell/kit/KitForm.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

/// The question asked when the editor is closed early: 415 × 123 at scale 1.0.
class Ui_BroadcastSaveDialog
{
public:
    QFrame *frameContent;
    QLabel *labelTitle;
    QLabel *labelMessage;
    QToolButton *btnOk;
    QToolButton *btnCancel;

    void setupUi(QDialog *BroadcastSaveDialog)
    {
        if (BroadcastSaveDialog->objectName().isEmpty())
            BroadcastSaveDialog->setObjectName(QStringLiteral("BroadcastSaveDialog"));
        BroadcastSaveDialog->resize(415, 123);
        frameContent = createContentFrame(BroadcastSaveDialog, QRect(0, 0, 415, 123));
        labelTitle = createMessageLabel(frameContent, QStringLiteral("labelTitle"), QRect(20, 12, 375, 22), true,
                                        Qt::AlignLeft | Qt::AlignVCenter);
        labelMessage = createMessageLabel(frameContent, QStringLiteral("labelMessage"), QRect(20, 38, 375, 40), false,
                                          Qt::AlignLeft | Qt::AlignTop);
        btnCancel = createDialogButton(frameContent, QStringLiteral("btnCancel"), QPoint(190, 88));
        btnCancel->setGeometry(QRect(185, 88, 120, 22));
        btnOk = createDialogButton(frameContent, QStringLiteral("btnOk"), QPoint(315, 88));
        retranslateUi(BroadcastSaveDialog);
    }

    void retranslateUi(QDialog *BroadcastSaveDialog)
    {
        Q_UNUSED(BroadcastSaveDialog)
        labelTitle->setText(QCoreApplication::translate("BroadcastSaveDialog", "Save your changes?"));
        labelMessage->setText(QCoreApplication::translate(
            "BroadcastSaveDialog", "You have not finished yet, do you want to save your changes?"));
        btnOk->setText(QCoreApplication::translate("BroadcastSaveDialog", "Save"));
        btnCancel->setText(QCoreApplication::translate("BroadcastSaveDialog", "Discard Changes"));
    }
};
