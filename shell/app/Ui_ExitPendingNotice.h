#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

#include "shell/kit/KitForm.h"

class Ui_ExitPendingNotice
{
public:
    QFrame *frameContent;
    QLabel *labelMessage;
    QToolButton *btnStayOpen;

    void setupUi(QDialog *ExitPendingNotice)
    {
        if (ExitPendingNotice->objectName().isEmpty())
            ExitPendingNotice->setObjectName(QStringLiteral("ExitPendingNotice"));
        ExitPendingNotice->resize(432, 120);
        frameContent = createContentFrame(ExitPendingNotice, QRect(0, 0, 432, 120));
        labelMessage = createMessageLabel(frameContent, QStringLiteral("labelMessage"), QRect(20, 12, 392, 62), false,
                                          Qt::AlignLeft | Qt::AlignVCenter);
        btnStayOpen = createDialogButton(frameContent, QStringLiteral("btnStayOpen"), QPoint(176, 84));
        retranslateUi(ExitPendingNotice);
    }

    void retranslateUi(QDialog *ExitPendingNotice)
    {
        ExitPendingNotice->setWindowTitle(QCoreApplication::translate("ExitPendingNotice", "Dialog"));
        btnStayOpen->setText(QCoreApplication::translate("ExitPendingNotice", "Stay Open"));
    }
};
