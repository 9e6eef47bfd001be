#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpacerItem>
#include <QToolButton>
#include <QWidget>

#include "shell/kit/CustComboBox.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/TextLabel.h"

// Looks shared by the user settings dialogs.
namespace UserSettingsStyle {

inline QString dialogStyle(const QString &objectName)
{
    return QStringLiteral("QDialog#%1{background-color: #404040;}").arg(objectName);
}

inline QString rowLabelStyle()
{
    return QStringLiteral("QLabel{color: #ffffff;font-family:Arial;font-size:10pt;}");
}

inline QString lineEditStyle()
{
    return QStringLiteral("QLineEdit{background-color: #404040;color: #ffffff;border: 1px solid #ffffff;"
                          "border-radius: 5px;font-family:Arial;font-size:10pt;padding-left:8px;}"
                          "QLineEdit:focus{border: 1px solid #1db5ff;}");
}

inline QString textButtonStyle()
{
    return QStringLiteral(
        "QToolButton{border-image: url(:/resource/frameLayout/btn_text_e_normal.PNG);border:none;"
        "color: #000000;font-family:Arial;font-size:10pt;}"
        "QToolButton:hover{border-image: url(:/resource/frameLayout/btn_text_e_hover.PNG);}"
        // Reached with Tab, a button looks as under the mouse.
        "QToolButton:focus{border-image: url(:/resource/frameLayout/btn_text_e_hover.PNG);}"
        "QToolButton:pressed{border-image: url(:/resource/frameLayout/btn_text_e_pressed.PNG);}"
        "QToolButton:disabled{border-image: url(:/resource/frameLayout/btn_text_e_disabled.PNG);color: #a0a0a0;}");
}

inline QLabel *rowLabel(QWidget *parent, const char *objectName)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(objectName));
    label->setStyleSheet(rowLabelStyle());
    label->setMinimumWidth(1);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return label;
}

inline QLineEdit *lineEdit(QWidget *parent, const char *objectName)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(objectName));
    // Rows are as high as their fields, so the fields follow when a row is scaled.
    edit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    edit->setMinimumHeight(1);
    edit->setStyleSheet(lineEditStyle());
    return edit;
}

inline QToolButton *textButton(QWidget *parent, const char *objectName)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(objectName));
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    button->setMinimumHeight(1);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(textButtonStyle());
    return button;
}

/// A row of the form at geometry, its cells laid out side by side; *row receives the container.
inline QHBoxLayout *formRow(QWidget *form, QWidget **row, const char *objectName, const QRect &geometry)
{
    *row = new QWidget(form);
    (*row)->setObjectName(QLatin1String(objectName));
    (*row)->setGeometry(geometry);
    auto *layout = new QHBoxLayout(*row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    return layout;
}

/// The badge row: the red badge centred across the dialog.
inline QWidget *badgeRow(QWidget *form, TextLabel **badge, int y)
{
    auto *row = new QWidget(form);
    row->setObjectName(QStringLiteral("layoutWidget"));
    row->setGeometry(QRect(0, y, form->width(), 22));
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addItem(new QSpacerItem(10, 10, QSizePolicy::Expanding, QSizePolicy::Minimum));
    *badge = new TextLabel(row);
    (*badge)->setObjectName(QStringLiteral("lbMessage"));
    layout->addWidget(*badge);
    layout->addItem(new QSpacerItem(10, 10, QSizePolicy::Expanding, QSizePolicy::Minimum));
    return row;
}

} // namespace UserSettingsStyle

class Ui_UserInfoDialog
{
public:
    QToolButton *btnCancel;
    QToolButton *btnSave;
    QWidget *layoutWidget;
    TextLabel *lbMessage;
    QLabel *lbLine;
    QWidget *widgetEmail;
    QLabel *label;
    QLineEdit *lineEditEmail;
    QWidget *widgetPassword;
    QLabel *label_2;
    QToolButton *btnChangePassword;
    QWidget *widgetNewPassword;
    QLabel *lbPassword;
    QLineEdit *lineEditPassword;
    QLabel *lbPasswordConfirm;
    QLineEdit *lineEditPasswordConfirm;
    QWidget *widgetData;
    QLabel *lbDataManagement;
    QToolButton *btnBackup;
    QToolButton *btnRestore;
    QWidget *widgetLanguage;
    QLabel *lbLanguage;
    CustComboBox *comboBoxLang;

    void setupUi(QDialog *UserInfoDialog)
    {
        using namespace UserSettingsStyle;
        if (UserInfoDialog->objectName().isEmpty())
            UserInfoDialog->setObjectName(QStringLiteral("UserInfoDialog"));
        UserInfoDialog->resize(411, 362);
        UserInfoDialog->setStyleSheet(dialogStyle(UserInfoDialog->objectName()));

        QHBoxLayout *emailLayout = formRow(UserInfoDialog, &widgetEmail, "widgetEmail", QRect(20, 16, 371, 22));
        label = rowLabel(widgetEmail, "label");
        lineEditEmail = lineEdit(widgetEmail, "lineEditEmail");
        emailLayout->addWidget(label, 110);
        emailLayout->addWidget(lineEditEmail, 251);

        QHBoxLayout *passwordLayout =
            formRow(UserInfoDialog, &widgetPassword, "widgetPassword", QRect(20, 56, 371, 22));
        label_2 = rowLabel(widgetPassword, "label_2");
        btnChangePassword = textButton(widgetPassword, "btnChangePassword");
        passwordLayout->addWidget(label_2, 110);
        passwordLayout->addWidget(btnChangePassword, 251);

        widgetNewPassword = new QWidget(UserInfoDialog);
        widgetNewPassword->setObjectName(QStringLiteral("widgetNewPassword"));
        widgetNewPassword->setGeometry(QRect(20, 96, 371, 62));
        auto *grid = new QGridLayout(widgetNewPassword);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setHorizontalSpacing(10);
        grid->setVerticalSpacing(18);
        lbPassword = rowLabel(widgetNewPassword, "lbPassword");
        lineEditPassword = lineEdit(widgetNewPassword, "lineEditPassword");
        lbPasswordConfirm = rowLabel(widgetNewPassword, "lbPasswordConfirm");
        lineEditPasswordConfirm = lineEdit(widgetNewPassword, "lineEditPasswordConfirm");
        grid->addWidget(lbPassword, 0, 0);
        grid->addWidget(lineEditPassword, 0, 1);
        grid->addWidget(lbPasswordConfirm, 1, 0);
        grid->addWidget(lineEditPasswordConfirm, 1, 1);
        grid->setColumnStretch(0, 110);
        grid->setColumnStretch(1, 251);

        lbLine = new QLabel(UserInfoDialog);
        lbLine->setObjectName(QStringLiteral("lbLine"));
        lbLine->setGeometry(QRect(10, 98, 390, 1));
        lbLine->setStyleSheet(QStringLiteral("QLabel{background-color: #666666;}"));

        QHBoxLayout *dataLayout = formRow(UserInfoDialog, &widgetData, "widgetData", QRect(20, 118, 371, 22));
        lbDataManagement = rowLabel(widgetData, "lbDataManagement");
        btnBackup = textButton(widgetData, "btnBackup");
        btnRestore = textButton(widgetData, "btnRestore");
        dataLayout->addWidget(lbDataManagement, 110);
        dataLayout->addWidget(btnBackup, 120);
        dataLayout->addWidget(btnRestore, 121);

        QHBoxLayout *languageLayout =
            formRow(UserInfoDialog, &widgetLanguage, "widgetLanguage", QRect(20, 158, 371, 22));
        lbLanguage = rowLabel(widgetLanguage, "lbLanguage");
        comboBoxLang = new CustComboBox(widgetLanguage);
        comboBoxLang->setObjectName(QStringLiteral("comboBoxLang"));
        comboBoxLang->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        comboBoxLang->setMinimumHeight(1);
        comboBoxLang->setCursor(Qt::PointingHandCursor);
        languageLayout->addWidget(lbLanguage, 110);
        languageLayout->addWidget(comboBoxLang, 251);

        layoutWidget = badgeRow(UserInfoDialog, &lbMessage, 280);

        btnCancel = createDialogButton(UserInfoDialog, QStringLiteral("btnCancel"), QPoint(118, 320));
        btnSave = createDialogButton(UserInfoDialog, QStringLiteral("btnSave"), QPoint(213, 320));

        retranslateUi(UserInfoDialog);
    }

    void retranslateUi(QDialog *UserInfoDialog)
    {
        UserInfoDialog->setWindowTitle(QCoreApplication::translate("UserInfoDialog", "Dialog"));
        btnCancel->setText(QCoreApplication::translate("UserInfoDialog", "Cancel"));
        btnSave->setText(QCoreApplication::translate("UserInfoDialog", "Save"));
        lbMessage->setText(QCoreApplication::translate("UserInfoDialog", "The email addresses do not match."));
        lbMessage->setToolTip(lbMessage->text());
        setRowText(label, QCoreApplication::translate("UserInfoDialog", "Email:"));
        setRowText(label_2, QCoreApplication::translate("UserInfoDialog", "Paswsord:"));
        btnChangePassword->setText(QCoreApplication::translate("UserInfoDialog", "Change Password"));
        setRowText(lbDataManagement, QCoreApplication::translate("UserInfoDialog", "Data Management:"));
        btnBackup->setText(QCoreApplication::translate("UserInfoDialog", "Backup"));
        btnRestore->setText(QCoreApplication::translate("UserInfoDialog", "Restore"));
        setRowText(lbLanguage, QCoreApplication::translate("UserInfoDialog", "Language:"));
        setRowText(lbPassword, QCoreApplication::translate("UserInfoDialog", "New Password:"));
        setRowText(lbPasswordConfirm, QCoreApplication::translate("UserInfoDialog", "Confirm Password:"));
    }

private:
    static void setRowText(QLabel *label, const QString &text)
    {
        label->setText(text);
        label->setToolTip(text);
    }
};
