#pragma once

#include "shell/kit/KitForm.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

class Ui_DeleteScheduleDialog
{
public:
    QFrame *frameContent;
    QLabel *labelMessage;
    QToolButton *btnOk;
    QToolButton *btnCancel;

    void setupUi(QDialog *DeleteScheduleDialog)
    {
        if (DeleteScheduleDialog->objectName().isEmpty())
            DeleteScheduleDialog->setObjectName(QStringLiteral("DeleteScheduleDialog"));
        DeleteScheduleDialog->resize(310, 100);
        frameContent = createContentFrame(DeleteScheduleDialog, QRect(0, 0, 310, 110));
        labelMessage = createMessageLabel(frameContent, QStringLiteral("labelMessage"), QRect(20, 14, 270, 64), false,
                                          Qt::AlignLeft | Qt::AlignTop);
        btnOk = createDialogButton(frameContent, QStringLiteral("btnOk"), QPoint(162, 72));
        btnCancel = createDialogButton(frameContent, QStringLiteral("btnCancel"), QPoint(62, 72));
        retranslateUi(DeleteScheduleDialog);
    }

    void retranslateUi(QDialog *DeleteScheduleDialog)
    {
        DeleteScheduleDialog->setWindowTitle(QCoreApplication::translate("DeleteScheduleDialog", "Dialog"));
        labelMessage->setText(
            QCoreApplication::translate("DeleteScheduleDialog", "Are you sure you want to delete this schedule?"));
        btnOk->setText(QCoreApplication::translate("DeleteScheduleDialog", "Yes"));
        btnCancel->setText(QCoreApplication::translate("DeleteScheduleDialog", "No"));
    }
};
