#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>

#include "shell/kit/FormStyle.h"
#include "shell/kit/KitForm.h"

/// The form of the card step's two outcome messages: a picture, a text and OK. Each outcome
/// dialog fills picture and texts in its own translation context.
class Ui_BindCardResultDialog
{
public:
    QFrame *frameContent;
    QLabel *labelPicture;
    QLabel *labelMessage;
    QPushButton *btnOK;

    void setupUi(QDialog *BindCardResultDialog)
    {
        BindCardResultDialog->resize(330, 206);

        frameContent = createContentFrame(BindCardResultDialog, QRect(0, 0, 330, 206));

        labelPicture = new QLabel(frameContent);
        labelPicture->setObjectName(QStringLiteral("labelPicture"));
        labelPicture->setGeometry(QRect(125, 16, 80, 80));
        labelPicture->setScaledContents(true);

        labelMessage = FormStyle::caption(frameContent, "labelMessage", QRect(20, 104, 290, 46));
        labelMessage->setAlignment(Qt::AlignCenter);
        labelMessage->setWordWrap(true);

        btnOK = FormStyle::button(frameContent, "btnOK", QRect(120, 160, 90, 28), true);

        QMetaObject::connectSlotsByName(BindCardResultDialog);
    }
};
