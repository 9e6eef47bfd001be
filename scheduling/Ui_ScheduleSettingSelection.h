#pragma once

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

#include "scheduling/ScheduleFormStyle.h"

/// The first page of the schedule setting dialog: three large buttons, one per kind of schedule,
/// each with a hint lying on it, and Close.
class Ui_ScheduleSettingSelection
{
public:
    QLabel *labelSelectOne;
    QToolButton *btnToDeviceControl;
    QLabel *labelHint;
    QToolButton *btnToFwUpdate;
    QLabel *labelHintOldDevice;
    QToolButton *btnAutoTesting;
    QLabel *labelHintTestTime;
    QToolButton *btnClose;

    void setupUi(QFrame *ScheduleSettingSelection)
    {
        if (ScheduleSettingSelection->objectName().isEmpty())
            ScheduleSettingSelection->setObjectName(QStringLiteral("ScheduleSettingSelection"));
        ScheduleSettingSelection->resize(874, 571);
        ScheduleSettingSelection->setAttribute(Qt::WA_StyledBackground, true);
        ScheduleSettingSelection->setStyleSheet(
            QStringLiteral("QFrame#ScheduleSettingSelection{background-color: #404040;}"));

        labelSelectOne = new QLabel(ScheduleSettingSelection);
        labelSelectOne->setObjectName(QStringLiteral("labelSelectOne"));
        labelSelectOne->setGeometry(QRect(45, 40, 784, 40));
        labelSelectOne->setAlignment(Qt::AlignCenter);
        labelSelectOne->setStyleSheet(QStringLiteral("color: #ffffff;font-size:14pt; font-family:Arial;"));

        kindButton(ScheduleSettingSelection, "btnToDeviceControl", "btn_device_control", 45, &btnToDeviceControl,
                   "labelHint", &labelHint, QStringLiteral("#a0a0a0"));
        kindButton(ScheduleSettingSelection, "btnToFwUpdate", "btn_firmware_update", 317, &btnToFwUpdate,
                   "labelHintOldDevice", &labelHintOldDevice, QStringLiteral("#ff7e7e"));
        kindButton(ScheduleSettingSelection, "btnAutoTesting", "btn_device_detection", 589, &btnAutoTesting,
                   "labelHintTestTime", &labelHintTestTime, QStringLiteral("#a0a0a0"));

        btnClose = ScheduleFormStyle::textButton(ScheduleSettingSelection, "btnClose", QRect(385, 500, 104, 30), false);
        btnClose->setToolButtonStyle(Qt::ToolButtonTextOnly);

        retranslateUi(ScheduleSettingSelection);
    }

    void retranslateUi(QFrame *ScheduleSettingSelection)
    {
        Q_UNUSED(ScheduleSettingSelection);
        labelSelectOne->setText(
            QCoreApplication::translate("ScheduleSettingSelection", "Select One To Setup New Schedule"));
        btnToDeviceControl->setText(QCoreApplication::translate("ScheduleSettingSelection", "Device Control"));
        labelHint->setText(QCoreApplication::translate("ScheduleSettingSelection", "Power ON / OFF, Reboot"));
        btnToFwUpdate->setText(QCoreApplication::translate("ScheduleSettingSelection", "Firmware Update"));
        labelHintOldDevice->setText(
            QCoreApplication::translate("ScheduleSettingSelection", "xx devices are out of date."));
        btnAutoTesting->setText(QCoreApplication::translate("ScheduleSettingSelection", "Detection Schedule"));
        labelHintTestTime->setText(
            QCoreApplication::translate("ScheduleSettingSelection", "Set automatic detection time"));
        btnClose->setText(QCoreApplication::translate("ScheduleSettingSelection", "Close"));
    }

private:
    static void kindButton(QFrame *page, const char *objectName, const char *image, int x, QToolButton **button,
                           const char *hintName, QLabel **hint, const QString &hintColour)
    {
        *button = new QToolButton(page);
        (*button)->setObjectName(QLatin1String(objectName));
        (*button)->setGeometry(QRect(x, 120, 240, 280));
        (*button)->setCursor(Qt::PointingHandCursor);
        (*button)->setToolButtonStyle(Qt::ToolButtonTextOnly);
        (*button)->setStyleSheet(
            QStringLiteral("QToolButton{border-image: url(:/resource/scheduling/%1_normal.png);color: #ffffff;"
                           "font-size:12pt; font-family:Arial;font-weight:bold;padding-top: 80px;border: none;}"
                           "QToolButton:hover{border-image: url(:/resource/scheduling/%1_hover.png);}"
                           "QToolButton:pressed{border-image: url(:/resource/scheduling/%1_pressed.png);}"
                           "QToolButton:disabled{border-image: url(:/resource/scheduling/%1_disabled.png);"
                           "color: #808080;}")
                .arg(QLatin1String(image)));
        *hint = new QLabel(page);
        (*hint)->setObjectName(QLatin1String(hintName));
        (*hint)->setGeometry(QRect(x + 10, 330, 220, 44));
        (*hint)->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        (*hint)->setWordWrap(true);
        (*hint)->setStyleSheet(QStringLiteral("color: %1;font-size:10pt; font-family:Arial;").arg(hintColour));
        (*hint)->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
};
