#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

#include "shell/kit/KitForm.h"

class Ui_LanguageDialog
{
public:
    QFrame *frameContent;
    QToolButton *btnOk;
    QLabel *labelMessage;

    void setupUi(QDialog *LanguageDialog)
    {
        if (LanguageDialog->objectName().isEmpty())
            LanguageDialog->setObjectName(QStringLiteral("LanguageDialog"));
        LanguageDialog->resize(432, 121);
        frameContent = createContentFrame(LanguageDialog, QRect(0, 0, 432, 121));
        labelMessage = createMessageLabel(frameContent, QStringLiteral("labelMessage"), QRect(20, 14, 392, 56), false,
                                          Qt::AlignLeft | Qt::AlignVCenter);
        btnOk = createDialogButton(frameContent, QStringLiteral("btnOk"), QPoint(176, 81));
        retranslateUi(LanguageDialog);
    }

    void retranslateUi(QDialog *LanguageDialog)
    {
        LanguageDialog->setWindowTitle(QCoreApplication::translate("LanguageDialog", "Dialog"));
        btnOk->setText(QCoreApplication::translate("LanguageDialog", "OK"));
        labelMessage->setText(QCoreApplication::translate(
            "LanguageDialog", "After you save this change of language, this program will be restarted automatically."));
    }
};
