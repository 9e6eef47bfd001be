#pragma once

#include "shell/kit/KitForm.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

class Ui_NotificationDialog
{
public:
    QFrame *frameContent;
    QWidget *widget;
    QVBoxLayout *verticalLayout;
    QLabel *labelMessage;
    QToolButton *btnOk;
    QToolButton *btnCancel;

    void setupUi(QDialog *NotificationDialog)
    {
        if (NotificationDialog->objectName().isEmpty())
            NotificationDialog->setObjectName(QStringLiteral("NotificationDialog"));
        NotificationDialog->resize(527, 100);
        frameContent = createContentFrame(NotificationDialog, QRect(0, 0, 527, 100));
        widget = new QWidget(frameContent);
        widget->setObjectName(QStringLiteral("widget"));
        widget->setGeometry(QRect(20, 20, 500, 48));
        verticalLayout = new QVBoxLayout(widget);
        verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
        verticalLayout->setSpacing(0);
        verticalLayout->setContentsMargins(0, 0, 0, 0);
        verticalLayout->setSizeConstraint(QLayout::SetMinimumSize);
        labelMessage = createMessageLabel(widget, QStringLiteral("labelMessage"), QRect(0, 0, 500, 48), true,
                                          Qt::AlignLeft | Qt::AlignTop);
        labelMessage->setMinimumSize(QSize(500, 0));
        labelMessage->setStyleSheet(QStringLiteral("color: #ffffff;\nfont-size:10pt; font-family:Arial;\n"
                                                   "font-weight: bold;"));
        verticalLayout->addWidget(labelMessage);
        btnOk = createDialogButton(frameContent, QStringLiteral("btnOk"), QPoint(286, 64));
        btnCancel = createDialogButton(frameContent, QStringLiteral("btnCancel"), QPoint(188, 64));
        retranslateUi(NotificationDialog);
    }

    void retranslateUi(QDialog *NotificationDialog)
    {
        NotificationDialog->setWindowTitle(QCoreApplication::translate("NotificationDialog", "Dialog"));
        labelMessage->setText(QCoreApplication::translate(
            "NotificationDialog", "If you want to get the new password from Email, please click OK to continue"));
        btnOk->setText(QCoreApplication::translate("NotificationDialog", "OK"));
        btnCancel->setText(QCoreApplication::translate("NotificationDialog", "Cancel"));
    }
};
