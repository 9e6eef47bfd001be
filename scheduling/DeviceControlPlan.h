#pragma once

#include <QDate>
#include <QList>

#include "scheduling/ScheduleTask.h"

class OrvantaDBIntf;

/// Builds one day's device-control tasks from the stored schedules.
///
/// An enabled schedule whose weekday flag is set for the date gives one task per chosen request
/// (reboot, power on, power off) with a stored time, at that time's local instant on the date
/// (see ScheduleTime). A time that cannot be read gives no task and a log line. The panels of a
/// schedule are read once and shared by its tasks. Tasks come sorted by instant; tasks of the same
/// instant keep the order above (schedule id, then reboot, power on, power off).
class DeviceControlPlan
{
public:
    static QList<ScheduleTask> buildDay(OrvantaDBIntf *db, const QDate &date);
    /// The key a task is remembered by once it fired.
    static QString taskKey(quint32 sid, int action, const QDate &date, const QTime &time);
};
