#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPixmap>
#include <QPushButton>

#include "shell/kit/FormStyle.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/TextLabel.h"

class Ui_BindCardWaitingDialog
{
public:
    QFrame *frameContent;
    QLabel *labelPicture;
    QLabel *labelMessage;
    TextLabel *lbWarning;
    QPushButton *btnCancel;
    QPushButton *btnSkip;
    QLineEdit *lineCardNumber;

    void setupUi(QDialog *BindCardWaitingDialog)
    {
        if (BindCardWaitingDialog->objectName().isEmpty())
            BindCardWaitingDialog->setObjectName(QStringLiteral("BindCardWaitingDialog"));
        BindCardWaitingDialog->resize(406, 236);

        frameContent = createContentFrame(BindCardWaitingDialog, QRect(0, 0, 406, 236));

        labelPicture = new QLabel(frameContent);
        labelPicture->setObjectName(QStringLiteral("labelPicture"));
        labelPicture->setGeometry(QRect(143, 18, 120, 96));
        labelPicture->setPixmap(QPixmap(QStringLiteral(":/resource/accountMgt/pic_login_bind_card_now.png")));
        labelPicture->setScaledContents(true);

        labelMessage = FormStyle::caption(frameContent, "labelMessage", QRect(20, 122, 366, 28));
        labelMessage->setStyleSheet(QStringLiteral("color: #ffffff;\nfont-size:11pt; font-family:Arial;"));
        labelMessage->setAlignment(Qt::AlignCenter);

        lbWarning = new TextLabel(frameContent);
        lbWarning->setObjectName(QStringLiteral("lbWarning"));
        lbWarning->setGeometry(QRect(20, 156, 366, 20));
        lbWarning->hide();

        btnCancel = FormStyle::button(frameContent, "btnCancel", QRect(108, 190, 90, 28), false);
        btnSkip = FormStyle::button(frameContent, "btnSkip", QRect(208, 190, 90, 28), true);

        // The reader types into this field; it lies outside the visible area and only holds the
        // keyboard focus.
        lineCardNumber = new QLineEdit(frameContent);
        lineCardNumber->setObjectName(QStringLiteral("lineCardNumber"));
        lineCardNumber->setGeometry(QRect(-400, 0, 120, 20));
        lineCardNumber->setStyleSheet(QStringLiteral("background: transparent; border: none; color: transparent;"));
        lineCardNumber->setContextMenuPolicy(Qt::NoContextMenu);

        retranslateUi(BindCardWaitingDialog);
        QMetaObject::connectSlotsByName(BindCardWaitingDialog);
    }

    void retranslateUi(QDialog *BindCardWaitingDialog)
    {
        Q_UNUSED(BindCardWaitingDialog)
        labelMessage->setText(QCoreApplication::translate("BindCardWaitingDialog", "Tap your card on the reader"));
        btnCancel->setText(QCoreApplication::translate("BindCardWaitingDialog", "Cancel"));
        btnSkip->setText(QCoreApplication::translate("BindCardWaitingDialog", "Skip"));
    }
};
