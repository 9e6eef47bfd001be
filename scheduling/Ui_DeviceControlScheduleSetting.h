#pragma once

#include "scheduling/Ui_ScheduleEditorForm.h"

/// The device-control schedule editor: three requests (on, reboot, off), each with its time, in
/// one row above the shared part of the form.
class Ui_DeviceControlScheduleSetting : public Ui_ScheduleEditorForm
{
public:
    QWidget *widgetTime;
    QCheckBox *checkBox_onTime;
    QLabel *lbOnTimeHR;
    QLabel *lbOnTimeMin;
    ScheduleSettingSpinBox *spinBox_onTime_HR;
    QLabel *lbPointOnTime;
    ScheduleSettingSpinBox *spinBox_onTime_Min;
    QCheckBox *checkBox_rebootTime;
    QLabel *lbRebootTimeHR;
    QLabel *lbRebootTimeMin;
    ScheduleSettingSpinBox *spinBox_rebootTime_HR;
    QLabel *lbPointRebootTime;
    ScheduleSettingSpinBox *spinBox_rebootTime_Min;
    QCheckBox *checkBox_offTime;
    QLabel *lbOffTimeHR;
    QLabel *lbOffTimeMin;
    ScheduleSettingSpinBox *spinBox_offTime_HR;
    QLabel *lbPointOffTime;
    ScheduleSettingSpinBox *spinBox_offTime_Min;

    void setupUi(QFrame *DeviceControlScheduleSetting)
    {
        if (DeviceControlScheduleSetting->objectName().isEmpty())
            DeviceControlScheduleSetting->setObjectName(QStringLiteral("DeviceControlScheduleSetting"));
        setupCommon(DeviceControlScheduleSetting);

        widgetTime = new QWidget(DeviceControlScheduleSetting);
        widgetTime->setObjectName(QStringLiteral("widgetTime"));
        widgetTime->setGeometry(QRect(30, 54, 814, 64));
        request(0, "checkBox_onTime", &checkBox_onTime, "lbOnTimeHR", &lbOnTimeHR, "lbOnTimeMin", &lbOnTimeMin,
                "spinBox_onTime_HR", &spinBox_onTime_HR, "lbPointOnTime", &lbPointOnTime, "spinBox_onTime_Min",
                &spinBox_onTime_Min);
        request(1, "checkBox_rebootTime", &checkBox_rebootTime, "lbRebootTimeHR", &lbRebootTimeHR, "lbRebootTimeMin",
                &lbRebootTimeMin, "spinBox_rebootTime_HR", &spinBox_rebootTime_HR, "lbPointRebootTime",
                &lbPointRebootTime, "spinBox_rebootTime_Min", &spinBox_rebootTime_Min);
        request(2, "checkBox_offTime", &checkBox_offTime, "lbOffTimeHR", &lbOffTimeHR, "lbOffTimeMin", &lbOffTimeMin,
                "spinBox_offTime_HR", &spinBox_offTime_HR, "lbPointOffTime", &lbPointOffTime, "spinBox_offTime_Min",
                &spinBox_offTime_Min);

        retranslateUi(DeviceControlScheduleSetting);
    }

    void retranslateUi(QFrame *DeviceControlScheduleSetting)
    {
        Q_UNUSED(DeviceControlScheduleSetting);
        retranslateCommon();
        const QString title = QCoreApplication::translate("DeviceControlScheduleSetting", "Device Control Schedule");
        lbSchedulingTitle->setText(title);
        lbSchedulingTitle->setToolTip(title);
        const QString on = QCoreApplication::translate("DeviceControlScheduleSetting", "On Time");
        const QString reboot = QCoreApplication::translate("DeviceControlScheduleSetting", "Reboot Time");
        const QString off = QCoreApplication::translate("DeviceControlScheduleSetting", "Off Time");
        const QList<QPair<QCheckBox *, QString>> requests = {
            {checkBox_onTime, on}, {checkBox_rebootTime, reboot}, {checkBox_offTime, off}};
        for (const auto &request : requests) {
            request.first->setText(request.second);
            request.first->setToolTip(request.second);
        }
        for (QLabel *hours : {lbOnTimeHR, lbRebootTimeHR, lbOffTimeHR})
            hours->setText(QCoreApplication::translate("DeviceControlScheduleSetting", "HR"));
        for (QLabel *minutes : {lbOnTimeMin, lbRebootTimeMin, lbOffTimeMin})
            minutes->setText(QCoreApplication::translate("DeviceControlScheduleSetting", "MIN"));
        for (QLabel *point : {lbPointOnTime, lbPointRebootTime, lbPointOffTime})
            point->setText(QStringLiteral(":"));
    }

private:
    void request(int index, const char *boxName, QCheckBox **box, const char *hourCaptionName, QLabel **hourCaption,
                 const char *minuteCaptionName, QLabel **minuteCaption, const char *hourName,
                 ScheduleSettingSpinBox **hour, const char *pointName, QLabel **point, const char *minuteName,
                 ScheduleSettingSpinBox **minute)
    {
        const int x = index * 276;
        *box = new QCheckBox(widgetTime);
        (*box)->setObjectName(QLatin1String(boxName));
        (*box)->setGeometry(QRect(x, 24, 116, 32));
        (*box)->setCursor(Qt::PointingHandCursor);
        *hourCaption = caption(widgetTime, hourCaptionName, QRect(x + 122, 0, 60, 20), true);
        *minuteCaption = caption(widgetTime, minuteCaptionName, QRect(x + 194, 0, 60, 20), true);
        *hour = timeSpinBox(widgetTime, hourName, QRect(x + 122, 22, 62, 34), 23);
        *point = caption(widgetTime, pointName, QRect(x + 186, 22, 8, 34));
        *minute = timeSpinBox(widgetTime, minuteName, QRect(x + 194, 22, 62, 34), 59);
    }
};
