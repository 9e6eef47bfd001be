#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>

#include "shell/kit/FormStyle.h"
#include "shell/kit/KitForm.h"

/// The form of the accounts' yes/no questions: a word-wrapped message and two buttons. Each
/// question fills the texts in its own translation context.
class Ui_AccountQuestionDialog
{
public:
    QFrame *frameContent;
    QLabel *labelMessage;
    QPushButton *btnNo;
    QPushButton *btnYes;

    /// size: the unscaled size of the question; the message takes what the buttons leave.
    void setupUi(QDialog *AccountQuestionDialog, const QSize &size)
    {
        AccountQuestionDialog->resize(size);
        const int width = size.width();
        const int height = size.height();

        frameContent = createContentFrame(AccountQuestionDialog, QRect(0, 0, width, height));

        labelMessage = FormStyle::caption(frameContent, "labelMessage", QRect(24, 18, width - 48, height - 80));
        labelMessage->setAlignment(Qt::AlignCenter);
        labelMessage->setWordWrap(true);

        btnNo = FormStyle::button(frameContent, "btnNo", QRect(width / 2 - 100, height - 46, 90, 28), false);
        btnYes = FormStyle::button(frameContent, "btnYes", QRect(width / 2 + 10, height - 46, 90, 28), true);

        QMetaObject::connectSlotsByName(AccountQuestionDialog);
    }
};
