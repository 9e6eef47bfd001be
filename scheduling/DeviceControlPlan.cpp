#include "scheduling/DeviceControlPlan.h"

#include <QSet>
#include <algorithm>

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "shell/base/Log.h"
#include "shell/base/ScheduleTime.h"

QList<ScheduleTask> DeviceControlPlan::buildDay(OrvantaDBIntf *db, const QDate &date, Known &known)
{
    // Told once for a hold, not at every read again while it lasts.
    const bool told = known.refused;
    known.refused = false;
    QList<VelkSchedule> schedules;
    if (db->queryAllSchedule(schedules) == DB_OK) {
        known.schedules = schedules;
        // The panels of a schedule deleted meanwhile are of no more use.
        QSet<quint32> present;
        for (const VelkSchedule &schedule : qAsConst(schedules))
            present.insert(schedule.sid);
        for (auto it = known.devices.begin(); it != known.devices.end();) {
            if (present.contains(it.key()))
                ++it;
            else
                it = known.devices.erase(it);
        }
    } else if (db->refusedForNow()) {
        // Planning nothing would drop the day's power schedules for a hold of a few seconds.
        if (!told)
            writeLog(
                LOG_LEVEL_WARNING,
                "DeviceControlPlan::buildDay, the schedules cannot be read for now; the %d read before are planned",
                int(known.schedules.size()));
        known.refused = true;
        schedules = known.schedules;
    } else {
        writeLog(LOG_LEVEL_ERROR, "DeviceControlPlan::buildDay, queryAllSchedule error");
    }

    QList<ScheduleTask> tasks;
    for (const VelkSchedule &schedule : qAsConst(schedules)) {
        QList<ScheduleTask> own = tasksOf(schedule, date);
        if (own.isEmpty())
            continue;
        QList<VelkIFPDevice> devices;
        bool devicesKnown = true;
        if (!known.refused) {
            const quint32 rc = db->queryAllDeviceBySchedule(schedule, devices);
            if (rc == DB_OK) {
                known.devices.insert(schedule.sid, devices);
            } else if (db->refusedForNow()) {
                if (!told)
                    writeLog(LOG_LEVEL_WARNING,
                             "DeviceControlPlan::buildDay, the devices of schedule %u cannot be read "
                             "for now; those read before are planned",
                             schedule.sid);
                known.refused = true;
            } else {
                writeLog(LOG_LEVEL_ERROR, "DeviceControlPlan::buildDay, queryAllDeviceBySchedule error, sid %u",
                         schedule.sid);
            }
        }
        if (known.refused) {
            const auto read = known.devices.constFind(schedule.sid);
            devicesKnown = read != known.devices.constEnd();
            if (devicesKnown)
                devices = *read;
        }
        for (ScheduleTask &task : own) {
            task.devices = devices;
            task.devicesKnown = devicesKnown;
            tasks.append(task);
        }
    }
    // A strict order: tasks of one instant are equal, and stable_sort keeps them as built.
    std::stable_sort(tasks.begin(), tasks.end(),
                     [](const ScheduleTask &a, const ScheduleTask &b) { return a.time < b.time; });
    return tasks;
}

QList<ScheduleTask> DeviceControlPlan::tasksOf(const VelkSchedule &schedule, const QDate &date)
{
    QList<ScheduleTask> tasks;
    if (!schedule.isEnable || !ScheduleTime::isDayOn(date, schedule.isMon, schedule.isTue, schedule.isWed,
                                                     schedule.isThu, schedule.isFri, schedule.isSat, schedule.isSun))
        return tasks;
    const struct
    {
        int action;
        bool chosen;
        const QString &text;
    } requests[] = {{ScheduleReboot, schedule.isReboot, schedule.rebootTime},
                    {SchedulePowerOn, schedule.isPowerOn, schedule.onTime},
                    {SchedulePowerOff, schedule.isPowerOff, schedule.offTime}};
    for (const auto &request : requests) {
        if (!request.chosen || request.text.isEmpty())
            continue;
        QTime time;
        const QDateTime at = ScheduleTime::instantOf(date, request.text, &time);
        if (!at.isValid()) {
            writeLog(LOG_LEVEL_WARNING, "DeviceControlPlan::buildDay, schedule %u: time \"%s\" cannot be read",
                     schedule.sid, request.text.toLocal8Bit().constData());
            continue;
        }
        ScheduleTask task;
        task.action = request.action;
        task.time = at;
        task.sid = schedule.sid;
        task.key = taskKey(schedule.sid, request.action, date, time);
        tasks.append(task);
    }
    return tasks;
}

QString DeviceControlPlan::taskKey(quint32 sid, int action, const QDate &date, const QTime &time)
{
    return QStringLiteral("%1/%2/%3 %4")
        .arg(sid)
        .arg(action)
        .arg(date.toString(Qt::ISODate), time.toString(QStringLiteral("hh:mm")));
}
