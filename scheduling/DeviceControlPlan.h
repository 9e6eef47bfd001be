#pragma once

#include <QDate>
#include <QHash>
#include <QList>

#include "datastore/VelkSchedule.h"
#include "scheduling/ScheduleTask.h"

class OrvantaDBIntf;

/// Builds one day's device-control tasks from the stored schedules.
///
/// An enabled schedule whose weekday flag is set for the date gives one task per chosen request
/// (reboot, power on, power off) with a stored time, at that time's local instant on the date
/// (see ScheduleTime). A time that cannot be read gives no task and a log line. The panels of a
/// schedule are read once and shared by its tasks. Tasks come sorted by instant; tasks of the same
/// instant keep the order above (schedule id, then reboot, power on, power off).
///
/// A read the database refuses for now (another program holds it exclusively) is "not known yet", never "no schedule"
/// or "no panel": the build goes by what it read before (Known), reads nothing more once one read was refused (each
/// would make the GUI wait in vain), and says so (Known::refused). A schedule whose panels were never read gives tasks
/// without them (ScheduleTask::devicesKnown false).
class DeviceControlPlan
{
public:
    /// What the builds read last: the schedules and the panels of each (by sid), kept up to date by every build that
    /// reads them.
    struct Known
    {
        QList<VelkSchedule> schedules;
        QHash<quint32, QList<VelkIFPDevice>> devices;
        /// The last build was refused a read for now: part of its list is as read before, or waits for panels.
        bool refused = false;
    };

    static QList<ScheduleTask> buildDay(OrvantaDBIntf *db, const QDate &date, Known &known);
    /// The schedule's tasks of the date, without their panels, in the order of the requests above.
    static QList<ScheduleTask> tasksOf(const VelkSchedule &schedule, const QDate &date);
    /// The key a task is remembered by once it fired.
    static QString taskKey(quint32 sid, int action, const QDate &date, const QTime &time);
};
