#pragma once

#include "emergency/EmergencyForm.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFont>
#include <QLabel>
#include <QToolButton>
#include <QWidget>

class Ui_EmergencyWarningDialog
{
public:
    QWidget *widget;
    QLabel *lb_title;
    QLabel *lb_time;
    QLabel *lb_deviceName;
    QLabel *lb_location;
    QLabel *lb_IpAddress;
    QLabel *lbTime;
    QLabel *lbDeviceName;
    QLabel *lbLocation;
    QLabel *lbIpAddress;
    QLabel *label;
    QLabel *lbAlarmNote;
    QToolButton *btnOpenCamera;
    QToolButton *btnClear;
    QToolButton *btnCallEmergency;

    void setupUi(QDialog *EmergencyWarningDialog)
    {
        if (EmergencyWarningDialog->objectName().isEmpty())
            EmergencyWarningDialog->setObjectName(QStringLiteral("EmergencyWarningDialog"));
        EmergencyWarningDialog->resize(350, 306);
        EmergencyWarningDialog->setStyleSheet(
            QStringLiteral("QDialog#EmergencyWarningDialog{\nbackground-color:#404040;\n}\n"));

        const QFont font = arialFont();
        const QString textStyle = QStringLiteral("QLabel{color: #ffffff;font-size:10pt;font-family:Arial;}");

        widget = new QWidget(EmergencyWarningDialog);
        widget->setObjectName(QStringLiteral("widget"));
        widget->setGeometry(QRect(30, 27, 290, 131));

        lb_title = new QLabel(widget);
        lb_title->setObjectName(QStringLiteral("lb_title"));
        lb_title->setGeometry(QRect(0, 0, 290, 20));
        QFont titleFont = font;
        titleFont.setPointSize(12);
        titleFont.setBold(true);
        lb_title->setFont(titleFont);
        lb_title->setStyleSheet(
            QStringLiteral("QLabel{color: #ffffff;font-size:12pt;font-family:Arial;font-weight:bold;}"));

        auto makeLabel = [&](const char *name, int x, int y, int width) {
            auto *made = new QLabel(widget);
            made->setObjectName(QLatin1String(name));
            made->setGeometry(QRect(x, y, width, 16));
            made->setFont(font);
            made->setStyleSheet(textStyle);
            return made;
        };
        lb_time = makeLabel("lb_time", 0, 31, 100);
        lb_deviceName = makeLabel("lb_deviceName", 0, 50, 100);
        lb_location = makeLabel("lb_location", 0, 69, 100);
        lb_IpAddress = makeLabel("lb_IpAddress", 0, 88, 100);
        lbTime = makeLabel("lbTime", 105, 31, 185);
        lbDeviceName = makeLabel("lbDeviceName", 105, 50, 185);
        lbLocation = makeLabel("lbLocation", 105, 69, 185);
        lbIpAddress = makeLabel("lbIpAddress", 105, 88, 185);

        label = new QLabel(EmergencyWarningDialog);
        label->setObjectName(QStringLiteral("label"));
        label->setGeometry(QRect(30, 142, 290, 45));
        label->setFont(font);
        label->setStyleSheet(textStyle);
        label->setWordWrap(true);

        // Shown only while the alarm cannot sound; amber, so that it is read before the answers below it.
        lbAlarmNote = new QLabel(EmergencyWarningDialog);
        lbAlarmNote->setObjectName(QStringLiteral("lbAlarmNote"));
        lbAlarmNote->setGeometry(QRect(30, 180, 290, 34));
        lbAlarmNote->setFont(font);
        lbAlarmNote->setStyleSheet(QStringLiteral("QLabel{color: #ffc44d;font-size:10pt;font-family:Arial;}"));
        lbAlarmNote->setWordWrap(true);
        lbAlarmNote->hide();

        btnOpenCamera = new QToolButton(EmergencyWarningDialog);
        makeLightButton(btnOpenCamera, "btnOpenCamera", QRect(30, 220, 140, 22), QStringLiteral("btn_text_b156"));
        btnClear = new QToolButton(EmergencyWarningDialog);
        makeLightButton(btnClear, "btnClear", QRect(180, 220, 140, 22), QStringLiteral("btn_text_b156"));
        btnCallEmergency = new QToolButton(EmergencyWarningDialog);
        makeLightButton(btnCallEmergency, "btnCallEmergency", QRect(30, 257, 290, 22), QStringLiteral("btn_text_b271"));

        retranslateUi(EmergencyWarningDialog);
    }

    void retranslateUi(QDialog *EmergencyWarningDialog)
    {
        EmergencyWarningDialog->setWindowTitle(QString());
        lb_title->setText(QCoreApplication::translate("EmergencyWarningDialog", "Emergency Alert"));
        lb_time->setText(QCoreApplication::translate("EmergencyWarningDialog", "Time:"));
        lb_deviceName->setText(QCoreApplication::translate("EmergencyWarningDialog", "Device name:"));
        lb_location->setText(QCoreApplication::translate("EmergencyWarningDialog", "Location:"));
        lb_IpAddress->setText(QCoreApplication::translate("EmergencyWarningDialog", "IP Address:"));
        label->setText(QCoreApplication::translate("EmergencyWarningDialog", "Please select your emergency actions."));
        lbAlarmNote->setText(QCoreApplication::translate(
            "EmergencyWarningDialog", "The alarm sound can't play on this PC: only the system beep sounds."));
        btnOpenCamera->setText(QCoreApplication::translate("EmergencyWarningDialog", "Turn on PTZ Camera"));
        btnClear->setText(QCoreApplication::translate("EmergencyWarningDialog", "No action required"));
        btnCallEmergency->setText(QCoreApplication::translate("EmergencyWarningDialog", "Call Emergency Service"));
    }
};
