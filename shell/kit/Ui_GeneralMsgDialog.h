#pragma once

#include "shell/kit/KitForm.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

class Ui_GeneralMsgDialog
{
public:
    QFrame *frameContent;
    QLabel *labelMessage;
    QToolButton *btnOk;

    void setupUi(QDialog *GeneralMsgDialog)
    {
        if (GeneralMsgDialog->objectName().isEmpty())
            GeneralMsgDialog->setObjectName(QStringLiteral("GeneralMsgDialog"));
        GeneralMsgDialog->resize(432, 161);
        frameContent = createContentFrame(GeneralMsgDialog, QRect(0, 0, 432, 161));
        labelMessage = createMessageLabel(frameContent, QStringLiteral("labelMessage"), QRect(20, 20, 392, 90), true,
                                          Qt::AlignLeft | Qt::AlignTop);
        btnOk = createDialogButton(frameContent, QStringLiteral("btnOk"), QPoint(176, 121));
        retranslateUi(GeneralMsgDialog);
    }

    void retranslateUi(QDialog *GeneralMsgDialog)
    {
        GeneralMsgDialog->setWindowTitle(QCoreApplication::translate("GeneralMsgDialog", "Dialog"));
        labelMessage->setText(QString());
        btnOk->setText(QCoreApplication::translate("GeneralMsgDialog", "OK"));
    }
};
