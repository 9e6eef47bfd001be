#pragma once

#include "scheduling/Ui_ScheduleEditorForm.h"

/// The auto-test schedule editor: one test time above the shared part of the form.
class Ui_AutoTestScheduleSetting : public Ui_ScheduleEditorForm
{
public:
    QWidget *widgetTime;
    QLabel *lbTime;
    QWidget *widgetAutoDetect;
    QLabel *lbSchedule;
    QLabel *lbOnTimeHR;
    QLabel *lbOnTimeMin;
    ScheduleSettingSpinBox *spinBox_onTime_HR;
    QLabel *lbPointOnTime;
    ScheduleSettingSpinBox *spinBox_onTime_Min;

    void setupUi(QFrame *AutoTestScheduleSetting)
    {
        if (AutoTestScheduleSetting->objectName().isEmpty())
            AutoTestScheduleSetting->setObjectName(QStringLiteral("AutoTestScheduleSetting"));
        setupCommon(AutoTestScheduleSetting);

        widgetTime = new QWidget(AutoTestScheduleSetting);
        widgetTime->setObjectName(QStringLiteral("widgetTime"));
        widgetTime->setGeometry(QRect(30, 54, 110, 64));
        lbTime = caption(widgetTime, "lbTime", QRect(0, 24, 110, 32));
        widgetAutoDetect = new QWidget(AutoTestScheduleSetting);
        widgetAutoDetect->setObjectName(QStringLiteral("widgetAutoDetect"));
        widgetAutoDetect->setGeometry(QRect(150, 54, 500, 64));
        lbSchedule = caption(widgetAutoDetect, "lbSchedule", QRect(0, 24, 230, 32));
        lbOnTimeHR = caption(widgetAutoDetect, "lbOnTimeHR", QRect(240, 0, 60, 20), true);
        lbOnTimeMin = caption(widgetAutoDetect, "lbOnTimeMin", QRect(312, 0, 60, 20), true);
        spinBox_onTime_HR = timeSpinBox(widgetAutoDetect, "spinBox_onTime_HR", QRect(240, 22, 62, 34), 23);
        lbPointOnTime = caption(widgetAutoDetect, "lbPointOnTime", QRect(304, 22, 8, 34));
        spinBox_onTime_Min = timeSpinBox(widgetAutoDetect, "spinBox_onTime_Min", QRect(312, 22, 62, 34), 59);

        retranslateUi(AutoTestScheduleSetting);
    }

    void retranslateUi(QFrame *AutoTestScheduleSetting)
    {
        Q_UNUSED(AutoTestScheduleSetting);
        retranslateCommon();
        const QString title = QCoreApplication::translate("AutoTestScheduleSetting", "Auto Testing Schedule");
        lbSchedulingTitle->setText(title);
        lbSchedulingTitle->setToolTip(title);
        lbTime->setText(QCoreApplication::translate("AutoTestScheduleSetting", "Time:"));
        const QString caption = QCoreApplication::translate("AutoTestScheduleSetting", "Automatic Detection Time");
        lbSchedule->setText(caption);
        lbSchedule->setToolTip(caption);
        lbOnTimeHR->setText(QCoreApplication::translate("AutoTestScheduleSetting", "HR"));
        lbOnTimeMin->setText(QCoreApplication::translate("AutoTestScheduleSetting", "MIN"));
        lbPointOnTime->setText(QStringLiteral(":"));
    }
};
