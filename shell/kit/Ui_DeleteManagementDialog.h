#pragma once

#include "shell/kit/KitForm.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

class Ui_DeleteManagementDialog
{
public:
    QFrame *frameContent;
    QLabel *label;
    QToolButton *btnOk;
    QToolButton *btnCancel;

    void setupUi(QDialog *DeleteManagementDialog)
    {
        if (DeleteManagementDialog->objectName().isEmpty())
            DeleteManagementDialog->setObjectName(QStringLiteral("DeleteManagementDialog"));
        DeleteManagementDialog->resize(320, 109);
        frameContent = createContentFrame(DeleteManagementDialog, QRect(0, 0, 320, 110));
        label = createMessageLabel(frameContent, QStringLiteral("label"), QRect(20, 20, 260, 32), false,
                                   Qt::AlignLeft | Qt::AlignVCenter);
        btnOk = createDialogButton(frameContent, QStringLiteral("btnOk"), QPoint(169, 65));
        btnCancel = createDialogButton(frameContent, QStringLiteral("btnCancel"), QPoint(74, 65));
        retranslateUi(DeleteManagementDialog);
    }

    void retranslateUi(QDialog *DeleteManagementDialog)
    {
        DeleteManagementDialog->setWindowTitle(QCoreApplication::translate("DeleteManagementDialog", "Dialog"));
        label->setText(QCoreApplication::translate(
            "DeleteManagementDialog",
            "Failed to remove. This Device is offline now.\nPlease start the device and try it again."));
        btnOk->setText(QCoreApplication::translate("DeleteManagementDialog", "Yes"));
        btnCancel->setText(QCoreApplication::translate("DeleteManagementDialog", "No"));
    }
};
