#pragma once

#include "shell/kit/KitForm.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

class Ui_PowerOnNotification
{
public:
    QFrame *frameContent;
    QLabel *labelMessage;
    QLabel *labelNote;
    QToolButton *btnOk;

    void setupUi(QDialog *PowerOnNotification)
    {
        if (PowerOnNotification->objectName().isEmpty())
            PowerOnNotification->setObjectName(QStringLiteral("PowerOnNotification"));
        PowerOnNotification->resize(432, 121);
        frameContent = createContentFrame(PowerOnNotification, QRect(0, 0, 432, 121));
        labelMessage = createMessageLabel(frameContent, QStringLiteral("labelMessage"), QRect(20, 20, 392, 50), true,
                                          Qt::AlignLeft | Qt::AlignTop);
        // Shown only with a note (PowerOnNotification::setNote), which makes room for it above the button.
        labelNote = createMessageLabel(frameContent, QStringLiteral("labelNote"), QRect(20, 74, 392, 36), false,
                                       Qt::AlignLeft | Qt::AlignTop);
        labelNote->setStyleSheet(labelNote->styleSheet() + QStringLiteral("\ncolor: #ffc44d;"));
        labelNote->hide();
        btnOk = createDialogButton(frameContent, QStringLiteral("btnOk"), QPoint(176, 81));
        retranslateUi(PowerOnNotification);
    }

    void retranslateUi(QDialog *PowerOnNotification)
    {
        PowerOnNotification->setWindowTitle(QCoreApplication::translate("PowerOnNotification", "Dialog"));
        labelMessage->setText(QCoreApplication::translate(
            "PowerOnNotification",
            "Make sure all panels be connected via ethernet cable in order to remote control to power on."));
        btnOk->setText(QCoreApplication::translate("PowerOnNotification", "Save"));
    }
};
