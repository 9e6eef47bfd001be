#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QMetaObject>
#include <QToolButton>

#include "shell/kit/KitForm.h"

class Ui_ImportErrorDialog
{
public:
    QFrame *frameContent;
    QToolButton *btnOk;
    QLabel *labeTitle;
    QLabel *labeError;

    void setupUi(QDialog *ImportErrorDialog)
    {
        if (ImportErrorDialog->objectName().isEmpty())
            ImportErrorDialog->setObjectName(QStringLiteral("ImportErrorDialog"));
        ImportErrorDialog->resize(432, 179);
        frameContent = createContentFrame(ImportErrorDialog, QRect(0, 0, 432, 181));
        btnOk = createDialogButton(frameContent, QStringLiteral("btnOk"), QPoint(163, 140));
        labeTitle = createMessageLabel(frameContent, QStringLiteral("labeTitle"), QRect(0, 27, 432, 31), true,
                                       Qt::AlignHCenter | Qt::AlignVCenter);
        labeTitle->setStyleSheet(QStringLiteral("color: #ffffff;\nfont-size:10pt; font-family:Arial;"));
        labeError = createMessageLabel(frameContent, QStringLiteral("labeError"), QRect(0, 60, 432, 61), true,
                                       Qt::AlignHCenter | Qt::AlignVCenter);
        labeError->setStyleSheet(QStringLiteral("color: #ffffff;\nfont-size:10pt; font-family:Arial;"));
        labeError->setTextFormat(Qt::RichText);
        labeError->setText(QStringLiteral("The 1st error on Column [x], Row [x]\nxxx"));
        retranslateUi(ImportErrorDialog);
        QMetaObject::connectSlotsByName(ImportErrorDialog);
    }

    void retranslateUi(QDialog *ImportErrorDialog)
    {
        ImportErrorDialog->setWindowTitle(QCoreApplication::translate("ImportErrorDialog", "Dialog"));
        btnOk->setText(QCoreApplication::translate("ImportErrorDialog", "OK"));
        labeTitle->setText(
            QCoreApplication::translate("ImportErrorDialog", "The files at least contains one more error data:"));
    }
};
