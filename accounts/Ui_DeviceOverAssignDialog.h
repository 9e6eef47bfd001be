#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QTextBrowser>

#include "shell/kit/FormStyle.h"
#include "shell/kit/KitForm.h"

class Ui_DeviceOverAssignDialog
{
public:
    QFrame *frameContent;
    QLabel *labelMessage;
    QTextBrowser *textBrowser;
    QPushButton *btnCancel;
    QPushButton *btnYes;

    void setupUi(QDialog *DeviceOverAssignDialog)
    {
        if (DeviceOverAssignDialog->objectName().isEmpty())
            DeviceOverAssignDialog->setObjectName(QStringLiteral("DeviceOverAssignDialog"));
        DeviceOverAssignDialog->resize(400, 300);
        frameContent = createContentFrame(DeviceOverAssignDialog, QRect(0, 0, 400, 300));

        labelMessage = FormStyle::caption(frameContent, "labelMessage", QRect(24, 16, 352, 72));
        labelMessage->setWordWrap(true);
        labelMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);

        textBrowser = new QTextBrowser(frameContent);
        textBrowser->setObjectName(QStringLiteral("textBrowser"));
        textBrowser->setGeometry(QRect(24, 96, 352, 140));
        textBrowser->setStyleSheet(QStringLiteral("QTextBrowser{background-color: #5a5a5a;color: #ffffff;"
                                                  "font-size:10pt; font-family:Arial;border: none;}\n") +
                                   FormStyle::scrollBarStyle());

        btnCancel = FormStyle::button(frameContent, "btnCancel", QRect(186, 252, 90, 28), false);
        btnYes = FormStyle::button(frameContent, "btnYes", QRect(286, 252, 90, 28), true);

        retranslateUi(DeviceOverAssignDialog);
        QMetaObject::connectSlotsByName(DeviceOverAssignDialog);
    }

    void retranslateUi(QDialog *DeviceOverAssignDialog)
    {
        Q_UNUSED(DeviceOverAssignDialog)
        labelMessage->setText(QCoreApplication::translate(
            "DeviceOverAssignDialog", "The following devices cannot be set because their available users exceed "
                                      "the limit.\n\nDo you want to continue?"));
        btnCancel->setText(QCoreApplication::translate("DeviceOverAssignDialog", "Cancel"));
        btnYes->setText(QCoreApplication::translate("DeviceOverAssignDialog", "Yes"));
    }
};
