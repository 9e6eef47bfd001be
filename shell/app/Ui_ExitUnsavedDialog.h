#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

#include "shell/kit/KitForm.h"

class Ui_ExitUnsavedDialog
{
public:
    QFrame *frameContent;
    QLabel *labelMessage;
    QToolButton *btnWait;
    QToolButton *btnQuit;

    void setupUi(QDialog *ExitUnsavedDialog)
    {
        if (ExitUnsavedDialog->objectName().isEmpty())
            ExitUnsavedDialog->setObjectName(QStringLiteral("ExitUnsavedDialog"));
        ExitUnsavedDialog->resize(432, 144);
        frameContent = createContentFrame(ExitUnsavedDialog, QRect(0, 0, 432, 144));
        labelMessage = createMessageLabel(frameContent, QStringLiteral("labelMessage"), QRect(20, 14, 392, 76), false,
                                          Qt::AlignLeft | Qt::AlignVCenter);
        btnQuit = createDialogButton(frameContent, QStringLiteral("btnQuit"), QPoint(128, 101));
        btnWait = createDialogButton(frameContent, QStringLiteral("btnWait"), QPoint(223, 101));
        retranslateUi(ExitUnsavedDialog);
    }

    void retranslateUi(QDialog *ExitUnsavedDialog)
    {
        ExitUnsavedDialog->setWindowTitle(QCoreApplication::translate("ExitUnsavedDialog", "Dialog"));
        btnWait->setText(QCoreApplication::translate("ExitUnsavedDialog", "Wait"));
        btnQuit->setText(QCoreApplication::translate("ExitUnsavedDialog", "Quit"));
    }
};
