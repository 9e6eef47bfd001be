#pragma once

#include "shell/kit/KitForm.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

/// The OTA notice, 432 × 121: a message of at most three lines and one button.
class Ui_OtaMessageDialog
{
public:
    QFrame *frameContent;
    QToolButton *btnOk;
    QLabel *labelMessage;

    void setupUi(QDialog *OtaMessageDialog)
    {
        if (OtaMessageDialog->objectName().isEmpty())
            OtaMessageDialog->setObjectName(QStringLiteral("OtaMessageDialog"));
        OtaMessageDialog->resize(432, 121);
        OtaMessageDialog->setWindowTitle(QStringLiteral("Dialog"));
        frameContent = createContentFrame(OtaMessageDialog, QRect(0, 0, 432, 121));
        btnOk = createDialogButton(frameContent, QStringLiteral("btnOk"), QPoint(176, 81));
        labelMessage = createMessageLabel(frameContent, QStringLiteral("labelMessage"), QRect(20, 20, 392, 50), true,
                                          Qt::AlignLeft | Qt::AlignTop);
        labelMessage->setMinimumSize(QSize(0, 0));
        labelMessage->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
        labelMessage->setText(QStringLiteral("Set text before you show this dialog."));
        retranslateUi(OtaMessageDialog);
    }

    void retranslateUi(QDialog *) { btnOk->setText(QCoreApplication::translate("OtaMessageDialog", "OK")); }
};
