#pragma once

#include "shell/kit/KitForm.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFont>
#include <QLabel>
#include <QToolButton>
#include <QWidget>

class Ui_EmergencySettingNotifyDialog
{
public:
    QWidget *widgetAccountNotMapping;
    QLabel *label;
    QToolButton *btnGoSetting;
    QToolButton *btnCancel;
    QWidget *widgetAccountError;
    QLabel *label_2;
    QWidget *widgetDeviceNotMapping;
    QLabel *label_3;
    QLabel *label_4;
    QLabel *label_5;
    QLabel *lbDeviceName;
    QLabel *lbIpAddress;
    QLabel *lbUsername;
    QLabel *label_9;

    void setupUi(QDialog *EmergencySettingNotifyDialog)
    {
        if (EmergencySettingNotifyDialog->objectName().isEmpty())
            EmergencySettingNotifyDialog->setObjectName(QStringLiteral("EmergencySettingNotifyDialog"));
        EmergencySettingNotifyDialog->resize(434, 202);
        EmergencySettingNotifyDialog->setStyleSheet(
            QStringLiteral("QDialog#EmergencySettingNotifyDialog{\nbackground-color:#404040;\n}\n"));

        widgetAccountNotMapping = new QWidget(EmergencySettingNotifyDialog);
        widgetAccountNotMapping->setObjectName(QStringLiteral("widgetAccountNotMapping"));
        widgetAccountNotMapping->setGeometry(QRect(25, 30, 393, 100));
        label = createMessageLabel(widgetAccountNotMapping, QStringLiteral("label"), QRect(0, 0, 393, 100), false,
                                   Qt::AlignLeft | Qt::AlignTop);

        widgetAccountError = new QWidget(EmergencySettingNotifyDialog);
        widgetAccountError->setObjectName(QStringLiteral("widgetAccountError"));
        widgetAccountError->setGeometry(QRect(25, 30, 393, 40));
        label_2 = createMessageLabel(widgetAccountError, QStringLiteral("label_2"), QRect(0, 0, 393, 40), false,
                                     Qt::AlignLeft | Qt::AlignTop);

        widgetDeviceNotMapping = new QWidget(EmergencySettingNotifyDialog);
        widgetDeviceNotMapping->setObjectName(QStringLiteral("widgetDeviceNotMapping"));
        widgetDeviceNotMapping->setGeometry(QRect(25, 30, 393, 120));
        auto makeRow = [&](const char *name, const QRect &geometry) {
            return createMessageLabel(widgetDeviceNotMapping, QLatin1String(name), geometry, false,
                                      Qt::AlignLeft | Qt::AlignVCenter);
        };
        label_3 = makeRow("label_3", QRect(0, 0, 150, 16));
        label_4 = makeRow("label_4", QRect(0, 20, 150, 16));
        label_5 = makeRow("label_5", QRect(0, 40, 150, 16));
        lbDeviceName = makeRow("lbDeviceName", QRect(155, 0, 238, 16));
        lbIpAddress = makeRow("lbIpAddress", QRect(155, 20, 238, 16));
        lbUsername = makeRow("lbUsername", QRect(155, 40, 238, 16));
        for (QLabel *row : {label_3, label_4, label_5, lbDeviceName, lbIpAddress, lbUsername})
            row->setWordWrap(false);
        label_9 = createMessageLabel(widgetDeviceNotMapping, QStringLiteral("label_9"), QRect(0, 70, 393, 40), false,
                                     Qt::AlignLeft | Qt::AlignTop);

        btnGoSetting =
            createDialogButton(EmergencySettingNotifyDialog, QStringLiteral("btnGoSetting"), QPoint(215, 160));
        btnGoSetting->resize(115, 22);
        // A normal user sees the way to the settings, visibly unavailable.
        btnGoSetting->setStyleSheet(btnGoSetting->styleSheet() +
                                    QStringLiteral("\nQToolButton:disabled{border-image: "
                                                   "url(:/resource/Login/btn_text_d_disabled.png);color:#c8c8c8;}"));
        btnCancel = createDialogButton(EmergencySettingNotifyDialog, QStringLiteral("btnCancel"), QPoint(105, 160));

        retranslateUi(EmergencySettingNotifyDialog);
    }

    void retranslateUi(QDialog *EmergencySettingNotifyDialog)
    {
        EmergencySettingNotifyDialog->setWindowTitle(QString());
        label->setText(QCoreApplication::translate(
            "EmergencySettingNotifyDialog",
            "Connection error with Pellmar: \n「Incorrect username or password」\n\nPlease modify the username and "
            "password to the correct ones to continue using the connection function."));
        label_2->setText(QCoreApplication::translate(
            "EmergencySettingNotifyDialog",
            "Pellmar account or password error, please fill correct Pellmar account and password to save."));
        label_3->setText(QCoreApplication::translate("EmergencySettingNotifyDialog", "Device name:"));
        label_4->setText(QCoreApplication::translate("EmergencySettingNotifyDialog", "IP Address:"));
        label_5->setText(QCoreApplication::translate("EmergencySettingNotifyDialog", "Pellmar username:"));
        label_9->setText(QCoreApplication::translate(
            "EmergencySettingNotifyDialog", "The paired PTZ camera with this device cannot be connected. Please "
                                            "select a new PTZ camera to reconnect."));
        btnGoSetting->setText(QCoreApplication::translate("EmergencySettingNotifyDialog", "Go to Setting"));
        btnCancel->setText(QCoreApplication::translate("EmergencySettingNotifyDialog", "Cancel"));
    }
};
