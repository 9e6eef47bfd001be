#pragma once

#include <QDialog>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "accounts/AccountsForm.h"
#include "shell/kit/FormStyle.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/TextLabel.h"

/// The form the password dialogs of the multi-user settings share: a grid of captioned
/// password rows, the red badge under it, and Cancel and Save. Each dialog's own form class
/// adds its rows and texts.
class Ui_PasswordForm
{
public:
    QFrame *frameContent;
    QWidget *widgetPassword;
    QGridLayout *gridLayout;
    TextLabel *lbMessage;
    QPushButton *btnCancel;
    QPushButton *btnSave;

protected:
    /// rows: the number of password rows, two or three; captions and fields share the grid's
    /// width of 360 by their stretches.
    void setupPasswordForm(QDialog *dialog, const char *name, int rows, int captionStretch = 130)
    {
        if (dialog->objectName().isEmpty())
            dialog->setObjectName(QLatin1String(name));
        const int extra = 42 * (rows - 2);
        dialog->resize(410, 172 + extra);

        frameContent = createContentFrame(dialog, QRect(0, 0, 410, 172 + extra));

        widgetPassword = new QWidget(frameContent);
        widgetPassword->setObjectName(QStringLiteral("widgetPassword"));
        widgetPassword->setGeometry(QRect(25, 22, 360, 72 + extra));
        gridLayout = AccountsForm::fieldGrid(widgetPassword, captionStretch, 360 - captionStretch, 12);
        lbMessage = AccountsForm::warningBadge(frameContent, QRect(25, 102 + extra, 360, 20));

        btnCancel = FormStyle::button(frameContent, "btnCancel", QRect(195, 130 + extra, 90, 28), false);
        btnSave = FormStyle::button(frameContent, "btnSave", QRect(295, 130 + extra, 90, 28), true);
    }
};

/// The two-row kind: a password and its confirmation.
class Ui_PasswordPairForm : public Ui_PasswordForm
{
public:
    QLabel *label;
    QLineEdit *lineEditPassword;
    QLabel *label2;
    QLineEdit *lineEditPasswordConfirm;

protected:
    void setupPairForm(QDialog *dialog, const char *name, int captionStretch = 130)
    {
        setupPasswordForm(dialog, name, 2, captionStretch);
        lineEditPassword = AccountsForm::fieldRow(gridLayout, 0, &label, "label", "lineEditPassword");
        lineEditPasswordConfirm = AccountsForm::fieldRow(gridLayout, 1, &label2, "label2", "lineEditPasswordConfirm");
    }
};
