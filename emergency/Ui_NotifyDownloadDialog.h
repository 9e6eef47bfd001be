#pragma once

#include "shell/kit/KitForm.h"

#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QToolButton>

class Ui_NotifyDownloadDialog
{
public:
    QLabel *label;
    QToolButton *btnOK;
    QLabel *label_2;
    QLabel *label_3;
    QToolButton *btnSetting;

    void setupUi(QDialog *NotifyDownloadDialog)
    {
        if (NotifyDownloadDialog->objectName().isEmpty())
            NotifyDownloadDialog->setObjectName(QStringLiteral("NotifyDownloadDialog"));
        NotifyDownloadDialog->resize(434, 202);
        NotifyDownloadDialog->setStyleSheet(
            QStringLiteral("QDialog#NotifyDownloadDialog{\nbackground-color:#404040;\n}\n"));
        label = createMessageLabel(NotifyDownloadDialog, QStringLiteral("label"), QRect(25, 30, 393, 60), false,
                                   Qt::AlignLeft | Qt::AlignTop);
        btnOK = createDialogButton(NotifyDownloadDialog, QStringLiteral("btnOK"), QPoint(175, 160));
        label_2 = createMessageLabel(NotifyDownloadDialog, QStringLiteral("label_2"), QRect(25, 110, 393, 20), false,
                                     Qt::AlignLeft | Qt::AlignVCenter);
        label_2->setOpenExternalLinks(false);
        label_2->setTextFormat(Qt::RichText);
        label_2->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        label_3 = createMessageLabel(NotifyDownloadDialog, QStringLiteral("label_3"), QRect(25, 40, 393, 50), false,
                                     Qt::AlignLeft | Qt::AlignTop);
        btnSetting = createDialogButton(NotifyDownloadDialog, QStringLiteral("btnSetting"), QPoint(150, 160));
        btnSetting->resize(130, 22);
        retranslateUi(NotifyDownloadDialog);
    }

    void retranslateUi(QDialog *NotifyDownloadDialog)
    {
        NotifyDownloadDialog->setWindowTitle(QString());
        label->setText(QCoreApplication::translate("NotifyDownloadDialog",
                                                   "To enable this function, make sure to install Pellmar software "
                                                   "and complete PTZ camera settings to continue."));
        btnOK->setText(QCoreApplication::translate("NotifyDownloadDialog", "OK"));
        label_3->setText(QCoreApplication::translate(
            "NotifyDownloadDialog", "To enable this function, make sure you connect to PTZ camera. Please click "
                                    "Emergency SOS button -> Pellmar Network Setting -> Connect to PTZ camera."));
        btnSetting->setText(QCoreApplication::translate("NotifyDownloadDialog", "Emergency SOS"));
    }
};
