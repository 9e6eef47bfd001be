#pragma once

#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QString>

#include "datastore/VelkAutoTestSchedule.h"
#include "datastore/VelkIFPDevice.h"

/// What a planned task does.
enum ScheduleAction
{
    ScheduleReboot = 0,
    SchedulePowerOn = 1,
    SchedulePowerOff = 2,
    AutoTestPowerOn = 3,
    AutoTestCheck = 4,
};

/// One device-control task of the day: its panels, resolved when the list is built.
struct ScheduleTask
{
    QList<VelkIFPDevice> devices;
    int action = ScheduleReboot;
    QDateTime time;  ///< the local instant it fires at
    quint32 sid = 0; ///< the schedule it comes from
    QString key;     ///< what it stands for: schedule, action, date and stored time
    /// False while its panels could not be read (the database refused them for now and none were read before): it
    /// waits for them rather than going to no panel.
    bool devicesKnown = true;
};

/// One auto-test task of the day: the power-on at the test time or the check 90 s later.
struct AutoTestTask
{
    int action = AutoTestPowerOn;
    QDateTime time;
    VelkAutoTestSchedule schedule; ///< the schedule as read when the list was built
    QString key;
    QString runKey; ///< shared by the power-on and the check of one run
};

Q_DECLARE_METATYPE(ScheduleTask)
Q_DECLARE_METATYPE(AutoTestTask)
