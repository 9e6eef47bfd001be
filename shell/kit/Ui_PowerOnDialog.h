#pragma once

#include "shell/kit/KitForm.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

class Ui_PowerOnDialog
{
public:
    QFrame *frameContent;
    QLabel *labelMessage;
    QToolButton *btnOk;
    QToolButton *btnCancel;

    void setupUi(QDialog *PowerOnDialog)
    {
        if (PowerOnDialog->objectName().isEmpty())
            PowerOnDialog->setObjectName(QStringLiteral("PowerOnDialog"));
        PowerOnDialog->resize(432, 124);
        frameContent = createContentFrame(PowerOnDialog, QRect(0, 0, 432, 124));
        labelMessage = createMessageLabel(frameContent, QStringLiteral("labelMessage"), QRect(20, 20, 401, 64), false,
                                          Qt::AlignLeft | Qt::AlignTop);
        btnOk = createDialogButton(frameContent, QStringLiteral("btnOk"), QPoint(223, 92));
        btnCancel = createDialogButton(frameContent, QStringLiteral("btnCancel"), QPoint(128, 92));
        retranslateUi(PowerOnDialog);
    }

    void retranslateUi(QDialog *PowerOnDialog)
    {
        PowerOnDialog->setWindowTitle(QCoreApplication::translate("PowerOnDialog", "Dialog"));
        labelMessage->setText(QCoreApplication::translate(
            "PowerOnDialog",
            "If you want to power-on the device ,please make sure all devices are connected via ethernet cable."));
        btnOk->setText(QCoreApplication::translate("PowerOnDialog", "Yes"));
        btnCancel->setText(QCoreApplication::translate("PowerOnDialog", "No"));
    }
};
