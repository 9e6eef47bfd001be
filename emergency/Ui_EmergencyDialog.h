#pragma once

#include "emergency/EmergencyForm.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/TextLabel.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QWidget>

class Ui_EmergencyDialog
{
public:
    QWidget *widgetCameraSetting;
    QLabel *lbPTZCameraSetting;
    QLabel *lbPTZCamera;
    QComboBox *cbConnectCamera;
    QLabel *label_2;
    QLabel *lbUserName;
    QLineEdit *lineEditName;
    QLabel *label_3;
    QLabel *lbPassword;
    QLineEdit *lineEditPassword;
    QLabel *label;
    QWidget *layoutWidget;
    QHBoxLayout *horizontalLayout;
    TextLabel *lbState;
    QToolButton *btnCancel;
    QToolButton *btnSave;

    void setupUi(QDialog *EmergencyDialog)
    {
        if (EmergencyDialog->objectName().isEmpty())
            EmergencyDialog->setObjectName(QStringLiteral("EmergencyDialog"));
        EmergencyDialog->resize(485, 325);
        EmergencyDialog->setStyleSheet(QStringLiteral("QDialog#EmergencyDialog{\nbackground-color:#404040;\n}\n"));

        const QFont font = arialFont();

        widgetCameraSetting = new QWidget(EmergencyDialog);
        widgetCameraSetting->setObjectName(QStringLiteral("widgetCameraSetting"));
        widgetCameraSetting->setGeometry(QRect(0, 0, 485, 325));

        lbPTZCameraSetting = new QLabel(widgetCameraSetting);
        lbPTZCameraSetting->setObjectName(QStringLiteral("lbPTZCameraSetting"));
        lbPTZCameraSetting->setGeometry(QRect(30, 9, 350, 22));
        QFont headingFont = font;
        headingFont.setPointSize(14);
        headingFont.setBold(true);
        lbPTZCameraSetting->setFont(headingFont);
        lbPTZCameraSetting->setStyleSheet(
            QStringLiteral("QLabel{color: #00acff;font-size:14pt;font-family:Arial;font-weight:bold;}"));

        auto makeLabel = [&](const char *name, const QRect &geometry) {
            auto *made = new QLabel(widgetCameraSetting);
            made->setObjectName(QLatin1String(name));
            made->setGeometry(geometry);
            made->setFont(font);
            return made;
        };
        lbPTZCamera = makeLabel("lbPTZCamera", QRect(30, 52, 160, 16));
        label_2 = makeLabel("label_2", QRect(30, 91, 8, 14));
        lbUserName = makeLabel("lbUserName", QRect(40, 90, 150, 16));
        label_3 = makeLabel("label_3", QRect(30, 130, 8, 14));
        lbPassword = makeLabel("lbPassword", QRect(40, 129, 150, 16));

        cbConnectCamera = new QComboBox(widgetCameraSetting);
        cbConnectCamera->setObjectName(QStringLiteral("cbConnectCamera"));
        cbConnectCamera->setGeometry(QRect(197, 49, 260, 22));
        cbConnectCamera->setFont(font);
        cbConnectCamera->setCursor(Qt::PointingHandCursor);
        cbConnectCamera->addItem(QString());
        cbConnectCamera->addItem(QString());
        cbConnectCamera->setStyleSheet(QStringLiteral(
            "QComboBox{background-color: #3f3f3f;border-radius: 5px;border: 1px solid #ffffff;color: #ffffff;"
            "padding-left:10px;font-size:10pt;font-family:Arial;}\n"
            "QComboBox::drop-down{border:none;width:26px;}\n"
            "QComboBox::down-arrow{image: url(:/resource/custom/btn_arrow_a_normal.png);}\n"
            "QComboBox QAbstractItemView{background-color: #3f3f3f;color: #ffffff;border: 1px solid #a9a9a9;"
            "selection-background-color: #00acff;outline: 0px;}\n"
            "QComboBox QAbstractItemView::item{min-height: 22px;padding-left: 10px;}"));

        auto makeEdit = [&](const char *name, const QRect &geometry) {
            auto *edit = new QLineEdit(widgetCameraSetting);
            edit->setObjectName(QLatin1String(name));
            edit->setGeometry(geometry);
            edit->setFont(font);
            return edit;
        };
        lineEditName = makeEdit("lineEditName", QRect(197, 88, 260, 22));
        lineEditPassword = makeEdit("lineEditPassword", QRect(197, 127, 260, 22));

        label = new QLabel(widgetCameraSetting);
        label->setObjectName(QStringLiteral("label"));
        label->setGeometry(QRect(29, 173, 428, 40));
        label->setFont(font);
        label->setWordWrap(true);
        label->setStyleSheet(QStringLiteral("QLabel{color: #ffffff;font-size:10pt;font-family:Arial;}"));

        lbState = createBadgeRow(widgetCameraSetting, QRect(50, 227, 381, 38), QMargins(20, 0, 20, 0), &layoutWidget,
                                 &horizontalLayout);

        btnCancel = createDialogButton(widgetCameraSetting, QStringLiteral("btnCancel"), QPoint(145, 282));
        btnSave = createDialogButton(widgetCameraSetting, QStringLiteral("btnSave"), QPoint(255, 282));

        retranslateUi(EmergencyDialog);
    }

    void retranslateUi(QDialog *EmergencyDialog)
    {
        EmergencyDialog->setWindowTitle(QString());
        lbPTZCameraSetting->setText(QCoreApplication::translate("EmergencyDialog", "Pellmar Network Setting"));
        lbPTZCamera->setText(QCoreApplication::translate("EmergencyDialog", "PTZ Camera:"));
        cbConnectCamera->setItemText(0, QCoreApplication::translate("EmergencyDialog", "Disconnect PTZ camera"));
        cbConnectCamera->setItemText(1, QCoreApplication::translate("EmergencyDialog", "Connect PTZ camera"));
        label_2->setText(QStringLiteral("*"));
        lbUserName->setText(QCoreApplication::translate("EmergencyDialog", "Username:"));
        label_3->setText(QStringLiteral("*"));
        lbPassword->setText(QCoreApplication::translate("EmergencyDialog", "Password:"));
        label->setText(QCoreApplication::translate(
            "EmergencyDialog", "Fill in PTZ camera setup information to ensure you can share live footage with "
                               "emergency responders when an emergency happens."));
        btnCancel->setText(QCoreApplication::translate("EmergencyDialog", "Cancel"));
        btnSave->setText(QCoreApplication::translate("EmergencyDialog", "Save"));
    }
};
